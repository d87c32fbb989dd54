#pragma once
// The tempo wherever none is given: a project, a host or a render that names
// no usable tempo plays at 120 BPM.

#include <cmath>

namespace ob {

inline constexpr double kDefaultTempo = 120.0;

// The tempo when it is positive and finite, else the default.
inline double effectiveTempo(double bpm) { return bpm > 0.0 && std::isfinite(bpm) ? bpm : kDefaultTempo; }

}  // namespace ob
