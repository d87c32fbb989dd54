#include "ui/draw/dash_pattern.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace orbi::ui {
namespace dash_pattern_test {

constexpr ClipBox kWide{-1e6, -1e6, 1e6, 1e6};

struct Dash {
  ImVec2 from, to;
};

std::vector<Dash> dashes(std::vector<ImVec2> points, double dash, double gap, const ClipBox& box = kWide) {
  std::vector<Dash> out;
  walkDashes(points, dash, gap, box, [&](ImVec2 a, ImVec2 b) { out.push_back({a, b}); });
  return out;
}

// Along a horizontal line at y 0: the x extents of the dashes.
std::vector<std::pair<float, float>> spans(const std::vector<Dash>& ds) {
  std::vector<std::pair<float, float>> out;
  for (const Dash& d : ds) out.emplace_back(d.from.x, d.to.x);
  return out;
}

TEST(DashPattern, TwelvePixelsOfTwoOnThreeOff) {
  using Spans = std::vector<std::pair<float, float>>;
  EXPECT_EQ(spans(dashes({{0, 0}, {12, 0}}, 2, 3)), (Spans{{0, 2}, {5, 7}, {10, 12}}));
}

TEST(DashPattern, ContinuesAcrossACorner) {
  // Two 4-pixel segments: the gap that starts at 2 runs 1 pixel into the
  // second segment, which then draws 1..3.
  const auto ds = dashes({{0, 0}, {4, 0}, {4, 4}}, 2, 3);
  ASSERT_EQ(ds.size(), 2u);
  EXPECT_EQ(ds[0].from.x, 0.0f);
  EXPECT_EQ(ds[0].to.x, 2.0f);
  EXPECT_EQ(ds[1].from.x, 4.0f);
  EXPECT_EQ(ds[1].from.y, 1.0f);
  EXPECT_EQ(ds[1].to.y, 3.0f);
}

TEST(DashPattern, ZeroLengthAndNonFiniteSegmentsAreSkipped) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // The pattern goes on as if the skipped segments were not there.
  const auto ds = dashes({{0, 0}, {0, 0}, {3, 0}, {inf, 0}, {nan, 5}, {3, 0}, {12, 0}}, 2, 3);
  std::vector<std::pair<float, float>> xs;
  for (const Dash& d : ds) xs.emplace_back(d.from.x, d.to.x);
  EXPECT_EQ(xs, (std::vector<std::pair<float, float>>{{0, 2}, {5, 7}, {10, 12}}));
}

TEST(DashPattern, FarPointsWalkOnlyTheVisiblePartAndKeepThePhase) {
  const ClipBox box{0, -10, 960, 10};
  for (float start : {-1e9f, -12345.0f, -7.5f, 0.0f}) {
    SCOPED_TRACE(start);
    const auto ds = dashes({{start, 0}, {1e9f, 0}}, 2, 3, box);
    ASSERT_FALSE(ds.empty());
    EXPECT_LT(ds.size(), 200u);
    // A point at distance p from the start is inside a dash when p mod 5 < 2.
    for (const Dash& d : ds) {
      const double p0 = std::fmod(static_cast<double>(d.from.x) - start, 5.0);
      const double p1 = std::fmod(static_cast<double>(d.to.x) - start, 5.0);
      EXPECT_GE(d.from.x, -0.01f);
      EXPECT_LE(d.to.x, 960.01f);
      EXPECT_TRUE(p0 < 2.0 + 1e-3 || p0 > 5.0 - 1e-3) << d.from.x;
      EXPECT_TRUE(p1 < 2.0 + 1e-3 || p1 > 5.0 - 1e-3) << d.to.x;
    }
    // The whole visible stretch is covered two fifths of the way.
    double drawn = 0.0;
    for (const Dash& d : ds) drawn += d.to.x - d.from.x;
    EXPECT_NEAR(drawn, 960.0 * 2.0 / 5.0, 2.0);
  }
}

TEST(DashPattern, SegmentsOutsideTheBoxDrawNothingButMoveThePattern) {
  const ClipBox box{-1, -1, 100, 1};
  // 3 pixels outside the box (vertical, away from it), then along the box.
  const auto ds = dashes({{0, 50}, {0, 47}, {0, 0}, {12, 0}}, 2, 3, box);
  ASSERT_FALSE(ds.empty());
  // 50 pixels before the corner is 10 whole periods: the corner starts a dash.
  EXPECT_EQ(ds.front().from.y, 0.0f);
  EXPECT_EQ(ds.front().from.x, 0.0f);
  EXPECT_EQ(ds.front().to.x, 2.0f);
}

TEST(DashPhase, SkippingEqualsWalking) {
  for (double distance : {0.0, 0.7, 2.0, 2.4, 5.0, 13.3, 1234.56}) {
    SCOPED_TRACE(distance);
    DashPhase walked(2, 3), skipped(2, 3);
    double left = distance;
    while (left > 0.001) {
      const double step = std::min(left, walked.remaining());
      walked.take(step);
      left -= step;
    }
    skipped.skip(distance);
    EXPECT_EQ(skipped.drawing(), walked.drawing());
    EXPECT_NEAR(skipped.remaining(), walked.remaining(), 1e-6);
  }
}

}  // namespace dash_pattern_test
}  // namespace orbi::ui
