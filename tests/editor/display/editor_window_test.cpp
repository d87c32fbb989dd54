// The editor window in a host's window, on the X server the test runner
// starts: the "clap.gui" calls of a plug-in instance, the frames the host's
// timer and the connection's descriptor drive, and repeated opening and
// closing. Skips without DISPLAY.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/session/engine_host.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"
#include "tools/clap_host/test_host.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/snapshot_png.h"
#include "support/ui/x_host.h"

// Mesa's driver and Xlib keep allocations of their own for the process's
// life; everything else must be freed.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libGL.so\nleak:libGLX\nleak:libGLdispatch\nleak:libglapi\nleak:_dri.so\nleak:libLLVM\n"
         "leak:libX11.so\nleak:libxcb\n";
}

namespace ob::clap {
namespace {

using orbi::ui::test::XHost;

class CountingView : public orbi::ui::View {
 public:
  explicit CountingView(int* frames) : frames_(frames) {}
  void frame(const orbi::ui::FrameInfo&) override { ++*frames_; }

 private:
  int* frames_;
};

// One instance with the editor built in, as the module makes it.
class EditorWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
    plugin = new Plugin(host.clapHost(), makeEditor);
    clap = &plugin->plugin;
    ASSERT_TRUE(clap->init(clap));
    gui = static_cast<const clap_plugin_gui_t*>(clap->get_extension(clap, CLAP_EXT_GUI));
    ASSERT_NE(gui, nullptr);
    parent = x.makeParent(0, 0, 1500, 1500);
  }
  void TearDown() override {
    if (clap) clap->destroy(clap);
    if (parent) XDestroyWindow(x.display(), parent);
  }

  OrbitraneEditor& editor() { return *dynamic_cast<OrbitraneEditor*>(plugin->editor.get()); }
  bool open() {
    clap_window_t w{CLAP_WINDOW_API_X11, {}};
    w.x11 = parent;
    return gui->create(clap, CLAP_WINDOW_API_X11, false) && gui->set_parent(clap, &w) && gui->show(clap);
  }
  // The host's timer firing for the editor.
  void tick(int count) {
    for (int i = 0; i < count; ++i) timerExtension()->on_timer(clap, editor().timerId());
  }
  // The child window's size as the server has it.
  std::pair<int, int> childSize() {
    XSync(x.display(), False);
    const Window child = editor().window()->nativeWindow();
    const XWindowAttributes a = x.attributes(child);
    return {a.width, a.height};
  }

  XHost x;
  orbi::host::TestHost host;
  Plugin* plugin = nullptr;
  const clap_plugin_t* clap = nullptr;
  const clap_plugin_gui_t* gui = nullptr;
  Window parent = 0;
};

TEST_F(EditorWindow, OpensAtTheBaseSizeTimesTheScale) {
  ASSERT_TRUE(open());
  tick(30);
  EXPECT_EQ(x.childCount(parent), 1);
  EXPECT_EQ(childSize(), std::make_pair(960, 940));
  EXPECT_TRUE(gui->set_scale(clap, 1.5));
  tick(30);
  EXPECT_EQ(childSize(), std::make_pair(1440, 1410));
  gui->destroy(clap);
  EXPECT_EQ(x.childCount(parent), 0);

  // The scale outlives the window.
  ASSERT_TRUE(open());
  tick(5);
  EXPECT_EQ(childSize(), std::make_pair(1440, 1410));
}

TEST_F(EditorWindow, TheHostDrivesTheFramesUntilDestroy) {
  ASSERT_TRUE(open());
  const clap_id timer = editor().timerId();
  ASSERT_NE(timer, CLAP_INVALID_ID);
  const auto registered = std::find_if(host.timers.begin(), host.timers.end(),
                                       [&](const orbi::host::HostTimer& t) { return t.id == timer; });
  ASSERT_NE(registered, host.timers.end());
  EXPECT_EQ(registered->periodMs, 16u);
  ASSERT_EQ(host.fds.size(), 1u);
  EXPECT_EQ(host.fds[0].fd, editor().window()->connectionFd());
  EXPECT_EQ(host.fds[0].flags, CLAP_POSIX_FD_READ);
  EXPECT_TRUE(editor().onTimer(timer));
  EXPECT_FALSE(editor().onTimer(plugin->timerId));
  const auto* fd = static_cast<const clap_plugin_posix_fd_support_t*>(
      clap->get_extension(clap, CLAP_EXT_POSIX_FD_SUPPORT));
  ASSERT_NE(fd, nullptr);
  fd->on_fd(clap, host.fds[0].fd, CLAP_POSIX_FD_READ);

  const int fdNumber = host.fds[0].fd;
  gui->destroy(clap);
  EXPECT_TRUE(host.fds.empty());
  EXPECT_EQ(host.unregisteredFds, std::vector<int>{fdNumber});
  EXPECT_NE(std::find(host.unregistered.begin(), host.unregistered.end(), timer), host.unregistered.end());
  EXPECT_EQ(host.timers.size(), 1u);  // the instance's own
  EXPECT_FALSE(editor().onTimer(timer));
}

TEST_F(EditorWindow, TwentyOpenAndCloseCycles) {
  for (int cycle = 0; cycle < 20; ++cycle) {
    SCOPED_TRACE(cycle);
    ASSERT_TRUE(open());
    tick(2);
    gui->destroy(clap);
    ASSERT_EQ(x.childCount(parent), 0);
  }
  EXPECT_TRUE(host.fds.empty());
  EXPECT_EQ(host.timers.size(), 1u);
}

TEST_F(EditorWindow, DrawsTheRootViewsFrame) {
  ASSERT_TRUE(open());
  tick(3);
  editor().window()->captureNextFrame();
  std::optional<orbi::ui::FramePixels> shot;
  for (int i = 0; i < 60 && !shot; ++i) {
    tick(1);
    shot = editor().window()->takeCapture();
  }
  ASSERT_TRUE(shot);
  EXPECT_EQ(shot->width, 960);
  EXPECT_EQ(shot->height, 940);
  // Not the clear colour (14, 18, 8) alone: the root window paints the
  // background's texture over it.
  const std::uint8_t clear[3] = {14, 18, 8};
  std::size_t painted = 0;
  for (std::size_t i = 0; i + 3 < shot->rgba.size(); i += 4)
    for (int c = 0; c < 3; ++c)
      if (std::abs(shot->rgba[i + c] - clear[c]) > orbi::ui::test::kChannelTolerance) {
        ++painted;
        break;
      }
  EXPECT_GT(painted, shot->rgba.size() / 4 / 10);
  if (const char* out = std::getenv("OB_EDITOR_PNG")) {
    EXPECT_TRUE(orbi::ui::test::writePng(out, *shot));
  }
}

// The wrapper without an instance: a view that counts its frames, and a
// host that hands out timer id 0.
class EditorWrapper : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
    parent = x.makeParent(0, 0, 1000, 1000);
  }
  void TearDown() override {
    editor.reset();
    if (parent) XDestroyWindow(x.display(), parent);
  }
  orbi::host::HostOptions zeroIds() {
    orbi::host::HostOptions o;
    o.firstTimerId = 0;
    return o;
  }

  XHost x;
  orbi::host::TestHost host{zeroIds()};
  int frames = 0;
  std::unique_ptr<OrbitraneEditor> editor = std::make_unique<OrbitraneEditor>(
      host.clapHost(), [this] { return std::make_unique<CountingView>(&frames); });
  Window parent = 0;
};

TEST_F(EditorWrapper, TimerIdZeroIsTheEditors) {
  ASSERT_TRUE(editor->create(CLAP_WINDOW_API_X11, false));
  clap_window_t w{CLAP_WINDOW_API_X11, {}};
  w.x11 = parent;
  ASSERT_TRUE(editor->setParent(&w));
  ASSERT_EQ(editor->timerId(), 0u);
  EXPECT_TRUE(editor->onTimer(0));
  EXPECT_FALSE(editor->onTimer(1));
  EXPECT_FALSE(editor->onTimer(CLAP_INVALID_ID));
}

TEST_F(EditorWrapper, AHiddenWindowDrawsNothing) {
  ASSERT_TRUE(editor->create(CLAP_WINDOW_API_X11, false));
  clap_window_t w{CLAP_WINDOW_API_X11, {}};
  w.x11 = parent;
  ASSERT_TRUE(editor->setParent(&w));
  ASSERT_TRUE(editor->show());
  // The descriptor alone draws once the window is mapped and exposed.
  for (int i = 0; i < 200 && frames == 0; ++i) {
    XSync(x.display(), False);
    editor->onFd(editor->fd());
  }
  EXPECT_GT(frames, 0);
  ASSERT_TRUE(editor->hide());
  XSync(x.display(), False);
  editor->onTimer(editor->timerId());  // takes the unmap
  const int before = frames;
  for (int i = 0; i < 30; ++i) {
    editor->onTimer(editor->timerId());
    editor->onFd(editor->fd());
  }
  EXPECT_EQ(frames, before);
  ASSERT_TRUE(editor->show());
  for (int i = 0; i < 200 && frames == before; ++i) {
    XSync(x.display(), False);
    editor->onTimer(editor->timerId());
  }
  EXPECT_GT(frames, before);
}

}  // namespace
}  // namespace ob::clap
