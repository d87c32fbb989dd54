#pragma once
// Colours of the framework are 0xAARRGGBB; Dear ImGui packs red in the low
// byte. They are converted only where they are drawn.

#include <imgui.h>

#include <cstdint>

namespace orbi::ui {

// Swaps the red and blue bytes; alpha and green stay.
constexpr ImU32 packColour(std::uint32_t argb) {
  return (argb & 0xFF00FF00u) | ((argb >> 16) & 0xFFu) | ((argb & 0xFFu) << 16);
}

// Undoes packColour (the swap is its own inverse).
constexpr std::uint32_t unpackColour(ImU32 packed) { return packColour(packed); }

ImVec4 colourToVec4(std::uint32_t argb);

// Each channel a + (b - a) * clamp(t, 0, 1), rounded half up.
std::uint32_t lerpColor(std::uint32_t a, std::uint32_t b, float t);

// Hue in turns (any value; only its fraction counts), saturation, value and
// alpha in 0..1 (clamped), to 0xAARRGGBB. A value that is not a number
// counts as 0.
std::uint32_t hsvToArgb(float hue, float saturation, float value, float alpha);

}  // namespace orbi::ui
