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
  return static_cast<float>(static_cast<double>(x) * 0x1.0p-31 - 1.0);
}

}  // namespace ob
