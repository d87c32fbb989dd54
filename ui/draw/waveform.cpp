#include "ui/draw/waveform.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/draw/shapes.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kOutlineFillAlpha = 0.35f;

// Where the samples of one drawing sit: sample i at axis time i / k + start.
class SampleMap {
 public:
  SampleMap(const Axis& axis, const WaveOverview& overview, const WaveformStyle& style)
      : axis_(axis), k_(style.speed * overview.sampleRate()), start_(style.startTime) {}

  double xOf(double sample) const { return valueToPixel(axis_, sample / k_ + start_); }

  // The sample position at pixel x. On a linear axis the product is taken
  // before the division, so that pixels meeting whole samples give them
  // exactly and the columns of a sample that fills the axis evenly hold
  // equal counts.
  double at(double x) const {
    if (axis_.kind != AxisKind::Linear || axis_.pixelHi == axis_.pixelLo)
      return (positionToValue(axis_, x) - start_) * k_;
    const double p0 = axis_.pixelLo, p1 = axis_.pixelHi;
    const double lo = axis_.lo, hi = axis_.hi;
    const double p = std::clamp(x, std::min(p0, p1), std::max(p0, p1));
    const double s = (lo - start_) * k_ + (hi - lo) * k_ * (p - p0) / (p1 - p0);
    return std::clamp(s, (std::min(lo, hi) - start_) * k_, (std::max(lo, hi) - start_) * k_);
  }

 private:
  const Axis& axis_;
  double k_;      // samples per axis second
  double start_;  // seconds
};

// floor(position) kept within [lo, hi] before it becomes an index: a
// negative, huge or NaN double has no unsigned value.
std::uint64_t indexAt(double position, std::uint64_t lo, std::uint64_t hi) {
  const double f = std::floor(position);
  if (!(f >= static_cast<double>(lo))) return lo;
  if (f >= static_cast<double>(hi)) return hi;
  return std::min(static_cast<std::uint64_t>(f), hi);
}

// The vertical placement of sample values in the rect.
struct Lane {
  double top, bottom, mid, half;

  float y(double value, double gain) const {
    const double y = mid - value * gain * half;
    if (std::isnan(y)) return static_cast<float>(mid);
    return static_cast<float>(std::clamp(y, top, bottom));
  }
};

double gainFor(const WaveformStyle& style, double seconds) {
  return style.gainAt ? style.gain * static_cast<double>(style.gainAt(seconds)) : style.gain;
}

std::uint32_t withAlphaScaled(std::uint32_t colour, float factor) {
  const auto alpha = static_cast<std::uint32_t>(std::trunc((colour >> 24) * factor + 0.5f));
  return palette::withAlphaByte(colour, static_cast<std::uint8_t>(alpha));
}

// One column per pixel, from the overview's peaks over each pixel's samples.
void drawColumns(ImDrawList* dl, const SampleMap& map, const Lane& lane, const WaveOverview& overview,
                 const WaveformStyle& style, std::uint64_t a, std::uint64_t b, double left, double right,
                 WaveformInk* ink) {
  const auto first = static_cast<long long>(std::floor(left));
  const auto end = static_cast<long long>(std::ceil(right));
  std::vector<float> tops, bottoms;
  tops.reserve(static_cast<std::size_t>(end - first));
  bottoms.reserve(static_cast<std::size_t>(end - first));
  for (long long x = first; x < end; ++x) {
    const double s0 = map.at(static_cast<double>(x)), s1 = map.at(static_cast<double>(x + 1));
    // A reversed axis gives s1 below s0: the column spans the two either way.
    const std::uint64_t i0 = indexAt(std::min(s0, s1), a, b - 1);
    const std::uint64_t i1 = indexAt(std::max(s0, s1), i0 + 1, b);
    const MinMax peaks = overview.range(i0, i1);
    const double g = gainFor(style, (s0 + s1) / 2.0 / overview.sampleRate());
    tops.push_back(lane.y(peaks.max, g));
    bottoms.push_back(lane.y(peaks.min, g));
  }
  if (ink) {
    ink->x0 = static_cast<float>(first);
    ink->tops = tops;
    ink->bottoms = bottoms;
  }
  if (style.mode == WaveformMode::Bars) {
    fillBand(dl, static_cast<float>(first), 1.0f, tops, bottoms, style.colour);
    return;
  }
  std::vector<ImVec2> upper, lower;
  upper.reserve(tops.size());
  lower.reserve(tops.size());
  for (std::size_t i = 0; i < tops.size(); ++i) {
    const float x = static_cast<float>(first + static_cast<long long>(i)) + 0.5f;
    upper.emplace_back(x, tops[i]);
    lower.emplace_back(x, bottoms[i]);
  }
  fillBetween(dl, upper, lower, withAlphaScaled(style.colour, kOutlineFillAlpha));
  drawPolyline(dl, upper, style.colour, 1.0f);
  drawPolyline(dl, lower, style.colour, 1.0f);
}

// Fewer than one sample per pixel: the samples as a line.
void drawSamples(ImDrawList* dl, const SampleMap& map, const Lane& lane, const WaveOverview& overview,
                 const WaveformStyle& style, std::uint64_t a, std::uint64_t b, double left, double right,
                 WaveformInk* ink) {
  const double sl = map.at(left), sr = map.at(right);
  const std::uint64_t i0 = indexAt(std::min(sl, sr), a, b - 1);
  const std::uint64_t i1 = indexAt(std::ceil(std::max(sl, sr)), a, b - 1);
  if (i1 < i0) return;
  const auto line = [&](std::span<const float> samples) {
    std::vector<ImVec2> points;
    points.reserve(static_cast<std::size_t>(i1 - i0 + 1));
    for (std::uint64_t i = i0; i <= i1; ++i) {
      const double g = gainFor(style, static_cast<double>(i) / overview.sampleRate());
      points.emplace_back(static_cast<float>(map.xOf(static_cast<double>(i))), lane.y(samples[i], g));
    }
    drawPolyline(dl, points, style.colour, 1.5f);
    return points;
  };
  // A stereo buffer draws one line a channel; the ink is the first's.
  if (!overview.second().empty()) line(overview.second());
  std::vector<ImVec2> points = line(overview.samples());
  if (ink) ink->line = std::move(points);
}

}  // namespace

void drawWaveform(ImDrawList* dl, const Rect& rect, const Axis& axis, const WaveOverview& overview,
                  const WaveformStyle& style, WaveformInk* ink) {
  if (ink) *ink = WaveformInk{};
  if (overview.empty() || !(overview.sampleRate() > 0.0) || !(style.speed > 0.0)) return;
  if (!(rect.width > 0.0f && rect.height > 0.0f)) return;
  const std::uint64_t a = std::min(style.from, overview.size()), b = std::min(style.to, overview.size());
  if (b <= a) return;

  const SampleMap map(axis, overview, style);
  const double xa = map.xOf(static_cast<double>(a)), xb = map.xOf(static_cast<double>(b));
  const double left = std::max<double>(rect.x, std::min(xa, xb));
  const double right = std::min<double>(static_cast<double>(rect.x) + rect.width, std::max(xa, xb));
  if (!(right > left)) return;

  const double mid = rect.y + rect.height / 2.0;
  const Lane lane{rect.y, static_cast<double>(rect.y) + rect.height, mid, rect.height / 2.0 * style.height};
  if (std::fabs(map.at(left + 1.0) - map.at(left)) >= 1.0)
    drawColumns(dl, map, lane, overview, style, a, b, left, right, ink);
  else
    drawSamples(dl, map, lane, overview, style, a, b, left, right, ink);
}

}  // namespace orbi::ui
