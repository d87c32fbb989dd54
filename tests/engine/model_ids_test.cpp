// Unique ids of tracks, sounds and sample slots.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/model/project.h"
#include "engine/model/project_ids.h"

namespace model_ids_test {

using namespace ob;

// A pattern whose tracks 0..n-1 play sounds 0..n-1 with the given names.
Pattern patternWithSounds(std::initializer_list<const char*> names) {
  Pattern p{};
  int i = 0;
  for (const char* name : names) {
    p.tracks[i].soundIndex = static_cast<std::int8_t>(i);
    copyText(p.kit.sounds[i].name, name);
    ++i;
  }
  p.numTracks = static_cast<std::uint8_t>(i);
  return p;
}

std::string trackIdForName(const char* name, int machine = 3) {
  Pattern p = patternWithSounds({name});
  p.kit.sounds[0].machine = static_cast<std::uint8_t>(machine);
  assignPatternIds(p);
  return p.tracks[0].id;
}

TEST(IdSlugs, NamesBecomeLowerCaseHyphenatedWords) {
  struct Case {
    const char* name;
    const char* id;
  };
  const Case cases[] = {
      {"Kick", "v-kick"},
      {"Closed hat", "v-closed-hat"},
      {"808 Clap!!", "v-808-clap"},
      {"  lead and trail  ", "v-lead-and-trail"},
      {"a--b__c", "v-a-b-c"},
      {"Caf\xc3\xa9 Bass", "v-caf-bass"},                    // bytes of 128 and above end a word
      {"abcdefghijklmnopqrstuvwxyz", "v-abcdefghijklmnop"},  // cut at 16
      {"abcdefghijklmno pq", "v-abcdefghijklmno"},           // a separator needs room for one more
      {"abcdefghijklmn pq", "v-abcdefghijklmn-p"},
      {"The Quick Brown Fox", "v-the-quick-brown"},
      {"!!!", "v-drum"},  // nothing left: the machine's name
      {"", "v-drum"},
  };
  for (const Case& c : cases) EXPECT_EQ(trackIdForName(c.name), c.id) << c.name;
  EXPECT_EQ(trackIdForName("--", 1), "v-va");
  EXPECT_EQ(trackIdForName("", 0), "v-sample");
  EXPECT_EQ(trackIdForName("", 2), "v-granular");
  EXPECT_EQ(trackIdForName("", 77), "v-drum");
}

TEST(IdSlugs, SlugNeverEndsWithAHyphenAndStaysWithinSixteen) {
  const char* names[] = {"x y z w v u t s r q p o n m", "aaaaaaaaaaaaaaa-", "ab cd ef gh ij kl mn op",
                         "1234567890123456 7", "a"};
  for (const char* name : names) {
    const std::string id = trackIdForName(name);
    ASSERT_GT(id.size(), 2u);
    const std::string slug = id.substr(2);
    EXPECT_LE(slug.size(), 16u) << name;
    EXPECT_NE(slug.back(), '-') << name;
    EXPECT_NE(slug.front(), '-') << name;
    EXPECT_EQ(slug.find("--"), std::string::npos) << name;
  }
}

TEST(PatternIds, SameNamesGetNumberedSuffixes) {
  Pattern p = patternWithSounds({"Kick", "Kick", "Kick"});
  EXPECT_EQ(assignPatternIds(p), 6);
  EXPECT_STREQ(p.tracks[0].id, "v-kick");
  EXPECT_STREQ(p.tracks[1].id, "v-kick-2");
  EXPECT_STREQ(p.tracks[2].id, "v-kick-3");
  EXPECT_STREQ(p.kit.sounds[0].id, "s-kick");
  EXPECT_STREQ(p.kit.sounds[1].id, "s-kick-2");
  EXPECT_STREQ(p.kit.sounds[2].id, "s-kick-3");
  // Already unique: nothing new on a second run.
  EXPECT_EQ(assignPatternIds(p), 0);
}

TEST(PatternIds, TrackWithoutSoundIsAVoice) {
  Pattern p{};
  p.numTracks = 2;
  p.tracks[1].soundIndex = 9;  // out of range counts as no sound
  assignPatternIds(p);
  EXPECT_STREQ(p.tracks[0].id, "v-voice");
  EXPECT_STREQ(p.tracks[1].id, "v-voice-2");
  for (const Sound& s : p.kit.sounds) EXPECT_STREQ(s.id, "");
}

TEST(PatternIds, KeptIdsWinOverNewOnesAndDuplicatesAreRemade) {
  Pattern p = patternWithSounds({"Kick", "Snare", "Hat"});
  copyText(p.tracks[1].id, "v-kick");  // kept, although track 0 is named Kick
  copyText(p.tracks[2].id, "v-kick");  // duplicate of a kept id: remade from its name
  copyText(p.kit.sounds[0].id, "custom");
  EXPECT_EQ(assignPatternIds(p), 4);
  EXPECT_STREQ(p.tracks[0].id, "v-kick-2");
  EXPECT_STREQ(p.tracks[1].id, "v-kick");
  EXPECT_STREQ(p.tracks[2].id, "v-hat");
  EXPECT_STREQ(p.kit.sounds[0].id, "custom");
  EXPECT_STREQ(p.kit.sounds[1].id, "s-snare");
  EXPECT_STREQ(p.kit.sounds[2].id, "s-hat");
}

TEST(PatternIds, EntriesNotInUseKeepTheirIds) {
  Pattern p = patternWithSounds({"Kick"});
  copyText(p.tracks[5].id, "v-kick");      // a track not in use
  copyText(p.kit.sounds[4].id, "s-kick");  // a sound no track in use plays
  p.tracks[6].soundIndex = 3;              // not in use: does not put sound 3 in use
  copyText(p.kit.sounds[3].name, "Tom");
  assignPatternIds(p);
  EXPECT_STREQ(p.tracks[0].id, "v-kick");  // not compared against unused entries
  EXPECT_STREQ(p.kit.sounds[0].id, "s-kick");
  EXPECT_STREQ(p.tracks[5].id, "v-kick");
  EXPECT_STREQ(p.kit.sounds[4].id, "s-kick");
  EXPECT_STREQ(p.kit.sounds[3].id, "");
  EXPECT_STREQ(p.tracks[6].id, "");
}

TEST(PatternIds, SharedSoundGetsOneId) {
  Pattern p = patternWithSounds({"Kick", "Snare"});
  p.tracks[1].soundIndex = 0;
  p.numTracks = 2;
  assignPatternIds(p);
  EXPECT_STREQ(p.tracks[0].id, "v-kick");
  EXPECT_STREQ(p.tracks[1].id, "v-kick-2");
  EXPECT_STREQ(p.kit.sounds[0].id, "s-kick");
  EXPECT_STREQ(p.kit.sounds[1].id, "");
}

TEST(PatternIds, UnterminatedIdIsRemade) {
  Pattern p = patternWithSounds({"Kick"});
  std::memset(p.tracks[0].id, 'a', sizeof p.tracks[0].id);
  EXPECT_EQ(assignPatternIds(p), 2);
  EXPECT_STREQ(p.tracks[0].id, "v-kick");
}

TEST(PatternIds, NumTracksAboveEightIsReadAsEight) {
  Pattern p = patternWithSounds({"A", "B", "C", "D", "E", "F", "G", "H"});
  p.numTracks = 200;
  assignPatternIds(p);
  EXPECT_STREQ(p.tracks[7].id, "v-h");
  EXPECT_STREQ(p.kit.sounds[7].id, "s-h");
}

TEST(SampleIds, NamesLoseTheirExtension) {
  SampleSlotTable t{};
  copyText(t.slots[0].name, "Snare Top.wav");
  copyText(t.slots[1].name, "loop.take.2.wav");
  copyText(t.slots[2].name, ".wav");
  copyText(t.slots[3].name, "noext");
  copyText(t.slots[5].name, "beyond the count.wav");
  t.count = 5;  // slot 4 has no name: not in use
  copyText(t.slots[4].id, "old");
  EXPECT_EQ(assignSampleIds(t), 4);
  EXPECT_STREQ(t.slots[0].id, "smp-snare-top");
  EXPECT_STREQ(t.slots[1].id, "smp-loop-take-2");
  EXPECT_STREQ(t.slots[2].id, "smp-sample");
  EXPECT_STREQ(t.slots[3].id, "smp-noext");
  EXPECT_STREQ(t.slots[4].id, "old");
  EXPECT_STREQ(t.slots[5].id, "");
}

TEST(SampleIds, FirstOfTwoEqualIdsKeepsIt) {
  SampleSlotTable t{};
  copyText(t.slots[0].name, "a.wav");
  copyText(t.slots[1].name, "b.wav");
  copyText(t.slots[0].id, "smp-x");
  copyText(t.slots[1].id, "smp-x");
  t.count = 2;
  EXPECT_EQ(assignSampleIds(t), 1);
  EXPECT_STREQ(t.slots[0].id, "smp-x");
  EXPECT_STREQ(t.slots[1].id, "smp-b");
}

TEST(SampleIds, SuffixesCountUpAndTheIdStaysWithin23) {
  SampleSlotTable t{};
  t.count = 64;
  for (SampleSlot& s : t.slots) copyText(s.name, "abcdefghijklmnopqrstuvwxyz.wav");
  EXPECT_EQ(assignSampleIds(t), 64);
  EXPECT_STREQ(t.slots[0].id, "smp-abcdefghijklmnop");
  EXPECT_STREQ(t.slots[1].id, "smp-abcdefghijklmnop-2");
  EXPECT_STREQ(t.slots[63].id, "smp-abcdefghijklmnop-64");
  for (const SampleSlot& s : t.slots) EXPECT_LE(std::strlen(s.id), 23u);
  for (int i = 0; i < 64; ++i)
    for (int j = i + 1; j < 64; ++j) EXPECT_STRNE(t.slots[i].id, t.slots[j].id);
}

TEST(SampleIds, SuffixSkipsNumbersAlreadyKept) {
  SampleSlotTable t{};
  t.count = 4;
  for (int i = 0; i < 4; ++i) copyText(t.slots[i].name, "hit.wav");
  copyText(t.slots[1].id, "smp-hit-2");
  copyText(t.slots[2].id, "smp-hit");
  assignSampleIds(t);
  EXPECT_STREQ(t.slots[0].id, "smp-hit-3");
  EXPECT_STREQ(t.slots[1].id, "smp-hit-2");
  EXPECT_STREQ(t.slots[2].id, "smp-hit");
  EXPECT_STREQ(t.slots[3].id, "smp-hit-4");
}

TEST(SampleIds, CountAboveTheTableIsReadAs64) {
  SampleSlotTable t{};
  t.count = 255;
  copyText(t.slots[63].name, "last.wav");
  EXPECT_EQ(assignSampleIds(t), 1);
  EXPECT_STREQ(t.slots[63].id, "smp-last");
}

}  // namespace model_ids_test
