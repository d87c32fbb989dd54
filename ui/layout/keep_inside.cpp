#include "ui/layout/keep_inside.h"

#include <algorithm>

namespace orbi::ui {
namespace {

float keptWithin(float at, float size, float from, float room) {
  return std::max(from, std::min(at, from + room - size));
}

}  // namespace

ImVec2 keepInside(ImVec2 topLeft, ImVec2 size, const Rect& display) {
  return ImVec2(keptWithin(topLeft.x, size.x, display.x, display.width),
                keptWithin(topLeft.y, size.y, display.y, display.height));
}

ImVec2 keepInside(ImVec2 topLeft, ImVec2 size, ImVec2 display) {
  return keepInside(topLeft, size, Rect{0.0f, 0.0f, display.x, display.y});
}

}  // namespace orbi::ui
