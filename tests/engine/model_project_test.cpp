// The project record: layout, defaults, bulk construction, bounded text and
// the kit copy that keeps a user's groove.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "engine/model/pattern_copy.h"
#include "engine/model/project.h"
#include "engine/model/utf8_text.h"

namespace model_project_test {

using namespace ob;

bool sameBytes(const void* a, const void* b, std::size_t n) { return std::memcmp(a, b, n) == 0; }

TEST(ProjectLayout, OffsetsOfFieldsThatDocumentsAndTheEngineShare) {
  EXPECT_EQ(offsetof(Step, lengthTicks), 6u);
  EXPECT_EQ(offsetof(Step, locks), 12u);
  EXPECT_EQ(offsetof(Step, rateTicks), 78u);
  EXPECT_EQ(offsetof(Step, rands), 84u);
  EXPECT_EQ(offsetof(Step, panValue), 164u);
  EXPECT_EQ(offsetof(Lfo, trig), 16u);
  EXPECT_EQ(offsetof(ModEnv, decDiv), 22u);
  EXPECT_EQ(offsetof(Track, steps), 24u);
  EXPECT_EQ(offsetof(Track, swing), 2716u);
  EXPECT_EQ(offsetof(Track, lfos), 2736u);
  EXPECT_EQ(offsetof(Track, trackRands), 2828u);
  EXPECT_EQ(offsetof(Sound, params), 28u);
  EXPECT_EQ(offsetof(Sound, velDests), 304u);
  EXPECT_EQ(offsetof(Sound, name), 368u);
  EXPECT_EQ(offsetof(Macro, dests), 32u);
  EXPECT_EQ(offsetof(Kit, tagCount), 4002u);
  EXPECT_EQ(offsetof(Pattern, kit), 23136u);
  EXPECT_EQ(offsetof(Pattern, length), 27168u);
  EXPECT_EQ(offsetof(Pattern, seed), 27192u);
  EXPECT_EQ(offsetof(SampleSlot, slices), 308u);
  EXPECT_EQ(offsetof(SampleSlotTable, count), 36352u);
  EXPECT_EQ(offsetof(Project, patternCount), 27200u);
  EXPECT_EQ(offsetof(Project, samples), 27204u);
  EXPECT_EQ(offsetof(Project, version), 63608u);
  EXPECT_EQ(offsetof(Project, seed), 63664u);
  EXPECT_EQ(sizeof(Project), 63672u);
}

TEST(ProjectDefaults, FreshProjectMatchesTheRecordDefaults) {
  auto project = makeProject();
  ASSERT_NE(project, nullptr);
  const Pattern& p = project->patterns[0];
  EXPECT_EQ(p.numTracks, 0);
  EXPECT_EQ(p.length, 16);
  EXPECT_EQ(p.swing, 50.0f);
  EXPECT_EQ(p.bpm, 120.0f);
  EXPECT_EQ(p.accentAmount, 0.0f);
  EXPECT_EQ(p.accentEvery, 4);
  EXPECT_EQ(p.accentCurve, 0.5f);
  EXPECT_EQ(p.grooveEdited, 0);
  EXPECT_EQ(p.muteMask, 0);
  EXPECT_EQ(p.seed, 0u);
  EXPECT_EQ(p.name[0], '\0');
  EXPECT_EQ(project->patternCount, 1);
  EXPECT_EQ(project->version, 1);
  EXPECT_EQ(project->seed, 0u);
  EXPECT_EQ(project->samples.count, 0);
  EXPECT_EQ(defaultSeedOr(p), 0x5a17c3e9d04b88f1ull);
  EXPECT_EQ(p.kit.version, 1);
  EXPECT_EQ(p.kit.tagCount, 0);

  for (const Sound& s : p.kit.sounds) {
    EXPECT_EQ(s.machine, 3);
    for (float v : s.params) EXPECT_EQ(v, 0.0f);
    EXPECT_EQ(s.zoneCount, 0);
    EXPECT_EQ(s.velDestCount, 0);
    for (const ParamLock& d : s.velDests) EXPECT_EQ(d.param, 255);
  }
  for (const Macro& m : p.kit.macros) {
    EXPECT_EQ(m.destCount, 0);
    for (const MacroDest& d : m.dests) {
      EXPECT_EQ(d.track, 255);
      EXPECT_EQ(d.param, 0);
      EXPECT_EQ(d.target, 0.0f);
    }
  }
}

TEST(ProjectDefaults, FreshProjectsAreByteIdenticalPaddingIncluded) {
  // Whole-record copies are compared and posted as bytes; a fresh record
  // must carry no stray padding.
  auto a = makeProject();
  auto b = makeProject();
  ASSERT_TRUE(a && b);
  EXPECT_TRUE(sameBytes(a.get(), b.get(), sizeof(Project)));
  const auto* bytes = reinterpret_cast<const unsigned char*>(a.get());
  for (std::size_t i = 27201; i < 27204; ++i) EXPECT_EQ(bytes[i], 0) << i;  // after patternCount
}

TEST(ProjectDefaults, BulkInitialisersRestoreDefaults) {
  auto fresh = makeProject();
  auto p = makeProject();
  Pattern& pat = p->patterns[0];
  pat.tracks[2].gain = 0.1f;
  pat.tracks[2].steps[3].active = 1;
  pat.tracks[3].chokeGroup = 2;
  pat.kit.sounds[1].machine = 0;
  pat.kit.sounds[1].params[5] = 3.0f;
  pat.tracks[5].steps[0].velocity = 0;
  pat.tracks[5].steps[1].locks[0].param = 4;

  initTracks(&pat.tracks[2], 2);
  initSounds(&pat.kit.sounds[1], 1);
  initSteps(pat.tracks[5].steps, 2);
  EXPECT_TRUE(sameBytes(p.get(), fresh.get(), sizeof(Project)));

  pat.numTracks = 5;
  pat.bpm = 90.0f;
  initPatterns(p->patterns, 1);
  EXPECT_TRUE(sameBytes(p.get(), fresh.get(), sizeof(Project)));
}

TEST(ProjectSeed, DefaultSeedOnlyReplacesZero) {
  Pattern p{};
  EXPECT_EQ(defaultSeedOr(p), kDefaultPatternSeed);
  p.seed = 1;
  EXPECT_EQ(defaultSeedOr(p), 1u);
  p.seed = ~0ull;
  EXPECT_EQ(defaultSeedOr(p), ~0ull);
}

TEST(ProjectText, BoundedCopyCutsAndTerminates) {
  char field[8];
  std::memset(field, 'x', sizeof field);
  copyBoundedString(field, "abcdefghijk", sizeof field);
  EXPECT_STREQ(field, "abcdefg");
  // Never inside a character: of two euro signs after "ab", one fits.
  copyBoundedString(field, "ab\xE2\x82\xAC\xE2\x82\xAC", sizeof field);
  EXPECT_STREQ(field, "ab\xE2\x82\xAC");

  copyBoundedString(field, "", sizeof field);
  EXPECT_STREQ(field, "");
  std::memset(field, 'x', sizeof field);
  copyBoundedString(field, nullptr, sizeof field);
  EXPECT_STREQ(field, "");

  copyBoundedString(field, "abc", sizeof field);
  EXPECT_STREQ(field, "abc");
  copyBoundedString(field, field, sizeof field);  // a field copied onto itself stays intact
  EXPECT_STREQ(field, "abc");

  char one[1] = {'z'};
  copyBoundedString(one, "abc", 1);
  EXPECT_EQ(one[0], '\0');

  Sound s{};
  copyText(s.name, "a name that is longer than forty-seven characters, clearly");
  EXPECT_EQ(std::strlen(s.name), 47u);
}

TEST(ProjectSteps, CountSetStepsIncludesTracksNotInUse) {
  Pattern p{};
  EXPECT_EQ(countSetSteps(p), 0);
  p.numTracks = 1;
  p.tracks[0].steps[0].active = 1;
  p.tracks[0].steps[15].active = 1;
  p.tracks[7].steps[8].active = 1;
  p.tracks[3].steps[2].muted = 1;  // muted but inactive does not count
  EXPECT_EQ(countSetSteps(p), 3);
}

// --- kit into project ------------------------------------------------------

struct KitCopyFixture : ::testing::Test {
  std::unique_ptr<Project> project = makeProject();
  std::unique_ptr<Project> kitHolder = makeProject();
  Pattern& dest = project->patterns[0];
  Pattern& kit = kitHolder->patterns[0];

  void SetUp() override {
    // The user's groove.
    dest.numTracks = 2;
    dest.tracks[0].soundIndex = 0;
    dest.tracks[1].soundIndex = 1;
    dest.tracks[0].steps[1].active = 1;
    dest.tracks[0].steps[1].velocity = 33;
    dest.tracks[1].length = 7;
    dest.length = 12;
    dest.swing = 61.0f;
    dest.bpm = 99.0f;
    dest.seed = 77;
    copyText(dest.name, "mine");
    dest.muteMask = 0x2;
    dest.accentAmount = 0.4f;
    dest.accentEvery = 3;
    dest.accentCurve = 0.9f;

    // The kit's pattern.
    copyText(kit.kit.name, "Kit");
    copyText(kit.kit.author, "Someone");
    kit.kit.tagCount = 1;
    copyText(kit.kit.tags[0], "dark");
    kit.numTracks = 3;
    for (int t = 0; t < 3; ++t) {
      kit.tracks[t].soundIndex = static_cast<std::int8_t>(t);
      kit.tracks[t].gain = 0.5f + 0.1f * static_cast<float>(t);
      kit.tracks[t].pan = -0.2f;
      kit.tracks[t].rate = 2;
      kit.tracks[t].chokeGroup = 1;
      kit.tracks[t].lfos[0].enabled = 1;
      kit.tracks[t].modEnvs[1].depth = 0.5f;
      kit.tracks[t].trackRandCount = 1;
      kit.tracks[t].trackRands[0] = ParamLock{3, 0.25f};
      kit.tracks[t].length = 8;
    }
    copyText(kit.kit.sounds[0].name, "Kick");
    copyText(kit.kit.sounds[1].name, "Snare");
    copyText(kit.kit.sounds[2].name, "Hat");
    kit.tracks[2].steps[4].active = 1;
    kit.length = 8;
    kit.swing = 70.0f;
    kit.bpm = 140.0f;
    kit.seed = 5;
    copyText(kit.name, "kit pattern");
    kit.muteMask = 0x1;
    kit.accentAmount = 1.0f;
  }

  void expectSoundDesignTaken() {
    EXPECT_STREQ(dest.kit.name, "Kit");
    EXPECT_STREQ(dest.kit.author, "Someone");
    EXPECT_STREQ(dest.kit.tags[0], "dark");
    EXPECT_EQ(dest.numTracks, 3);
    for (int t = 0; t < 3; ++t) {
      EXPECT_EQ(dest.tracks[t].soundIndex, t);
      EXPECT_EQ(dest.tracks[t].gain, kit.tracks[t].gain);
      EXPECT_EQ(dest.tracks[t].rate, 2);
      EXPECT_EQ(dest.tracks[t].chokeGroup, 1);
      EXPECT_EQ(dest.tracks[t].lfos[0].enabled, 1);
      EXPECT_EQ(dest.tracks[t].modEnvs[1].depth, 0.5f);
      EXPECT_EQ(dest.tracks[t].trackRandCount, 1);
      EXPECT_EQ(dest.tracks[t].trackRands[0].param, 3);
    }
    // Never copied.
    EXPECT_STREQ(dest.name, "mine");
    EXPECT_EQ(dest.muteMask, 0x2);
    EXPECT_EQ(dest.accentAmount, 0.4f);
    EXPECT_EQ(dest.accentEvery, 3);
    EXPECT_EQ(dest.accentCurve, 0.9f);
    // Ids were assigned from the kit's names.
    EXPECT_STREQ(dest.tracks[0].id, "v-kick");
    EXPECT_STREQ(dest.tracks[2].id, "v-hat");
    EXPECT_STREQ(dest.kit.sounds[1].id, "s-snare");
  }

  void expectUserGrooveKept() {
    EXPECT_EQ(dest.tracks[0].steps[1].active, 1);
    EXPECT_EQ(dest.tracks[0].steps[1].velocity, 33);
    EXPECT_EQ(dest.tracks[2].steps[4].active, 0);
    EXPECT_EQ(dest.tracks[1].length, 7);
    EXPECT_EQ(dest.tracks[2].length, 16);
    EXPECT_EQ(dest.length, 12);
    EXPECT_EQ(dest.swing, 61.0f);
    EXPECT_EQ(dest.bpm, 99.0f);
    EXPECT_EQ(dest.seed, 77u);
  }
};

TEST_F(KitCopyFixture, EditedGrooveIsKept) {
  dest.grooveEdited = 1;
  copyPatternIntoProject(*project, kit);
  expectSoundDesignTaken();
  expectUserGrooveKept();
  EXPECT_EQ(dest.grooveEdited, 1);
}

TEST_F(KitCopyFixture, UneditedGrooveTakesTheKitsGroove) {
  copyPatternIntoProject(*project, kit);
  expectSoundDesignTaken();
  EXPECT_EQ(dest.tracks[0].steps[1].active, 0);
  EXPECT_EQ(dest.tracks[0].steps[1].velocity, 100);
  EXPECT_EQ(dest.tracks[2].steps[4].active, 1);
  EXPECT_EQ(dest.tracks[1].length, 8);
  EXPECT_EQ(dest.length, 8);
  EXPECT_EQ(dest.swing, 70.0f);
  EXPECT_EQ(dest.bpm, 140.0f);
  EXPECT_EQ(dest.seed, 5u);
  EXPECT_EQ(dest.grooveEdited, 0);
}

TEST_F(KitCopyFixture, KitWithoutActiveStepsLeavesTheGroove) {
  kit.tracks[2].steps[4].active = 0;
  copyPatternIntoProject(*project, kit);
  expectSoundDesignTaken();
  expectUserGrooveKept();
}

TEST_F(KitCopyFixture, CopyOntoItselfOnlyAssignsIds) {
  copyText(dest.kit.sounds[0].name, "Kick");
  auto before = makeProject();
  std::memcpy(before.get(), project.get(), sizeof(Project));
  copyPatternIntoProject(*project, dest);
  EXPECT_STREQ(dest.tracks[0].id, "v-kick");
  std::memset(dest.tracks[0].id, 0, sizeof dest.tracks[0].id);
  std::memset(dest.tracks[1].id, 0, sizeof dest.tracks[1].id);
  std::memset(dest.kit.sounds[0].id, 0, sizeof dest.kit.sounds[0].id);
  std::memset(dest.kit.sounds[1].id, 0, sizeof dest.kit.sounds[1].id);
  EXPECT_TRUE(sameBytes(project.get(), before.get(), sizeof(Project)));
}

}  // namespace model_project_test

namespace model_project_test {

// Each run that begins no character reads as one U+FFFD, the most Unicode
// counts it as: overlong forms, surrogates, code points past U+10FFFF and
// characters cut short are not UTF-8; every character of any length is.
TEST(ProjectText, TextThatIsNotUtf8IsMendedRunByRun) {
  const std::string r(kReplacementCharacter);
  const std::pair<std::string, std::string> cases[] = {
      {"a\xC3\xA9\xE2\x82\xAC\xF0\x9F\xA5\x81", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\xA5\x81"},
      {"\xC0\x80", r + r},
      {"\xE0\x80\x80", r + r + r},
      {"\xED\xA0\x80x", r + "x"},
      {"\xF4\x90\x80\x80", r + r + r + r},
      {"\xE2\x82"
       "A\xF0\x9F\xA5",
       r + "A" + r},
      {"\xFF\xFE", r + r},
  };
  for (const auto& [text, mended] : cases) {
    EXPECT_EQ(mendedUtf8(text), mended) << text;
    EXPECT_EQ(isValidUtf8(text), text == mended) << text;
    EXPECT_EQ(mendedUtf8(mended), mended);
  }
}

}  // namespace model_project_test
