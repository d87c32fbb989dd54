// The editor window on the SAMPLES page with imported samples, drawn by the
// real GL back end: the header, the credits strip and the page's grid,
// tag line and waveform all reach the pixels. Skips without DISPLAY.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"
#include "support/editor/wav_writer.h"
#include "tools/clap_host/test_host.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/snapshot_png.h"
#include "support/ui/window_harness.h"

namespace ob::clap {
namespace samples_snapshot_test {

namespace fs = std::filesystem;

TEST(SamplesSnapshot, ThePageShowsTheGridAndTheSelectedWaveform) {
  orbi::ui::test::WindowHarness x;
  if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
  orbi::host::TestHost host;
  Plugin* plugin = new Plugin(host.clapHost(), makeEditor);
  const clap_plugin_t* clap = &plugin->plugin;
  ASSERT_TRUE(clap->init(clap));
  const auto* gui = static_cast<const clap_plugin_gui_t*>(clap->get_extension(clap, CLAP_EXT_GUI));
  const Window parent = x.makeParent(0, 0, 1000, 1000);
  clap_window_t w{CLAP_WINDOW_API_X11, {}};
  w.x11 = parent;
  ASSERT_TRUE(gui->create(clap, CLAP_WINDOW_API_X11, false) && gui->set_parent(clap, &w) && gui->show(clap));
  auto& editor = *dynamic_cast<OrbitraneEditor*>(plugin->editor.get());
  const auto tick = [&](int count) {
    for (int i = 0; i < count; ++i) timerExtension()->on_timer(clap, editor.timerId());
  };

  auto& view = *dynamic_cast<orbi::EditorView*>(editor.view());
  const fs::path wav = fs::temp_directory_path() / ("Floor Tom " + std::to_string(::getpid()) + ".wav");
  orbi::test::writeFile(
      wav, orbi::test::wavBytes(orbi::test::drumHit(44100.0, 0.8), 1, 44100.0, orbi::test::WavFormat::Pcm24));
  orbi::SamplesPage& page = view.samplesPage();
  const std::int32_t slot = page.loadWav(wav.string());
  fs::remove(wav);
  ASSERT_GE(slot, 0);
  page.addTag(slot, "tom");
  page.addTag(slot, "low");
  page.previewSlot(slot);
  view.showPage(orbi::EditorPage::Samples);

  tick(3);
  editor.window()->captureNextFrame();
  std::optional<orbi::ui::FramePixels> shot;
  for (int i = 0; i < 60 && !shot; ++i) {
    tick(1);
    shot = editor.window()->takeCapture();
  }
  ASSERT_TRUE(shot);
  // The waveform's accent green fills part of the preview band.
  std::size_t accent = 0;
  for (std::size_t i = 0; i + 3 < shot->rgba.size(); i += 4)
    if (std::abs(shot->rgba[i] - 0x8D) <= 8 && std::abs(shot->rgba[i + 1] - 0xC6) <= 8 &&
        std::abs(shot->rgba[i + 2] - 0x3F) <= 8)
      ++accent;
  EXPECT_GT(accent, 2000u);
  if (const char* out = std::getenv("OB_SAMPLES_PNG")) {
    EXPECT_TRUE(orbi::ui::test::writePng(out, *shot));
  }
  gui->destroy(clap);
  clap->destroy(clap);
  XDestroyWindow(x.display(), parent);
}

}  // namespace samples_snapshot_test
}  // namespace ob::clap
