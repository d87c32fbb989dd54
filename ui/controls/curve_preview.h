#pragma once
// A square thumbnail that plots a transfer curve and hands the caller the
// raw interaction, with which the caller drags whatever the curve shows.
// The drag axis is decided by the first movement, or is vertical when
// Shift or Alt is held as the press begins.

#include <array>

#include "ui/geometry.h"
#include "ui/interact/interaction.h"

namespace orbi::ui {

inline constexpr int kCurveSampleCount = 97;

// values[i] is the curve at x = 2i/96 - 1, from -1 to 1.
struct CurveSamples {
  std::array<float, kCurveSampleCount> values{};
  bool valid = false;  // nothing is plotted while false
};

struct CurvePreviewOptions {
  bool dim = false;               // the curve's effect is off: drawn subdued
  const char* tooltip = nullptr;  // null for none
};

struct CurvePreviewResult {
  Interaction interaction;
  Rect square;  // the thumbnail, centred in the rect
};

// The thumbnail's side is min(34 design pixels, rect width, rect height).
CurvePreviewResult curvePreview(const char* id, const Rect& rect, const CurveSamples& curve,
                                const CurvePreviewOptions& options);

}  // namespace orbi::ui
