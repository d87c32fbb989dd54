// The bench page in the editor's window as the user sees it, one picture a
// machine: a drum, a sampler in its window and in its slices view, a
// granular sound and a synthesiser. Each selection shows its own panels,
// with its previews, which the frames render within their budget. With
// OB_BENCH_PNG_DIR set the pictures are written there. Skips without
// DISPLAY.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/session/engine_host.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"
#include "tools/clap_host/test_host.h"

// After our own headers: Xlib defines macros such as None.
#include "support/editor/demo_gallery.h"
#include "support/ui/snapshot_png.h"
#include "support/ui/window_harness.h"

namespace ob::clap {
namespace bench_pictures_test {

class BenchPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
    plugin = new Plugin(host.clapHost(), makeEditor);
    clap = &plugin->plugin;
    ASSERT_TRUE(clap->init(clap));
    gui = static_cast<const clap_plugin_gui_t*>(clap->get_extension(clap, CLAP_EXT_GUI));
    parent = x.makeParent(0, 0, 1000, 1000);
    clap_window_t w{CLAP_WINDOW_API_X11, {}};
    w.x11 = parent;
    ASSERT_TRUE(gui->create(clap, CLAP_WINDOW_API_X11, false) && gui->set_parent(clap, &w) &&
                gui->show(clap));
  }
  void TearDown() override {
    if (clap) clap->destroy(clap);
    if (parent) XDestroyWindow(x.display(), parent);
  }

  OrbitraneEditor& editor() { return *dynamic_cast<OrbitraneEditor*>(plugin->editor.get()); }
  orbi::EditorView& view() { return *dynamic_cast<orbi::EditorView*>(editor().view()); }
  void tick(int count) {
    for (int i = 0; i < count; ++i) timerExtension()->on_timer(clap, editor().timerId());
  }

  // Frames until the previews are rendered (the frame clock is the
  // window's, so a render due 100 ms after the last comes in its time),
  // then the picture of a later frame.
  orbi::ui::FramePixels picture() {
    tick(1);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (view().rendersPending() && std::chrono::steady_clock::now() < limit) tick(1);
    EXPECT_FALSE(view().rendersPending());
    tick(2);
    editor().window()->captureNextFrame();
    std::optional<orbi::ui::FramePixels> shot;
    for (int i = 0; i < 60 && !shot; ++i) {
      tick(1);
      shot = editor().window()->takeCapture();
    }
    EXPECT_TRUE(shot);
    return shot ? *shot : orbi::ui::FramePixels{};
  }

  orbi::ui::test::WindowHarness x;
  orbi::host::TestHost host;
  Plugin* plugin = nullptr;
  const clap_plugin_t* clap = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
  Window parent = 0;
};

TEST_F(BenchPictures, EachMachineShowsItsOwnPanels) {
  using orbi::test::DemoBench;
  using orbi::test::kKeepMachine;
  const DemoBench demos[] = {
      {"drum", 0, kKeepMachine, false},
      {"drum_halves", 0, kKeepMachine, false, true},
      {"sampler_window", 1, ob::kMachineSample, false},
      {"sampler_slices", 1, ob::kMachineSample, true},
      {"granular", 2, ob::kMachineGranular, false},
      {"synth", 3, ob::kMachineVa, false},
  };
  const char* dir = std::getenv("OB_BENCH_PNG_DIR");
  std::vector<orbi::ui::FramePixels> shots;
  for (const DemoBench& demo : demos) {
    SCOPED_TRACE(demo.name);
    orbi::test::stageDemoBench(view(), demo);
    shots.push_back(picture());
    EXPECT_EQ(shots.back().width, 960);
    if (dir) {
      EXPECT_TRUE(orbi::ui::test::writePng(std::filesystem::path(dir) / (std::string(demo.name) + ".png"),
                                           shots.back()));
    }
  }
  // Every machine's panels differ from every other's.
  for (std::size_t a = 0; a < shots.size(); ++a)
    for (std::size_t b = a + 1; b < shots.size(); ++b)
      EXPECT_GT(orbi::ui::test::differentPixels(shots[a], shots[b]), 2000u)
          << demos[a].name << " " << demos[b].name;
  // The drum's previews were rendered by the frames, not by the rebuild.
  EXPECT_GT(view().bench().previewRenders(), 0);
}

}  // namespace bench_pictures_test
}  // namespace ob::clap
