// The sampler panel: its rows and connectors, the lanes' shared gesture
// frame and typed entry, and each lane's drags and drawing.
#include "editor/widgets/sample/sampler_lanes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/editor/widgets/sample_rig.h"
#include "ui/context.h"
#include "ui/draw/text.h"

namespace orbi {
namespace sampler_lanes_test {

using test::Calls;
using test::keyed;
using ui::DrawOp;

constexpr std::uint32_t kGrainFill = 0x598DC63F;
constexpr std::uint32_t kFanFill = 0x388DC63F;
constexpr std::uint32_t kDimLine = 0x808A8870;
constexpr std::uint32_t kHandle = 0xFFA4D165;

// ---- layout

class LayoutAtScale : public testing::TestWithParam<float> {};

TEST_P(LayoutAtScale, WithoutAMiddleLaneTwoGapsAndTwoConnectors) {
  const float s = GetParam();
  const ui::Rect r{10.0f, 20.0f, 400.0f, 300.0f * s};
  const auto rows = SamplerLanes::layout(r, SamplerLanes::kNoMiddle, s);
  EXPECT_FALSE(rows.hasMiddle);
  EXPECT_FLOAT_EQ(rows.amp.height, 56.0f * s);
  EXPECT_FLOAT_EQ(rows.amp.y + rows.amp.height, r.y + r.height);
  EXPECT_FLOAT_EQ(rows.speed.height, 46.0f * s);
  EXPECT_FLOAT_EQ(rows.speed.y + rows.speed.height + 8.0f * s, rows.amp.y);
  EXPECT_FLOAT_EQ(rows.sample.y, r.y);
  EXPECT_FLOAT_EQ(rows.sample.height + 8.0f * s, rows.speed.y - r.y);
  ASSERT_EQ(rows.connectors.size(), 4u);
  EXPECT_FLOAT_EQ(rows.connectors[0].y, rows.sample.y + rows.sample.height);
  EXPECT_FLOAT_EQ(rows.connectors[1].y, rows.speed.y);
  EXPECT_FLOAT_EQ(rows.connectors[2].y, rows.speed.y + rows.speed.height);
  EXPECT_FLOAT_EQ(rows.connectors[3].y, rows.amp.y);
  for (const ImVec2& p : rows.connectors) EXPECT_FLOAT_EQ(p.x, 210.0f);
}

TEST_P(LayoutAtScale, ALowPanelGivesTheLowerRowsTheirHeightsFirst) {
  const float s = GetParam();
  const auto rows = SamplerLanes::layout({0.0f, 0.0f, 300.0f, 90.0f * s}, SamplerLanes::kNoMiddle, s);
  EXPECT_FLOAT_EQ(rows.amp.height, 46.0f * s);
  EXPECT_FLOAT_EQ(rows.speed.height, 40.0f * s);
  EXPECT_FLOAT_EQ(rows.speed.y, 0.0f);
  EXPECT_FLOAT_EQ(rows.sample.height, 0.0f);
  EXPECT_EQ(rows.connectors.size(), 2u);  // no room left for the upper gap
}

TEST_P(LayoutAtScale, AMiddleLaneAddsARowAndAGap) {
  const float s = GetParam();
  for (const auto mode : {SamplerLanes::kTone, SamplerLanes::kGrains}) {
    const auto rows = SamplerLanes::layout({0.0f, 0.0f, 300.0f, 400.0f * s}, mode, s);
    EXPECT_TRUE(rows.hasMiddle);
    EXPECT_FLOAT_EQ(rows.middle.height, 46.0f * s);
    EXPECT_FLOAT_EQ(rows.middle.y + rows.middle.height + 8.0f * s, rows.amp.y);
    EXPECT_FLOAT_EQ(rows.speed.y + rows.speed.height + 8.0f * s, rows.middle.y);
    EXPECT_EQ(rows.connectors.size(), 6u);
  }
}

// Between its floor and its roomy height the panel gives the AMP lane its
// larger row first, then the gaps theirs; the sample view keeps 72.
TEST_P(LayoutAtScale, PastItsFloorTheAmpRowAndTheGapsGrow) {
  const float s = GetParam();
  for (const auto mode : {SamplerLanes::kNoMiddle, SamplerLanes::kTone}) {
    SCOPED_TRACE(mode);
    const float floor = SamplerLanes::floorHeight(mode, s), roomy = SamplerLanes::roomyHeight(mode, s);
    ASSERT_GT(roomy, floor);
    const auto atFloor = SamplerLanes::layout({0.0f, 0.0f, 300.0f, floor}, mode, s);
    EXPECT_NEAR(atFloor.amp.height, 46.0f * s, 1e-3f * s);
    EXPECT_NEAR(atFloor.speed.y - (atFloor.sample.y + atFloor.sample.height), 4.0f * s, 1e-3f * s);
    const auto between = SamplerLanes::layout({0.0f, 0.0f, 300.0f, floor + 6.0f * s}, mode, s);
    EXPECT_NEAR(between.amp.height, 52.0f * s, 1e-3f * s);
    EXPECT_NEAR(between.sample.height, 72.0f * s, 1e-3f * s);
    const auto atRoomy = SamplerLanes::layout({0.0f, 0.0f, 300.0f, roomy}, mode, s);
    EXPECT_NEAR(atRoomy.amp.height, 56.0f * s, 1e-3f * s);
    EXPECT_NEAR(atRoomy.speed.y - (atRoomy.sample.y + atRoomy.sample.height), 8.0f * s, 1e-3f * s);
    EXPECT_NEAR(atRoomy.sample.height, 72.0f * s, 1e-3f * s);
  }
}

TEST_P(LayoutAtScale, AtItsFloorTheSampleViewKeepsSeventyTwo) {
  const float s = GetParam();
  for (const auto mode : {SamplerLanes::kNoMiddle, SamplerLanes::kTone, SamplerLanes::kGrains}) {
    SCOPED_TRACE(mode);
    const float floor = SamplerLanes::floorHeight(mode, s);
    const auto rows = SamplerLanes::layout({0.0f, 0.0f, 300.0f, floor}, mode, s);
    EXPECT_NEAR(rows.sample.height, 72.0f * s, 1e-3f * s);
    const auto lower = SamplerLanes::layout({0.0f, 0.0f, 300.0f, floor - s}, mode, s);
    EXPECT_LT(lower.sample.height, 72.0f * s);
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, LayoutAtScale, testing::Values(1.0f, 1.5f, 2.0f));

// ---- a lane in a rig: title "LANE", rect (100, 100, 406, h) gives the
// content (107, 125, 392, h - 32).

template <typename Lane>
class LaneRig : public test::GestureRig {
 public:
  explicit LaneRig(float height = 80.0f) : area{100.0f, 100.0f, 406.0f, height} {
    lane.title = "LANE";
    lane.onChange = test::recordInto(calls);
    lane.onGestureEnd = [this] { ++ends; };
    body = [this] { lane.draw(area); };
  }
  ui::Rect content() {
    ui::Rect c;
    harness.frame([&] {
      body();
      c = lane.contentRect();
    });
    return c;
  }
  Lane lane;
  ui::Rect area;
  Calls calls;
  int ends = 0;
};

void ampSlots(ParamWidget& w, float attack = 0.05f, float decay = 1.0f, float level = 0.8f) {
  w.setSlots({keyed(0, "attack", 0.0f, 0.5f, attack), keyed(1, "decay", 0.01f, 8.0f, decay),
              keyed(2, "level", 0.0f, 1.0f, level)});
}

// ---- the shared gesture frame and entry

TEST(SamplerLane, AMissingSlotOpensNoEntry) {
  LaneRig<SpeedLane> rig;
  rig.lane.setSlots({keyed(0, "tune", -24, 24, 0)});
  rig.step();
  rig.harness.frame([&] {
    rig.lane.openTyped(1, ImVec2(200, 130));
    rig.lane.openTyped(-1, ImVec2(200, 130));
  });
  EXPECT_EQ(rig.lane.entry.openId(), -1);
  rig.harness.frame([&] { rig.lane.openTyped(0, ImVec2(200, 130)); });
  EXPECT_EQ(rig.lane.entry.openId(), 0);
}

TEST(SamplerLane, TypedAttackIsMillisecondsKeptWithinHalfASecond) {
  LaneRig<AmpEnvView> rig;
  ampSlots(rig.lane);
  const ui::Rect c = rig.content();
  const ImVec2 lowerLeft{c.x + 2.0f, c.y + c.height - 3.0f};
  rig.typeAt(lowerLeft, "250");
  EXPECT_FLOAT_EQ(rig.lane.slots[0].value, 0.25f);
  rig.typeAt(lowerLeft, "900");
  EXPECT_FLOAT_EQ(rig.lane.slots[0].value, 0.5f);
  EXPECT_EQ(rig.calls, (Calls{{0, 0.25f}, {0, 0.5f}}));
  EXPECT_EQ(rig.ends, 0);  // typed values end no gesture
}

TEST(SamplerLane, EachLaneTypesTheSlotUnderThePointer) {
  LaneRig<AmpEnvView> amp;
  ampSlots(amp.lane);
  const ui::Rect c = amp.content();
  amp.typeAt({c.x + 2.0f, c.y + 2.0f}, "50");
  amp.typeAt({c.x + c.width - 4.0f, c.y + 2.0f}, "2");
  EXPECT_EQ(amp.calls, (Calls{{2, 0.5f}, {1, 2.0f}}));

  LaneRig<GrainLane> grains;
  grains.lane.setSlots({keyed(0, "size", 5, 200, 50), keyed(1, "density", 1, 100, 10)});
  const ui::Rect g = grains.content();
  grains.typeAt({g.x + 50.0f, g.y + g.height - 2.0f}, "80");
  grains.typeAt({g.x + 50.0f, g.y + 2.0f}, "500");  // clamped by the entry to 100
  EXPECT_EQ(grains.calls, (Calls{{0, 80.0f}, {1, 100.0f}}));
}

TEST(SamplerLanes, ADragEndsOneGestureInThePanel) {
  test::GestureRig rig;
  SamplerLanes panel;
  panel.mode = SamplerLanes::kTone;
  int ends = 0;
  panel.amp.onGestureEnd = [&] { ++ends; };
  ampSlots(panel.amp);
  panel.amp.title = "AMP";
  const ui::Rect r{50.0f, 50.0f, 600.0f, 400.0f};
  rig.body = [&] { panel.draw(r); };
  rig.step();
  const ui::Rect c = panel.amp.contentRect();
  rig.drag({c.x + c.width * 0.6f, c.y + c.height / 2.0f}, {{5.0f, 0.0f}, {20.0f, 0.0f}, {40.0f, 0.0f}});
  EXPECT_EQ(ends, 1);
  rig.steps(3);
  EXPECT_EQ(ends, 1);
}

TEST(SamplerLanes, ARowWithoutHeightShowsNothingAndTakesNoPress) {
  test::GestureRig rig;
  SamplerLanes panel;
  panel.mode = SamplerLanes::kTone;
  const std::vector<float> sample = test::sineSample(0.5f);
  panel.sampleView.setSample(sample.data(), static_cast<int>(sample.size()), 0.5f);
  panel.speed.title = "SPEED";
  // Room for AMP, TONE and their gaps only: the speed row and the sample
  // view above it get nothing.
  const float s = ui::scale();
  const ui::Rect r{50.0f, 50.0f, 600.0f, 100.0f * s};
  rig.body = [&] { panel.draw(r); };
  rig.step();
  const SamplerLanes::Layout rows = SamplerLanes::layout(r, panel.mode, s);
  ASSERT_EQ(rows.sample.height, 0.0f);
  ASSERT_EQ(rows.speed.height, 0.0f);
  for (const char* id : {"pill", "chop", "toggle", "wave", "slices", "speed"}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(rig.harness.drawLog().findItem(id), nullptr);
  }
  for (const ui::DrawRecord* text : rig.harness.drawLog().find(DrawOp::Text)) {
    SCOPED_TRACE(text->text);
    EXPECT_GE(text->rect.y, rows.middle.y);
  }
}

// ---- AMP

TEST(AmpLane, AClickChangesNothingAndTheTailMovesFromWhereItWas) {
  LaneRig<AmpEnvView> rig;
  ampSlots(rig.lane);
  const ui::Rect c = rig.content();
  ImVec2 tail;
  rig.harness.frame([&] { tail = rig.lane.tailHandle(); });
  // Right of the peak but off the tail: a click sends nothing and ends no
  // gesture; a drag from there moves the tail by as much as the pointer.
  const ImVec2 from{std::round(tail.x + 40.0f), c.y + c.height / 2.0f};
  rig.clickAt(from);
  EXPECT_TRUE(rig.calls.empty());
  EXPECT_EQ(rig.ends, 0);
  rig.drag(from, {{10.0f, 0.0f}, {30.0f, 0.0f}});
  EXPECT_EQ(rig.ends, 1);
  ASSERT_FALSE(rig.calls.empty());
  EXPECT_EQ(rig.calls.back().first, 1);
  rig.harness.frame([&] { EXPECT_NEAR(rig.lane.tailHandle().x, tail.x + 30.0f, 0.05f); });
  // The release let the tail go: it is drawn as no longer held.
  rig.step();
  const ui::HandleRecord* decay = rig.harness.drawLog().findHandle(&rig.lane, "decay");
  ASSERT_NE(decay, nullptr);
  EXPECT_FALSE(decay->held);
}

TEST(AmpLane, WithTheShortestDecayTheTailBesideThePeakIsTakenOnItsOwnDisc) {
  LaneRig<AmpEnvView> rig;
  ampSlots(rig.lane, 0.05f, 0.01f, 0.8f);
  rig.content();
  ImVec2 tail, peak;
  rig.harness.frame([&] {
    tail = rig.lane.tailHandle();
    peak = {rig.lane.peakX(), rig.lane.peakY(0.8f)};
  });
  rig.drag({std::round(tail.x), std::round(tail.y)}, {{20.0f, 0.0f}, {60.0f, 0.0f}});
  ASSERT_FALSE(rig.calls.empty());
  EXPECT_EQ(rig.calls.back().first, 1) << "the tail is not taken on its disc";
  rig.calls.clear();
  ampSlots(rig.lane, 0.05f, 0.01f, 0.8f);
  rig.drag({std::round(peak.x), std::round(peak.y)}, {{20.0f, 0.0f}, {60.0f, 0.0f}});
  ASSERT_FALSE(rig.calls.empty());
  EXPECT_EQ(rig.calls.back().first, 0) << "the peak is not taken on its disc";
}

TEST(AmpLane, ThePeakAxisIsDecidedAtThreePixels) {
  LaneRig<AmpEnvView> rig;
  ampSlots(rig.lane);
  const ui::Rect c = rig.content();
  float peak = 0.0f;
  rig.harness.frame([&] { peak = rig.lane.peakX(); });
  const ImVec2 from{std::round(peak), c.y + 4.0f};
  rig.drag(from, {{2.0f, 1.0f}, {-2.0f, 2.0f}});
  EXPECT_TRUE(rig.calls.empty());
  // Horizontal wins and stays so when the pointer later moves mostly down.
  rig.drag(from, {{3.0f, 1.0f}, {10.0f, 20.0f}});
  ASSERT_FALSE(rig.calls.empty());
  for (const auto& [id, v] : rig.calls) EXPECT_EQ(id, 0);
  EXPECT_EQ(rig.lane.slots[2].value, 0.8f);
  rig.calls.clear();
  rig.drag(from, {{1.0f, -3.5f}, {30.0f, -4.0f}});
  ASSERT_FALSE(rig.calls.empty());
  for (const auto& [id, v] : rig.calls) EXPECT_EQ(id, 2);
}

// A lane as short as the bench gives it, 14 of content: a few pixels move
// the level by a few hundredths, and the whole level takes 100 pixels.
TEST(AmpLane, OnAShortLaneTheLevelMovesFinely) {
  LaneRig<AmpEnvView> rig(46.0f);
  ampSlots(rig.lane, 0.05f, 1.0f, 0.95f);
  const ui::Rect c = rig.content();
  ASSERT_FLOAT_EQ(c.height, 14.0f);
  float peak = 0.0f;
  rig.harness.frame([&] { peak = rig.lane.peakX(); });
  const ImVec2 from{std::round(peak), std::round(rig.lane.peakY(0.95f))};
  rig.drag(from, {{0.0f, 5.0f}});
  EXPECT_NEAR(rig.lane.slots[2].value, 0.90f, 0.011f);
  // From the top: 95 stop short of silence, 100 reach it.
  ampSlots(rig.lane, 0.05f, 1.0f, 1.0f);
  const ImVec2 top{from.x, std::round(rig.lane.peakY(1.0f))};
  rig.drag(top, {{0.0f, 95.0f}});
  EXPECT_NEAR(rig.lane.slots[2].value, 0.05f, 0.011f);
  ampSlots(rig.lane, 0.05f, 1.0f, 1.0f);
  rig.drag(top, {{0.0f, 101.0f}});
  EXPECT_EQ(rig.lane.slots[2].value, 0.0f);
}

TEST(AmpLane, AFlatLaneSetsTheLevelToZero) {
  LaneRig<AmpEnvView> rig(40.0f);  // content 8 tall
  ampSlots(rig.lane);
  const ui::Rect c = rig.content();
  ASSERT_FLOAT_EQ(c.height, 8.0f);
  float peak = 0.0f;
  rig.harness.frame([&] { peak = rig.lane.peakX(); });
  rig.drag({std::round(peak), c.y + 4.0f}, {{0.0f, -10.0f}});
  EXPECT_EQ(rig.lane.slots[2].value, 0.0f);
}

// ---- GRAINS

TEST(GrainLane, TheCloudHoldsOneToSixtyFourGrains) {
  LaneRig<GrainLane> rig;
  for (const auto& [density, count] :
       {std::pair{0.5f, 1u}, std::pair{1.0f, 1u}, std::pair{10.0f, 10u}, std::pair{200.0f, 64u}}) {
    SCOPED_TRACE(density);
    rig.lane.setSlots({keyed(0, "size", 0, 200, 20), keyed(1, "density", 0, 400, density)});
    rig.step();
    EXPECT_EQ(rig.drawn(DrawOp::FillUnder, kGrainFill).size(), count);
  }
}

TEST(GrainLane, AGrainIsTwoSamplesAtLeastAndNeverNarrowerThanTwoPixels) {
  EXPECT_FLOAT_EQ(GrainLane::grainWidth(0.0f, 96000.0f, 1.0f), 4.0f);  // 2 samples of 48000 across 2 s
  EXPECT_FLOAT_EQ(GrainLane::grainWidth(0.0f, 400.0f, 1.5f), 3.0f);
  LaneRig<GrainLane> rig;
  rig.lane.setSlots({keyed(0, "size", 0, 200, 0), keyed(1, "density", 1, 100, 4)});
  rig.step();
  for (const ui::DrawRecord* hump : rig.drawn(DrawOp::FillUnder, kGrainFill))
    EXPECT_FLOAT_EQ(hump->points.back().x - hump->points.front().x, 2.0f);
}

TEST(GrainLane, DragsDecideTheirAxis) {
  LaneRig<GrainLane> rig;
  rig.lane.setSlots({keyed(0, "size", 0, 160, 80), keyed(1, "density", 0, 160, 80)});
  const ui::Rect c = rig.content();
  const ImVec2 from{c.x + 100.0f, c.y + 10.0f};
  rig.drag(from, {{2.0f, 2.0f}, {-2.0f, 0.0f}});
  EXPECT_TRUE(rig.calls.empty());
  EXPECT_EQ(rig.ends, 0);  // nothing changed: no gesture ended
  rig.drag(from, {{0.0f, -4.0f}, {30.0f, -10.0f}});
  EXPECT_FLOAT_EQ(rig.lane.slots[1].value, 90.0f);  // 160 px sweep the whole axis
  EXPECT_EQ(rig.lane.slots[0].value, 80.0f);
}

// ---- SPEED

TEST(SpeedLane, AClickSetsNothingAndADragMovesThePitchAsTheLength) {
  LaneRig<SpeedLane> rig;
  rig.lane.setSlots({keyed(0, "tune", -24, 24, 0)});
  const ui::Rect c = rig.content();
  ASSERT_FLOAT_EQ(c.width, 392.0f);
  const ImVec2 end{c.x + c.width / 2.0f, c.y + c.height / 2.0f};  // tune 0 ends half way
  rig.clickAt({c.x + c.width / 4.0f, end.y});
  EXPECT_TRUE(rig.calls.empty());
  // The bar's end follows the pointer: at the right edge -12 semitones,
  // at a quarter +12, and past the edge the pitch runs on down to -24.
  for (const auto& [dx, tune] : {std::pair{c.width / 2.0f, -12.0f}, std::pair{-c.width / 4.0f, 12.0f},
                                 std::pair{1.5f * c.width, -24.0f}}) {
    SCOPED_TRACE(tune);
    rig.lane.slots[0].value = 0.0f;
    rig.drag(end, {{dx / 2.0f, 0.0f}, {dx, 0.0f}});
    EXPECT_NEAR(rig.lane.slots[0].value, tune, 1e-3f);
  }
  EXPECT_EQ(rig.ends, 3);
}

TEST(SpeedLane, WithoutSpreadTheFanIsShutButItsHandleStaysApart) {
  LaneRig<SpeedLane> rig;
  rig.lane.setSlots({keyed(0, "tune", -24, 24, -24), keyed(1, "spread", 0, 1, 0)});
  rig.content();
  EXPECT_TRUE(rig.drawn(DrawOp::FillRect, kFanFill).empty());
  // At -24 semitones the bar's end and the shut fan's edge both lie on
  // the right edge; the fan's handle hangs below and opens the fan.
  ImVec2 bar, fan;
  rig.harness.frame([&] {
    bar = rig.lane.barHandle();
    fan = rig.lane.fanHandle();
    EXPECT_EQ(rig.lane.targetAt(bar), SpeedLane::kBar);
    EXPECT_EQ(rig.lane.targetAt(fan), SpeedLane::kFan);
  });
  EXPECT_GT(fan.y, bar.y + 5.0f);
  rig.drag(fan, {{-10.0f, 0.0f}, {20.0f, 0.0f}});
  EXPECT_GT(rig.lane.slots[1].value, 0.0f);
  EXPECT_EQ(rig.lane.slots[0].value, -24.0f);
  rig.step();
  EXPECT_EQ(rig.drawn(DrawOp::FillRect, kFanFill).size(), 2u);
}

TEST(SpeedLane, TheReadoutIsTheLengthOrTheFactor) {
  SpeedLane lane;
  lane.sampleSeconds = 0.5f;
  EXPECT_EQ(lane.lengthLabel(0.0f), "500 ms");
  EXPECT_EQ(lane.lengthLabel(12.0f), "250 ms");
  lane.sampleSeconds = 0.0f;
  EXPECT_EQ(lane.lengthLabel(0.0f), "\u00D71.00");
  EXPECT_EQ(lane.lengthLabel(12.0f), "\u00D70.50");
}

// On a low lane the length is written after the bar's end, beside the
// handle: the handle's tooltip keeps off it.
TEST(SpeedLane, TheHandlesTooltipKeepsOffTheReadout) {
  LaneRig<SpeedLane> rig(50.0f);
  rig.lane.sampleSeconds = 0.5f;
  rig.lane.setSlots({keyed(0, "tune", -24, 24, 0)});
  rig.step();
  ImVec2 handle;
  rig.harness.frame([&] {
    rig.body();
    handle = rig.lane.barHandle();
  });
  const std::optional<ui::Rect> tip = rig.tooltipAt(handle);
  ASSERT_TRUE(tip);
  const ui::DrawRecord* readout = nullptr;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(DrawOp::Text))
    if (r->text == rig.lane.lengthLabel(0.0f)) readout = r;
  ASSERT_NE(readout, nullptr);
  ui::ContextScope scope(rig.harness.ui());
  const ui::Rect ink = ui::textInk(readout->rect, readout->text, readout->style, readout->alignment);
  EXPECT_GT(ink.x, handle.x);  // beside it
  EXPECT_LT(ink.y, handle.y + 2.0f);
  EXPECT_GT(ink.y + ink.height, handle.y - 2.0f);
  const bool covered = tip->x < ink.x + ink.width && ink.x < tip->x + tip->width &&
                       tip->y < ink.y + ink.height && ink.y < tip->y + tip->height;
  EXPECT_FALSE(covered);
}

TEST(SpeedLane, TheFanEdgeCannotPassTheBar) {
  LaneRig<SpeedLane> rig;
  rig.lane.setSlots({keyed(0, "tune", -24, 24, 0), keyed(1, "spread", 0, 1, 0.5f)});
  rig.step();  // lays the lane out
  ImVec2 from;
  rig.harness.frame([&] { from = rig.lane.fanHandle(); });
  rig.harness.frame([&] { EXPECT_EQ(rig.lane.targetAt(from), SpeedLane::kFan); });
  rig.drag(from, {{-200.0f, 0.0f}});
  EXPECT_EQ(rig.lane.slots[1].value, 0.0f);
  EXPECT_EQ(rig.lane.slots[0].value, 0.0f);
}

// ---- TONE

class ToneRig : public LaneRig<ToneBlock> {
 public:
  explicit ToneRig(float crush = 16.0f, float srr = 0.0f, float lp = 20000.0f) {
    lane.setSlots(
        {keyed(0, "crush", 1, 16, crush), keyed(1, "srr", 0, 1, srr), keyed(2, "lp", 200, 20000, lp, true)});
    c = content();
  }
  ui::Rect c;
};

TEST(ToneBlock, CleanSettingsDrawTheReferenceDim) {
  ToneRig rig;
  const auto lines = rig.harness.drawLog().find(DrawOp::Polyline);
  const auto processed =
      std::find_if(lines.begin(), lines.end(), [](const ui::DrawRecord* r) { return r->width == 1.6f; });
  ASSERT_NE(processed, lines.end());
  EXPECT_EQ((*processed)->colour, kDimLine);
  const auto& reference = lines.front()->points;  // the reference comes first
  ASSERT_EQ((*processed)->points.size(), reference.size());
  for (std::size_t i = 0; i < reference.size(); ++i) {
    EXPECT_EQ((*processed)->points[i].x, reference[i].x);
    EXPECT_EQ((*processed)->points[i].y, reference[i].y);
  }
}

TEST(ToneBlock, CrushQuantisesAndRateReductionHolds) {
  const auto crushed = ToneBlock::processedSine(200, 1.0f, 0.0f);
  EXPECT_EQ(std::set<float>(crushed.begin(), crushed.end()), (std::set<float>{-1.0f, 0.0f, 1.0f}));
  const auto held = ToneBlock::processedSine(200, 16.0f, 1.0f);
  for (std::size_t i = 0; i < held.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(held[i], held[i - i % 50]);
  }
  EXPECT_NE(held[50], held[0]);
}

TEST(ToneBlock, AnOpenLowPassIsDimWithoutItsHandle) {
  for (const float lp : {19000.0f, 20000.0f, 2000.0f}) {
    SCOPED_TRACE(lp);
    ToneRig rig(16.0f, 0.0f, lp);
    const bool open = lp >= 19000.0f;
    EXPECT_EQ(rig.drawn(DrawOp::FillCircle, kHandle).empty(), open);
    const auto lines = rig.harness.drawLog().find(DrawOp::Polyline);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2]->colour, open ? kDimLine : 0xFF8DC63Fu);
  }
}

TEST(ToneBlock, APressKeepsTheBitsAndADragDownCrushes) {
  ToneRig rig(12.0f);
  const ImVec2 crushPoint{rig.c.x + 20.0f, rig.c.y + rig.c.height / 2.0f};
  rig.clickAt(crushPoint);
  EXPECT_FLOAT_EQ(rig.lane.slots[0].value, 12.0f);
  rig.lane.slots[0].value = 16.0f;
  rig.drag(crushPoint, {{0.0f, 12.0f}});
  EXPECT_LT(rig.lane.slots[0].value, 16.0f);
  EXPECT_EQ(rig.lane.slots[1].value, 0.0f);
}

TEST(ToneBlock, AShiftPressDrivesTheRateReductionToTheEnd) {
  ToneRig rig;
  const ImVec2 from{rig.c.x + 20.0f, rig.c.y + 4.0f};
  rig.harness.movePointer(from);
  rig.steps(20);
  rig.harness.setMods(ui::kModShift);
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.step();
  rig.harness.setMods(ui::kModNone);
  rig.harness.movePointer({from.x, from.y + 30.0f});
  rig.step();
  rig.harness.movePointer({from.x, from.y + 60.0f});
  rig.step();
  rig.harness.setButton(ImGuiMouseButton_Left, false);
  rig.step();
  EXPECT_FLOAT_EQ(rig.lane.slots[1].value, 0.5f);  // 120 px sweep the range
  EXPECT_EQ(rig.lane.slots[0].value, 16.0f);
  EXPECT_EQ(rig.ends, 1);
}

// At the lowest cutoff the handle sits on the corner's left edge: a press
// on the left half of its disc takes it all the same.
TEST(ToneBlock, AtTheLowestCutoffTheHandleIsTakenFromEitherSide) {
  ToneRig rig(16.0f, 0.0f, 200.0f);
  ui::Rect corner;
  rig.harness.frame([&] { corner = rig.lane.toneCornerRect(); });
  rig.step();
  const ui::HandleRecord* lp = rig.harness.drawLog().findHandle(&rig.lane, "lp");
  ASSERT_NE(lp, nullptr);
  ASSERT_FLOAT_EQ(lp->centre.x, corner.x);
  const ImVec2 from{std::floor(corner.x) - 1.0f, lp->centre.y};
  rig.drag(from, {{20.0f, 0.0f}, {40.0f, 0.0f}});
  ASSERT_FALSE(rig.calls.empty());
  EXPECT_EQ(rig.calls.back().first, 2);
  EXPECT_GT(rig.lane.slots[2].value, 200.0f);
}

TEST(ToneBlock, TheCornerMovesTheLowPassFromWhereItWas) {
  ToneRig rig(16.0f, 0.0f, 2000.0f);
  ui::Rect corner;
  rig.harness.frame([&] { corner = rig.lane.toneCornerRect(); });
  const ImVec2 from{std::round(corner.x + corner.width / 4.0f), corner.y + 4.0f};
  rig.clickAt(from);
  EXPECT_TRUE(rig.calls.empty());
  EXPECT_EQ(rig.ends, 0);
  // A quarter of the corner to the right is a quarter of the log axis up.
  rig.drag(from, {{corner.width / 8.0f, 0.0f}, {corner.width / 4.0f, 0.0f}});
  ASSERT_FALSE(rig.calls.empty());
  EXPECT_EQ(rig.calls.back().first, 2);
  EXPECT_NEAR(rig.lane.slots[2].value, 2000.0f * std::pow(100.0f, 0.25f), 130.0f);  // to the pixel
  EXPECT_EQ(rig.ends, 1);
}

// ---- what a drag shows while it moves

TEST(SamplerLane, EveryDragShowsItsValueAndUnitWhileItMoves) {
  {
    ToneRig rig;
    const ImVec2 crush{rig.c.x + 20.0f, rig.c.y + rig.c.height / 2.0f};
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(crush, {0.0f, 12.0f}, {0.0f, 40.0f}),
                                       sample::testing::samplerSlotName("crush"), " bits"));
  }
  {
    ToneRig rig(16.0f, 0.0f, 2000.0f);
    ui::Rect corner;
    rig.harness.frame([&] { corner = rig.lane.toneCornerRect(); });
    const ImVec2 from{std::round(corner.x + corner.width / 4.0f), corner.y + 4.0f};
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(from, {20.0f, 0.0f}, {40.0f, 0.0f}),
                                       sample::testing::samplerSlotName("lp"), " Hz"));
  }
  {
    LaneRig<AmpEnvView> rig;
    ampSlots(rig.lane);
    const ui::Rect c = rig.content();
    ImVec2 tail;
    float peak = 0.0f;
    rig.harness.frame([&] {
      tail = rig.lane.tailHandle();
      peak = rig.lane.peakX();
    });
    EXPECT_TRUE(
        test::showsMovingValue(rig.textsWhileDragged({std::round(tail.x + 40.0f), c.y + c.height / 2.0f},
                                                     {10.0f, 0.0f}, {30.0f, 0.0f}),
                               sample::testing::samplerSlotName("decay"), " s"));
    EXPECT_TRUE(test::showsMovingValue(
        rig.textsWhileDragged({std::round(peak), c.y + 4.0f}, {10.0f, 0.0f}, {30.0f, 0.0f}),
        sample::testing::samplerSlotName("attack"), " ms"));
  }
  {
    LaneRig<GrainLane> rig;
    rig.lane.setSlots({keyed(0, "size", 0, 160, 80), keyed(1, "density", 0, 160, 80)});
    const ui::Rect c = rig.content();
    const ImVec2 from{c.x + 100.0f, c.y + 10.0f};
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(from, {10.0f, 0.0f}, {30.0f, 0.0f}),
                                       sample::testing::samplerSlotName("size"), " ms"));
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(from, {0.0f, -10.0f}, {0.0f, -30.0f}),
                                       sample::testing::samplerSlotName("density"), " /s"));
  }
  {
    LaneRig<SpeedLane> rig;
    rig.lane.setSlots({keyed(0, "tune", -24, 24, 0), keyed(1, "spread", 0, 1, 0.5f)});
    rig.step();
    ImVec2 fan;
    rig.harness.frame([&] { fan = rig.lane.fanHandle(); });
    EXPECT_TRUE(test::showsMovingValue(rig.textsWhileDragged(fan, {-10.0f, 0.0f}, {-30.0f, 0.0f}),
                                       sample::testing::samplerSlotName("spread"), " %"));
  }
}

}  // namespace sampler_lanes_test
}  // namespace orbi
