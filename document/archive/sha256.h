#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace ob {

// SHA-256 of the whole span as 64 lower-case hexadecimal digits.
std::string sha256Hex(const std::uint8_t* bytes, std::size_t length);

// The compression function on one 64-byte block, words read big-endian.
void sha256Block(std::uint32_t state[8], const std::uint8_t block[64]);

}  // namespace ob
