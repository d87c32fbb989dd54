#pragma once
// Text inside popups, drawn by Dear ImGui in one of the framework's text
// styles: dialog headings and menu section labels.

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/draw/text_style.h"
#include "ui/theme/palette.h"

namespace orbi::ui {

// Headings and section labels: the theme's muted grey.
inline constexpr std::uint32_t kPopupLabelColour = palette::kMuted;

// ASCII letters a to z as capitals; every other byte as it is.
std::string upperCased(std::string_view text);

// One line of Dear ImGui text in the style's face and size (its tracking
// and case are not applied) and the colour (0xAARRGGBB).
void styledText(std::string_view text, TextStyle style, std::uint32_t colour);

}  // namespace orbi::ui
