#include "ui/platform/x11_input.h"

#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <string>

#include "ui/draw/utf8.h"
#include "ui/imgui_adapter.h"
#include "ui/platform/x11_keys.h"

// After our own headers: Xlib defines macros such as None and Status.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>

namespace orbi::ui {
namespace {

constexpr long kWindowEvents = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                               PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask;

constexpr unsigned int kButtonMasks = Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask;

// The modifier slots in the order of X11Input::mods_, with the state bit of
// each in pointer events.
constexpr std::uint8_t kModBits[4] = {kModCtrl, kModShift, kModAlt, kModSuper};
constexpr unsigned int kModStateMasks[4] = {ControlMask, ShiftMask, Mod1Mask, Mod4Mask};

int modSlot(std::uint8_t mod) {
  for (int i = 0; i < 4; ++i)
    if (kModBits[i] == mod) return i;
  return -1;
}

bool rightSide(unsigned long keysym) {
  return keysym == XK_Control_R || keysym == XK_Shift_R || keysym == XK_Alt_R || keysym == XK_Meta_R ||
         keysym == XK_Super_R;
}

unsigned int fontCursorShape(ImGuiMouseCursor cursor) {
  switch (cursor) {
    case ImGuiMouseCursor_TextInput: return XC_xterm;
    case ImGuiMouseCursor_ResizeAll: return XC_fleur;
    case ImGuiMouseCursor_ResizeNS: return XC_sb_v_double_arrow;
    case ImGuiMouseCursor_ResizeEW: return XC_sb_h_double_arrow;
    case ImGuiMouseCursor_ResizeNESW: return XC_bottom_left_corner;
    case ImGuiMouseCursor_ResizeNWSE: return XC_bottom_right_corner;
    case ImGuiMouseCursor_Hand: return XC_hand2;
    case ImGuiMouseCursor_NotAllowed: return XC_X_cursor;
    default: return XC_left_ptr;
  }
}

// A cursor that shows nothing, for ImGuiMouseCursor_None.
Cursor blankCursor(Display* display, Window window) {
  static const char empty[1] = {0};
  const Pixmap bitmap = XCreateBitmapFromData(display, window, empty, 1, 1);
  XColor black{};
  const Cursor cursor = XCreatePixmapCursor(display, bitmap, bitmap, &black, &black, 0, 0);
  XFreePixmap(display, bitmap);
  return cursor;
}

}  // namespace

void HeldInput::change(bool to, unsigned long at) {
  if (to == latest()) return;
  if (seen && waiting == 0) {
    down = to;
    seen = false;
    time = at;
  } else if (waiting < kMostWaiting) {
    waitingTimes[static_cast<std::size_t>(waiting++)] = at;
  } else {
    --waiting;
  }
}

void HeldInput::frameSeen() {
  seen = true;
  if (waiting == 0) return;
  down = !down;
  seen = false;
  time = waitingTimes[0];
  std::copy(waitingTimes.begin() + 1, waitingTimes.begin() + waiting, waitingTimes.begin());
  --waiting;
}

X11Input::X11Input(Display* display, unsigned long window) : display_(display), window_(window) {
  Bool detectable = False;
  XkbSetDetectableAutoRepeat(display_, True, &detectable);
  im_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  if (im_)
    ic_ = XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, window_,
                    XNFocusWindow, window_, nullptr);
}

X11Input::~X11Input() {
  if (ic_) XDestroyIC(ic_);
  if (im_) XCloseIM(im_);
  for (const auto& [shape, cursor] : cursors_) XFreeCursor(display_, cursor);
}

long X11Input::eventMask() const {
  unsigned long imEvents = 0;
  if (ic_) XGetICValues(ic_, XNFilterEvents, &imEvents, nullptr);
  return kWindowEvents | static_cast<long>(imEvents);
}

bool X11Input::handleEvent(XEvent& event) {
  ImGuiIO& io = ImGui::GetIO();
  switch (event.type) {
    case MotionNotify:
      lastTime_ = event.xmotion.time;
      syncModifiers(event.xmotion.state);
      pointerAt(event.xmotion.x, event.xmotion.y);
      return true;
    case ButtonPress:
    case ButtonRelease: onButton(event, event.type == ButtonPress); return true;
    case KeyPress:
    case KeyRelease: onKey(event, event.type == KeyPress); return true;
    case EnterNotify:
      lastTime_ = event.xcrossing.time;
      pointerAt(event.xcrossing.x, event.xcrossing.y);
      return true;
    case LeaveNotify:
      lastTime_ = event.xcrossing.time;
      // While a button is held the pointer is grabbed and still reported.
      if ((event.xcrossing.state & kButtonMasks) == 0) io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
      return true;
    case FocusIn:
      if (ic_) XSetICFocus(ic_);
      return true;
    case FocusOut:
      if (event.xfocus.detail == NotifyInferior) return true;
      if (ic_) XUnsetICFocus(ic_);
      releaseAll();
      return true;
    default: return false;
  }
}

void X11Input::onButton(const XEvent& event, bool press) {
  const XButtonEvent& b = event.xbutton;
  lastTime_ = b.time;
  syncModifiers(b.state);
  pointerAt(b.x, b.y);
  const PointerButton mapped = pointerButton(b.button);
  ImGuiIO& io = ImGui::GetIO();
  if (press) {
    io.MouseWheel += mapped.wheel;
    io.MouseWheelH += mapped.wheelH;
  }
  if (mapped.button < 0) return;
  // Keys follow the pointer's clicks into the editor; a wheel turn over it
  // takes nothing from the host.
  if (press) XSetInputFocus(display_, window_, RevertToParent, b.time);
  if (press)
    buttons_[mapped.button].press(b.time);
  else
    buttons_[mapped.button].release(b.time);
}

void X11Input::onKey(XEvent& event, bool press) {
  lastTime_ = event.xkey.time;
  const unsigned long keysym = XLookupKeysym(&event.xkey, 0);
  if (const int slot = modSlot(modifierFromKeysym(keysym)); slot >= 0) {
    // Either side holds the modifier; a repeated press is still one key.
    const std::uint8_t side = rightSide(keysym) ? 2 : 1;
    if (press) {
      if (modKeysDown_[slot] == 0) mods_[slot].press();
      modKeysDown_[slot] |= side;
    } else {
      modKeysDown_[slot] &= static_cast<std::uint8_t>(~side);
      if (modKeysDown_[slot] == 0) mods_[slot].release();
    }
  }
  // (Xlib's None macro hides Key::None here.)
  if (const Key key = keyFromKeysym(keysym); keyIndex(key) != 0) {
    if (press)
      keys_[keyIndex(key)].press();
    else
      keys_[keyIndex(key)].release();
  }
  if (press) typeText(event);
}

void X11Input::typeText(XEvent& event) {
  if (ic_) {
    char buffer[64];
    KeySym keysym = NoSymbol;
    Status status = 0;
    int length = Xutf8LookupString(ic_, &event.xkey, buffer, sizeof buffer - 1, &keysym, &status);
    std::string text;
    if (status == XBufferOverflow) {
      text.resize(static_cast<std::size_t>(length));
      length = Xutf8LookupString(ic_, &event.xkey, text.data(), length, &keysym, &status);
    } else if (length > 0) {
      text.assign(buffer, static_cast<std::size_t>(length));
    }
    if (status != XLookupChars && status != XLookupBoth) return;
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    // Control characters (Ctrl+letter, Delete) are keys, not text.
    for (const char c : text)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return;
    addInputText(text);
    return;
  }
  char bytes[8];
  KeySym keysym = NoSymbol;
  XLookupString(&event.xkey, bytes, sizeof bytes, &keysym, nullptr);
  if (event.xkey.state & ControlMask) return;
  if (const char32_t cp = keysymCodePoint(keysym)) {
    std::string text;
    appendUtf8(text, cp);
    addInputText(text);
  }
}

void X11Input::pointerAt(int x, int y) {
  ImGui::GetIO().MousePos = ImVec2(static_cast<float>(x), static_cast<float>(y));
}

void X11Input::syncModifiers(unsigned int state) {
  for (int i = 0; i < 4; ++i) {
    const bool held = (state & kModStateMasks[i]) != 0;
    if (held == mods_[i].latest()) continue;
    if (held) {
      mods_[i].press();
    } else {
      modKeysDown_[i] = 0;
      mods_[i].release();
    }
  }
}

void X11Input::releaseAll() {
  for (HeldInput& key : keys_) key.release();
  for (HeldInput& mod : mods_) mod.release();
  modKeysDown_.fill(0);
}

void X11Input::beginFrame(ImGuiIO& io) {
  io.BackendFlags |= ImGuiBackendFlags_HasMouseCursors;
  for (int b = 0; b < ImGuiMouseButton_COUNT; ++b) {
    const HeldInput& button = buttons_[b];
    if (button.down && !button.seen) timeClickByServer(io, b, button.time);
    io.MouseDown[b] = button.down;
  }
  for (int k = 0; k < static_cast<int>(Key::Count); ++k) io.KeysDown[k] = keys_[k].down;
  io.KeyCtrl = mods_[0].down;
  io.KeyShift = mods_[1].down;
  io.KeyAlt = mods_[2].down;
  io.KeySuper = mods_[3].down;
}

// Dear ImGui times a double-click between the frames that see its two
// presses, which a busy host may draw far apart however quick the hand:
// the earlier press is dated back from this frame by the time between the
// two as the server saw them.
void X11Input::timeClickByServer(ImGuiIO& io, int b, unsigned long at) {
  unsigned long& last = lastPressSeen_[static_cast<std::size_t>(b)];
  if (last != 0 && at != 0) {
    const double gap = static_cast<std::uint32_t>(at - last) / 1000.0;  // the server's milliseconds wrap
    io.MouseClickedTime[b] = ImGui::GetTime() + static_cast<double>(io.DeltaTime) - gap;
  }
  last = at;
}

bool X11Input::changesWaiting() const {
  const auto waits = [](const HeldInput& h) { return h.waiting > 0; };
  return std::any_of(buttons_.begin(), buttons_.end(), waits) ||
         std::any_of(keys_.begin(), keys_.end(), waits) || std::any_of(mods_.begin(), mods_.end(), waits);
}

void X11Input::endFrame(ImGuiIO& io) {
  for (HeldInput& b : buttons_) b.frameSeen();
  for (HeldInput& k : keys_) k.frameSeen();
  for (HeldInput& m : mods_) m.frameSeen();
  showCursor(io.MouseDrawCursor ? ImGuiMouseCursor_None : ImGui::GetMouseCursor());
}

void X11Input::showCursor(ImGuiMouseCursor cursor) {
  if (cursor == cursorShown_) return;
  cursorShown_ = cursor;
  auto it = cursors_.find(cursor);
  if (it == cursors_.end()) {
    const Cursor made = cursor == ImGuiMouseCursor_None
                            ? blankCursor(display_, window_)
                            : XCreateFontCursor(display_, fontCursorShape(cursor));
    it = cursors_.emplace(cursor, made).first;
  }
  XDefineCursor(display_, window_, it->second);
}

}  // namespace orbi::ui
