// The chain strip with all five tiles active, drawn through OpenGL (Mesa's
// software renderer under the test runner's X server) and compared with a
// stored picture.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "editor/widgets/chain/chain_strip.h"
#include "ui/platform/embedded_window.h"
#include "ui/view.h"

#include "support/ui/stored_picture.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace orbi {
namespace chain_snapshot_test {

using ob::chainstage::Stage;

// A strip of five tiles with values away from their defaults, so that
// every curve, handle and pill shows.
class ChainView : public ui::View {
 public:
  // The window's content lies inside its margin.
  static constexpr float kWidth = 760.0f;
  static constexpr float kHeight = 120.0f;

  ChainView() {
    strip.stageActive.fill(1);
    strip.transient.strike = 0.4f;
    strip.transient.body = -0.3f;
    strip.amp.attack = 0.01f;
    strip.amp.hold = 0.1f;
    strip.amp.decay = 0.4f;
    strip.drive.drive = 4.0f;
    strip.drive.bits = 8.0f;
    strip.drive.rate = 0.2f;
    strip.drive.shape = 1;
    strip.filter.filters[0] = {2000.0f, 0.4f, 0};
    strip.filter.filters[1] = {120.0f, 0.0f, 1};
    strip.room.mix = 0.4f;
    strip.room.size = 0.6f;
    strip.room.damp = 0.3f;
  }
  void frame(const ui::FrameInfo& frame) override {
    ++frames_;
    const float s = frame.scale;
    const ui::Rect c = frame.content;
    strip.draw({c.x, c.y + (c.height - 62.0f * s) / 2.0f, c.width, 62.0f * s});
  }
  int frames() const { return frames_; }

  ChainStrip strip;

 private:
  int frames_ = 0;
};

TEST(ChainStripSnapshot, AllFiveTilesMatchTheStoredPicture) {
  ui::test::WindowHarness host;
  if (!ui::test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
  ChainView view;
  const auto width = static_cast<unsigned>(ChainView::kWidth);
  const auto height = static_cast<unsigned>(ChainView::kHeight);
  const Window parent = host.makeParent(0, 0, width, height);
  ui::EmbeddedWindow window(view, {false, 60});
  window.setScale(1.0);
  window.setSize(width, height);
  ASSERT_TRUE(window.attach(parent));
  ui::test::pumpUntil(window, [&] { return view.frames() >= 3; });
  window.captureNextFrame();
  std::optional<ui::FramePixels> drawn;
  ui::test::pumpUntil(window, [&] { return (drawn = window.takeCapture()).has_value(); });
  ASSERT_TRUE(drawn);

  EXPECT_TRUE(ui::test::matchesStoredPicture(
      *drawn, std::filesystem::path(OB_TEST_DATA_DIR) / "ui_snapshots" / "chain_strip_1.png"));
}

}  // namespace chain_snapshot_test
}  // namespace orbi
