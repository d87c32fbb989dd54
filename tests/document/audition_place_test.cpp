#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/audition/audition_writer.h"
#include "document/audition/place_notes.h"
#include "document/clip/clip_reader.h"
#include "document/json/json.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace audition_place_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

// Tracks "kick" (rate 1/16), "hat" (rate 1/8) and "snare" (1/16) on drum sounds.
std::unique_ptr<ob::Project> kit() {
  auto p = ob::makeProject();
  ob::Pattern& pat = p->patterns[0];
  pat.numTracks = 3;
  const char* ids[] = {"kick", "hat", "snare"};
  for (int t = 0; t < 3; ++t) {
    ob::copyText(pat.tracks[t].id, ids[t]);
    pat.tracks[t].soundIndex = static_cast<std::int8_t>(t);
    ob::initSoundParams(pat.kit.sounds[t], ob::kMachineDrum);
  }
  pat.tracks[1].rate = 0;
  pat.accentAmount = 0.7f;
  pat.tracks[0].steps[9].active = 1;  // whatever was there goes
  return p;
}

struct Placed {
  std::unique_ptr<ob::Project> project;
  ob::Diagnostics diagnostics;
};

Placed place(const std::string& body) {
  Placed r{kit(), {}};
  ob::Diagnostics ignored;
  auto clip = ob::clip::readClip(parse(R"({"kind":"clip","spec":"1.0",)" + body + "}"), ignored);
  EXPECT_TRUE(clip.has_value());
  if (clip) ob::placeNotesOnGrid(*clip, *r.project, r.project->samples, r.diagnostics, "/audition");
  return r;
}

const ob::Step& step(const Placed& r, int track, int s) {
  return r.project->patterns[0].tracks[track].steps[s];
}

int countOf(const ob::Diagnostics& d, const std::string& code) {
  int n = 0;
  for (const ob::Diagnostic& x : d) n += x.code == code;
  return n;
}

TEST(PlaceNotes, LengthsResetAndSwing) {
  Placed a = place(R"("length":3,"notes":[])");
  const ob::Pattern& pat = a.project->patterns[0];
  EXPECT_EQ(pat.length, 12);
  EXPECT_EQ(pat.tracks[0].length, 12);
  EXPECT_EQ(pat.tracks[2].swing, -1.0f);
  EXPECT_EQ(pat.accentAmount, 0.0f);
  EXPECT_EQ(pat.grooveEdited, 1);
  EXPECT_EQ(pat.swing, 50.0f);
  EXPECT_EQ(ob::countSetSteps(pat), 0);
  EXPECT_EQ(place(R"("length":10,"notes":[])").project->patterns[0].length, 16);
  EXPECT_EQ(place(R"("length":0,"notes":[])").project->patterns[0].length, 1);

  Placed s = place(R"("swing":[{"bar":0,"amount":0.625},{"bar":1,"amount":0.7},)"
                   R"({"bar":0,"grid":"1/8","voice":"hat","amount":0.55},)"
                   R"({"bar":0,"voice":"ghost","amount":0.6},{"bar":0,"amount":"x"}],"notes":[])");
  EXPECT_EQ(s.project->patterns[0].swing, 75.0f);
  EXPECT_EQ(s.project->patterns[0].tracks[1].swing, 60.0f);
  EXPECT_EQ(s.project->patterns[0].tracks[0].swing, -1.0f);
  EXPECT_TRUE(s.diagnostics.empty());
}

TEST(PlaceNotes, StepsFromTimes) {
  Placed r =
      place(R"("notes":[{"at":1.0,"voice":"kick"},{"at":1.05,"voice":"kick"},)"
            R"({"at":1.0000005,"voice":"snare"},{"at":4.0,"voice":"kick"},{"at":3.75,"voice":"kick"},)"
            R"({"at":1.0,"voice":"kick","vel":0.2},{"at":1.5,"voice":"hat"},{"at":-0.25,"voice":"kick"}])");
  EXPECT_TRUE(step(r, 0, 4).active);
  EXPECT_EQ(step(r, 0, 4).velocity, 127);  // the first note keeps the step
  EXPECT_TRUE(step(r, 2, 4).active);
  EXPECT_TRUE(step(r, 0, 15).active);
  EXPECT_TRUE(step(r, 1, 3).active);  // 1/8 steps
  EXPECT_FALSE(step(r, 0, 9).active);
  ASSERT_EQ(countOf(r.diagnostics, "audition-note-not-placed"), 4);
  EXPECT_EQ(r.diagnostics[0].path, "/audition/notes/1");
  EXPECT_EQ(r.diagnostics[0].message, "The note is not on a step of its voice's grid; kept but not played");
  EXPECT_EQ(r.diagnostics[1].path, "/audition/notes/3");
  EXPECT_EQ(r.diagnostics[2].path, "/audition/notes/5");
  EXPECT_EQ(r.diagnostics[2].message, "Another note already holds this step; kept but not played");
  EXPECT_EQ(r.diagnostics[3].path, "/audition/notes/7");
}

TEST(PlaceNotes, VoicesThatAreNotThere) {
  Placed r = place(
      R"("notes":[{"at":0,"pitch":60},{"at":0,"voice":"cowbell"},{"foo":1},{"at":0.25,"voice":"kick"}])");
  ASSERT_EQ(r.diagnostics.size(), 2u);  // the malformed note is kept quietly
  for (const ob::Diagnostic& x : r.diagnostics) {
    EXPECT_EQ(x.code, "audition-note-not-placed");
    EXPECT_EQ(x.message, "The note names no voice of this kit; kept but not played");
    EXPECT_EQ(x.severity, ob::Severity::Warning);
  }
  EXPECT_TRUE(step(r, 0, 1).active);
}

TEST(PlaceNotes, StepFields) {
  Placed r = place(
      R"("notes":[{"at":0,"voice":"kick","tune":-3,"nudge":0.0625,"vel":0.5,"slide":true},)"
      R"({"at":0.25,"voice":"kick"},{"at":0.5,"voice":"kick","tune":100,"nudge":-9,"vel":7},)"
      R"({"at":0.75,"voice":"kick","expr":{"pan":0.25}},{"at":1,"voice":"kick","expr":{"pan":[[0,1]]}},)"
      R"({"at":1.25,"voice":"kick","rand":{"vel":0.3,"nudge":0.0625,"pan":0.2,"params":{"res_tune":0.25,"nope":1}}}])");
  EXPECT_EQ(step(r, 0, 0).note, 57);
  EXPECT_EQ(step(r, 0, 0).micro, 32);
  EXPECT_EQ(step(r, 0, 0).velocity, 64);
  EXPECT_EQ(step(r, 0, 0).slide, 1);
  EXPECT_EQ(step(r, 0, 0).lengthTicks, 1);
  EXPECT_EQ(step(r, 0, 1).note, 60);
  EXPECT_EQ(step(r, 0, 1).velocity, 127);
  EXPECT_EQ(step(r, 0, 2).note, 127);
  EXPECT_EQ(step(r, 0, 2).micro, -64);
  EXPECT_EQ(step(r, 0, 2).velocity, 127);
  EXPECT_EQ(step(r, 0, 3).panLocked, 1);
  EXPECT_EQ(step(r, 0, 3).panValue, 0.25f);
  EXPECT_EQ(step(r, 0, 4).panLocked, 0);
  const ob::Step& rs = step(r, 0, 5);
  EXPECT_FLOAT_EQ(rs.randVel, 0.3f);
  EXPECT_FLOAT_EQ(rs.randTime, 0.5f);
  EXPECT_FLOAT_EQ(rs.randPan, 0.2f);
  ASSERT_EQ(rs.randCount, 1);
  EXPECT_EQ(rs.rands[0].value, 0.5f);
  EXPECT_TRUE(r.diagnostics.empty());
}

TEST(PlaceNotes, SetAndAdd) {
  const std::string nine = R"("res_tune":1,"exc1_tone":0.1,"exc1_decay":0.1,"level":0.1,"bleed":0.1,)"
                           R"("res_decay":0.1,"res_tone":0.1,"exc1_level":0.1,"res_level":0.1)";
  Placed r = place(R"("notes":[{"at":0,"voice":"kick","set":{)" + nine +
                   R"(}},)"
                   R"({"at":0.25,"voice":"kick","set":{"wobble":1,"exc1_type":"nope","res_tune":80},)"
                   R"("add":{"res_tune":5,"zap":1}}])");
  EXPECT_EQ(step(r, 0, 0).lockCount, 8);
  const ob::Step& s = step(r, 0, 1);
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  ASSERT_EQ(s.lockCount, 2);
  EXPECT_EQ(s.locks[0].param, tune);
  EXPECT_EQ(s.locks[0].value, 80.0f);
  EXPECT_EQ(s.locks[1].value, r.project->patterns[0].kit.sounds[0].params[tune] + 5.0f);
  ASSERT_EQ(r.diagnostics.size(), 3u);
  EXPECT_EQ(r.diagnostics[0].code, "unknown-param");
  EXPECT_EQ(r.diagnostics[0].path, "/audition/notes/1/set/wobble");
  EXPECT_EQ(r.diagnostics[0].message, "Not a param or value this sound has; not applied");
  EXPECT_EQ(r.diagnostics[1].path, "/audition/notes/1/set/exc1_type");
  EXPECT_EQ(r.diagnostics[2].path, "/audition/notes/1/add/zap");
  EXPECT_EQ(r.diagnostics[2].message, "Not a param this sound has; not applied");
}

TEST(PlaceNotes, InvertsTheWrittenNotes) {
  // Single hits come back exactly through the clip text: micro, velocity,
  // note, locks, pan and random amounts.
  auto source = kit();
  ob::Pattern& pat = source->patterns[0];
  pat.accentAmount = 0.0f;
  pat.tracks[0].chromatic = 1;
  pat.tracks[1].rate = 4;
  for (int i = 0; i < 16; ++i) {
    for (int t = 0; t < 2; ++t) {
      ob::Step& s = pat.tracks[t].steps[i];
      s.active = 1;
      s.velocity = static_cast<std::uint8_t>(1 + i * 8);
      s.micro = static_cast<std::int8_t>(i * 8 - 64);
      s.note = static_cast<std::uint8_t>(40 + i);
      s.randTime = i / 16.0f;
      s.randPan = i / 32.0f;
      s.panLocked = i & 1;
      s.panValue = i / -20.0f;
      s.lockCount = 1;
      s.locks[0] = {static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, "level")), i / 10.0f};
      s.randCount = 1;
      s.rands[0] = {static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, "bleed")),
                    0.05f * (i + 1)};
    }
  }
  pat.tracks[0].steps[9].active = 1;
  const ob::JsonValue doc = parse(ob::dumpJson(ob::writeAudition(*source, source->samples)));
  ob::Diagnostics ignored;
  auto clip = ob::clip::readClip(doc, ignored);
  ASSERT_TRUE(clip.has_value());
  auto loaded = kit();
  loaded->patterns[0].tracks[1].rate = 4;
  ob::Diagnostics d;
  ob::placeNotesOnGrid(*clip, *loaded, loaded->samples, d, "/audition");
  // The 1/16-triplet track walks 24 positions in 4 beats; the 8 repeats
  // past step 15 have no step of their own.
  EXPECT_EQ(countOf(d, "audition-note-not-placed"), 8) << ob::joinDiagnosticMessages(d);
  EXPECT_EQ(d.size(), 8u);
  for (int t = 0; t < 2; ++t) {
    for (int i = 0; i < 16; ++i) {
      SCOPED_TRACE("track " + std::to_string(t) + " step " + std::to_string(i));
      const ob::Step& a = pat.tracks[t].steps[i];
      const ob::Step& b = loaded->patterns[0].tracks[t].steps[i];
      EXPECT_EQ(b.velocity, a.velocity);
      EXPECT_EQ(b.micro, a.micro);
      EXPECT_EQ(b.note, t == 0 ? a.note : 60);
      EXPECT_EQ(b.panLocked, a.panLocked);
      if (a.panLocked) {
        EXPECT_EQ(b.panValue, a.panValue);
      }
      EXPECT_FLOAT_EQ(b.randTime, a.randTime);
      EXPECT_EQ(b.randPan, a.randPan);
      ASSERT_EQ(b.lockCount, 1);
      EXPECT_EQ(b.locks[0].value, a.locks[0].value);
      ASSERT_EQ(b.randCount, 1);
      EXPECT_EQ(b.rands[0].value, a.rands[0].value);
    }
  }
}

}  // namespace audition_place_test
