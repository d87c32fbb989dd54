#include "tools/clap_host/x_input.h"

#include <sstream>

// After our own headers: Xlib defines macros such as None.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace orbi::host {

namespace {

unsigned long modifierKeysym(const std::string& name) {
  if (name == "ctrl" || name == "control") return XK_Control_L;
  if (name == "shift") return XK_Shift_L;
  if (name == "alt") return XK_Alt_L;
  if (name == "super") return XK_Super_L;
  return NoSymbol;
}

// Latin-1 characters are their own keysyms; the others have Unicode ones.
unsigned long characterKeysym(char32_t c) { return c <= 0xFF ? c : 0x01000000UL | c; }

}  // namespace

bool XInput::available() const {
  int event = 0, error = 0, major = 0, minor = 0;
  return XTestQueryExtension(display_, &event, &error, &major, &minor) != 0;
}

void XInput::startAfresh() {
  XSetInputFocus(display_, PointerRoot, RevertToPointerRoot, CurrentTime);
  const int screen = DefaultScreen(display_);
  XTestFakeMotionEvent(display_, screen, DisplayWidth(display_, screen) / 2,
                       DisplayHeight(display_, screen) / 2, CurrentTime);
  XSync(display_, False);
}

void XInput::moveTo(unsigned long window, int x, int y) {
  int rootX = x, rootY = y;
  Window child = 0;
  const Window root = DefaultRootWindow(display_);
  XTranslateCoordinates(display_, window, root, x, y, &rootX, &rootY, &child);
  XTestFakeMotionEvent(display_, -1, rootX, rootY, CurrentTime);
  XSync(display_, False);
}

void XInput::button(unsigned button, bool down) {
  XTestFakeButtonEvent(display_, button, down ? True : False, CurrentTime);
  XSync(display_, False);
}

void XInput::key(unsigned keycode, bool down) {
  XTestFakeKeyEvent(display_, keycode, down ? True : False, CurrentTime);
  XSync(display_, False);
}

unsigned XInput::keycodeOf(unsigned long keysym) const {
  return keysym == NoSymbol ? 0 : XKeysymToKeycode(display_, keysym);
}

bool XInput::chordKeys(const std::string& chord, std::vector<unsigned>& keycodes, std::string& error) const {
  keycodes.clear();
  std::istringstream parts(chord);
  std::string part;
  std::vector<std::string> names;
  while (std::getline(parts, part, '+')) names.push_back(part);
  if (names.empty() || names.back().empty()) {
    error = "no key in \"" + chord + "\"";
    return false;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const bool last = i + 1 == names.size();
    const unsigned long keysym = last ? XStringToKeysym(names[i].c_str()) : modifierKeysym(names[i]);
    const unsigned code = keycodeOf(keysym);
    if (code == 0) {
      error = "\"" + names[i] + "\" is no " + (last ? "key" : "modifier") + " of the keyboard";
      return false;
    }
    keycodes.push_back(code);
  }
  return true;
}

bool XInput::characterKeys(char32_t c, std::vector<unsigned>& keycodes) const {
  keycodes.clear();
  const unsigned long keysym = characterKeysym(c);
  // The line feed is Return.
  const unsigned code = keycodeOf(c == '\n' ? XK_Return : keysym);
  if (code == 0) return false;
  if (c != '\n' && XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0) != keysym) {
    if (XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 1) != keysym) return false;
    keycodes.push_back(keycodeOf(XK_Shift_L));
  }
  keycodes.push_back(code);
  return true;
}

unsigned XInput::bindSpareKey(char32_t c) {
  int min = 0, max = 0, perCode = 0;
  XDisplayKeycodes(display_, &min, &max);
  KeySym* map = XGetKeyboardMapping(display_, static_cast<KeyCode>(min), max - min + 1, &perCode);
  if (map == nullptr) return 0;
  int spare = 0;
  for (int code = max; code >= min && spare == 0; --code) {
    bool empty = true;
    for (int i = 0; i < perCode; ++i) empty = empty && map[(code - min) * perCode + i] == NoSymbol;
    if (empty) spare = code;
  }
  XFree(map);
  if (spare == 0) return 0;
  KeySym keysym = characterKeysym(c);
  XChangeKeyboardMapping(display_, spare, 1, &keysym, 1);
  XSync(display_, False);
  return static_cast<unsigned>(spare);
}

void XInput::unbind(unsigned keycode) {
  KeySym none = NoSymbol;
  XChangeKeyboardMapping(display_, static_cast<int>(keycode), 1, &none, 1);
  XSync(display_, False);
}

}  // namespace orbi::host
