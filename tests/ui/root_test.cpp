// The root window every frame is drawn in, as the headless harness runs it:
// the frame record a root view gets, the content inset, and a frame that a
// view's exception cut short.

#include "ui/root.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/frame_clock.h"

namespace orbi::ui {
namespace root_test {

class FakeView : public View {
 public:
  void frame(const FrameInfo& frame) override {
    frames.push_back(frame);
    windows.push_back(ImGui::GetID("probe"));
    if (throwNext) {
      throwNext = false;
      ImGui::BeginGroup();
      throw std::runtime_error("broken");
    }
  }
  std::vector<FrameInfo> frames;
  std::vector<ImGuiID> windows;
  bool throwNext = false;
};

TEST(RootWindow, TheViewGetsTheFrameRecord) {
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    UiHarness harness(s);
    FakeView view;
    for (int i = 0; i < 3; ++i) harness.frame(view);
    ASSERT_EQ(view.frames.size(), 3u);
    EXPECT_EQ(view.frames[0].dt, 0.0f);
    EXPECT_EQ(view.frames[0].time, 0.0);
    EXPECT_GT(view.frames[1].dt, 0.0f);
    EXPECT_DOUBLE_EQ(view.frames[2].time, view.frames[1].dt + view.frames[2].dt);
    const FrameInfo& f = view.frames.back();
    EXPECT_EQ(f.scale, s);
    EXPECT_EQ(f.display.width, UiHarness::kDisplayWidth * s);
    EXPECT_FLOAT_EQ(f.content.x, 20.0f * s);
    EXPECT_FLOAT_EQ(f.content.y, 20.0f * s);
    EXPECT_FLOAT_EQ(f.content.width, f.display.width - 40.0f * s);
    EXPECT_FLOAT_EQ(f.content.height, f.display.height - 40.0f * s);
    EXPECT_EQ(f.windowControls, nullptr);
  }
}

TEST(RootWindow, AFramedWindowInsetsFiveMore) {
  UiHarness harness;
  harness.setFramed(true);
  FakeView view;
  harness.frame(view);
  EXPECT_FLOAT_EQ(view.frames[0].content.x, 25.0f);
  EXPECT_FLOAT_EQ(view.frames[0].content.width, UiHarness::kDisplayWidth - 50.0f);
}

TEST(RootWindow, AFrameCutShortLeavesTheNextWhole) {
  UiHarness harness;
  FakeView view;
  harness.frame(view);
  view.throwNext = true;
  EXPECT_THROW(harness.frame(view), std::runtime_error);
  harness.frame(view);
  ASSERT_EQ(view.frames.size(), 3u);
  // Drawn in the same root window each time.
  EXPECT_EQ(view.windows[2], view.windows[0]);
}

TEST(FrameClock, TimeIsTheSumOfTheGaps) {
  FrameClock clock;
  const FrameTime first = clock.tick(5'000'000'000);
  EXPECT_EQ(first.dt, 0.0f);
  EXPECT_EQ(first.time, 0.0);
  const FrameTime second = clock.tick(5'016'000'000);
  EXPECT_FLOAT_EQ(second.dt, 0.016f);
  const FrameTime third = clock.tick(5'050'000'000);
  EXPECT_FLOAT_EQ(third.dt, 0.034f);
  EXPECT_DOUBLE_EQ(third.time, static_cast<double>(second.dt) + third.dt);
  clock.reset();
  EXPECT_EQ(clock.tick(9'000'000'000).time, 0.0);
}

}  // namespace root_test
}  // namespace orbi::ui
