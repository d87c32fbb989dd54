// Legacy project reader: lenient member reading, the three failures, and the
// model's ranges enforced on whatever a hand-edited file holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "document/legacy/legacy_reader.h"
#include "engine/model/project_ids.h"
#include "engine/params/param_tables.h"

namespace legacy_reader_test {

std::unique_ptr<ob::Project> read(const std::string& text, std::string* error = nullptr,
                                  ob::Diagnostics* diags = nullptr) {
  auto p = ob::makeProject();
  std::string local;
  const bool ok = ob::readLegacyProject(text, *p, error ? error : &local, diags);
  EXPECT_TRUE(ok) << (error ? *error : local) << "\n" << text;
  return p;
}

std::string readFails(const std::string& text) {
  auto p = ob::makeProject();
  std::string error = "untouched";
  EXPECT_FALSE(ob::readLegacyProject(text, *p, &error, nullptr)) << text;
  return error;
}

// One-pattern document around a kit and a track list.
std::string doc(const std::string& kit, const std::string& tracks, const std::string& extra = "") {
  return R"({"patterns":[{"numTracks":1,"kit":)" + kit + R"(,"tracks":)" + tracks + extra + "}]}";
}

TEST(LegacyReader, EmptyObjectIsDefaultProjectWithoutNotes) {
  ob::Diagnostics d;
  auto p = read("{}", nullptr, &d);
  EXPECT_TRUE(d.empty());
  auto fresh = ob::makeProject();
  EXPECT_EQ(0, std::memcmp(p.get(), fresh.get(), sizeof(ob::Project)));
}

TEST(LegacyReader, WholeDocumentFailures) {
  EXPECT_EQ("root is not an object", readFails("[]"));
  EXPECT_NE("untouched", readFails(""));
  EXPECT_FALSE(readFails("").empty());
  EXPECT_NE("untouched", readFails("{\"name\": }"));
  const std::string e =
      readFails(R"({"patterns":[{"kit":{"sounds":[{},{"name":"Chop","machine":"slice"}]}}]})");
  EXPECT_EQ(0u, e.rfind("pattern 0: sound 1 (\"Chop\") uses unknown machine \"slice\": ", 0)) << e;
  EXPECT_NE(std::string::npos, e.find("window_mode")) << e;
  EXPECT_EQ("pattern 0: sound 0 (\"\") uses unknown machine \"fmx\"",
            readFails(R"({"patterns":[{"kit":{"sounds":[{"machine":"fmx"}]}}]})"));
}

TEST(LegacyReader, ProjectMembersAndFirstPatternOnly) {
  auto p = read(R"({"name":"Song","version":3,"author":"Me","patterns":[
        {"name":"A","bpm":98.5,"swing":61,"length":12},{"name":"B"},{"name":"C"}]})");
  EXPECT_STREQ("Song", p->name);
  EXPECT_EQ(3, p->version);
  EXPECT_STREQ("Me", p->author);
  EXPECT_EQ(1, p->patternCount);
  const ob::Pattern& pat = p->patterns[0];
  EXPECT_STREQ("A", pat.name);
  EXPECT_FLOAT_EQ(98.5f, pat.bpm);
  EXPECT_FLOAT_EQ(61.0f, pat.swing);
  EXPECT_EQ(12, pat.length);
  EXPECT_EQ(0u, p->seed);
}

TEST(LegacyReader, GrooveEditedCountsOnlyNumbers) {
  EXPECT_EQ(0, read(R"({"patterns":[{"grooveEdited":true}]})")->patterns[0].grooveEdited);
  EXPECT_EQ(1, read(R"({"patterns":[{"grooveEdited":0.6}]})")->patterns[0].grooveEdited);
  EXPECT_EQ(0, read(R"({"patterns":[{"grooveEdited":0.5}]})")->patterns[0].grooveEdited);
  EXPECT_EQ(
      1, read(R"({"patterns":[{"numTracks":1,"tracks":[{"steps":[{"i":2}]}]}]})")->patterns[0].grooveEdited);
  EXPECT_EQ(0, read(R"({"patterns":[{"numTracks":1,"tracks":[{"steps":[]}]}]})")->patterns[0].grooveEdited);
}

TEST(LegacyReader, SoundParamsLayersAndVelocityRoutes) {
  auto p = read(doc(R"({"sounds":[{"id":"s-k","name":"K","params":{"res_tune":35.5,"nope":1,"exc1_type":"x"},
        "layers":{"zones":[{"slot":4},{"slot":5,"velMax":90}]},
        "velDests":[{"param":"res_tune","depth":0.5},{"param":"bogus","depth":1}]},
        {"machine":"sample","layers":{"mode":"velrr","zones":[{"slot":1}]}},
        {"machine":"sample","layers":{"mode":"roundrobin","zones":[]}}]})",
                    R"([{"soundIndex":0}])"));
  const ob::Kit& kit = p->patterns[0].kit;
  const ob::Sound& s = kit.sounds[0];
  EXPECT_EQ(ob::kMachineDrum, s.machine);
  EXPECT_STREQ("K", s.name);
  const int tune = ob::findParamIndex(ob::kMachineDrum, "res_tune");
  ASSERT_GE(tune, 0);
  EXPECT_FLOAT_EQ(35.5f, s.params[tune]);
  const int exc = ob::findParamIndex(ob::kMachineDrum, "exc1_type");
  ASSERT_GE(exc, 0);
  EXPECT_FLOAT_EQ(ob::paramInfo(ob::kMachineDrum, exc).min, s.params[exc]);  // string reads as 0, then pinned
  // Parameters the document does not name keep the machine's defaults.
  const int cutoff = ob::findParamIndex(ob::kMachineDrum, "flt_cutoff");
  ASSERT_GE(cutoff, 0);
  EXPECT_FLOAT_EQ(ob::paramInfo(ob::kMachineDrum, cutoff).defaultValue, s.params[cutoff]);
  EXPECT_EQ(2, s.zoneCount);
  EXPECT_EQ(0, s.mode);
  EXPECT_EQ(4, s.slot[0]);
  EXPECT_EQ(127, s.velMax[0]);
  EXPECT_EQ(90, s.velMax[1]);
  EXPECT_EQ(1, s.velDestCount);
  EXPECT_EQ(tune, s.velDests[0].param);
  EXPECT_EQ(ob::kMachineSample, kit.sounds[1].machine);
  EXPECT_EQ(2, kit.sounds[1].mode);
  EXPECT_EQ(1, kit.sounds[1].zoneCount);
  EXPECT_EQ(1, kit.sounds[2].mode) << "a mode set before any zone is, as a state keeps it";
}

TEST(LegacyReader, StepsPlacedByIndexAndMergedLocks) {
  ob::Diagnostics d;
  auto p = read(doc("{}", R"([{"steps":[{"note":70},{"i":16},{"i":-1},
        {"i":3,"note":62,"locks":[{"param":"res_tune","value":1},{"param":"nope","value":2}]},
        {"i":3,"velocity":90,"slide":true,"locks":[{"param":"res_decay","value":0.25}],
         "retrig":{"count":3,"rateTicks":6,"velCurve":-20}},
        {"i":5,"panValue":0.5,"retrig":{"count":0,"rateTicks":12,"velCurve":40}}]}])"),
                nullptr, &d);
  const ob::Track& t = p->patterns[0].tracks[0];
  int active = 0;
  for (const ob::Step& s : t.steps) active += s.active;
  EXPECT_EQ(2, active);
  // A retrigger without repeats keeps its rate and curve, as a state does;
  // a pan without its lock plays nothing, reaches nothing and goes, said.
  EXPECT_TRUE(t.steps[5].rateTicks == 12 && t.steps[5].velCurve == 40 && t.steps[5].panValue == 0.0f);
  EXPECT_TRUE(std::any_of(d.begin(), d.end(), [](const ob::Diagnostic& x) {
    return x.code == "step-pan-dropped" && x.path == "/patterns/0/tracks";
  }));
  const ob::Step& s = t.steps[3];
  EXPECT_EQ(1, s.active);
  EXPECT_EQ(60, s.note);  // the later element's default wins
  EXPECT_EQ(90, s.velocity);
  EXPECT_EQ(1, s.slide);
  ASSERT_EQ(2, s.lockCount);
  EXPECT_EQ(ob::findParamIndex(ob::kMachineDrum, "res_tune"), s.locks[0].param);
  EXPECT_FLOAT_EQ(0.25f, s.locks[1].value);
  EXPECT_EQ(3, s.count);
  EXPECT_EQ(6, s.rateTicks);
  EXPECT_EQ(-20, s.velCurve);
}

TEST(LegacyReader, TrackModulatorsUseTheTrackMachine) {
  ob::Diagnostics d;
  auto p = read(doc(R"({"sounds":[{"machine":"va"}]})",
                    R"([{"soundIndex":0,"rate":2,"chromatic":true,"swing":60,"gain":0.5,"pan":-0.25,
        "lfos":[{"dest":"flt_cutoff","shape":"square","trig":"one","depth":0.5,"sync":true,"rateDiv":3},
                {"dest":"not_a_key","shape":"wobble"},{"dest":"flt_cutoff"}],
        "modEnvs":[{"dest":"amp_decay","decay":0.4}],
        "trackRands":[{"param":"flt_cutoff","depth":0.3},{"param":"res_tune","depth":0.3}]}])"),
                nullptr, &d);
  const ob::Track& t = p->patterns[0].tracks[0];
  EXPECT_EQ(2, t.rate);
  EXPECT_EQ(1, t.chromatic);
  EXPECT_FLOAT_EQ(60.0f, t.swing);
  const int cutoff = ob::findParamIndex(ob::kMachineVa, "flt_cutoff");
  EXPECT_EQ(1, t.lfos[0].enabled);
  EXPECT_EQ(cutoff, t.lfos[0].dest);
  EXPECT_EQ(4, t.lfos[0].shape);
  EXPECT_EQ(3, t.lfos[0].trig);
  EXPECT_EQ(3, t.lfos[0].rateDiv);
  // One aimed at a parameter the sound lacks goes, said, rather than move
  // whatever sits first.
  EXPECT_TRUE(t.lfos[1] == ob::Lfo{});
  EXPECT_NE(d.size(), 0u);
  EXPECT_EQ("modulator-dropped", d[d.size() - 1].code);
  EXPECT_EQ(1, t.modEnvs[0].enabled);
  EXPECT_EQ(0, t.modEnvs[1].enabled);
  EXPECT_FLOAT_EQ(0.4f, t.modEnvs[0].decay);
  EXPECT_EQ(1, t.trackRandCount);  // res_tune is a drum key, not a va key
}

// A destination repeating an earlier one's track and parameter is not
// applied, as a state load applies none, and said.
TEST(LegacyReader, MacroDestinationsLookUpTheirTrackMachine) {
  ob::Diagnostics d;
  auto p = read(doc(R"({"macros":[{"name":"M","value":0.5,"dests":[
        {"track":0,"param":"res_tune","target":1},{"track":9,"param":"res_tune"},
        {"param":"res_tune"},{"track":0,"param":"nope"},{"track":0,"param":"res_tune","target":3}]},
        {"name":"Second"}]})",
                    R"([{"soundIndex":-1}])"),
                nullptr, &d);
  const ob::Kit& kit = p->patterns[0].kit;
  EXPECT_STREQ("M", kit.macros[0].name);
  EXPECT_FLOAT_EQ(0.5f, kit.macros[0].value);
  ASSERT_EQ(1, kit.macros[0].destCount);
  EXPECT_EQ(0, kit.macros[0].dests[0].track);
  EXPECT_EQ(ob::findParamIndex(ob::kMachineDrum, "res_tune"), kit.macros[0].dests[0].param);
  EXPECT_EQ(1.0f, kit.macros[0].dests[0].target);
  EXPECT_EQ(1, std::count_if(d.begin(), d.end(), [](const ob::Diagnostic& x) {
              return x.code == "macro-dest-duplicate" && x.path == "/patterns/0/kit/macros";
            }));
  EXPECT_STREQ("Second", kit.macros[1].name);
}

TEST(LegacyReader, SampleTable) {
  std::string many = "[";
  for (int i = 0; i < 70; ++i) many += (i ? ",\"s" : "\"s") + std::to_string(i) + ".wav\"";
  many += "]";
  EXPECT_EQ(64, read("{\"samples\":" + many + "}")->samples.count);

  auto p =
      read(R"({"samples":["kick.wav",7,{"name":"Snare Top.wav","tags":["a",3],"slices":[0.5,"x"],"src":300},
        {"name":"h.wav","src":2}]})");
  const ob::SampleSlotTable& t = p->samples;
  ASSERT_EQ(4, t.count);
  EXPECT_STREQ("kick.wav", t.slots[0].name);
  EXPECT_EQ(0, t.slots[0].tagCount);
  EXPECT_STREQ("", t.slots[1].name);
  EXPECT_EQ(2, t.slots[2].tagCount);
  EXPECT_STREQ("", t.slots[2].tags[1]);
  EXPECT_EQ(2, t.slots[2].sliceCount);
  EXPECT_FLOAT_EQ(0.0f, t.slots[2].slices[1]);
  EXPECT_EQ(0, t.slots[2].src);
  EXPECT_EQ(2, t.slots[3].src);
  EXPECT_STREQ("", t.slots[3].id);
  EXPECT_STREQ("", t.slots[3].factory);
}

// Hand-edited values outside the model's ranges are pulled into them rather
// than wrapped, so nothing downstream indexes past an array.
TEST(LegacyReader, HostileValuesAreClamped) {
  auto p = read(R"({"patterns":[{"numTracks":200,"accentEvery":0,"accentAmount":7,"swing":5,"bpm":1e9,
        "kit":{"tagCount":99,"sounds":[{"layers":{"zones":[{"slot":300,"velMax":-5}]}}]},
        "tracks":[{"soundIndex":50,"length":0,"rate":9,"chokeGroup":-1,"pan":4,
          "lfos":[{"sync":true,"rateDiv":40,"rate":1e30}],"modEnvs":[{"sync":true,"atkDiv":12,"decay":-1}],
          "steps":[{"i":0,"note":300,"velocity":1000,"micro":-100,"lengthTicks":99999,
                    "retrig":{"count":99,"rateTicks":5000,"velCurve":-1000},"randVel":3,"panLocked":true,"panValue":-9}]},
          {"chokeGroup":12,"soundIndex":3}]}]})");
  const ob::Pattern& pat = p->patterns[0];
  EXPECT_EQ(8, pat.numTracks);
  EXPECT_EQ(1, pat.accentEvery);
  EXPECT_FLOAT_EQ(1.0f, pat.accentAmount);
  EXPECT_FLOAT_EQ(50.0f, pat.swing);
  EXPECT_FLOAT_EQ(999.0f, pat.bpm);
  EXPECT_EQ(63, pat.kit.sounds[0].slot[0]);
  EXPECT_EQ(0, pat.kit.sounds[0].velMax[0]);
  const ob::Track& t = pat.tracks[0];
  EXPECT_EQ(-1, t.soundIndex);
  EXPECT_EQ(1, t.length);
  EXPECT_EQ(5, t.rate);
  EXPECT_EQ(255, t.chokeGroup);
  EXPECT_FLOAT_EQ(1.0f, t.pan);
  EXPECT_EQ(9, t.lfos[0].rateDiv);
  EXPECT_FLOAT_EQ(50.0f, t.lfos[0].rate);
  EXPECT_EQ(9, t.modEnvs[0].atkDiv);
  EXPECT_FLOAT_EQ(0.0f, t.modEnvs[0].decay);
  const ob::Step& s = t.steps[0];
  EXPECT_EQ(127, s.note);
  EXPECT_EQ(127, s.velocity);
  EXPECT_EQ(-64, s.micro);
  EXPECT_EQ(1536, s.lengthTicks);
  EXPECT_EQ(32, s.count);
  EXPECT_EQ(192, s.rateTicks);
  EXPECT_EQ(-128, s.velCurve);
  EXPECT_FLOAT_EQ(1.0f, s.randVel);
  EXPECT_FLOAT_EQ(-1.0f, s.panValue);
  EXPECT_EQ(255, pat.tracks[1].chokeGroup);
  EXPECT_EQ(3, pat.tracks[1].soundIndex);
}

TEST(LegacyReader, IdsAssignedNote) {
  ob::Diagnostics d;
  auto p = read(doc(R"({"sounds":[{"name":"Kick"}]})", R"([{"soundIndex":0}])"), nullptr, &d);
  ASSERT_EQ(1u, d.size());
  EXPECT_EQ("ids-assigned-by-index", d[0].code);
  EXPECT_EQ(ob::Severity::Note, d[0].severity);
  EXPECT_EQ("/patterns/0", d[0].path);
  EXPECT_EQ("2 voice and sound ids were made from track order and names", d[0].message);
  EXPECT_STREQ("v-kick", p->patterns[0].tracks[0].id);
  EXPECT_STREQ("s-kick", p->patterns[0].kit.sounds[0].id);

  ob::Diagnostics none;
  read(doc(R"({"sounds":[{"id":"s-a","name":"Kick"}]})", R"([{"id":"v-a","soundIndex":0}])"), nullptr, &none);
  EXPECT_TRUE(none.empty());
}

TEST(LegacyReader, KitDocumentReplacesPatternOnlyOnSuccess) {
  ob::Pattern pattern;
  std::strcpy(pattern.name, "mine");
  pattern.numTracks = 3;
  const ob::Pattern before = pattern;
  std::string error;
  EXPECT_FALSE(ob::loadKitDocument("not json", pattern, &error, nullptr));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(0, std::memcmp(&before, &pattern, sizeof pattern));

  ASSERT_TRUE(ob::loadKitDocument(R"({"name":"proj","samples":["x.wav"],"patterns":[{"name":"Kit",
        "numTracks":1,"kit":{"name":"K","sounds":[{"name":"Snare"}]},"tracks":[{"soundIndex":0}]}]})",
                                  pattern, &error, nullptr));
  EXPECT_STREQ("Kit", pattern.name);
  EXPECT_STREQ("K", pattern.kit.name);
  EXPECT_EQ(1, pattern.numTracks);
  EXPECT_STREQ("v-snare", pattern.tracks[0].id);
}

}  // namespace legacy_reader_test
