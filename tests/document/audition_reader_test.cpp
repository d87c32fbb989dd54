#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "document/audition/audition_groove.h"
#include "document/audition/audition_reader.h"
#include "document/audition/audition_writer.h"
#include "document/audition/notes_fingerprint.h"
#include "document/json/json.h"
#include "document/reading/seed.h"
#include "engine/fnv.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace audition_reader_test {

ob::JsonValue parse(const std::string& text) {
  ob::JsonValue v;
  std::string err;
  EXPECT_TRUE(ob::parseJson(text, v, err)) << err << " in " << text;
  return v;
}

std::unique_ptr<ob::Project> demo() {
  auto p = ob::makeProject();
  ob::buildDemoProject(*p);
  return p;
}

// The demo's kit and tracks with nothing of its groove left.
std::unique_ptr<ob::Project> emptyGrooveLike(const ob::Project& source) {
  auto p = ob::makeProject();
  std::memcpy(static_cast<void*>(p.get()), &source, sizeof(ob::Project));
  ob::Pattern& pat = p->patterns[0];
  for (ob::Track& t : pat.tracks) {
    ob::initSteps(t.steps, ob::kStepsPerTrack);
    t.length = 16;
  }
  pat.length = 16;
  pat.swing = 50.0f;
  pat.bpm = 120.0f;
  pat.seed = 99;
  pat.accentAmount = 0.0f;
  pat.grooveEdited = 1;
  return p;
}

void expectSameStep(const ob::Step& a, const ob::Step& b, const std::string& where) {
  SCOPED_TRACE(where);
  EXPECT_EQ(a.active, b.active);
  EXPECT_EQ(a.muted, b.muted);
  EXPECT_EQ(a.slide, b.slide);
  EXPECT_EQ(a.note, b.note);
  EXPECT_EQ(a.velocity, b.velocity);
  EXPECT_EQ(a.micro, b.micro);
  EXPECT_EQ(a.lengthTicks, b.lengthTicks);
  ASSERT_EQ(a.lockCount, b.lockCount);
  for (int i = 0; i < a.lockCount; ++i) {
    EXPECT_EQ(a.locks[i].param, b.locks[i].param);
    EXPECT_EQ(a.locks[i].value, b.locks[i].value);
  }
  EXPECT_EQ(a.count, b.count);
  EXPECT_EQ(a.rateTicks, b.rateTicks);
  EXPECT_EQ(a.velCurve, b.velCurve);
  ASSERT_EQ(a.randCount, b.randCount);
  for (int i = 0; i < a.randCount; ++i) {
    EXPECT_EQ(a.rands[i].param, b.rands[i].param);
    EXPECT_EQ(a.rands[i].value, b.rands[i].value);
  }
  EXPECT_EQ(a.randVel, b.randVel);
  EXPECT_EQ(a.randTime, b.randTime);
  EXPECT_EQ(a.randPan, b.randPan);
  EXPECT_EQ(a.panLocked, b.panLocked);
  EXPECT_EQ(a.panValue, b.panValue);
}

void expectSameGroove(const ob::Project& a, const ob::Project& b) {
  const ob::Pattern& x = a.patterns[0];
  const ob::Pattern& y = b.patterns[0];
  EXPECT_EQ(x.length, y.length);
  EXPECT_EQ(x.swing, y.swing);
  EXPECT_EQ(x.bpm, y.bpm);
  EXPECT_EQ(x.seed, y.seed);
  EXPECT_EQ(x.grooveEdited, y.grooveEdited);
  EXPECT_EQ(x.accentAmount, y.accentAmount);
  EXPECT_EQ(x.accentEvery, y.accentEvery);
  EXPECT_EQ(x.accentCurve, y.accentCurve);
  for (int t = 0; t < ob::kMaxTracks; ++t) {
    if (t < x.numTracks) {
      EXPECT_EQ(x.tracks[t].length, y.tracks[t].length) << t;
    }
    for (int s = 0; s < ob::kStepsPerTrack; ++s)
      expectSameStep(x.tracks[t].steps[s], y.tracks[t].steps[s],
                     "track " + std::to_string(t) + " step " + std::to_string(s));
  }
}

bool hasCode(const ob::Diagnostics& d, const std::string& code, const std::string& path = "") {
  for (const ob::Diagnostic& x : d)
    if (x.code == code && (path.empty() || x.path == path)) return true;
  return false;
}

const char* kGrooveKey = "com.orbitrane.steps/1";
const std::string kGroovePath = "/audition/ext/com.orbitrane.steps~11";

TEST(NotesFingerprint, CanonicalNumbersAndAgreement) {
  const ob::JsonValue a = parse(R"([{"at":1.0,"vel":0.50,"voice":"v-kick"}])");
  const ob::JsonValue b = parse(R"([{"at":1,"vel":0.5,"voice":"v-kick"}])");
  const ob::JsonValue c = parse(R"([{"at":1,"vel":0.51,"voice":"v-kick"}])");
  const std::string fa = ob::notesFingerprint(a);
  EXPECT_EQ(fa.size(), 16u);
  EXPECT_EQ(fa, ob::notesFingerprint(b));
  EXPECT_NE(fa, ob::notesFingerprint(c));
  // FNV-1a 64 of the canonical text itself.
  EXPECT_EQ(ob::notesFingerprint(b), ob::formatSeed(ob::fnv1a64(ob::writeJson(b))));
  EXPECT_EQ(ob::notesFingerprint(ob::makeJsonArray()), ob::formatSeed(ob::fnv1a64("[]")));

  // Spellings that a float reads the same, strings with escapes, nesting,
  // repeated keys (no JSON at all: empty) and NaN: the direct text and the
  // long way round always agree.
  ob::JsonValue floaty = ob::makeJsonArray();
  ob::JsonValue n = ob::makeJsonDouble(static_cast<double>(0.1f));
  n.numberText = "0.1";
  floaty.push(n);
  ob::JsonValue neg = ob::makeJsonDouble(-0.0);
  neg.numberText = "0";
  floaty.push(neg);
  floaty.push(ob::makeJsonDouble(std::nan("")));
  floaty.push(ob::makeJsonString(std::string("q\"\\\n\x01\xff", 6)));
  ob::JsonValue dup = ob::makeJsonObject();
  dup.members.push_back({"a", ob::makeJsonDouble(1)});
  EXPECT_EQ(ob::notesFingerprint(floaty), ob::notesFingerprintByReparse(floaty));
  dup.members.push_back({"a", ob::makeJsonDouble(2)});
  floaty.push(dup);
  EXPECT_EQ(ob::notesFingerprintByReparse(floaty), "");
  EXPECT_EQ(ob::notesFingerprint(floaty), "");

  ob::JsonValue deep = ob::makeJsonDouble(1);
  for (int i = 0; i < 300; ++i) {
    ob::JsonValue wrap = ob::makeJsonArray();
    wrap.push(std::move(deep));
    deep = std::move(wrap);
  }
  EXPECT_EQ(ob::notesFingerprint(deep), "");

  auto p = demo();
  const ob::JsonValue doc = ob::writeAudition(*p, p->samples);
  const ob::JsonValue reread = parse(ob::dumpJson(doc));
  EXPECT_EQ(ob::notesFingerprint(*reread.find("notes")),
            ob::notesFingerprintByReparse(*reread.find("notes")));
  EXPECT_EQ(ob::notesFingerprint(*reread.find("notes")), ob::notesFingerprint(*doc.find("notes")));
}

// Random notes-like values with odd spellings, escapes and wide objects.
ob::JsonValue randomValue(std::uint64_t& state, int depth) {
  auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return state >> 33;
  };
  const int kind = depth > 3 ? static_cast<int>(next() % 4) : static_cast<int>(next() % 6);
  switch (kind) {
    case 0: return ob::makeJsonBool(next() & 1);
    case 1: {
      static const char* spellings[] = {"1.0", "1", "0.10", "1e0", "-0", "0", "2.5e-1", "100000", "1e5"};
      const std::string t = spellings[next() % 9];
      ob::JsonValue v;
      std::string error;
      EXPECT_TRUE(ob::parseJson(t, v, error));
      if (next() % 3 == 0) v.number = static_cast<double>(static_cast<float>(v.number + 0.1));
      return v;
    }
    case 2: {
      std::string text;
      const int n = static_cast<int>(next() % 6);
      for (int i = 0; i < n; ++i) text += static_cast<char>(next() % 256);
      return ob::makeJsonString(text);
    }
    case 3: return ob::makeJsonNull();
    case 4: {
      ob::JsonValue a = ob::makeJsonArray();
      const int n = static_cast<int>(next() % 4);
      for (int i = 0; i < n; ++i) a.push(randomValue(state, depth + 1));
      return a;
    }
    default: {
      ob::JsonValue o = ob::makeJsonObject();
      const int n = static_cast<int>(next() % 24);
      for (int i = 0; i < n; ++i) o.set("k" + std::to_string(next() % 40), randomValue(state, depth + 1));
      return o;
    }
  }
}

TEST(NotesFingerprint, AgreesWithTheLongWayOnRandomValues) {
  std::uint64_t state = 12345;
  for (int i = 0; i < 400; ++i) {
    const ob::JsonValue v = randomValue(state, 0);
    ASSERT_EQ(ob::notesFingerprint(v), ob::notesFingerprintByReparse(v)) << ob::writeJson(v);
  }
}

TEST(ReadAudition, DemoPatternComesBackExactly) {
  auto original = demo();
  const ob::JsonValue doc = parse(ob::dumpJson(ob::writeAudition(*original, original->samples)));
  auto loaded = emptyGrooveLike(*original);
  ob::Diagnostics d;
  ob::readAudition(doc, *loaded, loaded->samples, d, "/audition");
  EXPECT_TRUE(d.empty()) << ob::joinDiagnosticMessages(d);
  expectSameGroove(*original, *loaded);

  // Everything a step holds, on a pattern with odd lengths and rates.
  auto busy = demo();
  ob::Pattern& pat = busy->patterns[0];
  pat.length = 12;
  pat.seed = 0xfeedfacecafebeefull;
  pat.tracks[1].length = 5;
  pat.tracks[3].rate = 4;
  ob::Step& s = pat.tracks[1].steps[3];
  s.active = 1;
  s.muted = 1;
  s.slide = 1;
  s.note = 40;
  s.velocity = 0;
  s.micro = -17;
  s.lengthTicks = 1536;
  s.count = 32;
  s.rateTicks = 192;
  s.velCurve = -128;
  s.randVel = 0.25f;
  s.randTime = 0.1f;
  s.randPan = 1.0f;
  s.panLocked = 1;
  s.panValue = -0.3f;
  const char* keys[] = {"res_tune", "exc1_tone", "exc1_decay", "level",
                        "bleed",    "res_decay", "res_tone",   "exc1_level"};
  for (const char* k : keys) ob::setStepLock(s, ob::findParamIndex(ob::kMachineDrum, k), 0.3f);
  for (int i = 0; i < 8; ++i) {
    s.rands[i] = {static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, keys[i])), 0.01f * (i + 1)};
  }
  s.randCount = 8;
  const ob::JsonValue busyDoc = parse(ob::dumpJson(ob::writeAudition(*busy, busy->samples)));
  auto again = emptyGrooveLike(*busy);
  ob::Diagnostics d2;
  ob::readAudition(busyDoc, *again, again->samples, d2, "/audition");
  EXPECT_TRUE(d2.empty()) << ob::joinDiagnosticMessages(d2);
  expectSameGroove(*busy, *again);
}

TEST(ReadAudition, EditedNotesArePlacedInstead) {
  auto original = demo();
  ob::JsonValue doc = parse(ob::dumpJson(ob::writeAudition(*original, original->samples)));
  ob::JsonValue& first = doc.find("notes")->elements[0];
  first.find("vel")->number = 0.5;
  first.find("vel")->numberText = "0.5";
  auto loaded = emptyGrooveLike(*original);
  ob::Diagnostics d;
  ob::readAudition(doc, *loaded, loaded->samples, d, "/audition");
  ASSERT_TRUE(hasCode(d, "audition-notes-edited", "/audition/notes")) << ob::joinDiagnosticMessages(d);
  const ob::Pattern& pat = loaded->patterns[0];
  EXPECT_EQ(pat.grooveEdited, 1);
  EXPECT_EQ(pat.accentAmount, 0.0f);
  EXPECT_EQ(pat.swing, 56.0f);
  EXPECT_EQ(pat.bpm, 124.0f);
  // The first note is the kick on step 0; the edited velocity lands there.
  EXPECT_EQ(pat.tracks[0].steps[0].velocity, 64);
  EXPECT_TRUE(pat.tracks[1].steps[12].active);
  // Retrig hits after the first cannot come back: they hold no step.
  EXPECT_TRUE(hasCode(d, "audition-note-not-placed"));

  // Re-spelling a number keeps the fingerprint: the grid is still trusted.
  ob::JsonValue respelt = parse(ob::dumpJson(ob::writeAudition(*original, original->samples)));
  ob::JsonValue* at = respelt.find("notes")->elements[1].find("at");
  at->numberText = std::to_string(at->number);
  auto trusted = emptyGrooveLike(*original);
  ob::Diagnostics d2;
  ob::readAudition(respelt, *trusted, trusted->samples, d2, "/audition");
  EXPECT_TRUE(d2.empty()) << ob::joinDiagnosticMessages(d2);
  expectSameGroove(*original, *trusted);
}

TEST(ReadAudition, MissingOrOddGroove) {
  auto original = demo();
  ob::JsonValue doc = ob::writeAudition(*original, original->samples);

  // No groove at all: the notes are placed without the "edited" note.
  ob::JsonValue bare = doc;
  bare.find("ext")->members.clear();
  auto a = emptyGrooveLike(*original);
  ob::Diagnostics d;
  ob::readAudition(bare, *a, a->samples, d, "/audition");
  EXPECT_FALSE(hasCode(d, "audition-notes-edited"));
  EXPECT_TRUE(a->patterns[0].tracks[0].steps[4].active);

  // A groove that is a string: placed, with the note.
  ob::JsonValue stringy = doc;
  stringy.find("ext")->set(kGrooveKey, ob::makeJsonString("x"));
  auto b = emptyGrooveLike(*original);
  ob::Diagnostics d2;
  ob::readAudition(stringy, *b, b->samples, d2, "/audition");
  EXPECT_TRUE(hasCode(d2, "audition-notes-edited"));

  // Not a clip at all.
  auto c = emptyGrooveLike(*original);
  ob::Diagnostics d3;
  ob::readAudition(parse(R"({"kind":"song"})"), *c, c->samples, d3, "/audition");
  ASSERT_EQ(d3.size(), 1u);
  EXPECT_EQ(d3[0].code, "audition-unreadable");
  EXPECT_EQ(d3[0].path, "/audition");
  EXPECT_EQ(d3[0].severity, ob::Severity::Warning);
}

TEST(ReadAudition, SeedAndTempo) {
  auto p = demo();
  auto loaded = emptyGrooveLike(*p);
  ob::Diagnostics d;
  ob::readAudition(parse(R"({"kind":"clip","spec":"1.0","tempo":[{"at":0,"bpm":0},{"at":0,"bpm":90}],)"
                         R"("seed":"5A17C3E9D04B88F1","notes":[]})"),
                   *loaded, loaded->samples, d, "/audition");
  EXPECT_EQ(loaded->patterns[0].bpm, 90.0f);
  EXPECT_EQ(loaded->patterns[0].seed, 0u);
  ob::readAudition(parse(R"({"kind":"clip","spec":"1.0","tempo":[{"at":0,"bpm":1e300}],)"
                         R"("seed":"00000000000000ff","notes":[]})"),
                   *loaded, loaded->samples, d, "/audition");
  EXPECT_EQ(loaded->patterns[0].bpm, 999.0f);
  EXPECT_EQ(loaded->patterns[0].seed, 255u);
  // Without a tempo the pattern has the one a fresh project has, whatever
  // it held before: what an audition gives depends on it alone.
  ob::readAudition(parse(R"({"kind":"clip","spec":"1.0","notes":[]})"), *loaded, loaded->samples, d,
                   "/audition");
  EXPECT_EQ(loaded->patterns[0].bpm, ob::kDefaultTempo);
  EXPECT_EQ(loaded->patterns[0].seed, 0u);
}

// A groove read straight into the demo's kit.
ob::Diagnostics readGrooveText(ob::Project& p, const std::string& text) {
  ob::Diagnostics d;
  ob::readGroove(parse(text), p, p.samples, d, kGroovePath);
  return d;
}

TEST(ReadGroove, PatternMembersAndDefaults) {
  auto p = demo();
  p->patterns[0].accentEvery = 3;
  p->patterns[0].accentCurve = 0.25f;
  ob::Diagnostics d = readGrooveText(*p, R"({"length":30,"edited":1,"voices":{}})");
  EXPECT_TRUE(d.empty());
  const ob::Pattern& pat = p->patterns[0];
  EXPECT_EQ(pat.length, 16);
  EXPECT_EQ(pat.swing, 50.0f);
  EXPECT_EQ(pat.grooveEdited, 0);
  EXPECT_EQ(pat.accentAmount, 0.0f);
  EXPECT_EQ(pat.accentEvery, 3);  // no "accent": every and curve stay
  EXPECT_EQ(pat.accentCurve, 0.25f);
  EXPECT_EQ(ob::countSetSteps(pat), 0);

  readGrooveText(*p, R"({"length":2.5,"swing":200,"edited":true,"accent":{"amount":3,"every":40}})");
  EXPECT_EQ(pat.length, 3);
  EXPECT_EQ(pat.swing, 80.0f);
  EXPECT_EQ(pat.grooveEdited, 1);
  EXPECT_EQ(pat.accentAmount, 1.0f);
  EXPECT_EQ(pat.accentEvery, 16);
  EXPECT_EQ(pat.accentCurve, 0.5f);
}

TEST(ReadGroove, VoicesAndStepKeys) {
  auto p = demo();
  const std::string kick = p->patterns[0].tracks[0].id;
  ob::Diagnostics d = readGrooveText(
      *p, R"({"voices":{"nobody":{"steps":{"0":{}}},")" + kick +
              R"(":{"length":7,"steps":{"16":{},"x":{},"3a":{},"7":5," +2":{},"-0":{},"15 ":{}}}}})");
  const ob::Track& track = p->patterns[0].tracks[0];
  EXPECT_EQ(track.length, 7);
  EXPECT_TRUE(track.steps[2].active);
  EXPECT_TRUE(track.steps[0].active);
  EXPECT_FALSE(track.steps[15].active);
  EXPECT_FALSE(track.steps[7].active);
  ASSERT_TRUE(hasCode(d, "unknown-voice", kGroovePath + "/voices/nobody"));
  EXPECT_EQ(d[0].message, "No voice nobody in this kit; its steps are kept but not played");
  int unreadable = 0;
  for (const ob::Diagnostic& x : d)
    if (x.code == "audition-step-unreadable") {
      ++unreadable;
      EXPECT_EQ(x.message, "Not a step of the grid; kept but not played");
    }
  EXPECT_EQ(unreadable, 5);
  EXPECT_TRUE(hasCode(d, "audition-step-unreadable", kGroovePath + "/voices/" + kick + "/steps/3a"));
}

TEST(ReadGroove, StepFieldsStayInTheirRanges) {
  auto p = demo();
  const ob::Sound& sound = p->patterns[0].kit.sounds[0];
  ob::Step step;
  ob::Diagnostics d;
  ob::readStep(parse(R"({})"), step, sound, p->samples, d, "/s");
  EXPECT_TRUE(step.active);
  EXPECT_EQ(step.velocity, 100);
  EXPECT_EQ(step.note, 60);
  EXPECT_EQ(step.lengthTicks, 1);

  ob::readStep(parse(R"({"velocity":300,"note":-4,"micro":-100,"length":70000,"muted":1,"slide":true,)"
                     R"("randVel":2,"randTime":-1,"randPan":0.5,"pan":-7,)"
                     R"("retrig":{"count":255,"rate":65535,"curve":-300}})"),
               step, sound, p->samples, d, "/s");
  EXPECT_EQ(step.velocity, 127);
  EXPECT_EQ(step.note, 0);
  EXPECT_EQ(step.micro, -64);
  EXPECT_EQ(step.lengthTicks, 1536);
  EXPECT_EQ(step.muted, 0);
  EXPECT_EQ(step.slide, 1);
  EXPECT_EQ(step.randVel, 1.0f);
  EXPECT_EQ(step.randTime, 0.0f);
  EXPECT_EQ(step.randPan, 0.5f);
  EXPECT_EQ(step.panLocked, 1);
  EXPECT_EQ(step.panValue, -1.0f);
  EXPECT_EQ(step.count, 32);
  EXPECT_EQ(step.rateTicks, 192);
  EXPECT_EQ(step.velCurve, -128);

  ob::readStep(parse(R"({"length":0,"velocity":99.5,"retrig":{"count":2}})"), step, sound, p->samples, d,
               "/s");
  EXPECT_EQ(step.lengthTicks, 1);
  EXPECT_EQ(step.velocity, 100);
  EXPECT_EQ(step.count, 2);
  EXPECT_EQ(step.rateTicks, 0);  // not set yet
  EXPECT_TRUE(d.empty()) << ob::joinDiagnosticMessages(d);
}

TEST(ReadGroove, LocksAndRands) {
  auto p = demo();
  const ob::Sound& sound = p->patterns[0].kit.sounds[0];
  ob::Step step;
  ob::Diagnostics d;
  ob::readStep(parse(R"({"locks":{"res_tune":1,"exc1_tone":0.1,"exc1_decay":0.1,"level":0.1,)"
                     R"("bleed":0.1,"res_decay":0.1,"res_tone":0.1,"exc1_level":0.1,)"
                     R"("res_level":0.1,"dist_amt":0.2,"nope":1,"exc1_type":"no-such-word","a/b":2},)"
                     R"("rands":{"res_tune":0.5,"zzz":1,"level":"x","bleed":-1}})"),
               step, sound, p->samples, d, "/s");
  EXPECT_EQ(step.lockCount, 8);  // the ninth and tenth good locks dropped quietly
  EXPECT_EQ(step.locks[0].param, ob::findParamIndex(ob::kMachineDrum, "res_tune"));
  EXPECT_EQ(step.randCount, 1);
  EXPECT_EQ(step.rands[0].value, 0.5f);
  ASSERT_EQ(d.size(), 5u) << ob::joinDiagnosticMessages(d);
  EXPECT_EQ(d[0].path, "/s/locks/nope");
  EXPECT_EQ(d[0].message, "Not a param or value this sound has; kept but not applied");
  EXPECT_EQ(d[1].path, "/s/locks/exc1_type");
  EXPECT_EQ(d[2].path, "/s/locks/a~1b");
  EXPECT_EQ(d[3].path, "/s/rands/zzz");
  EXPECT_EQ(d[3].message, "Not a param this sound has; kept but not applied");
  EXPECT_EQ(d[4].path, "/s/rands/level");
}

TEST(ReadGroove, WrittenGrooveReadsBack) {
  auto p = demo();
  p->patterns[0].tracks[2].length = 9;
  // A hit removed goes whole: nothing of it waits in the grid.
  ASSERT_TRUE(p->patterns[0].tracks[0].steps[0].active);
  ob::applyEditCommand(*p, {ob::kEditToggleStep, 0, 0});
  EXPECT_TRUE(p->patterns[0].tracks[0].steps[0] == ob::Step{});
  // A retrigger taken down to one hit keeps its rate; a pan not locked
  // plays nothing, no control reaches it, and no save holds it.
  ob::Step* unlocked = nullptr;
  for (ob::Step& step : p->patterns[0].tracks[1].steps) {
    if (!step.active || step.count > 0 || step.panLocked) continue;
    ob::setStepField(step, ob::kStepPanValue, -0.25f);
    ob::setStepField(step, ob::kStepRateTicks, 12.0f);
    unlocked = &step;
    break;
  }
  ASSERT_NE(unlocked, nullptr);
  const ob::JsonValue groove = ob::writeGroove(*p, p->samples);
  EXPECT_EQ(ob::writeJson(groove).find("Off"), std::string::npos) << ob::writeJson(groove);
  unlocked->panValue = 0.0f;
  EXPECT_EQ(groove.find("voices")->members[0].value.find("steps")->find("0"), nullptr);
  EXPECT_EQ(groove.members[0].key, "length");
  EXPECT_EQ(ob::writeJson(*groove.find("swing")), "56");
  EXPECT_EQ(ob::writeJson(*groove.find("accent")), R"({"amount":0.18,"every":4,"curve":0.6})");
  auto q = emptyGrooveLike(*p);
  q->patterns[0].bpm = p->patterns[0].bpm;
  q->patterns[0].seed = p->patterns[0].seed;
  ob::Diagnostics d;
  ob::readGroove(parse(ob::writeJson(groove)), *q, q->samples, d, kGroovePath);
  EXPECT_TRUE(d.empty());
  expectSameGroove(*p, *q);
}

}  // namespace audition_reader_test
