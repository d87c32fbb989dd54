#pragma once
// The curves the stage tiles draw, as point lists on a plot rectangle.

#include <imgui.h>

#include <vector>

#include "ui/geometry.h"

namespace orbi {

class TransientTile;
class AmpTile;
class FilterTile;

struct StageCurves {
  // The reference hit shaped by the strike and body amounts, 160 points.
  static std::vector<ImVec2> transientShape(const TransientTile& tile, const ui::Rect& plot, float strike,
                                            float body);
  // Rise, hold and fall on the amp tile's time axis, 26 points.
  static std::vector<ImVec2> ampCurve(const AmpTile& tile, const ui::Rect& plot);
  // The linear magnitude both filters make at f Hz.
  static float filterMagnitude(const FilterTile& tile, float hz);
  // That magnitude over 20 Hz..20 kHz, 96 points.
  static std::vector<ImVec2> filterResponse(const FilterTile& tile, const ui::Rect& plot);
  // The point on the combined curve above filter k's cutoff.
  static ImVec2 filterPoint(const FilterTile& tile, int k, const ui::Rect& plot);
};

}  // namespace orbi
