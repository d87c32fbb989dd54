#include "document/archive/zip_stream_walk.h"

#include "document/archive/zip_directory.h"
#include "document/archive/zip_format.h"

namespace ob::zip {
namespace {

constexpr std::uint16_t kEncrypted = 0x0001;
constexpr std::uint16_t kSizesFollowData = 0x0008;
constexpr std::uint16_t kStoredMethod = 0;
constexpr std::uint32_t kZip64Size = 0xFFFFFFFFu;

// The most an entry of `size` bytes can take in the archive. Stored, its
// bytes are its payload. Packed, even data that does not shrink takes
// little more: DEFLATE's stored blocks add five bytes in 65,535, its fixed
// codes at most one bit a byte, a block's own codes a few hundred bytes;
// a quarter and a kilobyte more is past any writer.
std::uint64_t mostPackedBytes(std::uint16_t flags, std::uint16_t method, std::uint64_t size) {
  if (method == kStoredMethod && (flags & kEncrypted) == 0) return size;
  return size + size / 4 + 1024;
}

}  // namespace

StreamWalk::Verdict StreamWalk::stepOverEntry(const std::uint8_t* header) {
  const std::uint64_t record = kLocalHeaderSize + readU16LE(header + 26) + readU16LE(header + 28);
  if (++entries_ > limits_.maxEntries) return Verdict::TooManyEntries;
  localRecordBytes_ += record;
  if (localRecordBytes_ > kMaxDirectoryBytes) return Verdict::NamesTooLarge;
  const std::uint16_t flags = readU16LE(header + 6);
  if ((flags & kSizesFollowData) != 0) return Verdict::SizesFollowData;
  const std::uint32_t packed = readU32LE(header + 18);
  const std::uint32_t size = readU32LE(header + 22);
  if (packed == kZip64Size || size == kZip64Size) return Verdict::Zip64;
  if (size > limits_.maxEntrySize) return Verdict::EntryTooLarge;
  unpacked_ += size;
  if (unpacked_ > limits_.maxTotalSize) return Verdict::TotalTooLarge;
  if (packed > mostPackedBytes(flags, readU16LE(header + 8), size)) return Verdict::PackedSizeWrong;
  next_ += record + packed;
  if (next_ > maxBytes_) return Verdict::PastSizeLimit;
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
