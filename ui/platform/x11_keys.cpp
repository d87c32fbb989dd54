#include "ui/platform/x11_keys.h"

#include <X11/keysym.h>

namespace orbi::ui {
namespace {

Key offsetKey(Key first, unsigned long keysym, unsigned long firstSym) {
  return static_cast<Key>(static_cast<int>(first) + static_cast<int>(keysym - firstSym));
}

}  // namespace

Key keyFromKeysym(unsigned long keysym) {
  if (keysym >= XK_a && keysym <= XK_z) return offsetKey(Key::A, keysym, XK_a);
  if (keysym >= XK_A && keysym <= XK_Z) return offsetKey(Key::A, keysym, XK_A);
  if (keysym >= XK_0 && keysym <= XK_9) return offsetKey(Key::Digit0, keysym, XK_0);
  if (keysym >= XK_F1 && keysym <= XK_F12) return offsetKey(Key::F1, keysym, XK_F1);
  switch (keysym) {
    case XK_Tab:
    case XK_ISO_Left_Tab: return Key::Tab;
    case XK_Left:
    case XK_KP_Left: return Key::Left;
    case XK_Right:
    case XK_KP_Right: return Key::Right;
    case XK_Up:
    case XK_KP_Up: return Key::Up;
    case XK_Down:
    case XK_KP_Down: return Key::Down;
    case XK_Page_Up:
    case XK_KP_Page_Up: return Key::PageUp;
    case XK_Page_Down:
    case XK_KP_Page_Down: return Key::PageDown;
    case XK_Home:
    case XK_KP_Home: return Key::Home;
    case XK_End:
    case XK_KP_End: return Key::End;
    case XK_Insert:
    case XK_KP_Insert: return Key::Insert;
    case XK_Delete:
    case XK_KP_Delete: return Key::Delete;
    case XK_BackSpace: return Key::Backspace;
    case XK_space: return Key::Space;
    case XK_Return: return Key::Enter;
    case XK_Escape: return Key::Escape;
    case XK_KP_Enter: return Key::KeypadEnter;
    default: return Key::None;
  }
}

std::uint8_t modifierFromKeysym(unsigned long keysym) {
  switch (keysym) {
    case XK_Control_L:
    case XK_Control_R: return kModCtrl;
    case XK_Shift_L:
    case XK_Shift_R: return kModShift;
    case XK_Alt_L:
    case XK_Alt_R:
    case XK_Meta_L:
    case XK_Meta_R: return kModAlt;
    case XK_Super_L:
    case XK_Super_R: return kModSuper;
    default: return kModNone;
  }
}

PointerButton pointerButton(unsigned int xButton) {
  switch (xButton) {
    case 1: return {ImGuiMouseButton_Left};
    case 2: return {ImGuiMouseButton_Middle};
    case 3: return {ImGuiMouseButton_Right};
    case 4: return {-1, 1.0f, 0.0f};
    case 5: return {-1, -1.0f, 0.0f};
    case 6: return {-1, 0.0f, 1.0f};
    case 7: return {-1, 0.0f, -1.0f};
    default: return {};
  }
}

char32_t keysymCodePoint(unsigned long keysym) {
  // Latin-1 keysyms are their code points; Unicode keysyms carry theirs.
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
    return static_cast<char32_t>(keysym);
  if ((keysym & 0xFF000000UL) == 0x01000000UL) {
    const unsigned long cp = keysym & 0x00FFFFFFUL;
    if (cp >= 0x20 && cp <= 0x10FFFF && !(cp >= 0x7F && cp < 0xA0)) return static_cast<char32_t>(cp);
  }
  return 0;
}

}  // namespace orbi::ui
