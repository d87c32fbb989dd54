// Voices (tracks with their modulators), division words and macros.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/instance/division_words.h"
#include "document/instance/instance_envelope.h"
#include "document/instance/macro_state.h"
#include "document/instance/voice_state.h"
#include "instance_rig.h"

namespace instance_voices_test {

using namespace ob;
using obtest::countCode;
using obtest::json;

// A project with one VA sound on track 0 (id "v") and a voiceless track 1.
std::unique_ptr<Project> twoTracks() {
  auto p = makeProject();
  Pattern& pat = p->patterns[0];
  initSoundParams(pat.kit.sounds[0], kMachineVa);
  copyText(pat.kit.sounds[0].id, "s");
  pat.numTracks = 2;
  pat.tracks[0].soundIndex = 0;
  copyText(pat.tracks[0].id, "v");
  copyText(pat.tracks[1].id, "w");
  return p;
}

Track readTrack(const std::string& voice, Diagnostics& d, std::uint8_t* mask = nullptr,
                std::uint8_t initialMask = 0) {
  auto p = twoTracks();
  p->patterns[0].muteMask = initialMask;
  readVoice(json(voice), *p, 0, d, "/state/voices/v");
  if (mask != nullptr) *mask = p->patterns[0].muteMask;
  return p->patterns[0].tracks[0];
}

TEST(InstanceVoices, BareVoiceGetsDefaultsAndWritesGainAndPan) {
  Diagnostics d;
  Track t = readTrack(R"({"order":0,"sound":"s"})", d);
  EXPECT_EQ(t.gain, 1.0f);
  EXPECT_EQ(t.pan, 0.0f);
  EXPECT_EQ(t.rate, 1);
  EXPECT_EQ(t.swing, -1.0f);
  EXPECT_EQ(t.chokeGroup, kNoChokeGroup);
  EXPECT_EQ(t.lfos[0].enabled + t.lfos[1].enabled + t.modEnvs[0].enabled + t.modEnvs[1].enabled, 0);
  EXPECT_EQ(t.trackRandCount, 0);
  EXPECT_TRUE(d.empty());
  auto p = twoTracks();
  EXPECT_EQ(writeJson(writeVoice(*p, 0)), R"({"order":0,"sound":"s","gain":1,"pan":0})");
  EXPECT_EQ(writeJson(writeVoice(*p, 1)), R"({"order":1,"gain":1,"pan":0})");
}

TEST(InstanceVoices, WordsNumbersAndLimits) {
  Diagnostics d;
  EXPECT_EQ(readTrack(R"({"rate":"1-12"})", d).rate, 1);
  EXPECT_EQ(readTrack(R"({"rate":2})", d).rate, 1);
  EXPECT_EQ(readTrack(R"({"rate":"1-32t"})", d).rate, 5);
  EXPECT_EQ(readTrack(R"({"choke":7})", d).chokeGroup, 7);
  EXPECT_EQ(readTrack(R"({"choke":-0.5})", d).chokeGroup, kNoChokeGroup);
  EXPECT_EQ(readTrack(R"({"choke":8})", d).chokeGroup, kNoChokeGroup);
  EXPECT_EQ(readTrack(R"({"choke":7.9})", d).chokeGroup, kNoChokeGroup);
  EXPECT_EQ(readTrack(R"({"choke":3.99})", d).chokeGroup, 3);
  EXPECT_EQ(readTrack(R"({"choke":"2"})", d).chokeGroup, kNoChokeGroup);
  EXPECT_EQ(readTrack(R"({"gain":"loud","pan":-0.5,"swing":0.3,"chromatic":1})", d).gain, 1.0f);
  Track t = readTrack(R"({"gain":2.5,"pan":-0.5,"swing":0.3,"chromatic":true})", d);
  EXPECT_EQ(t.gain, 2.5f);  // not clamped here
  EXPECT_EQ(t.pan, -0.5f);
  EXPECT_EQ(t.swing, 0.3f);
  EXPECT_EQ(t.chromatic, 1);
  EXPECT_EQ(readTrack(R"({"chromatic":1})", d).chromatic, 0);
  EXPECT_TRUE(d.empty());

  std::uint8_t mask = 0;
  readTrack(R"({"muted":false})", d, &mask, 0x01);
  EXPECT_EQ(mask, 0x01);
  readTrack(R"({"muted":true})", d, &mask, 0x04);
  EXPECT_EQ(mask, 0x05);
  readTrack(R"({"muted":1})", d, &mask, 0);
  EXPECT_EQ(mask, 0);
}

TEST(InstanceVoices, Divisions) {
  const char* words[] = {"1-32", "1-16t", "1-16", "1-16d", "1-8t", "1-8", "1-8d", "1-4", "1-2", "1-1"};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(writeDivision(i).text, words[i]);
    JsonValue w = makeJsonString(words[i]);
    EXPECT_EQ(readDivision(&w, 5), i);
  }
  EXPECT_EQ(writeDivision(-3).text, "1-32");
  EXPECT_EQ(writeDivision(42).text, "1-1");
  const std::pair<const char*, int> cases[] = {{"12.6", 9},    {"-3", 0},   {"2.5", 3}, {"-0.5", 0},
                                               {"\"1-3\"", 4}, {"true", 4}, {"null", 4}};
  for (auto [text, want] : cases) {
    JsonValue v = json(text);
    EXPECT_EQ(readDivision(&v, 4), want) << text;
  }
  EXPECT_EQ(readDivision(nullptr, 6), 6);
}

TEST(InstanceVoices, LfosAndEnvelopes) {
  Diagnostics d;
  Track t = readTrack(
      R"({"lfos":{"lfo1":{"dest":"nope","rate":3},"lfo2":{"dest":"cutoff","rate":3,"shape":"square",)"
      R"("depth":-0.5,"trig":"one","sync":true,"division":"1-4"}},)"
      R"("modEnvs":{"env1":{"rate":1},"env2":{"dest":"reso","attack":0.1,"hold":0.2,"decay":0.3,)"
      R"("depth":0.4,"sync":true,"attackDivision":1,"decayDivision":"1-2"}}})",
      d);
  EXPECT_EQ(t.lfos[0].enabled, 0);
  EXPECT_EQ(t.lfos[0].rate, 1.0f);
  const Lfo& l = t.lfos[1];
  EXPECT_EQ(l.enabled, 1);
  EXPECT_EQ(l.dest, findParamIndex(kMachineVa, "cutoff"));
  EXPECT_EQ(l.rate, 3.0f);
  EXPECT_EQ(l.shape, 4);
  EXPECT_EQ(l.depth, -0.5f);
  EXPECT_EQ(l.trig, 3);
  EXPECT_EQ(l.sync, 1);
  EXPECT_EQ(l.rateDiv, 7);
  EXPECT_EQ(t.modEnvs[0].enabled, 0);
  const ModEnv& e = t.modEnvs[1];
  EXPECT_EQ(e.enabled, 1);
  EXPECT_EQ(e.attack, 0.1f);
  EXPECT_EQ(e.hold, 0.2f);
  EXPECT_EQ(e.decay, 0.3f);
  EXPECT_EQ(e.depth, 0.4f);
  EXPECT_EQ(e.atkDiv, 1);
  EXPECT_EQ(e.decDiv, 8);
  EXPECT_EQ(countCode(d, "unknown-param", "/state/voices/v/lfos/lfo1/dest"), 1);
  EXPECT_EQ(countCode(d, "unknown-param", "/state/voices/v/modEnvs/env1/dest"), 1);
  EXPECT_EQ(d.size(), 2u);
  EXPECT_EQ(d[0].message, "Not a param of this voice's sound; kept but not applied");

  // A voice without a sound reads modulators against the drum machine.
  auto p = twoTracks();
  Diagnostics d2;
  readVoice(json(R"({"lfos":{"lfo1":{"dest":"res_tune","shape":"bogus","trig":5}}})"), *p, 1, d2, "/x");
  EXPECT_TRUE(d2.empty());
  EXPECT_EQ(p->patterns[0].tracks[1].lfos[0].dest, findParamIndex(kMachineDrum, "res_tune"));
  EXPECT_EQ(p->patterns[0].tracks[1].lfos[0].shape, 0);
  EXPECT_EQ(p->patterns[0].tracks[1].lfos[0].trig, 0);

  // Switched off, an LFO keeps its settings through a save and stays off; an
  // envelope, which no control switches, holds nothing a save keeps, and
  // one an earlier build saved is kept as read but not applied.
  auto set = twoTracks();
  Track& off = set->patterns[0].tracks[0];
  off.lfos[1].rate = 3.0f;
  off.lfos[1].dest = static_cast<std::uint8_t>(findParamIndex(kMachineVa, "cutoff"));
  off.modEnvs[0].decay = 1.5f;
  auto back = twoTracks();
  Diagnostics d3;
  // Nowhere a build that plays every modulator it reads would find them.
  EXPECT_TRUE(writeVoice(*set, 0).find("lfos") == nullptr && writeVoice(*set, 0).find("modEnvs") == nullptr);
  readVoice(writeVoice(*set, 0), *back, 0, d3, "/x");
  EXPECT_TRUE(d3.empty());
  const Track& read = back->patterns[0].tracks[0];
  EXPECT_TRUE(read.lfos[0] == Lfo{} && read.lfos[1] == off.lfos[1]);
  EXPECT_TRUE(read.modEnvs[0] == ModEnv{} && read.modEnvs[1] == ModEnv{});
  Diagnostics d4;
  readVoice(json(R"({"modEnvsOff":{"env1":{"dest":"tune","decay":1.5}}})"), *back, 0, d4, "/x");
  EXPECT_TRUE(back->patterns[0].tracks[0].modEnvs[0] == ModEnv{});
  EXPECT_EQ(countCode(d4, "modulator-off-unread", "/x/modEnvsOff"), 1);
  // Off and aimed, with nothing else of its own, an LFO holds nothing.
  readVoice(json(R"({"lfosOff":{"lfo1":{"dest":"cutoff","depth":0,"trig":"free"}}})"), *back, 0, d4, "/x");
  EXPECT_TRUE(back->patterns[0].tracks[0].lfos[0] == Lfo{});
}

TEST(InstanceVoices, SyncDecidesTheDivisionMembers) {
  auto p = twoTracks();
  Track& t = p->patterns[0].tracks[0];
  t.lfos[0].enabled = 1;
  t.lfos[0].dest = 0;
  t.lfos[0].rateDiv = 9;
  t.modEnvs[0].enabled = 1;
  t.modEnvs[0].atkDiv = 0;
  EXPECT_EQ(writeJson(*writeVoice(*p, 0).find("lfos")),
            R"({"lfo1":{"dest":"tune","rate":1,"shape":"sine","depth":0,"trig":"free"}})");
  EXPECT_EQ(writeJson(*writeVoice(*p, 0).find("modEnvs")),
            R"({"env1":{"dest":"tune","attack":0,"hold":0,"decay":0.2,"depth":0}})");
  t.lfos[0].sync = 1;
  t.modEnvs[0].sync = 1;
  JsonValue w = writeVoice(*p, 0);
  EXPECT_EQ(writeJson(*w.find("lfos")->find("lfo1")->find("division")), R"("1-1")");
  EXPECT_EQ(writeJson(*w.find("modEnvs")->find("env1")->find("attackDivision")), R"("1-32")");
  EXPECT_EQ(writeJson(*w.find("modEnvs")->find("env1")->find("decayDivision")), R"("1-8")");
  EXPECT_EQ(writeJson(*w.find("lfos")->find("lfo1")->find("sync")), "true");
}

TEST(InstanceVoices, BreatheList) {
  const char* keys[] = {"tune",      "detune", "cutoff", "reso",  "env_amt",
                        "pitch_env", "attack", "decay",  "level", "gain"};
  std::string b = R"("nope":1,"wave1":"x")";
  for (const char* k : keys) b += std::string(",\"") + k + "\":0.1";
  Diagnostics d;
  Track t = readTrack(R"({"breathe":{)" + b + "}}", d);
  EXPECT_EQ(t.trackRandCount, 8);
  EXPECT_EQ(t.trackRands[0].param, findParamIndex(kMachineVa, "tune"));
  EXPECT_EQ(t.trackRands[7].param, findParamIndex(kMachineVa, "decay"));
  // Only the unknown key is reported (a non-number value is dropped
  // silently, and so are entries past eight unless the key is unknown).
  EXPECT_EQ(countCode(d, "unknown-param", "/state/voices/v/breathe/nope"), 1);
  EXPECT_EQ(countCode(d, "unknown-param", "/state/voices/v/breathe/gain"), 1);
  EXPECT_EQ(d.size(), 2u);
  auto p = twoTracks();
  p->patterns[0].tracks[0] = t;
  EXPECT_EQ(writeVoice(*p, 0).find("breathe")->members.size(), 8u);
}

TEST(InstanceVoices, EveryWrittenMemberInOrder) {
  auto p = twoTracks();
  Pattern& pat = p->patterns[0];
  Track& t = pat.tracks[0];
  t.chromatic = 1;
  t.rate = 7;  // no word: written as the default word
  t.swing = 0.0f;
  t.chokeGroup = 0;
  pat.muteMask = 1;
  t.lfos[1].enabled = 1;
  t.modEnvs[1].enabled = 1;
  t.trackRandCount = 1;
  JsonValue w = writeVoice(*p, 0);
  std::string keys;
  for (const JsonMember& m : w.members) keys += m.key + ",";
  EXPECT_EQ(keys, "order,sound,gain,pan,chromatic,rate,swing,choke,muted,lfos,modEnvs,breathe,");
  EXPECT_EQ(writeJson(*w.find("rate")), R"("1-16")");
  EXPECT_EQ(writeJson(*w.find("choke")), "0");
  EXPECT_EQ(w.find("lfos")->members[0].key, "lfo2");
  EXPECT_EQ(w.find("modEnvs")->members[0].key, "env2");
}

TEST(InstanceMacros, PositionsNamesAndDestinations) {
  auto p = twoTracks();
  Diagnostics d;
  const JsonValue doc =
      json(R"({"kind":"instance","plugin":"orbitrane","params":{"macro2":0.25,"macro3":"x","macro4":7},)"
           R"("state":{"macros":{"macro1":{"name":"a-macro-name-thirty-bytes-long","dests":{)"
           R"("one":{"voice":"v","param":"mode","target":"hp"},)"
           R"("two":{"voice":"w","param":"tune","target":1},)"
           R"("three":{"voice":"zz","param":"tune","target":1},)"
           R"("four":{"voice":"v","param":"nope","target":1},)"
           R"("five":{"voice":"v","param":"tune"},)"
           R"("six":{"voice":"v","param":"wave1","target":"nope"},)"
           R"("a/b":5}},"macro2":[],"macro3":{"dests":[],)"
           R"("destsOff":{"v:tune":{"voice":"v","param":"tune","target":100}}}}}})");
  std::optional<InstanceEnvelope> env = readInstanceEnvelope(doc, d);
  ASSERT_TRUE(env.has_value());
  readStateMacros(*env, *p, p->samples, d);
  const Kit& kit = p->patterns[0].kit;
  EXPECT_EQ(kit.macros[1].value, 0.25f);
  EXPECT_EQ(kit.macros[2].value, 0.0f);
  EXPECT_EQ(kit.macros[3].value, 7.0f);  // not clamped here
  EXPECT_STREQ(kit.macros[0].name, "a-macro-name-thirty-byt");
  ASSERT_EQ(kit.macros[0].destCount, 1);
  const MacroDest& dest = kit.macros[0].dests[0];
  EXPECT_EQ(dest.track, 0);
  EXPECT_EQ(dest.param, findParamIndex(kMachineVa, "mode"));
  ParamInfo mode = paramInfo(kMachineVa, dest.param);
  int hp = -1;
  for (unsigned i = 0; i < mode.labelCount; ++i)
    if (std::string(mode.keys[i]) == "hp") hp = static_cast<int>(i);
  if (hp >= 0) {
    EXPECT_EQ(dest.target, mode.min + static_cast<float>(hp));
  }
  for (const char* name : {"two", "three", "four", "five", "six", "a~1b"})
    EXPECT_EQ(countCode(d, "unknown-macro-dest", std::string("/state/macros/macro1/dests/") + name), 1)
        << name;
  EXPECT_EQ(obtest::findCode(d, "unknown-macro-dest")->message,
            "No such voice and param in this kit; kept but not applied");
  EXPECT_EQ(kit.macros[1].destCount + kit.macros[2].destCount, 0);
  EXPECT_EQ(countCode(d, "macro-dest-kept-off", "/state/macros/macro3/destsOff/v:tune"), 1);
  EXPECT_STREQ(kit.macros[2].name, "");
}

TEST(InstanceMacros, NinthDestinationRepeatsAndTracksBeyondTheCount) {
  auto p = twoTracks();
  p->patterns[0].numTracks = 1;
  std::string dests;
  for (int i = 0; i < 9; ++i) {
    dests += std::string(i ? "," : "") + "\"d" + std::to_string(i) + R"(":{"voice":"v","param":")" +
             paramInfo(kMachineVa, i).id + R"(","target":0})";
    // One repeating the first's voice and param, between the eighth and the ninth.
    if (i == 7)
      dests += R"(,"again":{"voice":"v","param":")" + std::string(paramInfo(kMachineVa, 0).id) +
               R"(","target":1})";
  }
  dests += R"(,"late":{"voice":"w","param":"tune","target":0})";
  Diagnostics d;
  const JsonValue doc =
      json(R"({"kind":"instance","plugin":"o","state":{"macros":{"macro4":{"dests":{)" + dests + "}}}}}");
  auto env = readInstanceEnvelope(doc, d);
  readStateMacros(*env, *p, p->samples, d);
  EXPECT_EQ(p->patterns[0].kit.macros[3].destCount, 8);
  EXPECT_EQ(countCode(d, "unknown-macro-dest", "/state/macros/macro4/dests/d8"), 1);
  EXPECT_EQ(countCode(d, "unknown-macro-dest", "/state/macros/macro4/dests/late"), 1);
  EXPECT_EQ(countCode(d, "macro-dest-duplicate", "/state/macros/macro4/dests/again"), 1);
  EXPECT_EQ(p->patterns[0].kit.macros[3].dests[0].target, 0.0f);
  // The ninth is refused for the macro's size, the late one for its voice,
  // the repeat as the one a save could not write beside the first.
  for (const Diagnostic& x : d) {
    SCOPED_TRACE(x.path);
    if (x.path.ends_with("/again")) {
      EXPECT_EQ(
          x.message,
          "Repeats an earlier destination of this macro on the same voice and param; kept but not applied");
    } else if (x.path.ends_with("/d8")) {
      EXPECT_EQ(x.message, "A macro holds at most eight destinations; kept but not applied");
    } else if (x.path.ends_with("/late")) {
      EXPECT_EQ(x.message, "No such voice and param in this kit; kept but not applied");
    }
  }
}

TEST(InstanceMacros, Writing) {
  auto p = twoTracks();
  Kit& kit = p->patterns[0].kit;
  EXPECT_TRUE(writeStateMacros(*p, p->samples).members.empty());
  Macro& m = kit.macros[1];
  m.destCount = 3;
  m.dests[0] = {0, 0, 0.5f};
  m.dests[1] = {1, 0, 0.5f};   // voiceless track: skipped
  m.dests[2] = {0, 0, 0.75f};  // same voice and param: replaces in place
  copyText(kit.macros[3].name, "Named");
  JsonValue w = writeStateMacros(*p, p->samples);
  EXPECT_EQ(writeJson(w),
            R"({"macro2":{"name":"","dests":{"v:tune":{"voice":"v","param":"tune","target":0.75}}},)"
            R"("macro4":{"name":"Named"}})");
}

}  // namespace instance_voices_test
