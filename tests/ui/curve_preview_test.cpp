// The curve preview: the thumbnail's square, its colours in every state,
// where the curve's points land, and the drag axis its caller acts on.

#include "ui/controls/curve_preview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/ui/ui_harness.h"
#include "tests/ui/rect_check.h"
#include "ui/draw/draw_log.h"
#include "ui/keys.h"

namespace orbi::ui {
namespace curve_preview_test {

using test::expectRect;

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

CurveSamples constantCurve(float value) {
  CurveSamples curve;
  curve.values.fill(value);
  curve.valid = true;
  return curve;
}

class CurveSquare : public testing::TestWithParam<float> {};

TEST_P(CurveSquare, IsLimitedByTheSmallerSideAndCentred) {
  struct Case {
    Rect rect;
    Rect square;  // design pixels
  };
  const Case cases[] = {
      {{10, 10, 20, 100}, {10, 50, 20, 20}},
      {{10, 10, 100, 20}, {50, 10, 20, 20}},
      {{10, 10, 100, 100}, {43, 43, 34, 34}},
      {{10, 10, 0, 50}, {10, 35, 0, 0}},
  };
  const float s = GetParam();
  UiHarness harness(s);
  harness.frame([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.rect.width << "x" << c.rect.height);
      const Rect rect{c.rect.x * s, c.rect.y * s, c.rect.width * s, c.rect.height * s};
      const CurvePreviewResult result = curvePreview(std::to_string(c.rect.width).c_str(), rect, {}, {});
      expectRect(result.square, {c.square.x * s, c.square.y * s, c.square.width * s, c.square.height * s});
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Scales, CurveSquare, testing::Values(1.0f, 2.0f));

struct Look {
  const char* name;
  bool dim;
  bool hovered;
  std::uint32_t fill, border, curve;
  float borderWidth;
};

class CurveLook : public testing::TestWithParam<Look> {};

TEST_P(CurveLook, FollowsDimmingAndThePointer) {
  const Look& look = GetParam();
  UiHarness harness(2.0f);
  const Rect rect{100, 100, 68, 68};
  if (look.hovered) harness.movePointer({134, 134});
  CurvePreviewOptions options;
  options.dim = look.dim;
  harness.frames(2, [&] { curvePreview("curve", rect, constantCurve(0.0f), options); });
  const DrawLog& log = harness.drawLog();
  const auto fills = log.find(DrawOp::FillRect);
  const auto borders = log.find(DrawOp::StrokeRect);
  const auto curves = log.find(DrawOp::Polyline);
  ASSERT_EQ(fills.size(), 1u);
  ASSERT_EQ(borders.size(), 1u);
  ASSERT_EQ(curves.size(), 1u);
  EXPECT_EQ(fills[0]->colour, look.fill);
  EXPECT_EQ(fills[0]->radius, 6.0f);
  expectRect(fills[0]->rect, rect);
  EXPECT_EQ(borders[0]->colour, look.border);
  EXPECT_EQ(borders[0]->width, look.borderWidth);
  EXPECT_EQ(borders[0]->radius, 6.0f);
  // The outline runs half its width inside the square.
  const float inset = look.borderWidth * 2.0f / 2.0f;
  expectRect(borders[0]->rect, rect.inset(inset, inset));
  EXPECT_EQ(curves[0]->colour, look.curve);
  EXPECT_EQ(curves[0]->width, 1.6f);
}

INSTANTIATE_TEST_SUITE_P(
    States, CurveLook,
    testing::Values(Look{"Lit", false, false, 0xF21A2214, 0xFF8DC63F, 0xFF8DC63F, 1.0f},
                    Look{"Dim", true, false, 0x8C1A2214, 0xFF2A3520, 0x808A8870, 1.0f},
                    Look{"Hovered", false, true, 0xF21A2214, 0xFFA4D165, 0xFF8DC63F, 1.6f},
                    Look{"DimHovered", true, true, 0x8C1A2214, 0xFFA4D165, 0x808A8870, 1.6f}),
    [](const testing::TestParamInfo<Look>& info) { return std::string(info.param.name); });

TEST(CurvePreview, PlotsEverySecondSampleAcrossTheAreaWithoutClamping) {
  UiHarness harness;
  const Rect rect{100, 100, 34, 34};
  const Rect area{104, 104, 26, 26};
  const float centre = area.y + area.height / 2.0f;
  for (const float value : {1.0f, -1.0f, 0.0f, 2.0f}) {
    SCOPED_TRACE(value);
    harness.frame([&] { curvePreview("curve", rect, constantCurve(value), {}); });
    const auto curves = harness.drawLog().find(DrawOp::Polyline);
    ASSERT_EQ(curves.size(), 1u);
    const auto& points = curves[0]->points;
    ASSERT_EQ(points.size(), 49u);
    EXPECT_FLOAT_EQ(points.front().x, area.x);
    EXPECT_FLOAT_EQ(points.back().x, area.x + area.width);
    EXPECT_FLOAT_EQ(points[24].x, area.x + area.width / 2.0f);
    for (const ImVec2& p : points) EXPECT_NEAR(p.y, centre - value * 0.42f * area.height, 1e-4f);
  }
  // Which samples: the odd ones are skipped.
  CurveSamples ramp;
  ramp.valid = true;
  for (int i = 0; i < kCurveSampleCount; ++i) ramp.values[i] = (i % 2 == 0) ? 0.5f : -1.0f;
  harness.frame([&] { curvePreview("curve", rect, ramp, {}); });
  for (const ImVec2& p : harness.drawLog().find(DrawOp::Polyline)[0]->points)
    EXPECT_NEAR(p.y, centre - 0.5f * 0.42f * area.height, 1e-4f);
}

TEST(CurvePreview, AnInvalidCurveDrawsOnlyBackgroundAndBorder) {
  UiHarness harness;
  CurveSamples curve = constantCurve(0.3f);
  curve.valid = false;
  harness.frame([&] { curvePreview("curve", {0, 0, 34, 34}, curve, {}); });
  EXPECT_TRUE(harness.drawLog().find(DrawOp::Polyline).empty());
  EXPECT_EQ(harness.drawLog().find(DrawOp::FillRect).size(), 1u);
  EXPECT_EQ(harness.drawLog().find(DrawOp::StrokeRect).size(), 1u);
}

// A press on the thumbnail with some modifiers held, then movements; what
// the last frame reported.
class CurveDrag {
 public:
  CurveDrag() { harness_.frame(); }
  Interaction step() {
    Interaction it;
    harness_.frame([&] {
      it = curvePreview("drive", {100, 100, 34, 34}, constantCurve(0.0f), options).interaction;
    });
    return it;
  }
  Interaction press(std::uint8_t mods) {
    harness_.movePointer(at_);
    harness_.setMods(mods);
    step();
    harness_.setButton(kLeft, true);
    return step();
  }
  Interaction moveBy(float dx, float dy) {
    at_ = ImVec2(at_.x + dx, at_.y + dy);
    harness_.movePointer(at_);
    return step();
  }
  UiHarness& harness() { return harness_; }
  CurvePreviewOptions options;

 private:
  UiHarness harness_;
  ImVec2 at_{117, 117};
};

TEST(CurveDrag, TheFirstMovementDecidesTheAxisUnlessShiftOrAltForceVertical) {
  struct Case {
    std::uint8_t mods;  // held at the press, let go at once after it
    ImVec2 first;
    DragAxis axis;
  };
  const Case cases[] = {
      {kModNone, {8, 2}, DragAxis::Horizontal},
      {kModNone, {-2, -9}, DragAxis::Vertical},
      {kModNone, {-7, 5}, DragAxis::Horizontal},
      {kModCtrl, {9, 1}, DragAxis::Horizontal},
      {kModShift, {30, -6}, DragAxis::Vertical},
      {kModAlt, {30, -6}, DragAxis::Vertical},
      {static_cast<std::uint8_t>(kModShift | kModAlt), {30, -6}, DragAxis::Vertical},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.mods) << " " << c.first.x << "," << c.first.y);
    CurveDrag drag;
    drag.press(c.mods);
    drag.harness().setMods(kModNone);
    const Interaction first = drag.moveBy(c.first.x, c.first.y);
    EXPECT_TRUE(first.dragging);
    EXPECT_EQ(first.axis, c.axis);
    EXPECT_EQ(first.shiftAtPress, (c.mods & kModShift) != 0);
    EXPECT_EQ(first.altAtPress, (c.mods & kModAlt) != 0);
    // Later movement across the decided axis is not reported.
    const Interaction later = drag.moveBy(-20, 20);
    EXPECT_EQ(later.axis, c.axis);
    if (c.axis == DragAxis::Horizontal)
      EXPECT_EQ(later.total.y, 0.0f);
    else
      EXPECT_EQ(later.total.x, 0.0f);
  }
}

TEST(CurvePreview, ShowsTheResizeCursorsAndTheTooltip) {
  UiHarness harness;
  CurvePreviewOptions options;
  options.tooltip = "drive";
  auto body = [&] { curvePreview("drive", {0, 0, 34, 34}, {}, options); };
  harness.frame(body);
  ASSERT_NE(harness.drawLog().findItem("drive"), nullptr);
  EXPECT_EQ(harness.drawLog().findItem("drive")->cursor, ImGuiMouseCursor_ResizeNS);
  EXPECT_EQ(harness.drawLog().findItem("drive")->tooltip, "drive");
  harness.setMods(kModAlt);
  harness.frame(body);
  EXPECT_EQ(harness.drawLog().findItem("drive")->cursor, ImGuiMouseCursor_ResizeAll);
}

}  // namespace curve_preview_test
}  // namespace orbi::ui
