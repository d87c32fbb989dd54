// The noise source turns its 32-bit state into a float by integer
// arithmetic; it must give exactly the float of x / 2^31 - 1 computed in
// double precision, so the drum's noise stays the same sample for sample.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/dsp/noise.h"

namespace dsp_noise_test {

float reference(std::uint32_t x) { return static_cast<float>(static_cast<double>(x) * 0x1.0p-31 - 1.0); }

// The float whiteNoise returns for a state that steps to x.
float fromState(std::uint32_t x) {
  // Invert the xorshift step so that whiteNoise lands on x.
  std::uint32_t y = x;
  y ^= y << 5;
  y ^= y << 10;
  y ^= y << 20;
  y ^= y >> 17;
  std::uint32_t z = y;
  z ^= z << 13;
  z ^= z << 26;
  std::uint32_t state = z;
  const float v = ob::whiteNoise(state);
  EXPECT_EQ(state, x);
  return v;
}

std::uint32_t bits(float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

TEST(WhiteNoise, MatchesTheDoublePrecisionFormulaBitForBit) {
  // Edges of the range and of the float rounding, then a dense stride.
  const std::uint32_t edges[] = {1u,          2u,          0x7FFFFFFFu, 0x80000000u, 0x80000001u, 0xFFFFFFFFu,
                                 0x00FFFFFFu, 0x01000001u, 0x7FFFFF80u, 0x7FFFFFC0u, 0x80000040u};
  for (std::uint32_t x : edges) ASSERT_EQ(bits(fromState(x)), bits(reference(x))) << x;
  for (std::uint64_t x = 1; x <= 0xFFFFFFFFull; x += 65521) {
    const auto s = static_cast<std::uint32_t>(x);
    ASSERT_EQ(bits(fromState(s)), bits(reference(s))) << s;
  }
}

TEST(WhiteNoise, StaysInItsRange) {
  std::uint32_t state = 0x9E3779B9u;
  for (int i = 0; i < 200000; ++i) {
    const float v = ob::whiteNoise(state);
    ASSERT_GE(v, -1.0f);
    ASSERT_LE(v, 1.0f);
  }
}

}  // namespace dsp_noise_test
