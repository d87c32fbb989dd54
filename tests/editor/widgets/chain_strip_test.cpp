// The chain strip: where its tiles go, the add-stage tile and its popup,
// and what the five tiles share: a frame's gesture, the gesture's end and
// the typed entry a right-click opens.
#include "editor/widgets/chain/chain_strip.h"
#include "editor/widgets/chain/stage_curves.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/editor/widgets/chain_rig.h"
#include "ui/draw/draw_log.h"

namespace orbi {
namespace chain_strip_test {

using ob::chainstage::Stage;
using test::Sent;

constexpr std::array<const char*, 5> kTileIds = {"transient", "amp", "drive", "filter", "room"};

class StripRig : public test::PointerRig {
 public:
  explicit StripRig(float s = 1.0f, float widthInS = 700.0f) : PointerRig(s) {
    area = {10.0f * s, 100.0f, widthInS * s, 62.0f * s};
    body = [this] { strip.draw(area); };
  }
  void activate(std::initializer_list<Stage> stages) {
    strip.stageActive = {};
    for (Stage st : stages) strip.stageActive[static_cast<std::size_t>(st)] = 1;
  }
  void activateAll() { activate({Stage::TRANSIENT, Stage::AMP, Stage::DRIVE, Stage::FILTER, Stage::ROOM}); }
  // The hit area each tile registered last frame; none for a tile not drawn.
  std::vector<ui::Rect> tileAreas(const char* id) const { return itemAreas(id); }

  ChainStrip strip;
  ui::Rect area;
};

class StripAtScale : public testing::TestWithParam<float> {};

TEST_P(StripAtScale, FiveTilesShareSevenHundredWithTenBetween) {
  const float s = GetParam();
  StripRig rig(s);
  rig.activateAll();
  rig.strip.room.mix = 0.2f;
  rig.step();
  float x = rig.area.x;
  for (const char* id : kTileIds) {
    SCOPED_TRACE(id);
    const auto areas = rig.tileAreas(id);
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_NEAR(areas[0].x, x, 1e-3f * s);
    EXPECT_NEAR(areas[0].width, 126.8f * s, 1e-3f * s);
    EXPECT_FLOAT_EQ(areas[0].y, rig.area.y + s);
    EXPECT_FLOAT_EQ(areas[0].height, 60.0f * s);
    x += (126.8f + 10.0f) * s;
  }
  // The add-stage box: 16 s square in the last 26 s.
  const auto add = rig.itemAreas("chain.add");
  ASSERT_EQ(add.size(), 1u);
  EXPECT_FLOAT_EQ(add[0].x, rig.area.x + (700.0f - 26.0f + 5.0f) * s);
  EXPECT_FLOAT_EQ(add[0].width, 16.0f * s);
}

TEST_P(StripAtScale, ANarrowStripGivesTheLaterTilesWhatIsLeft) {
  const float s = GetParam();
  StripRig rig(s, 400.0f);
  rig.activateAll();
  rig.step();
  const std::array<float, 5> widths = {120.0f, 120.0f, 114.0f, 0.0f, 0.0f};
  for (std::size_t i = 0; i < kTileIds.size(); ++i) {
    SCOPED_TRACE(kTileIds[i]);
    const auto areas = rig.tileAreas(kTileIds[i]);
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_NEAR(areas[0].width, widths[i] * s, 1e-3f * s);
  }
}

TEST_P(StripAtScale, OneStageIsThreeHundredAtTheLeft) {
  const float s = GetParam();
  StripRig rig(s);
  rig.activate({Stage::FILTER});
  rig.step();
  for (const char* id : kTileIds) {
    SCOPED_TRACE(id);
    EXPECT_EQ(rig.tileAreas(id).size(), std::string(id) == "filter" ? 1u : 0u);
  }
  const ui::Rect r = rig.tileAreas("filter").at(0);
  EXPECT_FLOAT_EQ(r.x, rig.area.x);
  EXPECT_FLOAT_EQ(r.width, 300.0f * s);
}

INSTANTIATE_TEST_SUITE_P(Scales, StripAtScale, testing::Values(1.0f, 2.0f));

// The labels the popup showed, in order, by their menu items.
std::vector<std::string> popupLabels(const StripRig& rig) {
  std::vector<std::string> labels;
  for (const ui::ItemRecord& item : rig.harness.drawLog().items())
    for (const char* name : {"TRANSIENT", "AMP", "DRIVE", "FILTER", "ROOM"})
      if (item.idText == name) labels.push_back(name);
  return labels;
}

TEST(ChainStrip, ThePopupOffersTheInactiveStagesInChainOrder) {
  StripRig rig;
  rig.activate({Stage::AMP, Stage::ROOM});
  rig.strip.room.mix = 0.3f;
  std::vector<Stage> added;
  rig.strip.onAddStage = [&added](Stage st) { added.push_back(st); };
  rig.step();
  ASSERT_TRUE(rig.harness.clickItem("chain.add", rig.body));
  rig.steps(2);
  ASSERT_EQ(rig.strip.addStageEntries.size(), 3u);
  const std::array<Stage, 3> inactive = {Stage::TRANSIENT, Stage::DRIVE, Stage::FILTER};
  for (std::size_t i = 0; i < inactive.size(); ++i) {
    const ui::MenuEntry& e = rig.strip.addStageEntries[i];
    EXPECT_EQ(e.label, ob::chainstage::stageName(inactive[i]));
    EXPECT_EQ(e.command, static_cast<std::uint32_t>(inactive[i]) + 1);
    EXPECT_FALSE(e.checked);
    EXPECT_TRUE(e.enabled);
  }
  EXPECT_EQ(popupLabels(rig), (std::vector<std::string>{"TRANSIENT", "DRIVE", "FILTER"}));
  ASSERT_TRUE(rig.harness.clickItem("FILTER", rig.body));
  rig.step();
  EXPECT_EQ(added, std::vector<Stage>{Stage::FILTER});
}

TEST(ChainStrip, WithNoStageActiveThePopupListsAllFive) {
  StripRig rig;
  rig.step();
  EXPECT_TRUE(rig.tileAreas("amp").empty());
  ASSERT_TRUE(rig.harness.clickItem("chain.add", rig.body));
  rig.steps(2);
  EXPECT_EQ(popupLabels(rig), (std::vector<std::string>{"TRANSIENT", "AMP", "DRIVE", "FILTER", "ROOM"}));
  // Without a callback a choice is ignored.
  ASSERT_TRUE(rig.harness.clickItem("ROOM", rig.body));
  rig.step();
}

TEST(ChainStrip, WithEveryStageActiveAClickOpensNothing) {
  StripRig rig;
  rig.activateAll();
  rig.strip.room.mix = 0.3f;
  rig.step();
  ASSERT_TRUE(rig.harness.clickItem("chain.add", rig.body));
  rig.steps(2);
  EXPECT_TRUE(rig.strip.addStageEntries.empty());
  EXPECT_TRUE(popupLabels(rig).empty());
  EXPECT_FALSE(rig.scoped([] { return ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId); }));
}

TEST(ChainStrip, TheAddTileBrightensWhileHovered) {
  StripRig rig;
  rig.step();
  auto outline = [&rig] { return rig.harness.drawLog().find(ui::DrawOp::StrokeRect).at(0)->colour; };
  EXPECT_EQ(outline(), 0x4D8A8870u);
  rig.moveTo(test::centreOf(rig.itemAreas("chain.add").at(0)));
  rig.step();
  EXPECT_EQ(outline(), 0x8C8A8870u);
}

// ---- What the five tiles share, driven through the strip.

struct AllTiles : StripRig {
  AllTiles() {
    activateAll();
    strip.room.mix = 0.5f;
    strip.filter.filters[0].cutoff = 1000.0f;
    test::listen(strip.transient, sent[0]);
    test::listen(strip.amp, sent[1]);
    test::listen(strip.drive, sent[2]);
    test::listen(strip.filter, sent[3]);
    test::listen(strip.room, sent[4]);
    step();
  }
  std::size_t totalCalls() const {
    std::size_t n = 0;
    for (const Sent& s : sent) n += s.size() + static_cast<std::size_t>(s.gestureEnds);
    return n;
  }
  // A point on a handle or area of each tile that may be typed, and the
  // entry id it opens.
  std::array<std::pair<ImVec2, int>, 5> typeableHandles() {
    return scoped([this] {
      const ui::Rect fp = strip.filter.plotRect();
      const ui::Rect rp = strip.room.plotRect();
      const ui::Rect dc = strip.drive.curveBox;
      return std::array<std::pair<ImVec2, int>, 5>{{
          {strip.transient.handlePoint(1), 1},
          {strip.amp.cornerPoint(2, strip.amp.plotRect()), 2},
          {test::centreOf(dc), 0},
          {StageCurves::filterPoint(strip.filter, 0, fp), 0},
          {strip.room.handlePoint(1, rp), 1},
      }};
    });
  }
  NumberEntry& entryOf(std::size_t i) {
    StageTileFrame* tiles[] = {&strip.transient, &strip.amp, &strip.drive, &strip.filter, &strip.room};
    return tiles[i]->entry;
  }

  std::array<Sent, 5> sent;
};

TEST(StageTiles, AReleaseAfterAPressOnEmptySpaceCallsNothing) {
  AllTiles rig;
  for (const char* id : kTileIds) {
    SCOPED_TRACE(id);
    const ui::Rect r = rig.tileAreas(id).at(0);
    // The title band's right end: no handle, area or pill there.
    const ImVec2 empty(r.x + r.width - 3.0f, r.y + 2.0f);
    rig.dragFromTo(empty, ImVec2(empty.x - 30.0f, empty.y + 25.0f));
  }
  EXPECT_EQ(rig.totalCalls(), 0u);
}

TEST(StageTiles, TilesWithoutCallbacksDrawAndSendNothing) {
  StripRig rig;
  rig.activateAll();
  rig.strip.room.mix = 0.5f;
  rig.step();
  const ui::Rect amp = rig.tileAreas("amp").at(0);
  const ImVec2 hold = rig.scoped([&] { return rig.strip.amp.cornerPoint(1, rig.strip.amp.plotRect()); });
  rig.dragFromTo(hold, ImVec2(amp.x - 300.0f, hold.y));
  EXPECT_FLOAT_EQ(rig.strip.amp.hold, 0.0f);  // its own copy follows
  const ImVec2 pill = rig.scoped([&] { return test::centreOf(rig.strip.drive.pillRect()); });
  rig.clickAt(pill);
  EXPECT_FALSE(rig.harness.drawLog().find(ui::DrawOp::Polyline).empty());
}

TEST(StageTiles, OneDragEndsOneGesture) {
  AllTiles rig;
  const ImVec2 strike = rig.scoped([&] { return rig.strip.transient.handlePoint(0); });
  rig.pressAt(strike);
  rig.steps(4);  // held still: nothing sent
  EXPECT_TRUE(rig.sent[0].values("strike").empty());
  rig.moveTo(ImVec2(strike.x, strike.y - 10.0f));
  rig.moveTo(ImVec2(strike.x, strike.y - 20.0f));
  rig.releaseButton();
  rig.steps(2);
  EXPECT_EQ(rig.sent[0].values("strike").size(), 2u);
  EXPECT_EQ(rig.sent[0].gestureEnds, 1);
}

TEST(StageTiles, APillClickSendsOneChangeAndOneGestureEnd) {
  AllTiles rig;
  const ImVec2 pill = rig.scoped([&] { return test::centreOf(rig.strip.filter.pillRect(0)); });
  rig.clickAt(pill);
  rig.step();
  EXPECT_EQ(rig.sent[3].calls, std::vector<std::string>{"type 1.000000"});
  EXPECT_EQ(rig.sent[3].gestureEnds, 1);
}

TEST(StageTiles, TwoQuickClicksOnAPillCycleTwice) {
  AllTiles rig;
  const ImVec2 pill = rig.scoped([&] { return test::centreOf(rig.strip.drive.pillRect()); });
  rig.clickAt(pill);
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.step();
  rig.releaseButton();
  EXPECT_EQ(rig.sent[2].values("shape").size(), 2u);
  EXPECT_EQ(rig.sent[2].gestureEnds, 2);
}

TEST(StageTiles, AfterALeftClickElsewhereARightClickOpensTheHandleUnderThePointer) {
  AllTiles rig;
  const auto handles = rig.typeableHandles();
  for (std::size_t i = 0; i < handles.size(); ++i) {
    SCOPED_TRACE(kTileIds[i]);
    rig.clickAt(ImVec2(rig.area.x + 2.0f, rig.area.y - 40.0f));  // outside every tile
    rig.rightClickAt(handles[i].first);
    EXPECT_EQ(rig.entryOf(i).openId(), handles[i].second);
    EXPECT_EQ(rig.totalCalls(), 0u);
  }
}

TEST(StageTiles, ShiftWithARightClickOnTheCrushAreaOpensTheRate) {
  AllTiles rig;
  const ImVec2 crush = rig.scoped([&] { return test::centreOf(rig.strip.drive.crushBox); });
  rig.clickAt(test::centreOf(rig.tileAreas("amp").at(0)));
  rig.rightClickAt(crush);
  EXPECT_EQ(rig.strip.drive.entry.openId(), 1);
  // The box lies over the crush area: a click elsewhere closes it first.
  rig.clickAt(test::centreOf(rig.tileAreas("amp").at(0)));
  rig.harness.setMods(ui::kModShift);
  rig.rightClickAt(crush);
  EXPECT_EQ(rig.strip.drive.entry.openId(), 2);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "0 %");
}

TEST(StageTiles, ATypedCommitEndsNoGesture) {
  AllTiles rig;
  const auto handles = rig.typeableHandles();
  for (std::size_t i = 0; i < handles.size(); ++i) {
    SCOPED_TRACE(kTileIds[i]);
    rig.rightClickAt(handles[i].first);
    ASSERT_EQ(rig.entryOf(i).openId(), handles[i].second);
    rig.typeAndEnter("1");
    EXPECT_EQ(rig.entryOf(i).openId(), -1);
    EXPECT_EQ(rig.sent[i].size(), 1u);
    EXPECT_EQ(rig.sent[i].gestureEnds, 0);
  }
}

}  // namespace chain_strip_test
}  // namespace orbi
