#pragma once
// Small geometry shared by the sample view and the sampler lanes.

#include <imgui.h>

#include "ui/geometry.h"

namespace orbi {

// Movement past this (times the UI scale) decides a drag's axis.
inline constexpr float kAxisDecision = 3.0f;

// Edges included.
inline bool contains(const ui::Rect& r, ImVec2 p) {
  return p.x >= r.x && p.x <= r.x + r.width && p.y >= r.y && p.y <= r.y + r.height;
}

}  // namespace orbi
