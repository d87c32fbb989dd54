#include "document/archive/zip_stream_walk.h"

#include "document/archive/zip_directory.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_measure.h"

namespace ob::zip {
namespace {

constexpr std::uint16_t kSizesFollowData = 0x0008;

}  // namespace

StreamWalk::Verdict StreamWalk::stepOverEntry(const std::uint8_t* header) {
  const std::uint64_t record = kLocalHeaderSize + readU16LE(header + 26) + readU16LE(header + 28);
  localRecordBytes_ += record;
  DirectoryRecord declared;
  declared.flags = readU16LE(header + 6);
  declared.method = readU16LE(header + 8);
  declared.packedSize = readU32LE(header + 18);
  declared.size = readU32LE(header + 22);
  // The measure a directory is held to, applied to each record as it
  // arrives; only the offsets are not known yet.
  switch (measure_.archive(0, ++entries_, localRecordBytes_)) {
    case Excess::None: break;
    case Excess::TooManyEntries: return Verdict::TooManyEntries;
    default: return Verdict::NamesTooLarge;
  }
  if ((declared.flags & kSizesFollowData) != 0) return Verdict::SizesFollowData;
  switch (measure_.record(declared)) {
    case Excess::None: break;
    case Excess::Zip64Entry: return Verdict::Zip64;
    case Excess::EntryTooLarge: return Verdict::EntryTooLarge;
    default: return Verdict::TotalTooLarge;
  }
  if (!ArchiveMeasure::payloadFits(declared)) return Verdict::PackedSizeWrong;
  next_ += record + declared.packedSize;
  if (measure_.archive(next_, entries_, localRecordBytes_) != Excess::None) return Verdict::PastSizeLimit;
  return Verdict::Going;
}

StreamWalk::Verdict StreamWalk::follow(const std::uint8_t* bytes, std::size_t size) {
  while (verdict_ == Verdict::Going) {
    if (ended_) {
      if (size > next_) verdict_ = Verdict::Broken;
      break;
    }
    if (size < next_ || size - next_ < 4) break;
    const std::uint8_t* at = bytes + next_;
    const std::size_t have = size - static_cast<std::size_t>(next_);
    const std::uint32_t signature = readU32LE(at);
    if (signature == kLocalHeaderSignature) {
      if (have < kLocalHeaderSize) break;
      verdict_ = stepOverEntry(at);
    } else if (signature == kCentralHeaderSignature) {
      if (have < kCentralHeaderSize) break;
      const std::uint64_t record =
          kCentralHeaderSize + readU16LE(at + 28) + readU16LE(at + 30) + readU16LE(at + 32);
      next_ += record;
      directoryBytes_ += record;
      if (measure_.archive(0, 0, directoryBytes_) != Excess::None) verdict_ = Verdict::NamesTooLarge;
    } else if (signature == kEndRecordSignature) {
      if (have < kEndRecordSize) break;
      next_ += kEndRecordSize + readU16LE(at + 20);
      ended_ = true;
    } else {
      verdict_ = Verdict::Broken;
    }
  }
  return verdict_;
}

}  // namespace ob::zip
