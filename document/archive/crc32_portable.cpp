#include "document/archive/crc32_blocks.h"

#include <array>

namespace ob::zip::crc {
namespace {

// Slice k holds the CRC of a byte followed by k zero bytes, so eight input
// bytes fold into the register with eight independent lookups.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables makeTables() {
  CrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (std::size_t s = 1; s < 8; ++s)
    for (std::size_t i = 0; i < 256; ++i) t[s][i] = t[0][t[s - 1][i] & 0xFFu] ^ (t[s - 1][i] >> 8);
  return t;
}

constexpr CrcTables kTables = makeTables();

}  // namespace

std::uint32_t portable(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length) {
  const std::uint8_t* p = bytes;
  std::size_t n = length;
  while (n >= 8) {
    const std::uint32_t lo = reg ^ (std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                    std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
    const std::uint32_t hi = std::uint32_t(p[4]) | std::uint32_t(p[5]) << 8 | std::uint32_t(p[6]) << 16 |
                             std::uint32_t(p[7]) << 24;
    reg = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^
          kTables[4][lo >> 24] ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^
          kTables[1][(hi >> 16) & 0xFF] ^ kTables[0][hi >> 24];
    p += 8;
    n -= 8;
  }
  while (n--) reg = kTables[0][(reg ^ *p++) & 0xFFu] ^ (reg >> 8);
  return reg;
}

}  // namespace ob::zip::crc
