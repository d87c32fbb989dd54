// The drum diagram: its layout, the add tile, the wire handles and their
// brightness and width, the sum node and the direction arrow.
#include "editor/widgets/anatomy/anatomy_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/widgets/widget_support.h"
#include "support/editor/widgets/label_check.h"
#include "tests/editor/widgets/chain_rig.h"

namespace orbi {
namespace anatomy_view_test {

using ui::DrawOp;

TEST(AnatomyLayout, A600WideViewHasColumnsOf171) {
  for (float s : {1.0f, 2.0f}) {
    SCOPED_TRACE(s);
    const AnatomyLayout l = layoutAnatomy({10.0f, 20.0f, 600.0f * s, 400.0f * s}, s, false);
    EXPECT_FLOAT_EQ(l.hit.column.width, 171.0f * s);
    EXPECT_FLOAT_EQ(l.body.column.width, 171.0f * s);
    EXPECT_FLOAT_EQ(l.body.column.x, 10.0f + (171.0f + 54.0f) * s);
    EXPECT_FLOAT_EQ(l.sum.x + l.sum.width, 10.0f + 600.0f * s);
    EXPECT_FLOAT_EQ(l.sum.width, 150.0f * s);
  }
}

TEST(AnatomyLayout, ANarrowViewKeepsColumnsWithinWhatRemains) {
  for (float w : {0.0f, 60.0f, 150.0f, 200.0f, 300.0f}) {
    SCOPED_TRACE(w);
    const ui::Rect r{5.0f, 0.0f, w, 300.0f};
    const AnatomyLayout l = layoutAnatomy(r, 1.0f, false);
    EXPECT_LE(l.hit.column.width, std::min(120.0f, w));
    EXPECT_GE(l.body.column.width, 0.0f);
    EXPECT_LE(l.body.column.x + l.body.column.width, r.x + w + 1e-3f);
    EXPECT_FLOAT_EQ(l.sum.x + l.sum.width, r.x + w);
  }
  // Wide enough for both columns at their least width, they keep it.
  const AnatomyLayout l = layoutAnatomy({0.0f, 0.0f, 400.0f, 300.0f}, 1.0f, false);
  EXPECT_FLOAT_EQ(l.hit.column.width, 120.0f);
  EXPECT_FLOAT_EQ(l.body.column.width, 120.0f);
}

TEST(AnatomyLayout, ASecondHitSplitsTheHitColumn) {
  const float s = 2.0f;
  const ui::Rect r{0.0f, 0.0f, 960.0f, 600.0f};
  const float H = 600.0f - 8.0f * s - 22.0f * s;
  const AnatomyLayout one = layoutAnatomy(r, s, false);
  const AnatomyLayout two = layoutAnatomy(r, s, true);
  EXPECT_FLOAT_EQ(one.addTile.y, one.hit.column.y + one.hit.column.height + 2.0f * s);
  EXPECT_FLOAT_EQ(one.addTile.height, 14.0f * s);
  EXPECT_EQ(one.secondHit.column.width, 0.0f);
  const float tile = (H - 6.0f * s) / 2.0f;
  EXPECT_FLOAT_EQ(two.hit.header.y, r.y + 4.0f * s);
  EXPECT_FLOAT_EQ(two.secondHit.header.y, two.hit.header.y + tile + 6.0f * s);
  EXPECT_FLOAT_EQ(two.secondHit.graph.y + two.secondHit.graph.height + 2.0f * s, r.y + 4.0f * s + H);
  EXPECT_EQ(two.addTile.height, 0.0f);
  EXPECT_EQ(two.body.column.height, one.body.column.height);
}

TEST(AnatomyLayout, AtItsFloorEveryGraphIsSixtyFourHigh) {
  for (const float s : {1.0f, 1.5f}) {
    for (const bool second : {false, true}) {
      SCOPED_TRACE(testing::Message() << s << " " << second);
      const float floor = anatomyFloorHeight(second, s);
      const AnatomyLayout l = layoutAnatomy({0.0f, 0.0f, 900.0f * s, floor}, s, second);
      const float least = std::min(
          {l.hit.graph.height, l.body.graph.height, second ? l.secondHit.graph.height : l.hit.graph.height});
      EXPECT_NEAR(least, 64.0f * s, 1e-3f * s);
      const AnatomyLayout lower = layoutAnatomy({0.0f, 0.0f, 900.0f * s, floor - s}, s, second);
      EXPECT_LT(lower.hit.graph.height, 64.0f * s);
    }
  }
}

TEST(AnatomyLayout, SplitKeepsTheHeaderWithinShortTiles) {
  const TileSplit t = splitTileHeader({0.0f, 0.0f, 100.0f, 20.0f}, 1.0f);
  EXPECT_FLOAT_EQ(t.header.height, 20.0f);
  EXPECT_FLOAT_EQ(t.graph.height, 0.0f);
  const TileSplit tall = splitTileHeader({0.0f, 10.0f, 100.0f, 200.0f}, 1.0f);
  EXPECT_FLOAT_EQ(tall.header.height, 34.0f);
  EXPECT_FLOAT_EQ(tall.graph.y, 46.0f);
  EXPECT_FLOAT_EQ(tall.graph.height, 162.0f);
  EXPECT_FLOAT_EQ(tall.column.height, 198.0f);
}

class ViewRig : public test::PointerRig {
 public:
  explicit ViewRig(float s = 1.0f) : PointerRig(s) {
    view.onSecondHit = [this] { sent.add("secondHit", 1.0f); };
    view.onHearBoth = [this] { sent.add("hearBoth", 1.0f); };
    view.onBleed = [this](float v) { sent.add("bleed", v); };
    view.onBodyLevel = [this](float v) { sent.add("bodyLevel", v); };
    view.onReverse = [this](bool on) { sent.add("reverse", on ? 1.0f : 0.0f); };
    body = [this] {
      const float k = ui::scale();
      view.draw({0.0f, 0.0f, 900.0f * k, 560.0f * k});
    };
    step();
  }
  // The polyline that starts at the point, or null.
  const ui::DrawRecord* lineFrom(ImVec2 p) const {
    for (const ui::DrawRecord* r : harness.drawLog().find(DrawOp::Polyline))
      if (!r->points.empty() && r->points[0].x == p.x && r->points[0].y == p.y) return r;
    return nullptr;
  }
  const ui::DrawRecord* bodyWire() const {
    const ui::Rect& R = view.layout.bodyWire;
    return lineFrom(ImVec2(R.x, R.y + R.height / 2.0f));
  }
  const ui::DrawRecord* bleedPath() const {
    const ui::Rect& H = view.layout.hit.column;
    return lineFrom(ImVec2(H.x + H.width / 2.0f, H.y + H.height));
  }
  bool drewText(std::string_view text) const {
    for (const ui::DrawRecord* r : harness.drawLog().find(DrawOp::Text))
      if (r->text == text) return true;
    return false;
  }
  AnatomyView view;
  test::Sent sent;
};

TEST(AnatomyView, ASecondHitShowsFromTheNextFrame) {
  ViewRig rig;
  ASSERT_EQ(rig.itemAreas("anatomy.addHit2").size(), 1u);
  rig.view.hasSecondHit = true;
  rig.step();
  EXPECT_TRUE(rig.itemAreas("anatomy.addHit2").empty());
  EXPECT_EQ(rig.view.secondHitBrowser.rect.y, rig.view.layout.secondHit.header.y);
  EXPECT_GT(rig.view.secondHitBrowser.rect.height, 0.0f);
}

TEST(AnatomyView, AClickOnTheAddTileAsksOnce) {
  ViewRig rig;
  rig.clickAt(test::centreOf(rig.view.layout.addTile));
  EXPECT_EQ(rig.sent.values("secondHit").size(), 1u);
  EXPECT_EQ(rig.sent.size(), 1u);
  // A drag that starts there is no click.
  const ImVec2 from = test::centreOf(rig.view.layout.addTile);
  rig.dragFromTo(from, ImVec2(from.x + 40.0f, from.y));
  EXPECT_EQ(rig.sent.values("secondHit").size(), 1u);
}

// The add tile's dashes stop short of its words, hovered or not.
TEST(AnatomyView, TheAddTileWordsAreNotStruckThrough) {
  for (float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    ViewRig rig(s);
    for (const bool hovered : {false, true}) {
      rig.harness.movePointer(hovered ? test::centreOf(rig.view.layout.addTile) : ImVec2(-50.0f, -50.0f));
      rig.steps(2);
      ui::ContextScope scope(rig.harness.ui());
      const auto records = rig.harness.drawLog().records();
      bool found = false;
      for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].op != DrawOp::Text || records[i].text != "+ second hit") continue;
        found = true;
        EXPECT_EQ(test::markUnderText(records, i, s), -1);
      }
      EXPECT_TRUE(found);
    }
  }
}

TEST(AnatomyView, ABleedDragFollowsTheVerticalMovement) {
  for (float s : {1.0f, 2.0f}) {
    SCOPED_TRACE(s);
    ViewRig rig(s);
    rig.view.bleed = 0.4f;
    rig.step();
    const ImVec2 from = test::centreOf(rig.view.bleedRect());
    rig.dragFromTo(from, ImVec2(from.x, from.y - 60.0f * s));
    EXPECT_FLOAT_EQ(rig.sent.values("bleed").back(), 0.9f);
    rig.dragFromTo(from, ImVec2(from.x, from.y + 80.0f * s));
    EXPECT_EQ(rig.sent.values("bleed").back(), 0.0f);
    EXPECT_EQ(rig.view.bleed, 0.4f);
    EXPECT_TRUE(rig.sent.values("bodyLevel").empty());
  }
}

TEST(AnatomyView, TheBleedRunsClearOfTheAddTileAndOfTheSecondHit) {
  ViewRig rig;
  const ui::Rect tile = rig.view.layout.addTile;
  const ui::Rect& hit = rig.view.layout.hit.column;
  const ui::Rect& bleed = rig.view.bleedRect();
  // Under the hit column, right of its centre, the bleed takes a drag.
  const ImVec2 from(hit.x + 0.75f * hit.width, bleed.y + bleed.height / 2.0f);
  EXPECT_LE(tile.x + tile.width, bleed.x);
  rig.dragFromTo(from, ImVec2(from.x, from.y - 30.0f));
  EXPECT_FALSE(rig.sent.values("bleed").empty());
  EXPECT_TRUE(rig.sent.values("secondHit").empty());
  rig.clickAt(test::centreOf(tile));
  EXPECT_EQ(rig.sent.values("secondHit").size(), 1u);
  // With a second hit the path leaves from under it, not through it.
  rig.view.hasSecondHit = true;
  rig.steps(2);
  const ui::Rect& second = rig.view.layout.secondHit.column;
  const ImVec2 start(hit.x + hit.width / 2.0f, second.y + second.height);
  ASSERT_NE(rig.lineFrom(start), nullptr);
  for (const ImVec2& p : rig.lineFrom(start)->points) {
    if (p.x <= second.x + second.width) {
      EXPECT_GE(p.y, second.y + second.height);
    }
  }
}

TEST(AnatomyView, TypedLevelsAreClamped) {
  ViewRig rig;
  rig.rightClickAt(test::centreOf(rig.view.bleedRect()));
  ASSERT_EQ(rig.view.entry.openId(), AnatomyView::kBleedHandle);
  rig.typeAndEnter("150");
  EXPECT_EQ(rig.sent.values("bleed"), std::vector<float>{1.0f});
  rig.view.commitTyped(AnatomyView::kBodyHandle, -20.0f);
  EXPECT_EQ(rig.sent.values("bodyLevel"), std::vector<float>{0.0f});
}

TEST(AnatomyView, TheBodyWireIsBrightWhileHoveredOrDragged) {
  ViewRig rig;
  rig.view.bodyLevel = 0.0f;
  rig.moveTo(ImVec2(5.0f, 5.0f));
  ASSERT_NE(rig.bodyWire(), nullptr);
  EXPECT_EQ(rig.bodyWire()->colour >> 24, alphaByte(0.25f));
  // Past the socket, which sits at the wire's start.
  const ui::Rect& R = rig.view.bodyLevelRect();
  const ImVec2 on(R.x + R.width * 0.85f, R.y + R.height / 2.0f);
  const ImVec2 off(on.x - 200.0f, on.y + 100.0f);
  rig.moveTo(on);
  rig.step();
  EXPECT_EQ(rig.bodyWire()->colour >> 24, 0xFFu);
  EXPECT_TRUE(rig.drewText(AnatomyView::valueLabelText("Body Level", 0.0f)));
  // Held and dragged away from the wire it stays bright.
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.step();
  rig.moveTo(off);
  rig.moveTo(ImVec2(off.x, off.y + 20.0f));
  EXPECT_EQ(rig.bodyWire()->colour >> 24, 0xFFu);
  rig.releaseButton();
  rig.step();
  EXPECT_EQ(rig.bodyWire()->colour >> 24, alphaByte(0.25f));
}

TEST(AnatomyView, NoHandleWithoutItsCallback) {
  ViewRig rig;
  rig.view.onBleed = nullptr;
  rig.view.onBodyLevel = nullptr;
  rig.step();
  EXPECT_TRUE(rig.itemAreas("bleed").empty());
  EXPECT_TRUE(rig.itemAreas("body").empty());
  const ImVec2 from = test::centreOf(rig.view.bleedRect());
  rig.dragFromTo(from, ImVec2(from.x, from.y - 50.0f));
  rig.step();
  EXPECT_EQ(rig.sent.size(), 0u);
  EXPECT_FALSE(rig.drewText(AnatomyView::valueLabelText("bleed - the hit heard directly", 1.0f)));
}

TEST(AnatomyView, WiresAreScaledOnceByTheFramework) {
  ViewRig rig(2.0f);
  rig.view.bodyLevel = 0.5f;
  rig.view.bleed = 0.2f;
  rig.step();
  // Widths are logged in design units: the primitive multiplies by the scale.
  ASSERT_NE(rig.bodyWire(), nullptr);
  ASSERT_NE(rig.bleedPath(), nullptr);
  EXPECT_FLOAT_EQ(rig.bodyWire()->width, 0.5f * 3.5f + 0.5f);
  EXPECT_FLOAT_EQ(rig.bleedPath()->width, 0.2f * 3.5f + 0.5f);
  EXPECT_EQ(rig.bleedPath()->points.size(), 4u);
}

TEST(AnatomyView, TheSumNodePlaysTheDrum) {
  ViewRig rig;
  rig.clickAt(test::centreOf(rig.view.sumColumnRect()));
  EXPECT_EQ(rig.sent.calls, std::vector<std::string>{"hearBoth " + std::to_string(1.0f)});
}

TEST(AnatomyView, TheArrowFlipsOnEveryQuickClick) {
  ViewRig rig;
  rig.view.reversed = true;
  const ui::Rect arrow = rig.itemAreas("arrow").at(0);
  rig.clickAt(test::centreOf(arrow));
  EXPECT_EQ(rig.sent.values("reverse"), std::vector<float>{0.0f});
  rig.clickAt(test::centreOf(arrow));
  EXPECT_EQ(rig.sent.values("reverse").size(), 2u);
  EXPECT_TRUE(rig.sent.values("hearBoth").empty());
  EXPECT_TRUE(rig.drewText("click: play forwards"));
}

TEST(AnatomyView, WithoutOnReverseThereIsNoArrow) {
  ViewRig rig;
  rig.view.onReverse = nullptr;
  rig.view.reversed = true;
  rig.step();
  EXPECT_TRUE(rig.itemAreas("arrow").empty());
  EXPECT_FALSE(rig.drewText("reversed"));
  const ui::Rect& S = rig.view.layout.sum;
  rig.clickAt(ImVec2(S.x + S.width / 2.0f, S.y + S.height - 6.0f));
  EXPECT_TRUE(rig.sent.values("reverse").empty());
}

TEST(AnatomyView, ACaptionOnlyWhenReversedOrHovered) {
  ViewRig rig;
  rig.moveTo(ImVec2(5.0f, 5.0f));
  for (const char* caption : {"reversed", "click: play forwards", "click: play backwards"})
    EXPECT_FALSE(rig.drewText(caption)) << caption;
  rig.view.reversed = true;
  rig.step();
  EXPECT_TRUE(rig.drewText("reversed"));
  EXPECT_EQ(AnatomyView::directionTooltip(false),
            "DIRECTION - time runs left to right through the drum.\nclick: play backwards");
}

}  // namespace anatomy_view_test
}  // namespace orbi
