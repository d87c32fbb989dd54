// The DRIVE, FILTER and ROOM tiles: their pictures, handles, drags, pills
// and typed values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "editor/widgets/chain/drive_tile.h"
#include "editor/widgets/chain/filter_tile.h"
#include "editor/widgets/chain/room_tile.h"
#include "editor/widgets/chain/stage_curves.h"
#include "engine/chain/drive_shape.h"
#include "engine/chain/voice_chain.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "tests/editor/widgets/chain_rig.h"
#include "ui/draw/draw_log.h"

namespace orbi {
namespace chain_effect_tiles_test {

using test::TileRig;
using ui::DrawOp;

std::vector<const ui::DrawRecord*> polylines(const ui::UiHarness& h) {
  return h.drawLog().find(DrawOp::Polyline);
}

// ---- DRIVE

TEST(DriveTile, DriveOneLiesOnTheIdentityInTheDimColour) {
  TileRig<DriveTile> rig;
  const auto lines = polylines(rig.harness);
  ASSERT_GE(lines.size(), 1u);
  EXPECT_EQ(lines[0]->colour, 0x8C8A8870u);
  const ui::Rect box = rig.tile.curveBox;
  const ImVec2 c = test::centreOf(box);
  const std::vector<ImVec2>& pts = lines[0]->points;
  ASSERT_EQ(pts.size(), 65u);
  // A straight line through the box's centre, rising to the right.
  const float slope = (pts.back().y - pts.front().y) / (pts.back().x - pts.front().x);
  EXPECT_LT(slope, 0.0f);
  for (const ImVec2& p : pts) EXPECT_NEAR(p.y, c.y + (p.x - c.x) * slope, 1e-3f);
  rig.tile.drive = 1.25f;
  rig.step();
  EXPECT_EQ(polylines(rig.harness)[0]->colour, tilecolour::kCurve);
}

TEST(DriveTile, FoldAtSixteenRunsEightPeriods) {
  TileRig<DriveTile> rig;
  rig.tile.drive = 16.0f;
  rig.tile.shape = 2;
  rig.step();
  const std::vector<ImVec2>& pts = polylines(rig.harness)[0]->points;
  int tops = 0;
  for (std::size_t i = 1; i + 1 < pts.size(); ++i)
    tops += pts[i].y < pts[i - 1].y && pts[i].y <= pts[i + 1].y;
  EXPECT_EQ(tops, 8);
  const ui::Rect box = rig.tile.curveBox;
  for (int shape : {0, 1, 2}) {
    rig.tile.shape = shape;
    rig.step();
    for (const ImVec2& p : polylines(rig.harness)[0]->points) {
      EXPECT_GT(p.y, box.y);
      EXPECT_LT(p.y, box.y + box.height);
    }
  }
}

// The curve is the voice chain's drive: at every drive and shape, what the
// tile draws for an input is what a chain set so plays for it (velocity 1,
// every other stage at its default).
TEST(DriveTile, TheCurveIsWhatTheChainPlays) {
  constexpr int kInputs = 129;
  std::vector<float> inputs(kInputs);
  for (int i = 0; i < kInputs; ++i) inputs[i] = -1.0f + 2.0f * static_cast<float>(i) / (kInputs - 1);
  for (int shape : {ob::kDriveCubic, ob::kDriveTanh, ob::kDriveFold}) {
    for (float drive : {1.0f, 1.1f, 1.25f, 2.5f, 7.0f, 16.0f}) {
      SCOPED_TRACE(testing::Message() << "shape " << shape << " drive " << drive);
      ob::ModLayers mod;
      for (int j = 0; j < ob::commonParamCount(); ++j) mod.layers[0][j] = ob::commonParamInfo(j).defaultValue;
      mod.layers[0][ob::voice::kFxDrive] = drive;
      mod.layers[0][ob::voice::kFxShape] = static_cast<float>(shape);
      ob::VoiceChain chain;
      chain.prepare(48000.0);
      chain.setVelocity(1.0f);
      std::vector<float> played = inputs;
      chain.processMono(played.data(), kInputs, mod, 0);

      DriveTile tile;
      tile.drive = drive;
      tile.shape = shape;
      for (int i = 0; i < kInputs; ++i)
        ASSERT_EQ(tile.transferAt(inputs[i]), played[i]) << "input " << inputs[i];
    }
  }
}

TEST(DriveTile, RateOneShowsThreeSteps) {
  TileRig<DriveTile> rig;
  rig.tile.rate = 1.0f;
  const std::vector<ImVec2> pts = rig.tile.crushPoints(rig.tile.crushBox, true);
  ASSERT_EQ(pts.size(), 128u);
  int steps = 1;
  for (std::size_t i = 1; i < pts.size(); ++i) steps += pts[i].y != pts[i - 1].y;
  EXPECT_EQ(steps, 3);
  rig.step();
  const auto lines = polylines(rig.harness);
  EXPECT_EQ(lines.back()->colour, tilecolour::kCurve);
}

TEST(DriveTile, CleanCrushIsDim) {
  TileRig<DriveTile> rig;
  const auto lines = polylines(rig.harness);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2]->colour, 0x8C8A8870u);
}

class DriveAtScale : public testing::TestWithParam<float> {};

TEST_P(DriveAtScale, FiftyFiveUpFromDriveOneSendsEightAndAHalf) {
  const float s = GetParam();
  TileRig<DriveTile> rig(s, {100.0f, 100.0f, 300.0f * s, 160.0f * s});
  const ImVec2 from(std::floor(rig.tile.curveBox.x + rig.tile.curveBox.width * 0.7f),
                    std::floor(rig.tile.curveBox.y + rig.tile.curveBox.height * 0.8f));
  rig.dragFromTo(from, ImVec2(from.x, from.y - 55.0f * s));
  EXPECT_FLOAT_EQ(rig.sent.values("drive").back(), 8.5f);
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

INSTANTIATE_TEST_SUITE_P(Scales, DriveAtScale, testing::Values(1.0f, 2.0f));

TEST(DriveTile, BitsAtSixteenStayThereWhenDraggedUp) {
  TileRig<DriveTile> rig;
  const ImVec2 from = test::centreOf(rig.tile.crushBox);
  rig.dragFromTo(from, ImVec2(from.x, from.y - 3.0f));
  // Already clean: nothing new to send, no gesture to end.
  EXPECT_TRUE(rig.sent.values("bits").empty());
  EXPECT_EQ(rig.sent.gestureEnds, 0);
  // Down crushes.
  rig.dragFromTo(from, ImVec2(from.x, from.y + 22.0f));
  EXPECT_FLOAT_EQ(rig.sent.values("bits").back(), 13.0f);
}

TEST(DriveTile, ShiftAtThePressDragsTheRate) {
  TileRig<DriveTile> rig;
  const ImVec2 from = test::centreOf(rig.tile.crushBox);
  rig.harness.setMods(ui::kModShift);
  rig.dragFromTo(from, ImVec2(from.x, from.y + 55.0f));  // down: more reduction
  EXPECT_TRUE(rig.sent.values("bits").empty());
  EXPECT_FLOAT_EQ(rig.sent.values("rate").back(), 0.5f);
}

TEST(DriveTile, ATypedRateOfFiftyStoresAHalf) {
  TileRig<DriveTile> rig;
  rig.harness.setMods(ui::kModShift);
  rig.rightClickAt(test::centreOf(rig.tile.crushBox));
  rig.harness.setMods(ui::kModNone);
  ASSERT_EQ(rig.tile.entry.openId(), 2);
  rig.typeAndEnter("50");
  EXPECT_FLOAT_EQ(rig.tile.rate, 0.5f);
  EXPECT_EQ(rig.sent.values("rate"), std::vector<float>{0.5f});
  rig.tile.commitTyped(0, 40.0f);
  rig.tile.commitTyped(1, 0.0f);
  EXPECT_FLOAT_EQ(rig.tile.drive, 16.0f);
  EXPECT_FLOAT_EQ(rig.tile.bits, 1.0f);
}

// ---- FILTER

float widthShare(float x, const ui::Rect& p) { return (x - p.x) / p.width; }
float heightShare(float y, const ui::Rect& p) { return (p.y + p.height - y) / p.height; }

TEST(FilterTile, DefaultsDrawAFlatCurveWithoutHandlesOrPills) {
  TileRig<FilterTile> rig;
  const ui::Rect p = rig.plot();
  const auto lines = polylines(rig.harness);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0]->points.size(), 96u);
  for (const ImVec2& pt : lines[0]->points) EXPECT_NEAR(heightShare(pt.y, p), 0.75f, 1e-5f);
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::FillCircle).empty());
  EXPECT_TRUE(rig.harness.drawLog().find(DrawOp::FillRect).empty());
}

TEST(FilterTile, ALowPassAtOneKilohertzPutsItsHandleOnTheCurve) {
  TileRig<FilterTile> rig;
  rig.tile.filters[0] = {1000.0f, 0.0f, 0};
  rig.step();
  const ui::Rect p = rig.plot();
  const ImVec2 h = StageCurves::filterPoint(rig.tile, 0, p);
  EXPECT_NEAR(widthShare(h.x, p), 0.5663f, 1e-4f);
  EXPECT_NEAR(heightShare(h.y, p), 0.6425f, 1e-4f);
  const auto circles = rig.harness.drawLog().find(DrawOp::FillCircle);
  ASSERT_EQ(circles.size(), 1u);
  EXPECT_FLOAT_EQ(circles[0]->points[0].x, h.x);
  // Full resonance peaks past the top: drawn at the top edge.
  rig.tile.filters[0].resonance = 1.0f;
  EXPECT_NEAR(20.0f * std::log10(StageCurves::filterMagnitude(rig.tile, 1000.0f)), 19.6f, 0.1f);
  EXPECT_FLOAT_EQ(StageCurves::filterPoint(rig.tile, 0, p).y, p.y);
}

TEST(FilterTile, CutoffsAboveNearlyHalfTheRateDrawAtThatLimit) {
  FilterTile t;
  t.sampleRate = 44100.0;
  t.filters[0] = {19845.0f, 0.3f, 0};
  const float atLimit = StageCurves::filterMagnitude(t, 12000.0f);
  t.filters[0].cutoff = 19990.0f;
  EXPECT_FLOAT_EQ(StageCurves::filterMagnitude(t, 12000.0f), atLimit);
  t.filters[0].cutoff = 19999.0f;  // off
  EXPECT_FLOAT_EQ(StageCurves::filterMagnitude(t, 12000.0f), 1.0f);
  EXPECT_FALSE(t.isOn(0));
}

TEST(FilterTile, TwoFiltersMultiply) {
  FilterTile high, low, both;
  high.filters[0] = {300.0f, 0.2f, 1};
  low.filters[1] = {3000.0f, 0.6f, 0};
  both.filters[0] = high.filters[0];
  both.filters[1] = low.filters[1];
  for (float hz : {20.0f, 150.0f, 300.0f, 1000.0f, 3000.0f, 12000.0f}) {
    SCOPED_TRACE(hz);
    EXPECT_NEAR(StageCurves::filterMagnitude(both, hz),
                StageCurves::filterMagnitude(high, hz) * StageCurves::filterMagnitude(low, hz), 1e-6f);
  }
  // A high-pass lets the top through, a low-pass the bottom, a band-pass
  // the middle.
  EXPECT_LT(StageCurves::filterMagnitude(high, 30.0f), 0.1f);
  EXPECT_LT(StageCurves::filterMagnitude(low, 15000.0f), 0.1f);
  FilterTile band;
  band.filters[0] = {1000.0f, 0.0f, 2};
  EXPECT_GT(StageCurves::filterMagnitude(band, 1000.0f), StageCurves::filterMagnitude(band, 500.0f));
  EXPECT_GT(StageCurves::filterMagnitude(band, 1000.0f), StageCurves::filterMagnitude(band, 2000.0f));
  EXPECT_LT(StageCurves::filterMagnitude(band, 30.0f), 0.1f);
}

TEST(FilterTile, ATypedFiveStoresTwentyAndOtherIdsAreIgnored) {
  TileRig<FilterTile> rig;
  rig.tile.filters[1] = {500.0f, 0.0f, 0};
  rig.step();
  rig.rightClickAt(StageCurves::filterPoint(rig.tile, 1, rig.plot()));
  ASSERT_EQ(rig.tile.entry.openId(), 1);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "500 Hz");
  rig.typeAndEnter("5");
  EXPECT_FLOAT_EQ(rig.tile.filters[1].cutoff, 20.0f);
  EXPECT_EQ(rig.sent.values("cutoff2"), std::vector<float>{20.0f});
  rig.tile.commitTyped(2, 700.0f);
  EXPECT_EQ(rig.sent.size(), 1u);
}

TEST(FilterTile, HoldingAHandleStillKeepsItsResonance) {
  TileRig<FilterTile> rig;
  rig.tile.filters[0] = {1000.0f, 0.3f, 0};
  rig.step();
  const ImVec2 h = StageCurves::filterPoint(rig.tile, 0, rig.plot());
  rig.pressAt(h);
  rig.steps(3);
  rig.releaseButton();
  // Nothing moved: nothing is sent and no gesture ends.
  EXPECT_EQ(rig.sent.size(), 0u);
  EXPECT_FLOAT_EQ(rig.tile.filters[0].resonance, 0.3f);
  EXPECT_EQ(rig.sent.gestureEnds, 0);
  // A sideways drag moves the cutoff from where it was and keeps the
  // resonance.
  rig.dragFromTo(ImVec2(h.x + 2.0f, h.y), ImVec2(h.x + 32.0f, h.y));
  EXPECT_TRUE(rig.sent.values("resonance").empty());
  ASSERT_FALSE(rig.sent.values("cutoff").empty());
  EXPECT_NEAR(StageCurves::filterPoint(rig.tile, 0, rig.plot()).x, h.x + 30.0f, 0.05f);
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

TEST(FilterTile, APillNeverCoversItsHandleNorTheOther) {
  // A low-pass at 500 Hz under a high-pass at 5 kHz: both handles sit on
  // the curve near the bottom, where the pills would be.
  TileRig<FilterTile> rig;
  rig.tile.filters[0] = {500.0f, 0.0f, 0};
  rig.tile.filters[1] = {5000.0f, 0.0f, 1};
  rig.step();
  for (int k = 0; k < 2; ++k) {
    SCOPED_TRACE(k);
    const ImVec2 h = StageCurves::filterPoint(rig.tile, k, rig.plot());
    for (int pill = 0; pill < 2; ++pill) {
      const ui::Rect r = rig.scoped([&] { return rig.tile.pillRect(pill); });
      EXPECT_FALSE(h.x + 5.0f > r.x && h.x - 5.0f < r.x + r.width && h.y + 5.0f > r.y &&
                   h.y - 5.0f < r.y + r.height);
    }
    rig.steps(30);
    rig.pressAt(ImVec2(h.x, h.y - 2.0f));
    EXPECT_EQ(rig.heldHandle(), k == 0 ? "cutoff" : "cutoff 2");
    rig.releaseButton();
  }
  EXPECT_TRUE(rig.sent.values("type").empty());
  EXPECT_TRUE(rig.sent.values("type2").empty());
}

// The whole resonance lies over a quarter of the plot, far fewer than 100
// pixels: a drag sweeps it over 100 instead.
TEST(FilterTile, AHundredPixelsUpwardsSweepTheResonanceHoweverLowThePlot) {
  TileRig<FilterTile> rig;
  rig.tile.filters[0] = {300.0f, 0.0f, 1};
  rig.step();
  const ui::Rect p = rig.plot();
  ASSERT_LT(0.25f * p.height, 100.0f);
  const ImVec2 h = StageCurves::filterPoint(rig.tile, 0, p);
  rig.dragFromTo(h, ImVec2(h.x, h.y - 0.25f * p.height));
  ASSERT_FALSE(rig.sent.values("resonance").empty());
  EXPECT_GT(rig.sent.values("resonance").back(), 0.0f);
  EXPECT_LT(rig.sent.values("resonance").back(), 0.5f);
  rig.tile.filters[0].resonance = 0.0f;
  rig.dragFromTo(h, ImVec2(h.x, h.y - 100.0f));
  EXPECT_FLOAT_EQ(rig.sent.values("resonance").back(), 1.0f);
  // An upright drag leaves the cutoff as it was.
  EXPECT_TRUE(rig.sent.values("cutoff").empty());
  EXPECT_EQ(rig.tile.filters[0].cutoff, 300.0f);
}

TEST(FilterTile, APillClickCyclesTheType) {
  TileRig<FilterTile> rig;
  rig.tile.filters[0] = {1000.0f, 0.0f, 2};
  rig.step();
  rig.clickAt(rig.scoped([&] { return test::centreOf(rig.tile.pillRect(0)); }));
  EXPECT_EQ(rig.sent.values("type"), std::vector<float>{0.0f});
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

// ---- ROOM

TEST(RoomTile, TheAxisRunsFromTheShortestLoopToTheLongestTail) {
  const double rate = 44100.0;
  EXPECT_NEAR(roomTailGain(0.0f, 0.0f, 0.0f, rate), 1.0f, 0.0f);
  EXPECT_NEAR(roomRt(1.0f, 0.0f, rate), 0.706f, 0.001f);
  EXPECT_NEAR(roomRt(0.0f, 1.0f, rate), 0.0173f, 0.0001f);
  EXPECT_NEAR(roomFeedback(0.35f, 0.5f), 0.4952f, 1e-4f);
  EXPECT_NEAR(roomRt(0.35f, 0.5f, rate), 0.0469f, 1e-4f);
  RoomTile t;
  EXPECT_NEAR(t.xToTime(0.0f), 0.0f, 1e-9f);
  EXPECT_NEAR(t.xToTime(1.0f), 0.706f, 0.001f);
  // T0: one loop at size 0 sits at log1p(1) of the axis' span.
  EXPECT_NEAR(t.xToTime(t.timeToX(0.0077f)), 0.0077f, 1e-5f);
  EXPECT_NEAR(std::expm1(t.timeToX(0.0077f) * std::log1p(0.706f / 0.0077f)), 1.0f, 0.01f);
  for (float u : {0.1f, 0.4f, 0.9f}) EXPECT_NEAR(t.timeToX(t.xToTime(u)), u, 1e-5f);
}

class RoomRig : public TileRig<RoomTile> {
 public:
  RoomRig() {
    tile.mix = 0.8f;
    step();
  }
  ImVec2 handle(int k) {
    return scoped([&] { return tile.handlePoint(k, tile.plotRect()); });
  }
};

TEST(RoomTile, TheHandlesSitOnTheTail) {
  RoomRig rig;
  const ui::Rect p = rig.plot();
  EXPECT_NEAR(widthShare(rig.handle(0).x, p), 0.432f, 0.001f);
  EXPECT_FLOAT_EQ(rig.handle(0).y, p.y + p.height);
  EXPECT_NEAR(widthShare(rig.handle(2).x, p), 0.216f, 0.001f);
  EXPECT_NEAR(heightShare(rig.handle(2).y, p), 0.441f * 0.8f, 0.001f);
  EXPECT_NEAR(heightShare(rig.handle(1).y, p), 0.8f, 1e-5f);
  EXPECT_EQ(rig.harness.drawLog().find(DrawOp::FillCircle).size(), 3u);
  EXPECT_EQ(rig.harness.drawLog().find(DrawOp::FillRect).at(0)->colour, 0xB30D1108u);
}

TEST(RoomTile, SizeDraggedPastTheRightEdgeEndsAtOne) {
  RoomRig rig;
  const ui::Rect p = rig.plot();
  rig.dragFromTo(rig.handle(0), ImVec2(p.x + p.width + 40.0f, p.y + p.height));
  EXPECT_NEAR(rig.sent.values("size").back(), 1.0f, 1e-5f);
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

TEST(RoomTile, DampDraggedAboveTheMixEndsNearZero) {
  RoomRig rig;
  const ui::Rect p = rig.plot();
  const ImVec2 d = rig.handle(2);
  rig.dragFromTo(d, ImVec2(d.x, p.y - 10.0f));
  EXPECT_NEAR(rig.sent.values("damp").back(), 0.0f, 1e-4f);
}

TEST(RoomTile, WithAlmostNoMixADampDragGoesNearOne) {
  RoomRig rig;
  rig.tile.mix = 0.001f;
  rig.step();
  const ImVec2 d = rig.handle(2);
  rig.dragFromTo(d, ImVec2(d.x + 1.0f, d.y - 1.0f));
  EXPECT_NEAR(rig.sent.values("damp").back(), 1.0f, 1e-4f);
}

// Each handle shows the value it sets while it moves, in percent as it is
// typed, from the press on (a press and a move in one frame included).
TEST(RoomTile, ADraggedHandleShowsItsValueInPercent) {
  const char* names[] = {"size", "mix", "damp"};
  const ImVec2 moves[] = {{30.0f, 0.0f}, {0.0f, -12.0f}, {0.0f, -8.0f}};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(names[k]);
    RoomRig rig;
    rig.steps(30);
    const ImVec2 h = rig.handle(k);
    rig.harness.movePointer(h);
    rig.harness.setButton(ImGuiMouseButton_Left, true);
    rig.step();
    rig.moveTo(ImVec2(h.x + moves[k].x, h.y + moves[k].y));
    const float value = k == 0 ? rig.tile.size : k == 1 ? rig.tile.mix : rig.tile.damp;
    const char* const keys[] = {"space_size", "space_mix", "space_damp"};
    const std::string wanted =
        std::string(ob::chainParamName(keys[k])) + "  " + std::to_string(std::lround(value * 100.0f)) + "%";
    int found = 0;
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(DrawOp::Text))
      found += r->text == wanted ? 1 : 0;
    EXPECT_EQ(found, 1) << "no \"" << wanted << "\"";
    rig.releaseButton();
  }
}

TEST(RoomTile, ATypedOneHundredTwentyStoresOne) {
  RoomRig rig;
  rig.rightClickAt(rig.handle(1));
  ASSERT_EQ(rig.tile.entry.openId(), 1);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "80 %");
  rig.typeAndEnter("120");
  EXPECT_FLOAT_EQ(rig.tile.mix, 1.0f);
  EXPECT_EQ(rig.sent.values("mix"), std::vector<float>{1.0f});
  rig.tile.commitTyped(9, 25.0f);
  EXPECT_FLOAT_EQ(rig.tile.damp, 0.25f);
}

TEST(RoomTile, ATinyPlotDrawsPanelBorderAndTitleOnly) {
  TileRig<RoomTile> rig(1.0f, {100.0f, 100.0f, 300.0f, 20.0f});
  rig.tile.mix = 0.5f;
  rig.step();
  const auto records = rig.harness.drawLog().records();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].op, DrawOp::FillRect);
  EXPECT_EQ(records[1].op, DrawOp::StrokeRect);
  EXPECT_EQ(records[2].op, DrawOp::Text);
  EXPECT_EQ(records[2].text, "ROOM");
  rig.dragFromTo(ImVec2(101.0f, 110.0f), ImVec2(200.0f, 105.0f));
  EXPECT_EQ(rig.sent.size(), 0u);
}

TEST(RoomTile, APressOnARoomThatIsOffSwitchesItOn) {
  TileRig<RoomTile> rig;
  EXPECT_EQ(rig.harness.drawLog().find(DrawOp::FillRect).at(0)->colour & 0xFF000000u, 98u << 24);
  rig.clickAt(test::centreOf(rig.area));
  EXPECT_EQ(rig.sent.calls, std::vector<std::string>{"mix 0.350000"});
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

}  // namespace chain_effect_tiles_test
}  // namespace orbi
