// Input that reaches a view in the embedded window through the X server,
// sent as a user's would be with XTest: clicks, drags, both wheels, typed
// UTF-8 text into a text field, pasted into it and copied out, a shortcut
// held down while the key repeats, focus leaving with Ctrl held, and text
// through CLIPBOARD between windows and other programs.

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls/text_field.h"
#include "ui/interact/interaction.h"
#include "ui/keys.h"
#include "ui/platform/embedded_window.h"

// After our own headers: Xlib defines macros such as None.
#include "support/ui/window_harness.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

namespace orbi::ui {
namespace window_input_test {

using namespace std::chrono_literals;
using test::pumpFor;
using test::pumpUntil;

// Where the parent sits on the root window, and what the view lays out in it.
constexpr int kParentX = 100, kParentY = 120;
constexpr Rect kPad{40, 40, 200, 120};
constexpr Rect kField{40, 200, 240, 24};

class InputView : public View {
 public:
  void frame(const FrameInfo&) override {
    ImGuiIO& io = ImGui::GetIO();
    InteractSpec desc;
    desc.kind = HitKind::Rectangle;
    desc.rect = kPad;
    const Interaction pad = interact("pad", desc);
    hovered = pad.hovered;
    if (pad.pressed) presses.push_back(pad.pressPos);
    if (pad.held) heldTotal = pad.total;
    clicks += pad.clicked;
    doubleClicks += pad.doubleClicked;
    rightClicks += pad.rightClicked;
    middleDown = middleDown || io.MouseDown[ImGuiMouseButton_Middle];
    wheel += io.MouseWheel;
    wheelH += io.MouseWheelH;
    undos += chordPressed({Key::Z, kModCtrl});
    ctrl = io.KeyCtrl;

    textField("field", kField, field);
    fieldActive = ImGui::IsAnyItemActive();

    if (copy) ImGui::SetClipboardText(copy->c_str());
    copy.reset();
    if (paste) pasted = ImGui::GetClipboardText();
    paste = false;
  }
  // The test asks for a copy or a paste between frames.
  bool wantsFrame() override { return copy || paste; }

  bool hovered = false;
  std::vector<ImVec2> presses;
  ImVec2 heldTotal;
  int clicks = 0, doubleClicks = 0, rightClicks = 0, undos = 0;
  bool middleDown = false;
  float wheel = 0.0f, wheelH = 0.0f;
  bool ctrl = false;
  std::string field;
  bool fieldActive = false;
  std::optional<std::string> copy;
  bool paste = false;
  std::optional<std::string> pasted;
};

class WindowInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::haveDisplay() || !host.display()) GTEST_SKIP() << "no X display";
    parent = host.makeParent(kParentX, kParentY, 320, 260);
    window.emplace(view, EmbeddedWindow::Options{});
    window->setScale(1.0f);
    ASSERT_TRUE(window->attach(parent));
    pumpFor(*window, 30ms);
  }
  void TearDown() override {
    if (!host.display()) return;
    window.reset();
    // Nothing stays held for the next test.
    for (unsigned b = 1; b <= 3; ++b) XTestFakeButtonEvent(host.display(), b, False, 0);
    for (KeySym k : {XK_Control_L, XK_Control_R, XK_z, XK_a}) host.key(k, false);
    XSetInputFocus(host.display(), PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(host.display(), False);
  }
  // A point of the window on the root window.
  void pointerAt(float x, float y) {
    host.pointerTo(kParentX + static_cast<int>(x), kParentY + static_cast<int>(y));
  }
  void click(unsigned button) {
    host.button(button, true);
    host.button(button, false);
  }
  // Clicks into the field, which takes the keyboard.
  void focusField() {
    pointerAt(kField.x + 10, kField.y + 10);
    click(1);
    ASSERT_TRUE(pumpUntil(*window, [&] { return view.fieldActive; }));
  }

  test::WindowHarness host;
  Window parent = 0;
  InputView view;
  std::optional<EmbeddedWindow> window;
};

TEST_F(WindowInputTest, AClickReachesTheViewWhereItHappened) {
  pointerAt(80, 90);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.hovered; }));
  // Pressed and released before a frame could see it: still one click.
  click(1);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.clicks == 1; }));
  ASSERT_EQ(view.presses.size(), 1u);
  EXPECT_EQ(view.presses[0].x, 80.0f);
  EXPECT_EQ(view.presses[0].y, 90.0f);
  // Two clicks before a frame: a double-click, by the server's clock.
  click(1);
  click(1);
  EXPECT_TRUE(pumpUntil(*window, [&] { return view.doubleClicks == 1; }));
  EXPECT_EQ(view.clicks, 1) << "its second press is the double-click's";
  click(3);
  EXPECT_TRUE(pumpUntil(*window, [&] { return view.rightClicks == 1; }));
  host.button(2, true);
  EXPECT_TRUE(pumpUntil(*window, [&] { return view.middleDown; }));
  host.button(2, false);
  EXPECT_EQ(view.clicks, 1);
}

TEST_F(WindowInputTest, ADragReportsItsMovement) {
  pointerAt(60, 60);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.hovered; }));
  host.button(1, true);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.presses.size() == 1; }));
  for (int step = 1; step <= 5; ++step) {
    pointerAt(60 + 14 * step, 60 + 6 * step);
    pumpFor(*window, 20ms);
  }
  EXPECT_TRUE(pumpUntil(*window, [&] { return view.heldTotal.x == 70.0f && view.heldTotal.y == 30.0f; }));
  // Out of the window and back while held: the drag goes on.
  pointerAt(400, 60);
  pumpFor(*window, 30ms);
  EXPECT_TRUE(pumpUntil(*window, [&] { return view.heldTotal.x == 340.0f; }));
  host.button(1, false);
  pumpFor(*window, 30ms);
  EXPECT_EQ(view.clicks, 0);
}

TEST_F(WindowInputTest, BothWheelsReachTheView) {
  pointerAt(100, 100);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.hovered; }));
  struct Case {
    unsigned button;
    float wheel, wheelH;
  };
  for (const Case& c : {Case{4, 1, 0}, Case{5, -1, 0}, Case{6, 0, 1}, Case{7, 0, -1}}) {
    SCOPED_TRACE(c.button);
    view.wheel = view.wheelH = 0;
    click(c.button);
    click(c.button);
    EXPECT_TRUE(pumpUntil(*window, [&] { return view.wheel == 2 * c.wheel && view.wheelH == 2 * c.wheelH; }));
    EXPECT_TRUE(view.presses.empty());
  }
}

// Gives spare key codes the keysyms a test types and takes them back.
class SpareKeys {
 public:
  explicit SpareKeys(Display* display) : display_(display) {
    int min = 0, max = 0, per = 0;
    XDisplayKeycodes(display_, &min, &max);
    KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(min), max - min + 1, &per);
    for (int code = max; code >= min && spare_.size() < 4; --code) {
      bool empty = true;
      for (int i = 0; i < per; ++i) empty = empty && map[(code - min) * per + i] == NoSymbol;
      if (empty) spare_.push_back(code);
    }
    XFree(map);
  }
  ~SpareKeys() {
    for (int code : used_) {
      KeySym none = NoSymbol;
      XChangeKeyboardMapping(display_, code, 1, &none, 1);
    }
    XSync(display_, False);
  }
  // A key code that types the keysym; 0 when none is spare.
  unsigned bind(KeySym keysym) {
    if (used_.size() == spare_.size()) return 0;
    const int code = spare_[used_.size()];
    used_.push_back(code);
    XChangeKeyboardMapping(display_, code, 1, &keysym, 1);
    XSync(display_, False);
    return static_cast<unsigned>(code);
  }

 private:
  Display* display_;
  std::vector<int> spare_, used_;
};

TEST_F(WindowInputTest, TypedUtf8TextReachesATextField) {
  SpareKeys spare(host.display());
  const unsigned eAcute = spare.bind(XK_eacute);
  const unsigned euro = spare.bind(0x10020AC);  // U+20AC as a Unicode keysym
  const unsigned han = spare.bind(0x1006F22);   // U+6F22
  const unsigned drum = spare.bind(0x101F941);  // U+1F941, past 16 bits
  ASSERT_TRUE(eAcute && euro && han && drum) << "no spare key codes";
  focusField();
  host.key(XK_a, true);
  host.key(XK_a, false);
  for (const unsigned code : {eAcute, euro, han, drum}) {
    host.keycode(code, true);
    host.keycode(code, false);
  }
  const std::string typed = "a\xC3\xA9\xE2\x82\xAC\xE6\xBC\xA2\xF0\x9F\xA5\x81";
  EXPECT_TRUE(pumpUntil(*window, [&] { return view.field == typed; })) << view.field;
}

TEST_F(WindowInputTest, AShortcutHeldWhileTheKeyRepeatsCountsOnce) {
  XAutoRepeatOn(host.display());
  XkbSetAutoRepeatRate(host.display(), XkbUseCoreKbd, 100, 20);
  focusField();
  pointerAt(300, 250);
  for (int press = 1; press <= 2; ++press) {
    SCOPED_TRACE(press);
    host.key(XK_Control_L, true);
    host.key(XK_z, true);
    // Long enough for the server to repeat the key several times.
    pumpFor(*window, 400ms);
    host.key(XK_z, false);
    host.key(XK_Control_L, false);
    pumpFor(*window, 50ms);
    EXPECT_EQ(view.undos, press);
  }
  XkbSetAutoRepeatRate(host.display(), XkbUseCoreKbd, 660, 40);
}

TEST_F(WindowInputTest, LosingTheFocusReleasesCtrl) {
  focusField();
  host.key(XK_Control_L, true);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.ctrl; }));
  XSetInputFocus(host.display(), parent, RevertToParent, CurrentTime);
  XSync(host.display(), False);
  EXPECT_TRUE(pumpUntil(*window, [&] { return !view.ctrl; }));
  host.key(XK_Control_L, false);
}

TEST_F(WindowInputTest, EitherCtrlKeyHoldsCtrl) {
  focusField();
  host.key(XK_Control_L, true);
  host.key(XK_Control_R, true);
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.ctrl; }));
  host.key(XK_Control_L, false);
  pumpFor(*window, 50ms);
  EXPECT_TRUE(view.ctrl);
  host.key(XK_Control_R, false);
  EXPECT_TRUE(pumpUntil(*window, [&] { return !view.ctrl; }));
}

TEST_F(WindowInputTest, TextCopiedInOneWindowPastesInAnother) {
  const Window otherParent = host.makeParent(kParentX + 330, kParentY, 200, 100);
  InputView other;
  EmbeddedWindow otherWindow(other, {});
  ASSERT_TRUE(otherWindow.attach(otherParent));
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE2\x9C\x93";
  view.copy = text;
  ASSERT_TRUE(pumpUntil(*window, [&] { return !view.copy; }));
  other.paste = true;
  ASSERT_TRUE(pumpUntil(otherWindow, [&] { return other.pasted.has_value(); }));
  EXPECT_EQ(*other.pasted, text);
  // And back the other way, replacing it.
  other.copy = "kick";
  ASSERT_TRUE(pumpUntil(otherWindow, [&] { return !other.copy; }));
  view.paste = true;
  ASSERT_TRUE(pumpUntil(*window, [&] { return view.pasted.has_value(); }));
  EXPECT_EQ(*view.pasted, "kick");
}

// What another program gets when it asks the window for CLIPBOARD.
std::optional<std::string> convertFrom(test::WindowHarness& host, EmbeddedWindow& window,
                                       const char* target) {
  Display* d = host.display();
  const Window requestor = XCreateSimpleWindow(d, host.root(), 0, 0, 1, 1, 0, 0, 0);
  const Atom property = XInternAtom(d, "TEST_CLIP", False);
  XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), XInternAtom(d, target, False), property, requestor,
                    CurrentTime);
  XSync(d, False);
  std::optional<std::string> out;
  XEvent e;
  pumpUntil(window, [&] { return XCheckTypedWindowEvent(d, requestor, SelectionNotify, &e) == True; });
  if (e.type == SelectionNotify && e.xselection.property != None) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, requestor, property, 0, 1 << 16, True, AnyPropertyType, &type, &format, &items,
                       &after, &data);
    if (data) {
      if (format == 8)
        out = std::string(reinterpret_cast<char*>(data), items);
      else if (format == 32) {
        std::string names;
        for (unsigned long i = 0; i < items; ++i) {
          char* name = XGetAtomName(d, reinterpret_cast<Atom*>(data)[i]);
          names += std::string(name) + " ";
          XFree(name);
        }
        out = names;
      }
      XFree(data);
    }
  }
  XDestroyWindow(d, requestor);
  return out;
}

TEST_F(WindowInputTest, OtherProgramsReadTheCopiedText) {
  view.copy = "snare \xE2\x86\x92 room";
  ASSERT_TRUE(pumpUntil(*window, [&] { return !view.copy; }));
  EXPECT_EQ(convertFrom(host, *window, "UTF8_STRING"), "snare \xE2\x86\x92 room");
  EXPECT_EQ(convertFrom(host, *window, "TARGETS"), "TARGETS UTF8_STRING ");
  EXPECT_EQ(convertFrom(host, *window, "STRING"), std::nullopt);
}

// Another program that owns CLIPBOARD, in a child process of its own so it
// answers while the window waits.
class OutsideOwner {
 public:
  enum class Reply { Text, Incremental, Never };
  OutsideOwner(Reply reply, std::string text) {
    int ready[2];
    if (pipe(ready) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(ready[0]);
      serve(reply, text, ready[1]);
      _exit(0);
    }
    close(ready[1]);
    pollfd fd{ready[0], POLLIN, 0};
    char c = 0;
    ok_ = poll(&fd, 1, 5000) == 1 && read(ready[0], &c, 1) == 1;
    close(ready[0]);
  }
  ~OutsideOwner() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  bool ok() const { return ok_; }

 private:
  static void serve(Reply reply, const std::string& text, int ready) {
    Display* d = test::openDisplay();
    if (!d) return;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False), w, CurrentTime);
    XSync(d, False);
    if (write(ready, "r", 1) != 1) return;
    for (;;) {
      XEvent e;
      XNextEvent(d, &e);
      if (e.type != SelectionRequest || reply == Reply::Never) continue;
      const XSelectionRequestEvent& r = e.xselectionrequest;
      if (reply == Reply::Text) {
        XChangeProperty(d, r.requestor, r.property, XInternAtom(d, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
      } else {
        const long size = static_cast<long>(text.size());
        XChangeProperty(d, r.requestor, r.property, XInternAtom(d, "INCR", False), 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&size), 1);
      }
      XEvent n{};
      n.xselection.type = SelectionNotify;
      n.xselection.requestor = r.requestor;
      n.xselection.selection = r.selection;
      n.xselection.target = r.target;
      n.xselection.property = r.property;
      n.xselection.time = r.time;
      XSendEvent(d, r.requestor, False, NoEventMask, &n);
      XSync(d, False);
    }
  }

  pid_t pid_ = -1;
  bool ok_ = false;
};

TEST_F(WindowInputTest, TextOwnedByAnotherProgramPastes) {
  struct Case {
    OutsideOwner::Reply reply;
    std::string expected;
  };
  const std::string text = "hi-hat \xE2\x80\x94 open";
  for (const Case& c : {Case{OutsideOwner::Reply::Text, text}, Case{OutsideOwner::Reply::Incremental, ""},
                        Case{OutsideOwner::Reply::Never, ""}}) {
    SCOPED_TRACE(static_cast<int>(c.reply));
    OutsideOwner owner(c.reply, text);
    ASSERT_TRUE(owner.ok());
    view.pasted.reset();
    view.paste = true;
    ASSERT_TRUE(pumpUntil(*window, [&] { return view.pasted.has_value(); }));
    EXPECT_EQ(*view.pasted, c.expected);
  }
}

// Pasted into a field and copied out of it, text keeps its characters past
// U+FFFF.
TEST_F(WindowInputTest, TextPastedIntoAFieldAndCopiedOutStaysWhole) {
  const std::string text = "Drums \xF0\x9F\xA5\x81";
  {
    OutsideOwner owner(OutsideOwner::Reply::Text, text);
    ASSERT_TRUE(owner.ok());
    focusField();
    const auto chord = [&](KeySym key) {
      host.key(XK_Control_L, true);
      host.key(key, true);
      host.key(key, false);
      host.key(XK_Control_L, false);
      pumpFor(*window, 50ms);
    };
    chord(XK_v);
    EXPECT_TRUE(pumpUntil(*window, [&] { return view.field == text; })) << view.field;
    chord(XK_a);
    chord(XK_c);
  }
  EXPECT_EQ(convertFrom(host, *window, "UTF8_STRING"), text);
}

}  // namespace window_input_test
}  // namespace orbi::ui
