// The header bar over the root view: the model it fills from the editor's
// state, the results it hands back, and the header driven as a user drives
// it (tabs, the project file actions through the choosers, the tempo
// field, play, Ctrl+Z).
#include "editor/header/header_bar.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "editor/header/edit_param.h"
#include "editor/project_files.h"
#include "editor_rig.h"
#include "engine/clock/tempo.h"
#include "support/scoped_env.h"
#include "tests/editor/fake_editor_context.h"
#include "tests/editor/kit_rig.h"
#include "tests/ui/fake_programs.h"
#include "ui/dialogs/in_editor_chooser.h"
#include "ui/draw/draw_log.h"

namespace orbi::test {
namespace header_bar_test {

namespace fs = std::filesystem;

const ui::HeaderModel& model(EditorRig& rig) { return rig.view().headerBar().model(); }

// The n-th item registered under the id text in the last frame.
const ui::ItemRecord* nthItem(EditorRig& rig, std::string_view idText, int n = 0) {
  for (const ui::ItemRecord& item : rig.harness.drawLog().items())
    if (item.idText == idText && n-- == 0) return &item;
  return nullptr;
}

void pointAt(EditorRig& rig, const ui::ItemRecord& item) {
  const ui::Rect& a = item.hitArea;
  rig.harness.movePointer({a.x + a.width / 2.0f, a.y + a.height / 2.0f});
}

// Clicks the n-th item with the id text, as a user does; presses closer
// together than half a second make a double-click.
bool click(EditorRig& rig, std::string_view idText, int n = 0, int presses = 1) {
  rig.frames(30);
  const ui::ItemRecord* item = nthItem(rig, idText, n);
  if (!item) return false;
  pointAt(rig, *item);
  rig.frames(1);
  for (int i = 0; i < presses; ++i) {
    rig.harness.setButton(ImGuiMouseButton_Left, true);
    rig.frames(1);
    rig.harness.setButton(ImGuiMouseButton_Left, false);
    rig.frames(1);
  }
  return true;
}

void pressChord(EditorRig& rig, ui::KeyChord chord) {
  rig.harness.pressChord(chord);
  rig.frames(1);
  rig.harness.releaseKeys();
  rig.frames(1);
}

// An edit the undo history keeps apart from the one before.
void tempoEdit(EditorRig& rig, float bpm) {
  ob::EditCommand c;
  c.kind = ob::kEditBpm;
  c.value = bpm;
  rig.view().apply(c);
  rig.frames(30);
}

// Whether the last frame drew the text.
bool drew(EditorRig& rig, std::string_view text) {
  for (const ui::DrawRecord* record : rig.harness.drawLog().find(ui::DrawOp::Text))
    if (record->text == text) return true;
  return false;
}

// The tempo field resets to, and a new empty part plays at, the tempo the
// engine plays when none is given.
TEST(HeaderBarModel, TheTempoFieldAndAnEmptyPartStartAtTheEnginesDefaultTempo) {
  FakeEditorContext context;
  EXPECT_EQ(makeBpmParam(context).spec().defaultValue, ob::effectiveTempo(0.0));
  EXPECT_EQ(newEmptyPart()->bpm, ob::effectiveTempo(0.0));
}

TEST(HeaderBarModel, ShowsTheKitThePagesAndTheVersionThePluginReports) {
  EditorRig rig;
  std::strcpy(rig.project().patterns[0].kit.name, "Night Drive");
  rig.frames(2);
  EXPECT_TRUE(drew(rig, "Night Drive"));
  EXPECT_TRUE(drew(rig, "BENCH"));
  EXPECT_TRUE(drew(rig, "SAMPLES"));
  EXPECT_EQ(model(rig).about.version, rig.clap()->desc->version);
}

TEST(HeaderBarModel, FollowsTheHistoriesTheStatusAndTheTransport) {
  EditorRig rig;
  rig.frames(1);
  EXPECT_FALSE(model(rig).canUndo);
  EXPECT_FALSE(model(rig).canRedo);
  tempoEdit(rig, 100.0f);
  EXPECT_TRUE(model(rig).canUndo);
  EXPECT_EQ(model(rig).transport->tempo->value(), 100.0f);  // the part's tempo
  rig.view().undo();
  rig.frames(1);
  EXPECT_FALSE(model(rig).canUndo);
  EXPECT_TRUE(model(rig).canRedo);

  for (const bool error : {true, false}) {
    rig.view().setStatus(error ? "Could not save x" : "Saved x", error);
    rig.frames(1);
    EXPECT_EQ(model(rig).status.primary.text, error ? "Could not save x" : "Saved x");
    EXPECT_EQ(model(rig).status.primary.tone, error ? ui::StatusTone::Error : ui::StatusTone::Plain);
  }

  // The engine runs a while, then either flag alone makes it play.
  rig.activate();
  ob::RenderInfo running;
  running.playing = running.clockRunning = running.internalPlay = 1;
  std::vector<float> left(512), right(512);
  for (int i = 0; i < 300 && rig.engineHost().engine.playheadStep() < 3; ++i)
    rig.engineHost().engine.process(left.data(), right.data(), 512, running);
  const std::int32_t step = rig.engineHost().engine.playheadStep();
  ASSERT_GT(step, 0);
  const struct { std::uint8_t internal, host; } flags[] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (const auto& f : flags) {
    SCOPED_TRACE(testing::Message() << int(f.internal) << int(f.host));
    rig.engineHost().internalPlay.store(f.internal);
    rig.engineHost().hostPlaying.store(f.host);
    rig.frames(1);
    const bool playing = f.internal || f.host;
    EXPECT_EQ(model(rig).transport->state.playing, playing);
    EXPECT_EQ(model(rig).transport->state.position, playing ? step * 0.25 : 0.0);
  }
}

TEST(HeaderBarResults, EveryActionReachesItsCommandOnce) {
  EditorRig rig;
  HeaderBar& bar = rig.view().headerBar();
  using Flag = bool HeaderBarResult::*;
  const struct {
    ui::HeaderAction action;
    Flag flag;
    std::int32_t kitStep;
  } cases[] = {
      {ui::HeaderAction::New, &HeaderBarResult::newKit, 0},
      {ui::HeaderAction::Save, &HeaderBarResult::saveKit, 0},
      {ui::HeaderAction::SaveAs, &HeaderBarResult::saveKit, 0},
      {ui::HeaderAction::Undo, &HeaderBarResult::undo, 0},
      {ui::HeaderAction::Redo, &HeaderBarResult::redo, 0},
      {ui::HeaderAction::Previous, nullptr, -1},
      {ui::HeaderAction::Next, nullptr, 1},
      {ui::HeaderAction::Browse, &HeaderBarResult::browseKits, 0},
      {ui::HeaderAction::Settings, nullptr, 0},
  };
  const Flag flags[] = {&HeaderBarResult::newKit, &HeaderBarResult::saveKit, &HeaderBarResult::undo,
                        &HeaderBarResult::redo, &HeaderBarResult::browseKits};
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.action));
    ui::HeaderResult header;
    header.action = c.action;
    header.documentField = {10.0f, 20.0f, 200.0f, 30.0f};
    const HeaderBarResult r = bar.readResult(header, EditorPage::Samples);
    for (const Flag flag : flags) EXPECT_EQ(r.*flag, flag == c.flag);
    EXPECT_EQ(r.kitStep, c.kitStep);
    EXPECT_EQ(r.page, EditorPage::Samples);
    EXPECT_FALSE(r.pageChanged);
    EXPECT_EQ(r.anchor.width, 200.0f);
    EXPECT_FALSE(r.openPath || r.savePath);
  }
  for (const std::uint32_t command : {1u, 2u, 3u}) {
    ui::HeaderResult header;
    header.itemFile = ui::ItemFile{command, "/tmp/beat.project.orbi"};
    const HeaderBarResult r = bar.readResult(header, EditorPage::Bench);
    EXPECT_EQ(r.openPath.has_value(), command == kOpenProject);
    EXPECT_EQ(r.savePath.has_value(), command == kSaveProject);
  }
}

TEST(HeaderBarResults, TheTabsChangeThePage) {
  EditorRig rig;
  ASSERT_TRUE(click(rig, "page", 1));
  EXPECT_EQ(rig.view().page(), EditorPage::Samples);
  rig.frames(1);
  EXPECT_NE(rig.harness.drawLog().findItem("load"), nullptr);  // the samples page's toolbar
  ASSERT_TRUE(click(rig, "page", 0));
  EXPECT_EQ(rig.view().page(), EditorPage::Bench);
  rig.frames(1);
  EXPECT_EQ(rig.harness.drawLog().findItem("load"), nullptr);
}

TEST(HeaderBarResults, BackOnTheBenchItIsRebuilt) {
  EditorRig rig;
  ASSERT_TRUE(click(rig, "page", 1));
  ASSERT_EQ(rig.view().page(), EditorPage::Samples);
  ob::Pattern& part = rig.project().patterns[0];
  ASSERT_GE(part.tracks[0].soundIndex, 0);
  std::strcpy(part.kit.sounds[part.tracks[0].soundIndex].name, "Renamed on the side");
  rig.frames(1);
  ASSERT_FALSE(rig.view().benchPage().rows.empty());
  EXPECT_NE(rig.view().benchPage().rows[0].label, "Renamed on the side");
  ASSERT_TRUE(click(rig, "page", 0));
  EXPECT_EQ(rig.view().benchPage().rows[0].label, "Renamed on the side");
}

class HeaderProjectFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orbi-header-XXXXXX";
    folder = mkdtemp(pattern);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(folder, ec);
  }
  // The in-editor chooser once it shows; null when it has not within 10 s.
  ui::FileChooserSession* shownChooser() {
    ui::FileChooserSession* session = nullptr;
    ui::test::eventually([&] {
      rig.frames(1);
      return (session = ui::activeFileChooser(rig.harness.ui())) != nullptr;
    });
    return session;
  }
  ui::FileChooserSession* askFromMenu(const char* label) {
    EXPECT_TRUE(click(rig, "button"));
    rig.frames(2);
    EXPECT_TRUE(click(rig, label)) << label;
    return shownChooser();
  }
  ui::FileChooserSession* chooseFromMenu(const char* label) {
    ui::FileChooserSession* session = askFromMenu(label);
    if (session) ui::openFolder(*session, folder);
    return session;
  }

  ui::test::FakePrograms programs;  // no chooser program: the in-editor chooser answers
  EditorRig rig;
  fs::path folder;
};

TEST_F(HeaderProjectFiles, SaveAndOpenThroughTheHeadersDialogs) {
  std::strcpy(rig.project().patterns[0].kit.name, "Saved kit");
  ui::FileChooserSession* save = chooseFromMenu("Save project...");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->request.kind, ui::FileDialogKind::Save);
  save->name = "beat";
  ui::acceptChoice(*save);
  rig.frames(3);
  const fs::path saved = folder / "beat.project.orbi";
  EXPECT_EQ(withProjectSuffix(saved), saved);
  EXPECT_TRUE(fs::exists(saved));
  EXPECT_EQ(rig.view().statusText(), "Saved beat.project.orbi");

  tempoEdit(rig, 90.0f);
  std::strcpy(rig.project().patterns[0].kit.name, "Changed");
  ui::FileChooserSession* open = chooseFromMenu("Open project...");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->request.kind, ui::FileDialogKind::Open);
  ASSERT_EQ(open->entries.size(), 1u);
  ui::selectEntry(*open, 0, false);
  ui::acceptChoice(*open);
  rig.frames(3);
  EXPECT_STREQ(rig.project().patterns[0].kit.name, "Saved kit");
  EXPECT_EQ(rig.view().statusText(), "Opened beat.project.orbi");
  EXPECT_FALSE(rig.view().statusError());
  EXPECT_TRUE(rig.view().undoHistory().empty());
}

// A name ending in one of the project family's endings is saved as its
// stem and ".project.orbi": whichever chooser answers, the question is
// about that file, and it is written only once replacing it was confirmed.
TEST_F(HeaderProjectFiles, SavingUnderANameThatBecomesAnExistingFileAsksAboutThatFile) {
  const fs::path existing = folder / "my.project.orbi";
  ui::test::writeWhole(existing, "old");
  struct Case {
    const char* program;  // empty: the in-editor chooser
    const char* typed;
    bool replace;
  };
  for (const Case& c :
       {Case{"kdialog", "my.orbi", false}, Case{"", "my.OBP", false}, Case{"zenity", "my.json", true}}) {
    SCOPED_TRACE(testing::Message() << (*c.program ? c.program : "in-editor") << " " << c.typed);
    std::error_code ec;
    for (const char* program : {"zenity", "kdialog"}) fs::remove(programs.dir() / program, ec);
    ui::FileChooserSession* session = nullptr;
    if (*c.program) {
      programs.install(c.program);
      programs.answer(c.program, (folder / c.typed).string() + "\n", 0);
      session = askFromMenu("Save project...");
      ASSERT_NE(session, nullptr);
    } else {
      session = chooseFromMenu("Save project...");
      ASSERT_NE(session, nullptr);
      session->name = c.typed;
      ui::acceptChoice(*session);
    }
    EXPECT_EQ(session->replacing, existing.string());
    rig.frames(3);
    EXPECT_EQ(ui::test::readWhole(existing), "old") << "nothing is written before the answer";
    if (c.replace)
      ui::confirmReplace(*session);
    else
      ui::cancelChoice(*session);
    rig.frames(3);
    EXPECT_EQ(ui::test::readWhole(existing) == "old", !c.replace);
    EXPECT_EQ(rig.view().statusText(), c.replace ? "Saved my.project.orbi" : "");
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
      << "no file under the name as typed";
}

// Whichever chooser answers, a name is saved whole: its dots are part of
// it, an ending in capitals is kept, and two names are two files.
TEST_F(HeaderProjectFiles, DottedNamesAreSavedWhole) {
  struct Case {
    const char* program;  // empty: the in-editor chooser
    const char* typed;
    const char* file;
  };
  const Case cases[] = {
      {"kdialog", "Song ft. Anna", "Song ft. Anna.project.orbi"},
      {"zenity", "Backup 1.4", "Backup 1.4.project.orbi"},
      {"", "Backup 1.5", "Backup 1.5.project.orbi"},
      {"zenity", "Mix 2024.03.15", "Mix 2024.03.15.project.orbi"},
      {"", "SONG.PROJECT.ORBI", "SONG.PROJECT.ORBI"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (*c.program ? c.program : "in-editor") << " " << c.typed);
    std::error_code ec;
    for (const char* program : {"zenity", "kdialog"}) fs::remove(programs.dir() / program, ec);
    if (*c.program) {
      programs.install(c.program);
      programs.answer(c.program, (folder / c.typed).string() + "\n", 0);
      ASSERT_TRUE(click(rig, "button"));
      rig.frames(2);
      ASSERT_TRUE(click(rig, "Save project..."));
      ASSERT_TRUE(ui::test::eventually([&] {
        rig.frames(1);
        return fs::exists(folder / c.file);
      }));
    } else {
      ui::FileChooserSession* session = chooseFromMenu("Save project...");
      ASSERT_NE(session, nullptr);
      session->name = c.typed;
      ui::acceptChoice(*session);
    }
    rig.frames(3);
    EXPECT_TRUE(fs::is_regular_file(folder / c.file));
    EXPECT_EQ(rig.view().statusText(), std::string("Saved ") + c.file);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
            static_cast<long>(std::size(cases)))
      << "one file a name";
}

// A chooser program that is there but does not run leaves the choice to
// the in-editor chooser.
TEST_F(HeaderProjectFiles, AChooserProgramThatFailsGivesWayToTheInEditorChooser) {
  programs.install("zenity");
  programs.answer("zenity", "", 127);
  testing::internal::CaptureStderr();
  ui::FileChooserSession* save = chooseFromMenu("Save project...");
  testing::internal::GetCapturedStderr();
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(programs.runs("zenity"), 1);
  save->name = "beat";
  ui::acceptChoice(*save);
  rig.frames(3);
  EXPECT_TRUE(fs::exists(folder / "beat.project.orbi"));
  EXPECT_EQ(rig.view().statusText(), "Saved beat.project.orbi");
}

// The file choosers the editor opens start in the user's home, found by the
// kits folder's rule, not wherever the host was started.
TEST(HeaderProjectFilesStart, TheProjectAndSampleChoosersStartAtHome) {
  char pattern[] = "/tmp/orbi-home-XXXXXX";
  const fs::path home = mkdtemp(pattern);
  ob::test::ScopedEnv homeEnv{"HOME", home.string()};
  ui::test::FakePrograms programs;  // no chooser program: the in-editor chooser answers
  EditorRig rig;
  const auto chooser = [&rig] {
    ui::FileChooserSession* session = nullptr;
    ui::test::eventually([&] {
      rig.frames(1);
      return (session = ui::activeFileChooser(rig.harness.ui())) != nullptr;
    });
    return session;
  };
  ASSERT_TRUE(click(rig, "button"));
  rig.frames(2);
  ASSERT_TRUE(click(rig, "Open project..."));
  ui::FileChooserSession* open = chooser();
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->folder, home);
  ui::cancelChoice(*open);
  rig.frames(3);

  ASSERT_TRUE(click(rig, "page", 1));
  ASSERT_TRUE(click(rig, "load"));
  ui::FileChooserSession* load = chooser();
  ASSERT_NE(load, nullptr);
  EXPECT_EQ(load->folder, home);
  ui::cancelChoice(*load);
  rig.frames(3);
  std::error_code ec;
  fs::remove_all(home, ec);
}

TEST_F(HeaderProjectFiles, OpenListsProjectsOfEitherFormatAndSaveOnlyTheNewOne) {
  for (const char* file : {"beat.project.orbi", "old.obp", "older.json", "kick.wav"})
    std::ofstream(folder / file) << "{}";
  const auto names = [](const ui::FileChooserSession& session) {
    std::set<std::string> listed;
    for (const ui::ChooserEntry& entry : session.entries) listed.insert(entry.name);
    return listed;
  };
  ui::FileChooserSession* open = chooseFromMenu("Open project...");
  ASSERT_NE(open, nullptr);
  std::set<std::string> listed = names(*open);
  ASSERT_EQ(open->request.filters.size(), 2u);
  open->filter = 1;
  ui::openFolder(*open, folder);
  for (const std::string& name : names(*open)) listed.insert(name);
  EXPECT_EQ(listed, (std::set<std::string>{"beat.project.orbi", "old.obp", "older.json"}));
  ui::cancelChoice(*open);
  rig.frames(3);

  ui::FileChooserSession* save = chooseFromMenu("Save project...");
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(names(*save), std::set<std::string>{"beat.project.orbi"});
  ui::cancelChoice(*save);
  rig.frames(3);
}

// A double-click on the tempo field, the text typed and Enter.
void typeTempo(EditorRig& rig, const char* text) {
  ASSERT_TRUE(click(rig, "tempo", 0, 2));
  rig.frames(1);
  rig.harness.typeText(text);
  rig.frames(1);
  rig.harness.setKey(ui::Key::Enter, true);
  rig.frames(1);
  rig.harness.setKey(ui::Key::Enter, false);
  rig.frames(1);
}

TEST(HeaderBarTempo, TypedValuesAreClampedAndWhole) {
  EditorRig rig;
  for (const auto& [typed, expected] : {std::pair{"300", 240.0f}, std::pair{"99.6", 100.0f}}) {
    SCOPED_TRACE(typed);
    typeTempo(rig, typed);
    EXPECT_EQ(rig.project().patterns[0].bpm, expected);
  }
}

bool textDrawn(EditorRig& rig, std::string_view text) {
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    if (r->text == text) return true;
  return false;
}

// While the host's transport plays the pattern at its own tempo, the field
// shows that tempo and takes no edit; once it stops, the part's comes back.
TEST(HeaderBarTempo, TheHostsTempoShowsReadOnlyWhileItsTransportPlays) {
  EditorRig rig;
  rig.activate();
  const float own = rig.project().patterns[0].bpm;
  ASSERT_NE(own, 90.0f);
  rig.hostBlock(true, 90.0);
  rig.frames(1);
  ASSERT_TRUE(model(rig).transport);
  EXPECT_EQ(model(rig).transport->tempo->value(), 90.0f);
  EXPECT_EQ(model(rig).transport->options.tempoMode, ui::TempoMode::ReadOnly);
  EXPECT_TRUE(textDrawn(rig, "90"));
  EXPECT_FALSE(textDrawn(rig, rig.view().headerBar().bpm().format(own)));

  typeTempo(rig, "150");
  EXPECT_EQ(rig.project().patterns[0].bpm, own);
  EXPECT_TRUE(rig.view().undoHistory().empty());

  rig.hostBlock(true, 127.5);
  rig.frames(1);
  EXPECT_TRUE(textDrawn(rig, "127.5"));

  rig.hostBlock(false, 90.0);
  rig.frames(1);
  EXPECT_EQ(model(rig).transport->tempo->value(), own);
  EXPECT_EQ(model(rig).transport->options.tempoMode, ui::TempoMode::Editable);
}

// A host that stops processing (or deactivates) while its transport plays
// sends no block saying it stopped: the part's tempo comes back, to be
// edited, and the editor, left alone, wants no more frames.
TEST(HeaderBarTempo, TheProjectsTempoComesBackWhenProcessingStops) {
  const struct {
    const char* what;
    void (*stop)(const clap_plugin_t*);
  } stops[] = {
      {"stop_processing", [](const clap_plugin_t* p) { p->stop_processing(p); }},
      {"deactivate", [](const clap_plugin_t* p) { p->deactivate(p); }},
  };
  for (const auto& stop : stops) {
    SCOPED_TRACE(stop.what);
    EditorRig rig;
    rig.activate();
    ASSERT_TRUE(rig.clap()->start_processing(rig.clap()));
    const float own = rig.project().patterns[0].bpm;
    rig.hostBlock(true, 90.0);
    rig.frames(1);
    ASSERT_EQ(model(rig).transport->options.tempoMode, ui::TempoMode::ReadOnly);
    ASSERT_TRUE(rig.view().wantsFrame());

    stop.stop(rig.clap());
    rig.frames(2);
    EXPECT_EQ(model(rig).transport->tempo->value(), own);
    EXPECT_EQ(model(rig).transport->options.tempoMode, ui::TempoMode::Editable);
    EXPECT_FALSE(model(rig).transport->state.playing);
    EXPECT_FALSE(rig.view().wantsFrame());
  }
}

TEST(HeaderBarTransport, PlayStartsTheInternalTransportOnlyWhenNothingPlays) {
  EditorRig rig;
  EngineHost& host = rig.engineHost();
  host.hostPlaying.store(1);
  host.internalPlay.store(0);
  ASSERT_TRUE(click(rig, "play"));
  EXPECT_EQ(host.internalPlay.load(), 0);
  host.hostPlaying.store(0);
  ASSERT_TRUE(click(rig, "play"));
  EXPECT_EQ(host.internalPlay.load(), 1);
  ASSERT_TRUE(click(rig, "play"));
  EXPECT_EQ(host.internalPlay.load(), 0);
}

TEST(HeaderBarKeys, CtrlZUndoesOnceAndCtrlShiftZRedoes) {
  EditorRig rig;
  rig.frames(1);
  tempoEdit(rig, 100.0f);
  tempoEdit(rig, 110.0f);
  ASSERT_EQ(rig.view().undoHistory().size(), 2u);
  pressChord(rig, {ui::Key::Z, ui::kModCtrl});
  EXPECT_EQ(rig.view().undoHistory().size(), 1u);
  EXPECT_EQ(rig.view().redoHistory().size(), 1u);
  EXPECT_EQ(rig.project().patterns[0].bpm, 100.0f);
  pressChord(rig, {ui::Key::Z, ui::kModCtrl | ui::kModShift});
  EXPECT_EQ(rig.view().undoHistory().size(), 2u);
  EXPECT_EQ(rig.project().patterns[0].bpm, 110.0f);
}

TEST(HeaderBarKit, TheFieldMarksChangesAndDrivesTheKitBrowser) {
  TempHome home;
  EditorRig rig;
  rig.frames(1);
  EXPECT_FALSE(model(rig).document->modified);
  ob::EditCommand value;
  value.kind = ob::kEditMacroValue;
  value.value = 0.9f;
  rig.view().apply(value);
  rig.frames(1);
  EXPECT_TRUE(model(rig).document->modified);

  const std::string before = rig.project().patterns[0].kit.name;
  ASSERT_TRUE(click(rig, "next"));
  rig.frames(1);
  EXPECT_EQ(rig.view().statusText().rfind("Loaded ", 0), 0u) << rig.view().statusText();
  EXPECT_NE(rig.project().patterns[0].kit.name, before);
  EXPECT_FALSE(model(rig).document->modified);
  const std::string next = rig.project().patterns[0].kit.name;
  ASSERT_TRUE(click(rig, "previous"));
  rig.frames(1);
  EXPECT_NE(rig.project().patterns[0].kit.name, next);

  // The library opens under the kit field (over the samples page, whose
  // items are not called "row" as the tracks strip's are).
  rig.view().showPage(EditorPage::Samples);
  ASSERT_TRUE(click(rig, "name"));
  rig.frames(3);
  const ui::Rect field = nthItem(rig, "name")->hitArea;
  const ui::ItemRecord* row = nthItem(rig, "row");
  ASSERT_NE(row, nullptr);
  EXPECT_GT(row->hitArea.y, field.y + field.height);
  rig.harness.movePointer({900.0f, 900.0f});  // a click outside closes it
  rig.frames(1);
  rig.harness.setButton(ImGuiMouseButton_Left, true);
  rig.frames(1);
  rig.harness.setButton(ImGuiMouseButton_Left, false);
  rig.frames(2);
  EXPECT_EQ(nthItem(rig, "row"), nullptr);

  // The field's save button opens the form, whose own save follows it.
  ASSERT_TRUE(click(rig, "save"));
  rig.frames(3);
  EXPECT_NE(nthItem(rig, "save", 1), nullptr);
}

// "Save As..." under the name of another kit in the library asks before
// replacing its file; Ctrl+S on the file the kit was saved to does not.
TEST(HeaderBarKit, SavingOverAnotherKitAsksAndTheKitsOwnFileDoesNot) {
  TempHome home;
  fs::create_directories(home.kitsFolder());
  const fs::path other = home.kitsFolder() / "Other.kit.orbi";
  writeKit(home.kitsFolder(), {"Other.kit.orbi", "Other", "", ""});
  const std::string before = ui::test::readWhole(other);
  EditorRig rig;
  ASSERT_TRUE(click(rig, "button"));
  rig.frames(2);
  ASSERT_TRUE(click(rig, "Save As..."));
  rig.frames(3);
  rig.view().kitBrowser().saveName = "Other";
  ASSERT_TRUE(click(rig, "save", 1));  // the form's, after the kit field's
  rig.frames(2);
  EXPECT_NE(nthItem(rig, "replace"), nullptr);
  EXPECT_EQ(ui::test::readWhole(other), before);
  EXPECT_NE(rig.view().statusText(), "Saved Other");
  ASSERT_TRUE(click(rig, "replace"));
  rig.frames(2);
  EXPECT_EQ(rig.view().statusText(), "Saved Other");
  const std::string saved = ui::test::readWhole(other);
  EXPECT_NE(saved, before);

  ob::EditCommand value;
  value.kind = ob::kEditMacroValue;
  value.value = 0.9f;
  rig.view().apply(value);
  pressChord(rig, {ui::Key::S, ui::kModCtrl});
  rig.frames(3);
  ASSERT_TRUE(click(rig, "save", 1));
  rig.frames(2);
  EXPECT_EQ(nthItem(rig, "replace"), nullptr);
  EXPECT_NE(ui::test::readWhole(other), saved) << "written at once";
}

TEST(SamplesPageInTheView, ImportFailuresStayOffTheStatusLine) {
  EditorRig rig;
  rig.frames(1);
  EXPECT_EQ(rig.view().samplesPage().loadWav("/nonexistent/x.wav"), -1);
  EXPECT_EQ(rig.view().samplesPage().message(), "Could not load x.wav: cannot open the file");
  rig.frames(1);
  EXPECT_TRUE(rig.view().statusText().empty());
}

}  // namespace header_bar_test
}  // namespace orbi::test
