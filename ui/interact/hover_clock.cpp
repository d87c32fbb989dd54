#include "ui/interact/hover_clock.h"

#include <algorithm>

#include "ui/theme/theme_style.h"

namespace orbi::ui {
namespace {

// A hand on a mouse trembles: a pointer that moves at most this far in a
// frame is resting. Physical pixels.
constexpr float kRestingMotion = 2.0f;

bool moved(ImVec2 delta) { return delta.x * delta.x + delta.y * delta.y > kRestingMotion * kRestingMotion; }

}  // namespace

bool HoverClock::hovered(ImGuiID item, int frame, double now, ImVec2 pointerMoved) {
  if (item == item_ && frame == lastFrame_) return ready_;
  if (item != item_ || frame != lastFrame_ + 1) {
    item_ = item;
    hoverStart_ = restStart_ = now;
    rested_ = false;
  } else if (moved(pointerMoved)) {
    restStart_ = now;
  }
  lastFrame_ = frame;
  if (now - restStart_ >= kTooltipStationaryDelay) rested_ = true;
  ready_ = rested_ && now - hoverStart_ >= kTooltipHoverDelay;
  return ready_;
}

double HoverClock::readyAt() const {
  const double shown = hoverStart_ + kTooltipHoverDelay;
  return rested_ ? shown : std::max(shown, restStart_ + kTooltipStationaryDelay);
}

}  // namespace orbi::ui
