#pragma once
// The mapping between a value (time in seconds, a frequency) and a pixel
// position along one axis of a view. lo may lie above hi: the axis then
// runs backwards.

#include <cstdint>

namespace orbi::ui {

enum class AxisKind : std::uint32_t { Linear, Logarithmic };

struct Axis {
  AxisKind kind = AxisKind::Linear;  // logarithmic needs lo and hi above 0
  float lo = 0.0f;                   // the value at pixelLo
  float hi = 0.0f;                   // the value at pixelHi
  float pixelLo = 0.0f;
  float pixelHi = 0.0f;
};

// 0 at lo, 1 at hi, not clamped; 0 when hi equals lo. A logarithmic axis
// takes values below 1e-12 as 1e-12.
double valueToUnit(const Axis& axis, double value);
double valueToPixel(const Axis& axis, double value);

// The value at a pixel, the pixel kept within the axis' span and the value
// within lo and hi; lo when the span is empty.
double positionToValue(const Axis& axis, double pixel);

}  // namespace orbi::ui
