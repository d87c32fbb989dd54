// What the embedded window puts on screen: the showcase view drawn through
// OpenGL (Mesa's software renderer under the test runner's X server), read
// back before it is presented and compared with stored pictures at scales
// 1 and 1.5, and framed.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/ui/showcase_gallery.h"
#include "ui/platform/embedded_window.h"

#include "support/ui/stored_picture.h"

#include <GL/gl.h>

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace orbi::ui {
namespace window_snapshot_test {

using test::pumpUntil;

struct Snapshot {
  float scale;
  const char* name;
  bool framed = false;  // with the frame decoration and its additive glow
};

std::filesystem::path storedPath(const Snapshot& s) {
  return std::filesystem::path(OB_TEST_DATA_DIR) / "ui_snapshots" /
         (std::string("window_showcase_") + s.name + ".png");
}

// The showcase, noting what the frame's target held before anything was
// drawn: a callback on the background draw list, which the renderer runs
// first, reads the pixel at the top left.
class ClearProbeView : public ShowcaseView {
 public:
  void frame(const FrameInfo& frame) override {
    ImGui::GetBackgroundDrawList()->AddCallback(&readPixel, cleared_);
    ShowcaseView::frame(frame);
  }
  const std::uint8_t* cleared() const { return cleared_; }

 private:
  static void readPixel(const ImDrawList*, const ImDrawCmd* cmd) {
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, cmd->UserCallbackData);
  }
  std::uint8_t cleared_[4] = {};
};

class WindowSnapshotTest : public ::testing::TestWithParam<Snapshot> {
 protected:
  void SetUp() override {
    if (!test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
  }
  // The view drawn at the case's scale, in a window of its laid-out size.
  std::optional<FramePixels> draw(ShowcaseView& view) {
    const float s = GetParam().scale;
    const auto width = static_cast<unsigned>(std::lround(ShowcaseView::kWidth * s));
    const auto height = static_cast<unsigned>(std::lround(ShowcaseView::kHeight * s));
    const Window parent = host.makeParent(0, 0, width, height);
    EmbeddedWindow window(view, {GetParam().framed, 60});
    window.setScale(s);
    window.setSize(width, height);
    if (!window.attach(parent)) return std::nullopt;
    // The atlas is uploaded and every face baked by then.
    pumpUntil(window, [&] { return view.frames() >= 3; });
    window.captureNextFrame();
    std::optional<FramePixels> pixels;
    pumpUntil(window, [&] { return (pixels = window.takeCapture()).has_value(); });
    return pixels;
  }
  test::WindowHarness host;
};

TEST_P(WindowSnapshotTest, MatchesTheStoredPicture) {
  ShowcaseView view;
  const auto drawn = draw(view);
  ASSERT_TRUE(drawn);
  EXPECT_TRUE(test::matchesStoredPicture(*drawn, storedPath(GetParam())));
}

TEST_P(WindowSnapshotTest, EveryFrameStartsOnTheBackgroundColour) {
  ClearProbeView view;
  const auto drawn = draw(view);
  ASSERT_TRUE(drawn);
  EXPECT_EQ(view.cleared()[0], 14);
  EXPECT_EQ(view.cleared()[1], 18);
  EXPECT_EQ(view.cleared()[2], 8);
  EXPECT_EQ(view.cleared()[3], 255);
  // Nothing drawn over it lets anything behind show through.
  for (std::size_t i = 3; i < drawn->rgba.size(); i += 4) ASSERT_EQ(drawn->rgba[i], 255) << "pixel " << i / 4;
}

INSTANTIATE_TEST_SUITE_P(Scales, WindowSnapshotTest,
                         ::testing::Values(Snapshot{1.0f, "1"}, Snapshot{1.5f, "1_5"},
                                           Snapshot{1.0f, "framed_1", true}),
                         [](const auto& info) { return std::string("scale_") + info.param.name; });

}  // namespace window_snapshot_test
}  // namespace orbi::ui
