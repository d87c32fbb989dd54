// The bench page in the editor's window as the user sees it, one picture a
// machine: a drum, a sampler in its window and in its slices view, a
// granular sound and a synthesiser. Each selection shows its own panels,
// with the previews rendered within 100 ms of the frame clock. With
// OB_BENCH_PNG_DIR set the pictures are written there. Skips without
// DISPLAY.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/params/param_tables.h"
#include "engine/session/engine_host.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"
#include "tools/clap_host/test_host.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/snapshot_png.h"
#include "support/ui/x_host.h"

namespace ob::clap {
namespace {

struct Scene {
  const char* name;
  int track;
  std::uint8_t machine;  // 255: the demo's sound as it is
  bool slices;
  bool halves = false;  // a second hit, a recorded body and a random first hit, selected
};

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
    ASSERT_TRUE(gui->create(clap, CLAP_WINDOW_API_X11, false) && gui->set_parent(clap, &w) && gui->show(clap));
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

  void setUp(const Scene& scene) {
    ob::Pattern& part = view().project().patterns[0];
    ob::Sound& sound = part.kit.sounds[part.tracks[scene.track].soundIndex];
    if (scene.machine != 255) {
      ob::initSoundParams(sound, scene.machine);
      const int slot = ob::findParamIndex(scene.machine, "slot");
      if (slot >= 0) sound.params[slot] = scene.machine == ob::kMachineGranular ? 7.0f : 3.0f;
      if (scene.machine == ob::kMachineVa) sound.params[ob::findParamIndex(scene.machine, "flt_cutoff")] = 3000.0f;
    }
    if (scene.slices) {
      sound.params[ob::findParamIndex(ob::kMachineSample, "window_mode")] = 1.0f;
      ob::SampleSlot& table = view().project().samples.slots[3];
      table.sliceCount = 4;
      for (int i = 0; i < 4; ++i) table.slices[i] = static_cast<float>(i) / 4.0f;
    }
    if (scene.halves) {
      const auto set = [&sound](const char* key, float v) { sound.params[ob::findParamIndex(sound.machine, key)] = v; };
      set("exc2_type", 3.0f);
      set("exc2_level", 0.6f);
      set("res_type", 4.0f);
      set("res_aux1", 5.0f / 63.0f);
      ob::Step& first = part.tracks[scene.track].steps[0];
      first.randCount = 1;
      first.rands[0] = {static_cast<std::uint8_t>(ob::findParamIndex(sound.machine, "exc1_decay")), 0.6f};
    }
    view().commitProject(true);
    view().setSelectedTrack(scene.track);
    view().setSelectedStep(scene.halves ? 0 : -1);
    view().refresh();
  }

  // A frame, the throttle's 100 ms, then the picture of a later frame.
  orbi::ui::FramePixels picture() {
    tick(2);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
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

  orbi::ui::test::XHost x;
  orbi::host::TestHost host;
  Plugin* plugin = nullptr;
  const clap_plugin_t* clap = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
  Window parent = 0;
};

TEST_F(BenchPictures, EachMachineShowsItsOwnPanels) {
  const Scene scenes[] = {
      {"drum", 0, 255, false},
      {"drum_halves", 0, 255, false, true},
      {"sampler_window", 1, ob::kMachineSample, false},
      {"sampler_slices", 1, ob::kMachineSample, true},
      {"granular", 2, ob::kMachineGranular, false},
      {"synth", 3, ob::kMachineVa, false},
  };
  const char* dir = std::getenv("OB_BENCH_PNG_DIR");
  std::vector<orbi::ui::FramePixels> shots;
  for (const Scene& scene : scenes) {
    SCOPED_TRACE(scene.name);
    setUp(scene);
    shots.push_back(picture());
    EXPECT_EQ(shots.back().width, 960);
    if (dir) {
      EXPECT_TRUE(
          orbi::ui::test::writePng(std::filesystem::path(dir) / (std::string(scene.name) + ".png"), shots.back()));
    }
  }
  // Every machine's panels differ from every other's.
  for (std::size_t a = 0; a < shots.size(); ++a)
    for (std::size_t b = a + 1; b < shots.size(); ++b)
      EXPECT_GT(orbi::ui::test::differentPixels(shots[a], shots[b]), 2000u) << scenes[a].name << " " << scenes[b].name;
  // The drum's previews were rendered by the frames, not by the rebuild.
  EXPECT_GT(view().bench().previewRenders(), 0);
}

}  // namespace
}  // namespace ob::clap
