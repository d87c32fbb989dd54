#pragma once
// The theme's Dear ImGui style: sizes at scale 1 and colours. The UI context
// applies it to a default style and then scales the sizes.

#include <imgui.h>

#include <cstdint>

namespace orbi::ui {

// Tooltip timing: a tooltip shows once its item has been hovered this long
// and the pointer has rested this long on it.
inline constexpr float kTooltipHoverDelay = 0.6f;
inline constexpr float kTooltipStationaryDelay = 0.1f;

void applyTheme(ImGuiStyle& style);

}  // namespace orbi::ui
