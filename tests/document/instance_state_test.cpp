// Project to instance document and back: round trips, whole-document
// failures, top-level members, limits and the audition seam.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/instance/instance_state.h"
#include "document/package/package.h"
#include "instance_rig.h"

namespace instance_state_test {

using namespace ob;
using obtest::countCode;
using obtest::json;

std::unique_ptr<Project> fresh() { return makeProject(); }

// A minimal readable document; extra is spliced into "state".
std::string doc(const std::string& state, const std::string& top = "") {
  return R"({"kind":"instance","spec":"1.0","plugin":"orbitrane",)" + top + R"("state":{)" + state + "}}";
}

const std::string kOneVoice = R"("sounds":{"s":{"machine":"drum"}},"voices":{"v":{"sound":"s"}})";

struct Read {
  std::unique_ptr<Project> project = makeProject();
  std::vector<std::string> refs;
  Diagnostics diags;
  bool ok = false;
};

Read read(const JsonValue& document) {
  Read r;
  r.ok = readInstanceState(document, *r.project, r.refs, r.diags);
  return r;
}

Read read(const std::string& text) { return read(json(text)); }

TEST(InstanceState, DemoAndRichProjectsRoundTripExactly) {
  for (int variant = 0; variant < 2; ++variant) {
    auto original = fresh();
    if (variant == 0)
      buildDemoProject(*original);
    else
      obtest::buildRichProject(*original);
    std::vector<std::string> refs(original->samples.count, "");
    if (variant == 1) refs[0] = "factory:acoustic/ac_kick_p";
    JsonValue written = writeInstanceState(*original, refs, 0, "0.0.6", "");
    // Through text, as a save and a load would go.
    JsonValue reparsed = json(dumpJson(written));

    auto loaded = fresh();
    buildDemoProject(*loaded);  // something else to be replaced
    loaded->patterns[0].numTracks = 2;
    std::vector<std::string> readRefs;
    Diagnostics diags;
    ASSERT_TRUE(readInstanceState(reparsed, *loaded, readRefs, diags)) << obtest::listing(diags);
    EXPECT_EQ(obtest::errorCount(diags), 0) << obtest::listing(diags);

    // The factory reference is remembered in its slot; the rest is equal.
    if (variant == 1) {
      EXPECT_STREQ(loaded->samples.slots[0].factory, "ac_kick_p");
      EXPECT_EQ(readRefs, (std::vector<std::string>{"factory:acoustic/ac_kick_p", ""}));
      EXPECT_EQ(countCode(diags, "missing-asset", "/assets/smp-snare"), 1);
      std::memset(loaded->samples.slots[0].factory, 0, sizeof loaded->samples.slots[0].factory);
    }
    EXPECT_TRUE(obtest::sameBytes(*original, *loaded)) << "variant " << variant;

    // And the document it writes is the one it read.
    JsonValue again = writeInstanceState(*loaded, readRefs, 0, "0.0.6", "");
    EXPECT_EQ(dumpJson(again), dumpJson(written));
  }
}

TEST(InstanceState, KitOnlyRoundTripLeavesProjectFieldsOut) {
  auto original = fresh();
  obtest::buildRichProject(*original);
  JsonValue written = writeInstanceState(*original, {}, 1, "0.0.6", "");
  const JsonValue* state = written.find("state");
  ASSERT_NE(state, nullptr);
  EXPECT_EQ(state->find("project"), nullptr);
  EXPECT_EQ(state->find("sounds")->members.size(), 8u);
  ASSERT_NE(written.find("audition"), nullptr);  // some steps are active
  EXPECT_EQ(written.members.back().key, "audition");

  Read r = read(json(dumpJson(written)));
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  // Project name, author, part and version stay at the fresh defaults.
  EXPECT_STREQ(r.project->name, "");
  EXPECT_STREQ(r.project->author, "");
  EXPECT_STREQ(r.project->patterns[0].name, "");
  EXPECT_EQ(r.project->version, 1);
  Project& p = *r.project;
  std::memcpy(p.name, original->name, sizeof p.name);
  std::memcpy(p.author, original->author, sizeof p.author);
  std::memcpy(p.patterns[0].name, original->patterns[0].name, sizeof p.patterns[0].name);
  p.version = original->version;
  EXPECT_TRUE(obtest::sameBytes(*original, p));
}

TEST(InstanceState, TheAuditionClipComesLastWithItsExtension) {
  auto demo = fresh();
  buildDemoProject(*demo);
  JsonValue w = writeInstanceState(*demo, {}, 0, "0.0.6", "");
  ASSERT_NE(w.find("audition"), nullptr);
  EXPECT_NE(writeJson(*w.find("audition")).find("\"kind\":\"clip\""), std::string::npos);
  ASSERT_NE(w.find("extensions"), nullptr);
  EXPECT_EQ(writeJson(*w.find("extensions")), R"(["com.tessaline.audition/1"])");
  EXPECT_EQ(w.members.back().key, "audition");

  // Kit-only without an active step: neither the clip nor its extension.
  for (Track& t : demo->patterns[0].tracks)
    for (Step& s : t.steps) s.active = 0;
  JsonValue kit = writeInstanceState(*demo, {}, 1, "0.0.6", "");
  EXPECT_EQ(kit.find("audition"), nullptr);
  EXPECT_EQ(kit.find("extensions"), nullptr);
  // A full save always carries it.
  EXPECT_NE(writeInstanceState(*demo, {}, 0, "0.0.6", "").find("audition"), nullptr);

  // An audition that is not a clip is refused.
  Read r = read(doc(kOneVoice).substr(0, doc(kOneVoice).size() - 1) + R"(,"audition":[1]})");
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  EXPECT_EQ(countCode(r.diags, "bad-audition", "/audition"), 1);
}

TEST(InstanceState, WholeDocumentFailuresLeaveTheProjectUntouched) {
  struct Case {
    std::string text;
    const char* code;
    const char* path;
  };
  const Case cases[] = {
      {"[1,2]", "not-an-instance", ""},
      {R"({"kind":"clip","notes":[]})", "not-an-instance", ""},
      {R"({"kind":"instance","plugin":"other","state":{}})", "wrong-plugin", "/plugin"},
      {R"({"kind":"instance","state":{}})", "wrong-plugin", "/plugin"},
      {R"({"kind":"instance","plugin":"orbitrane","state":[]})", "state-unreadable", "/state"},
      {R"({"kind":"instance","plugin":"orbitrane"})", "state-unreadable", "/state"},
      {doc(R"("sounds":{})"), "no-voices", "/state/voices"},
      {doc(R"("voices":{"v":5})"), "no-voices", "/state/voices"},
  };
  for (const Case& c : cases) {
    auto project = fresh();
    obtest::buildRichProject(*project);
    auto before = fresh();
    *before = *project;
    std::vector<std::string> refs;
    Diagnostics diags;
    EXPECT_FALSE(readInstanceState(json(c.text), *project, refs, diags)) << c.text;
    const Diagnostic* d = obtest::findCode(diags, c.code);
    ASSERT_NE(d, nullptr) << c.text << "\n" << obtest::listing(diags);
    EXPECT_EQ(d->severity, Severity::Error);
    EXPECT_EQ(d->path, c.path);
    EXPECT_TRUE(obtest::sameBytes(*before, *project)) << c.text;
  }

  // Unreadable bytes never become a document: the package reader says so
  // and nothing reaches the project.
  Diagnostics diags;
  const std::string bad = "{\"kind\": ";
  auto pkg =
      readPackage(reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size(), "instance.json", diags);
  EXPECT_FALSE(pkg.has_value());
  EXPECT_EQ(countCode(diags, "document-unreadable"), 1);
}

TEST(InstanceState, FailureMessagesAndWarnings) {
  Read other = read(R"({"kind":"instance","plugin":"other","state":{}})");
  EXPECT_EQ(obtest::findCode(other.diags, "wrong-plugin")->message,
            "This document is for \"other\", not Orbitrane");
  Read missing = read(R"({"kind":"instance","state":{}})");
  EXPECT_EQ(countCode(missing.diags, "instance-without-plugin"), 1);
  EXPECT_EQ(obtest::findCode(missing.diags, "wrong-plugin")->message,
            "This document is for \"\", not Orbitrane");
  EXPECT_EQ(obtest::findCode(read("[]").diags, "not-an-instance")->message, "Not an instance document");

  Read newer = read(doc(kOneVoice, R"("formatVersion":2,)"));
  ASSERT_TRUE(newer.ok);
  const Diagnostic* d = obtest::findCode(newer.diags, "newer-format");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->severity, Severity::Warning);
  EXPECT_EQ(d->path, "/formatVersion");
  EXPECT_EQ(d->message, "Written by a newer Orbitrane (format 2); loading what this build knows");
  EXPECT_EQ(countCode(read(doc(kOneVoice, R"("formatVersion":1,)")).diags, "newer-format"), 0);
}

TEST(InstanceState, ProjectWithoutTracksLoadsAgain) {
  auto empty = fresh();
  JsonValue w = writeInstanceState(*empty, {}, 0, "0.0.6", "");
  EXPECT_TRUE(w.find("state")->find("voices")->isObject());
  Read r = read(json(dumpJson(w)));
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  EXPECT_EQ(r.project->patterns[0].numTracks, 0);
  EXPECT_TRUE(obtest::sameBytes(*empty, *r.project));
}

TEST(InstanceState, VoicesFollowOrderAndStopAtEight) {
  std::string voices;
  // Written out of order; "late" has no order, "b1" and "b2" share one.
  const char* entries[] = {
      R"("late":{"sound":"s"})",         R"("v7":{"order":7,"sound":"s"})", R"("b1":{"order":1,"sound":"s"})",
      R"("b2":{"order":1,"sound":"s"})", R"("v0":{"order":0,"sound":"s"})", R"("v3":{"order":3,"sound":"s"})",
      R"("v4":{"order":4,"sound":"s"})", R"("v5":{"order":5,"sound":"s"})", R"("v6":{"order":6})"};
  for (const char* e : entries) voices += std::string(voices.empty() ? "" : ",") + e;
  Read r = read(doc(R"("sounds":{"s":{"machine":"va"}},"voices":{)" + voices + "}"));
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  const Pattern& p = r.project->patterns[0];
  ASSERT_EQ(p.numTracks, 8);
  const char* expected[] = {"v0", "b1", "b2", "v3", "v4", "v5", "v6", "v7"};
  for (int t = 0; t < 8; ++t) EXPECT_STREQ(p.tracks[t].id, expected[t]);
  EXPECT_EQ(p.tracks[6].soundIndex, -1);  // no "sound": no sound
  EXPECT_EQ(p.tracks[0].soundIndex, 0);
  EXPECT_EQ(countCode(r.diags, "too-many-voices", "/state/voices/late"), 1);
  EXPECT_EQ(obtest::findCode(r.diags, "too-many-voices")->message,
            "A kit holds 8 voices; kept but not loaded");
}

TEST(InstanceState, VoiceSoundMustNameALoadedSound) {
  Read r = read(doc(R"("sounds":{"bad":{"machine":"tape"},"s":{"machine":"drum"}},)"
                    R"("voices":{"a":{"sound":0},"b":{"sound":"bad"},"c":{"sound":"s"},"d":5})"));
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  // A voice whose sound is unknown keeps its track's place, silent.
  const Pattern& p = r.project->patterns[0];
  ASSERT_EQ(p.numTracks, 3);
  const int sounds[] = {-1, -1, 0};
  for (int t = 0; t < 3; ++t) {
    EXPECT_STREQ(p.tracks[t].id, std::string(1, static_cast<char>('a' + t)).c_str());
    EXPECT_EQ(p.tracks[t].soundIndex, sounds[t]);
  }
  EXPECT_EQ(countCode(r.diags, "unknown-sound", "/state/voices/a/sound"), 1);
  EXPECT_EQ(countCode(r.diags, "unknown-sound", "/state/voices/b/sound"), 1);
  EXPECT_EQ(countCode(r.diags, "wrong-type", "/state/voices/d"), 1);
  EXPECT_EQ(obtest::findCode(r.diags, "wrong-type")->message, "Expected a voice; kept but not loaded");
  // An unknown machine is reported but does not fail the load.
  const Diagnostic* m = obtest::findCode(r.diags, "unknown-machine");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->severity, Severity::Warning);
  EXPECT_EQ(obtest::errorCount(r.diags), 0);
}

TEST(InstanceState, SoundsStopAtEightButFailedOnesTakeNoPlace) {
  std::string sounds = R"("old":{"machine":"fm"},"junk":3)";
  for (int i = 0; i < 9; ++i) sounds += ",\"s" + std::to_string(i) + R"(":{"machine":"drum"})";
  Read r = read(doc(R"("sounds":{)" + sounds + R"(},"voices":{"v":{"sound":"s7"}})"));
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  EXPECT_STREQ(r.project->patterns[0].kit.sounds[7].id, "s7");
  EXPECT_EQ(r.project->patterns[0].tracks[0].soundIndex, 7);
  EXPECT_EQ(countCode(r.diags, "too-many-sounds", "/state/sounds/s8"), 1);
  EXPECT_EQ(obtest::findCode(r.diags, "too-many-sounds")->message,
            "A kit holds 8 sounds; kept but not loaded");
  EXPECT_EQ(countCode(r.diags, "wrong-type", "/state/sounds/junk"), 1);
  EXPECT_EQ(obtest::findCode(r.diags, "wrong-type")->message, "Expected a sound; kept but not loaded");
}

TEST(InstanceState, MetaKitAndProjectMembers) {
  std::string tags;
  for (int i = 0; i < 10; ++i) tags += std::string(i ? "," : "") + "\"t" + std::to_string(i) + "\"";
  tags = R"(["a-very-long-tag-of-thirty-bytes",7,)" + tags + "]";
  const std::string meta = R"("meta":{"name":"Kit","author":5,"tags":)" + tags + "},";
  const std::string proj = R"(,"project":{"name":"P","author":"Me","part":"Intro","version":4})";
  const int versions[][2] = {{70000, 65535}, {-3, 0}};
  for (auto [in, out] : versions) {
    Read r = read(doc(kOneVoice + R"(,"kit":{"version":)" + std::to_string(in) + "}" + proj, meta));
    ASSERT_TRUE(r.ok);
    const Kit& kit = r.project->patterns[0].kit;
    EXPECT_EQ(kit.version, out);
    EXPECT_STREQ(kit.name, "Kit");
    EXPECT_STREQ(kit.author, "");
    ASSERT_EQ(kit.tagCount, 8);
    EXPECT_STREQ(kit.tags[0], "a-very-long-tag-of-thir");
    EXPECT_STREQ(kit.tags[7], "t6");
    EXPECT_STREQ(r.project->name, "P");
    EXPECT_STREQ(r.project->author, "Me");
    EXPECT_STREQ(r.project->patterns[0].name, "Intro");
    EXPECT_EQ(r.project->version, 4);
  }
  EXPECT_EQ(read(doc(kOneVoice + R"(,"kit":{"version":2.5})")).project->patterns[0].kit.version, 3);
  EXPECT_EQ(read(doc(kOneVoice + R"(,"kit":[])")).project->patterns[0].kit.version, 1);

  // Written back: no "kit" at version 1, a minimal "project".
  auto p = fresh();
  buildDemoProject(*p);
  JsonValue w = writeInstanceState(*p, {}, 0, "0.0.6", "");
  const JsonValue& state = *w.find("state");
  EXPECT_EQ(state.find("kit"), nullptr);
  EXPECT_EQ(writeJson(*state.find("project")), R"({"name":"Demo Beat"})");
  EXPECT_EQ(writeJson(*w.find("meta")), R"({"name":"Demo Kit"})");
  EXPECT_EQ(writeJson(*w.find("params")), R"({"macro1":0,"macro2":0,"macro3":0,"macro4":0})");
  EXPECT_EQ(w.find("seed"), nullptr);
  EXPECT_EQ(w.getString("plugin", ""), "orbitrane");
  EXPECT_EQ(w.getString("pluginVersion", ""), "0.0.6");
  EXPECT_EQ(w.find("id"), nullptr);
  p->seed = 0xabcull;
  EXPECT_EQ(writeInstanceState(*p, {}, 0, "0.0.6", "x").getString("seed", ""), "0000000000000abc");
  EXPECT_EQ(writeInstanceState(*p, {}, 0, "0.0.6", "x").getString("id", ""), "x");
  EXPECT_EQ(read(doc(kOneVoice, R"("seed":"00000000000000FF",)")).project->seed, 0xffu);
}

TEST(InstanceState, SharedAndUnusedSounds) {
  auto p = fresh();
  buildDemoProject(*p);
  Pattern& pat = p->patterns[0];
  pat.tracks[1].soundIndex = 0;  // two tracks share the kick; the snare is unused
  JsonValue w = writeInstanceState(*p, {}, 0, "0.0.6", "");
  const JsonValue& sounds = *w.find("state")->find("sounds");
  ASSERT_EQ(sounds.members.size(), 6u);
  EXPECT_EQ(sounds.members[0].key, pat.kit.sounds[0].id);
  // The sound no track plays is still part of the kit, after the used ones.
  EXPECT_EQ(sounds.members.back().key, pat.kit.sounds[1].id);

  Read r = read(json(dumpJson(w)));
  ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
  const Kit& kit = r.project->patterns[0].kit;
  EXPECT_STREQ(kit.sounds[5].id, pat.kit.sounds[1].id);
  EXPECT_STREQ(kit.sounds[5].name, "Snare");
  EXPECT_EQ(r.project->patterns[0].tracks[1].soundIndex, 0);
  // Written again it stays.
  JsonValue again = writeInstanceState(*r.project, {}, 0, "0.0.6", "");
  EXPECT_EQ(again.find("state")->find("sounds")->members.size(), 6u);
}

// Records keyed past their id fields are found by their keys, from every
// place that names them (a voice's sound, a sound's samples, a macro's and
// the audition's voices), and go back under those keys, each reference
// too; the ids they were cut to (as older builds wrote references) name
// them as well, unless another key of the list begins as they do.
TEST(InstanceState, LongIdsFindWhatTheyWereCutInto) {
  const std::string longSound = "sound-with-a-thirty-byte-id-xy";
  const std::string longVoice = "voice-with-a-thirty-byte-id-xy";
  const std::string longSample = "sample-with-a-thirty-byte-idxy";
  ASSERT_EQ(longSound.size(), 30u);
  const auto note = [](const std::string& voice, int at) {
    return R"({"at":)" + std::to_string(at) + R"(,"voice":")" + voice + R"(","vel":1})";
  };
  for (const bool twoSoundsCutAlike : {false, true}) {
    SCOPED_TRACE(twoSoundsCutAlike ? "a second sound cut alike" : "one sound of each key");
    const std::string alike =
        twoSoundsCutAlike ? R"(,")" + longSound.substr(0, 23) + R"(-zz":{"machine":"va"})" : "";
    const std::string state = R"("samples":{")" + longSample + R"(":{"order":0}},"sounds":{")" + longSound +
                              R"(":{"machine":"sample","params":{"slot":")" + longSample +
                              R"("},"layers":{"zones":[{"sample":")" + longSample + R"("},{"sample":")" +
                              longSample.substr(0, 23) + R"("}]}})" + alike + R"(},"voices":{")" + longVoice +
                              R"(":{"sound":")" + longSound + R"("},"v":{"sound":")" +
                              longSound.substr(0, 23) + R"("}},"macros":{"macro1":{"dests":{"d":{"voice":")" +
                              longVoice + R"(","param":"slot","target":0},"e":{"voice":")" +
                              longVoice.substr(0, 23) + R"(","param":"amp_decay","target":0}}}})";
    const std::string top = R"("assets":{")" + longSample + R"(":"factory:acoustic/ac_kick_p"},)" +
                            R"("audition":{"kind":"clip","spec":"1.0","length":4,"notes":[)" +
                            note(longVoice, 0) + "," + note(longVoice.substr(0, 23), 1) + "]},";
    const JsonValue loaded = json(doc(state, top));
    Read r;
    KeysAsLoaded keys;
    r.ok = readInstanceState(loaded, *r.project, r.refs, r.diags, &keys);
    ASSERT_TRUE(r.ok) << obtest::listing(r.diags);
    EXPECT_EQ(countCode(r.diags, "unknown-sound"), twoSoundsCutAlike ? 1 : 0) << obtest::listing(r.diags);
    for (const char* code : {"unknown-sample", "unknown-macro-dest", "audition-note-not-placed"})
      EXPECT_EQ(countCode(r.diags, code), 0) << code << "\n" << obtest::listing(r.diags);
    const Pattern& p = r.project->patterns[0];
    ASSERT_EQ(p.numTracks, 2);
    EXPECT_EQ(std::string(p.tracks[0].id), longVoice.substr(0, 23));
    EXPECT_EQ(p.tracks[0].soundIndex, 0);
    EXPECT_EQ(p.tracks[1].soundIndex, twoSoundsCutAlike ? -1 : 0);
    EXPECT_EQ(p.tracks[0].steps[0].active, 1);
    EXPECT_EQ(p.tracks[0].steps[4].active, 1);  // the note at beat 1
    EXPECT_EQ(p.kit.sounds[0].zoneCount, 2);
    EXPECT_EQ(p.kit.macros[0].destCount, 2);
    EXPECT_EQ(r.refs, std::vector<std::string>{"factory:acoustic/ac_kick_p"});
    EXPECT_STREQ(r.project->samples.slots[0].factory, "ac_kick_p");
    const std::string written = writeJson(
        writeInstanceState(*r.project, r.refs, 0, "0.0.6", "", &loaded, nullptr, AuditionFor::Save, &keys));
    for (const std::string& key : {longSound, longVoice, longSample}) {
      SCOPED_TRACE(key);
      EXPECT_EQ(written.find('"' + key.substr(0, 23) + '"'), std::string::npos);
      EXPECT_NE(written.find('"' + key + '"'), std::string::npos);
    }
    Read again = read(written);
    EXPECT_TRUE(obtest::sameBytes(*again.project, *r.project)) << obtest::listing(again.diags);
  }
}

TEST(InstanceState, AssetReferencesFollowTheSampleSlots) {
  const std::string state = kOneVoice + R"(,"samples":{"b":{"order":1},"a":{"order":0},"c":{"order":2}})";
  Read r = read(doc(state, R"("assets":{"b":"asset:)" + std::string(64, 'a') +
                               R"(","a":"factory:acoustic/ac_snare_f","c":5},)"));
  ASSERT_TRUE(r.ok);
  ASSERT_EQ(r.refs.size(), 3u);
  EXPECT_EQ(r.refs[0], "factory:acoustic/ac_snare_f");
  EXPECT_EQ(r.refs[1], "asset:" + std::string(64, 'a'));
  EXPECT_EQ(r.refs[2], "");
  EXPECT_STREQ(r.project->samples.slots[0].factory, "ac_snare_f");
  EXPECT_STREQ(r.project->samples.slots[1].factory, "");
  const Diagnostic* d = obtest::findCode(r.diags, "missing-asset");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->path, "/assets/c");
  EXPECT_EQ(d->message, "The sample has no audio in the document; it plays silent");

  // Writing: one member per slot with an id and a reference.
  r.project->samples.slots[2].id[0] = '\0';
  JsonValue w = writeInstanceState(*r.project, {"ra", "", "rc"}, 0, "0.0.6", "");
  EXPECT_EQ(writeJson(*w.find("assets")), R"({"a":"ra"})");
  JsonValue none = writeInstanceState(*r.project, {}, 0, "0.0.6", "");
  EXPECT_EQ(none.find("assets"), nullptr);

  // The list is filled even when the read then fails.
  Read failed = read(doc(R"("samples":{"x":{}},"voices":{"v":5})"));
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.refs.size(), 1u);
}

TEST(InstanceState, KeysAreEscapedInPaths) {
  Read r = read(doc(R"("sounds":{"a/b":{"machine":"x"},"s":{"machine":"drum"}},)"
                    R"("voices":{"c~d":{"sound":"zz"},"v":{"sound":"s"}})"));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(countCode(r.diags, "unknown-machine", "/state/sounds/a~1b/machine"), 1);
  EXPECT_EQ(countCode(r.diags, "unknown-sound", "/state/voices/c~0d/sound"), 1);
}

TEST(InstanceState, KitCallersWithoutReferences) {
  auto p = fresh();
  obtest::buildRichProject(*p);
  JsonValue kit = writeInstanceState(*p, 1, "0.0.6");
  EXPECT_EQ(kit.find("assets"), nullptr);
  EXPECT_EQ(kit.find("state")->find("project"), nullptr);
  auto back = fresh();
  Diagnostics d;
  ASSERT_TRUE(readInstanceState(json(dumpJson(kit)), *back, d));
  EXPECT_EQ(back->patterns[0].numTracks, 8);
  EXPECT_EQ(back->samples.count, 2);
  EXPECT_EQ(countCode(d, "missing-asset"), 2);
}

TEST(InstanceState, IsInstanceDocument) {
  EXPECT_TRUE(isInstanceDocument(json(R"({"kind":"instance"})")));
  EXPECT_FALSE(isInstanceDocument(json(R"({"kind":"clip"})")));
  EXPECT_FALSE(isInstanceDocument(json(R"({"kind":1})")));
  EXPECT_FALSE(isInstanceDocument(json(R"(["instance"])")));
}

}  // namespace instance_state_test
