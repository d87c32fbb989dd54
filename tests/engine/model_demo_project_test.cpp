// The demo project a new instance starts with.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/model/demo_project.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace model_demo_project_test {

using namespace ob;

int drumIndex(const char* key) {
  const int i = findParamIndex(kMachineDrum, key);
  EXPECT_GE(i, 0) << key;
  return i;
}

struct DemoFixture : ::testing::Test {
  std::unique_ptr<Project> project = makeProject();
  Pattern& pat = project->patterns[0];
  void SetUp() override { buildDemoProject(*project); }
};

TEST_F(DemoFixture, PatternFieldsAndTracks) {
  EXPECT_STREQ(project->name, "Demo Beat");
  EXPECT_STREQ(pat.kit.name, "Demo Kit");
  EXPECT_STREQ(pat.name, "");
  EXPECT_EQ(pat.numTracks, 6);
  EXPECT_EQ(pat.bpm, 124.0f);
  EXPECT_EQ(pat.swing, 56.0f);
  EXPECT_EQ(pat.accentAmount, 0.18f);
  EXPECT_EQ(pat.accentCurve, 0.6f);
  EXPECT_EQ(pat.grooveEdited, 0);
  EXPECT_EQ(project->seed + pat.seed, 0u);
  const float pan[6] = {0.0f, 0.06f, 0.35f, 0.28f, -0.22f, -0.34f};
  for (int t = 0; t < 6; ++t) {
    EXPECT_EQ(pat.tracks[t].soundIndex, t);
    EXPECT_EQ(pat.tracks[t].pan, pan[t]);
    EXPECT_EQ(pat.kit.sounds[t].machine, kMachineDrum);
  }
}

TEST_F(DemoFixture, UnusedTracksAndSoundsStayDefault) {
  auto fresh = makeProject();
  const Track& defaultTrack = fresh->patterns[0].tracks[0];
  const Sound& defaultSound = fresh->patterns[0].kit.sounds[0];
  for (int t = 6; t < 8; ++t) {
    EXPECT_EQ(std::memcmp(&pat.tracks[t], &defaultTrack, sizeof(Track)), 0) << t;
    EXPECT_EQ(pat.tracks[t].soundIndex, -1);
    EXPECT_EQ(std::memcmp(&pat.kit.sounds[t], &defaultSound, sizeof(Sound)), 0) << t;
  }
  for (int m = 1; m < 4; ++m) {
    EXPECT_EQ(pat.kit.macros[m].destCount, 0);
    EXPECT_STREQ(pat.kit.macros[m].name, "");
  }
}

TEST_F(DemoFixture, KickKeepsDrumDefaultsExceptListedKeys) {
  const Sound& kick = pat.kit.sounds[0];
  EXPECT_STREQ(kick.name, "Kick");
  const std::set<std::string> listed = {"exc1_type", "exc1_tone", "exc1_decay", "exc1_level", "bleed",
                                        "res_type",  "res_tune",  "res_decay",  "res_tone",   "res_level",
                                        "res_aux1",  "res_aux2",  "dist_amt",   "level"};
  const int n = paramCount(kMachineDrum);
  for (int i = 0; i < n; ++i) {
    const ParamInfo info = paramInfo(kMachineDrum, i);
    if (listed.count(info.id)) continue;
    EXPECT_EQ(kick.params[i], info.defaultValue) << info.id;
  }
  for (int i = n; i < 64; ++i) EXPECT_EQ(kick.params[i], 0.0f);
  EXPECT_EQ(kick.params[drumIndex("exc1_level")], 0.5f);
  EXPECT_EQ(kick.params[drumIndex("res_aux2")], 0.114f);
  EXPECT_EQ(kick.params[drumIndex("res_tune")], 55.0f);
  EXPECT_EQ(kick.params[drumIndex("dist_amt")], 0.2f);
  EXPECT_EQ(kick.params[drumIndex("level")], 0.9f);
}

TEST_F(DemoFixture, EveryListedKeyExistsOnTheDrum) {
  // A key missing from the tables would silently drop part of the demo.
  for (const char* key :
       {"exc1_type", "exc1_tone", "exc1_decay", "exc1_level", "exc1_aux1", "exc1_aux2", "bleed", "res_type",
        "res_tune", "res_decay", "res_tone", "res_level", "res_aux1", "res_aux2", "dist_amt", "level"})
    drumIndex(key);
  EXPECT_EQ(pat.kit.sounds[1].params[drumIndex("res_tune")], 180.0f);
  EXPECT_EQ(pat.kit.sounds[2].params[drumIndex("exc1_tone")], 0.661f);
  EXPECT_EQ(pat.kit.sounds[3].params[drumIndex("exc1_decay")], 0.28f);
  EXPECT_EQ(pat.kit.sounds[4].params[drumIndex("res_type")], 3.0f);
  EXPECT_EQ(pat.kit.sounds[5].params[drumIndex("res_tune")], 400.0f);
}

TEST_F(DemoFixture, GrooveLocksRandomsAndRoll) {
  struct Hit {
    int track, step, velocity;
  };
  const std::vector<Hit> hits = {
      {0, 0, 127},  {0, 4, 127}, {0, 8, 127}, {0, 12, 127}, {1, 4, 118}, {1, 7, 70},
      {1, 12, 118}, {2, 0, 88},  {2, 2, 88},  {2, 4, 88},   {2, 6, 88},  {2, 8, 88},
      {2, 10, 88},  {2, 12, 88}, {2, 14, 88}, {2, 15, 80},  {3, 6, 78},  {3, 14, 96},
      {4, 10, 100}, {4, 11, 92}, {5, 2, 84},  {5, 13, 78},
  };
  EXPECT_EQ(countSetSteps(pat), static_cast<int>(hits.size()));
  for (const Hit& h : hits) {
    const Step& s = pat.tracks[h.track].steps[h.step];
    EXPECT_EQ(s.active, 1) << h.track << "/" << h.step;
    EXPECT_EQ(s.velocity, h.velocity);
    EXPECT_EQ(s.note, 60);
    EXPECT_EQ(s.lengthTicks, h.track == 2 && h.step == 15 ? 2 : 6);
  }

  auto lock = [&](int t, int s, int i) { return pat.tracks[t].steps[s].locks[i]; };
  ASSERT_EQ(pat.tracks[0].steps[12].lockCount, 1);
  EXPECT_EQ(lock(0, 12, 0).param, drumIndex("res_tune"));
  EXPECT_EQ(lock(0, 12, 0).value, 72.0f);
  ASSERT_EQ(pat.tracks[2].steps[14].lockCount, 2);
  EXPECT_EQ(lock(2, 14, 0).param, drumIndex("exc1_type"));
  EXPECT_EQ(lock(2, 14, 1).param, drumIndex("exc1_decay"));
  EXPECT_EQ(lock(2, 14, 1).value, 0.006f);
  EXPECT_EQ(lock(1, 12, 0).value, 0.34f);
  EXPECT_EQ(lock(3, 6, 0).value, 0.12f);
  EXPECT_EQ(lock(4, 11, 0).value, 74.0f);

  const Step& snare7 = pat.tracks[1].steps[7];
  ASSERT_EQ(snare7.randCount, 2);
  EXPECT_EQ(snare7.rands[0].param, drumIndex("exc1_tone"));
  EXPECT_EQ(snare7.rands[0].value, 0.3f);
  EXPECT_EQ(snare7.rands[1].param, drumIndex("res_tune"));
  EXPECT_EQ(snare7.rands[1].value, 0.22f);
  ASSERT_EQ(pat.tracks[3].steps[14].randCount, 1);
  EXPECT_EQ(pat.tracks[3].steps[14].rands[0].value, 0.35f);

  const Step& roll = pat.tracks[2].steps[15];
  EXPECT_EQ(roll.count, 4);
  EXPECT_EQ(roll.rateTicks, 6);
  EXPECT_EQ(roll.velCurve, -50);

  int locks = 0, rands = 0;
  for (const Track& t : pat.tracks)
    for (const Step& s : t.steps) {
      locks += s.lockCount;
      rands += s.randCount;
    }
  EXPECT_EQ(locks, 6);
  EXPECT_EQ(rands, 3);
}

TEST_F(DemoFixture, LfosAndMacroTargetDrumIndices) {
  const Lfo& hat = pat.tracks[2].lfos[0];
  EXPECT_EQ(hat.enabled, 1);
  EXPECT_EQ(hat.dest, drumIndex("exc1_tone"));
  EXPECT_EQ(hat.rate, 0.37f);
  const Lfo& tom = pat.tracks[4].lfos[0];
  EXPECT_EQ(tom.dest, drumIndex("res_aux1"));
  EXPECT_EQ(tom.shape, 1);
  EXPECT_EQ(tom.trig, 1);
  int enabled = 0;
  for (const Track& t : pat.tracks) enabled += t.lfos[0].enabled + t.lfos[1].enabled;
  EXPECT_EQ(enabled, 2);

  const Macro& m = pat.kit.macros[0];
  EXPECT_STREQ(m.name, "Open up");
  ASSERT_EQ(m.destCount, 2);
  EXPECT_EQ(m.dests[0].track, 2);
  EXPECT_EQ(m.dests[0].param, drumIndex("exc1_decay"));
  EXPECT_EQ(m.dests[0].target, 0.16f);
  EXPECT_EQ(m.dests[1].track, 1);
  EXPECT_EQ(m.dests[1].param, drumIndex("res_decay"));
}

TEST_F(DemoFixture, IdsFromTheSoundNames) {
  const char* trackIds[] = {"v-kick", "v-snare", "v-closed-hat", "v-open-hat", "v-tom", "v-rim"};
  const char* soundIds[] = {"s-kick", "s-snare", "s-closed-hat", "s-open-hat", "s-tom", "s-rim"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_STREQ(pat.tracks[i].id, trackIds[i]);
    EXPECT_STREQ(pat.kit.sounds[i].id, soundIds[i]);
  }
}

TEST(DemoProject, RebuildingOverAnyRecordGivesTheSameBytes) {
  auto clean = makeProject();
  buildDemoProject(*clean);
  auto dirty = makeProject();
  std::memset(static_cast<void*>(dirty.get()), 0xA5, sizeof(Project));
  Project& result = buildDemoProject(*dirty);
  EXPECT_EQ(&result, dirty.get());
  EXPECT_EQ(std::memcmp(clean.get(), dirty.get(), sizeof(Project)), 0);
}

}  // namespace model_demo_project_test
