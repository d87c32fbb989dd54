#pragma once
// X11's keys and buttons in the framework's terms. Keys are looked up by
// the keysym of a key's unshifted level, so Ctrl+Shift+Z is still Z.

#include <imgui.h>

#include <cstdint>

#include "ui/keys.h"

namespace orbi::ui {

// Key::None for a keysym the framework does not use.
Key keyFromKeysym(unsigned long keysym);

// The modifier a keysym is (either side), kModNone for other keys.
std::uint8_t modifierFromKeysym(unsigned long keysym);

// What an X pointer button does.
struct PointerButton {
  ImGuiMouseButton button = -1;  // Dear ImGui's button, -1 for a wheel or an unused one
  float wheel = 0.0f;            // vertical wheel step, up positive
  float wheelH = 0.0f;           // horizontal wheel step, left positive
};
PointerButton pointerButton(unsigned int xButton);

// Text typed with a key when the input method gives none: Latin-1 bytes
// from XLookupString, or a keysym that carries its Unicode code point. 0
// for none.
char32_t keysymCodePoint(unsigned long keysym);

}  // namespace orbi::ui
