#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ob::zip {

inline std::uint16_t readU16LE(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
inline std::uint32_t readU32LE(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}
inline void writeU16LE(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
inline void writeU32LE(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;

// True when the bytes begin like an archive: a local header, or the end
// record of an empty archive.
bool looksLikeZip(const std::uint8_t* bytes, std::size_t size);

// A name that cannot leave the archive when extracted: 1 to 65,535 bytes, no
// leading "/", no backslash, no drive letter, no ".." segment, no control
// bytes.
bool isSafeEntryName(std::string_view name);

}  // namespace ob::zip
