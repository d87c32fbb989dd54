#pragma once
// The text field: a string edited in place, with an optional grey hint
// while it is empty. It keeps every character typed or pasted, and takes
// no more than a limit when given one. The kit browser's filter and the macro rename field
// are text fields. Main thread, inside a frame.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/geometry.h"
#include "ui/layout/scale_to_fit.h"

namespace orbi::ui {

struct TextFieldOptions {
  SizeMode fit = SizeMode::Natural;  // how the 200 x 24 field meets its rect
  Align align = Align::Start;        // where the field sits across its rect
  const char* hint = nullptr;        // shown while the text is empty; null for none
  bool mono = false;                 // JetBrains Mono text
  bool decimal = false;              // only the characters of a decimal number
  bool compact = false;              // 18 design pixels high, small text
  const char* tooltip = nullptr;     // null for none
  std::size_t maxBytes = 0;          // the most bytes of UTF-8 the text takes; 0: no limit
};

// What the field did this frame. Enter wins over the edit and the leaving
// it brings, so a caller that commits on Enter alone never commits on a
// keystroke.
enum class TextFieldResult : std::uint32_t {
  Nothing,
  Edited,   // the text changed
  Cut,      // the text changed, and of what was typed or pasted only what fits in maxBytes was taken
  Entered,  // Enter was pressed
  Escaped,  // left with Escape
  Left,     // left any other way: a click elsewhere, Tab
};

// Edits the text in place; it grows as the user types.
TextFieldResult textField(const char* id, const Rect& rect, std::string& text,
                          const TextFieldOptions& options = {});

}  // namespace orbi::ui
