// LFO reach, breathe, the LFO chips and the layer split.
#include <gtest/gtest.h>

#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_modulation_test {

class Modulation : public testing::Test {
 protected:
  ob::Lfo& lfo(int i) { return rig.pattern().tracks[0].lfos[i]; }
  NodeGraph& graph() { return rig.page.anatomy.hitGraph; }
  BenchRig rig;
};

TEST_F(Modulation, ReachPicksTheLfoOnTheParameterElseAFreeOne) {
  const int tone = drumParam("exc1_tone"), decay = drumParam("exc1_decay"), bleed = drumParam("bleed");
  graph().lfoReach(tone, 0.4f);  // both free: LFO 0
  EXPECT_TRUE(lfo(0).enabled);
  EXPECT_EQ(lfo(0).dest, tone);
  EXPECT_FLOAT_EQ(lfo(0).depth, 0.4f);
  graph().lfoReach(decay, -0.3f);  // negative reach is off but takes the free LFO 1
  EXPECT_EQ(lfo(1).dest, decay);
  EXPECT_FALSE(lfo(1).enabled);
  EXPECT_FLOAT_EQ(lfo(1).depth, -0.3f);
  graph().lfoReach(decay, 0.6f);
  EXPECT_TRUE(lfo(1).enabled);
  graph().lfoReach(tone, 0.7f);  // LFO 0 already reaches it: only the depth
  EXPECT_EQ(rig.context.commands.back().kind, ob::kEditLfoDepth);
  EXPECT_EQ(rig.context.commands.back().param, 0);
  const std::size_t sent = rig.context.commands.size();
  graph().lfoReach(bleed, 0.5f);  // both reach other parameters
  EXPECT_EQ(rig.context.commands.size(), sent);
}

TEST_F(Modulation, ReachBackToZeroDisablesTheLfoAndKeepsItsTarget) {
  const int tone = drumParam("exc1_tone");
  lfo(0) = {1, static_cast<std::uint8_t>(tone), 1.0f, 0, 0.5f, 0, 0, 5};
  graph().lfoReach(tone, 0.0f);
  ASSERT_EQ(rig.context.commands.size(), 2u);
  EXPECT_EQ(rig.context.commands[0].kind, ob::kEditLfoEnabled);
  EXPECT_EQ(rig.context.commands[1].kind, ob::kEditLfoDepth);
  EXPECT_FALSE(lfo(0).enabled);
  EXPECT_FLOAT_EQ(lfo(0).depth, 0.0f);
  EXPECT_EQ(lfo(0).dest, tone);
}

TEST_F(Modulation, BreatheGoesToTheActiveSelectedStepElseTheTrack) {
  const int tone = drumParam("res_tone");
  rig.context.step = 0;
  graph().breathe(tone, 0.2f);
  EXPECT_EQ(rig.context.commands.back().kind, ob::kEditStepRandom);
  EXPECT_EQ(rig.context.commands.back().step, 0u);
  rig.context.step = 1;  // inactive
  graph().breathe(tone, 0.3f);
  EXPECT_EQ(rig.context.commands.back().kind, ob::kEditTrackRandom);
  EXPECT_EQ(rig.page.grid.cells[0].hasRandom, 1);
}

TEST_F(Modulation, ChipsCycleShapeTriggerAndRate) {
  lfo(1).shape = 5;
  lfo(1).trig = 4;
  graph().lfoShape(1);
  graph().lfoTrig(1);
  EXPECT_EQ(lfo(1).shape, 0);
  EXPECT_EQ(lfo(1).trig, 0);
  graph().lfoShape(2);
  graph().lfoTrig(-1);
  graph().lfoRate(2);
  EXPECT_EQ(rig.context.commands.size(), 2u);
  // Free, then the ten divisions, then free again with the division kept.
  graph().lfoRate(0);
  EXPECT_TRUE(lfo(0).sync);
  EXPECT_EQ(lfo(0).rateDiv, 0);
  for (int d = 1; d <= 9; ++d) {
    graph().lfoRate(0);
    EXPECT_EQ(lfo(0).rateDiv, d);
  }
  graph().lfoRate(0);
  EXPECT_FALSE(lfo(0).sync);
  EXPECT_EQ(lfo(0).rateDiv, 9);
}

TEST_F(Modulation, LayerCountsSpreadTheVelocityRangeEvenly) {
  struct Case {
    int count;
    std::vector<int> limits;
  };
  for (const Case& c :
       {Case{1, {127}}, Case{2, {64, 127}}, Case{3, {42, 85, 127}}, Case{4, {32, 64, 95, 127}}}) {
    SCOPED_TRACE(c.count);
    rig.reset();
    rig.page.velocity.onLayers(c.count, VelocityTile::kVelocity);
    const ob::Sound& s = rig.soundOf(0);
    EXPECT_EQ(s.zoneCount, c.count);
    for (int i = 0; i < c.count; ++i) EXPECT_EQ(s.velMax[i], c.limits[static_cast<std::size_t>(i)]) << i;
  }
}

TEST_F(Modulation, TheSameLayerCountWithAnotherModeOnlyChangesTheMode) {
  rig.page.velocity.onLayers(3, VelocityTile::kVelocity);
  rig.soundOf(0).velMax[0] = 30;
  rig.context.commands.clear();
  rig.page.velocity.onLayers(3, VelocityTile::kRoundRobin);
  ASSERT_EQ(rig.context.commands.size(), 1u);
  EXPECT_EQ(rig.soundOf(0).mode, VelocityTile::kRoundRobin);
  EXPECT_EQ(rig.soundOf(0).velMax[0], 30);
}

}  // namespace bench_modulation_test
}  // namespace orbi::test
