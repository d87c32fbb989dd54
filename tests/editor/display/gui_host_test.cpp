// The test host's GUI mode around the built Orbitrane.clap: its loop keeps
// the clock (timers and audio blocks by elapsed time, never in bursts), the
// transport it plays reaches the sound, and its step script reports the
// line that fails. Skips without DISPLAY.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "support/ui/snapshot_png.h"
#include "tools/clap_host/x_input.h"

// After our own headers: Xlib defines macros such as None.
#include "support/editor/built_editor_rig.h"

namespace orbi::test {
namespace gui_host_test {

class GuiHost : public BuiltEditorRig {
 protected:
  // How often the timer of this period has fired; -1 when there is none.
  std::int64_t fired(std::uint32_t periodMs) {
    for (const host::HostTimer& t : host.timers)
      if (t.periodMs == periodMs) return static_cast<std::int64_t>(t.fired);
    return -1;
  }
};

TEST_F(GuiHost, TimersAndBlocksFollowTheClock) {
  open();
  // The editor's frame timer and the instance's own.
  const std::int64_t framesBefore = fired(16), passesBefore = fired(100);
  ASSERT_GE(framesBefore, 0);
  ASSERT_GE(passesBefore, 0);
  const std::uint64_t blocksBefore = session->blocksProcessed();
  const auto start = std::chrono::steady_clock::now();
  // However long a slow machine takes to get there.
  ASSERT_TRUE(session->runUntil(
      [&] {
        return fired(16) - framesBefore >= 10 && fired(100) - passesBefore >= 2 &&
               session->blocksProcessed() - blocksBefore >= 10;
      },
      60000.0));
  const double elapsedMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  const double blockMs = 1000.0 * kBlockFrames / kSampleRate;
  // Never more than the time allows, plus what was already due when the
  // span began: a loop that fell behind does not catch up in a burst.
  EXPECT_LE(fired(16) - framesBefore, elapsedMs / 16.0 + 2.0);
  EXPECT_LE(fired(100) - passesBefore, elapsedMs / 100.0 + 2.0);
  // Blocks fell due while the last pass before the span drew its frame:
  // the loop serves up to four of them at once.
  EXPECT_LE(session->blocksProcessed() - blocksBefore, elapsedMs / blockMs + 5.0);
}

TEST_F(GuiHost, ThePlayingTransportReachesTheSound) {
  host::LevelMeter meter;
  host::GuiOptions options;
  options.onBlock = [&](const host::Instance& in, std::uint32_t n) {
    meter.add(in.channel(0, 0).data(), in.channel(0, 1).data(), n);
  };
  open(options);
  session->runFor(300.0);
  EXPECT_EQ(meter.level().peak, 0.0) << "stopped";
  run("play 120; wait 1000; stop");
  EXPECT_GT(meter.level().rms, 1e-4);
}

// What a plug-in asks of the host's window through the host's "clap.gui".
// Ours cannot be resized: a size other than its own is refused and the
// host's window goes back.
TEST_F(GuiHost, ServesTheRequestsOfThePlugIn) {
  open();
  const auto* hostGui =
      static_cast<const clap_host_gui_t*>(host.clapHost()->get_extension(host.clapHost(), "clap.gui"));
  ASSERT_NE(hostGui, nullptr);
  const auto hostWindowWidth = [&] {
    XWindowAttributes a{};
    XGetWindowAttributes(session->display(), session->hostWindow(), &a);
    return a.width;
  };
  ASSERT_TRUE(hostGui->request_resize(host.clapHost(), 800, 600));
  ASSERT_TRUE(hostGui->request_resize(host.clapHost(), 960, 940));
  ASSERT_TRUE(session->runFrames(3));
  EXPECT_EQ(host.gui.resizes, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{800, 600}, {960, 940}}));
  EXPECT_EQ(session->width(), 960u);
  EXPECT_EQ(hostWindowWidth(), 960);
  const host::Picture kept = picture();
  EXPECT_EQ(kept.width, 960);
  EXPECT_EQ(kept.height, 940);

  ASSERT_TRUE(hostGui->request_hide(host.clapHost()));
  ASSERT_TRUE(session->runFrames(2));
  EXPECT_FALSE(session->shown());
  ASSERT_TRUE(hostGui->request_show(host.clapHost()));
  ASSERT_TRUE(session->runFrames(2));
  EXPECT_TRUE(session->shown());
  EXPECT_EQ(host.gui.hides, 1);
  EXPECT_EQ(host.gui.shows, 1);
  hostGui->closed(host.clapHost(), false);
  ASSERT_TRUE(session->runFrames(1));
  EXPECT_TRUE(session->editorOpen());
  // A lost window is acknowledged with destroy, which takes the frame
  // timer and the descriptor with it.
  hostGui->closed(host.clapHost(), true);
  session->runFor(20.0);
  EXPECT_FALSE(session->editorOpen());
  EXPECT_TRUE(host.fds.empty());
  EXPECT_EQ(session->editorWindow(), 0u);
  EXPECT_EQ(host.gui.closed, (std::vector<bool>{false, true}));
}

// A host that offers no timer: the editor registers a timer descriptor of
// its own beside its connection, and its frames come from it.
class NoTimerHost : public BuiltEditorRig {
 protected:
  NoTimerHost() : BuiltEditorRig(noTimer()) {}
  static host::HostOptions noTimer() {
    host::HostOptions options;
    options.timerSupport = false;
    return options;
  }
};

TEST_F(NoTimerHost, ClicksAndKeysStillReachTheEditor) {
  open();
  EXPECT_TRUE(host.timers.empty());
  EXPECT_EQ(host.fds.size(), 2u) << "the connection and the timer descriptor";
  // A click gives the window the keyboard; Delete clears the selected track.
  const std::vector<std::uint8_t> before = state();
  run("click 480 470; key Delete");
  EXPECT_TRUE(session->runUntil([&] { return state() != before; }, 20000.0)) << "the editor drew no frame";
  close();
  EXPECT_TRUE(host.fds.empty());
}

// Where the pointer is in the editor window, and what is held down.
struct PointerState {
  int x = 0, y = 0;
  unsigned buttonsAndModifiers = 0;
  bool anyKeyDown = false;
};

PointerState pointerState(host::GuiSession& session) {
  Display* display = session.display();
  PointerState p;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0;
  XQueryPointer(display, session.editorWindow(), &root, &child, &rootX, &rootY, &p.x, &p.y,
                &p.buttonsAndModifiers);
  char keys[32] = {};
  XQueryKeymap(display, keys);
  for (const char k : keys) p.anyKeyDown = p.anyKeyDown || k != 0;
  return p;
}

TEST_F(GuiHost, InputLandsWhereAskedAndLetsGo) {
  open();
  session->move(123, 45);
  PointerState p = pointerState(*session);
  EXPECT_EQ(p.x, 123);
  EXPECT_EQ(p.y, 45);
  session->press(3);
  EXPECT_NE(pointerState(*session).buttonsAndModifiers & Button3Mask, 0u);
  session->release(3);
  run("drag 10 20 300 200");
  p = pointerState(*session);
  EXPECT_EQ(p.x, 300);
  EXPECT_EQ(p.y, 200);
  EXPECT_EQ(p.buttonsAndModifiers & (Button1Mask | Button3Mask), 0u);
  run("key ctrl+shift+z; type Aa1!");
  p = pointerState(*session);
  EXPECT_FALSE(p.anyKeyDown);
  EXPECT_EQ(p.buttonsAndModifiers & (ShiftMask | ControlMask), 0u);
}

// Each event has reached the server when the call returns: another client
// (the plug-in) sees it at once, so a press and its release can never land
// in one of its frames together.
TEST_F(GuiHost, EachEventReachesTheServerBeforeTheCallReturns) {
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  host::XInput input(keepDriver.display());
  const auto buttons = [&] {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(other, DefaultRootWindow(other), &root, &child, &rx, &ry, &wx, &wy, &mask);
    return mask & (Button1Mask | Button3Mask);
  };
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const unsigned button = round % 2 ? 3 : 1;
    input.button(button, true);
    EXPECT_NE(buttons(), 0u);
    input.button(button, false);
    EXPECT_EQ(buttons(), 0u);
  }
  XCloseDisplay(other);
}

TEST_F(GuiHost, ScriptsReportTheStepThatFails) {
  open();
  const struct {
    const char* script;
    const char* error;
  } cases[] = {
      {"frames 1\n# a comment\nframes x", "line 3 (frames): expected: frames N"},
      {"frames 1; bogus 3", "line 1 (bogus): unknown step \"bogus\""},
      {"click 10", "line 1 (click): expected: click X Y [BUTTON]"},
      {"click 10 10 1 1", "line 1 (click): expected: click X Y [BUTTON]"},
      {"key ctrl+NoSuchKey", "line 1 (key): \"NoSuchKey\" is no key of the keyboard"},
      {"key hyper+z", "line 1 (key): \"hyper\" is no modifier of the keyboard"},
      {"type caf\xe9", "line 1 (type): the text is not UTF-8"},
      {"snapshot", "line 1 (snapshot): expected: snapshot FILE.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    std::string error;
    EXPECT_FALSE(host::runGuiScript(*session, c.script, error));
    EXPECT_EQ(error, c.error);
  }
}

TEST_F(GuiHost, ASnapshotStepWritesTheEditorWindow) {
  open();
  const std::filesystem::path file = std::filesystem::path(testing::TempDir()) / "gui_host_snapshot.png";
  run("move 10 10; type 150; key shift+Tab; snapshot " + file.string());
  const std::optional<ui::FramePixels> read = ui::test::readPng(file);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->width, 960);
  EXPECT_EQ(read->height, 940);
  const host::Picture now = picture();
  ASSERT_EQ(now.rgba.size(), read->rgba.size());
  EXPECT_LT(ui::test::differentPixels(ui::FramePixels{now.width, now.height, now.rgba}, *read), 100u);
  std::filesystem::remove(file);
}

}  // namespace gui_host_test
}  // namespace orbi::test
