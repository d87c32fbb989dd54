// Project save: package shape, references, the seed, foreign members and
// number spellings put back, a full save-and-load round trip through a file,
// and saves that fail without touching the file they would replace.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <span>
#include <string>

#include "document/archive/sha256.h"
#include "document/archive/zip_reader.h"
#include "document/audition/audition_writer.h"
#include "document/instance/state_fields.h"
#include "document/json/json.h"
#include "document/project/atomic_file.h"
#include "document/project/foreign_members.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/reading/json_pointer.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/model/project_ids.h"
#include "engine/model/utf8_text.h"
#include "engine/params/param_tables.h"
#include "project_rig.h"
#include "support/allocation_counter.h"

namespace project_save_test {

using obtest::bytesOf;
namespace fs = std::filesystem;

std::string textOf(const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); }

ob::JsonValue parse(std::string_view text) {
  ob::JsonValue v;
  std::string error;
  EXPECT_TRUE(ob::parseJson(text, v, error)) << error;
  return v;
}

class ProjectSave : public ::testing::Test {
 protected:
  void SetUp() override { ob::buildDemoProject(*demo); }
  std::unique_ptr<ob::Project> demo = std::make_unique<ob::Project>();
  ob::SamplePool pool;
  ob::KeptDocument kept;

  void addUserSample(int i, const char* name, const std::vector<std::uint8_t>& wav) {
    std::strcpy(demo->samples.slots[i].name, name);
    demo->samples.slots[i].src = 0;
    if (demo->samples.count <= i) demo->samples.count = static_cast<std::uint8_t>(i + 1);
    ASSERT_GE(ob::replaceSlotWav(pool, static_cast<std::uint32_t>(i), wav), 0);
  }
  std::vector<std::string> entryNames(const std::vector<std::uint8_t>& bytes) {
    ob::Diagnostics d;
    auto entries = ob::zip::readZip(bytes.data(), bytes.size(), d);
    std::vector<std::string> names;
    if (entries)
      for (auto& e : *entries) names.push_back(e.name);
    return names;
  }
};

TEST_F(ProjectSave, WithoutSamplesTheDocumentIsPlainText) {
  const auto bytes = ob::writeProjectDocument(*demo, pool, kept);
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ('{', bytes[0]);
  EXPECT_EQ('\n', bytes.back());
  EXPECT_NE(std::string::npos, textOf(bytes).find("\n  \"kind\": \"instance\""));
}

TEST_F(ProjectSave, EqualAudioIsStoredOnceAndFactorySamplesAreReferenced) {
  obtest::FakeFactory factory;
  const auto wav = obtest::toneWav(5);
  addUserSample(0, "a.wav", wav);
  addUserSample(1, "b.wav", wav);
  demo->samples.slots[2] = factory.add(1, ob::kFactoryPartWhole, 6);
  demo->samples.count = 3;
  ASSERT_GE(ob::replaceSlotWav(pool, 2, factory.bytes(demo->samples.slots[2].factory)), 0);
  const auto bytes = ob::writeProjectDocument(*demo, pool, kept);
  const auto names = entryNames(bytes);
  ASSERT_EQ(2u, names.size());
  EXPECT_EQ("instance.json", names[0]);
  ob::Diagnostics d;
  auto entries = ob::zip::readZip(bytes.data(), bytes.size(), d);
  const ob::JsonValue doc = parse(textOf((*entries)[0].data));
  const ob::JsonValue* assets = doc.find("assets");
  ASSERT_NE(nullptr, assets);
  ASSERT_EQ(3u, assets->members.size());
  EXPECT_EQ(assets->members[0].value.text, assets->members[1].value.text);
  EXPECT_EQ("assets/" + assets->members[0].value.text.substr(6), names[1]);
  EXPECT_EQ(std::string("factory:acoustic/") + demo->samples.slots[2].factory, assets->members[2].value.text);
}

TEST_F(ProjectSave, SeedComesFromTheContentAndTheCallerKeepsItsOwn) {
  ASSERT_EQ(0u, demo->seed);
  const ob::Project before = *demo;
  const auto first = ob::writeProjectDocument(*demo, pool, kept);
  const auto second = ob::writeProjectDocument(*demo, pool, kept);
  EXPECT_EQ(first, second);
  EXPECT_EQ(0, std::memcmp(&before, demo.get(), sizeof before));
  const ob::JsonValue doc = parse(textOf(first));
  ASSERT_NE(nullptr, doc.find("seed"));
  EXPECT_EQ(16u, doc.find("seed")->text.size());
  EXPECT_NE(std::string(16, '0'), doc.find("seed")->text);
}

TEST_F(ProjectSave, ForeignMembersAndSpellingsComeBack) {
  std::string text = textOf(ob::writeProjectDocument(*demo, pool, kept));
  // An unknown member right after "seed", one inside the state, and a
  // number written with a spelling of its own.
  const std::size_t seedEnd = text.find('\n', text.find("\"seed\""));
  text.insert(seedEnd + 1, "  \"later\": {\"x\": [1, 2]},\n");
  text.insert(text.find("\"sounds\""), "\"stateExtra\": 7, ");
  const std::size_t tune = text.find("\"res_tune\": 55,");
  ASSERT_NE(std::string::npos, tune);
  text.replace(tune, 15, "\"res_tune\": 55.0,");

  auto project = ob::makeProject();
  ob::SamplePool loaded;
  ob::KeptDocument loadedKept;
  std::string error;
  ASSERT_TRUE(ob::readDocument(bytesOf(text), *project, loaded, loadedKept, &error, nullptr)) << error;
  const std::string again = textOf(ob::writeProjectDocument(*project, loaded, loadedKept));
  const std::size_t seedAt = again.find("\"seed\"");
  const std::size_t laterAt = again.find("\"later\"");
  ASSERT_NE(std::string::npos, laterAt);
  EXPECT_EQ(again.find('\n', seedAt) + 3, laterAt) << again.substr(0, 400);
  EXPECT_NE(std::string::npos, again.find("\"stateExtra\": 7"));
  EXPECT_NE(std::string::npos, again.find("\"res_tune\": 55.0,"));
  // Member for member, in order, with the same number texts.
  EXPECT_EQ(ob::writeJson(parse(text)), ob::writeJson(parse(again)));

  // Once the value changes, the build's own spelling is written.
  const int s = project->patterns[0].tracks[0].soundIndex;
  const int idx = ob::findParamIndex(project->patterns[0].kit.sounds[s].machine, "res_tune");
  project->patterns[0].kit.sounds[s].params[idx] = 56.0f;
  const std::string changed = textOf(ob::writeProjectDocument(*project, loaded, loadedKept));
  EXPECT_NE(std::string::npos, changed.find("\"res_tune\": 56,"));
  EXPECT_EQ(std::string::npos, changed.find("\"res_tune\": 55.0,"));
}

// A record made after a load (a track added, a sample imported, a macro
// destination set) under the key of a record the load kept is saved under
// another, with what refers to it, and the kept one as it was read; so is
// one whose list the project holds no more of its own.
TEST_F(ProjectSave, ARecordMadeAfterALoadLeavesAKeptRecordItsKey) {
  const auto addTrack = [](ob::Project& p, ob::SamplePool&) {
    ob::EditCommand add;
    add.kind = ob::kEditAddTrack;
    std::strcpy(add.text, "Tabla");
    ob::applyEditCommand(p, add);
  };
  const auto setDest = [](ob::Project& p, ob::SamplePool&) {
    ob::EditCommand dest;
    dest.kind = ob::kEditMacroDest;
    dest.step = static_cast<std::uint32_t>(ob::findParamIndex(ob::kMachineDrum, "res_tune"));
    dest.value = 80.0f;
    ob::applyEditCommand(p, dest);
  };
  const auto clearDests = [](ob::Project& p, ob::SamplePool&) {
    const ob::Macro& macro = p.patterns[0].kit.macros[0];
    while (macro.destCount > 0)
      ob::applyEditCommand(p, {ob::kEditRemoveMacroDest, macro.dests[0].track, macro.dests[0].param, 0});
  };
  const auto importSample = [](ob::Project& p, ob::SamplePool& pool) {
    std::strcpy(p.samples.slots[p.samples.count].name, "tabla.wav");
    ASSERT_GE(ob::replaceSlotWav(pool, p.samples.count++, obtest::toneWav(1)), 0);
  };
  const struct {
    std::vector<std::string> path;
    const char* kept;
    void (*edit)(ob::Project&, ob::SamplePool&);
    // Where the save keeps it, when not at `path`: apart, where a load
    // would play it.
    std::vector<std::string> savedAt = {};
    // What the macro held apart already under the same key.
    const char* apartAlready = nullptr;
  } cases[] = {
      {{"state", "voices", "v-tabla"}, R"([9,"s-none"])", addTrack},
      {{"state", "sounds", "s-tabla"}, R"({"machine":"theremin"})", addTrack},
      {{"state", "samples", "smp-tabla"}, "[1]", importSample},
      {{"assets", "smp-tabla"}, R"("cloud:tabla.wav")", importSample},
      {{"state", "macros", "macro1", "dests", "v-kick:res_tune"},
       R"({"voice":"v-kick","param":"res_tune"})",
       setDest},
      {{"state", "macros", "macro1", "dests", "x"}, R"({"voice":"v-gone"})", clearDests},
      {{"state", "macros", "macro1", "dests", "y"},
       R"({"voice":"v-tabla","param":"tune","target":12})",
       addTrack,
       {"state", "macros", "macro1", "destsOff", "y"}},
      {{"state", "macros", "macro1", "dests", "y"},
       R"({"voice":"v-tabla","param":"tune","target":12})",
       addTrack,
       {"state", "macros", "macro1", "destsOff", "y-2"},
       R"({"y":{"held":1}})"},
  };
  const std::string written = textOf(ob::writeProjectDocument(*demo, pool, kept));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.back());
    ob::JsonValue doc = parse(written);
    ob::JsonValue* object = &doc;
    for (std::size_t i = 0; i + 1 < c.path.size(); ++i) {
      if (object->find(c.path[i]) == nullptr) object->set(c.path[i], ob::makeJsonObject());
      object = object->find(c.path[i]);
    }
    object->set(c.path.back(), parse(c.kept));
    if (c.apartAlready)
      doc.find("state")->find("macros")->find("macro1")->set("destsOff", parse(c.apartAlready));
    auto project = ob::makeProject();
    ob::SamplePool loadedPool;
    ob::KeptDocument loadedKept;
    std::string error;
    ASSERT_TRUE(
        ob::readDocument(bytesOf(ob::dumpJson(doc)), *project, loadedPool, loadedKept, &error, nullptr));
    c.edit(*project, loadedPool);
    const auto saved = ob::writeProjectDocument(*project, loadedPool, loadedKept);
    const ob::MemoryBytes source(saved.data(), saved.size());
    ob::Diagnostics unused;
    std::optional<ob::PackageReader> package = ob::PackageReader::open(source, "instance.json", unused);
    ASSERT_TRUE(package);
    const ob::JsonValue& again = package->package().document;
    const ob::JsonValue* keptAgain = &again;
    for (const std::string& token : c.savedAt.empty() ? c.path : c.savedAt)
      keptAgain = keptAgain ? keptAgain->find(token) : nullptr;
    EXPECT_EQ(keptAgain ? ob::writeJson(*keptAgain) : "absent", ob::writeJson(parse(c.kept)));
    // The new record loads back beside the kept one, and plays.
    auto reloaded = ob::makeProject();
    ob::SamplePool reloadedPool;
    ob::KeptDocument reloadedKept;
    ASSERT_TRUE(ob::readDocument(saved, *reloaded, reloadedPool, reloadedKept, &error, nullptr)) << error;
    EXPECT_EQ(reloaded->patterns[0].numTracks, project->patterns[0].numTracks);
    EXPECT_EQ(reloaded->samples.count, project->samples.count);
    EXPECT_EQ(reloaded->patterns[0].kit.macros[0].destCount, project->patterns[0].kit.macros[0].destCount);
    EXPECT_EQ(ob::writeProjectDocument(*reloaded, reloadedPool, reloadedKept), saved);
  }
}

// A document edited by hand, loaded and saved as it is, comes back member
// for member, plays what its load played and saves again to the same bytes:
// with a lock or a random amount on a parameter this build lacks, with
// notes that part from the grid beside them, one of them on no step. Edited
// after its load, the pattern as edited is what the save writes, and what
// the load kept unplayed is beside it unless the edit removed its step or
// voice.
TEST_F(ProjectSave, AnAuditionSavesAsItLoadedOrAsEdited) {
  const std::string written = textOf(ob::writeProjectDocument(*demo, pool, kept));
  const auto replaced = [&written](const std::string& from, const std::string& to, std::string text = "") {
    if (text.empty()) text = written;
    const std::size_t at = text.rfind(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  ob::JsonValue untimed = parse(written);
  auto& clip = untimed.find("audition")->members;
  clip.erase(std::find_if(clip.begin(), clip.end(), [](const auto& m) { return m.key == "tempo"; }));
  const std::string kickSteps = "\"v-kick\": {\n            \"length\": 16,\n            \"steps\": {";
  // Locks and random amounts of a parameter the kit lacks, a voice it
  // lacks, a tempo point after the one played.
  std::string unplayed = replaced("\"exc1_tone\": 0.34", "\"dxc1_tone\": 0.34");
  unplayed = replaced("\"exc1_tone\": 0.3,", "\"dxc1_tone\": 0.3,", unplayed);
  unplayed = replaced(kickSteps, "\"v-gone\": {\"length\": 4}, " + kickSteps, unplayed);
  unplayed = replaced("\"bpm\": 124", "\"bpm\": 124}, {\"at\": 2, \"bpm\": 90", unplayed);
  // The Kick keyed past its id field, by its record and every reference.
  const std::string longKick = "\"v-kick-" + std::string(33, 'x') + '"';
  std::string longKeyed = written;
  for (std::size_t at = 0; (at = longKeyed.find("\"v-kick\"", at)) != std::string::npos;
       at += longKick.size())
    longKeyed.replace(at, 8, longKick);
  const struct {
    const char* what;
    std::string text;
    void (*edit)(ob::Project&);
    // Saved as loaded but for notes that did not say what its grid plays,
    // which the load says.
    bool notesPlayed = false;
    std::vector<std::string> kept = {}, gone = {};
    // Likewise for swing entries that do not give the swing its grid plays.
    bool swingPlayed = false;
  } cases[] = {
      {"a lock", replaced("\"exc1_tone\": 0.34", "\"dxc1_tone\": 0.34"), nullptr, true},
      {"a random amount", replaced("\"exc1_tone\": 0.3,", "\"dxc1_tone\": 0.3,"), nullptr, true},
      {"a step its notes leave out", replaced(kickSteps, kickSteps + "\"2\": {\"velocity\": 90},"), nullptr,
       true},
      {"swing", replaced("\"amount\": 0.53", "\"amount\": 5.53"), nullptr, false, {}, {}, true},
      {"notes", replaced("\"vel\": 0.5114960482740027", "\"vel\": 0.25"), nullptr},
      {"a note on no step", replaced("\"notes\": [", "\"notes\": [{\"at\": 0.1, \"voice\": \"v-kick\"},"),
       nullptr},
      {"notes on no step, then a step added",
       replaced("\"notes\": [",
                "\"notes\": [{\"at\": 0.1, \"voice\": \"v-kick\"}, {\"at\": 0, \"voice\": \"v-gone\"},"),
       [](ob::Project& p) {
         ob::applyEditCommand(p, {ob::kEditToggleStep, 0, 2});
       },
       false,
       {"\"at\": 0.1,", "\"v-gone\""}},
      {"edited", written, [](ob::Project& p) { p.patterns[0].tracks[0].steps[0].velocity = 64; }},
      {"no tempo", ob::dumpJson(untimed), [](ob::Project& p) { p.patterns[0].bpm = 97.0f; }},
      {"kept, then a step added and one cleared",
       unplayed,
       [](ob::Project& p) {
         ob::applyEditCommand(p, {ob::kEditToggleStep, 0, 2});
         ob::initSteps(&p.patterns[0].tracks[1].steps[12], 1);
       },
       true,
       {"\"dxc1_tone\": 0.3,", "\"v-gone\"", "\"bpm\": 90"},
       {"\"dxc1_tone\": 0.34"}},
      {"a voice of a long key", longKeyed, nullptr},
      {"a voice of a long key, then a step added",
       longKeyed,
       [](ob::Project& p) {
         ob::applyEditCommand(p, {ob::kEditToggleStep, 0, 2});
       },
       false,
       {longKick},
       {longKick.substr(0, 24) + '"'}},
      {"kept, then a voice removed",
       unplayed,
       [](ob::Project& p) {
         ob::applyEditCommand(p, {ob::kEditRemoveTrack, 5});
       },
       true,
       {"\"dxc1_tone\": 0.34", "\"v-gone\""},
       {"\"v-rim\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto project = ob::makeProject();
    ob::SamplePool loaded;
    ob::KeptDocument loadedKept;
    std::string error;
    ob::Diagnostics said;
    ASSERT_TRUE(ob::readDocument(bytesOf(c.text), *project, loaded, loadedKept, &error, &said)) << error;
    EXPECT_EQ(obtest::countCode(said, "audition-notes-unplayed"), c.notesPlayed ? 1 : 0);
    EXPECT_EQ(obtest::countCode(said, "audition-swing-unplayed"), c.swingPlayed ? 1 : 0);
    if (c.edit) c.edit(*project);
    const auto saved = ob::writeProjectDocument(*project, loaded, loadedKept);
    for (const std::string& text : c.kept) EXPECT_NE(textOf(saved).find(text), std::string::npos) << text;
    for (const std::string& text : c.gone) EXPECT_EQ(textOf(saved).find(text), std::string::npos) << text;
    ob::JsonValue was = parse(c.text), is = parse(textOf(saved));
    if (c.notesPlayed) {
      const ob::JsonValue played = ob::writeAudition(*project, project->samples);
      EXPECT_EQ(ob::writeJson(*is.find("audition")->find("notes")), ob::writeJson(*played.find("notes")));
      for (ob::JsonValue* document : {&was, &is}) {
        ob::JsonValue& audition = *document->find("audition");
        audition.set("notes", {});
        audition.find("ext")->find("com.orbitrane.steps/1")->set("notes", {});
      }
    }
    if (c.swingPlayed) {
      const ob::JsonValue played = ob::writeAudition(*project, project->samples);
      EXPECT_EQ(ob::writeJson(*is.find("audition")->find("swing")), ob::writeJson(*played.find("swing")));
      for (ob::JsonValue* document : {&was, &is}) document->find("audition")->set("swing", {});
    }
    if (!c.edit) {
      EXPECT_EQ(ob::writeJson(was), ob::writeJson(is));
    }
    auto again = ob::makeProject();
    ob::SamplePool againPool;
    ob::KeptDocument againKept;
    ASSERT_TRUE(ob::readDocument(saved, *again, againPool, againKept, &error, nullptr)) << error;
    EXPECT_EQ(0, std::memcmp(project.get(), again.get(), sizeof *again));
    EXPECT_EQ(saved, ob::writeProjectDocument(*again, againPool, againKept));
  }
}

TEST_F(ProjectSave, PuttingMembersBack) {
  ob::JsonValue doc = parse(R"({"a":1,"o":{"k":1,"m":2},"l":[{"z":1}],"w":{"v":{"k":1}}})");
  ob::JsonValue& o = *doc.find("o");
  EXPECT_TRUE(ob::putMember(o, "n", ob::makeJsonDouble(3), "k", false));
  EXPECT_TRUE(ob::putMember(o, "first", ob::makeJsonDouble(0), "", false));
  EXPECT_TRUE(ob::putMember(o, "last", ob::makeJsonDouble(9), "gone", false));
  EXPECT_TRUE(ob::putMember(o, "k", ob::makeJsonDouble(5), "", false));  // the rewrite wins
  EXPECT_TRUE(ob::putMember(doc.find("l")->elements[0], "y", ob::makeJsonDouble(4), "z", false));
  EXPECT_FALSE(ob::putMember(*doc.find("a"), "y", ob::makeJsonDouble(4), "", false));  // not an object
  // Kept whole, and written since: merged, the rewrite's members winning.
  EXPECT_TRUE(ob::putMember(doc, "w", ob::heldAsText(parse(R"({"u":2,"v":{"k":0,"j":3}})")), "l", false));
  EXPECT_EQ(
      R"({"a":1,"o":{"first":0,"k":1,"n":3,"m":2,"last":9},"l":[{"z":1,"y":4}],"w":{"v":{"k":1,"j":3},"u":2}})",
      ob::writeJson(doc));
}

// The demo with four user and two factory samples goes to a file as a
// package and comes back equal, each user file byte for byte; saving what
// was loaded gives the same bytes, also once the file it was opened from is
// replaced, changed in place or cut short: a save never reads the user's
// file again.
TEST_F(ProjectSave, PackageRoundTripThroughAFile) {
  obtest::FakeFactory factory;
  obtest::TempDir dir;
  const std::vector<std::vector<std::uint8_t>> userFiles = {
      obtest::toneWav(1, 3000), obtest::toneWav(2, 2500, false),
      obtest::riffOf(
          {{"fmt ", obtest::fmtOf(1, 2, 3)}, {"data", obtest::noiseBytes(6000, 1)}, {"LIST", {7}}}),
      obtest::riffOf({{"fmt ", obtest::fmtOf(3, 1, 8)}, {"data", obtest::doubleBytes({0.1, -0.7, 1e-9})}})};
  const char* userNames[] = {"Kick Take.wav", "snare.wav", "room.wav", "fine.wav"};
  for (int i = 0; i < 4; ++i) addUserSample(i < 2 ? i : i + 2, userNames[i], userFiles[std::size_t(i)]);
  demo->samples.slots[2] = factory.add(0, ob::kFactoryPartWhole, 3);
  demo->samples.slots[3] = factory.add(36, ob::kFactoryPartBody, 4);
  ASSERT_GE(ob::replaceSlotWav(pool, 2, factory.bytes(demo->samples.slots[2].factory)), 0);
  ASSERT_GE(ob::replaceSlotWav(pool, 3, factory.bytes(demo->samples.slots[3].factory)), 0);
  demo->patterns[0].kit.sounds[0].zoneCount = 1;
  demo->patterns[0].kit.sounds[0].slot[0] = 3;
  demo->patterns[0].kit.sounds[0].velMax[0] = 127;
  demo->seed = 0xfeedfacecafebeefull;

  const fs::path file = dir / "song.orbi";
  std::string error;
  ASSERT_TRUE(ob::saveDocumentFile(file, *demo, pool, kept, &error)) << error;
  const auto saved = obtest::readFile(file);
  ASSERT_GE(saved.size(), 4u);
  EXPECT_EQ('P', saved[0]);
  EXPECT_EQ(5u, entryNames(saved).size());  // the document and four user assets
  for (const auto& wav : userFiles)
    EXPECT_EQ(std::get<3>(*obtest::storedEntry(saved, "assets/" + ob::sha256Hex(wav.data(), wav.size()))),
              wav);
  EXPECT_EQ(1u, dir.fileCount());

  auto back = ob::makeProject();
  ob::SamplePool backPool;
  ob::KeptDocument backKept;
  ob::Diagnostics d;
  ASSERT_TRUE(ob::loadDocumentFile(file, *back, backPool, backKept, &error, &d)) << error;
  for (const auto& x : d) ADD_FAILURE() << x.code << " " << x.path << " " << x.message;

  ob::Project expected = *demo;
  ob::assignPatternIds(expected.patterns[0]);
  ob::assignSampleIds(expected.samples);
  EXPECT_EQ(0, std::memcmp(&expected, back.get(), sizeof expected));
  EXPECT_EQ(demo->seed, back->seed);
  ASSERT_EQ(6u, backPool.slots.size());
  for (int i = 0; i < 6; ++i) {
    EXPECT_TRUE(backPool.slots[i]->bytes.empty()) << i;
    EXPECT_EQ(obtest::listOf(pool.slots[i]->left), obtest::listOf(backPool.slots[i]->left)) << i;
    EXPECT_EQ(obtest::listOf(pool.slots[i]->right), obtest::listOf(backPool.slots[i]->right)) << i;
  }
  EXPECT_EQ(saved, ob::writeProjectDocument(*back, backPool, backKept));
  ASSERT_TRUE(ob::saveDocumentFile(file, *back, backPool, backKept, &error)) << error;
  EXPECT_EQ(saved, ob::writeProjectDocument(*back, backPool, backKept));

  ASSERT_TRUE(ob::loadDocumentFile(file, *back, backPool, backKept, &error, &d)) << error;
  {
    std::fstream changed(file, std::ios::in | std::ios::out | std::ios::binary);
    const auto asset = std::search(saved.begin(), saved.end(), userFiles[3].begin(), userFiles[3].end());
    const auto at = static_cast<std::size_t>(asset - saved.begin()) + userFiles[3].size() - 1;
    changed.seekp(static_cast<std::streamoff>(at));
    changed.put(static_cast<char>(saved[at] ^ 1));
  }
  EXPECT_EQ(saved, ob::writeProjectDocument(*back, backPool, backKept));
  fs::resize_file(file, 64);
  EXPECT_EQ(saved, ob::writeProjectDocument(*back, backPool, backKept));
}

// A save goes into its file as it is made: beside the project and pool it
// holds a piece of a sample's file at most, never the package.
TEST_F(ProjectSave, ASaveGoesIntoItsFileAPieceAtATime) {
  obtest::TempDir dir;
  const std::vector<std::uint8_t> wav = obtest::toneWav(1, 1 << 20);
  addUserSample(0, "long.wav", wav);
  const fs::path file = dir / "long.orbi";
  std::string error;
  ob::test::resetPeakLiveBytes();
  const std::size_t held = ob::test::liveBytes();
  ASSERT_TRUE(ob::saveDocumentFile(file, *demo, pool, kept, &error)) << error;
  EXPECT_LT(ob::test::peakLiveBytes() - held, wav.size() / 4);
  EXPECT_EQ(obtest::readFile(file), ob::writeProjectDocument(*demo, pool, kept));
}

TEST_F(ProjectSave, FailedSavesLeaveTheOldFile) {
  obtest::TempDir dir;
  const fs::path file = dir / "song.orbi";
  const auto old = bytesOf("the old document");
  obtest::writeFile(file, old);
  std::string error;

  // A package that cannot be written, or that a load would refuse (here a
  // document past 32 MiB): nothing is touched, and the reason says why.
  kept.keptEntries.push_back({"../escape", bytesOf("x"), {}});
  EXPECT_TRUE(ob::writeProjectDocument(*demo, pool, kept).empty());
  EXPECT_FALSE(ob::saveDocumentFile(file, *demo, pool, kept, &error));
  EXPECT_EQ("unsafe entry name", error);
  EXPECT_EQ(old, obtest::readFile(file));
  kept.keptEntries.clear();
  ob::KeptRecords huge;
  huge.records.emplace_back().path = {"huge"};
  huge.records.back().value = ob::makeJsonString(std::string(std::size_t(32) << 20, 'x'));
  kept.records = std::make_shared<const ob::KeptRecords>(std::move(huge));
  EXPECT_FALSE(ob::saveDocumentFile(file, *demo, pool, kept, &error));
  EXPECT_EQ("the save's document would be larger than 32 MiB, the most a load reads", error);
  EXPECT_EQ(old, obtest::readFile(file));
  kept.records.reset();

  // A folder that does not exist.
  EXPECT_FALSE(ob::saveDocumentFile(dir / "missing" / "song.orbi", *demo, pool, kept, &error));
  EXPECT_EQ("cannot open output file", error);

  // A file-size limit half way: the write stops before it, as at a full
  // disk, the reason names it, the old file stays and no temporary is left.
  addUserSample(0, "big.wav", obtest::toneWav(1, 40000));
  rlimit saved{};
  ASSERT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &saved));
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &small));
  const bool ok = ob::saveDocumentFile(file, *demo, pool, kept, &error);
  ASSERT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &saved));
  EXPECT_FALSE(ok);
  EXPECT_EQ("the file would be larger than 4096 bytes, the file-size limit the host runs under", error);
  EXPECT_EQ(old, obtest::readFile(file));
  EXPECT_EQ(1u, dir.fileCount());

  // A folder the user may not write to (root may write anywhere).
  if (::geteuid() != 0) {
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(ob::saveDocumentFile(file, *demo, pool, kept, &error));
    EXPECT_EQ("cannot open output file", error);
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(old, obtest::readFile(file));
  }

  ASSERT_TRUE(ob::saveDocumentFile(file, *demo, pool, kept, &error)) << error;
  EXPECT_NE(old, obtest::readFile(file));
}

TEST(AtomicFile, LinksAreFollowedAndPermissionsKept) {
  obtest::TempDir dir;
  const fs::path real = dir / "real.txt";
  const fs::path link = dir / "link.txt";
  obtest::writeFile(real, bytesOf("old"));
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink(real, link);
  std::string error;
  ASSERT_TRUE(ob::writeFileAtomically(link, std::string_view("new text"), &error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(bytesOf("new text"), obtest::readFile(real));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, fs::status(real).permissions() & fs::perms::all);
  EXPECT_EQ(2u, dir.fileCount());

  ASSERT_TRUE(ob::writeFileAtomically(dir / "empty.txt", std::string_view(), &error));
  EXPECT_EQ(0u, fs::file_size(dir / "empty.txt"));
  EXPECT_FALSE(ob::writeFileAtomically(dir.path(), std::string_view("x"), &error));
}

}  // namespace project_save_test

namespace project_save_test {

// Names of any bytes in every text field a reader cuts into the project,
// of an instance document or a legacy one: each is stored UTF-8 and cut at
// a character's boundary, a name that is not UTF-8 is said where it stands,
// the save is UTF-8, and the save of its load is the same bytes.
TEST(SavedText, NamesOfAnyBytesSaveAsUtf8CutAtACharacter) {
  using Text = std::span<const char>;
  using P = const ob::Project&;
  using Field = Text (*)(P);
  const std::string head = R"({"kind":"instance","spec":"1.0","plugin":"orbitrane",)";
  const std::string voice = R"("sounds":{"s":{"machine":"drum"}},"voices":{"v":{"sound":"s"}})";
  const std::string kit = R"({"patterns":[{"numTracks":1,"kit":{"sounds":[{"machine":"drum"}],)";
  const struct {
    std::string document;  // "@" stands for the name
    std::string prefix;    // what stands before it in its field
    std::string path;      // where it is said; one ending in "/" names a key, which follows
    Field field;           // null for a member kept unread
  } cases[] = {
      {head + R"("meta":{"name":"@"},"state":{)" + voice + "}}", "", "/meta/name",
       [](P p) -> Text { return p.patterns[0].kit.name; }},
      {head + R"("meta":{"name":"k","tags":["@"]},"state":{)" + voice + "}}", "", "/meta/tags/0",
       [](P p) -> Text { return p.patterns[0].kit.tags[0]; }},
      {head + R"("state":{)" + voice + R"(,"project":{"name":"@"}}})", "", "/state/project/name",
       [](P p) -> Text { return p.name; }},
      {head + R"("state":{)" + voice + R"(,"project":{"name":"p","part":"@"}}})", "", "/state/project/part",
       [](P p) -> Text { return p.patterns[0].name; }},
      {head + R"("state":{"sounds":{"s@":{"machine":"drum"}},"voices":{"v":{"sound":"s@"}}}})", "s",
       "/state/sounds/", [](P p) -> Text { return p.patterns[0].kit.sounds[0].id; }},
      {head + R"("state":{"sounds":{"s":{"machine":"drum","name":"@"}},"voices":{"v":{"sound":"s"}}}})", "",
       "/state/sounds/s/name", [](P p) -> Text { return p.patterns[0].kit.sounds[0].name; }},
      {head + R"("state":{"sounds":{"s":{"machine":"drum"}},"voices":{"v@":{"sound":"s"}}}})", "v",
       "/state/voices/", [](P p) -> Text { return p.patterns[0].tracks[0].id; }},
      {head + R"("state":{)" + voice + R"(,"samples":{"k@":{"order":0,"tags":["@"]}}}})", "k",
       "/state/samples/", [](P p) -> Text { return p.samples.slots[0].name; }},
      {head + R"("state":{)" + voice + R"(,"macros":{"macro1":{"name":"@"}}}})", "",
       "/state/macros/macro1/name", [](P p) -> Text { return p.patterns[0].kit.macros[0].name; }},
      {head + R"("state":{)" + voice + R"(,"x":["@"]}})", "", "/state/x/0", nullptr},
      {R"({"name":"@"})", "", "/name", [](P p) -> Text { return p.name; }},
      {kit + R"("name":"@","macros":[{"name":"@"}]}}]})", "", "/patterns/0/kit/name",
       [](P p) -> Text { return p.patterns[0].kit.name; }},
      {kit + R"("tags":["@"]},"tracks":[{"id":"t@","soundIndex":0}]}]})", "t", "/patterns/0/tracks/0/id",
       [](P p) -> Text { return p.patterns[0].tracks[0].id; }},
      {R"({"samples":[{"name":"@","tags":["@"]}]})", "", "/samples/0/name",
       [](P p) -> Text { return p.samples.slots[0].name; }},
  };
  std::vector<std::string> names;
  std::mt19937 random(83);
  for (int i = 0; i < 16; ++i) names.push_back(textOf(obtest::noiseBytes(random() % 80, random())));
  for (const std::string character : {"\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\xA5\x81"})
    for (std::size_t k = 0; k < character.size(); ++k) {
      names.push_back(std::string(k, 'x'));
      for (int n = 0; n < 40; ++n) names.back() += character;
    }
  for (const auto& c : cases)
    for (const std::string& name : names) {
      SCOPED_TRACE(c.path + " named " + testing::PrintToString(name));
      std::string escaped;
      for (const char b : name) (b == '"' || b == '\\' ? escaped += '\\' : escaped) += b;
      std::string text;
      for (const char b : c.document) b == '@' ? text += escaped : text += b;
      auto project = ob::makeProject();
      ob::SamplePool pool;
      ob::KeptDocument kept;
      ob::Diagnostics found;
      ASSERT_TRUE(ob::readDocument(bytesOf(text), *project, pool, kept, nullptr, &found));
      const std::string mended = ob::mendedUtf8(c.prefix + name);
      const std::string path = c.path.ends_with('/') ? c.path + ob::escapePointerToken(mended) : c.path;
      EXPECT_EQ(obtest::countCode(found, "not-utf8", path), ob::isValidUtf8(name) ? 0 : 1)
          << obtest::listing(found);
      if (c.field != nullptr) {
        const std::span<const char> field = c.field(*project);
        const std::string_view stored = ob::fixedText(field.data(), field.size());
        const std::string whole = mended.substr(0, mended.find('\0'));
        EXPECT_TRUE(whole.starts_with(stored) && ob::isValidUtf8(stored));
        if (stored.size() < whole.size()) {
          EXPECT_GT(stored.size() + ob::utf8StepAt(whole, stored.size()).length, field.size() - 1);
        }
      }
      const std::vector<std::uint8_t> saved = ob::writeProjectDocument(*project, pool, kept);
      EXPECT_TRUE(ob::isValidUtf8(textOf(saved)));
      auto again = ob::makeProject();
      ob::SamplePool againPool;
      ob::KeptDocument againKept;
      ASSERT_TRUE(ob::readDocument(saved, *again, againPool, againKept, nullptr, nullptr));
      EXPECT_EQ(ob::writeProjectDocument(*again, againPool, againKept), saved);
    }
}

}  // namespace project_save_test
