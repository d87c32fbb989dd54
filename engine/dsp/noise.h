#pragma once
#include <cstdint>

namespace ob {

// xorshift32 white noise in [-1, 1). The state must not be 0.
inline float whiteNoise(std::uint32_t& state) {
  std::uint32_t x = state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  state = x;
  // x / 2^31 - 1, rounded once to float: x - 2^31 is exact as a signed
  // integer, and scaling by a power of two after the one rounding gives the
  // same float as the double-precision formula, without its conversions.
  return static_cast<float>(static_cast<std::int32_t>(x ^ 0x80000000u)) * 0x1.0p-31f;
}

}  // namespace ob
