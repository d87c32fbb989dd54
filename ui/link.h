#pragma once
// A clickable text link that opens a web page with the desktop's browser.

#include <string_view>

#include "ui/draw/text_style.h"
#include "ui/geometry.h"

namespace orbi::ui {

// Draws the text in the default style, as wide as it is (at most the
// rect), aligned across the rect and centred down it; hovered, it lightens
// and is underlined, and shows the tooltip (the target when empty).
// Returns true in the frame it is clicked, after opening the target (a
// failure is written to standard error).
bool link(const char* id, const Rect& rect, std::string_view text, std::string_view target,
          TextAlign alignment = TextAlign::Left, std::string_view tooltip = {});

// Opens the target with the system; on failure writes "orbi-ui: the
// system could not open <target>" to standard error and returns false.
bool openLink(std::string_view target);

}  // namespace orbi::ui
