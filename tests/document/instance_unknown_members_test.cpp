// What the reader does not take must come back on the next save. The state
// writer produces everything it understands; the document-level pass puts
// back every member the rewrite lacks. Here that pass is done by the test
// itself: unknown members at every level of a written project go through a
// load, a rewrite and the pass, and the document comes back unchanged.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/instance/instance_shape.h"
#include "document/instance/instance_state.h"
#include "document/project/kept_let_go.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "instance_rig.h"

namespace instance_unknown_members_test {

using namespace ob;
using obtest::json;

struct Foreign {
  std::vector<std::string> path;  // parent object's keys and indices
  std::string key;
  JsonValue value;
  std::string after;
};

void collect(const JsonValue& loaded, const JsonValue& rewritten, std::vector<std::string>& path,
             std::vector<Foreign>& out) {
  if (loaded.isObject() && rewritten.isObject()) {
    std::string before;
    for (const JsonMember& m : loaded.members) {
      if (const JsonValue* r = rewritten.find(m.key)) {
        path.push_back(m.key);
        collect(m.value, *r, path, out);
        path.pop_back();
      } else {
        out.push_back({path, m.key, m.value, before});
      }
      before = m.key;
    }
  } else if (loaded.isArray() && rewritten.isArray() && !loaded.elements.empty() &&
             loaded.elements.size() == rewritten.elements.size()) {
    for (std::size_t i = 0; i < loaded.elements.size(); ++i) {
      path.push_back(std::to_string(i));
      collect(loaded.elements[i], rewritten.elements[i], path, out);
      path.pop_back();
    }
  }
}

void putBack(JsonValue& doc, const Foreign& f) {
  JsonValue* at = &doc;
  for (const std::string& token : f.path) {
    if (at->isArray()) {
      at = &at->elements[std::stoul(token)];
    } else {
      at = at->find(token);
      ASSERT_NE(at, nullptr) << token;
    }
  }
  ASSERT_TRUE(at->isObject());
  auto pos = at->members.begin();
  if (!f.after.empty()) {
    pos = at->members.end();
    for (auto it = at->members.begin(); it != at->members.end(); ++it)
      if (it->key == f.after) pos = it + 1;
  }
  at->members.insert(pos, JsonMember{f.key, f.value});
}

// The document as a load reads it: built where its readers look, the rest
// kept as read.
JsonValue shaped(const std::string& text) {
  JsonValue v;
  std::string error;
  EXPECT_TRUE(parseJson(text, instanceDocumentShape(), v, error)) << error;
  return v;
}

bool holdsKeptText(const JsonValue& v) {
  if (v.isKept()) return true;
  for (const JsonValue& e : v.elements)
    if (holdsKeptText(e)) return true;
  for (const JsonMember& m : v.members)
    if (holdsKeptText(m.value)) return true;
  return false;
}

void addUnknown(JsonValue& object, const std::string& key, bool list) {
  ASSERT_TRUE(object.isObject()) << key;
  // In the id-keyed lists an object would be read as one more entry.
  object.members.push_back({key, json(list ? R"([1.50,"x",null])" : R"({"kept":[1.50,"x",null]})")});
}

TEST(InstanceUnknownMembers, SurviveALoadAndASave) {
  auto project = makeProject();
  obtest::buildRichProject(*project);
  std::vector<std::string> refs = {"factory:acoustic/ac_kick_p", "asset:" + std::string(64, 'b')};
  JsonValue doc = json(dumpJson(writeInstanceState(*project, refs, 0, "0.0.6", "")));
  // A load builds all that this build writes but the notes, which it reads
  // from their text one at a time.
  JsonValue built = shaped(dumpJson(doc));
  EXPECT_TRUE(built.find("audition")->find("notes")->isKept());
  built.find("audition")->set("notes", makeJsonArray());
  EXPECT_FALSE(holdsKeptText(built));

  const std::string sampler = project->patterns[0].kit.sounds[6].id;
  const std::string voice = project->patterns[0].tracks[6].id;
  const std::string dest = "v-zap:tune";  // macro 3 moves the VA track's first parameter
  const std::string sample = "smp-kick";
  // Each path is looked up afresh: adding a member moves its siblings.
  const std::vector<std::vector<std::string>> places = {
      {},
      {"meta"},
      {"params"},
      {"assets"},
      {"state"},
      {"state", "sounds"},  // not a sound: wrong-type, kept
      {"state", "sounds", sampler},
      {"state", "sounds", sampler, "params"},
      {"state", "sounds", sampler, "velocity"},
      {"state", "sounds", sampler, "layers"},
      {"state", "sounds", sampler, "layers", "zones", "1"},
      {"state", "voices"},  // not a voice: wrong-type, kept
      {"state", "voices", voice},
      {"state", "voices", voice, "lfos"},
      {"state", "voices", voice, "lfos", "lfo2"},
      {"state", "voices", voice, "modEnvs"},
      {"state", "voices", voice, "modEnvs", "env1"},
      {"state", "voices", voice, "breathe"},
      {"state", "macros"},
      {"state", "macros", "macro3"},
      {"state", "macros", "macro3", "dests"},  // an unusable destination
      {"state", "macros", "macro3", "dests", dest},
      {"state", "samples"},  // not a sample: wrong-type, kept
      {"state", "samples", sample},
      {"state", "kit"},
      {"state", "project"},
  };
  auto at = [&doc](const std::vector<std::string>& path) -> JsonValue& {
    JsonValue* v = &doc;
    for (const std::string& t : path) {
      v = v->isArray() ? &v->elements.at(std::stoul(t)) : v->find(t);
      EXPECT_NE(v, nullptr) << t;
      if (v == nullptr) return doc;
    }
    return *v;
  };
  for (std::size_t i = 0; i < places.size(); ++i) {
    const bool list = places[i].size() == 2 && places[i][0] == "state" &&
                      (places[i][1] == "sounds" || places[i][1] == "voices" || places[i][1] == "samples");
    addUnknown(at(places[i]), "x-" + std::to_string(i), list);
  }
  // An unknown member first in its object, with nothing before it.
  JsonValue& v6 = at({"state", "voices", voice});
  v6.members.insert(v6.members.begin(), JsonMember{"a-first", json("0")});
  const std::string original = dumpJson(doc);
  // Read whole, and as a load reads it: the readers find the same, and what
  // they do not look at comes back all the same.
  std::string whole;
  for (const bool asLoaded : {false, true}) {
    SCOPED_TRACE(asLoaded ? "as a load reads it" : "read whole");
    auto loaded = makeProject();
    std::vector<std::string> loadedRefs;
    Diagnostics diags;
    const JsonValue read = asLoaded ? shaped(original) : json(original);
    ASSERT_TRUE(readInstanceState(read, *loaded, loadedRefs, diags)) << obtest::listing(diags);
    if (!asLoaded) whole = obtest::listing(diags);
    EXPECT_EQ(whole, obtest::listing(diags));
    EXPECT_EQ(obtest::errorCount(diags), 0) << obtest::listing(diags);
    // What was refused is reported; plain extra members are not.
    // The project fills all eight places, so the extra entries hit the limit.
    EXPECT_EQ(obtest::countCode(diags, "too-many-sounds", "/state/sounds/x-5"), 1);
    EXPECT_EQ(obtest::countCode(diags, "too-many-voices", "/state/voices/x-11"), 1);
    EXPECT_EQ(obtest::countCode(diags, "unknown-macro-dest", "/state/macros/macro3/dests/x-20"), 1);
    EXPECT_EQ(obtest::countCode(diags, "bad-asset-ref", "/assets/x-3"), 1);
    EXPECT_EQ(obtest::countCode(diags, "wrong-type", "/state/samples/x-22"), 1);
    EXPECT_EQ(obtest::countCode(diags, "unknown-param"), 3) << obtest::listing(diags);
    // Equal to the project written, but for the factory name its reference gave.
    EXPECT_STREQ(loaded->samples.slots[0].factory, "ac_kick_p");
    auto expected = makeProject();
    *expected = *project;
    copyText(expected->samples.slots[0].factory, "ac_kick_p");
    EXPECT_TRUE(obtest::sameBytes(*expected, *loaded));

    JsonValue rewritten = writeInstanceState(*loaded, loadedRefs, 0, "0.0.6", "");
    std::vector<Foreign> foreign;
    std::vector<std::string> path;
    collect(read, rewritten, path, foreign);
    EXPECT_EQ(foreign.size(), 27u);
    for (const Foreign& f : foreign) putBack(rewritten, f);
    EXPECT_EQ(dumpJson(rewritten), original);
  }
}

TEST(InstanceUnknownMembers, ValuesOfTheWrongKindAreRewrittenOrKept) {
  // "gain" is always written, so a bad one is replaced by the project's
  // value; "choke" is not written at its default, so a bad one stays foreign.
  const std::string text =
      R"({"kind":"instance","plugin":"orbitrane","state":{"sounds":{"s":{"machine":"drum"}},)"
      R"("voices":{"v":{"sound":"s","gain":"loud","choke":"x"}}}})";
  auto p = makeProject();
  std::vector<std::string> refs;
  Diagnostics d;
  ASSERT_TRUE(readInstanceState(json(text), *p, refs, d));
  JsonValue w = writeInstanceState(*p, refs, 0, "0.0.6", "");
  const JsonValue& v = *w.find("state")->find("voices")->find("v");
  EXPECT_EQ(writeJson(*v.find("gain")), "1");
  EXPECT_EQ(v.find("choke"), nullptr);
}

// A top-level member of the wrong kind that the load says it keeps as
// written comes back so through a save and the load of that, while the
// project holds what the load took of it (nothing): "gain" above is the
// state's own, whatever the document held.
TEST(InstanceUnknownMembers, WrongKindsSaidKeptComeBackThroughASave) {
  auto demo = makeProject();
  buildDemoProject(*demo);
  const auto saved = writeProjectDocument(*demo, SamplePool{}, {});
  const std::pair<const char*, const char*> cases[] = {
      {"extensions", R"({"x":1})"}, {"extensions", R"("no")"}, {"params", "[1,2]"}, {"params", R"("loud")"}};
  for (const auto& [key, value] : cases) {
    const std::string member = key;
    SCOPED_TRACE(member + " " + value);
    JsonValue doc = json(std::string(saved.begin(), saved.end()));
    doc.set(member, json(value));
    const std::string text = dumpJson(doc);
    auto project = makeProject();
    SamplePool pool;
    KeptDocument kept, again;
    Diagnostics d;
    std::string error;
    ASSERT_TRUE(
        readDocument(std::vector<std::uint8_t>(text.begin(), text.end()), *project, pool, kept, &error, &d));
    const Diagnostic* said = obtest::findCode(d, "wrong-type");
    ASSERT_NE(said, nullptr);
    EXPECT_EQ(said->path, "/" + member);
    EXPECT_NE(said->message.find("kept as written"), std::string::npos);
    const auto memberOf = [&](const std::vector<std::uint8_t>& bytes) {
      const JsonValue saved = json(std::string(bytes.begin(), bytes.end()));
      return saved.find(member) != nullptr ? writeJson(*saved.find(member)) : std::string("absent");
    };
    const auto first = writeProjectDocument(*project, pool, kept);
    EXPECT_EQ(memberOf(first), writeJson(json(value)));
    ASSERT_TRUE(readDocument(first, *project, pool, again, &error, nullptr)) << error;
    EXPECT_EQ(first, writeProjectDocument(*project, pool, again));
    // A macro moved since is what plays, and its save says so there.
    project->patterns[0].kit.macros[0].value = 0.5f;
    if (member == "params") {
      EXPECT_EQ(memberOf(writeProjectDocument(*project, pool, again)).substr(0, 13), R"({"macro1":0.5)");
    }
  }
}

// A value a load could not use in a place its rewrite fills all the same (a
// parameter's word no choice names, a zone naming no sample) is said kept,
// and is: a save writes it back as read, and the load of that reads the
// same, until the project changes what stands there. So is what an earlier
// build saved of what nothing plays and no control reaches (zones past the
// count, an envelope and steps switched off, a pan not locked), which the
// project does not hold.
TEST(InstanceUnknownMembers, ValuesSaidKeptWhereTheRewriteWritesComeBackThroughASave) {
  auto demo = makeProject();
  buildDemoProject(*demo);
  const auto written = writeProjectDocument(*demo, SamplePool{}, {});
  JsonValue doc = json(std::string(written.begin(), written.end()));
  JsonValue& sound = doc.find("state")->find("sounds")->members[0].value;
  sound.find("params")->set("flt_type", json(R"("sideways")"));
  sound.set("layers", json(R"({"mode":"velocity","zones":[{"sample":3,"velMax":64},{"sample":"nope"}],)"
                           R"("zonesOff":[{"sample":"nope","velMax":1},{"sample":2,"velMax":5}]})"));
  doc.find("state")->find("voices")->members[0].value.set("modEnvsOff", json(R"({"env1":{"dest":"level"}})"));
  JsonValue& voice =
      doc.find("audition")->find("ext")->find("com.orbitrane.steps/1")->find("voices")->members[0].value;
  voice.set("stepsOff", json(R"({"1":{"velocity":30}})"));
  voice.find("steps")->members[0].value.set("panOff", json("0.5"));
  const std::string longName = "Open up the room, and \u00e9 the hats";
  doc.find("state")->find("macros")->find("macro1")->set("name", json("\"" + longName + "\""));
  const std::string text = dumpJson(doc);
  auto project = makeProject();
  SamplePool pool;
  KeptDocument kept, again;
  Diagnostics d;
  std::string error;
  ASSERT_TRUE(
      readDocument(std::vector<std::uint8_t>(text.begin(), text.end()), *project, pool, kept, &error, &d));
  EXPECT_NE(obtest::findCode(d, "unknown-value"), nullptr);
  EXPECT_NE(obtest::findCode(d, "unknown-sample"), nullptr);
  for (const char* unread :
       {"zones-off-unread", "modulator-off-unread", "steps-off-unread", "step-pan-off-unread", "name-cut"})
    EXPECT_NE(obtest::findCode(d, unread), nullptr) << unread;
  EXPECT_STREQ(project->patterns[0].kit.macros[0].name, "Open up the room, and ");  // never half an \u00e9
  const Track& played = project->patterns[0].tracks[0];
  EXPECT_TRUE(played.steps[1] == Step{} && played.modEnvs[0] == ModEnv{} && played.steps[0].panValue == 0.0f);
  const auto soundIn = [](const std::vector<std::uint8_t>& bytes) {
    return json(std::string(bytes.begin(), bytes.end())).find("state")->find("sounds")->members[0].value;
  };
  const auto first = writeProjectDocument(*project, pool, kept);
  EXPECT_EQ(writeJson(*soundIn(first).find("params")->find("flt_type")), R"("sideways")");
  EXPECT_EQ(writeJson(*soundIn(first).find("layers")), writeJson(*sound.find("layers")));
  const JsonValue saved = json(std::string(first.begin(), first.end()));
  EXPECT_EQ(writeJson(*saved.find("state")->find("voices")->members[0].value.find("modEnvsOff")),
            R"({"env1":{"dest":"level"}})");
  EXPECT_EQ(writeJson(*saved.find("audition")), writeJson(*doc.find("audition")));
  EXPECT_EQ(writeJson(*saved.find("state")->find("macros")->find("macro1")->find("name")),
            writeJson(*doc.find("state")->find("macros")->find("macro1")->find("name")));
  ASSERT_TRUE(readDocument(first, *project, pool, again, &error, nullptr)) << error;
  EXPECT_EQ(first, writeProjectDocument(*project, pool, again));
  // A value set since lets what was kept in its place go (the edit says
  // so) and is what plays, and its save says so there.
  const Project before = *project;
  for (Sound& s : project->patterns[0].kit.sounds)
    if (doc.find("state")->find("sounds")->members[0].key == s.id)
      s.params[findParamIndex(s.machine, "flt_type")] = 1;
  KeptLetGo edit = letGoOnEdit(again.records, before, *project, {}, again.keysAsLoaded);
  ASSERT_EQ(edit.gone.size(), 1u);
  EXPECT_EQ(edit.gone[0].path.back(), "flt_type");
  again.records = edit.kept;
  EXPECT_EQ(writeJson(*soundIn(writeProjectDocument(*project, pool, again)).find("params")->find("flt_type")),
            R"("hp")");
}

}  // namespace instance_unknown_members_test
