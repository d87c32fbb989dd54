// Shared geometry: clamps, rectangles, fitting boxes, the size rules,
// animation values, the focus ring, the rail with its pill buttons, where
// labels go among what was drawn and a height shared in order of need.

#include <gtest/gtest.h>
#include <imgui.h>

#include <cmath>
#include <limits>
#include <span>
#include <utility>

#include "support/ui/ui_harness.h"
#include "tests/ui/rect_check.h"
#include "ui/animation.h"
#include "ui/clamp.h"
#include "ui/controls/rail.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/focus_ring.h"
#include "ui/geometry.h"
#include "ui/layout/height_sharer.h"
#include "ui/layout/keep_inside.h"
#include "ui/layout/label_placer.h"
#include "ui/layout/scale_to_fit.h"

namespace orbi::ui {
namespace layout_test {

using test::expectRect;

TEST(Clamp, TheLowerBoundWhenTheBoundsCrossOrTheValueIsNoNumber) {
  EXPECT_EQ(clampTo(5.0f, 0.0f, 10.0f), 5.0f);
  EXPECT_EQ(clampTo(-1.0f, 0.0f, 10.0f), 0.0f);
  EXPECT_EQ(clampTo(11.0f, 0.0f, 10.0f), 10.0f);
  // A rectangle narrower than its two margins.
  for (float v : {-5.0f, 3.0f, 7.0f, 50.0f}) EXPECT_EQ(clampTo(v, 8.0f, 2.0f), 8.0f);
  EXPECT_EQ(clampTo(std::nanf(""), 1.0f, 2.0f), 1.0f);
}

TEST(Clamp, ToTheUnitRangeWithNanReadAsZero) {
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float v;
    float clamped;
  };
  for (const Case& c : {Case{0.25f, 0.25f}, Case{0.0f, 0.0f}, Case{1.0f, 1.0f}, Case{-0.5f, 0.0f},
                        Case{1.5f, 1.0f}, Case{-inf, 0.0f}, Case{inf, 1.0f}, Case{std::nanf(""), 0.0f}}) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(clamp01NanTo0(c.v), c.clamped);
  }
}

TEST(Clamp, BetweenTakesItsBoundsInEitherOrder) {
  for (const auto& [a, b] : {std::pair{2.0f, 8.0f}, std::pair{8.0f, 2.0f}}) {
    SCOPED_TRACE(a);
    EXPECT_EQ(clampBetween(5.0f, a, b), 5.0f);
    EXPECT_EQ(clampBetween(-1.0f, a, b), 2.0f);
    EXPECT_EQ(clampBetween(50.0f, a, b), 8.0f);
    EXPECT_EQ(clampBetween(std::nanf(""), a, b), 2.0f);
  }
}

TEST(Rect, InsetShrinksEachSideAndStopsAtZero) {
  expectRect(Rect{10, 20, 100, 50}.inset(5, 10), {15, 30, 90, 30});
  expectRect(Rect{10, 20, 100, 50}.inset(-2, 0), {8, 20, 104, 50});
  expectRect(Rect{10, 20, 100, 50}.inset(60, 30), {70, 50, 0, 0});
}

TEST(Rect, ContainsTakesTheLeftAndTopEdgesAndWithEdgesAllFour) {
  struct Case {
    ImVec2 p;
    bool contains;
    bool withEdges;
  };
  const Rect r{10, 20, 100, 50};
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c :
       {Case{{50, 40}, true, true}, Case{{10, 20}, true, true}, Case{{110, 40}, false, true},
        Case{{50, 70}, false, true}, Case{{110, 70}, false, true}, Case{{9.9f, 40}, false, false},
        Case{{50, 70.1f}, false, false}, Case{{nan, 40}, false, false}}) {
    SCOPED_TRACE(testing::Message() << c.p.x << ", " << c.p.y);
    EXPECT_EQ(r.contains(c.p), c.contains);
    EXPECT_EQ(r.containsWithEdges(c.p), c.withEdges);
  }
  // Two rectangles side by side: a point on the edge they share is in one.
  const Rect left{0, 0, 50, 10}, right{50, 0, 50, 10};
  for (const ImVec2 p : {ImVec2{50, 5}, ImVec2{49.99f, 5}, ImVec2{50.01f, 5}})
    EXPECT_NE(left.contains(p), right.contains(p)) << p.x;
  // Any point with x and y will do.
  struct Point {
    float x, y;
  };
  EXPECT_TRUE(r.contains(Point{10, 20}));
  EXPECT_FALSE(Rect{}.containsWithEdges(Point{1, 0}));
  EXPECT_TRUE(Rect{}.containsWithEdges(Point{0, 0}));
}

TEST(Rect, OverlapsUnlessTheTwoOnlyTouchOrLieApart) {
  struct Case {
    Rect other;
    bool overlaps;
  };
  const Rect r{10, 20, 100, 50};
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c :
       {Case{{50, 40, 5, 5}, true}, Case{{0, 0, 200, 200}, true}, Case{{105, 65, 10, 10}, true},
        Case{{110, 20, 10, 50}, false}, Case{{10, 70, 100, 5}, false}, Case{{0, 20, 10, 50}, false},
        Case{{200, 200, 5, 5}, false}, Case{{50, 40, 0, 0}, true}, Case{{nan, 40, 5, 5}, false}}) {
    SCOPED_TRACE(testing::Message() << c.other.x << ", " << c.other.y);
    EXPECT_EQ(r.overlaps(c.other), c.overlaps);
    EXPECT_EQ(c.other.overlaps(r), c.overlaps);
  }
}

TEST(KeepInside, ABoxMovesInAsLittleAsItTakesAndABoxTooLargeKeepsItsTopLeft) {
  struct Case {
    ImVec2 at;
    ImVec2 size;
    ImVec2 kept;
  };
  // A display whose corner is not the origin, and the same from the origin.
  const Rect display{100, 50, 400, 300};
  for (const Case& c : {Case{{150, 80}, {50, 40}, {150, 80}}, Case{{480, 80}, {50, 40}, {450, 80}},
                        Case{{150, 330}, {50, 40}, {150, 310}}, Case{{20, 10}, {50, 40}, {100, 50}},
                        Case{{480, 330}, {500, 400}, {100, 50}}}) {
    SCOPED_TRACE(testing::Message() << c.at.x << ", " << c.at.y);
    const ImVec2 kept = keepInside(c.at, c.size, display);
    EXPECT_EQ(kept.x, c.kept.x);
    EXPECT_EQ(kept.y, c.kept.y);
    const ImVec2 fromOrigin =
        keepInside({c.at.x - display.x, c.at.y - display.y}, c.size, ImVec2(display.width, display.height));
    EXPECT_EQ(fromOrigin.x, c.kept.x - display.x);
    EXPECT_EQ(fromOrigin.y, c.kept.y - display.y);
  }
}

TEST(Rect, TakeTopAndTakeBottomCutBandsWithinTheHeight) {
  struct Case {
    float asked;
    float band;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c : {Case{20, 20}, Case{0, 0}, Case{50, 50}, Case{80, 50}, Case{-10, 0}, Case{nan, 0}}) {
    SCOPED_TRACE(c.asked);
    Rect top{10, 20, 100, 50};
    expectRect(top.takeTop(c.asked), {10, 20, 100, c.band});
    expectRect(top, {10, 20 + c.band, 100, 50 - c.band});
    Rect bottom{10, 20, 100, 50};
    expectRect(bottom.takeBottom(c.asked), {10, 70 - c.band, 100, c.band});
    expectRect(bottom, {10, 20, 100, 50 - c.band});
  }
  // A rectangle of negative size gives nothing and keeps its place.
  Rect odd{0, 0, -5, -10};
  expectRect(odd.takeTop(4), {0, 0, 0, 0});
  expectRect(odd.takeBottom(4), {0, -10, 0, 0});
  expectRect(odd, {0, 0, -5, -10});
}

TEST(Rect, TakeLeftAndTakeRightCutBandsWithinTheWidth) {
  struct Case {
    float asked;
    float band;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c :
       {Case{30, 30}, Case{0, 0}, Case{100, 100}, Case{140, 100}, Case{-10, 0}, Case{nan, 0}}) {
    SCOPED_TRACE(c.asked);
    Rect left{10, 20, 100, 50};
    expectRect(left.takeLeft(c.asked), {10, 20, c.band, 50});
    expectRect(left, {10 + c.band, 20, 100 - c.band, 50});
    Rect right{10, 20, 100, 50};
    expectRect(right.takeRight(c.asked), {110 - c.band, 20, c.band, 50});
    expectRect(right, {10, 20, 100 - c.band, 50});
  }
  Rect odd{0, 0, -5, -10};
  expectRect(odd.takeLeft(4), {0, 0, 0, 0});
  expectRect(odd.takeRight(4), {-5, 0, 0, 0});
  expectRect(odd, {0, 0, -5, -10});
}

TEST(SizeRule, EachModeSizesAnAxis) {
  struct Case {
    SizeRule rule;
    float natural, available, size;
  };
  const Case cases[] = {
      {{SizeMode::Natural, 0}, 40, 100, 40},     {{SizeMode::Natural, 0}, 140, 100, 100},
      {{SizeMode::Natural, 0}, -1, 100, 100},    {{SizeMode::Fixed, 30}, 0, 100, 60},
      {{SizeMode::Fixed, 80}, 0, 100, 100},      {{SizeMode::Fill, 0}, 40, 100, 100},
      {{SizeMode::Fraction, 0.25f}, 0, 100, 25}, {{SizeMode::Fraction, 1.5f}, 0, 100, 100},
      {{SizeMode::Fraction, -1}, 0, 100, 0},     {{static_cast<SizeMode>(17), 0}, 40, 100, 100},
  };
  UiHarness harness(2.0f);  // fixed sizes are design pixels times the scale
  harness.frame([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message()
                   << static_cast<int>(c.rule.mode) << " " << c.rule.value << " " << c.natural);
      EXPECT_FLOAT_EQ(ruleSize(c.rule, c.natural, c.available), c.size);
    }
  });
}

TEST(ScaleToFit, ANaturalBoxIsScaledToFitAndThatScaleIsPushedForTheScope) {
  UiHarness harness;
  harness.frame([] {
    {
      const ScaleToFit fit({0, 0, 300, 300}, {SizeMode::Natural, 0}, ImVec2(100, 50), Align::Centre,
                           Align::Centre);
      EXPECT_TRUE(fit.pushedScale());
      expectRect(fit.rect(), {0, 75, 300, 150});
      EXPECT_FLOAT_EQ(scale(), 3.0f);
      {
        // Nested: the factors multiply.
        const ScaleToFit inner({0, 0, 50, 50}, {SizeMode::Natural, 0}, ImVec2(100, 100), Align::Start,
                               Align::Start);
        EXPECT_FLOAT_EQ(scale(), 1.5f);
      }
      EXPECT_FLOAT_EQ(scale(), 3.0f);
    }
    EXPECT_FLOAT_EQ(scale(), 1.0f);
  });
}

TEST(ScaleToFit, AlignmentsPlaceTheBoxInBothAxes) {
  struct Case {
    Align x, y;
    float left, top;
  };
  UiHarness harness;
  harness.frame([] {
    // 100 x 50 into 400 x 100 at (10, 20): factor 2, a 200 x 100 box.
    for (const Case& c :
         {Case{Align::Start, Align::Start, 10, 20}, Case{Align::Centre, Align::Centre, 110, 20},
          Case{Align::End, Align::End, 210, 20}, Case{static_cast<Align>(7), Align::Start, 10, 20}}) {
      SCOPED_TRACE(static_cast<int>(c.x));
      const ScaleToFit fit({10, 20, 400, 100}, {SizeMode::Natural, 0}, ImVec2(100, 50), c.x, c.y);
      expectRect(fit.rect(), {c.left, c.top, 200, 100});
    }
  });
}

TEST(ScaleToFit, OtherRulesSizeEachAxisAndPushNothing) {
  UiHarness harness;
  harness.frame([] {
    {
      const ScaleToFit fill({0, 0, 300, 100}, {SizeMode::Fill, 0}, ImVec2(100, 40), Align::Centre,
                            Align::End);
      EXPECT_FALSE(fill.pushedScale());
      EXPECT_FLOAT_EQ(scale(), 1.0f);
      expectRect(fill.rect(), {0, 60, 300, 40});
    }
    {
      // A natural box without a positive size is not scaled either.
      const ScaleToFit unsized({0, 0, 300, 100}, {SizeMode::Natural, 0}, ImVec2(-1, 40), Align::Start,
                               Align::Start);
      EXPECT_FALSE(unsized.pushedScale());
      expectRect(unsized.rect(), {0, 0, 300, 40});
    }
    {
      // No room: a factor of at least 0.001, never a negative size.
      const ScaleToFit none({5, 5, -10, 0}, {SizeMode::Natural, 0}, ImVec2(100, 50), Align::Start,
                            Align::Start);
      EXPECT_TRUE(none.pushedScale());
      EXPECT_FLOAT_EQ(scale(), 0.001f);
      EXPECT_GE(none.rect().width, 0.0f);
    }
    EXPECT_FLOAT_EQ(scale(), 1.0f);
  });
}

constexpr std::uint32_t kId = 0xF1A5;
constexpr float kDuration = 0.5f;  // 30 frames at 60 a second

TEST(Animation, DecaysAsTheSquareOfTheTimeLeftAndIsForgottenAfterItsDuration) {
  UiHarness harness;
  harness.frame([] {
    EXPECT_EQ(animationState(kId, kDuration), 0.0f);
    context().animations()[kId] = ImGui::GetTime();
    EXPECT_FLOAT_EQ(animationState(kId, kDuration), 1.0f);
  });
  for (int frame = 1; frame <= 31; ++frame) {
    harness.frame([&] {
      SCOPED_TRACE(frame);
      const double left = 1.0 - (frame / 60.0) / kDuration;
      const float state = animationState(kId, kDuration);
      if (frame < 30) {
        EXPECT_NEAR(state, left * left, 1e-5);
        EXPECT_EQ(context().animations().count(kId), 1u);
      } else {
        EXPECT_EQ(state, 0.0f);
        EXPECT_EQ(context().animations().count(kId), 0u);
      }
    });
  }
  // Started again, it runs again; a zero duration is over at once.
  harness.frame([] {
    context().animations()[kId] = ImGui::GetTime();
    EXPECT_EQ(animationState(kId, 0.0f), 0.0f);
    EXPECT_EQ(context().animations().count(kId), 0u);
  });
}

TEST(FocusRing, FillsFaintlyAndOutlinesInsideByOneScaledPixel) {
  UiHarness harness(2.0f);
  harness.frame([] { focusRing(ImGui::GetWindowDrawList(), {10, 10, 100, 40}); });
  const auto fills = harness.drawLog().find(DrawOp::FillRect);
  const auto strokes = harness.drawLog().find(DrawOp::StrokeRect);
  ASSERT_EQ(fills.size(), 1u);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(fills[0]->colour, 0x1F8DC63Fu);
  expectRect(fills[0]->rect, {10, 10, 100, 40});
  EXPECT_EQ(strokes[0]->colour, 0xFF8DC63Fu);
  expectRect(strokes[0]->rect, {12, 12, 96, 36});
  EXPECT_EQ(strokes[0]->radius, 4.0f);
  EXPECT_EQ(strokes[0]->width, 1.5f);
}

TEST(Rail, PanelAndRectFollowTheScale) {
  UiHarness harness(1.5f);
  harness.frame([] {
    drawRailPanel(ImGui::GetWindowDrawList(), {0, 0, 200, 48});
    EXPECT_FLOAT_EQ(railPadding(), 4.5f);
    EXPECT_EQ(railBorderColour(), 0x8C5A8A1Au);
    expectRect(railRect({10, 100, 300, 80}, 120), {10, 116, 120, 48});
    expectRect(railRect({10, 100, 300, 30}, 400), {10, 100, 300, 30});
    expectRect(railRect({10, 100, 300, -4}, -5), {10, 100, 0, 0});
  });
  const auto fills = harness.drawLog().find(DrawOp::FillRect);
  const auto strokes = harness.drawLog().find(DrawOp::StrokeRect);
  ASSERT_EQ(fills.size(), 1u);
  ASSERT_EQ(strokes.size(), 1u);
  EXPECT_EQ(fills[0]->colour, 0xFF202C19u);
  // Rounded by half the height: 24 pixels, 16 design units at scale 1.5.
  EXPECT_FLOAT_EQ(fills[0]->radius * 1.5f, 24.0f);
  EXPECT_EQ(strokes[0]->colour, 0x8C5A8A1Au);
  EXPECT_EQ(strokes[0]->width, 1.0f);
}

TEST(Rail, PillButtonsFillWhenSelectedOrHoveredAndReportClicks) {
  UiHarness harness;
  PillState state;
  bool selected = false;
  auto body = [&] { state = pillButton("pill", {100, 100, 80, 30}, selected, "Pill"); };
  harness.frame(body);
  EXPECT_TRUE(harness.drawLog().find(DrawOp::FillRect).empty());
  EXPECT_EQ(pillContentColour(state, false), 0xFF8A8870u);

  harness.movePointer({140, 115});
  harness.frame(body);
  EXPECT_TRUE(state.hovered);
  ASSERT_EQ(harness.drawLog().find(DrawOp::FillRect).size(), 1u);
  EXPECT_EQ(harness.drawLog().find(DrawOp::FillRect)[0]->colour, 0x992F4121u);
  EXPECT_EQ(pillContentColour(state, false), 0xFFF0EED8u);
  const ItemRecord* item = harness.drawLog().findItem("pill");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->cursor, ImGuiMouseCursor_Hand);
  EXPECT_EQ(item->tooltip, "Pill");

  harness.setButton(ImGuiMouseButton_Left, true);
  harness.frame(body);
  EXPECT_TRUE(state.held);
  EXPECT_FALSE(state.clicked);
  harness.setButton(ImGuiMouseButton_Left, false);
  harness.frame(body);
  EXPECT_TRUE(state.clicked);

  // Released away from the pill: no click.
  harness.frames(30, body);
  harness.setButton(ImGuiMouseButton_Left, true);
  harness.frame(body);
  harness.movePointer({400, 400});
  harness.frame(body);
  harness.setButton(ImGuiMouseButton_Left, false);
  harness.frame(body);
  EXPECT_FALSE(state.clicked);

  selected = true;
  harness.frame(body);
  ASSERT_EQ(harness.drawLog().find(DrawOp::FillRect).size(), 1u);
  EXPECT_EQ(harness.drawLog().find(DrawOp::FillRect)[0]->colour, 0xFF3E5827u);
  EXPECT_EQ(pillContentColour(state, true), 0xFF8DC63Fu);
}

// A label goes where nothing is drawn; else over strokes and waveforms
// only (its painter plates it), never over a handle or another label.
TEST(LabelPlacer, ALabelSettlesClearThenOverStrokesNeverOverHandles) {
  const Rect left{0, 0, 20, 10}, middle{40, 0, 20, 10}, right{80, 0, 20, 10};
  const Rect candidates[] = {left, middle, right};
  LabelPlacer placer;
  EXPECT_EQ(placer.settle(candidates).index, 0u);
  EXPECT_TRUE(placer.settle(candidates).clear);
  placer.disc({10, 5}, 4);  // a handle on the left
  placer.waveform({.x0 = 40, .tops = {0, 0, 0}, .bottoms = {10, 10, 10}, .line = {}});  // columns at 40..43
  const Rect busy[] = {left, middle};
  EXPECT_EQ(placer.settle(busy).index, 1u);
  EXPECT_FALSE(placer.settle(busy).clear);
  EXPECT_EQ(placer.settle(candidates).index, 2u);
  EXPECT_TRUE(placer.settle(candidates).clear);
  // Columns under half a pixel drew nothing; a stroke on the right is soft.
  LabelPlacer flat;
  flat.waveform({.x0 = 40, .tops = {5, 5}, .bottoms = {5.2f, 5}, .line = {}});
  EXPECT_TRUE(flat.settle(std::span<const Rect>(&middle, 1)).clear);
  flat.line({70, 5}, {110, 5}, 1.0f);
  flat.panel(left);
  const Rect taken[] = {left, right};
  EXPECT_EQ(flat.settle(taken).index, 1u);
  EXPECT_FALSE(flat.settle(taken).clear);
}

// Bands asked first keep their room; rows come whole, an all-or-nothing
// band waits for room for all of it, and an overdrawn height gives nothing.
TEST(HeightSharer, GivesInTheOrderAskedAsFarAsTheHeightGoes) {
  HeightSharer sharer(100.0f);
  float first = 0.0f, rows = 0.0f, whole = 0.0f, rest = 0.0f;
  sharer.give(first, 30.0f);
  sharer.giveRows(rows, 80.0f, 16.0f);  // four whole rows of the 70 left
  EXPECT_FLOAT_EQ(first, 30.0f);
  EXPECT_FLOAT_EQ(rows, 64.0f);
  sharer.giveAll(whole, 10.0f);  // 6 left: not enough
  EXPECT_FLOAT_EQ(whole, 0.0f);
  sharer.give(rest, 50.0f);
  EXPECT_FLOAT_EQ(rest, 6.0f);
  EXPECT_FLOAT_EQ(sharer.left(), 0.0f);

  HeightSharer overdrawn(20.0f);
  overdrawn.take(35.0f);
  float band = 5.0f;
  overdrawn.give(band, 40.0f);
  overdrawn.giveRows(band, 40.0f, 4.0f);
  overdrawn.giveAll(band, 5.0f);
  EXPECT_FLOAT_EQ(band, 5.0f);
  EXPECT_FLOAT_EQ(overdrawn.left(), 0.0f);
}

}  // namespace layout_test
}  // namespace orbi::ui
