#include "ui/draw/dash_pattern.h"

#include <algorithm>
#include <cmath>

namespace orbi::ui {
namespace {
constexpr double kEndTolerance = 0.001;
}

void DashPhase::flip() {
  drawing_ = !drawing_;
  remaining_ = drawing_ ? dash_ : gap_;
}

void DashPhase::take(double step) {
  remaining_ -= step;
  if (remaining_ <= kEndTolerance) flip();
}

void DashPhase::skip(double distance) {
  if (!(distance > 0.0)) return;
  if (distance < remaining_) {
    take(distance);
    return;
  }
  distance -= remaining_;
  flip();
  // Whole dash-and-gap periods change nothing.
  distance = std::fmod(distance, dash_ + gap_);
  while (distance >= remaining_) {
    distance -= remaining_;
    flip();
  }
  take(distance);
}

// Liang-Barsky: narrows [0, length] by each of the box's four sides.
bool clipSegment(ImVec2 a, ImVec2 b, double length, const ClipBox& box, double& from, double& to) {
  const double dx = static_cast<double>(b.x) - a.x, dy = static_cast<double>(b.y) - a.y;
  double lo = 0.0, hi = 1.0;
  auto side = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double r = q / p;
    if (p < 0.0)
      lo = std::max(lo, r);
    else
      hi = std::min(hi, r);
    return lo <= hi;
  };
  if (!side(-dx, a.x - box.x0) || !side(dx, box.x1 - a.x) || !side(-dy, a.y - box.y0) ||
      !side(dy, box.y1 - a.y))
    return false;
  from = lo * length;
  to = hi * length;
  return to > from;
}

}  // namespace orbi::ui
