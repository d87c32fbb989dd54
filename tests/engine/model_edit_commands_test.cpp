// Edit commands: every kind against its rules, list handling, track add,
// remove and duplicate, the Euclidean fill, and commands that must change
// nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/model/edit_command.h"
#include "engine/model/host_records.h"
#include "engine/model/project.h"
#include "engine/model/project_ids.h"
#include "engine/params/param_tables.h"

namespace model_edit_commands_test {

using namespace ob;

EditCommand cmd(int kind, std::uint32_t track = 0, std::uint32_t step = 0, std::int32_t param = 0,
                float value = 0.0f, const char* text = nullptr) {
  EditCommand c;
  c.kind = static_cast<std::uint8_t>(kind);
  c.track = track;
  c.step = step;
  c.param = param;
  c.value = value;
  if (text) copyText(c.text, text);
  return c;
}

std::unique_ptr<Project> copyOf(const Project& p) {
  auto c = makeProject();
  std::memcpy(c.get(), &p, sizeof(Project));
  return c;
}

static_assert(sizeof(BlockEvent) == sizeof(EditCommand) + 4);

bool sameProject(const Project& a, const Project& b) { return std::memcmp(&a, &b, sizeof(Project)) == 0; }

// Three tracks in use playing sounds 0..2 (drum, named), ids assigned.
struct EditFixture : ::testing::Test {
  std::unique_ptr<Project> project = makeProject();
  Pattern& pat = project->patterns[0];

  void SetUp() override {
    const char* names[] = {"Kick", "Snare", "Hat"};
    for (int t = 0; t < 3; ++t) {
      pat.tracks[t].soundIndex = static_cast<std::int8_t>(t);
      initSoundParams(pat.kit.sounds[t], kMachineDrum);
      copyText(pat.kit.sounds[t].name, names[t]);
    }
    pat.numTracks = 3;
    assignPatternIds(pat);
  }

  void apply(const EditCommand& c) { applyEditCommand(*project, c); }

  // Applies and expects the project to be byte-identical afterwards.
  void expectNoChange(const EditCommand& c, const char* why) {
    auto before = copyOf(*project);
    apply(c);
    EXPECT_TRUE(sameProject(*project, *before)) << why << " (kind " << int(c.kind) << ")";
  }
};

// --- scalar fields: value in, stored value out ------------------------------

struct FieldCase {
  const char* what;
  int kind;
  std::uint32_t track;
  std::int32_t param;
  float value;
  float expected;
  std::function<float(const Pattern&)> read;
};

TEST_F(EditFixture, ScalarFieldsClampAndTruncateAsTabled) {
  auto lfo = [](int t, int i, auto member) {
    return [=](const Pattern& p) { return static_cast<float>(p.tracks[t].lfos[i].*member); };
  };
  auto env = [](int t, int i, auto member) {
    return [=](const Pattern& p) { return static_cast<float>(p.tracks[t].modEnvs[i].*member); };
  };
  auto trk = [](int t, auto member) {
    return [=](const Pattern& p) { return static_cast<float>(p.tracks[t].*member); };
  };
  auto pf = [](auto member) { return [=](const Pattern& p) { return static_cast<float>(p.*member); }; };

  const std::vector<FieldCase> cases = {
      {"gain unclamped", 4, 1, 0, 3.5f, 3.5f, trk(1, &Track::gain)},
      {"gain negative", 4, 1, 0, -2.0f, -2.0f, trk(1, &Track::gain)},
      {"pan unclamped", 5, 2, 0, 1.5f, 1.5f, trk(2, &Track::pan)},
      {"bpm", 6, 0, 0, 133.5f, 133.5f, pf(&Pattern::bpm)},
      {"bpm low", 6, 0, 0, 0.25f, kMinBpm, pf(&Pattern::bpm)},
      {"bpm zero", 6, 0, 0, 0.0f, kMinBpm, pf(&Pattern::bpm)},
      {"bpm negative", 6, 0, 0, -120.0f, kMinBpm, pf(&Pattern::bpm)},
      {"bpm high", 6, 0, 0, 1e9f, kMaxBpm, pf(&Pattern::bpm)},
      {"pattern swing", 7, 0, 0, 62.0f, 62.0f, pf(&Pattern::swing)},
      {"pattern swing low", 7, 0, 0, 10.0f, 50.0f, pf(&Pattern::swing)},
      {"pattern swing high", 7, 0, 0, 95.0f, 80.0f, pf(&Pattern::swing)},
      {"mute mask", 15, 9, 0, 37.9f, 37.0f, pf(&Pattern::muteMask)},
      {"mute mask high", 15, 0, 0, 1000.0f, 255.0f, pf(&Pattern::muteMask)},
      {"mute mask negative", 15, 0, 0, -3.0f, 0.0f, pf(&Pattern::muteMask)},
      {"accent amount", 39, 99, 0, 1.7f, 1.0f, pf(&Pattern::accentAmount)},
      {"accent every", 39, 99, 1, 0.0f, 1.0f, pf(&Pattern::accentEvery)},
      {"accent every high", 39, 0, 1, 22.0f, 16.0f, pf(&Pattern::accentEvery)},
      {"accent every trunc", 39, 0, 1, 5.9f, 5.0f, pf(&Pattern::accentEvery)},
      {"accent curve", 39, 0, 2, -1.0f, 0.0f, pf(&Pattern::accentCurve)},
      {"lfo enabled", 19, 1, 1, 0.6f, 1.0f, lfo(1, 1, &Lfo::enabled)},
      {"lfo shape", 20, 1, 0, 9.0f, 5.0f, lfo(1, 0, &Lfo::shape)},
      {"lfo dest past the sound's parameters", 21, 1, 0, 70.0f, 0.0f, lfo(1, 0, &Lfo::dest)},
      {"lfo dest trunc", 21, 1, 0, 12.7f, 12.0f, lfo(1, 0, &Lfo::dest)},
      {"lfo rate low", 22, 1, 0, 0.0f, 0.01f, lfo(1, 0, &Lfo::rate)},
      {"lfo rate high", 22, 1, 1, 80.0f, 50.0f, lfo(1, 1, &Lfo::rate)},
      {"lfo depth", 23, 1, 0, -4.0f, -1.0f, lfo(1, 0, &Lfo::depth)},
      {"lfo mode", 24, 1, 0, 7.0f, 4.0f, lfo(1, 0, &Lfo::trig)},
      {"lfo sync", 25, 1, 0, 0.5f, 0.0f, lfo(1, 0, &Lfo::sync)},
      {"lfo rate div", 26, 1, 0, 12.0f, 9.0f, lfo(1, 0, &Lfo::rateDiv)},
      {"env enabled", 27, 2, 0, 1.0f, 1.0f, env(2, 0, &ModEnv::enabled)},
      {"env dest", 28, 2, 1, -3.0f, 0.0f, env(2, 1, &ModEnv::dest)},
      {"env attack", 29, 2, 0, 9.0f, 8.0f, env(2, 0, &ModEnv::attack)},
      {"env hold", 30, 2, 0, -1.0f, 0.0f, env(2, 0, &ModEnv::hold)},
      {"env decay", 31, 2, 0, 20.0f, 16.0f, env(2, 0, &ModEnv::decay)},
      {"env depth", 32, 2, 0, 0.25f, 0.25f, env(2, 0, &ModEnv::depth)},
      {"env sync", 33, 2, 0, 0.51f, 1.0f, env(2, 0, &ModEnv::sync)},
      {"env atk div", 34, 2, 0, 10.0f, 9.0f, env(2, 0, &ModEnv::atkDiv)},
      {"env dec div", 35, 2, 1, 3.3f, 3.0f, env(2, 1, &ModEnv::decDiv)},
      {"track rate", 40, 0, 0, 6.0f, 5.0f, trk(0, &Track::rate)},
      {"track length low", 41, 0, 0, 0.0f, 1.0f, trk(0, &Track::length)},
      {"track length high", 41, 0, 0, 40.0f, 16.0f, trk(0, &Track::length)},
      {"track chromatic", 42, 0, 0, 1.0f, 1.0f, trk(0, &Track::chromatic)},
      {"track swing follow", 43, 0, 0, -5.0f, -1.0f, trk(0, &Track::swing)},
      {"track swing low", 43, 0, 0, 45.0f, 50.0f, trk(0, &Track::swing)},
      {"track swing high", 43, 0, 0, 95.0f, 80.0f, trk(0, &Track::swing)},
      {"track swing zero", 43, 0, 0, 0.0f, 50.0f, trk(0, &Track::swing)},
      {"choke 2.5", 45, 0, 0, 2.5f, 3.0f, trk(0, &Track::chokeGroup)},
      {"choke 7.4", 45, 0, 0, 7.4f, 7.0f, trk(0, &Track::chokeGroup)},
      {"choke 7.6", 45, 0, 0, 7.6f, 255.0f, trk(0, &Track::chokeGroup)},
      {"choke -0.1", 45, 0, 0, -0.1f, 255.0f, trk(0, &Track::chokeGroup)},
      {"choke 0", 45, 0, 0, 0.0f, 0.0f, trk(0, &Track::chokeGroup)},
      {"choke 7.5", 45, 0, 0, 7.5f, 255.0f, trk(0, &Track::chokeGroup)},
      {"track not in use", 4, 6, 0, 0.3f, 0.3f, trk(6, &Track::gain)},
  };
  for (const FieldCase& c : cases) {
    apply(cmd(c.kind, c.track, 0, c.param, c.value));
    EXPECT_EQ(c.read(pat), c.expected) << c.what;
  }
}

TEST_F(EditFixture, MacroValueIsStoredUnclamped) {
  apply(cmd(8, 99, 0, 3, 1.5f));
  EXPECT_EQ(pat.kit.macros[3].value, 1.5f);
  expectNoChange(cmd(8, 0, 0, 4, 0.5f), "macro index 4");
  expectNoChange(cmd(8, 0, 0, -1, 0.5f), "macro index -1");
}

TEST_F(EditFixture, StepSubFieldsClampAsTabled) {
  struct StepCase {
    int code;
    float value;
    float expected;
    std::function<float(const Step&)> read;
  };
  auto f = [](auto member) { return [=](const Step& s) { return static_cast<float>(s.*member); }; };
  const std::vector<StepCase> cases = {
      {0, 130.0f, 127.0f, f(&Step::velocity)},  {0, 64.9f, 64.0f, f(&Step::velocity)},
      {1, -2.0f, 0.0f, f(&Step::note)},         {1, 72.0f, 72.0f, f(&Step::note)},
      {2, 0.0f, 1.0f, f(&Step::lengthTicks)},   {2, 5000.0f, 1536.0f, f(&Step::lengthTicks)},
      {3, -100.0f, -64.0f, f(&Step::micro)},    {3, 100.0f, 63.0f, f(&Step::micro)},
      {3, -3.7f, -3.0f, f(&Step::micro)},       {4, 0.9f, 1.0f, f(&Step::slide)},
      {5, 40.0f, 32.0f, f(&Step::count)},       {6, 0.0f, 1.0f, f(&Step::rateTicks)},
      {6, 300.0f, 192.0f, f(&Step::rateTicks)}, {7, -200.0f, -128.0f, f(&Step::velCurve)},
      {7, 127.5f, 127.0f, f(&Step::velCurve)},  {8, 1.0f, 1.0f, f(&Step::muted)},
      {9, 2.0f, 1.0f, f(&Step::randVel)},       {10, -1.0f, 0.0f, f(&Step::randTime)},
      {11, 0.5f, 0.5f, f(&Step::randPan)},      {12, 0.7f, 1.0f, f(&Step::panLocked)},
      {13, -3.0f, -1.0f, f(&Step::panValue)},
  };
  for (const StepCase& c : cases) {
    apply(cmd(9, 1, 5, c.code, c.value));
    EXPECT_EQ(c.read(pat.tracks[1].steps[5]), c.expected) << "code " << c.code;
  }
  // Only the low byte of the code counts.
  apply(cmd(9, 1, 6, 256 + 1, 40.0f));
  EXPECT_EQ(pat.tracks[1].steps[6].note, 40);
  expectNoChange(cmd(9, 1, 6, 14, 1.0f), "unknown sub-field");  // groove already marked above
}

// --- steps ---------------------------------------------------------------------

TEST_F(EditFixture, ToggleGivesASilentStepAPlayableNote) {
  Step& s = pat.tracks[0].steps[3];
  s.velocity = 0;
  s.note = 40;
  s.lengthTicks = 2;
  apply(cmd(0, 0, 3));
  EXPECT_EQ(s.active, 1);
  EXPECT_EQ(s.note, 60);
  EXPECT_EQ(s.velocity, 100);
  EXPECT_EQ(s.lengthTicks, 6);
  setStepLock(s, 2, 0.5f);
  apply(cmd(0, 0, 3));
  EXPECT_TRUE(s == Step{}) << "a hit removed goes whole";

  Step& t = pat.tracks[0].steps[4];
  t.velocity = 37;
  apply(cmd(0, 0, 4));
  EXPECT_EQ(t.active, 1);
  EXPECT_EQ(t.velocity, 37);
  EXPECT_EQ(t.lengthTicks, 1);
  EXPECT_EQ(pat.grooveEdited, 1);
}

TEST_F(EditFixture, GrooveEditsMarkTheGrooveEvenWhenIgnored) {
  for (int kind : {0, 2, 3, 9, 11, 12, 41, 44}) {
    pat.grooveEdited = 0;
    apply(cmd(kind, 42, 99, 0, 1.0f));  // bad track and step: otherwise ignored
    EXPECT_EQ(pat.grooveEdited, 1) << kind;
  }
  for (int kind : {1, 4, 6, 10, 13, 40, 42, 43}) {
    pat.grooveEdited = 0;
    apply(cmd(kind, 0, 0, 0, 1.0f));
    EXPECT_EQ(pat.grooveEdited, 0) << kind;
  }
}

TEST_F(EditFixture, StepLocksReplaceAppendAndStopAtEight) {
  Step& s = pat.tracks[0].steps[2];
  for (int p = 0; p < 8; ++p) apply(cmd(2, 0, 2, p * 3, static_cast<float>(p)));
  ASSERT_EQ(s.lockCount, 8);
  apply(cmd(2, 0, 2, 50, 9.0f));  // a ninth is dropped
  EXPECT_EQ(s.lockCount, 8);
  for (int i = 0; i < 8; ++i) EXPECT_NE(s.locks[i].param, 50);
  apply(cmd(2, 0, 2, 6, -7.5f));  // replaced in place
  EXPECT_EQ(s.locks[2].param, 6);
  EXPECT_EQ(s.locks[2].value, -7.5f);

  apply(cmd(3, 0, 2, 6));  // removal moves later entries down
  EXPECT_EQ(s.lockCount, 7);
  EXPECT_EQ(s.locks[2].param, 9);
  EXPECT_EQ(s.locks[6].param, 21);
  EXPECT_EQ(s.locks[7].param, 21);  // the vacated entry is not cleared
  expectNoChange(cmd(3, 0, 2, 6), "removing an absent lock");
}

TEST_F(EditFixture, RandomDepthListsSetAndRemove) {
  Step& s = pat.tracks[1].steps[0];
  apply(cmd(11, 1, 0, 4, 0.3f));
  apply(cmd(11, 1, 0, 5, 0.4f));
  apply(cmd(11, 1, 0, 4, 0.6f));
  ASSERT_EQ(s.randCount, 2);
  EXPECT_EQ(s.rands[0].value, 0.6f);
  apply(cmd(11, 1, 0, 4, 0.0f));  // zero removes
  ASSERT_EQ(s.randCount, 1);
  EXPECT_EQ(s.rands[0].param, 5);
  apply(cmd(12, 1, 0, 5));
  EXPECT_EQ(s.randCount, 0);

  Track& t = pat.tracks[1];
  apply(cmd(13, 1, 0, 7, 0.2f));
  apply(cmd(13, 1, 0, 8, 0.2f));
  ASSERT_EQ(t.trackRandCount, 2);
  apply(cmd(13, 1, 0, 7, -1.0f));  // negative removes
  ASSERT_EQ(t.trackRandCount, 1);
  EXPECT_EQ(t.trackRands[0].param, 8);
  expectNoChange(cmd(13, 1, 0, 64, 0.5f), "track random index 64");
  expectNoChange(cmd(13, 1, 0, -1, 0.5f), "track random index -1");
}

TEST_F(EditFixture, StepIndexAbove15IsIgnored) {
  for (int kind : {0, 2, 3, 9, 11, 12}) {
    pat.grooveEdited = 1;
    expectNoChange(cmd(kind, 0, 16, 1, 1.0f), "step 16");
  }
}

// --- sound-addressed kinds -----------------------------------------------------

TEST_F(EditFixture, SoundParameterAndMachineChange) {
  const int last = paramCount(kMachineDrum) - 1;
  const ParamInfo row = paramInfo(kMachineDrum, last);
  apply(cmd(1, 1, 0, last, row.min));
  EXPECT_EQ(pat.kit.sounds[1].params[last], row.min);
  // Past its range, a value is held at its end, as a load holds it.
  apply(cmd(1, 1, 0, last, row.max + 12.5f));
  EXPECT_EQ(pat.kit.sounds[1].params[last], row.max);
  expectNoChange(cmd(1, 1, 0, 64, 1.0f), "parameter 64");
  // Nor one the sound lacks, which nothing plays and no save names: a
  // value, a lock, a random amount, a route, a modulator or a macro aimed at it.
  pat.grooveEdited = 1;
  for (int kind : {kEditSoundParam, kEditSetStepLock, kEditStepRandom, kEditTrackRandom, kEditVelocityDest})
    expectNoChange(cmd(kind, 1, 0, last + 1, 0.5f), "past the sound's parameters");
  expectNoChange(cmd(kEditLfoDest, 1, 0, 0, static_cast<float>(last + 1)), "lfo past the sound's parameters");
  expectNoChange(cmd(kEditMacroDest, 1, last + 1, 0, 0.5f), "macro past the sound's parameters");

  Sound& s = pat.kit.sounds[2];
  s.zoneCount = 2;
  s.slot[1] = 9;
  // A route on a parameter both machines have follows its key; one on a
  // parameter the sampler lacks goes.
  const int drumLevel = findParamIndex(kMachineDrum, "level");
  s.velDestCount = 2;
  s.velDests[0] = ParamLock{static_cast<std::uint8_t>(findParamIndex(kMachineDrum, "exc1_aux1")), 0.5f};
  s.velDests[1] = ParamLock{static_cast<std::uint8_t>(drumLevel), -0.25f};
  const std::string id = s.id;
  apply(cmd(10, 2, 0, kMachineSample));
  EXPECT_EQ(s.machine, kMachineSample);
  for (int i = 0; i < paramCount(kMachineSample); ++i)
    EXPECT_EQ(s.params[i], paramInfo(kMachineSample, i).defaultValue) << i;
  for (int i = paramCount(kMachineSample); i < 64; ++i) EXPECT_EQ(s.params[i], 0.0f);
  EXPECT_STREQ(s.name, "Hat");
  EXPECT_EQ(id, s.id);
  EXPECT_EQ(s.zoneCount, 2);
  EXPECT_EQ(s.slot[1], 9);
  ASSERT_EQ(s.velDestCount, 1);
  EXPECT_EQ(s.velDests[0].param, findParamIndex(kMachineSample, "level"));
  EXPECT_EQ(s.velDests[0].value, -0.25f);
  expectNoChange(cmd(10, 2, 0, 4), "machine 4");
  expectNoChange(cmd(10, 2, 0, -1), "machine -1");
}

TEST_F(EditFixture, TrackWithoutSoundIgnoresSoundKinds) {
  pat.tracks[4].soundIndex = -1;
  pat.tracks[5].soundIndex = 12;  // out of the kit: no sound either
  for (std::uint32_t t : {4u, 5u}) {
    expectNoChange(cmd(1, t, 0, 0, 0.5f), "param");
    expectNoChange(cmd(10, t, 0, 1), "machine");
    expectNoChange(cmd(46, t, 0, 1, 3.0f), "zone layout");
    expectNoChange(cmd(47, t, 0, 0, 3.0f), "zone slot");
    expectNoChange(cmd(48, t, 0, 0, 3.0f), "zone velMax");
    expectNoChange(cmd(49, t, 0, 2, 0.5f), "velocity dest");
  }
}

TEST_F(EditFixture, ZonesAndVelocityDestinations) {
  Sound& s = pat.kit.sounds[0];
  initSoundParams(s, kMachineSample);
  s.params[findParamIndex(kMachineSample, "slot")] = 5.0f;
  apply(cmd(46, 0, 0, 5, 12.0f));
  EXPECT_EQ(s.zoneCount, 8);
  EXPECT_EQ(s.mode, 2);
  EXPECT_EQ(s.slot[7], 5) << "a zone comes into use on the sound's own sample";
  apply(cmd(46, 0, 0, -3, 2.7f));
  EXPECT_EQ(s.zoneCount, 2);
  EXPECT_EQ(s.mode, 0);
  EXPECT_EQ(s.slot[7], Sound{}.slot[7]) << "a zone out of use goes whole";
  expectNoChange(cmd(47, 0, 0, 7, 99.0f), "a zone past the count");
  apply(cmd(47, 0, 0, 1, 99.0f));
  EXPECT_EQ(s.slot[1], 63);
  apply(cmd(48, 0, 0, 1, 200.0f));
  EXPECT_EQ(s.velMax[1], 127);
  apply(cmd(48, 0, 0, 1, 40.6f));
  EXPECT_EQ(s.velMax[1], 40);
  expectNoChange(cmd(47, 0, 0, 8, 1.0f), "zone 8");
  expectNoChange(cmd(48, 0, 0, -1, 1.0f), "zone -1");

  apply(cmd(49, 0, 0, 10, 3.0f));
  ASSERT_EQ(s.velDestCount, 1);
  EXPECT_EQ(s.velDests[0].value, 1.0f);
  apply(cmd(49, 0, 0, 10, -0.25f));
  EXPECT_EQ(s.velDests[0].value, -0.25f);
  apply(cmd(49, 0, 0, 11, -9.0f));
  ASSERT_EQ(s.velDestCount, 2);
  EXPECT_EQ(s.velDests[1].value, -1.0f);
  apply(cmd(49, 0, 0, 10, 0.0f));
  ASSERT_EQ(s.velDestCount, 1);
  EXPECT_EQ(s.velDests[0].param, 11);
  expectNoChange(cmd(49, 0, 0, 64, 0.5f), "velocity dest 64");
}

// --- mute and macros ---------------------------------------------------------

TEST_F(EditFixture, MuteBits) {
  apply(cmd(14, 5, 0, 0, 1.0f));
  apply(cmd(14, 0, 0, 0, 0.7f));
  EXPECT_EQ(pat.muteMask, 0x21);
  apply(cmd(14, 5, 0, 0, 0.5f));
  EXPECT_EQ(pat.muteMask, 0x01);
  expectNoChange(cmd(14, 8, 0, 0, 1.0f), "track 8");
}

TEST_F(EditFixture, MacroNameAndDestinations) {
  apply(cmd(36, 0, 0, 2, 0.0f, "Brighter"));
  EXPECT_STREQ(pat.kit.macros[2].name, "Brighter");
  EditCommand full = cmd(36, 0, 0, 1);
  std::memset(full.text, 'q', sizeof full.text);  // no terminator in the command
  apply(full);
  EXPECT_EQ(std::strlen(pat.kit.macros[1].name), 23u);
  expectNoChange(cmd(36, 0, 0, 4, 0.0f, "x"), "macro 4");

  Macro& m = pat.kit.macros[0];
  apply(cmd(37, 1, 5, 0, 0.3f));
  apply(cmd(37, 2, 5, 0, 0.4f));
  apply(cmd(37, 1, 5, 0, 0.9f));  // same track and parameter: new target
  ASSERT_EQ(m.destCount, 2);
  EXPECT_EQ(m.dests[0].target, 0.9f);
  EXPECT_EQ(m.dests[1].track, 2);
  for (int i = 0; i < 6; ++i) apply(cmd(37, 0, static_cast<std::uint32_t>(i), 0, 1.0f));
  EXPECT_EQ(m.destCount, 8);
  expectNoChange(cmd(37, 0, 40, 0, 1.0f), "ninth destination");

  apply(cmd(38, 1, 5, 0));
  ASSERT_EQ(m.destCount, 7);
  EXPECT_EQ(m.dests[0].track, 2);
  expectNoChange(cmd(38, 1, 5, 0), "absent destination");
  expectNoChange(cmd(38, 2 + 256, 5, 0), "track beyond a byte does not match");
  expectNoChange(cmd(37, 0, 0, 4, 1.0f), "macro 4");
}

// --- add, remove, duplicate ------------------------------------------------------

TEST_F(EditFixture, AddTrackMakesANamedSoundOfTheMachine) {
  apply(cmd(16, 99, 0, 1));
  ASSERT_EQ(pat.numTracks, 4);
  EXPECT_EQ(pat.tracks[3].soundIndex, 3);
  EXPECT_EQ(pat.kit.sounds[3].machine, kMachineVa);
  EXPECT_STREQ(pat.kit.sounds[3].name, "va");
  EXPECT_STREQ(pat.tracks[3].id, "v-va");
  EXPECT_STREQ(pat.kit.sounds[3].id, "s-va");
  for (int i = 0; i < paramCount(kMachineVa); ++i)
    EXPECT_EQ(pat.kit.sounds[3].params[i], paramInfo(kMachineVa, i).defaultValue);

  apply(cmd(16, 0, 0, 9, 0.0f, "Big Kick"));
  EXPECT_EQ(pat.kit.sounds[4].machine, kMachineDrum);
  EXPECT_STREQ(pat.kit.sounds[4].name, "Big Kick");
  EXPECT_STREQ(pat.tracks[4].id, "v-big-kick");

  apply(cmd(16, 0, 0, -1));  // negative as unsigned is above 3: the drum
  EXPECT_EQ(pat.kit.sounds[5].machine, kMachineDrum);
  apply(cmd(16, 0, 0, 0));
  apply(cmd(16, 0, 0, 2));
  ASSERT_EQ(pat.numTracks, 8);
  EXPECT_STREQ(pat.kit.sounds[7].name, "granular");
  expectNoChange(cmd(16, 0, 0, 1), "ninth track");
}

TEST_F(EditFixture, RemovalRenumbersSoundsMuteBitsAndMacros) {
  pat.muteMask = 0b10000101;  // tracks 0, 2 and 7
  Macro& m = pat.kit.macros[1];
  m.destCount = 4;
  m.dests[0] = MacroDest{2, 7, 0.5f};
  m.dests[1] = MacroDest{1, 3, 0.1f};
  m.dests[2] = MacroDest{0, 4, 0.2f};
  m.dests[3] = MacroDest{1, 9, 0.3f};
  pat.kit.macros[3].destCount = 1;
  pat.kit.macros[3].dests[0] = MacroDest{255, 1, 0.0f};
  const std::string hatTrackId = pat.tracks[2].id;
  const std::string hatSoundId = pat.kit.sounds[2].id;

  apply(cmd(17, 1));

  ASSERT_EQ(pat.numTracks, 2);
  EXPECT_EQ(pat.tracks[1].soundIndex, 1);
  EXPECT_EQ(hatTrackId, pat.tracks[1].id);  // ids are not reassigned
  EXPECT_STREQ(pat.kit.sounds[1].name, "Hat");
  EXPECT_EQ(hatSoundId, pat.kit.sounds[1].id);
  EXPECT_STREQ(pat.kit.sounds[2].name, "");
  EXPECT_EQ(pat.kit.sounds[7].machine, 3);
  EXPECT_EQ(pat.tracks[2].soundIndex, -1);  // the freed slot is a default track
  EXPECT_EQ(pat.muteMask, 0b01000011);

  ASSERT_EQ(m.destCount, 2);
  EXPECT_EQ(m.dests[0].track, 1);
  EXPECT_EQ(m.dests[0].param, 7);
  EXPECT_EQ(m.dests[1].track, 0);
  EXPECT_EQ(m.dests[1].param, 4);
  for (int i = 2; i < 8; ++i) {
    EXPECT_EQ(m.dests[i].track, 255);
    EXPECT_EQ(m.dests[i].param, 0);
    EXPECT_EQ(m.dests[i].target, 0.0f);
  }
  ASSERT_EQ(pat.kit.macros[3].destCount, 1);  // an empty track stays empty
  EXPECT_EQ(pat.kit.macros[3].dests[0].track, 255);
}

TEST_F(EditFixture, RemovalStatusAndRefusals) {
  EXPECT_EQ(trackRemovalStatus(pat, 1).status, 0);
  EXPECT_EQ(trackRemovalStatus(pat, 1).other, -1);
  EXPECT_EQ(trackRemovalStatus(pat, -1).status, 1);
  EXPECT_EQ(trackRemovalStatus(pat, 3).status, 1);

  pat.tracks[2].soundIndex = 0;  // tracks 0 and 2 share the kick
  const TrackRemovalStatus shared = trackRemovalStatus(pat, 2);
  EXPECT_EQ(shared.status, 3);
  EXPECT_EQ(shared.other, 0);
  expectNoChange(cmd(17, 2), "shared sound");
  expectNoChange(cmd(17, 3), "track not in use");
  expectNoChange(cmd(17, 8), "track 8");

  pat.tracks[2].soundIndex = 2;
  apply(cmd(17, 2));
  apply(cmd(17, 1));
  ASSERT_EQ(pat.numTracks, 1);
  EXPECT_EQ(trackRemovalStatus(pat, 0).status, 2);
  expectNoChange(cmd(17, 0), "only track");
}

TEST_F(EditFixture, RemovingTheLastTrackInUse) {
  apply(cmd(17, 2));
  ASSERT_EQ(pat.numTracks, 2);
  EXPECT_EQ(pat.tracks[2].soundIndex, -1);
  EXPECT_STREQ(pat.kit.sounds[2].name, "");
  EXPECT_EQ(pat.tracks[0].soundIndex, 0);
  EXPECT_EQ(pat.tracks[1].soundIndex, 1);
}

TEST_F(EditFixture, DuplicateCopiesTrackAndSoundAndSharesAChokeGroup) {
  pat.tracks[0].chokeGroup = 0;
  pat.tracks[2].chokeGroup = 1;
  pat.tracks[1].gain = 0.42f;
  pat.tracks[1].steps[3].active = 1;
  pat.kit.sounds[1].params[5] = 0.77f;

  apply(cmd(18, 1));
  ASSERT_EQ(pat.numTracks, 4);
  const Track& copy = pat.tracks[3];
  EXPECT_EQ(copy.soundIndex, 3);
  EXPECT_EQ(copy.gain, 0.42f);
  EXPECT_EQ(copy.steps[3].active, 1);
  EXPECT_EQ(pat.kit.sounds[3].params[5], 0.77f);
  EXPECT_STREQ(pat.kit.sounds[3].name, "Snare");
  EXPECT_EQ(pat.tracks[1].chokeGroup, 2);
  EXPECT_EQ(copy.chokeGroup, 2);
  EXPECT_STREQ(pat.tracks[1].id, "v-snare");
  EXPECT_STREQ(pat.kit.sounds[1].id, "s-snare");
  EXPECT_STREQ(copy.id, "v-snare-2");
  EXPECT_STREQ(pat.kit.sounds[3].id, "s-snare-2");

  apply(cmd(18, 0));  // already grouped: the copy shares group 0
  EXPECT_EQ(pat.tracks[4].chokeGroup, 0);
  EXPECT_EQ(pat.tracks[0].chokeGroup, 0);

  expectNoChange(cmd(18, 5), "track not in use");
  apply(cmd(18, 2));
  apply(cmd(18, 2));
  apply(cmd(18, 2));
  ASSERT_EQ(pat.numTracks, 8);
  expectNoChange(cmd(18, 0), "eight tracks in use");
}

TEST_F(EditFixture, DuplicateTakesTheLowestFreeChokeGroup) {
  pat.numTracks = 7;
  for (int t = 0; t < 7; ++t) {
    pat.tracks[t].soundIndex = static_cast<std::int8_t>(t);
    pat.tracks[t].chokeGroup = static_cast<std::uint8_t>(t);
  }
  pat.tracks[2].chokeGroup = 255;
  pat.tracks[6].chokeGroup = 255;
  // Groups 0, 1, 3, 4 and 5 are used: the ungrouped source and its copy take 2.
  apply(cmd(18, 6));
  EXPECT_EQ(pat.tracks[6].chokeGroup, 2);
  EXPECT_EQ(pat.tracks[7].chokeGroup, 2);
  EXPECT_EQ(pat.tracks[2].chokeGroup, 255);
}

TEST_F(EditFixture, DuplicateOfATrackWithoutSoundGetsADefaultSound) {
  pat.tracks[2].soundIndex = -1;
  pat.kit.sounds[3].params[0] = 5.0f;
  apply(cmd(18, 2));
  ASSERT_EQ(pat.numTracks, 4);
  EXPECT_EQ(pat.tracks[3].soundIndex, 3);
  EXPECT_EQ(pat.kit.sounds[3].params[0], 0.0f);
  EXPECT_EQ(pat.kit.sounds[3].machine, 3);
}

// --- Euclidean fill ----------------------------------------------------------

std::vector<int> activeSteps(const Track& t) {
  std::vector<int> on;
  for (int i = 0; i < kStepsPerTrack; ++i)
    if (t.steps[i].active) on.push_back(i);
  return on;
}

TEST_F(EditFixture, EuclideanExamples) {
  struct Case {
    int length;
    int hits;
    std::int32_t rotation;
    std::vector<int> expected;
  };
  const std::vector<Case> cases = {
      {16, 3, 0, {0, 5, 10}},
      {16, 3, 1, {1, 6, 11}},
      {16, 3, -1, {4, 9, 15}},
      {8, 5, 0, {0, 2, 3, 5, 6}},
      {16, 4, 0, {0, 4, 8, 12}},
      {16, 1, 0, {0}},
      {16, 0, 0, {}},
      {5, 9, 0, {0, 1, 2, 3, 4}},  // hits above the length: every step
      {4, 2, 17, {1, 3}},
      {0, 3, 0, {0, 5, 10}},  // length 0 counts as 16
  };
  for (const Case& c : cases) {
    Track& t = pat.tracks[0];
    initSteps(t.steps, kStepsPerTrack);
    t.length = static_cast<std::uint16_t>(c.length);
    apply(cmd(44, 0, static_cast<std::uint32_t>(c.rotation), c.hits));
    EXPECT_EQ(activeSteps(t), c.expected) << c.hits << " of " << c.length << " rot " << c.rotation;
  }
}

TEST_F(EditFixture, EuclideanFillKeepsStepFieldsAndLeavesLaterStepsAlone) {
  Track& t = pat.tracks[1];
  t.length = 8;
  t.steps[0].velocity = 0;   // silent: primed when switched on
  t.steps[2].velocity = 55;  // keeps its velocity
  t.steps[2].lockCount = 1;
  t.steps[2].locks[0] = ParamLock{3, 0.5f};
  t.steps[1].active = 1;   // a rest switches it off
  t.steps[12].active = 1;  // beyond the length: untouched
  apply(cmd(44, 1, 0, 5));
  EXPECT_EQ(activeSteps(t), (std::vector<int>{0, 2, 3, 5, 6, 12}));
  EXPECT_EQ(t.steps[0].velocity, 100);
  EXPECT_EQ(t.steps[0].lengthTicks, 6);
  EXPECT_EQ(t.steps[2].velocity, 55);
  EXPECT_EQ(t.steps[2].lengthTicks, 1);
  EXPECT_EQ(t.steps[2].lockCount, 1);
  EXPECT_EQ(pat.grooveEdited, 1);
}

TEST(Bjorklund, EveryPatternIsEvenAndStartsOnAHit) {
  for (int n = 1; n <= 16; ++n) {
    for (int k = 0; k <= n; ++k) {
      std::uint8_t out[16] = {};
      ASSERT_EQ(bjorklund(n, k, out), n);
      std::vector<int> hits;
      for (int i = 0; i < n; ++i)
        if (out[i]) hits.push_back(i);
      ASSERT_EQ(static_cast<int>(hits.size()), k) << k << " of " << n;
      if (k == 0) continue;
      EXPECT_EQ(hits.front(), 0);
      int shortest = n, longest = 0;
      for (int i = 0; i < k; ++i) {
        const int gap = (i + 1 < k ? hits[i + 1] : hits[0] + n) - hits[i];
        shortest = std::min(shortest, gap);
        longest = std::max(longest, gap);
      }
      EXPECT_LE(longest - shortest, 1) << k << " of " << n;
    }
  }
  std::uint8_t out[16];
  EXPECT_EQ(bjorklund(0, 3, out), 0);
  EXPECT_EQ(bjorklund(40, 3, out), 16);
}

// --- commands that must change nothing -----------------------------------------

TEST_F(EditFixture, BadKindsAndTracksChangeNothing) {
  for (int kind = 50; kind < 256; kind += 41) expectNoChange(cmd(kind, 0, 0, 0, 1.0f), "kind above 49");
  for (int kind = 0; kind < 50; ++kind) {
    if (kind == 8 || kind == 15 || kind == 16 || (kind >= 36 && kind <= 39)) continue;
    pat.grooveEdited = 1;
    expectNoChange(cmd(kind, 8, 0, 0, 1.0f), "track 8");
    expectNoChange(cmd(kind, 0xffffffffu, 0, 0, 1.0f), "track -1");
  }
  for (int kind = 19; kind <= 35; ++kind) expectNoChange(cmd(kind, 0, 0, 2, 1.0f), "modulator 2");
  expectNoChange(cmd(39, 0, 0, 3, 1.0f), "accent field 3");
}

TEST_F(EditFixture, NonFiniteValuesChangeNothing) {
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()};
  for (float v : bad) {
    for (int kind = 0; kind < 50; ++kind) {
      const std::int32_t param = kind == 9 ? 0 : (kind == 16 ? 1 : 0);
      expectNoChange(cmd(kind, 1, 2, param, v), "non-finite value");
    }
  }
  EXPECT_EQ(pat.grooveEdited, 0);
}

TEST_F(EditFixture, ParameterIndicesFrom64AreRefused) {
  Step& s = pat.tracks[0].steps[1];
  s.lockCount = 1;
  s.locks[0] = ParamLock{static_cast<std::uint8_t>(70 - 64), 1.0f};  // param 6
  s.randCount = 1;
  s.rands[0] = ParamLock{6, 0.5f};
  pat.grooveEdited = 1;
  for (std::int32_t p : {64, 70, 255, 256 + 6, -1}) {
    expectNoChange(cmd(2, 0, 1, p, 0.5f), "lock index");
    expectNoChange(cmd(3, 0, 1, p), "lock removal index");
    expectNoChange(cmd(11, 0, 1, p, 0.5f), "random index");
    expectNoChange(cmd(12, 0, 1, p), "random removal index");
  }
  for (std::uint32_t p : {64u, 255u, 256u + 6u}) expectNoChange(cmd(37, 0, p, 0, 0.5f), "macro dest param");
  expectNoChange(cmd(37, 8, 3, 0, 0.5f), "macro dest track 8");
  expectNoChange(cmd(37, 256, 3, 0, 0.5f), "macro dest track 256");
}

TEST_F(EditFixture, AddTrackNeverOverwritesAPlayedSound) {
  // A document may have track 1 play sound 3; adding track 3 must not
  // replace that sound.
  pat.tracks[1].soundIndex = 3;
  initSoundParams(pat.kit.sounds[3], kMachineDrum);
  copyText(pat.kit.sounds[3].name, "Clap");
  pat.kit.sounds[3].params[2] = 0.123f;
  apply(cmd(16, 0, 0, 0, 0.0f, "New"));
  ASSERT_EQ(pat.numTracks, 4);
  EXPECT_STREQ(pat.kit.sounds[3].name, "Clap");
  EXPECT_EQ(pat.kit.sounds[3].params[2], 0.123f);
  const int s = pat.tracks[3].soundIndex;
  EXPECT_EQ(s, 1);  // the lowest sound no track in use plays
  EXPECT_STREQ(pat.kit.sounds[s].name, "New");
  EXPECT_EQ(pat.kit.sounds[s].machine, kMachineSample);

  // Duplicating under the same conditions keeps the played sound too.
  pat.tracks[0].soundIndex = 4;
  copyText(pat.kit.sounds[4].name, "Tom");
  apply(cmd(18, 2));
  ASSERT_EQ(pat.numTracks, 5);
  EXPECT_STREQ(pat.kit.sounds[4].name, "Tom");
  EXPECT_EQ(pat.tracks[4].soundIndex, 0);  // sound 0 is no longer played
  EXPECT_STREQ(pat.kit.sounds[0].name, "Hat");
}

// --- whole-command invariants --------------------------------------------------

TEST(EditInvariants, RandomCommandStreamsKeepTheRecordConsistent) {
  std::mt19937 rng(1234);
  auto project = makeProject();
  Pattern& pat = project->patterns[0];
  auto twin = makeProject();
  for (int i = 0; i < 20000; ++i) {
    EditCommand c;
    c.kind = static_cast<std::uint8_t>(rng() % 52);
    c.track = rng() % 10;
    c.step = rng() % 20;
    c.param = static_cast<std::int32_t>(rng() % 70) - 2;
    c.value = std::uniform_real_distribution<float>(-300.0f, 300.0f)(rng);
    if (c.kind == 16 && rng() % 3 == 0) copyText(c.text, "Kick");
    applyEditCommand(*project, c);
    applyEditCommand(*twin, c);

    ASSERT_LE(pat.numTracks, 8);
    bool soundUsed[8] = {};
    for (int t = 0; t < pat.numTracks; ++t) {
      const int s = pat.tracks[t].soundIndex;
      ASSERT_TRUE(s >= 0 && s < 8) << "track " << t;
      ASSERT_FALSE(soundUsed[s]) << "two tracks share sound " << s;
      soundUsed[s] = true;
      const Track& tr = pat.tracks[t];
      ASSERT_GE(tr.length, 1);
      ASSERT_LE(tr.length, 16);
      ASSERT_LE(tr.trackRandCount, 8);
      for (const Step& st : tr.steps) {
        ASSERT_LE(st.lockCount, 8);
        ASSERT_LE(st.randCount, 8);
        for (int l = 0; l < st.lockCount; ++l) ASSERT_LT(st.locks[l].param, 64);
      }
      for (int u = 0; u < t; ++u) ASSERT_STRNE(pat.tracks[u].id, tr.id);
    }
    for (const Macro& m : pat.kit.macros) {
      ASSERT_LE(m.destCount, 8);
      for (int d = 0; d < m.destCount; ++d) ASSERT_LT(m.dests[d].track, 8);
    }
    ASSERT_TRUE(pat.bpm >= kMinBpm && pat.bpm <= kMaxBpm);
    ASSERT_TRUE(pat.swing >= 50.0f && pat.swing <= 80.0f);
  }
  // Both copies saw the same commands and hold the same bytes.
  EXPECT_TRUE(sameProject(*project, *twin));
  EXPECT_GT(pat.numTracks, 0);
}

}  // namespace model_edit_commands_test
