// The whole bench page drawn through OpenGL (Mesa's software renderer under
// the test runner's X server) and compared with stored pictures: a drum
// with eight hits, locks and random variations, and a sampler in the
// slices view.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "editor/widgets/bench/bench_page.h"
#include "support/editor/widgets/bench_gallery.h"
#include "ui/platform/embedded_window.h"
#include "ui/view.h"

#include "support/ui/stored_picture.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace orbi {
namespace bench_page_snapshot_test {

constexpr unsigned kWidth = 960;
constexpr unsigned kHeight = 880;

template <class Gallery>
class PageView : public ui::View {
 public:
  void frame(const ui::FrameInfo& frame) override {
    gallery.page.draw(frame.content);
    ++frames;
  }
  Gallery gallery;
  int frames = 0;
};

template <class Gallery>
void expectStoredPicture(const char* name) {
  ui::test::WindowHarness host;
  if (!ui::test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
  PageView<Gallery> view;
  const Window parent = host.makeParent(0, 0, kWidth, kHeight);
  ui::EmbeddedWindow window(view, {false, 60});
  window.setScale(1.0);
  window.setSize(kWidth, kHeight);
  ASSERT_TRUE(window.attach(parent));
  ui::test::pumpUntil(window, [&] { return view.frames >= 3; });
  window.captureNextFrame();
  std::optional<ui::FramePixels> drawn;
  ui::test::pumpUntil(window, [&] { return (drawn = window.takeCapture()).has_value(); });
  ASSERT_TRUE(drawn);

  EXPECT_TRUE(ui::test::matchesStoredPicture(
      *drawn, std::filesystem::path(OB_TEST_DATA_DIR) / "ui_snapshots" / name));
}

TEST(BenchPageSnapshot, DrumWithEightHitsLocksAndVariationsMatchesTheStoredPicture) {
  expectStoredPicture<bench::testing::DrumPage>("bench_page_drum.png");
}

TEST(BenchPageSnapshot, SamplerInTheSlicesViewMatchesTheStoredPicture) {
  expectStoredPicture<bench::testing::SamplerPage>("bench_page_sampler.png");
}

}  // namespace bench_page_snapshot_test
}  // namespace orbi
