#pragma once
#include <algorithm>
#include <cmath>

namespace ob {

// Quantises y to 2^bits / 2 steps per unit; halves round away from zero.
inline float bitCrushLevels(float bits) { return std::exp2(std::clamp(bits, 1.0f, 16.0f)) * 0.5f; }

inline float bitCrush(float y, float levels) { return std::round(y * levels) / levels; }

}  // namespace ob
