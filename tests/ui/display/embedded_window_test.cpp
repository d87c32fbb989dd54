// The embedded window's life in a host's window and its frames, on the X
// server the test runner starts: sizes, attach and re-attach, a parent that
// dies first, a UI context that cannot be made, the frame clock, mapping,
// the desktop's scale, the host's GL context, two windows side by side, a
// view that throws, and frames drawn only when something asks for them.

#include "ui/platform/embedded_window.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls/scroll_area.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/frame_demand.h"
#include "ui/frame_failures.h"
#include "ui/frame_requests.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

#include <GL/glx.h>
#include <X11/Xatom.h>

namespace orbi::ui {
namespace embedded_window_test {

using namespace std::chrono_literals;
using test::pumpFor;
using test::pumpUntil;

// Records every frame; fills its content with one colour; throws in the
// frames it is told to. It asks for every next frame, as a view that moves
// does.
class FakeView : public View {
 public:
  explicit FakeView(std::uint32_t colour = 0xFF3060C0) : colour_(colour) {}
  void frame(const FrameInfo& frame) override {
    requestFrame();
    frames.push_back(frame);
    contexts.push_back(ImGui::GetCurrentContext());
    fillRect(ImGui::GetWindowDrawList(), frame.content, colour_);
    const int count = static_cast<int>(frames.size());
    if (throwOnFrame > 0 && count >= throwOnFrame && count < throwOnFrame + throwFrames) {
      // Leaves pushed state behind, as a real failure would, in the root
      // window and in a scroll area whose scope ends it while unwinding.
      ImGui::PushID("unbalanced");
      ImGui::BeginGroup();
      const ScrollArea area("area", frame.content, 2.0f * frame.content.height);
      pushTextStyle(TextStyle::Title);
      ImGui::PushID("inside");
      throw std::runtime_error("the view broke");
    }
  }
  std::vector<FrameInfo> frames;
  std::vector<ImGuiContext*> contexts;
  int throwOnFrame = -1;  // 1-based
  int throwFrames = 1;    // from throwOnFrame on

 private:
  std::uint32_t colour_;
};

std::uint32_t pixelAt(const FramePixels& p, int x, int y) {
  const std::uint8_t* px = &p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4];
  return 0xFF000000u | (px[0] << 16) | (px[1] << 8) | px[2];
}

std::optional<FramePixels> captureFrame(EmbeddedWindow& window) {
  window.captureNextFrame();
  std::optional<FramePixels> pixels;
  pumpUntil(window, [&] { return (pixels = window.takeCapture()).has_value(); });
  return pixels;
}

// Sets the root window's resource-manager text for the test and puts the
// old one back after.
class DesktopResources {
 public:
  explicit DesktopResources(test::WindowHarness& host) : host_(host) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(host_.display(), host_.root(), XA_RESOURCE_MANAGER, 0, 1 << 16, False, XA_STRING,
                       &type, &format, &items, &after, &data);
    if (data) {
      saved_ = std::string(reinterpret_cast<const char*>(data), items);
      had_ = true;
      XFree(data);
    }
  }
  ~DesktopResources() {
    if (had_)
      set(saved_);
    else
      XDeleteProperty(host_.display(), host_.root(), XA_RESOURCE_MANAGER);
    XSync(host_.display(), False);
  }
  void set(const std::string& text) {
    XChangeProperty(host_.display(), host_.root(), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    XSync(host_.display(), False);
  }

 private:
  test::WindowHarness& host_;
  std::string saved_;
  bool had_ = false;
};

class EmbeddedWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
  }
  test::WindowHarness host;
};

TEST(EmbeddedWindowOptions, FrameIntervalFollowsTheRate) {
  FakeView view;
  for (const auto& [fps, ms] :
       std::vector<std::pair<int, int>>{{60, 16}, {30, 33}, {0, 16}, {-5, 16}, {5000, 1}}) {
    SCOPED_TRACE(fps);
    EXPECT_EQ(EmbeddedWindow(view, {false, fps}).frameIntervalMs(), ms);
  }
}

TEST(EmbeddedWindowOptions, DetachedWindowHasNoConnection) {
  FakeView view;
  EmbeddedWindow window(view, {});
  EXPECT_EQ(window.connectionFd(), -1);
  EXPECT_EQ(window.nativeWindow(), 0u);
  EXPECT_FALSE(window.attach(0));
  window.onTimer();
  window.onFd();
  window.show();
  window.hide();
  EXPECT_TRUE(view.frames.empty());
}

TEST_F(EmbeddedWindowTest, WithoutASizeTheParentsIsTaken) {
  const Window parent = host.makeParent(0, 0, 300, 200);
  FakeView view;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(parent));
  EXPECT_GE(window.connectionFd(), 0);
  const XWindowAttributes a = host.attributes(window.nativeWindow());
  EXPECT_EQ(a.width, 300);
  EXPECT_EQ(a.height, 200);
  EXPECT_EQ(host.childCount(parent), 1);
  ASSERT_TRUE(pumpUntil(window, [&] { return !view.frames.empty(); }));
  EXPECT_EQ(view.frames.back().display.width, 300.0f);
  EXPECT_EQ(view.frames.back().display.height, 200.0f);
}

TEST_F(EmbeddedWindowTest, ASetSizeIsKeptAndFollowed) {
  const Window parent = host.makeParent(0, 0, 300, 200);
  FakeView view;
  EmbeddedWindow window(view, {});
  window.setSize(240, 160);
  ASSERT_TRUE(window.attach(parent));
  EXPECT_EQ(host.attributes(window.nativeWindow()).width, 240);
  EXPECT_EQ(host.attributes(window.nativeWindow()).height, 160);
  window.setSize(260, 180);
  ASSERT_TRUE(
      pumpUntil(window, [&] { return !view.frames.empty() && view.frames.back().display.width == 260.0f; }));
  EXPECT_EQ(view.frames.back().display.height, 180.0f);
}

TEST_F(EmbeddedWindowTest, SizesOutsideWhatXTakesAreClamped) {
  // X has no window of size 0: the smallest parent is 1 x 1.
  const Window parent = host.makeParent(0, 0, 1, 1);
  FakeView view;
  EmbeddedWindow window(view, {});
  window.setSize(0, 0);
  ASSERT_TRUE(window.attach(parent));
  EXPECT_EQ(host.attributes(window.nativeWindow()).width, 1);
  window.setSize(0, 0);
  window.onTimer();
  EXPECT_EQ(host.attributes(window.nativeWindow()).height, 1);
  window.setSize(40000, 5);
  window.onTimer();
  EXPECT_EQ(host.attributes(window.nativeWindow()).width, 32767);
  ASSERT_TRUE(pumpUntil(
      window, [&] { return !view.frames.empty() && view.frames.back().display.width == 32767.0f; }));
  // The content never goes below nothing.
  EXPECT_EQ(view.frames.back().content.height, 0.0f);
}

TEST_F(EmbeddedWindowTest, ASecondAttachReplacesTheWindow) {
  const Window first = host.makeParent(0, 0, 200, 100);
  const Window second = host.makeParent(0, 0, 200, 100);
  FakeView view;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(first));
  ASSERT_TRUE(window.attach(second));
  EXPECT_EQ(host.childCount(first), 0);
  EXPECT_EQ(host.childCount(second), 1);
  EXPECT_TRUE(pumpUntil(window, [&] { return !view.frames.empty(); }));
}

TEST_F(EmbeddedWindowTest, AParentThatIsNoWindowFails) {
  const Window parent = host.makeParent(0, 0, 200, 100);
  XDestroyWindow(host.display(), parent);
  XSync(host.display(), False);
  FakeView view;
  EmbeddedWindow window(view, {});
  EXPECT_FALSE(window.attach(parent));
  EXPECT_EQ(window.nativeWindow(), 0u);
  EXPECT_EQ(window.connectionFd(), -1);
}

TEST_F(EmbeddedWindowTest, TheParentMayDieFirst) {
  for (const bool tickedAfter : {false, true}) {
    SCOPED_TRACE(tickedAfter);
    const Window parent = host.makeParent(0, 0, 200, 100);
    FakeView view;
    {
      EmbeddedWindow window(view, {});
      ASSERT_TRUE(window.attach(parent));
      ASSERT_TRUE(pumpUntil(window, [&] { return !view.frames.empty(); }));
      XDestroyWindow(host.display(), parent);
      XSync(host.display(), False);
      if (tickedAfter) {
        const std::size_t before = view.frames.size();
        pumpFor(window, 100ms);
        // Perhaps one frame before the news arrived, then none.
        EXPECT_LE(view.frames.size(), before + 1);
        window.show();
        window.setSize(50, 50);
        window.onFd();
      }
    }
    // Still here: no X error reached Xlib's default handler.
    EXPECT_TRUE(host.display());
  }
}

TEST_F(EmbeddedWindowTest, AUiContextThatCannotBeMadeLeavesNoWindow) {
  const Window parent = host.makeParent(0, 0, 200, 100);
  FakeView view;
  EmbeddedWindow window(view, {}, []() -> std::unique_ptr<UiContext> {
    throw std::runtime_error("orbi-ui: embedded font failed to load: Inter");
  });
  testing::internal::CaptureStderr();
  EXPECT_FALSE(window.attach(parent));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said.rfind("orbi-ui: ", 0), 0u) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_EQ(host.childCount(parent), 0);
  EXPECT_EQ(window.nativeWindow(), 0u);
  EXPECT_EQ(window.connectionFd(), -1);
  EXPECT_EQ(window.ui(), nullptr);
}

TEST_F(EmbeddedWindowTest, TheFirstFrameStartsTheClock) {
  const Window parent = host.makeParent(0, 0, 200, 160);
  FakeView view;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(parent));
  ASSERT_TRUE(pumpUntil(window, [&] { return view.frames.size() >= 4; }));
  EXPECT_EQ(view.frames[0].dt, 0.0f);
  EXPECT_EQ(view.frames[0].time, 0.0);
  double sum = 0.0;
  for (std::size_t i = 1; i < view.frames.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GT(view.frames[i].dt, 0.0f);
    sum += view.frames[i].dt;
    EXPECT_DOUBLE_EQ(view.frames[i].time, sum);
  }
  const FrameInfo& f = view.frames.back();
  EXPECT_EQ(f.windowControls, nullptr);
  EXPECT_EQ(f.scale, window.ui()->displayScale());
  const float inset = 20.0f * f.scale;
  EXPECT_FLOAT_EQ(f.content.x, inset);
  EXPECT_FLOAT_EQ(f.content.width, 200.0f - 2.0f * inset);
}

TEST_F(EmbeddedWindowTest, AFramedWindowInsetsItsContentFurther) {
  const Window parent = host.makeParent(0, 0, 200, 160);
  FakeView view;
  EmbeddedWindow window(view, {true, 60});
  window.setScale(1.0f);
  ASSERT_TRUE(window.attach(parent));
  ASSERT_TRUE(pumpUntil(window, [&] { return !view.frames.empty(); }));
  EXPECT_FLOAT_EQ(view.frames.back().content.y, 25.0f);
  EXPECT_FLOAT_EQ(view.frames.back().content.height, 110.0f);
}

TEST_F(EmbeddedWindowTest, NothingDrawsWhileUnmapped) {
  const Window parent = host.makeParent(0, 0, 200, 100);
  FakeView view;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(parent));
  ASSERT_TRUE(pumpUntil(window, [&] { return !view.frames.empty(); }));
  window.hide();
  pumpFor(window, 100ms);
  const std::size_t hidden = view.frames.size();
  pumpFor(window, 150ms);
  EXPECT_EQ(view.frames.size(), hidden);
  window.show();
  EXPECT_TRUE(pumpUntil(window, [&] { return view.frames.size() > hidden; }));
}

TEST_F(EmbeddedWindowTest, AnExposeDrawsFromTheConnection) {
  const Window parent = host.makeParent(0, 0, 200, 100);
  FakeView view;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(parent));
  ASSERT_TRUE(pumpUntil(window, [&] { return !view.frames.empty(); }));
  pumpFor(window, 50ms);
  const std::size_t before = view.frames.size();
  XClearArea(host.display(), window.nativeWindow(), 0, 0, 0, 0, True);
  XSync(host.display(), False);
  const auto deadline = std::chrono::steady_clock::now() + 2s;
  while (view.frames.size() == before && std::chrono::steady_clock::now() < deadline) window.onFd();
  EXPECT_EQ(view.frames.size(), before + 1);
}

TEST_F(EmbeddedWindowTest, TheDesktopDpiSetsTheScaleUnlessFixed) {
  DesktopResources resources(host);
  resources.set("Xft.antialias:\t1\nXft.dpi:\t120\n");
  const Window parent = host.makeParent(0, 0, 200, 100);
  FakeView free, fixed;
  EmbeddedWindow freeWindow(free, {}), fixedWindow(fixed, {});
  fixedWindow.setScale(1.5f);
  ASSERT_TRUE(freeWindow.attach(parent));
  ASSERT_TRUE(fixedWindow.attach(parent));
  EXPECT_FLOAT_EQ(freeWindow.ui()->displayScale(), 1.25f);
  EXPECT_FLOAT_EQ(fixedWindow.ui()->displayScale(), 1.5f);

  resources.set("Xft.dpi:\t144\n");
  EXPECT_TRUE(pumpUntil(freeWindow, [&] { return freeWindow.ui()->displayScale() == 1.5f; }));
  resources.set("Xft.dpi:\t192\n");
  pumpFor(fixedWindow, 100ms);
  EXPECT_FLOAT_EQ(fixedWindow.ui()->displayScale(), 1.5f);
  EXPECT_TRUE(pumpUntil(freeWindow, [&] { return freeWindow.ui()->displayScale() == 2.0f; }));
  ASSERT_TRUE(pumpUntil(fixedWindow, [&] { return !fixed.frames.empty(); }));
  EXPECT_FLOAT_EQ(fixed.frames.back().scale, 1.5f);

  // Beyond what the window applies.
  resources.set("Xft.dpi:\t9600\n");
  EXPECT_TRUE(pumpUntil(freeWindow, [&] { return freeWindow.ui()->displayScale() == 4.0f; }));
}

TEST_F(EmbeddedWindowTest, OnlyFiniteScalesAboveZeroAreTaken) {
  const Window parent = host.makeParent(0, 0, 200, 100);
  FakeView view;
  EmbeddedWindow window(view, {});
  window.setScale(1.25f);
  ASSERT_TRUE(window.attach(parent));
  for (const double ignored :
       {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity()}) {
    SCOPED_TRACE(ignored);
    window.setScale(ignored);
    EXPECT_FLOAT_EQ(window.ui()->displayScale(), 1.25f);
  }
  // Within what the window applies, however far outside it the host asks.
  for (const double large : {10.0, 1e300}) {
    window.setScale(large);
    EXPECT_FLOAT_EQ(window.ui()->displayScale(), 4.0f);
  }
  for (const double small : {1e-300, 0.1}) {
    window.setScale(small);
    EXPECT_FLOAT_EQ(window.ui()->displayScale(), 0.5f);
  }
  ASSERT_TRUE(pumpUntil(window, [&] { return view.frames.size() >= 2; }));
  EXPECT_FLOAT_EQ(view.frames.back().scale, 0.5f);
}

TEST_F(EmbeddedWindowTest, TheHostsGlContextIsGivenBack) {
  const Window parent = host.makeParent(0, 0, 200, 100);
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, None};
  XVisualInfo* visual = glXChooseVisual(host.display(), DefaultScreen(host.display()), attributes);
  ASSERT_NE(visual, nullptr);
  const GLXContext hostContext = glXCreateContext(host.display(), visual, nullptr, True);
  XFree(visual);
  ASSERT_NE(hostContext, nullptr);
  const Window hostDrawable = host.makeParent(300, 0, 50, 50);
  ASSERT_TRUE(glXMakeCurrent(host.display(), hostDrawable, hostContext));
  auto expectHosts = [&] {
    EXPECT_EQ(glXGetCurrentContext(), hostContext);
    EXPECT_EQ(glXGetCurrentDrawable(), hostDrawable);
    EXPECT_EQ(glXGetCurrentDisplay(), host.display());
  };
  {
    FakeView view;
    EmbeddedWindow window(view, {});
    ASSERT_TRUE(window.attach(parent));
    expectHosts();
    ASSERT_TRUE(pumpUntil(window, [&] { return view.frames.size() >= 2; }));
    expectHosts();
    view.throwOnFrame = static_cast<int>(view.frames.size()) + 1;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(
        pumpUntil(window, [&] { return view.frames.size() >= static_cast<std::size_t>(view.throwOnFrame); }));
    testing::internal::GetCapturedStderr();
    expectHosts();
  }
  expectHosts();
  glXMakeCurrent(host.display(), None, nullptr);
  glXDestroyContext(host.display(), hostContext);
}

TEST_F(EmbeddedWindowTest, TwoWindowsKeepTheirOwnViewsAndContexts) {
  const Window leftParent = host.makeParent(0, 0, 120, 100);
  const Window rightParent = host.makeParent(130, 0, 120, 100);
  FakeView red(0xFFD02020), green(0xFF20D020);
  EmbeddedWindow left(red, {}), right(green, {});
  ASSERT_TRUE(left.attach(leftParent));
  ASSERT_TRUE(right.attach(rightParent));
  ASSERT_NE(left.ui(), right.ui());
  for (int round = 0; round < 3; ++round) {
    left.onTimer();
    right.onTimer();
  }
  const auto leftPixels = captureFrame(left);
  const auto rightPixels = captureFrame(right);
  ASSERT_TRUE(leftPixels && rightPixels);
  EXPECT_EQ(pixelAt(*leftPixels, 60, 50), 0xFFD02020u);
  EXPECT_EQ(pixelAt(*rightPixels, 60, 50), 0xFF20D020u);
  for (ImGuiContext* c : red.contexts) EXPECT_EQ(c, left.ui()->imgui());
  for (ImGuiContext* c : green.contexts) EXPECT_EQ(c, right.ui()->imgui());
}

TEST_F(EmbeddedWindowTest, AViewThatThrowsOnceDrawsNormallyNextFrame) {
  const Window parent = host.makeParent(0, 0, 120, 100);
  FakeView view(0xFFD02020);
  view.throwOnFrame = 2;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(parent));
  ASSERT_TRUE(pumpUntil(window, [&] { return view.frames.size() >= 1; }));
  testing::internal::CaptureStderr();
  window.captureNextFrame();
  ASSERT_TRUE(pumpUntil(window, [&] { return view.frames.size() >= 2; }));
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("orbi-ui: "), std::string::npos);
  EXPECT_NE(said.find("the view broke"), std::string::npos);
  // What it drew before the throw was presented; the next frame is drawn
  // whole.
  const auto failed = window.takeCapture();
  ASSERT_TRUE(failed);
  EXPECT_EQ(pixelAt(*failed, 60, 50), 0xFFD02020u);
  const auto pixels = captureFrame(window);
  ASSERT_TRUE(pixels);
  EXPECT_EQ(view.frames.size(), 3u);
  EXPECT_EQ(pixelAt(*pixels, 60, 50), 0xFFD02020u);
}

// A view that fails frame after frame is tried at once only a few times,
// each told once; then the ticks wait before the next try, which fails
// without a word.
TEST_F(EmbeddedWindowTest, AViewThatKeepsThrowingIsTriedLessOften) {
  const Window parent = host.makeParent(0, 0, 120, 100);
  FakeView view;
  EmbeddedWindow window(view, {});
  ASSERT_TRUE(window.attach(parent));
  ASSERT_TRUE(pumpUntil(window, [&] { return view.frames.size() >= 1; }));
  constexpr int kFailing = FrameFailures::kTriedAtOnce;
  const int first = static_cast<int>(view.frames.size()) + 1;
  view.throwOnFrame = first;
  view.throwFrames = kFailing + 1;
  testing::internal::CaptureStderr();
  int ticks = 0;
  ASSERT_TRUE(pumpUntil(window, [&] {
    ++ticks;
    return static_cast<int>(view.frames.size()) >= first + kFailing;
  }));
  const std::string said = testing::internal::GetCapturedStderr();
  // Frame numbers count from 1, the record's indices from 0.
  const double lastAtOnce = view.frames[first + kFailing - 2].time;
  const double retried = view.frames[first + kFailing - 1].time;
  EXPECT_GE(retried - lastAtOnce, FrameFailures::kFirstWait);
  EXPECT_GT(ticks, 2 * kFailing) << "the ticks came slower than the wait";
  std::size_t told = 0;
  for (std::size_t at = said.find("the view broke"); at != std::string::npos;
       at = said.find("the view broke", at + 1))
    ++told;
  EXPECT_EQ(told, static_cast<std::size_t>(kFailing)) << said;
  EXPECT_NE(said.find("in a row"), std::string::npos) << said;
}

// ---- Frames only when something changed

// Draws the same picture every frame and counts its frames; may ask for a
// frame at a later time once, or for every tick from outside.
class StillView : public View {
 public:
  void frame(const FrameInfo& frame) override {
    times.push_back(ImGui::GetTime());
    fillRect(ImGui::GetWindowDrawList(), frame.content, 0xFF3060C0);
    if (askIn > 0.0) requestFrameAt(ImGui::GetTime() + std::exchange(askIn, 0.0));
  }
  bool wantsFrame() override { return outsideChanged; }

  std::vector<double> times;  // Dear ImGui's clock of each frame
  double askIn = 0.0;         // seconds
  bool outsideChanged = false;
};

class IdleWindowTest : public EmbeddedWindowTest {
 protected:
  void SetUp() override {
    EmbeddedWindowTest::SetUp();
    if (IsSkipped()) return;
    parent = host.makeParent(0, 0, 200, 100);
    window.emplace(view, EmbeddedWindow::Options{});
    ASSERT_TRUE(window->attach(parent));
    ASSERT_TRUE(pumpUntil(*window, [&] { return !view.times.empty() && window->idle(); }));
  }
  // Ticks that draw nothing: the count of frames stays.
  void expectStill(int ticks) {
    const std::uint64_t before = window->framesDrawn();
    for (int i = 0; i < ticks; ++i) window->onTimer();
    EXPECT_EQ(window->framesDrawn(), before);
    EXPECT_EQ(view.times.size(), before);
  }

  Window parent = 0;
  StillView view;
  std::optional<EmbeddedWindow> window;
};

TEST_F(IdleWindowTest, LeftAloneItDrawsNothing) { expectStill(100); }

TEST_F(IdleWindowTest, InputDrawsAtTheNextTickThenItSettles) {
  host.pointerTo(100, 50);
  // Once the pointer's news is on the window's connection, one tick draws.
  pollfd connection{window->connectionFd(), POLLIN, 0};
  ASSERT_EQ(poll(&connection, 1, 10000), 1);
  const std::uint64_t before = window->framesDrawn();
  window->onTimer();
  EXPECT_EQ(window->framesDrawn(), before + 1);
  ASSERT_TRUE(pumpUntil(*window, [&] { return window->idle(); }));
  expectStill(50);
}

TEST_F(IdleWindowTest, ChangesOutsideItsInputDrawAtTheNextTick) {
  // The owner's word.
  window->invalidate();
  std::uint64_t before = window->framesDrawn();
  window->onTimer();
  EXPECT_EQ(window->framesDrawn(), before + 1);
  // The view's: every tick while it says so.
  view.outsideChanged = true;
  before = window->framesDrawn();
  for (int i = 0; i < 10; ++i) window->onTimer();
  EXPECT_EQ(window->framesDrawn(), before + 10);
  view.outsideChanged = false;
  ASSERT_TRUE(pumpUntil(*window, [&] { return window->idle(); }));
  // A new scale redraws.
  window->setScale(1.5);
  before = window->framesDrawn();
  window->onTimer();
  EXPECT_EQ(window->framesDrawn(), before + 1);
}

TEST_F(IdleWindowTest, AFrameAskedForLaterComesByItselfNotBefore) {
  view.askIn = 0.2;
  window->invalidate();
  window->onTimer();
  const std::size_t asking = view.times.size() - 1;
  const double due = view.times[asking] + 0.2;
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.times.back() >= due; }));
  // Before it, only the frames that settle the wake.
  const auto early = std::count_if(view.times.begin() + static_cast<std::ptrdiff_t>(asking), view.times.end(),
                                   [&](double t) { return t < due; });
  EXPECT_LE(early, FrameDemand::kSettleFrames + 1);
  EXPECT_TRUE(pumpUntil(*window, [&] { return window->idle(); }));
}

}  // namespace embedded_window_test
}  // namespace orbi::ui
