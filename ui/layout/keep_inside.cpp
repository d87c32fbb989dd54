#include "ui/layout/keep_inside.h"

#include <algorithm>

namespace orbi::ui {
namespace {

float keptWithin(float at, float size, float room) { return std::max(0.0f, std::min(at, room - size)); }

}  // namespace

ImVec2 keepInside(ImVec2 topLeft, ImVec2 size, ImVec2 display) {
  return ImVec2(keptWithin(topLeft.x, size.x, display.x), keptWithin(topLeft.y, size.y, display.y));
}

}  // namespace orbi::ui
