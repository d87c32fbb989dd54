#include "editor/widgets/chain/stage_curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "editor/widgets/chain/amp_tile.h"
#include "editor/widgets/chain/filter_tile.h"
#include "editor/widgets/chain/transient_tile.h"
#include "editor/widgets/widget_support.h"

namespace orbi {
namespace {

constexpr int kAmpRisePoints = 8;
constexpr int kAmpFallPoints = 16;
constexpr int kResponsePoints = 96;

// One second-order section with a tangent pre-warp, as a factor of the
// magnitude; 1 for a filter that is off.
float sectionMagnitude(const FilterTile::Filter& f, double rate, float hz) {
  if (f.cutoff >= FilterTile::kOffCutoff || rate <= 0.0) return 1.0f;
  const double fc = std::clamp(static_cast<double>(f.cutoff), 20.0, 0.45 * rate);
  const double g = std::tan(std::numbers::pi * fc / rate);
  if (g <= 0.0) return f.type == 0 ? 1.0f : 0.0f;
  const double fp = std::clamp(static_cast<double>(hz), 0.0, 0.5 * rate * 0.999);
  const double r = std::tan(std::numbers::pi * fp / rate) / g;
  const double q = clamp01NanTo0(f.resonance) * 9.0 + 0.5;
  const double den = std::sqrt((r / q) * (r / q) + (1.0 - r * r) * (1.0 - r * r));
  if (den <= 0.0) return 0.0f;
  const double num = f.type == 1 ? r * r : f.type == 2 ? r : 1.0;
  return static_cast<float>(num / den);
}

}  // namespace

std::vector<ImVec2> StageCurves::transientShape(const TransientTile& tile, const ui::Rect& p, float strike,
                                                float body) {
  const int n =
      static_cast<int>(std::min({tile.reference.size(), tile.strikeGain.size(), tile.bodyGain.size()}));
  std::vector<ImVec2> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const float g = clampTo(1.0f + strike * tile.strikeGain[i] + body * tile.bodyGain[i], 0.0f, 4.0f);
    const float v = std::min(tile.reference[i] * g, 2.0f) * 0.5f * p.height;
    points[i] = ImVec2(p.x + i * p.width / (TransientTile::kPoints - 1), p.y + p.height - v);
  }
  return points;
}

std::vector<ImVec2> StageCurves::ampCurve(const AmpTile& tile, const ui::Rect& p) {
  const float a = tile.attackSeconds();
  const float h = tile.hold;
  const float d = tile.decaySeconds();
  const float bottom = p.y + p.height;
  auto xAt = [&p](float t) { return p.x + ampTimeToX(t) * p.width; };
  std::vector<ImVec2> points;
  points.reserve(2 + kAmpRisePoints + kAmpFallPoints);
  points.emplace_back(xAt(0.0f), bottom);
  for (int i = 1; i <= kAmpRisePoints; ++i)
    points.emplace_back(xAt(a * i / kAmpRisePoints), bottom - p.height * i / kAmpRisePoints);
  points.emplace_back(xAt(a + h), p.y);
  for (int j = 1; j <= kAmpFallPoints; ++j) {
    const float dt = 3.0f * d * j / kAmpFallPoints;
    const float level = std::exp(-dt / std::max(d, 0.0001f));
    points.emplace_back(xAt(a + h + dt), bottom - p.height * level);
  }
  return points;
}

float StageCurves::filterMagnitude(const FilterTile& tile, float hz) {
  return sectionMagnitude(tile.filters[0], tile.sampleRate, hz) *
         sectionMagnitude(tile.filters[1], tile.sampleRate, hz);
}

std::vector<ImVec2> StageCurves::filterResponse(const FilterTile& tile, const ui::Rect& p) {
  std::vector<ImVec2> points(kResponsePoints);
  for (int i = 0; i < kResponsePoints; ++i) {
    const float u = static_cast<float>(i) / (kResponsePoints - 1);
    const float hz = 20.0f * std::exp(u * std::log(1000.0f));
    points[i] = ImVec2(p.x + u * p.width, FilterTile::magnitudeY(filterMagnitude(tile, hz), p));
  }
  return points;
}

ImVec2 StageCurves::filterPoint(const FilterTile& tile, int k, const ui::Rect& p) {
  const float cutoff = tile.filters[static_cast<std::size_t>(k)].cutoff;
  return ImVec2(FilterTile::frequencyX(cutoff, p), FilterTile::magnitudeY(filterMagnitude(tile, cutoff), p));
}

}  // namespace orbi
