#include "ui/draw/wave_overview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace orbi::ui {
namespace wave_overview_test {

MinMax bruteForce(const std::vector<float>& samples, std::uint64_t from, std::uint64_t to) {
  to = std::min<std::uint64_t>(to, samples.size());
  if (from >= to) return {};
  const auto [lo, hi] = std::minmax_element(samples.begin() + from, samples.begin() + to);
  return {*lo, *hi};
}

std::vector<float> noise(std::size_t n, std::mt19937& rng) {
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> samples(n);
  for (float& s : samples) s = value(rng);
  return samples;
}

class OverviewRange : public testing::TestWithParam<std::size_t> {};

TEST_P(OverviewRange, EqualsTheBruteForcePeaksOfAnyRange) {
  const std::size_t n = GetParam();
  std::mt19937 rng(static_cast<unsigned>(n) + 1);
  const std::vector<float> samples = noise(n, rng);
  const WaveOverview overview(samples, 48000.0);
  EXPECT_EQ(overview.size(), n);
  // A stereo buffer's overview holds the extremes of both channels.
  const std::vector<float> right = noise(n, rng);
  const WaveOverview stereo(samples, right, 48000.0);

  std::uniform_int_distribution<std::uint64_t> anywhere(0, n + 40);
  std::uniform_int_distribution<std::uint64_t> shortSpan(0, 70);
  const int queries = n > 100000 ? 300 : 3000;  // brute force is slow over a million samples
  for (int q = 0; q < queries; ++q) {
    std::uint64_t from = anywhere(rng), to = anywhere(rng);
    if (q % 3 == 0) to = from + shortSpan(rng);  // short spans, where the single samples matter
    SCOPED_TRACE(testing::Message() << "[" << from << ", " << to << ")");
    const MinMax expected = bruteForce(samples, from, to);
    const MinMax got = overview.range(from, to);
    EXPECT_EQ(got.min, expected.min);
    EXPECT_EQ(got.max, expected.max);
    const MinMax other = bruteForce(right, from, to), both = stereo.range(from, to);
    EXPECT_EQ(both.min, std::min(expected.min, other.min));
    EXPECT_EQ(both.max, std::max(expected.max, other.max));
  }
  // The whole buffer, and past its end.
  for (const std::uint64_t to :
       {static_cast<std::uint64_t>(n), static_cast<std::uint64_t>(n) + 1000, ~std::uint64_t{0}}) {
    const MinMax expected = bruteForce(samples, 0, to);
    const MinMax got = overview.range(0, to);
    EXPECT_EQ(got.min, expected.min);
    EXPECT_EQ(got.max, expected.max);
  }
}

INSTANTIATE_TEST_SUITE_P(Lengths, OverviewRange, testing::Values(0, 15, 16, 17, 48, 1000003));

TEST(WaveOverview, EmptyAndReversedRangesAreZero) {
  const std::vector<float> samples = {0.5f, -0.25f, 0.75f, 0.1f, -0.9f, 0.3f, 0.2f, 0.4f, -0.1f, 0.6f};
  const WaveOverview overview(samples, 44100.0);
  for (const auto& [from, to] : {std::pair<std::uint64_t, std::uint64_t>{5, 5}, {9, 3}, {10, 20}, {50, 60}}) {
    const MinMax r = overview.range(from, to);
    EXPECT_EQ(r.min, 0.0f);
    EXPECT_EQ(r.max, 0.0f);
  }
  const MinMax all = overview.range(0, 1000);
  EXPECT_EQ(all.min, -0.9f);
  EXPECT_EQ(all.max, 0.75f);

  const WaveOverview none;
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.range(0, 10).max, 0.0f);
}

TEST(WaveOverview, LevelsHalveUntilFewerThanTwoPairs) {
  struct Case {
    std::size_t samples;
    std::vector<std::size_t> pairs;
  };
  for (const Case& c : {Case{0, {0}}, Case{15, {0}}, Case{16, {1}}, Case{47, {2, 1}}, Case{48, {3, 1}},
                        Case{16 * 9 + 5, {9, 4, 2, 1}}}) {
    SCOPED_TRACE(c.samples);
    const std::vector<float> samples(c.samples, 0.0f);
    const WaveOverview overview(samples, 48000.0);
    ASSERT_EQ(overview.levels().size(), c.pairs.size());
    for (std::size_t k = 0; k < c.pairs.size(); ++k) EXPECT_EQ(overview.levels()[k].size(), c.pairs[k]);
  }
  // An odd last pair is not carried up: level 1 of 3 blocks covers blocks 0
  // and 1 only.
  std::vector<float> samples(48, 0.0f);
  samples[40] = 5.0f;
  samples[3] = -2.0f;
  const WaveOverview overview(samples, 48000.0);
  EXPECT_EQ(overview.levels()[0][2].max, 5.0f);
  EXPECT_EQ(overview.levels()[1][0].max, 0.0f);
  EXPECT_EQ(overview.levels()[1][0].min, -2.0f);
}

TEST(WaveOverview, AWholeRangeOfThreeBlocksTakesBlockTwoAndTheFirstPairOfLevelOne) {
  // Levels that do not agree with each other show which pairs a query read:
  // level 1's pair 0 and level 0's pair 2, never level 0's pairs 0 and 1.
  const std::vector<float> samples(48, 0.0f);
  const std::vector<OverviewLevel> levels = {
      {{-100.0f, 100.0f}, {-100.0f, 100.0f}, {-1.0f, 7.0f}},
      {{-5.0f, 1.0f}},
  };
  const MinMax r = overviewRange(samples, levels, 0, 48);
  EXPECT_EQ(r.min, -5.0f);
  EXPECT_EQ(r.max, 7.0f);
}

TEST(WaveOverview, KeepsItsRateAndReadsTheSamplesItWasBuiltOver) {
  std::vector<float> samples(100, 0.0f);
  const WaveOverview overview(samples, 96000.0);
  EXPECT_EQ(overview.sampleRate(), 96000.0);
  EXPECT_EQ(overview.samples().data(), samples.data());
  // Single samples are read from the buffer itself.
  samples[98] = 0.5f;
  EXPECT_EQ(overview.range(97, 100).max, 0.5f);
}

}  // namespace wave_overview_test
}  // namespace orbi::ui
