#include "ui/draw/axis.h"

#include <algorithm>
#include <cmath>

namespace orbi::ui {
namespace {
constexpr double kSmallestLogValue = 1e-12;
}

double valueToUnit(const Axis& axis, double value) {
  const double lo = axis.lo, hi = axis.hi;
  if (hi == lo) return 0.0;
  if (axis.kind == AxisKind::Logarithmic)
    return std::log(std::max(value, kSmallestLogValue) / lo) / std::log(hi / lo);
  return (value - lo) / (hi - lo);
}

double valueToPixel(const Axis& axis, double value) {
  return axis.pixelLo + valueToUnit(axis, value) * (static_cast<double>(axis.pixelHi) - axis.pixelLo);
}

double positionToValue(const Axis& axis, double pixel) {
  const double lo = axis.lo, hi = axis.hi;
  if (axis.pixelHi == axis.pixelLo) return lo;
  const double t =
      std::clamp((pixel - axis.pixelLo) / (static_cast<double>(axis.pixelHi) - axis.pixelLo), 0.0, 1.0);
  const double value = axis.kind == AxisKind::Logarithmic ? lo * std::pow(hi / lo, t) : lo + (hi - lo) * t;
  return std::clamp(value, std::min(lo, hi), std::max(lo, hi));
}

}  // namespace orbi::ui
