// The velocity tile: route handles dragged, typed, added and removed;
// layer dividers, zones and the mode chip of sample sounds; and what a
// model of another sound or a short model shows.
#include "editor/widgets/bench/velocity_tile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/editor/widgets/chain_rig.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"

namespace orbi {
namespace velocity_tile_test {

using Tile = VelocityTile;

struct TileCalls {
  std::vector<std::pair<int, float>> routes;
  std::vector<std::pair<int, int>> limits, slots, layers;
};

class VelocityRig : public test::PointerRig {
 public:
  explicit VelocityRig(float s = 1.0f) : PointerRig(s) {
    tile.onRoute = [this](int p, float a) { calls.routes.emplace_back(p, a); };
    tile.onZoneLimit = [this](int z, int v) { calls.limits.emplace_back(z, v); };
    tile.onZoneSlot = [this](int z, int slot) { calls.slots.emplace_back(z, slot); };
    tile.onLayers = [this](int n, int mode) { calls.layers.emplace_back(n, mode); };
    body = [this] { tile.draw(area); };
    step();
  }
  ui::Rect graph() {
    return scoped([this] { return tile.graphRect(); });
  }
  ImVec2 shownHandle(int j) {
    return scoped([this, j] { return tile.shownHandlePoint(j); });
  }
  float xOf(int v) {
    return scoped([this, v] { return tile.xOfVelocity(v); });
  }
  Tile::Hit hitAt(ImVec2 p) {
    return scoped([this, p] { return tile.hitTest(p); });
  }
  void dragBy(ImVec2 from, ImVec2 by, int frames = 4) {
    steps(30);
    pressAt(from);
    for (int f = 1; f <= frames; ++f) moveTo(ImVec2(from.x + by.x * f / frames, from.y + by.y * f / frames));
    releaseButton();
  }
  // Right-clicks at the point and lets the popup lay itself out.
  void menuAt(ImVec2 p) {
    steps(30);
    rightClickAt(p);
    steps(2);
  }
  bool choose(const std::string& label) {
    const bool found = harness.clickItem(label, body);
    step();
    return found;
  }

  Tile tile;
  TileCalls calls;
  ui::Rect area{50.0f, 100.0f, 400.0f, 81.0f};  // a graph 64 high: whole-pixel drags
};

Tile::Model routed(std::vector<Tile::Route> routes) {
  Tile::Model m;
  m.routes = std::move(routes);
  m.candidates = {{3, "flt_cutoff"}, {7, "amp_decay"}, {9, "exc1_tone"}};
  return m;
}

Tile::Model layered(int zones, std::vector<int> limits, int mode = Tile::kVelocity) {
  Tile::Model m;
  m.sampleBased = true;
  m.zoneCount = zones;
  m.layerMode = mode;
  m.zoneVelMax = std::move(limits);
  m.zoneSlots.assign(m.zoneVelMax.size(), 1);
  return m;
}

TEST(VelocityTile, AHandleDraggedBelowTheBaselineGoesDownToMinusOneAndUpToOne) {
  VelocityRig rig;
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.0f}}));
  rig.step();
  const float h = rig.graph().height;
  const ImVec2 handle = rig.shownHandle(0);
  rig.dragBy(handle, {0.0f, 0.5f * h});
  EXPECT_NEAR(rig.calls.routes.back().second, -0.5f, 1e-4f);
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.0f}}));
  rig.dragBy(handle, {0.0f, h});
  EXPECT_NEAR(rig.calls.routes.back().second, -1.0f, 1e-4f);
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.0f}}));
  rig.dragBy(handle, {0.0f, 3.0f * h});
  EXPECT_FLOAT_EQ(rig.calls.routes.back().second, -1.0f);
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.0f}}));
  rig.dragBy(handle, {0.0f, -3.0f * h});
  EXPECT_FLOAT_EQ(rig.calls.routes.back().second, 1.0f);
  for (auto [param, amount] : rig.calls.routes) EXPECT_EQ(param, 3);
}

TEST(VelocityTile, APressOnAHandleSendsNothing) {
  VelocityRig rig;
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.4f}}));
  rig.step();
  rig.steps(30);
  rig.clickAt(rig.shownHandle(0));
  EXPECT_TRUE(rig.calls.routes.empty());
}

TEST(VelocityTile, ARouteFarBelowCanBeGrabbedDraggedBackAndRemoved) {
  VelocityRig rig;
  rig.tile.setModel(routed({{7, "amp_decay", -0.8f}}));
  rig.step();
  const ImVec2 handle = rig.shownHandle(0);
  EXPECT_FLOAT_EQ(handle.y, rig.area.y + rig.area.height - 3.0f);
  EXPECT_EQ(rig.hitAt(handle).kind, Tile::kRoute);
  // Relative to the amount at the press: no jump to the pointer.
  const float h = rig.graph().height;
  rig.dragBy(handle, {0.0f, -0.5f * h});
  EXPECT_NEAR(rig.calls.routes.front().second, -0.8f + 0.5f / 4.0f, 1e-4f);
  EXPECT_NEAR(rig.calls.routes.back().second, -0.3f, 1e-4f);
  rig.tile.setModel(routed({{7, "amp_decay", -0.8f}}));
  rig.menuAt(handle);
  ASSERT_TRUE(rig.choose("Remove this route"));
  EXPECT_EQ(rig.calls.routes.back(), std::make_pair(7, 0.0f));
}

TEST(VelocityTile, TypingAValueOpensInPercentAndKeepsWithinOne) {
  VelocityRig rig;
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.4f}}));
  rig.step();
  rig.menuAt(rig.shownHandle(0));
  ASSERT_TRUE(rig.choose("Type a value..."));
  ASSERT_EQ(rig.tile.entry.openId(), 3);
  EXPECT_FLOAT_EQ(rig.tile.entry.value.value(), 40.0f);
  EXPECT_FLOAT_EQ(rig.tile.entry.value.spec().min, -100.0f);
  EXPECT_FLOAT_EQ(rig.tile.entry.value.spec().max, 100.0f);
  EXPECT_EQ(rig.tile.entry.value.format(40.0f), "40 %");
  rig.steps(2);
  rig.type("150");
  rig.pressKey(ui::Key::Enter);
  ASSERT_FALSE(rig.calls.routes.empty());
  EXPECT_EQ(rig.calls.routes.back(), std::make_pair(3, 1.0f));
}

TEST(VelocityTile, TheAddMenuListsUnroutedCandidatesAndANewRouteStartsAtAQuarter) {
  VelocityRig rig;
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.4f}}));
  rig.step();
  const ui::Rect g = rig.graph();
  rig.menuAt(ImVec2(g.x + 20.0f, g.y + g.height / 2.0f));
  ASSERT_EQ(rig.tile.addMenu.size(), 1u);
  const ui::MenuEntry& add = rig.tile.addMenu[0];
  EXPECT_EQ(add.label, "Add velocity route");
  EXPECT_TRUE(add.enabled);
  ASSERT_EQ(add.children.size(), 2u);
  EXPECT_EQ(add.children[0].label, "amp_decay##1");
  EXPECT_EQ(add.children[1].label, "exc1_tone##2");
  // Open the submenu, then choose its second item.
  rig.moveTo(test::centreOf(rig.itemAreas("Add velocity route").at(0)));
  rig.steps(3);
  ASSERT_TRUE(rig.choose("exc1_tone##2"));
  EXPECT_EQ(rig.calls.routes.back(), std::make_pair(9, 0.25f));

  rig.tile.setModel(routed({{3, "a", 0.1f}, {7, "b", 0.2f}, {9, "c", 0.3f}}));
  rig.menuAt(ImVec2(g.x + 20.0f, g.y + g.height / 2.0f));
  EXPECT_FALSE(rig.tile.addMenu[0].enabled);
  EXPECT_TRUE(rig.tile.addMenu[0].children.empty());
  EXPECT_EQ(rig.tile.addMenu.size(), 1u);  // no layer items for a sound without samples
}

TEST(VelocityTile, LayerSplitItemsFollowTheZoneCount) {
  struct Case {
    int zones;
    bool canAdd, canRemove;
  };
  for (Case c : {Case{8, false, true}, Case{0, true, false}, Case{1, true, true}}) {
    SCOPED_TRACE(c.zones);
    VelocityRig rig;
    std::vector<int> limits;
    for (int z = 1; z <= c.zones; ++z) limits.push_back(z * 127 / c.zones);
    rig.tile.setModel(layered(c.zones, limits, Tile::kRoundRobin));
    rig.step();
    rig.menuAt(ImVec2(rig.area.x + 3.0f, rig.area.y + rig.area.height - 2.0f));
    ASSERT_EQ(rig.tile.addMenu.size(), 4u);
    EXPECT_EQ(rig.tile.addMenu[2].label, "Add a layer split");
    EXPECT_EQ(rig.tile.addMenu[2].enabled, c.canAdd);
    EXPECT_EQ(rig.tile.addMenu[3].label, "Remove a layer split");
    EXPECT_EQ(rig.tile.addMenu[3].enabled, c.canRemove);
    if (c.zones == 1) {
      ASSERT_TRUE(rig.choose("Remove a layer split"));
      EXPECT_EQ(rig.calls.layers, (std::vector<std::pair<int, int>>{{0, Tile::kRoundRobin}}));
    }
  }
}

TEST(VelocityTile, DividersStayBetweenTheirNeighbours) {
  struct Case {
    int divider;
    int lo, hi;
  };
  for (Case c : {Case{0, 1, 89}, Case{1, 41, 126}}) {
    SCOPED_TRACE(c.divider);
    for (float far : {-1000.0f, 1000.0f}) {
      VelocityRig rig;
      rig.tile.setModel(layered(3, {40, 90, 127}));
      rig.step();
      const int at = c.divider == 0 ? 40 : 90;
      rig.dragBy(ImVec2(rig.xOf(at), rig.graph().y + 20.0f), {far, 0.0f}, 12);
      ASSERT_FALSE(rig.calls.limits.empty());
      EXPECT_EQ(rig.calls.limits.back(), std::make_pair(c.divider, far < 0.0f ? c.lo : c.hi));
      // Each limit is sent once however many frames rest on it.
      for (std::size_t i = 1; i < rig.calls.limits.size(); ++i)
        EXPECT_NE(rig.calls.limits[i].second, rig.calls.limits[i - 1].second);
      EXPECT_EQ(rig.tile.model().zoneVelMax[static_cast<std::size_t>(c.divider)], far < 0.0f ? c.lo : c.hi);
    }
  }
}

// A divider dragged to the top of the range, folded and not, at both
// scales: the chip never lies over the graph, and a press at the middle
// of the divider's bar takes it back.
TEST(VelocityTile, ADividerDraggedToTheTopIsTakenBackAtItsBar) {
  for (const float s : {1.0f, 1.5f}) {
    for (const bool routes : {false, true}) {
      SCOPED_TRACE(::testing::Message() << s << (routes ? " with a route" : " folded"));
      VelocityRig rig(s);
      rig.area = {50.0f, 100.0f, 900.0f * s, (routes ? 54.0f : 17.0f) * s};
      Tile::Model m = layered(3, {50, 95, 127});
      if (routes) m.routes = {{3, "flt_cutoff", 0.2f}};
      rig.tile.setModel(m);
      rig.step();
      const ui::Rect g = rig.graph();
      const ui::Rect chip = rig.scoped([&] { return rig.tile.modeChip(); });
      EXPECT_FALSE(chip.overlaps(g)) << "the chip lies over the graph";
      const float mid = g.y + g.height / 2.0f;
      rig.dragBy(ImVec2(rig.xOf(95), mid), {2000.0f * s, 0.0f});
      ASSERT_FALSE(rig.calls.limits.empty());
      EXPECT_EQ(rig.calls.limits.back(), std::make_pair(1, 126));
      m.zoneVelMax = {50, 126, 127};
      rig.tile.setModel(m);
      rig.step();
      const ImVec2 bar(std::floor(rig.xOf(126)), std::floor(mid));
      EXPECT_EQ(rig.hitAt(bar).kind, Tile::kDivider);
      rig.dragBy(bar, {-100.0f * s, 0.0f});
      EXPECT_LT(rig.calls.limits.back().second, 126) << "not taken back";
      EXPECT_TRUE(rig.calls.layers.empty()) << "the press went to the chip";
      rig.clickAt(test::centreOf(chip));
      EXPECT_EQ(rig.calls.layers.size(), 1u) << "the chip is not taken";
    }
  }
}

TEST(VelocityTile, ADividerOnItsNeighbourIsTakenAtItsOwnBar) {
  VelocityRig rig;
  rig.tile.setModel(layered(3, {40, 41, 127}));
  rig.step();
  const float y = rig.graph().y + 20.0f;
  EXPECT_EQ(rig.hitAt(ImVec2(std::floor(rig.xOf(41)), y)).index, 1);
  EXPECT_EQ(rig.hitAt(ImVec2(std::floor(rig.xOf(40)), y)).index, 0);
}

TEST(VelocityTile, ADividerPressedBesideItMovesFromWhereItWas) {
  VelocityRig rig;
  rig.tile.setModel(layered(3, {40, 90, 127}));
  rig.step();
  const ImVec2 beside(rig.xOf(40) + 3.0f, rig.graph().y + 20.0f);
  rig.dragBy(beside, {0.0f, 0.0f}, 2);
  EXPECT_TRUE(rig.calls.limits.empty()) << "a press alone moves nothing";
  rig.dragBy(beside, {rig.xOf(50) - rig.xOf(40), 0.0f}, 4);
  ASSERT_FALSE(rig.calls.limits.empty());
  EXPECT_EQ(rig.calls.limits.back(), std::make_pair(0, 50));
}

// While a divider is dragged, the two zones it parts show the velocities
// each now plays, in place of their names; the other zones keep theirs.
TEST(VelocityTile, ADraggedDividerShowsTheVelocitiesOfTheZonesItParts) {
  VelocityRig rig;
  Tile::Model m = layered(3, {40, 90, 127});
  m.zoneSlots = {0, 1, 2};
  m.slotNames = {"soft", "mid", "hard"};
  rig.tile.setModel(m);
  rig.step();
  const auto drawn = [&rig](const std::string& text) {
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
      if (r->text == text) return true;
    return false;
  };
  EXPECT_TRUE(drawn("soft") && drawn("mid"));
  rig.steps(30);
  rig.pressAt(ImVec2(rig.xOf(90), rig.graph().y + 20.0f));
  rig.moveTo(ImVec2(rig.xOf(70), rig.graph().y + 20.0f));
  ASSERT_FALSE(rig.calls.limits.empty());
  EXPECT_EQ(rig.calls.limits.back(), std::make_pair(1, 70));
  EXPECT_TRUE(drawn("vel 41\u201370"));
  EXPECT_TRUE(drawn("vel 71\u2013127"));
  EXPECT_FALSE(drawn("mid"));
  EXPECT_TRUE(drawn("soft")) << "the first zone keeps its name";
  rig.releaseButton();
  rig.moveTo(ImVec2(rig.area.x + rig.area.width + 50.0f, rig.area.y));
  EXPECT_TRUE(drawn("mid")) << "the names come back";
  EXPECT_FALSE(drawn("vel 41\u201370"));
}

TEST(VelocityTile, AClickOnAZoneOpensItsSlotMenu) {
  VelocityRig rig;
  Tile::Model m = layered(2, {60, 127});
  m.zoneSlots = {3, 5};
  rig.tile.setModel(m);
  rig.step();
  const ImVec2 secondZone(rig.xOf(100), rig.graph().y + 25.0f);
  rig.steps(30);
  rig.clickAt(secondZone);
  rig.steps(2);
  EXPECT_TRUE(rig.tile.zoneMenu.empty());  // an empty pool
  rig.clickAt(ImVec2(5.0f, 5.0f));         // away, closing it

  m.slotNames = {"kick", "", "", "", "", "snare"};
  rig.tile.setModel(m);
  rig.steps(30);
  rig.clickAt(secondZone);
  rig.steps(2);
  ASSERT_EQ(rig.tile.zoneMenu.size(), 6u);
  EXPECT_EQ(rig.tile.zoneMenu[1].label, "slot 1##1");
  EXPECT_TRUE(rig.tile.zoneMenu[5].checked);
  ASSERT_TRUE(rig.choose("snare##5"));
  EXPECT_EQ(rig.calls.slots, (std::vector<std::pair<int, int>>{{1, 5}}));
  EXPECT_TRUE(rig.calls.limits.empty());
}

TEST(VelocityTile, OnlySampleSoundsWithZonesShowZonesDividersAndTheChip) {
  const auto shows = [](const Tile::Model& m) {
    VelocityRig rig;
    rig.tile.setModel(m);
    rig.step();
    const ui::Rect g = rig.graph();
    int found = 0;
    for (float x = g.x; x < g.x + g.width; x += 1.0f)
      for (float y : {g.y + 4.0f, g.y + 30.0f})
        if (rig.hitAt(ImVec2(x, y)).kind != Tile::kNothing) ++found;
    bool chip = false;
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
      chip |= r->text == "VEL + RR";
    return std::make_pair(found, chip);
  };
  Tile::Model drum = layered(3, {40, 90, 127}, Tile::kVelocityRoundRobin);
  drum.sampleBased = false;
  EXPECT_EQ(shows(drum), std::make_pair(0, false));
  EXPECT_EQ(shows(layered(0, {}, Tile::kVelocityRoundRobin)), std::make_pair(0, false));
  EXPECT_TRUE(shows(layered(3, {40, 90, 127}, Tile::kVelocityRoundRobin)).second);
}

TEST(VelocityTile, WithoutRoutesItIsOneLineOfTitleZonesAndScale) {
  VelocityRig rig;
  rig.area.height = 17.0f;
  rig.tile.setModel(layered(2, {60, 127}));
  rig.step();
  ASSERT_TRUE(rig.tile.folded());
  const ui::Rect g = rig.graph();
  const float title = rig.scoped([] { return ui::measureText("VELOCITY", ui::TextStyle::Caption).x; });
  const float scale =
      rig.scoped([] { return ui::measureText("soft ....... hard", ui::TextStyle::Caption).x; });
  // Between the title and the scale, within the line.
  EXPECT_GT(g.x, rig.area.x + title);
  EXPECT_LT(g.x + g.width, rig.area.x + rig.area.width - scale);
  EXPECT_GE(g.y, rig.area.y);
  EXPECT_LE(g.y + g.height, rig.area.y + rig.area.height);
  // Zones, the divider and the chip are all there to take.
  const float mid = g.y + g.height / 2.0f;
  EXPECT_EQ(rig.hitAt(ImVec2(g.x + 10.0f, mid)).kind, Tile::kZone);
  EXPECT_EQ(rig.hitAt(ImVec2(rig.xOf(60), mid)).kind, Tile::kDivider);
  EXPECT_EQ(rig.hitAt(test::centreOf(rig.scoped([&] { return rig.tile.modeChip(); }))).kind, Tile::kModeChip);
  // Without zones the line holds the hint that a right-click adds a route.
  rig.tile.setModel(routed({}));
  rig.step();
  const auto texts = rig.harness.drawLog().find(ui::DrawOp::Text);
  const auto hint = std::find_if(texts.begin(), texts.end(), [](const ui::DrawRecord* r) {
    return r->text == "right-click to add a velocity route";
  });
  ASSERT_NE(hint, texts.end());
  EXPECT_GE((*hint)->rect.y, rig.area.y);
  EXPECT_LE((*hint)->rect.y + (*hint)->rect.height, rig.area.y + rig.area.height);
  // A route unfolds it: the graph lies under the title.
  rig.tile.setModel(routed({{3, "flt_cutoff", 0.5f}}));
  EXPECT_FALSE(rig.tile.folded());
  rig.area.height = 54.0f;
  rig.step();
  EXPECT_LT(rig.graph().x, rig.area.x + title);
}

TEST(VelocityTile, TheChipCyclesTheModeOnEveryClick) {
  VelocityRig rig;
  rig.tile.setModel(layered(3, {40, 90, 127}, Tile::kVelocityRoundRobin));
  rig.step();
  const ImVec2 chip = test::centreOf(rig.scoped([&] { return rig.tile.modeChip(); }));
  ASSERT_EQ(rig.hitAt(chip).kind, Tile::kModeChip);
  rig.steps(30);
  rig.clickAt(chip);
  EXPECT_EQ(rig.calls.layers, (std::vector<std::pair<int, int>>{{3, Tile::kVelocity}}));
  // Both clicks of a double-click count.
  rig.clickAt(chip);
  EXPECT_EQ(rig.calls.layers.size(), 2u);
}

TEST(VelocityTile, AShortModelIsNeverReadPastItsEnd) {
  VelocityRig rig;
  Tile::Model m = layered(5, {30, 70, 127});
  m.zoneSlots = {1, 2};
  rig.tile.setModel(m);
  EXPECT_EQ(rig.tile.zones(), 2);
  rig.step();
  rig.dragBy(ImVec2(rig.xOf(30), rig.graph().y + 20.0f), {300.0f, 0.0f});
  EXPECT_EQ(rig.calls.limits.back(), std::make_pair(0, 69));  // below the second zone's limit
  rig.menuAt(ImVec2(rig.area.x + 3.0f, rig.area.y + rig.area.height - 2.0f));
  ASSERT_TRUE(rig.choose("Add a layer split"));
  EXPECT_EQ(rig.calls.layers.back(), std::make_pair(3, static_cast<int>(Tile::kVelocity)));
}

TEST(VelocityTile, SlotLabelsNameUnnamedSlotsByIndex) {
  Tile tile;
  Tile::Model m;
  m.slotNames = {"kick", ""};
  tile.setModel(m);
  EXPECT_EQ(tile.slotLabel(0), "kick");
  EXPECT_EQ(tile.slotLabel(1), "slot 1");
  EXPECT_EQ(tile.slotLabel(9), "slot 9");
  EXPECT_EQ(tile.slotLabel(-2), "slot -2");
}

TEST(VelocityTile, AHoveredRouteShowsItsTrueAmount) {
  VelocityRig rig;
  rig.tile.setModel(routed({{3, "flt_cutoff", -0.9f}}));
  rig.step();
  rig.moveTo(rig.shownHandle(0));
  rig.step();
  bool shown = false;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    shown |= r->text == "flt_cutoff  -90%";
  EXPECT_TRUE(shown);
}

// The last drawing of the text: the chip's "VELOCITY" comes after the
// title's.
const ui::DrawRecord* textOf(const VelocityRig& rig, std::string_view text) {
  const ui::DrawRecord* last = nullptr;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    if (r->text == text) last = r;
  return last;
}

// Layers named as a kit's are, in every mode, folded and not, narrow and
// wide, at both scales: the chip's word shows whole inside the chip it is
// taken by, and no layer's name nor a hovered route's label runs under it.
TEST(VelocityTile, TheChipShowsItsWordWholeAndNamesKeepClearOfIt) {
  for (float s : {1.0f, 1.5f}) {
    VelocityRig rig(s);
    for (float width : {300.0f, 900.0f}) {
      for (const bool routes : {false, true}) {
        for (const int mode : {Tile::kVelocity, Tile::kRoundRobin, Tile::kVelocityRoundRobin}) {
          SCOPED_TRACE(::testing::Message() << s << " " << width << " " << routes << " " << mode);
          rig.area = {50.0f, 100.0f, width * s, (routes ? 81.0f : 17.0f) * s};
          Tile::Model m = layered(3, {40, 90, 127}, mode);
          m.zoneSlots = {0, 1, 2};
          m.slotNames = {"Snare Ghost", "Snare MP", "Snare FF"};
          if (routes) m.routes = {{3, "flt_cutoff", 0.5f}};
          rig.tile.setModel(m);
          rig.step();  // the tile takes its new rect
          rig.moveTo(routes ? rig.shownHandle(0) : ImVec2(0.0f, 0.0f));
          rig.step();
          ui::ContextScope scope(rig.harness.ui());
          const ui::Rect chip = rig.tile.modeChip();
          const char* word = Tile::modeWord(mode);
          const ui::DrawRecord* drawn = textOf(rig, word);
          ASSERT_NE(drawn, nullptr);
          EXPECT_FALSE(ui::fitTextToWidth(word, drawn->style, drawn->rect.width).truncated);
          const ui::Rect ink = ui::textInk(drawn->rect, word, drawn->style, drawn->alignment);
          EXPECT_EQ(rig.tile.hitTest(test::centreOf(ink)).kind, Tile::kModeChip);
          EXPECT_LE(ink.x + ink.width, chip.x + chip.width);
          EXPECT_GE(ink.x, chip.x);
          // A layer whose span lies wholly under the chip shows no name.
          EXPECT_NE(textOf(rig, m.slotNames[0]), nullptr);
          for (const std::string& name : m.slotNames) {
            const ui::DrawRecord* label = textOf(rig, name);
            if (!label) continue;
            EXPECT_FALSE(ui::textInk(label->rect, name, label->style, label->alignment).overlaps(chip))
                << name;
          }
          if (routes) {
            const ui::DrawRecord* route = textOf(rig, "flt_cutoff  50%");
            ASSERT_NE(route, nullptr);
            EXPECT_FALSE(
                ui::textInk(route->rect, route->text, route->style, route->alignment).overlaps(chip));
          }
        }
      }
    }
  }
}

// Soft to hard while force picks the layer (or there are no layers); in
// round robin the layers take turns whatever the force.
TEST(VelocityTile, TheScaleSaysHowAHitPicksItsLayer) {
  VelocityRig rig;
  const auto scale = [&](const Tile::Model& m) {
    rig.tile.setModel(m);
    rig.step();
    const std::string legend = rig.tile.legend();
    EXPECT_NE(textOf(rig, legend), nullptr) << legend;
    return legend;
  };
  const auto byForce = [](const std::string& legend) {
    return legend.find("soft") != std::string::npos && legend.find("hard") != std::string::npos;
  };
  EXPECT_TRUE(byForce(scale(routed({}))));
  Tile::Model drum = layered(3, {40, 90, 127}, Tile::kRoundRobin);
  drum.sampleBased = false;
  EXPECT_TRUE(byForce(scale(drum)));
  const std::string velocity = scale(layered(3, {40, 90, 127}, Tile::kVelocity));
  const std::string turns = scale(layered(3, {40, 90, 127}, Tile::kRoundRobin));
  const std::string both = scale(layered(3, {40, 90, 127}, Tile::kVelocityRoundRobin));
  EXPECT_TRUE(byForce(velocity));
  EXPECT_FALSE(byForce(turns));
  EXPECT_TRUE(byForce(both));
  EXPECT_NE(both, velocity);
  // A longer scale keeps the folded line's graph clear of it.
  rig.area.height = 17.0f;
  rig.tile.setModel(layered(3, {40, 90, 127}, Tile::kRoundRobin));
  rig.step();
  const float width = rig.scoped([&] { return ui::measureText(turns, ui::TextStyle::Caption).x; });
  EXPECT_LT(rig.graph().x + rig.graph().width, rig.area.x + rig.area.width - width);
}

}  // namespace velocity_tile_test
}  // namespace orbi
