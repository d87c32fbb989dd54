// The project sanitiser: clean records pass untouched, any byte pattern comes
// out inside the model's ranges, and a second pass changes nothing.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "document/clip/clip.h"
#include "document/legacy/legacy_reader.h"
#include "document/project/sanitize_project.h"
#include "engine/clock/tempo.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"

namespace project_sanitize_test {

bool terminated(const char* field, std::size_t n) { return std::memchr(field, 0, n) != nullptr; }

void expectInRange(const ob::Project& p) {
  const ob::Pattern& pat = p.patterns[0];
  EXPECT_EQ(1, p.patternCount);
  EXPECT_LE(pat.numTracks, 8);
  EXPECT_TRUE(pat.length >= 1 && pat.length <= 16);
  EXPECT_GE(pat.accentEvery, 1);
  EXPECT_LE(pat.accentEvery, 16);
  EXPECT_TRUE(std::isfinite(pat.bpm) && pat.bpm <= 999.0f);
  EXPECT_TRUE(pat.swing >= 50.0f && pat.swing <= 80.0f);
  for (const ob::Track& t : pat.tracks) {
    EXPECT_TRUE(terminated(t.id, sizeof t.id));
    EXPECT_TRUE(t.length >= 1 && t.length <= 16);
    EXPECT_LE(t.rate, 5);
    EXPECT_TRUE(t.soundIndex >= -1 && t.soundIndex <= 7);
    EXPECT_TRUE(t.chokeGroup <= 7 || t.chokeGroup == 255);
    EXPECT_TRUE(t.swing == -1.0f || (t.swing >= 50.0f && t.swing <= 80.0f));
    EXPECT_TRUE(std::isfinite(t.gain));
    EXPECT_LE(t.trackRandCount, 8);
    for (int i = 0; i < t.trackRandCount; ++i) EXPECT_LT(t.trackRands[i].param, 64);
    for (const ob::Lfo& l : t.lfos) {
      EXPECT_LT(l.dest, 64);
      EXPECT_LE(l.shape, 5);
      EXPECT_LE(l.trig, 4);
      EXPECT_LE(l.rateDiv, 9);
      EXPECT_TRUE(l.rate >= 0.01f && l.rate <= 50.0f);
    }
    for (const ob::ModEnv& e : t.modEnvs) {
      EXPECT_LT(e.dest, 64);
      EXPECT_LE(e.atkDiv, 9);
      EXPECT_LE(e.decDiv, 9);
      EXPECT_TRUE(e.decay >= 0.0f && e.decay <= 16.0f);
    }
    for (const ob::Step& s : t.steps) {
      EXPECT_LE(s.note, 127);
      EXPECT_LE(s.velocity, 127);
      EXPECT_TRUE(s.micro >= -64 && s.micro <= 63);
      EXPECT_TRUE(s.lengthTicks >= 1 && s.lengthTicks <= 1536);
      EXPECT_LE(s.count, 32);
      EXPECT_LE(s.rateTicks, 192);
      EXPECT_LE(s.lockCount, 8);
      EXPECT_LE(s.randCount, 8);
      for (int i = 0; i < s.lockCount; ++i) EXPECT_LT(s.locks[i].param, 64);
      for (int i = 0; i < s.randCount; ++i) EXPECT_LT(s.rands[i].param, 64);
      EXPECT_TRUE(s.randVel >= 0.0f && s.randVel <= 1.0f);
      EXPECT_TRUE(s.panValue >= -1.0f && s.panValue <= 1.0f);
    }
  }
  for (const ob::Sound& s : pat.kit.sounds) {
    EXPECT_LE(s.machine, 3);
    EXPECT_LE(s.zoneCount, 8);
    EXPECT_LE(s.mode, 2);
    for (int z = 0; z < 8; ++z) {
      EXPECT_LT(s.slot[z], 64);
      EXPECT_LE(s.velMax[z], 127);
    }
    for (float v : s.params) EXPECT_TRUE(std::isfinite(v));
    EXPECT_TRUE(terminated(s.name, sizeof s.name));
  }
  for (const ob::Macro& m : pat.kit.macros) {
    EXPECT_TRUE(m.value >= 0.0f && m.value <= 1.0f);
    EXPECT_LE(m.destCount, 8);
    for (int i = 0; i < m.destCount; ++i) {
      EXPECT_LT(m.dests[i].track, 8);
      EXPECT_LT(m.dests[i].param, 64);
    }
  }
  EXPECT_LE(pat.kit.tagCount, 8);
  EXPECT_LE(p.samples.count, 64);
  for (const ob::SampleSlot& s : p.samples.slots) {
    EXPECT_LE(s.sliceCount, 64);
    EXPECT_LE(s.tagCount, 8);
    EXPECT_LE(s.src, 4);
    EXPECT_TRUE(terminated(s.name, sizeof s.name));
    EXPECT_TRUE(terminated(s.factory, sizeof s.factory));
  }
  EXPECT_TRUE(terminated(p.name, sizeof p.name));
}

// A pattern given no tempo, or one that is no number, is at the tempo the
// engine plays when none is given; a legacy pattern naming none reads so.
TEST(ProjectSanitize, ATempoNotGivenIsTheEnginesDefault) {
  const double none = ob::effectiveTempo(0.0);
  EXPECT_EQ(ob::makeProject()->patterns[0].bpm, none);
  for (float bpm : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()}) {
    SCOPED_TRACE(bpm);
    auto p = ob::makeProject();
    p->patterns[0].bpm = bpm;
    ob::sanitizeProject(*p);
    EXPECT_EQ(p->patterns[0].bpm, none);
  }
  auto legacy = ob::makeProject();
  std::string error;
  ASSERT_TRUE(ob::readLegacyProject(R"({"patterns":[{"name":"A","bpm":98}]})", *legacy, &error, nullptr));
  ASSERT_TRUE(ob::readLegacyProject(R"({"patterns":[{"name":"A"}]})", *legacy, &error, nullptr)) << error;
  EXPECT_EQ(legacy->patterns[0].bpm, none);
  EXPECT_EQ(ob::clip::TempoPoint{}.bpm, none);
}

TEST(ProjectSanitize, CleanRecordsAreLeftAlone) {
  auto fresh = ob::makeProject();
  auto copy = ob::makeProject();
  EXPECT_EQ(0, ob::sanitizeProject(*copy));
  EXPECT_EQ(0, std::memcmp(fresh.get(), copy.get(), sizeof(ob::Project)));

  auto demo = std::make_unique<ob::Project>();
  ob::buildDemoProject(*demo);
  auto demoCopy = std::make_unique<ob::Project>(*demo);
  EXPECT_EQ(0, ob::sanitizeProject(*demoCopy));
  EXPECT_EQ(0, std::memcmp(demo.get(), demoCopy.get(), sizeof(ob::Project)));
}

TEST(ProjectSanitize, ListsDropEntriesThatIndexPastTheParameters) {
  auto p = ob::makeProject();
  ob::Step& s = p->patterns[0].tracks[0].steps[0];
  s.lockCount = 3;
  s.locks[0] = {4, 0.5f};
  s.locks[1] = {200, 1.0f};
  s.locks[2] = {6, std::numeric_limits<float>::quiet_NaN()};
  ob::Macro& m = p->patterns[0].kit.macros[0];
  m.destCount = 2;
  m.dests[0] = {9, 1, 0.5f};
  m.dests[1] = {2, 3, 0.25f};
  EXPECT_GT(ob::sanitizeProject(*p), 0);
  ASSERT_EQ(2, s.lockCount);
  EXPECT_EQ(4, s.locks[0].param);
  EXPECT_EQ(6, s.locks[1].param);
  EXPECT_EQ(0.0f, s.locks[1].value);
  EXPECT_EQ(255, s.locks[2].param);
  ASSERT_EQ(1, m.destCount);
  EXPECT_EQ(2, m.dests[0].track);
}

TEST(ProjectSanitize, ParametersOfPlayedSoundsArePinned) {
  auto p = ob::makeProject();
  ob::Pattern& pat = p->patterns[0];
  pat.numTracks = 1;
  pat.tracks[0].soundIndex = 0;
  ob::initSoundParams(pat.kit.sounds[0], ob::kMachineDrum);
  ob::initSoundParams(pat.kit.sounds[1], ob::kMachineDrum);
  const int cutoff = ob::findParamIndex(ob::kMachineDrum, "flt_cutoff");
  const int type = ob::findParamIndex(ob::kMachineDrum, "exc1_type");
  pat.kit.sounds[0].params[cutoff] = 1e9f;
  pat.kit.sounds[1].params[cutoff] = 1e9f;
  pat.kit.sounds[1].params[type] = 1e6f;
  pat.kit.sounds[0].params[type] = std::numeric_limits<float>::infinity();
  ob::sanitizeProject(*p);
  EXPECT_EQ(ob::paramInfo(ob::kMachineDrum, cutoff).max, pat.kit.sounds[0].params[cutoff]);
  EXPECT_EQ(ob::paramInfo(ob::kMachineDrum, type).defaultValue, pat.kit.sounds[0].params[type]);
  EXPECT_EQ(1e9f, pat.kit.sounds[1].params[cutoff]);  // not played: kept
  EXPECT_EQ(ob::paramInfo(ob::kMachineDrum, type).max, pat.kit.sounds[1].params[type]);
}

// Any bytes at all: the result is in range and a second pass is a no-op.
TEST(ProjectSanitize, RandomBytesComeOutInRange) {
  std::mt19937 rng(1234);
  auto p = std::make_unique<ob::Project>();
  for (int round = 0; round < 40; ++round) {
    auto* bytes = reinterpret_cast<unsigned char*>(p.get());
    for (std::size_t i = 0; i < sizeof(ob::Project); ++i) bytes[i] = static_cast<unsigned char>(rng());
    ob::sanitizeProject(*p);
    expectInRange(*p);
    EXPECT_EQ(0, ob::sanitizeProject(*p));
  }
}

}  // namespace project_sanitize_test
