#pragma once
// Clamping for what is drawn and dragged: bounds that cross and values that
// are not numbers still give a value within the bounds.

#include <algorithm>

namespace orbi::ui {

// v kept within lo..hi; lo when the bounds cross (lo > hi, as the margins of
// a narrow rectangle make them) and when v is not a number. std::clamp is
// undefined for crossed bounds.
constexpr float clampTo(float v, float lo, float hi) { return std::max(lo, std::min(v, hi)); }

// 0..1 with NaN read as 0, the rule of the sound side's clamp of this name.
constexpr float clamp01NanTo0(float v) { return clampTo(v, 0.0f, 1.0f); }

// v kept between a and b given in either order (a display range may run
// downwards); the lower of the two when v is not a number.
constexpr float clampBetween(float v, float a, float b) { return clampTo(v, std::min(a, b), std::max(a, b)); }

}  // namespace orbi::ui
