// What a load kept unapplied, after a state load as a host starts: an edit
// that lets its owner go lets it go too, says so with its own news, leaves
// it out of every save after it, and undo brings it back; no save holds
// what an edit said went, and nothing kept joins what a kit brings.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "content/kits/kit_library.h"
#include "document/audition/audition_groove.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "editor/editor_rig.h"
#include "engine/model/edit_command.h"
#include "engine/params/param_tables.h"
#include "plugin/ext_state.h"
#include "tests/editor/kit_rig.h"

namespace orbi::test {
namespace kept_let_go_test {

struct Stream {
  std::vector<std::uint8_t> bytes;
  std::size_t read = 0;
};

std::vector<std::uint8_t> saveState(EditorRig& rig) {
  Stream out;
  clap_ostream_t stream{&out, [](const clap_ostream_t* s, const void* b, std::uint64_t n) -> std::int64_t {
                          auto* o = static_cast<Stream*>(s->ctx);
                          o->bytes.insert(o->bytes.end(), static_cast<const std::uint8_t*>(b),
                                          static_cast<const std::uint8_t*>(b) + n);
                          return static_cast<std::int64_t>(n);
                        }};
  EXPECT_TRUE(ob::clap::stateExtension()->save(rig.clap(), &stream));
  return out.bytes;
}

void loadState(EditorRig& rig, std::vector<std::uint8_t> bytes) {
  Stream in{std::move(bytes)};
  clap_istream_t stream{&in, [](const clap_istream_t* s, void* b, std::uint64_t n) -> std::int64_t {
                          auto* i = static_cast<Stream*>(s->ctx);
                          const std::size_t count = std::min<std::size_t>(n, i->bytes.size() - i->read);
                          std::memcpy(b, i->bytes.data() + i->read, count);
                          i->read += count;
                          return static_cast<std::int64_t>(count);
                        }};
  ASSERT_TRUE(ob::clap::stateExtension()->load(rig.clap(), &stream));
  rig.frames(1);
}

// A state's document, past its header: these save as text.
ob::JsonValue documentOf(const std::vector<std::uint8_t>& state) {
  ob::JsonValue document;
  std::string error;
  EXPECT_TRUE(ob::parseJson(std::string(state.begin() + 8, state.end()), document, error)) << error;
  return document;
}

std::vector<std::uint8_t> stateOf(const ob::JsonValue& document) {
  std::vector<std::uint8_t> bytes(ob::clap::kStateHeaderSize, 0);
  std::copy(std::begin(ob::clap::kStateMagic), std::end(ob::clap::kStateMagic), bytes.begin());
  const std::string text = ob::writeJson(document);
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

// The demo as a host saved it, with what this build does not read on its
// first step: a lock of a parameter no drum has.
std::vector<std::uint8_t> demoWithAFutureLock(EditorRig& rig) {
  ob::JsonValue document = documentOf(saveState(rig));
  ob::JsonValue& grid = *document.find("audition")->find("ext")->find(ob::stepsExtensionKey());
  ob::JsonValue& step =
      *grid.find("voices")->find(rig.project().patterns[0].tracks[0].id)->find("steps")->find("0");
  if (step.find("locks") == nullptr) step.set("locks", ob::makeJsonObject());
  step.find("locks")->set("x-future", ob::makeJsonDouble(1));
  return stateOf(document);
}

// Whether a fresh instance's load of the state says it kept a lock or a
// random amount it could not apply.
bool reloadKeepsAParam(const std::vector<std::uint8_t>& state) {
  EditorRig fresh;
  loadState(fresh, state);
  for (const host::LogLine& line : fresh.host.logLines)
    if (line.text.starts_with("unknown-param")) return true;
  return false;
}

std::string savedText(EditorRig& rig) {
  const std::vector<std::uint8_t> state = saveState(rig);
  return std::string(state.begin(), state.end());
}

// The demo's kick as a host saved it: its sound's object, or its voice's.
ob::JsonValue& kickIn(ob::JsonValue& document, const char* list) {
  return document.find("state")->find(list)->members[0].value;
}

// The demo with a hit of its kick playing a sample the document lacks,
// which the load keeps in its place.
std::vector<std::uint8_t> demoWithAHitSampleGone(EditorRig& rig) {
  ob::JsonValue document = documentOf(saveState(rig));
  ob::JsonValue& params = *kickIn(document, "sounds").find("params");
  params.set("exc1_type", ob::makeJsonString("sample"));
  params.set("exc1_aux1", ob::makeJsonString("smp-gone"));
  return stateOf(document);
}

// The demo with its kick's voice naming a sound the document lacks: its
// track keeps its place, silent, and what it names is kept.
std::vector<std::uint8_t> demoWithAKickSoundGone(EditorRig& rig) {
  ob::JsonValue document = documentOf(saveState(rig));
  kickIn(document, "voices").set("sound", ob::makeJsonString("s-gone"));
  return stateOf(document);
}

void setHitType(EditorRig& rig, const char* word) {
  const ob::Sound& kick = rig.project().patterns[0].kit.sounds[0];
  const int type = ob::findParamIndex(kick.machine, "exc1_type");
  const ob::ParamInfo info = ob::paramInfo(kick.machine, type);
  ob::EditCommand command;
  command.kind = ob::kEditSoundParam;
  command.param = type;
  for (std::uint32_t i = 0; i < info.labelCount; ++i)
    if (std::string(info.keys[i]) == word) command.value = info.min + static_cast<float>(i);
  rig.view().apply(command);
}

// An edit lets go what was kept with what it takes or changes (the step's
// kept lock, a value kept in the place of one the edit writes otherwise, the
// sound a silent track's voice names), says so with its own news, saves
// without it, and undo brings it back.
TEST(KeptLetGo, WhatAnEditTakesGoesWithIt) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> (*state)(EditorRig&);
    const char* kept;  // as the state holds it
    void (*edit)(EditorRig&);
    const char* shown = nullptr;  // what the status line says of the load
  } edits[] = {
      {"the step cleared", demoWithAFutureLock, "\"x-future\"",
       [](EditorRig& rig) {
         rig.view().setSelectedStep(0);
         rig.view().editActions().clear();
       }},
      {"a hit pasted over it", demoWithAFutureLock, "\"x-future\"",
       [](EditorRig& rig) {
         rig.view().setSelectedStep(4);
         rig.view().editActions().copy();
         rig.view().setSelectedStep(0);
         rig.view().editActions().paste();
       }},
      {"a sample assigned to its track", demoWithAFutureLock, "\"x-future\"",
       [](EditorRig& rig) {
         rig.view().samplesPage().previewSlot(5);
         rig.view().samplesPage().assignToTrack(0);
       }},
      {"the track removed", demoWithAFutureLock, "\"x-future\"",
       [](EditorRig& rig) { rig.view().bench().runTrackMenuAction(0, BenchController::kRemoveTrack); }},
      {"the hit's type changed", demoWithAHitSampleGone, "\"smp-gone\"",
       [](EditorRig& rig) { setHitType(rig, "click"); }},
      {"the silent track removed", demoWithAKickSoundGone, "\"s-gone\"",
       [](EditorRig& rig) { rig.view().bench().runTrackMenuAction(0, BenchController::kRemoveTrack); },
       "Track 1 plays no sound"},
  };
  for (const auto& e : edits) {
    SCOPED_TRACE(e.what);
    EditorRig rig;
    rig.frames(1);
    loadState(rig, e.state(rig));
    ASSERT_NE(savedText(rig).find(e.kept), std::string::npos) << "kept through a save";
    if (e.shown) {
      EXPECT_TRUE(rig.view().statusText().starts_with(e.shown)) << rig.view().statusText();
    }
    rig.view().setSelectedTrack(0);
    e.edit(rig);
    rig.frames(1);
    EXPECT_NE(rig.view().statusText().find(", which a load kept unapplied; undo brings"), std::string::npos)
        << rig.view().statusText();
    EXPECT_EQ(savedText(rig).find(e.kept), std::string::npos);
    rig.view().undo();
    EXPECT_NE(savedText(rig).find(e.kept), std::string::npos) << "undo brings it back";
  }
}

class KitOverKept : public ::testing::TestWithParam<int> {};

// A kit loaded after a state load: what a load kept with the macros the kit
// replaces goes with them, said, and joins none of the kit's, whatever the
// kit; the locks a kit's sounds lack, said gone, are in no save.
TEST_P(KitOverKept, AKitTakesWhatWasKeptWithWhatItReplaces) {
  const ob::KitEntry kit = ob::KitLibrary::listBuiltinKits().at(static_cast<std::size_t>(GetParam()));
  {
    EditorRig rig;
    rig.frames(1);
    ob::JsonValue document;
    std::string error;
    ASSERT_TRUE(ob::parseJson(R"({"kind":"instance","spec":"1.0","plugin":"orbitrane","formatVersion":1,
      "state":{"sounds":{"s-kick":{"name":"Kick","machine":"drum"},"s-take":{"name":"Take","machine":"sample"}},
      "voices":{"v-kick":{"order":0,"sound":"s-kick"},"v-take":{"order":1,"sound":"s-take"}},
      "macros":{"macro1":{"name":"Pitch","dests":{"v-kick:tune":{"voice":"v-kick","param":"tune","target":12}}},
      "macro2":{"name":"Swap","dests":{"v-take:slot":{"voice":"v-take","param":"slot","target":"smp-gone"}}}}}})",
                              document, error));
    loadState(rig, stateOf(document));
    ASSERT_TRUE(rig.view().kitBrowser().loadKit(kit));
    rig.frames(1);
    const std::string said =
        rig.view().statusWhole().empty() ? rig.view().statusText() : rig.view().statusWhole();
    EXPECT_NE(said.find("Pitch destination v-kick:tune"), std::string::npos) << said;
    EXPECT_NE(said.find("Swap destination v-take:slot"), std::string::npos) << said;
    for (const char* dest : {"v-kick:tune", "v-take:slot"})
      EXPECT_EQ(savedText(rig).find(dest), std::string::npos);
    rig.view().undo();
    const ob::JsonValue back = documentOf(saveState(rig));
    const ob::JsonValue& macros = *back.find("state")->find("macros");
    EXPECT_NE(macros.find("macro1")->find("dests")->find("v-kick:tune"), nullptr);
    EXPECT_NE(macros.find("macro2")->find("dests")->find("v-take:slot"), nullptr);
  }
  {
    // The demo reopened, a step edited, then the kit under those steps.
    EditorRig rig;
    rig.frames(1);
    loadState(rig, saveState(rig));
    ob::EditCommand add{ob::kEditToggleStep, 0, 1};
    rig.view().apply(add);
    ASSERT_TRUE(rig.view().kitBrowser().loadKit(kit));
    rig.frames(1);
    EXPECT_FALSE(reloadKeepsAParam(saveState(rig)));
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFactoryKit, KitOverKept, ::testing::Range(0, 9));

// A sample assigned to the demo's closed hat after the demo's own state
// is loaded: its save holds none of the hat's locks said gone.
TEST(KeptLetGo, AnAssignAfterALoadSavesNothingItSaidWent) {
  EditorRig rig;
  rig.frames(1);
  loadState(rig, saveState(rig));
  rig.view().samplesPage().previewSlot(5);
  rig.view().samplesPage().assignToTrack(2);
  rig.frames(1);
  EXPECT_NE(rig.view().statusText().find("Closed hat lost 4"), std::string::npos) << rig.view().statusText();
  EXPECT_FALSE(reloadKeepsAParam(saveState(rig)));
}

// A kit opened from the library whose file holds what this build does not
// read: the host saves its session, and a restored one saves the kit over
// its file as it was opened, less what an edit let go of it since, said.
TEST(KeptLetGo, ARestoredSessionSavesTheKitAsItWasOpened) {
  TempHome home;
  fs::create_directories(home.kitsFolder());
  const fs::path file = home.kitsFolder() / "Newer.kit.orbi";
  writeKit(home.kitsFolder(), {"Newer.kit.orbi", "Newer", "", ""});
  std::string text = fileText(file);
  text.insert(text.find("\"exc1_type\""), "\"x-warp\": 0.250,\n          ");
  for (int i = 0; i < 13; ++i)  // fourteen members of its own, blanks and all
    text.insert(2, "  \"x-later-" + std::to_string(i) + "\": {\"a\": 1.0e0, \"b\": [true, \"\u00e9\"]},\n");
  text.insert(2, "  \"x-future\": [1.50,\"x\"],\n");
  std::ofstream(file, std::ios::binary) << text;
  for (const bool assigned : {false, true}) {
    SCOPED_TRACE(assigned ? "a sample assigned" : "as opened");
    std::vector<std::uint8_t> session;
    {
      EditorRig rig;
      rig.frames(1);
      KitBrowser& kits = rig.view().kitBrowser();
      kits.rescan();
      ASSERT_TRUE(kits.loadKit(*std::find_if(kits.entries.begin(), kits.entries.end(),
                                             [](const ob::KitEntry& e) { return e.name == "Newer"; })));
      rig.frames(1);
      if (assigned) {
        rig.view().samplesPage().previewSlot(5);
        rig.view().samplesPage().assignToTrack(0);
        rig.frames(1);
        EXPECT_NE(rig.view().statusText().find("Newer parameter x-warp"), std::string::npos)
            << rig.view().statusText();
      }
      session = saveState(rig);
    }
    EditorRig restored;
    restored.frames(1);
    loadState(restored, session);
    EXPECT_TRUE(std::any_of(restored.host.logLines.begin(), restored.host.logLines.end(),
                            [](const host::LogLine& l) { return l.text.starts_with("kit-file-kept"); }));
    KitBrowser& kits = restored.view().kitBrowser();
    kits.saveName = "Newer";
    if (!kits.saveKit()) kits.confirmReplace();  // asked whether to write over the file
    const std::string saved = fileText(file);
    if (!assigned) {
      EXPECT_EQ(saved, text);
    }
    EXPECT_NE(saved.find("\"x-future\": [1.50,\"x\"]"), std::string::npos);
    EXPECT_EQ(saved.find("x-warp") == std::string::npos, assigned);
    std::ofstream(file, std::ios::binary) << text;
  }
}

// An older build's session with kit FUT7 opened, whose file's 14 members
// neither build reads its state did not carry, restored: a kit whose
// tab-padded unread member the state would carry escaped past its limit is
// refused, said; a save over FUT7's file keeps the 14, and a later one lets
// go what a sound changed since held, said.
TEST(KeptLetGo, AnOlderBuildsRestoredSessionKeepsWhatItsKitsFilesHold) {
  TempHome home;
  fs::create_directories(home.kitsFolder());
  const fs::path older = fs::path(OB_TEST_DATA_DIR) / "older_sessions",
                 file = home.kitsFolder() / "FUT7.kit.orbi";
  const std::string text = fileText(older / "FUT7.kit.orbi"),
                    state = fileText(older / "fut7_opened_by_0b18a51.state");
  std::ofstream(file, std::ios::binary) << text;
  writeKit(home.kitsFolder(), {"Zeta.kit.orbi", "Zeta Kit", "", ""});
  std::string zeta = fileText(home.kitsFolder() / "Zeta.kit.orbi");
  zeta.insert(1, "\"x-future\": [1," + std::string(16'777'201 - zeta.size() - 18, '\t') + "2],");
  std::ofstream(home.kitsFolder() / "Zeta.kit.orbi", std::ios::binary) << zeta;
  EditorRig rig;
  rig.frames(1);
  loadState(rig, {state.begin(), state.end()});
  const std::vector<std::uint8_t> before = saveState(rig);
  KitBrowser& kits = rig.view().kitBrowser();
  kits.rescan();
  EXPECT_FALSE(kits.loadKit(*std::find_if(kits.entries.begin(), kits.entries.end(),
                                          [](const ob::KitEntry& e) { return e.name == "Zeta Kit"; })));
  rig.frames(1);
  EXPECT_TRUE(rig.view().statusText().starts_with("Could not load Zeta Kit: the state would not save"));
  EXPECT_NE(rig.view().statusText().find("larger than 32 MiB"), std::string::npos);
  EXPECT_EQ(saveState(rig), before);
  kits.prefillSaveForm();
  if (!kits.saveKit()) kits.confirmReplace();  // asked whether to write over the file
  EXPECT_EQ(fileText(file), text);
  rig.view().samplesPage().assignToTrack(0);
  kits.saveKit();
  EXPECT_TRUE(kits.pendingStatus->text.ends_with(
      "let go FUT7 parameter x-warp, which its file held for what this kit has changed since"))
      << kits.pendingStatus->text;
  EXPECT_EQ(fileText(file).find("x-warp"), std::string::npos);
}

}  // namespace kept_let_go_test
}  // namespace orbi::test
