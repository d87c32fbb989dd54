#include "ui/draw/icons.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/draw_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace icons_test {

struct NamedPainter {
  const char* name;
  IconPainter paint;
};

std::vector<NamedPainter> allPainters() {
  return {
      {"play", paintPlay},
      {"pause", paintPause},
      {"rewind", paintRewind},
      {"record", paintRecord(false)},
      {"recording", paintRecord(true)},
      {"loop", paintLoop},
      {"chevron right", paintChevronRight},
      {"chevron left", paintChevronLeft},
      {"redo", paintRedo},
      {"undo", paintUndo},
      {"menu", paintMenu},
      {"save", paintSave},
      {"close", paintClose},
      {"maximise", paintMaximise},
      {"restore", paintRestore},
      {"minimise", paintMinimise},
  };
}

constexpr std::uint32_t kContent = 0xFFF0EED8;

std::vector<DrawRecord> paint(UiHarness& harness, const IconPainter& painter, const Rect& box) {
  harness.frame([&] { painter(ImGui::GetWindowDrawList(), box, packColour(kContent)); });
  return {harness.drawLog().records().begin(), harness.drawLog().records().end()};
}

// Every point of b is a's point carried from boxA to boxB: (p - origin) x k.
void expectInProportion(const std::vector<DrawRecord>& a, const std::vector<DrawRecord>& b, ImVec2 originA,
                        ImVec2 originB, float k) {
  ASSERT_EQ(a.size(), b.size());
  auto carried = [&](ImVec2 p) {
    return ImVec2(originB.x + (p.x - originA.x) * k, originB.y + (p.y - originA.y) * k);
  };
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(a[i].op, b[i].op);
    EXPECT_EQ(a[i].colour, b[i].colour);
    // Stroke widths and corner roundings are design units: equal, the
    // primitives scale them.
    EXPECT_EQ(a[i].width, b[i].width);
    if (a[i].op == DrawOp::FillCircle) {
      EXPECT_NEAR(b[i].radius, a[i].radius * k, 1e-3f);
    } else {
      EXPECT_EQ(a[i].radius, b[i].radius);
    }
    ASSERT_EQ(a[i].points.size(), b[i].points.size());
    for (std::size_t p = 0; p < a[i].points.size(); ++p) {
      const ImVec2 want = carried(a[i].points[p]);
      EXPECT_NEAR(b[i].points[p].x, want.x, 1e-3f);
      EXPECT_NEAR(b[i].points[p].y, want.y, 1e-3f);
    }
    if (a[i].op != DrawOp::FillRect && a[i].op != DrawOp::StrokeRect) continue;
    const Rect& ra = a[i].rect;
    const ImVec2 corner = carried(ImVec2(ra.x, ra.y));
    EXPECT_NEAR(b[i].rect.x, corner.x, 1e-3f);
    EXPECT_NEAR(b[i].rect.y, corner.y, 1e-3f);
    EXPECT_NEAR(b[i].rect.width, ra.width * k, 1e-3f);
    EXPECT_NEAR(b[i].rect.height, ra.height * k, 1e-3f);
  }
}

TEST(Icons, ShapesFollowTheBoxAndOnlyStrokesFollowTheScale) {
  UiHarness one(1.0f), two(2.0f);
  const Rect box{40, 60, 24, 24}, doubled{100, 200, 48, 48};
  for (const NamedPainter& p : allPainters()) {
    SCOPED_TRACE(p.name);
    const auto base = paint(one, p.paint, box);
    ASSERT_FALSE(base.empty());
    // Twice the box at twice the scale: every shape twice as large.
    expectInProportion(base, paint(two, p.paint, doubled), {box.x, box.y}, {doubled.x, doubled.y}, 2.0f);
    // The same box at twice the scale: the same shapes, only thicker.
    expectInProportion(base, paint(two, p.paint, box), {box.x, box.y}, {box.x, box.y}, 1.0f);
  }
}

TEST(Icons, StrokesAreDrawnWiderAtALargerScale) {
  // A horizontal line across the box: its drawn height is the stroke
  // width times the scale plus the anti-aliasing fringe.
  for (const float s : {1.0f, 2.0f}) {
    SCOPED_TRACE(s);
    UiHarness harness(s);
    const auto vertices = test::verticesDrawnBy(harness, [](ImDrawList* dl) {
      paintMinimise(dl, {10, 10, 40, 20}, packColour(kContent));
    });
    float top = 1e9f, bottom = -1e9f;
    for (const ImDrawVert& v : vertices) {
      top = std::min(top, v.pos.y);
      bottom = std::max(bottom, v.pos.y);
    }
    EXPECT_NEAR(bottom - top, 1.2f * s + 1.0f, 0.01f);
  }
}

TEST(Icons, AZeroWidthBoxDrawsNothingThatIsNotANumber) {
  UiHarness harness;
  for (const Rect& box : {Rect{30, 30, 0, 0}, Rect{30, 30, 0, 20}}) {
    for (const NamedPainter& p : allPainters()) {
      SCOPED_TRACE(p.name);
      const auto vertices =
          test::verticesDrawnBy(harness, [&](ImDrawList* dl) { p.paint(dl, box, packColour(kContent)); });
      for (const ImDrawVert& v : vertices) {
        EXPECT_TRUE(std::isfinite(v.pos.x) && std::isfinite(v.pos.y));
        EXPECT_TRUE(std::isfinite(v.uv.x) && std::isfinite(v.uv.y));
      }
      const auto reach = test::indexReach(*harness.rootDrawList());
      EXPECT_EQ(reach.pastTheEnd, 0);
    }
  }
}

TEST(Icons, ColoursArriveInTheDrawListsOrderAndRecordingIsRed) {
  UiHarness harness;
  const auto plain = paint(harness, paintPlay, {0, 0, 24, 24});
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].colour, kContent);  // logged as 0xAARRGGBB again
  const auto recording = paint(harness, paintRecord(true), {0, 0, 24, 24});
  ASSERT_EQ(recording.size(), 1u);
  EXPECT_EQ(recording[0].colour, 0xFFC84830u);
  EXPECT_NEAR(recording[0].radius, 0.17f * 24, 1e-4f);
  const auto idle = paint(harness, paintRecord(false), {0, 0, 24, 24});
  EXPECT_EQ(idle[0].colour, kContent);
}

TEST(Icons, ArcsUseTheirSegmentCountsAndEndWhereTheArrowheadsSit) {
  UiHarness harness;
  const Rect box{0, 0, 100, 100};
  const auto loop = paint(harness, paintLoop, box);
  ASSERT_EQ(loop.size(), 2u);
  EXPECT_EQ(loop[0].op, DrawOp::Polyline);
  EXPECT_EQ(loop[0].points.size(), 25u);  // 24 segments
  EXPECT_EQ(loop[0].width, 1.6f);
  // Every arc point lies on the circle of radius 0.19 w around the centre.
  for (const ImVec2& p : loop[0].points) EXPECT_NEAR(std::hypot(p.x - 50, p.y - 50), 19.0f, 1e-3f);

  for (const bool redo : {true, false}) {
    SCOPED_TRACE(redo);
    const auto arrow = paint(harness, redo ? IconPainter(paintRedo) : IconPainter(paintUndo), box);
    ASSERT_EQ(arrow.size(), 2u);
    ASSERT_EQ(arrow[0].points.size(), 17u);  // 16 segments
    // The arc runs over the top and ends on the arrowhead's side.
    const ImVec2 end = arrow[0].points.back();
    EXPECT_EQ(end.x > 50, redo);
    for (const ImVec2& p : arrow[0].points) EXPECT_LT(p.y, 50.0f + 0.35f * 32.0f + 1e-3f);
    EXPECT_EQ(arrow[1].op, DrawOp::FillTriangle);
    const float headX = arrow[1].points[2].x;
    EXPECT_NEAR(headX, redo ? 82.0f : 18.0f, 1e-3f);
    EXPECT_GT(arrow[1].points[2].y, arrow[1].points[0].y);  // pointing down
  }
}

}  // namespace icons_test
}  // namespace orbi::ui
