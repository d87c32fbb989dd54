#pragma once
// What the sample view and the sampler lanes share of their gestures.

namespace orbi {

// Movement past this (times the UI scale) decides a drag's axis.
inline constexpr float kAxisDecision = 3.0f;

}  // namespace orbi
