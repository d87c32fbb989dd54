#pragma once
// The framework's push buttons: a text button, a toggle that flips a flag
// and a square button whose face an icon painter draws. Each sizes itself
// from a design size and fits into the rectangle the caller reserves (see
// ScaleToFit), so one call serves a tight header and a roomy dialog.

#include <imgui.h>

#include <cstdint>
#include <string_view>

#include "ui/draw/icons.h"
#include "ui/geometry.h"
#include "ui/layout/scale_to_fit.h"

namespace orbi::ui {

enum class ButtonVariant : std::uint32_t { Normal, Accent, Danger };

struct ButtonStyle {
  ButtonVariant variant = ButtonVariant::Normal;
  SizeRule width;                 // across the rect; the height is always natural
  Align align = Align::Centre;    // across the rect; vertically always centred
  bool compact = false;           // 18 design pixels high instead of 24, smaller type and corners
  bool disabled = false;          // no interaction; drawn faded
  const char* tooltip = nullptr;  // text buttons and toggles; null for none
};

// What the pointer did to a button this frame; its colours follow it.
struct ButtonState {
  bool clicked = false;
  bool hovered = false;
  bool held = false;
};

// The natural size of a text button with this label, in pixels.
ImVec2 iconButtonSize(std::string_view label, const ButtonStyle& style);

// A text button; true on the frame it is clicked.
bool iconButton(const char* id, const Rect& rect, std::string_view label, const ButtonStyle& style);

// A text button drawn as toggled while the flag is set; a click flips the
// flag (before the button is painted) and returns true.
bool iconToggle(const char* id, const Rect& rect, std::string_view label, bool& flag,
                const ButtonStyle& style);

// A square button whose face the painter draws; its tooltip is the
// argument's, not the style's.
bool painterButton(const char* id, const Rect& rect, const IconPainter& painter, const char* tooltip,
                   bool toggled, const ButtonStyle& style);

}  // namespace orbi::ui
