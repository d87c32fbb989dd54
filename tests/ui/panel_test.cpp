// Panels and scroll areas: content rectangles, what a panel paints, clipping
// of its content, scrolling a known content height, and regions over empty
// rectangles that must not swallow the clicks of the widgets below.

#include "ui/controls/panel.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "support/ui/ui_harness.h"
#include "tests/ui/rect_check.h"
#include "ui/controls/scroll_area.h"
#include "ui/controls/virtual_list.h"
#include "ui/draw/draw_log.h"
#include "ui/imgui_internals.h"
#include "ui/interact/interaction.h"

namespace orbi::ui {
namespace panel_test {

using test::expectRect;

Rect scaled(const Rect& r, float s) { return {r.x * s, r.y * s, r.width * s, r.height * s}; }

class PanelContent : public testing::TestWithParam<float> {};

TEST_P(PanelContent, IsInsetByThePaddingAndStartsBelowATitle) {
  struct Case {
    Rect rect;
    const char* title;
    Rect content;  // design pixels
  };
  const Case cases[] = {
      {{10, 20, 300, 200}, "", {20, 30, 280, 180}},
      {{10, 20, 300, 200}, "Macros", {20, 50, 280, 160}},
      // Smaller than twice the padding: nothing is left for the content.
      {{10, 20, 15, 12}, "", {20, 30, 0, 0}},
      {{10, 20, 15, 40}, "Samples", {20, 50, 0, 0}},
      {{10, 20, 300, 35}, "Samples", {20, 50, 280, 0}},
  };
  const float s = GetParam();
  UiHarness harness(s);
  harness.frame([&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.rect.width << "x" << c.rect.height << " '" << c.title << "'");
      expectRect(paintPanelFrame(ImGui::GetWindowDrawList(), scaled(c.rect, s), c.title),
                 scaled(c.content, s));
      const Panel panel(scaled(c.rect, s), c.title);
      expectRect(panel.content(), scaled(c.content, s));
      expectRect(panel.rect(), scaled(c.rect, s));
      EXPECT_EQ(panel.drawList(), ImGui::GetWindowDrawList());
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Scales, PanelContent, testing::Values(1.0f, 2.0f));

TEST(PanelFrame, PaintsBorderTitleAndDividerInTheThemeColours) {
  UiHarness harness(2.0f);
  const Rect rect{20, 40, 400, 300};
  harness.frame([&] { paintPanelFrame(ImGui::GetWindowDrawList(), rect, "Macros"); });
  const DrawLog& log = harness.drawLog();

  const auto borders = log.find(DrawOp::StrokeRect);
  ASSERT_EQ(borders.size(), 1u);
  EXPECT_EQ(borders[0]->colour, 0xFF2A3520u);
  EXPECT_EQ(borders[0]->radius, 8.0f);
  expectRect(borders[0]->rect, {21, 41, 398, 298});

  const auto texts = log.find(DrawOp::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, "Macros");
  EXPECT_EQ(texts[0]->style, TextStyle::Heading);
  EXPECT_EQ(texts[0]->colour, 0xFF8A8870u);
  EXPECT_EQ(texts[0]->alignment, TextAlign::Left);
  expectRect(texts[0]->rect, {40, 44, 360, 48});

  // The highlight along the top edge, then the divider under the title.
  const auto lines = log.find(DrawOp::Polyline);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]->colour, 0x0AFFFFFFu);
  EXPECT_FLOAT_EQ(lines[0]->points[0].x, 36.0f);
  EXPECT_FLOAT_EQ(lines[0]->points[1].x, 404.0f);
  EXPECT_FLOAT_EQ(lines[0]->points[0].y, 40.5f);
  EXPECT_EQ(lines[1]->colour, 0x592A3520u);
  EXPECT_FLOAT_EQ(lines[1]->points[0].x, 32.0f);
  EXPECT_FLOAT_EQ(lines[1]->points[1].x, 408.0f);
  EXPECT_FLOAT_EQ(lines[1]->points[0].y, 91.0f);
}

TEST(PanelFrame, WithoutATitleHasNoTitleAndNoDivider) {
  UiHarness harness;
  harness.frame([] { paintPanelFrame(ImGui::GetWindowDrawList(), {0, 0, 200, 100}, ""); });
  EXPECT_TRUE(harness.drawLog().find(DrawOp::Text).empty());
  EXPECT_EQ(harness.drawLog().find(DrawOp::Polyline).size(), 1u);
}

TEST(Panel, ClipsDrawingAndHitTestingToItsContentUntilItEnds) {
  UiHarness harness;
  const Rect rect{100, 100, 300, 200};
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = {50, 150, 400, 40};  // reaches past the panel on both sides
  bool hovered = false;
  auto body = [&] {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    const ImVec2 before = dl->GetClipRectMax();
    {
      const Panel panel(rect, "Title");
      const Rect c = panel.content();
      EXPECT_FLOAT_EQ(dl->GetClipRectMin().x, c.x);
      EXPECT_FLOAT_EQ(dl->GetClipRectMin().y, c.y);
      EXPECT_FLOAT_EQ(dl->GetClipRectMax().x, c.x + c.width);
      EXPECT_FLOAT_EQ(dl->GetClipRectMax().y, c.y + c.height);
      hovered = interact("inside", desc).hovered;
    }
    EXPECT_EQ(dl->GetClipRectMax().x, before.x);
    EXPECT_EQ(dl->GetClipRectMax().y, before.y);
  };
  for (const float x : {70.0f, 420.0f}) {  // over the item, outside the panel
    harness.movePointer({x, 170});
    harness.frames(2, body);
    EXPECT_FALSE(hovered) << x;
  }
  harness.movePointer({250, 170});
  harness.frames(2, body);
  EXPECT_TRUE(hovered);
}

TEST(Panel, AContentClippedAwayCannotBeHovered) {
  UiHarness harness;
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = {100, 100, 15, 15};
  bool hovered = true;
  harness.movePointer({108, 108});
  harness.frames(2, [&] {
    const Panel panel({100, 100, 15, 15}, "");
    hovered = interact("inside", desc).hovered;
  });
  EXPECT_FALSE(hovered);
}

TEST(ScrollArea, GivesTheRectsCornerAndWidthAndScrollsExactlyItsContent) {
  UiHarness harness;
  const Rect rect{100, 50, 300, 200};
  ImVec2 origin;
  float width = 0.0f, height = 0.0f;
  bool began = false;
  auto body = [&] {
    const ScrollArea area("area", rect, 1000.0f);
    origin = area.origin();
    width = area.contentWidth();
    height = area.contentHeight();
    began = area.began();
  };
  harness.frames(2, body);
  EXPECT_TRUE(began);
  EXPECT_FLOAT_EQ(origin.x, 100.0f);
  EXPECT_FLOAT_EQ(origin.y, 50.0f);
  EXPECT_FLOAT_EQ(height, 1000.0f);
  // A content taller than the area brings a scroll bar, which takes width.
  EXPECT_FLOAT_EQ(width, 300.0f - ImGui::GetStyle().ScrollbarSize);

  // Scrolled as far as it goes, the content's bottom meets the area's.
  harness.movePointer({200, 150});
  for (int i = 0; i < 40; ++i) {
    harness.scrollWheel(-5.0f);
    harness.frame(body);
  }
  harness.frame(body);
  EXPECT_FLOAT_EQ(origin.y, 50.0f + 200.0f - 1000.0f);
}

TEST(ScrollArea, AContentThatFitsLeavesTheWholeWidthAndANegativeHeightCountsAsNone) {
  UiHarness harness;
  harness.frames(2, [] {
    const ScrollArea fits("fits", {0, 0, 300, 200}, 50.0f);
    EXPECT_FLOAT_EQ(fits.contentWidth(), 300.0f);
  });
  harness.frame([] {
    const ScrollArea negative("negative", {0, 300, 300, 200}, -40.0f);
    EXPECT_EQ(negative.contentHeight(), 0.0f);
  });
}

TEST(ScrollArea, EndsItsRegionWhenLeftByAnException) {
  UiHarness harness;
  harness.frame([] {
    ImGuiWindow* root = ImGui::GetCurrentWindow();
    try {
      const ScrollArea area("area", {0, 0, 100, 100}, 300.0f);
      EXPECT_NE(ImGui::GetCurrentWindow(), root);
      throw std::runtime_error("painter failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(ImGui::GetCurrentWindow(), root);
  });
}

// A region over an empty rectangle drawn above a button: Dear ImGui would
// stretch a region of size 0 over the rest of the window.
struct EmptyRegion {
  const char* name;
  std::function<void()> draw;
};

class EmptyRegions : public testing::TestWithParam<int> {};

TEST_P(EmptyRegions, LeaveTheClicksToTheWidgetsBelow) {
  const EmptyRegion regions[] = {
      {"scroll area of no height",
       [] {
         const ScrollArea area("area", {100, 100, 300, 0}, 500.0f);
       }},
      {"scroll area of no width",
       [] {
         const ScrollArea area("area", {100, 100, 0, 300}, 500.0f);
       }},
      {"list of no height",
       [] {
         std::int32_t selected = -1;
         virtualList("list", {100, 100, 300, 0}, 50, selected, 20.0f, {});
       }},
      {"list of negative size",
       [] {
         std::int32_t selected = -1;
         virtualList("list", {100, 100, -10, -10}, 50, selected, 20.0f, {});
       }},
  };
  const EmptyRegion& region = regions[GetParam()];
  SCOPED_TRACE(region.name);
  UiHarness harness;
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = {100, 150, 300, 40};
  int clicks = 0;
  ASSERT_TRUE(harness.clickItem("below", [&] {
    region.draw();
    if (interact("below", desc).clicked) ++clicks;
  }));
  EXPECT_EQ(clicks, 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EmptyRegions, testing::Range(0, 4));

}  // namespace panel_test
}  // namespace orbi::ui
