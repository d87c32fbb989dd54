#pragma once
// Little-endian integers at any alignment, as the file formats the documents
// read and write (WAV, zip) store them.

#include <cstdint>
#include <vector>

namespace ob {

inline std::uint16_t readU16LE(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
inline std::uint32_t readU32LE(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
         std::uint32_t(p[3]) << 24;
}

// Appended lowest byte first.
inline void writeU16LE(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(std::uint8_t(v));
  out.push_back(std::uint8_t(v >> 8));
}
inline void writeU32LE(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

}  // namespace ob
