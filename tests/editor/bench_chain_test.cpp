// The chain stages the add-stage button writes, and the two auditions: the
// sound as the selected step plays it, and one half of a drum alone.
#include <gtest/gtest.h>

#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_chain_test {

using ob::chainstage::Stage;

class ChainAndAudition : public testing::Test {
 protected:
  BenchRig rig;
};

TEST_F(ChainAndAudition, EachStageWritesItsDefaultsThenAuditions) {
  struct Case {
    Stage stage;
    std::vector<std::pair<const char*, float>> writes;
  };
  const Case cases[] = {
      {Stage::TRANSIENT, {{"ts_attack", 0.35f}}}, {Stage::AMP, {{"amp_hold", 0.12f}, {"amp_decay", 0.35f}}},
      {Stage::DRIVE, {{"fx_drive", 2.5f}}},       {Stage::FILTER, {{"flt_cutoff", 4000.0f}}},
      {Stage::ROOM, {{"space_mix", 0.35f}}},      {static_cast<Stage>(9), {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stage));
    rig.reset();
    rig.page.chain.onAddStage(c.stage);
    ASSERT_EQ(rig.context.commands.size(), c.writes.size());
    for (std::size_t i = 0; i < c.writes.size(); ++i) {
      EXPECT_EQ(rig.context.commands[i].param, drumParam(c.writes[i].first));
      EXPECT_FLOAT_EQ(rig.soundOf(0).params[drumParam(c.writes[i].first)], c.writes[i].second);
    }
    ASSERT_EQ(rig.context.auditions.size(), 1u);
    // The audition hears the stage just written.
    for (const auto& [key, value] : c.writes)
      EXPECT_FLOAT_EQ(rig.context.auditions[0].sound.params[drumParam(key)], value);
  }
}

// The sound goes the track's way to the output: the track's gain at the
// pan the selected step's hit starts from (its lock, else the track's).
TEST_F(ChainAndAudition, TheLevelIsTheSelectedStepsVelocityAndTheOutputTheTracks) {
  ob::Track& t = rig.pattern().tracks[1];
  t.gain = 0.7f;
  t.pan = -0.5f;
  t.steps[4].active = 1;
  t.steps[4].velocity = 64;
  t.steps[4].panLocked = 1;
  t.steps[4].panValue = 0.6f;
  t.steps[5].active = 0;
  t.steps[5].velocity = 64;
  t.steps[5].panLocked = 1;
  t.steps[5].panValue = 0.6f;
  struct Case {
    int step;
    float level, pan;
  };
  rig.context.track = 1;
  for (Case c : {Case{4, 64.0f / 127.0f, 0.6f}, Case{5, 1.0f, -0.5f}, Case{-1, 1.0f, -0.5f}}) {
    SCOPED_TRACE(c.step);
    rig.context.auditions.clear();
    rig.context.step = c.step;
    rig.page.anatomy.onHearBoth();
    rig.page.anatomy.hitBrowser.onLand();
    ASSERT_EQ(rig.context.auditions.size(), 2u);
    const ob::OutputGains want = ob::trackOutputGains(c.pan, 0.7f);
    for (const Audition& heard : rig.context.auditions) {
      EXPECT_FLOAT_EQ(heard.level, c.level);
      EXPECT_FLOAT_EQ(heard.gains.left, want.left);
      EXPECT_FLOAT_EQ(heard.gains.right, want.right);
    }
  }
}

TEST_F(ChainAndAudition, AnActiveStepIsHeardWithItsLocks) {
  const int tone = drumParam("res_tone");
  ob::setStepLock(rig.pattern().tracks[0].steps[0], tone, 0.77f);
  rig.context.step = 0;
  rig.bench.audition();
  ASSERT_EQ(rig.context.auditions.size(), 1u);
  EXPECT_FLOAT_EQ(rig.context.auditions[0].sound.params[tone], 0.77f);
  EXPECT_NE(rig.soundOf(0).params[tone], 0.77f);
}

// A lock on the sample slot is heard instead of the sound's velocity
// layers, as the step's hit plays it; other locks leave the layers alone.
TEST_F(ChainAndAudition, ALockOnTheSlotIsHeardOverTheLayers) {
  ob::Sound& sampler = rig.selectMachine(0, ob::kMachineSample);
  sampler.zoneCount = 2;
  sampler.slot[0] = 3;
  sampler.slot[1] = 4;
  sampler.velMax[0] = 70;
  sampler.velMax[1] = 127;
  const int slot = samplerParam("slot");
  const int gain = samplerParam("gain");
  ASSERT_EQ(slot, 0);
  ob::Step& step = rig.pattern().tracks[0].steps[0];
  step.active = 1;
  step.velocity = 120;
  rig.context.step = 0;
  struct Case {
    int param;
    float value;
    std::uint8_t zones;
  };
  for (const Case c : {Case{gain, 3.0f, 2}, Case{slot, 9.0f, 0}}) {
    SCOPED_TRACE(c.param);
    ob::setStepLock(step, c.param, c.value);
    rig.context.auditions.clear();
    rig.bench.audition();
    ASSERT_EQ(rig.context.auditions.size(), 1u);
    EXPECT_EQ(rig.context.auditions[0].sound.params[c.param], c.value);
    EXPECT_EQ(rig.context.auditions[0].sound.zoneCount, c.zones);
  }
  EXPECT_EQ(rig.soundOf(0).zoneCount, 2);
}

TEST_F(ChainAndAudition, NoSoundOrNoTrackAuditionsNothing) {
  rig.pattern().tracks[0].soundIndex = -1;
  rig.bench.audition();
  rig.context.track = 8;
  rig.bench.audition();
  rig.bench.auditionWithParam(BenchController::kBody);
  EXPECT_TRUE(rig.context.auditions.empty());
}

TEST_F(ChainAndAudition, AHalfOfAReversedDrumPlaysAloneAndForward) {
  rig.soundOf(0).params[drumParam("voice_rev")] = 1.0f;
  rig.soundOf(0).params[drumParam("exc2_type")] = 1.0f;
  const char* types[] = {"exc1_type", "exc2_type", "res_type"};
  for (int half = 0; half < 3; ++half) {
    SCOPED_TRACE(half);
    rig.context.auditions.clear();
    rig.bench.auditionWithParam(half);
    ASSERT_EQ(rig.context.auditions.size(), 1u);
    const ob::Sound& heard = rig.context.auditions[0].sound;
    EXPECT_EQ(heard.params[drumParam("voice_rev")], 0.0f);
    for (int other = 0; other < 3; ++other)
      EXPECT_EQ(heard.params[drumParam(types[other])] != 0.0f, other == half) << types[other];
  }
  EXPECT_EQ(rig.soundOf(0).params[drumParam("voice_rev")], 1.0f);  // the project keeps its direction
  EXPECT_TRUE(rig.context.commands.empty());
}

TEST_F(ChainAndAudition, IsolatingSkipsKeysTheMachineLacks) {
  ob::Sound sampler;
  ob::initSoundParams(sampler, ob::kMachineSample);
  const int rev = ob::findParamIndex(ob::kMachineSample, "voice_rev");
  sampler.params[rev] = 1.0f;
  const ob::Sound alone = BenchController::isolateHalf(sampler, BenchController::kHit);
  EXPECT_EQ(alone.params[rev], 0.0f);
  for (int i = 0; i < ob::kSoundParamSlots; ++i) {
    if (i == rev) continue;
    EXPECT_EQ(alone.params[i], sampler.params[i]) << i;
  }
}

TEST_F(ChainAndAudition, HitKeysRetargetToTheSecondHit) {
  EXPECT_EQ(BenchController::retargetKey("exc1_tone", "exc2_"), "exc2_tone");
  EXPECT_EQ(BenchController::retargetKey("res_tone", "exc2_"), "res_tone");
  EXPECT_EQ(BenchController::retargetKey("exc1", "exc2_"), "exc1");
}

}  // namespace bench_chain_test
}  // namespace orbi::test
