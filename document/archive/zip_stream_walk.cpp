#include "document/archive/zip_stream_walk.h"

#include "document/archive/zip_format.h"

namespace ob::zip {
namespace {

constexpr std::uint16_t kSizesFollowData = 0x0008;
constexpr std::uint32_t kZip64Size = 0xFFFFFFFFu;

}  // namespace

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
      const std::uint32_t packed = readU32LE(at + 18);
      if ((readU16LE(at + 6) & kSizesFollowData) != 0 || packed == kZip64Size) {
        verdict_ = Verdict::Stopped;
        break;
      }
      next_ += kLocalHeaderSize + readU16LE(at + 26) + readU16LE(at + 28) + std::uint64_t{packed};
    } else if (signature == kCentralHeaderSignature) {
      if (have < kCentralHeaderSize) break;
      next_ += kCentralHeaderSize + readU16LE(at + 28) + readU16LE(at + 30) + readU16LE(at + 32);
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
