#include "document/archive/zip_stream_walk.h"

#include <algorithm>
#include <cstring>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_measure.h"

namespace ob::zip {
namespace {

constexpr std::uint16_t kSizesFollowData = 0x0008;

// The fixed size of the record a signature starts; 0 for none.
std::size_t fixedSizeOf(std::uint32_t signature) {
  switch (signature) {
    case kLocalHeaderSignature: return kLocalHeaderSize;
    case kCentralHeaderSignature: return kCentralHeaderSize;
    case kEndRecordSignature: return kEndRecordSize;
    default: return 0;
  }
}

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

StreamWalk::Verdict StreamWalk::stepOver() {
  const std::uint8_t* at = record_;
  switch (readU32LE(at)) {
    case kLocalHeaderSignature: return stepOverEntry(at);
    case kCentralHeaderSignature: {
      const std::uint64_t record =
          kCentralHeaderSize + readU16LE(at + 28) + readU16LE(at + 30) + readU16LE(at + 32);
      next_ += record;
      directoryBytes_ += record;
      return measure_.archive(0, 0, directoryBytes_) != Excess::None ? Verdict::NamesTooLarge
                                                                     : Verdict::Going;
    }
    default:  // the end record
      next_ += kEndRecordSize + readU16LE(at + 20);
      ended_ = true;
      return Verdict::Going;
  }
}

StreamWalk::Verdict StreamWalk::take(const std::uint8_t* piece, std::size_t count) {
  const std::uint64_t end = arrived_ + count;
  while (verdict_ == Verdict::Going) {
    if (ended_) {
      if (end > next_) verdict_ = Verdict::Broken;
      break;
    }
    std::size_t need = 4;  // the signature says how much more
    if (recordHave_ >= need) {
      need = fixedSizeOf(readU32LE(record_));
      if (need == 0) {
        verdict_ = Verdict::Broken;
        break;
      }
      if (recordHave_ == need) {
        recordHave_ = 0;
        verdict_ = stepOver();
        continue;
      }
    }
    // The record's bytes gathered so far have all arrived, so the next one
    // to gather is in this piece or after it.
    const std::uint64_t from = next_ + recordHave_;
    if (from >= end) break;
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(need - recordHave_, end - from));
    std::memcpy(record_ + recordHave_, piece + (from - arrived_), n);
    recordHave_ += n;
  }
  arrived_ = end;
  return verdict_;
}

}  // namespace ob::zip
