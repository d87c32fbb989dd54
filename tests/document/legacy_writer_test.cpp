// Legacy writer and kit text: the exact templates, number spellings, and a
// fixpoint with the reader.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "document/legacy/legacy_reader.h"
#include "document/legacy/legacy_writer.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"
#include "support/comma_locale.h"

namespace legacy_writer_test {

TEST(LegacyWriter, DefaultProjectText) {
  auto p = ob::makeProject();
  EXPECT_EQ(
      "{\n"
      "  \"name\": \"\",\n"
      "  \"patterns\": [\n"
      "    {\n"
      "      \"bpm\": 120,\n"
      "      \"swing\": 50,\n"
      "      \"length\": 16,\n"
      "      \"numTracks\": 0,\n"
      "      \"tracks\": [\n"
      "      ],\n"
      "      \"kit\": {\n"
      "        \"name\": \"\",\n"
      "        \"sounds\": [\n"
      "        ]\n"
      "      },\n"
      "      \"grooveEdited\": 0\n"
      "    }\n"
      "  ]\n"
      "}\n",
      ob::writeLegacyProject(*p));
}

TEST(LegacyWriter, TrackStepAndSoundLines) {
  auto p = ob::makeProject();
  ob::Pattern& pat = p->patterns[0];
  pat.numTracks = 1;
  pat.tracks[0].soundIndex = 0;
  std::strcpy(pat.tracks[0].id, "v-a");
  pat.tracks[0].swing = 0.0f;
  ob::initSoundParams(pat.kit.sounds[0], ob::kMachineDrum);
  ob::Step& s = pat.tracks[0].steps[2];
  s.active = 1;
  s.lockCount = 1;
  s.locks[0] = {static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, "res_tune")), 0.5f};
  const std::string text = ob::writeLegacyProject(*p);
  EXPECT_NE(std::string::npos, text.find("          \"swing\": 0,\n")) << text;
  EXPECT_NE(std::string::npos,
            text.find("\"steps\": [ { \"i\": 2, \"note\": 60, \"velocity\": 100, \"micro\": 0, "
                      "\"lengthTicks\": 1, \"locks\": [{ \"param\": \"res_tune\", \"value\": 0.5 }] } ]\n"))
      << text;
  // Every drum parameter, in index order, defaults included.
  std::string params = "\"params\": {";
  for (int i = 0; i < ob::paramCount(ob::kMachineDrum); ++i) {
    params += i ? ", \"" : " \"";
    params += ob::paramInfo(ob::kMachineDrum, i).id;
    params += "\": " + ob::formatLegacyNumber(pat.kit.sounds[0].params[i]);
  }
  params += " }";
  EXPECT_NE(std::string::npos, text.find(params)) << text;

  pat.tracks[0].swing = -1.0f;
  pat.tracks[0].steps[2].active = 0;
  const std::string bare = ob::writeLegacyProject(*p);
  EXPECT_EQ(std::string::npos, bare.find("\"swing\": 0")) << bare;
  EXPECT_NE(std::string::npos, bare.find("\"steps\": [ ]\n")) << bare;
}

TEST(LegacyWriter, NumbersAndEscapes) {
  EXPECT_EQ("0.1", ob::formatLegacyNumber(0.1f));
  EXPECT_EQ("0.2", ob::formatLegacyNumber(0.2f));
  EXPECT_EQ("100", ob::formatLegacyNumber(100.0));
  EXPECT_EQ("-1", ob::formatLegacyNumber(-1.0));
  EXPECT_EQ("2e+15", ob::formatLegacyNumber(2e15));
  EXPECT_EQ("1e+15", ob::formatLegacyNumber(1e15));
  EXPECT_EQ("0.5", ob::formatLegacyNumber(0.5));
  EXPECT_EQ("null", ob::formatLegacyNumber(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_EQ("a\\\"b\\\\c\\td\\u0001\xc3\xa9", ob::escapeJsonString("a\"b\\c\td\x01\xc3\xa9"));

  auto p = ob::makeProject();
  p->samples.count = 1;
  std::strcpy(p->samples.slots[0].name, "s.wav");
  p->samples.slots[0].sliceCount = 1;
  p->samples.slots[0].slices[0] = 0.3333333f;
  EXPECT_NE(std::string::npos,
            ob::writeLegacyProject(*p).find(
                "  \"samples\": [ { \"name\": \"s.wav\", \"slices\": [ 0.333333 ] } ]\n}"));
}

TEST(LegacyWriter, NumbersIgnoreTheLocale) {
  ob::Project demo;
  ob::buildDemoProject(demo);
  const std::string before = ob::writeLegacyProject(demo);
  std::string text, half, slice;
  {
    const ob::test::CommaDecimalLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale available";
    text = ob::writeLegacyProject(demo);
    half = ob::formatLegacyNumber(0.5);
    slice = ob::formatLegacyNumber(1.5e-7);
  }
  EXPECT_EQ(before, text);
  EXPECT_EQ("0.5", half);
  EXPECT_EQ("1.5e-07", slice);
}

TEST(LegacyWriter, KitTextIgnoresTheGroove) {
  ob::Project demo;
  ob::buildDemoProject(demo);
  ob::Pattern other = demo.patterns[0];
  for (ob::Track& t : other.tracks)
    for (ob::Step& s : t.steps) s.active = !s.active;
  EXPECT_EQ(ob::patternToJsonText(demo.patterns[0]), ob::patternToJsonText(other));
  other.kit.sounds[0].params[0] += 0.25f;
  EXPECT_NE(ob::patternToJsonText(demo.patterns[0]), ob::patternToJsonText(other));
  EXPECT_EQ(std::string::npos, ob::patternToJsonText(demo.patterns[0]).find("\"i\":"));
}

TEST(LegacyWriter, SoundCountFollowsTheLargestSoundIndex) {
  ob::Pattern pat;
  pat.numTracks = 2;
  pat.tracks[1].soundIndex = 5;
  const std::string text = ob::patternToJsonText(pat);
  int sounds = 0;
  for (std::size_t at = text.find("\"machine\""); at != std::string::npos;
       at = text.find("\"machine\"", at + 1))
    ++sounds;
  EXPECT_EQ(6, sounds);
}

// A written project reads back to a record that writes the same text again.
TEST(LegacyWriter, ReaderFixpoint) {
  ob::Project demo;
  ob::buildDemoProject(demo);
  demo.patterns[0].tracks[1].steps[4].count = 3;
  demo.patterns[0].tracks[1].steps[4].rateTicks = 8;
  demo.patterns[0].tracks[1].steps[4].velCurve = -12;
  demo.patterns[0].tracks[0].chokeGroup = 2;
  demo.patterns[0].muteMask = 5;
  demo.patterns[0].accentAmount = 0.25f;
  std::strcpy(demo.patterns[0].kit.name, "Tab\there \"q\"");
  demo.samples.count = 1;
  std::strcpy(demo.samples.slots[0].name, "kick.wav");
  demo.samples.slots[0].src = 1;
  const std::string first = ob::writeLegacyProject(demo);
  auto back = ob::makeProject();
  std::string error;
  ASSERT_TRUE(ob::readLegacyProject(first, *back, &error, nullptr)) << error << first;
  EXPECT_EQ(first, ob::writeLegacyProject(*back));
  EXPECT_EQ(demo.patterns[0].numTracks, back->patterns[0].numTracks);
  EXPECT_EQ(3, back->patterns[0].tracks[1].steps[4].count);
}

}  // namespace legacy_writer_test
