#pragma once
// The display scale a window applies: the host's, or the desktop's Xft.dpi
// over 96. Either is kept within 0.5..4 so that a broken setting cannot
// size the font atlas or the window beyond memory and the X server.

#include <string_view>

namespace orbi::ui {

inline constexpr float kMinDisplayScale = 0.5f;
inline constexpr float kMaxDisplayScale = 4.0f;

// A finite value within the limits. Callers reject non-finite values first.
float clampDisplayScale(float scale);

// Xft.dpi / 96 from the X resource-manager text ("name:\tvalue" lines),
// clamped; 1 when the text has no usable Xft.dpi.
float xftDpiScale(std::string_view resources);

}  // namespace orbi::ui
