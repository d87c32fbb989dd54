#include "document/archive/zip_stream_walk.h"

#include "document/archive/zip_directory.h"
#include "document/archive/zip_format.h"

namespace ob::zip {
namespace {

constexpr std::uint16_t kSizesFollowData = 0x0008;
constexpr std::uint16_t kStoredMethod = 0;
constexpr std::uint32_t kZip64Size = 0xFFFFFFFFu;
// The sizes after the data: checksum, packed and unpacked size, after a
// signature that writers may leave out.
constexpr std::uint32_t kDescriptorSignature = 0x08074b50;
constexpr std::size_t kDescriptorSize = 12;

}  // namespace

StreamWalk::Verdict StreamWalk::stepOverEntry(const std::uint8_t* header) {
  const std::uint64_t record = kLocalHeaderSize + readU16LE(header + 26) + readU16LE(header + 28);
  if (++entries_ > limits_.maxEntries) return Verdict::TooManyEntries;
  localRecordBytes_ += record;
  if (localRecordBytes_ > kMaxDirectoryBytes) return Verdict::NamesTooLarge;
  const bool sizesFollow = (readU16LE(header + 6) & kSizesFollowData) != 0;
  if (sizesFollow && readU16LE(header + 8) != kStoredMethod) return Verdict::Stopped;
  const std::uint32_t packed = readU32LE(header + 18);
  const std::uint32_t size = readU32LE(header + 22);
  if (packed == kZip64Size || size == kZip64Size) return Verdict::Zip64;
  if (size > limits_.maxEntrySize) return Verdict::EntryTooLarge;
  unpacked_ += size;
  if (unpacked_ > limits_.maxTotalSize) return Verdict::TotalTooLarge;
  next_ += record + packed;
  if (next_ > maxBytes_) return Verdict::PastSizeLimit;
  descriptorNext_ = sizesFollow;
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
    if (descriptorNext_) {
      const std::size_t descriptor = kDescriptorSize + (signature == kDescriptorSignature ? 4 : 0);
      if (have < descriptor) break;
      next_ += descriptor;
      descriptorNext_ = false;
    } else if (signature == kLocalHeaderSignature) {
      if (have < kLocalHeaderSize) break;
      verdict_ = stepOverEntry(at);
    } else if (signature == kCentralHeaderSignature) {
      if (have < kCentralHeaderSize) break;
      const std::uint64_t record =
          kCentralHeaderSize + readU16LE(at + 28) + readU16LE(at + 30) + readU16LE(at + 32);
      next_ += record;
      directoryBytes_ += record;
      if (directoryBytes_ > kMaxDirectoryBytes) verdict_ = Verdict::NamesTooLarge;
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
