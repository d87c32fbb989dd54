// Drags from a source client on a connection of its own to a window with the
// drop target, through a real X server (the test runner starts Xvfb).

#include "ui/platform/xdnd_target.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/drop/drop_state.h"
#include "ui/drop/drop_zone.h"
#include "ui/platform/x11_error_trap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace orbi::ui {
namespace xdnd_test {

using Paths = std::vector<std::string>;

// Where the test window sits on the root window.
constexpr int kWindowX = 40, kWindowY = 30;
const Rect kZone{100, 100, 200, 80};

struct Message {
  Atom type;
  long l[5];
};

// A drag source as a file manager is one: it owns the XDND selection and
// answers requests for text/uri-list.
class DragSource {
 public:
  explicit DragSource(std::string uriList) : list_(std::move(uriList)) {
    display_ = XOpenDisplay(nullptr);
    if (!display_) return;
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    XSetSelectionOwner(display_, atom("XdndSelection"), window_, CurrentTime);
    XSync(display_, False);
  }
  ~DragSource() { disappear(); }

  bool connected() const { return display_ != nullptr; }
  Atom atom(const char* name) { return XInternAtom(display_, name, False); }
  Window window() const { return window_; }

  // More than three types go into XdndTypeList on the source window.
  void enter(Window target, const std::vector<const char*>& types) {
    std::vector<Atom> atoms;
    for (const char* t : types) atoms.push_back(atom(t));
    long l[5] = {static_cast<long>(window_), 5L << 24, 0, 0, 0};
    if (atoms.size() > 3) {
      l[1] |= 1;
      XChangeProperty(display_, window_, atom("XdndTypeList"), XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    } else {
      for (std::size_t i = 0; i < atoms.size(); ++i) l[2 + i] = static_cast<long>(atoms[i]);
    }
    send(target, "XdndEnter", l);
  }
  // A point in the target window's own pixels.
  void moveTo(Window target, int x, int y, long time) {
    long l[5] = {static_cast<long>(window_), 0, (kWindowX + x) << 16 | (kWindowY + y), time,
                 static_cast<long>(atom("XdndActionCopy"))};
    send(target, "XdndPosition", l);
  }
  void drop(Window target, long time) {
    long l[5] = {static_cast<long>(window_), 0, time, 0, 0};
    send(target, "XdndDrop", l);
  }
  void leave(Window target) {
    long l[5] = {static_cast<long>(window_), 0, 0, 0, 0};
    send(target, "XdndLeave", l);
  }

  // Handles what has arrived: answers selection requests (unless held
  // back) and returns the client messages.
  std::vector<Message> receive() {
    XSync(display_, False);
    std::vector<Message> messages;
    while (XPending(display_)) {
      XEvent e;
      XNextEvent(display_, &e);
      if (e.type == SelectionRequest) {
        if (holdRequests_)
          held_.push_back(e.xselectionrequest);
        else
          answer(e.xselectionrequest);
      } else if (e.type == ClientMessage) {
        Message m{e.xclient.message_type, {}};
        for (int i = 0; i < 5; ++i) m.l[i] = e.xclient.data.l[i];
        messages.push_back(m);
      }
    }
    // The answers leave now, not at this connection's next request: the
    // target looks for them as soon as this returns.
    XSync(display_, False);
    return messages;
  }
  void holdRequests(bool hold) {
    holdRequests_ = hold;
    if (hold) return;
    for (const XSelectionRequestEvent& r : held_) answer(r);
    held_.clear();
    XSync(display_, False);
  }
  int requestsSeen() const { return requestsSeen_; }

  // The source program quits mid-drag: its window goes with it.
  void disappear() {
    if (!display_) return;
    XCloseDisplay(display_);
    display_ = nullptr;
  }

 private:
  void send(Window target, const char* type, const long (&l)[5]) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = atom(type);
    e.xclient.format = 32;
    for (int i = 0; i < 5; ++i) e.xclient.data.l[i] = l[i];
    XSendEvent(display_, target, False, NoEventMask, &e);
    XSync(display_, False);
  }

  void answer(const XSelectionRequestEvent& r) {
    ++requestsSeen_;
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    reply.xselection.property = None;
    if (r.target == atom("text/uri-list")) {
      XChangeProperty(display_, r.requestor, r.property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(list_.data()), static_cast<int>(list_.size()));
      reply.xselection.property = r.property;
    }
    XSendEvent(display_, r.requestor, False, NoEventMask, &reply);
  }

  Display* display_ = nullptr;
  Window window_ = 0;
  std::string list_;
  bool holdRequests_ = false;
  std::vector<XSelectionRequestEvent> held_;
  int requestsSeen_ = 0;
};

class Xdnd : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display";
    display_ = XOpenDisplay(nullptr);
    ASSERT_NE(display_, nullptr) << "cannot open the display";
    window_ =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), kWindowX, kWindowY, 400, 300, 0, 0, 0);
    target_ = std::make_unique<XdndTarget>(display_, window_, harness_.ui());
    XSync(display_, False);
  }
  void TearDown() override {
    target_.reset();
    if (display_) XCloseDisplay(display_);
  }

  // The window's event loop: hands the target what arrived.
  void dispatch() {
    XSync(display_, False);
    while (XPending(display_)) {
      XEvent e;
      XNextEvent(display_, &e);
      target_->handleEvent(e);
    }
  }
  // One frame with a drop zone for WAV files, then the target's turn.
  DropZoneResult frame(const Rect& zone = kZone) {
    DropZoneResult result;
    harness_.frame([&] { result = dropZone(zone, {".wav"}); });
    target_->afterFrame();
    return result;
  }
  DropState& drop() { return dropState(harness_.ui()); }

  static std::optional<Message> find(const std::vector<Message>& messages, Atom type) {
    std::optional<Message> last;
    for (const Message& m : messages)
      if (m.type == type) last = m;
    return last;
  }

  UiHarness harness_;
  Display* display_ = nullptr;
  Window window_ = 0;
  std::unique_ptr<XdndTarget> target_;
};

const char* const kList = "file:///s/Big%20Kick.WAV\r\nfile:///s/notes.txt\r\nfile:///s/snare.wav\r\n";

TEST_F(Xdnd, TheWindowSaysItTakesVersion5) {
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display_, window_, XInternAtom(display_, "XdndAware", False), 0, 1, False,
                               XA_ATOM, &type, &format, &items, &after, &data),
            Success);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(format, 32);
  ASSERT_EQ(items, 1u);
  EXPECT_EQ(*reinterpret_cast<long*>(data), 5);
  XFree(data);
}

TEST_F(Xdnd, ADropOnAZoneIsAcceptedDeliveredAndFinished) {
  DragSource source(kList);
  ASSERT_TRUE(source.connected());
  const Atom status = source.atom("XdndStatus"), finished = source.atom("XdndFinished");
  const Atom copy = source.atom("XdndActionCopy");

  source.enter(window_, {"text/uri-list"});
  source.moveTo(window_, 150, 120, 1000);
  dispatch();
  // No frame has seen a zone match yet.
  std::optional<Message> reply = find(source.receive(), status);
  ASSERT_TRUE(reply);
  EXPECT_EQ(static_cast<Window>(reply->l[0]), window_);
  EXPECT_EQ(reply->l[1] & 1, 0);
  EXPECT_EQ(reply->l[1] & 2, 2);  // every position wanted
  EXPECT_EQ(source.requestsSeen(), 1);
  dispatch();  // the list arrives

  const DropZoneResult hovering = frame();
  EXPECT_TRUE(hovering.hovering);
  EXPECT_EQ(hovering.paths, (Paths{"/s/Big Kick.WAV", "/s/snare.wav"}));

  source.moveTo(window_, 160, 125, 1010);
  dispatch();
  reply = find(source.receive(), status);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->l[1] & 1, 1);
  EXPECT_EQ(static_cast<Atom>(reply->l[4]), copy);

  source.drop(window_, 1020);
  dispatch();
  EXPECT_FALSE(find(source.receive(), finished));  // not before the frame
  const DropZoneResult dropped = frame();
  EXPECT_TRUE(dropped.dropped);
  EXPECT_EQ(dropped.paths, (Paths{"/s/Big Kick.WAV", "/s/snare.wav"}));
  reply = find(source.receive(), finished);
  ASSERT_TRUE(reply);
  EXPECT_EQ(static_cast<Window>(reply->l[0]), window_);
  EXPECT_EQ(reply->l[1] & 1, 1);
  EXPECT_EQ(static_cast<Atom>(reply->l[2]), copy);
  EXPECT_FALSE(drop().over);
}

TEST_F(Xdnd, ManyTypesAreReadFromTheTypeList) {
  DragSource source(kList);
  ASSERT_TRUE(source.connected());
  source.enter(window_, {"UTF8_STRING", "text/plain", "x-special/gnome-copied-files", "text/uri-list"});
  source.moveTo(window_, 150, 120, 1000);
  dispatch();
  source.receive();
  dispatch();
  EXPECT_TRUE(frame().hovering);
}

TEST_F(Xdnd, ASourceWithoutAFileListOffersNothing) {
  DragSource source(kList);
  ASSERT_TRUE(source.connected());
  source.enter(window_, {"text/plain"});
  source.moveTo(window_, 150, 120, 1000);
  dispatch();
  source.receive();
  EXPECT_EQ(source.requestsSeen(), 0);
  EXPECT_FALSE(frame().hovering);
  EXPECT_TRUE(drop().over);
}

TEST_F(Xdnd, ADropBeforeTheListArrivesWaitsForIt) {
  DragSource source(kList);
  ASSERT_TRUE(source.connected());
  source.holdRequests(true);
  source.enter(window_, {"text/uri-list"});
  source.moveTo(window_, 150, 120, 1000);
  dispatch();
  source.receive();
  source.drop(window_, 1020);
  dispatch();
  source.receive();
  EXPECT_FALSE(frame().dropped);
  EXPECT_FALSE(find(source.receive(), source.atom("XdndFinished")));

  source.holdRequests(false);
  dispatch();
  const DropZoneResult dropped = frame();
  EXPECT_TRUE(dropped.dropped);
  EXPECT_EQ(dropped.paths.size(), 2u);
  const std::optional<Message> reply = find(source.receive(), source.atom("XdndFinished"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->l[1] & 1, 1);
}

TEST_F(Xdnd, ADropThatNoZoneTakesFinishesUnsuccessfully) {
  DragSource source(kList);
  ASSERT_TRUE(source.connected());
  source.enter(window_, {"text/uri-list"});
  source.moveTo(window_, 350, 250, 1000);
  dispatch();
  source.receive();
  dispatch();
  source.drop(window_, 1020);
  dispatch();
  EXPECT_FALSE(frame().dropped);
  const std::optional<Message> reply = find(source.receive(), source.atom("XdndFinished"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->l[1] & 1, 0);
  EXPECT_EQ(reply->l[2], static_cast<long>(None));
}

TEST_F(Xdnd, LeavingClearsTheDrag) {
  DragSource source(kList);
  ASSERT_TRUE(source.connected());
  source.enter(window_, {"text/uri-list"});
  source.moveTo(window_, 150, 120, 1000);
  dispatch();
  source.receive();
  dispatch();
  ASSERT_TRUE(frame().hovering);
  source.leave(window_);
  dispatch();
  EXPECT_FALSE(frame().hovering);
  EXPECT_FALSE(drop().over);
  EXPECT_TRUE(drop().paths.empty());
}

TEST_F(Xdnd, ASourceThatDisappearsMidDragLeavesTheHostRunning) {
  {
    DragSource source(kList);
    ASSERT_TRUE(source.connected());
    source.enter(window_, {"UTF8_STRING", "text/plain", "text/x-moz-url", "text/uri-list"});
    source.moveTo(window_, 150, 120, 1000);
    source.disappear();
  }
  // Reading its type list and answering its position both reach a window
  // that no longer exists.
  dispatch();
  dispatch();
  frame();
  EXPECT_FALSE(drop().over);
  EXPECT_FALSE(frame().hovering);

  // The next drag works as usual.
  DragSource next(kList);
  ASSERT_TRUE(next.connected());
  next.enter(window_, {"text/uri-list"});
  next.moveTo(window_, 150, 120, 2000);
  dispatch();
  next.receive();
  dispatch();
  EXPECT_TRUE(frame().hovering);
}

TEST_F(Xdnd, TheErrorTrapCatchesOnlyItsOwnCallsAndRestoresTheHandler) {
  static int foreignErrors = 0;
  const XErrorHandler foreign = [](Display*, XErrorEvent*) {
    ++foreignErrors;
    return 0;
  };
  const XErrorHandler before = XSetErrorHandler(foreign);
  const Window gone = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
  XDestroyWindow(display_, gone);
  XSync(display_, False);

  int outerCode = 0, innerCode = 0;
  {
    X11ErrorTrap outer(display_);
    innerCode = withX11ErrorTrap(display_, [&] { XMapWindow(display_, gone); });
    XUnmapWindow(display_, window_);  // fine: no error for the outer trap
    outerCode = outer.end();
  }
  EXPECT_EQ(innerCode, BadWindow);
  EXPECT_EQ(outerCode, 0);
  EXPECT_EQ(foreignErrors, 0);
  // Outside any trap the host's own handler sees errors again.
  XMapWindow(display_, gone);
  XSync(display_, False);
  EXPECT_EQ(foreignErrors, 1);
  EXPECT_EQ(XSetErrorHandler(before), foreign);
}

}  // namespace xdnd_test
}  // namespace orbi::ui
