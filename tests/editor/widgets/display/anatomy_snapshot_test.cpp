// The drum diagram with a second hit, the socket after the mix and the
// direction reversed, drawn through OpenGL (Mesa's software renderer under
// the test runner's X server) and compared with a stored picture.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "editor/widgets/anatomy/anatomy_view.h"
#include "support/editor/widgets/anatomy_gallery.h"
#include "ui/platform/embedded_window.h"
#include "ui/view.h"

#include "support/ui/stored_picture.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace orbi {
namespace anatomy_snapshot_test {

constexpr unsigned kWidth = 900;
constexpr unsigned kHeight = 560;

class DiagramView : public ui::View {
 public:
  void frame(const ui::FrameInfo& frame) override {
    drum.view.draw(frame.content);
    ++frames;
  }
  graph::testing::BenchDrum drum;
  int frames = 0;
};

TEST(AnatomySnapshot, SecondHitSocketAfterTheMixReversedMatchesTheStoredPicture) {
  ui::test::WindowHarness host;
  if (!ui::test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
  DiagramView view;
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
      *drawn, std::filesystem::path(OB_TEST_DATA_DIR) / "ui_snapshots" / "anatomy_view.png"));
}

}  // namespace anatomy_snapshot_test
}  // namespace orbi
