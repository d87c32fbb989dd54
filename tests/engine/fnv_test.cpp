#include "engine/fnv.h"

#include <gtest/gtest.h>

TEST(Hashing, Fnv1aMatchesPublishedVectors) {
  EXPECT_EQ(ob::fnv1a64("foobar"), 0x85944171f73967e8ull);
  EXPECT_EQ(ob::fnv1a64("a"), 0xaf63dc4c8601ec8cull);
}

TEST(Hashing, SplitMixDrawsAreUnitAndSpread) {
  double lo = 1.0, hi = 0.0;
  for (std::uint64_t k = 0; k < 1000; ++k) {
    const double u = ob::unitFromDraw(ob::hashDraw(12345, k));
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    lo = std::min(lo, u);
    hi = std::max(hi, u);
  }
  EXPECT_LT(lo, 0.01);
  EXPECT_GT(hi, 0.99);
}
