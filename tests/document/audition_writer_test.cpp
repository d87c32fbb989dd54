#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_writer.h"
#include "document/audition/notes_fingerprint.h"
#include "document/audition/track_rate.h"
#include "document/clip/clip_grid.h"
#include "document/json/json.h"
#include "document/json/json_elements.h"
#include "engine/clock/step_rate.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace audition_writer_test {

// A project of n drum tracks "v0".."v{n-1}", each playing its own sound.
std::unique_ptr<ob::Project> makeTracks(int n) {
  auto p = ob::makeProject();
  ob::Pattern& pat = p->patterns[0];
  pat.numTracks = static_cast<std::uint8_t>(n);
  for (int t = 0; t < n; ++t) {
    std::string id = std::string("v") + std::to_string(t);
    ob::copyText(pat.tracks[t].id, id.c_str());
    pat.tracks[t].soundIndex = static_cast<std::int8_t>(t);
    ob::initSoundParams(pat.kit.sounds[t], ob::kMachineDrum);
    std::string name = "Sound " + std::to_string(t);
    ob::copyText(pat.kit.sounds[t].name, name.c_str());
  }
  return p;
}

ob::Step& on(ob::Project& p, int track, int step, int velocity = 100) {
  ob::Step& s = p.patterns[0].tracks[track].steps[step];
  s.active = 1;
  s.velocity = static_cast<std::uint8_t>(velocity);
  return s;
}

std::vector<ob::clip::Note> notesOf(const ob::Project& p, int track) {
  std::vector<ob::clip::Note> notes;
  ob::gridToNotes(p, track, p.patterns[0].length * 0.25, notes);
  return notes;
}

TEST(AuditionRates, WordsGridsAndSwing) {
  const char* words[] = {"1-8", "1-16", "1-32", "1-8t", "1-16t", "1-32t"};
  const char* grids[] = {"1/8", "1/16", "1/32", "1/12", "1/24", "1/48"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(ob::readTrackRate(words[i]), i);
    EXPECT_STREQ(ob::trackRateName(i), words[i]);
    EXPECT_STREQ(ob::trackRateGrid(i), grids[i]);
  }
  EXPECT_EQ(ob::readTrackRate("1-4"), 1);
  EXPECT_EQ(ob::readTrackRate(nullptr), 1);
  ob::JsonValue number = ob::makeJsonDouble(0);
  EXPECT_EQ(ob::readTrackRate(&number), 1);
  EXPECT_STREQ(ob::trackRateName(6), "1-16");
  EXPECT_DOUBLE_EQ(ob::swingFraction(50), 0.5);
  EXPECT_DOUBLE_EQ(ob::swingFraction(75), 0.625);
  EXPECT_DOUBLE_EQ(ob::swingPercent(0.625), 75.0);
}

// A rate written as its word reads back as that rate, and the swing grid the
// clip names for it is the step the clock plays.
TEST(AuditionRates, EachWordReadsBackAndEachGridIsTheClocksStep) {
  for (int code = 0; code < ob::kTrackRateCount; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(ob::readTrackRate(ob::trackRateName(code)), code);
    const std::optional<double> grid = ob::clip::parseGrid(ob::trackRateGrid(code));
    ASSERT_TRUE(grid.has_value());
    EXPECT_DOUBLE_EQ(*grid, ob::rateBeats(code));
  }
}

TEST(GridToNotes, StepPositionsAndRepeats) {
  auto p = makeTracks(3);
  on(*p, 0, 4);
  auto notes = notesOf(*p, 0);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_DOUBLE_EQ(notes[0].at, 1.0);
  EXPECT_EQ(notes[0].voice, "v0");
  EXPECT_FALSE(notes[0].tune.has_value());

  // Length 12 in a 16-step pattern: step 0 comes back at i = 12.
  p->patterns[0].tracks[1].length = 12;
  on(*p, 1, 0);
  notes = notesOf(*p, 1);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_DOUBLE_EQ(notes[0].at, 0.0);
  EXPECT_DOUBLE_EQ(notes[1].at, 3.0);

  // Rate index 2: 32 positions walking the 16 steps twice.
  p->patterns[0].tracks[2].rate = 2;
  for (int s = 0; s < 16; ++s) on(*p, 2, s);
  notes = notesOf(*p, 2);
  ASSERT_EQ(notes.size(), 32u);
  for (std::size_t i = 0; i < notes.size(); ++i) EXPECT_DOUBLE_EQ(notes[i].at, 0.125 * i);
}

TEST(GridToNotes, NudgeVelocityAndAccent) {
  auto p = makeTracks(1);
  on(*p, 0, 0, 127).micro = 32;
  on(*p, 0, 1, 100).micro = -64;
  auto notes = notesOf(*p, 0);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_DOUBLE_EQ(notes[0].nudge, 0.0625);
  EXPECT_DOUBLE_EQ(notes[1].nudge, -0.125);
  EXPECT_DOUBLE_EQ(notes[0].vel, 1.0);
  EXPECT_DOUBLE_EQ(notes[1].vel, 100.0 / 127.0);

  auto q = makeTracks(1);
  ob::Pattern& pat = q->patterns[0];
  pat.accentAmount = 0.5f;
  pat.accentEvery = 4;
  pat.accentCurve = 0.5f;
  for (int s = 0; s < 16; ++s) on(*q, 0, s, 100);
  on(*q, 0, 8, 127);
  notes = notesOf(*q, 0);
  ASSERT_EQ(notes.size(), 16u);
  for (int s = 0; s < 16; ++s) {
    const double v = (s == 8 ? 127 : 100) / 127.0 * (s % 4 == 0 ? 1.25 : 0.75);
    EXPECT_NEAR(notes[s].vel, std::min(1.0, v), 1e-12) << s;
    EXPECT_LE(notes[s].vel, 1.0);
  }
}

TEST(GridToNotes, Retriggers) {
  auto p = makeTracks(1);
  ob::Step& s = on(*p, 0, 2, 127);
  s.count = 4;
  s.rateTicks = 6;
  auto notes = notesOf(*p, 0);
  ASSERT_EQ(notes.size(), 4u);
  for (int k = 0; k < 4; ++k) {
    EXPECT_DOUBLE_EQ(notes[k].at, 0.5 + k * 0.0625);
    EXPECT_DOUBLE_EQ(notes[k].vel, 1.0);
  }
  s.velCurve = 64;
  notes = notesOf(*p, 0);
  const double expected[] = {0.5, 2.0 / 3.0, 5.0 / 6.0, 1.0};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(notes[k].vel, expected[k], 1e-6);
  s.velCurve = -128;
  notes = notesOf(*p, 0);
  EXPECT_NEAR(notes[0].vel, 1.0, 1e-6);
  EXPECT_NEAR(notes[3].vel, 0.0, 1e-6);
  s.rateTicks = 0;  // never set: a step apart, as the engine plays them
  notes = notesOf(*p, 0);
  ASSERT_EQ(notes.size(), 4u);
  for (int k = 0; k < 4; ++k) EXPECT_DOUBLE_EQ(notes[k].at, 0.5 + k * 0.25);

  // Hits that pass the clip's end are dropped.
  auto q = makeTracks(1);
  ob::Step& last = on(*q, 0, 15, 127);
  last.count = 8;
  last.rateTicks = 12;  // half a step apart
  notes = notesOf(*q, 0);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_DOUBLE_EQ(notes[1].at, 3.875);
}

TEST(GridToNotes, SilentSteps) {
  auto p = makeTracks(4);
  on(*p, 0, 0).muted = 1;
  on(*p, 1, 0, 0);
  on(*p, 2, 0);
  p->patterns[0].muteMask = 1u << 2;
  on(*p, 3, 0);
  p->patterns[0].tracks[3].length = 0;
  for (int t = 0; t < 4; ++t) EXPECT_TRUE(notesOf(*p, t).empty()) << t;
}

TEST(GridToNotes, LocksPanRandomAndTune) {
  auto p = makeTracks(1);
  ob::Track& track = p->patterns[0].tracks[0];
  track.chromatic = 1;
  ob::Step& s = on(*p, 0, 0);
  s.note = 63;
  s.slide = 1;
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  const int type = ob::findParamIndex(ob::kMachineDrum, "exc1_type");
  s.lockCount = 3;
  s.locks[0] = {static_cast<std::uint8_t>(tune), 72.0f};
  s.locks[1] = {static_cast<std::uint8_t>(type), 1.0f};
  s.locks[2] = {static_cast<std::uint8_t>(tune), 80.0f};  // same key: replaced in place
  s.panLocked = 1;
  s.panValue = -0.5f;
  s.randCount = 1;
  s.rands[0] = {static_cast<std::uint8_t>(tune), 0.4f};
  s.randTime = 0.5f;
  auto notes = notesOf(*p, 0);
  ASSERT_EQ(notes.size(), 1u);
  const ob::clip::Note& n = notes[0];
  ASSERT_TRUE(n.tune.has_value());
  EXPECT_DOUBLE_EQ(*n.tune, 3.0);
  EXPECT_TRUE(n.slide);
  ASSERT_EQ(n.set.size(), 2u);
  EXPECT_EQ(n.set[0].key, "res_tune");
  EXPECT_DOUBLE_EQ(n.set[0].value.number, 80.0);
  EXPECT_EQ(n.set[1].key, "exc1_type");
  EXPECT_TRUE(n.set[1].value.isString());  // a choice travels as its word
  ASSERT_EQ(n.expr.size(), 1u);
  EXPECT_EQ(n.expr[0].name, "pan");
  EXPECT_FALSE(n.expr[0].expression.curve);
  EXPECT_DOUBLE_EQ(n.expr[0].expression.value, -0.5);
  ASSERT_TRUE(n.rand.has_value());
  EXPECT_DOUBLE_EQ(n.rand->nudge, 0.0625);
  EXPECT_FALSE(n.rand->pan.has_value());
  ASSERT_EQ(n.rand->params.size(), 1u);
  EXPECT_EQ(ob::writeJson(n.rand->params[0].value), "0.2");

  // Not chromatic: no tune whatever the note.
  track.chromatic = 0;
  EXPECT_FALSE(notesOf(*p, 0)[0].tune.has_value());
}

TEST(WriteAudition, HeaderSwingAndVoices) {
  auto p = makeTracks(3);
  ob::Pattern& pat = p->patterns[0];
  pat.length = 12;
  pat.bpm = 97.5f;
  pat.tracks[1].swing = -1.0f;
  pat.tracks[1].rate = 0;
  pat.tracks[2].swing = 60.0f;
  p->patterns[0].tracks[2].soundIndex = -1;
  const ob::JsonValue doc = ob::writeAudition(*p, p->samples);
  const std::string text = ob::writeJson(doc);
  // Pattern swing 50: no clip-level entry; track 0 follows at 1/16: none.
  EXPECT_NE(text.find(R"("kind":"clip","spec":"1.0","plugin":"orbitrane","formatVersion":1,)"
                      R"("seed":"5a17c3e9d04b88f1","extensions":["com.orbitrane.steps/1",)"
                      R"("com.tessaline.voices/1"],"length":3,"grid":"1/16",)"
                      R"("tempo":[{"at":0,"bpm":97.5}],"meter":[{"at":0,"num":4,"den":4}],)"
                      R"("swing":[{"bar":0,"grid":"1/8","voice":"v1","amount":0.5},)"
                      R"({"bar":0,"grid":"1/16","voice":"v2","amount":0.55}],)"
                      R"("voices":{"v0":"Sound 0","v1":"Sound 1","v2":""},"notes":[])"),
            std::string::npos)
      << text;
  ASSERT_EQ(doc.members.back().key, "ext");
  const ob::JsonValue* groove = doc.members.back().value.find("com.orbitrane.steps/1");
  ASSERT_NE(groove, nullptr);
  ASSERT_FALSE(groove->members.empty());
  EXPECT_EQ(groove->members[0].key, "notes");
  EXPECT_EQ(groove->members[0].value.text, ob::notesFingerprint(ob::makeJsonArray()));

  pat.swing = 75.0f;
  pat.seed = 0x1234;
  const std::string swung = ob::writeJson(ob::writeAudition(*p, p->samples));
  EXPECT_NE(swung.find(R"("seed":"0000000000001234")"), std::string::npos);
  EXPECT_NE(swung.find(R"("swing":[{"bar":0,"grid":"1/16","amount":0.625},)"
                       R"({"bar":0,"grid":"1/8","voice":"v1","amount":0.625})"),
            std::string::npos)
      << swung;
}

TEST(WriteAudition, NotesSortedByTimeThenTrack) {
  auto p = makeTracks(3);
  on(*p, 2, 0);
  on(*p, 0, 0);
  on(*p, 1, 1);
  p->patterns[0].tracks[1].rate = 2;  // its step 1 is at 0.125
  on(*p, 1, 0);
  const ob::JsonValue doc = ob::writeAudition(*p, p->samples);
  const ob::JsonValue* notes = doc.find("notes");
  ASSERT_NE(notes, nullptr);
  std::vector<std::string> order;
  ob::JsonElements each(*notes);
  while (const ob::JsonValue* n = each.next())
    order.push_back(n->find("voice")->text + "@" + ob::writeJson(*n->find("at")));
  // Track 1 at rate 1/32 walks its steps twice over the 4 beats.
  ASSERT_GE(order.size(), 4u);
  EXPECT_EQ(order[0], "v0@0");
  EXPECT_EQ(order[1], "v1@0");
  EXPECT_EQ(order[2], "v2@0");
  EXPECT_EQ(order[3], "v1@0.125");
  const ob::JsonValue* groove = doc.find("ext")->find(ob::stepsExtensionKey());
  EXPECT_EQ(groove->find("notes")->text, ob::notesFingerprint(*notes));
}

}  // namespace audition_writer_test
