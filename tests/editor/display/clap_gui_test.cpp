// The built Orbitrane.clap's editor as a host sees it: "clap.gui" for X11
// child windows only, sizes by the host's scale, the calls that need a
// window, and the timer and descriptor the open window registers. The
// window itself opens only on an X server (skipped without DISPLAY).
// Loaded the way a host loads it: through dlopen and clap_entry.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/editor/built_editor_rig.h"
#include "tools/clap_host/test_host.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

namespace clap_gui_test {

using namespace orbi::host;

class ClapGui : public ::testing::Test {
 protected:
  void SetUp() override {
    const ClapLibrary* lib = orbi::test::builtClap();
    ASSERT_NE(lib, nullptr);
    std::string error;
    instance = Instance::create(*lib, host, orbi::test::kPluginId, error);
    ASSERT_NE(instance, nullptr) << error;
    gui = instance->extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
    ASSERT_NE(gui, nullptr);
    p = instance->plugin();
  }
  std::pair<std::uint32_t, std::uint32_t> size() {
    std::uint32_t w = 0, h = 0;
    EXPECT_TRUE(gui->get_size(p, &w, &h));
    return {w, h};
  }

  // Opened before the plug-in loads: keeps Mesa's driver loaded for the
  // program's life, so the leak checker still knows what it holds at exit.
  orbi::ui::test::WindowHarness x;
  TestHost host;
  std::unique_ptr<Instance> instance;
  const clap_plugin_gui_t* gui = nullptr;
  const clap_plugin_t* p = nullptr;
};

TEST_F(ClapGui, X11ChildWindowsOnly) {
  EXPECT_TRUE(gui->is_api_supported(p, "x11", false));
  EXPECT_FALSE(gui->is_api_supported(p, "x11", true));
  EXPECT_FALSE(gui->is_api_supported(p, "win32", false));
  EXPECT_FALSE(gui->is_api_supported(p, nullptr, false));
  const char* api = nullptr;
  bool floating = true;
  ASSERT_TRUE(gui->get_preferred_api(p, &api, &floating));
  EXPECT_STREQ(api, "x11");
  EXPECT_FALSE(floating);
  EXPECT_FALSE(gui->create(p, "x11", true));
  EXPECT_FALSE(gui->create(p, "win32", false));
  EXPECT_FALSE(gui->create(p, nullptr, false));
  EXPECT_FALSE(gui->can_resize(p));
  EXPECT_EQ(instance->extension<void>("clap.gui.x"), nullptr);
}

TEST_F(ClapGui, CallsThatNeedAWindow) {
  clap_window_t window{"x11", {}};
  window.x11 = 1;
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "before create" : "after destroy");
    EXPECT_FALSE(gui->set_size(p, 100, 100));
    EXPECT_FALSE(gui->show(p));
    EXPECT_FALSE(gui->hide(p));
    EXPECT_FALSE(gui->set_parent(p, &window));
    if (round == 0) {
      ASSERT_TRUE(gui->create(p, "x11", false));
      EXPECT_FALSE(gui->create(p, "x11", false));  // one window at a time
      EXPECT_FALSE(gui->set_parent(p, nullptr));
      // A window not yet in a parent: nothing to show or hide.
      EXPECT_FALSE(gui->show(p));
      EXPECT_FALSE(gui->hide(p));
      gui->destroy(p);
    }
  }
  gui->destroy(p);  // without a window too
}

TEST_F(ClapGui, SizesFollowTheHostsScale) {
  EXPECT_EQ(size(), std::make_pair(960u, 940u));
  for (const double refused : {std::nan(""), std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(), 0.0, -1.0}) {
    SCOPED_TRACE(refused);
    EXPECT_FALSE(gui->set_scale(p, refused));
    EXPECT_EQ(size(), std::make_pair(960u, 940u));
  }
  EXPECT_TRUE(gui->set_scale(p, 1.25));
  EXPECT_EQ(size(), std::make_pair(1200u, 1175u));
  EXPECT_TRUE(gui->set_scale(p, 9.0));  // as far as the window goes
  EXPECT_EQ(size(), std::make_pair(3840u, 3760u));
  EXPECT_TRUE(gui->set_scale(p, 0.1));
  EXPECT_EQ(size(), std::make_pair(480u, 470u));
}

// The editor cannot be resized: set_size takes its own size, at the
// host's scale, and nothing else.
TEST_F(ClapGui, OnlyItsOwnSizeIsTaken) {
  ASSERT_TRUE(gui->create(p, "x11", false));
  for (const double scale : {1.0, 1.5}) {
    SCOPED_TRACE(scale);
    ASSERT_TRUE(gui->set_scale(p, scale));
    const auto [w, h] = size();
    EXPECT_TRUE(gui->set_size(p, w, h));
    for (const auto& [refusedW, refusedH] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
             {w + 1, h}, {w, h - 1}, {500, 400}, {32767, 32767}, {16000, 16000}, {0, 0}}) {
      EXPECT_FALSE(gui->set_size(p, refusedW, refusedH)) << refusedW << " x " << refusedH;
      EXPECT_EQ(size(), std::make_pair(w, h));
    }
  }
  gui->destroy(p);
}

TEST_F(ClapGui, ARefusedSizeLeavesTheWindowAsItWas) {
  if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
  const Window parent = x.makeParent(0, 0, 1000, 1000);
  ASSERT_TRUE(gui->create(p, "x11", false));
  clap_window_t window{"x11", {}};
  window.x11 = parent;
  ASSERT_TRUE(gui->set_parent(p, &window));
  ASSERT_TRUE(gui->show(p));
  EXPECT_TRUE(gui->set_size(p, 960, 940));
  EXPECT_FALSE(gui->set_size(p, 1200, 1000));
  const auto* timer = instance->extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  for (const HostTimer& t : host.timers) timer->on_timer(p, t.id);
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(x.display(), parent, &root, &up, &children, &count);
  ASSERT_EQ(count, 1u);
  const XWindowAttributes a = x.attributes(children[0]);
  XFree(children);
  EXPECT_EQ(a.width, 960);
  EXPECT_EQ(a.height, 940);
  gui->destroy(p);
  XDestroyWindow(x.display(), parent);
}

// Only an X11 window is a parent, whatever number another api's window
// holds; and the window shows only once it is in one.
TEST_F(ClapGui, OnlyAnX11WindowIsAParent) {
  if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
  const Window parent = x.makeParent(0, 0, 1000, 1000);
  ASSERT_TRUE(gui->create(p, "x11", false));
  for (const char* api : {"win32", "cocoa", "wayland", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(api ? api : "null");
    clap_window_t other{api, {}};
    other.x11 = parent;  // the same bits as an X11 window id
    EXPECT_FALSE(gui->set_parent(p, &other));
    EXPECT_EQ(x.childCount(parent), 0);
    EXPECT_FALSE(gui->show(p));
  }
  clap_window_t window{"x11", {}};
  window.x11 = parent;
  ASSERT_TRUE(gui->set_parent(p, &window));
  EXPECT_EQ(x.childCount(parent), 1);
  EXPECT_TRUE(gui->show(p));
  EXPECT_TRUE(gui->hide(p));
  gui->destroy(p);
  XDestroyWindow(x.display(), parent);
}

TEST_F(ClapGui, AnOpenWindowRegistersItsTimerAndDescriptor) {
  if (!orbi::ui::test::haveDisplay() || !x.display()) GTEST_SKIP() << "no X display";
  Display* display = x.display();
  const Window parent = x.makeParent(0, 0, 1000, 1000);

  const std::size_t ownTimers = host.timers.size();
  ASSERT_TRUE(gui->set_scale(p, 1.5));
  ASSERT_TRUE(gui->create(p, "x11", false));
  EXPECT_EQ(host.timers.size(), ownTimers);  // nothing before the window is attached
  clap_window_t window{"x11", {}};
  window.x11 = parent;
  ASSERT_TRUE(gui->set_parent(p, &window));
  ASSERT_TRUE(gui->show(p));
  ASSERT_EQ(host.timers.size(), ownTimers + 1);
  const HostTimer frameTimer = host.timers.back();
  EXPECT_EQ(frameTimer.periodMs, 16u);
  ASSERT_EQ(host.fds.size(), 1u);
  EXPECT_EQ(host.fds[0].flags, CLAP_POSIX_FD_READ);

  // The host's loop: timers and the descriptor.
  const auto* timer = instance->extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
  const auto* fd = instance->extension<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
  ASSERT_NE(fd, nullptr);
  for (int i = 0; i < 30; ++i) {
    timer->on_timer(p, frameTimer.id);
    fd->on_fd(p, host.fds[0].fd, CLAP_POSIX_FD_READ);
  }
  Window root = 0, up = 0, *children = nullptr;
  unsigned count = 0;
  XQueryTree(display, parent, &root, &up, &children, &count);
  ASSERT_EQ(count, 1u);
  const XWindowAttributes a = x.attributes(children[0]);
  XFree(children);
  EXPECT_EQ(a.width, 1440);
  EXPECT_EQ(a.height, 1410);

  const int descriptor = host.fds[0].fd;
  gui->destroy(p);
  EXPECT_EQ(host.timers.size(), ownTimers);
  EXPECT_EQ(host.unregistered.back(), frameTimer.id);
  EXPECT_TRUE(host.fds.empty());
  EXPECT_EQ(host.unregisteredFds.back(), descriptor);
  EXPECT_EQ(x.childCount(parent), 0);
  XDestroyWindow(display, parent);
}

}  // namespace clap_gui_test
