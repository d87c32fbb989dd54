// The built Orbitrane.clap's editor opened, worked, hidden and closed by the
// test host's GUI mode as a host does it, with real X input: what survives
// a close and what does not, and that a state load under the open editor
// leaves it drawing. Skips without DISPLAY.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numeric>
#include <set>

#include "document/archive/zip_writer.h"
#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "plugin/plugin.h"
#include "support/scoped_env.h"
#include "tools/clap_host/factory_kit.h"

// After our own headers: Xlib defines macros such as None.
#include "support/editor/built_editor_rig.h"

namespace orbi::test {
namespace editor_life_cycle_test {

using host::Picture;

// The share of a picture's pixels brighter than black in some channel.
double paintedShare(const Picture& p) {
  std::size_t painted = 0;
  for (std::size_t i = 0; i + 3 < p.rgba.size(); i += 4)
    painted += std::max({p.rgba[i], p.rgba[i + 1], p.rgba[i + 2]}) > 4;
  return p.rgba.empty() ? 0.0 : static_cast<double>(painted) / static_cast<double>(p.rgba.size() / 4);
}

// Blackens the editor's window from the host's side, so that only frames
// drawn afterwards can show anything.
void paintBlack(host::GuiSession& session) {
  Display* display = session.display();
  const Window window = session.editorWindow();
  GC gc = XCreateGC(display, window, 0, nullptr);
  XSetForeground(display, gc, 0);
  XFillRectangle(display, window, gc, 0, 0, session.width(), session.height());
  XFreeGC(display, gc);
  XSync(display, False);
}

class EditorLifeCycle : public BuiltEditorRig {};

TEST_F(EditorLifeCycle, ClosingAndReopeningKeepsTheProject) {
  open();
  ASSERT_TRUE(session->runFrames(60));
  // A click gives the window the keyboard; Delete clears the selected track.
  const std::vector<std::uint8_t> before = state();
  run("click 480 470; key Delete; frames 3");
  const std::vector<std::uint8_t> edited = state();
  EXPECT_NE(edited, before) << "the key did not reach the editor";
  // Undo and redo answer the keys while the histories hold the edit.
  run("key ctrl+z; frames 3");
  EXPECT_EQ(state(), before);
  run("key ctrl+shift+z; frames 3");
  EXPECT_EQ(state(), edited);
  close();
  EXPECT_EQ(state(), edited);
  open();
  ASSERT_TRUE(session->runFrames(60));
  EXPECT_EQ(state(), edited);
  // A new editor starts with empty histories: nothing to undo or redo.
  run("click 480 470; key ctrl+z; frames 3; key ctrl+shift+z; frames 3");
  EXPECT_EQ(state(), edited);
}

TEST_F(EditorLifeCycle, ClickAndPictureOfTheWindow) {
  for (const double scale : {1.0, 1.5}) {
    SCOPED_TRACE(scale);
    host::GuiOptions options;
    options.scale = scale;
    open(options);
    EXPECT_EQ(session->width(), scale == 1.0 ? 960u : 1440u);
    EXPECT_EQ(session->height(), scale == 1.0 ? 940u : 1410u);
    session->click(200, 300);
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(session->display(), &focus, &revert);
    EXPECT_EQ(focus, session->editorWindow()) << "the click did not reach the window";
    const Picture p = picture();
    EXPECT_EQ(p.width, static_cast<int>(session->width()));
    EXPECT_EQ(p.height, static_cast<int>(session->height()));
    EXPECT_GT(paintedShare(p), 0.9);
  }
}

TEST_F(EditorLifeCycle, HiddenItDrawsNothingShownAgainItDraws) {
  open();
  ASSERT_TRUE(session->hide());
  session->runFrames(2);
  std::string error;
  EXPECT_FALSE(session->picture(error)) << "a hidden window is not on screen";
  ASSERT_TRUE(session->show());
  paintBlack(*session);
  EXPECT_LT(paintedShare(picture()), 0.01);
  ASSERT_TRUE(session->runFrames(5));
  EXPECT_GT(paintedShare(picture()), 0.9);
}

TEST_F(EditorLifeCycle, TwentyOpenAndCloseCyclesLeaveNothingBehind) {
  const std::size_t ownTimers = host.timers.size();
  const std::vector<std::uint8_t> before = state();
  for (int cycle = 0; cycle < 20; ++cycle) {
    SCOPED_TRACE(cycle);
    open();
    close();
    ASSERT_EQ(host.timers.size(), ownTimers);
    ASSERT_TRUE(host.fds.empty());
  }
  EXPECT_TRUE(host.gui.closed.empty()) << "the plug-in reports a close only when it closes itself";
  EXPECT_EQ(state(), before);
}

TEST_F(EditorLifeCycle, AStateLoadUnderTheOpenEditorKeepsItDrawing) {
  std::vector<std::uint8_t> kit;
  std::string error;
  ASSERT_TRUE(host::factoryKitState("2", kit, error)) << error;
  open();
  ASSERT_TRUE(session->runFrames(10));
  ASSERT_TRUE(instance->loadState(kit, error)) << error;
  const std::vector<std::uint8_t> loaded = state();
  paintBlack(*session);
  ASSERT_TRUE(session->runFrames(200));
  EXPECT_GT(paintedShare(picture()), 0.9);
  EXPECT_EQ(state(), loaded) << "the editor changed the loaded project by itself";
}

std::vector<char> fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An open that left an entry out (past the 64 MiB a load keeps unread), the
// editor closed and opened again, and "Save project..." over the file with
// Return to every question: the file keeps the entry. Only the question's
// other answer writes it without.
TEST_F(EditorLifeCycle, AReopenedEditorStillAsksBeforeASaveDropsWhatTheOpenLeftOut) {
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("orbi_reopen_" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);
  const ob::test::ScopedEnv homeVariable("HOME", home.string());
  const std::filesystem::path file = home / "big.project.orbi";
  const std::vector<std::uint8_t> document = state();  // the demo, after the state's 8-byte head
  ob::Diagnostics d;
  const std::vector<std::uint8_t> zip =
      *ob::zip::writeZip({{"instance.json", {document.begin() + 8, document.end()}},
                          {"future/a.bin", std::vector<std::uint8_t>(65u << 20), true}},
                         d);
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(zip.data()), std::ssize(zip));
  const std::vector<char> before = fileBytes(file);
  open();
  // At scale 1: the header's menu, its "Open project..." and "Save
  // project..." items; the in-editor chooser's first entry, its Open and,
  // while it asks, its Replace button; the question's "Save anyway".
  const std::string saveAsBig = "click 60 38; click 66 166; frames 5; type big; key Return; frames 3";
  run("click 60 38; click 66 150; frames 5; click 250 320; click 279 664; frames 10; reopen; " + saveAsBig +
      "; key Return; frames 3");
  EXPECT_EQ(fileBytes(file), before) << "Return to \"already exists. Replace it?\" replaced it";
  run("key Return; frames 3; click 232 656; frames 5; key Return; frames 5");
  EXPECT_EQ(fileBytes(file), before) << "Return to \"Entries left out\" saved without the entry";
  run(saveAsBig + "; click 232 656; frames 5; click 664 454; frames 5");
  EXPECT_NE(fileBytes(file), before) << "the question was not there to answer";
  close();
  std::filesystem::remove_all(home);
}

// The same close and reopen inside this process, where the root view can
// be looked at: the new view starts with empty histories.
TEST(EditorLifeCycleInProcess, AReopenedEditorStartsWithEmptyHistories) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  const ui::test::WindowHarness keepDriver;
  host::TestHost host;
  auto* plugin = new ob::clap::Plugin(host.clapHost(), ob::clap::makeEditor);
  ASSERT_TRUE(plugin->plugin.init(&plugin->plugin));
  std::unique_ptr<host::Instance> instance = host::Instance::adopt(host, &plugin->plugin);
  auto view = [&] {
    return dynamic_cast<EditorView*>(dynamic_cast<ob::clap::OrbitraneEditor&>(*plugin->editor).view());
  };
  std::string error;
  auto session = host::GuiSession::open(*instance, {}, error);
  ASSERT_NE(session, nullptr) << error;
  ASSERT_TRUE(host::runGuiScript(*session, "frames 60; click 480 470; key Delete; frames 3", error)) << error;
  ASSERT_NE(view(), nullptr);
  EXPECT_EQ(view()->undoHistory().size(), 1u);
  const ob::Project edited = view()->project();
  session.reset();
  EXPECT_EQ(view(), nullptr);
  session = host::GuiSession::open(*instance, {}, error);
  ASSERT_NE(session, nullptr) << error;
  ASSERT_TRUE(session->runFrames(60));
  ASSERT_NE(view(), nullptr);
  EXPECT_TRUE(view()->undoHistory().empty());
  EXPECT_TRUE(view()->redoHistory().empty());
  EXPECT_EQ(std::memcmp(&view()->project(), &edited, sizeof edited), 0);
  session.reset();
}

// Kit work, the editor closed after `before` and opened again or not: the
// kit files written, each with a digest, the kit and its modified mark.
struct KitWork {
  const char* what;
  std::string before, after;
  const char* ends;  // a line of the end without the close
  bool stateLoaded = false;
};

std::string endOf(const KitWork& work, bool reopen) {
  const std::filesystem::path data =
      std::filesystem::temp_directory_path() / ("orbi_kits_" + std::to_string(::getpid()));
  std::filesystem::create_directories(data / "Orbitrane" / "mine");
  const ob::test::ScopedEnv dataHome("XDG_DATA_HOME", data.string());
  host::TestHost host;
  auto* plugin = new ob::clap::Plugin(host.clapHost(), ob::clap::makeEditor);
  plugin->plugin.init(&plugin->plugin);
  const std::unique_ptr<host::Instance> instance = host::Instance::adopt(host, &plugin->plugin);
  std::string error;
  std::vector<std::uint8_t> state;
  host::GuiOptions quick;
  quick.framesAfterInput = 1;
  auto session = host::GuiSession::open(*instance, quick, error);
  if (!session || !host::runGuiScript(*session, "frames 5; " + work.before, error)) return error;
  if (reopen) session.reset();
  if (work.stateLoaded && !(host::factoryKitState("2", state, error) && instance->loadState(state, error)))
    return error;
  if (reopen && !(session = host::GuiSession::open(*instance, quick, error))) return error;
  if (!host::runGuiScript(*session, work.after + "; frames 3", error)) return error;
  std::set<std::string> lines;
  for (const auto& file : std::filesystem::recursive_directory_iterator(data / "Orbitrane"))
    if (file.is_regular_file()) {
      const std::vector<char> b = fileBytes(file.path());
      lines.insert(std::filesystem::relative(file.path(), data / "Orbitrane").string() + " " +
                   std::to_string(std::hash<std::string>{}({b.begin(), b.end()})));
    }
  auto& view = dynamic_cast<EditorView&>(*dynamic_cast<ob::clap::OrbitraneEditor&>(*plugin->editor).view());
  lines.insert("kit " + std::string(view.project().patterns[0].kit.name));
  lines.insert("modified " + std::to_string(view.kitModified()));
  std::filesystem::remove_all(data);
  return std::accumulate(lines.begin(), lines.end(), std::string(),
                         [](auto a, auto& b) { return a + b + ";"; });
}

// What the closed editor knew goes on in the next. At scale 1: the hit
// level, the kit's save button, its form's name and Save, the next kit; the
// kit's name, "Folder...", and the chooser's Up, "mine/" and Choose.
TEST(EditorLifeCycleInProcess, KitWorkEndsTheSameWhereverTheEditorWasClosedAndReopened) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  const ui::test::WindowHarness keepDriver;
  const std::string edit = "drag 487 687 600 687; frames 3",
                    save = "click 554 38; frames 3; click 493 166; frames 3";
  const auto saveAs = [](const char* name) {
    return "click 554 38; frames 3; click 373 106; key ctrl+a; type " + std::string(name) +
           "; click 493 166; frames 3";
  };
  const std::string mine =
      "click 222 38; frames 3; click 683 80; frames 4; click 220 296; frames 3; click 227 336; frames 3; "
      "click 284 664; frames 4";
  const KitWork works[] = {
      {"an edit", edit, "", "modified 1"},
      {"an edit, then a state loaded", edit, "", "modified 0", true},
      {"a folder chosen, then a save", mine, save, "mine/Demo Kit.kit.orbi"},
      {"a save, an edit, a save over the kit's own file", save + "; " + edit, save, "modified 0"},
      {"a save as A/B, then as A_B, whose file A/B has", saveAs("A/B"), saveAs("A_B"), "kit A/B"},
      {"a save beside a built-in kit, then the next kit", saveAs("Hard Rave"), "click 525 38; frames 3",
       "kit Crushed Techno"},
  };
  for (const KitWork& work : works) {
    SCOPED_TRACE(work.what);
    const std::string open = endOf(work, false);
    EXPECT_NE(open.find(work.ends), std::string::npos) << open;
    EXPECT_EQ(endOf(work, true), open);
  }
}

}  // namespace editor_life_cycle_test
}  // namespace orbi::test
