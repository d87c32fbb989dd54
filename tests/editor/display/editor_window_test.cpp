// The editor window in a host's window, on the X server the test runner
// starts: the "clap.gui" calls of a plug-in instance, the frames the host's
// timer and the connection's descriptor drive, and repeated opening and
// closing. Skips without DISPLAY.

#include <gtest/gtest.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor_view.h"
#include "editor/editor_wrapper.h"
#include "engine/session/engine_host.h"
#include "plugin/extensions.h"
#include "plugin/plugin.h"
#include "tools/clap_host/test_host.h"
#include "tools/clap_host/window_picture.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/snapshot_png.h"
#include "support/ui/window_harness.h"

#include <X11/keysym.h>

// Mesa's driver and Xlib keep allocations of their own for the process's
// life; everything else must be freed.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libGL.so\nleak:libGLX\nleak:libGLdispatch\nleak:libglapi\nleak:_dri.so\nleak:libLLVM\n"
         "leak:libX11.so\nleak:libxcb\n";
}

namespace ob::clap {
namespace editor_window_test {

using orbi::ui::test::WindowHarness;

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
    for (int i = 0; i < count; ++i) tickOnce();
  }

 public:
  void tickOnce() { timerExtension()->on_timer(clap, editor().timerId()); }
  orbi::ui::EmbeddedWindow& window() { return *editor().window(); }

 protected:
  // The child window's size as the server has it.
  std::pair<int, int> childSize() {
    XSync(x.display(), False);
    const Window child = editor().window()->nativeWindow();
    const XWindowAttributes a = x.attributes(child);
    return {a.width, a.height};
  }

  WindowHarness x;
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

// ---- Frames only while the picture may change

// Ticks, a moment apart, until the editor wants no frame now or later (the
// previews' throttle and a tooltip's delay take real time); at most ten
// seconds.
bool settled(EditorWindow& t) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    t.tickOnce();
    if (t.window().idle()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

TEST_F(EditorWindow, LeftAloneItDrawsNothing) {
  ASSERT_TRUE(open());
  ASSERT_TRUE(settled(*this));
  const std::uint64_t before = window().framesDrawn();
  tick(120);
  EXPECT_EQ(window().framesDrawn(), before);
}

TEST_F(EditorWindow, WhatTheHostChangesDrawsAtTheNextTick) {
  ASSERT_TRUE(open());
  const auto* state = static_cast<const clap_plugin_state_t*>(clap->get_extension(clap, CLAP_EXT_STATE));
  ASSERT_NE(state, nullptr);
  std::vector<std::uint8_t> saved;
  clap_ostream_t out{&saved,
                     [](const clap_ostream_t* s, const void* data, std::uint64_t size) -> std::int64_t {
                       auto* bytes = static_cast<std::vector<std::uint8_t>*>(s->ctx);
                       bytes->insert(bytes->end(), static_cast<const std::uint8_t*>(data),
                                     static_cast<const std::uint8_t*>(data) + size);
                       return static_cast<std::int64_t>(size);
                     }};
  ASSERT_TRUE(state->save(clap, &out));
  struct Reading {
    const std::vector<std::uint8_t>* bytes;
    std::size_t at = 0;
  } reading{&saved};
  clap_istream_t in{&reading, [](const clap_istream_t* s, void* buffer, std::uint64_t size) -> std::int64_t {
                      auto* r = static_cast<Reading*>(s->ctx);
                      const std::size_t n = std::min<std::size_t>(size, r->bytes->size() - r->at);
                      std::copy_n(r->bytes->data() + r->at, n, static_cast<std::uint8_t*>(buffer));
                      r->at += n;
                      return static_cast<std::int64_t>(n);
                    }};
  const struct Change {
    const char* what;
    std::function<void()> make;
  } changes[] = {
      {"a state load", [&] { ASSERT_TRUE(state->load(clap, &in)); }},
      {"a macro the host moved",
       [&] { plugin->engineHost->project.patterns[0].kit.macros[2].value = 0.75f; }},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    ASSERT_TRUE(settled(*this));
    change.make();
    const std::uint64_t before = window().framesDrawn();
    tickOnce();
    EXPECT_EQ(window().framesDrawn(), before + 1);
  }
}

TEST_F(EditorWindow, PlayingItKeepsDrawingStoppedItSettles) {
  ASSERT_TRUE(open());
  ASSERT_TRUE(settled(*this));
  orbi::EngineHost& engineHost = *plugin->engineHost;
  engineHost.internalPlay.store(1);
  const std::uint64_t before = window().framesDrawn();
  tick(30);
  EXPECT_EQ(window().framesDrawn(), before + 30);
  engineHost.internalPlay.store(0);
  ASSERT_TRUE(settled(*this));
  EXPECT_EQ(dynamic_cast<orbi::EditorView&>(*editor().view()).playhead(), -1.0f);
}

// A host that stops processing (or deactivates) while its transport plays
// sends no block that says it stopped; the editor settles all the same.
TEST_F(EditorWindow, ProcessingStoppedWhileTheHostPlaysItSettles) {
  ASSERT_TRUE(open());
  ASSERT_TRUE(settled(*this));
  // The instance destroys the plug-in as it goes; the fixture then must not.
  struct Handover {
    const clap_plugin_t*& clap;
    ~Handover() { clap = nullptr; }
  } handover{clap};
  auto instance = orbi::host::Instance::adopt(host, clap);
  const struct {
    const char* what;
    void (orbi::host::Instance::*stop)();
  } stops[] = {{"stop_processing", &orbi::host::Instance::stopProcessing},
               {"deactivate", &orbi::host::Instance::deactivate}};
  for (const auto& stop : stops) {
    SCOPED_TRACE(stop.what);
    ASSERT_TRUE(instance->activate(48000.0, 512));
    instance->setTransport(true, 90.0);
    for (int b = 0; b < 3; ++b) instance->process(512);
    const std::uint64_t playing = window().framesDrawn();
    tick(3);
    EXPECT_EQ(window().framesDrawn(), playing + 3);
    ((*instance).*stop.stop)();
    ASSERT_TRUE(settled(*this));
    const std::uint64_t before = window().framesDrawn();
    tick(30);
    EXPECT_EQ(window().framesDrawn(), before);
    EXPECT_EQ(dynamic_cast<orbi::EditorView&>(*editor().view()).playhead(), -1.0f);
    instance->deactivate();
  }
}

// A modifier held down with nothing else, as before a Ctrl+Z or an
// alt-click that never comes, leaves the idle editor idle.
TEST_F(EditorWindow, AModifierHeldAloneDrawsNothing) {
  ASSERT_TRUE(open());
  ASSERT_TRUE(settled(*this));
  XSetInputFocus(x.display(), window().nativeWindow(), RevertToParent, CurrentTime);
  for (const KeySym key : {XK_Control_L, XK_Shift_L, XK_Alt_L}) {
    SCOPED_TRACE(XKeysymToString(key));
    x.key(key, true);
    // Once the press is on the editor's connection, the ticks take it in.
    pollfd connection{window().connectionFd(), POLLIN, 0};
    ASSERT_EQ(poll(&connection, 1, 10000), 1);
    ASSERT_TRUE(settled(*this));
    const std::uint64_t before = window().framesDrawn();
    tick(30);
    EXPECT_EQ(window().framesDrawn(), before);
    x.key(key, false);
    ASSERT_TRUE(settled(*this));
  }
}

// Whatever the editor last drew when it stops is the picture one more
// frame would draw: after a hover that ends in a tooltip, a click that adds
// a hit (its previews render over the frames that follow), and the pointer
// gone.
TEST_F(EditorWindow, ItStopsOnThePictureARedrawShows) {
  ASSERT_TRUE(open());
  const auto shown = [&] {
    std::string error;
    std::optional<orbi::host::Picture> p =
        orbi::host::grabWindow(x.display(), window().nativeWindow(), error);
    EXPECT_TRUE(p) << error;
    return p ? p->rgba : std::vector<std::uint8_t>{};
  };
  const struct Step {
    const char* what;
    std::function<void()> input;
  } steps[] = {
      {"opened", [] {}},
      {"resting on a hit of the grid", [&] { x.pointerTo(400, 350); }},
      {"a click on an empty cell of the hits",
       [&] {
         x.pointerTo(168, 345);
         tick(2);
         x.button(1, true);
         tick(2);
         x.button(1, false);
       }},
      {"the pointer gone", [&] { x.pointerTo(1400, 1400); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.input();
    ASSERT_TRUE(settled(*this));
    const std::vector<std::uint8_t> idle = shown();
    window().invalidate();
    tickOnce();
    EXPECT_TRUE(shown() == idle);
    ASSERT_TRUE(settled(*this));
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

  WindowHarness x;
  orbi::host::TestHost host{zeroIds()};
  int frames = 0;
  std::unique_ptr<OrbitraneEditor> editor = std::make_unique<OrbitraneEditor>(
      host.clapHost(), [this](orbi::EditorSession&) { return std::make_unique<CountingView>(&frames); });
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

}  // namespace editor_window_test
}  // namespace ob::clap
