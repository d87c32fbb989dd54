#pragma once
// Little-endian integers at any alignment, as the file formats the documents
// read and write (WAV, zip) store them.

#include <bit>
#include <cstdint>
#include <cstring>
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

// A word of sizeof(Word) bytes as one load or store, swapped only on a
// big-endian machine, so that loops over many of them widen.
template <typename Word>
inline Word swappedOnBigEndian(Word w) {
  if constexpr (std::endian::native == std::endian::big && sizeof(Word) == 2) return __builtin_bswap16(w);
  if constexpr (std::endian::native == std::endian::big && sizeof(Word) == 4) return __builtin_bswap32(w);
  if constexpr (std::endian::native == std::endian::big && sizeof(Word) == 8) return __builtin_bswap64(w);
  return w;
}
template <typename Word>
inline Word loadLE(const std::uint8_t* p) {
  Word w;
  std::memcpy(&w, p, sizeof w);
  return swappedOnBigEndian(w);
}
template <typename Word>
inline void storeLE(std::uint8_t* p, Word w) {
  w = swappedOnBigEndian(w);
  std::memcpy(p, &w, sizeof w);
}

}  // namespace ob
