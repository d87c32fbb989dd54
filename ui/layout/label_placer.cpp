#include "ui/layout/label_placer.h"

#include <algorithm>
#include <cmath>

namespace orbi::ui {
namespace {

// Pixels kept between a label's glyphs and any stroke or disc: a line
// that grazes the text reads as crossing it.
constexpr float kClearance = 1.5f;

// Whether the segment a-b meets the rectangle grown by the reach (a
// slab test on each axis).
bool segmentMeets(ImVec2 a, ImVec2 b, float reach, const Rect& r) {
  const float lo[2] = {r.x - reach, r.y - reach};
  const float hi[2] = {r.x + r.width + reach, r.y + r.height + reach};
  const float from[2] = {a.x, a.y};
  const float along[2] = {b.x - a.x, b.y - a.y};
  float enter = 0.0f, leave = 1.0f;
  for (int k = 0; k < 2; ++k) {
    if (std::fabs(along[k]) < 1e-6f) {
      if (from[k] < lo[k] || from[k] > hi[k]) return false;
      continue;
    }
    float t0 = (lo[k] - from[k]) / along[k], t1 = (hi[k] - from[k]) / along[k];
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
    if (enter > leave) return false;
  }
  return true;
}

// A column this short is no ink.
constexpr float kInkless = 0.5f;

}  // namespace

void LabelPlacer::line(ImVec2 a, ImVec2 b, float width) { marks_.push_back({a, b, 0.5f * width}); }

void LabelPlacer::polyline(std::span<const ImVec2> points, float width) {
  for (std::size_t i = 1; i < points.size(); ++i) line(points[i - 1], points[i], width);
}

void LabelPlacer::disc(ImVec2 centre, float radius) { marks_.push_back({centre, centre, radius, true}); }

void LabelPlacer::block(const Rect& r) { blocks_.push_back(r); }

void LabelPlacer::panel(const Rect& r) { panels_.push_back(r); }

void LabelPlacer::area(const Rect& r) { areas_.push_back(r); }

void LabelPlacer::clear() {
  marks_.clear();
  columns_.clear();
  blocks_.clear();
  panels_.clear();
  areas_.clear();
}

void LabelPlacer::waveform(const WaveformInk& drawn) {
  if (!drawn.tops.empty()) columns_.push_back({drawn.x0, drawn.tops, drawn.bottoms});
  polyline(drawn.line, 1.5f);
}

std::pair<int, int> LabelPlacer::touches(const Rect& box) const {
  int soft = 0, hard = 0;
  for (const Mark& m : marks_) {
    if (segmentMeets(m.a, m.b, m.reach + kClearance, box)) ++(m.hard ? hard : soft);
  }
  for (const Columns& c : columns_) {
    const float left = box.x - kClearance - c.x0, right = box.x + box.width + kClearance - c.x0;
    const auto first = static_cast<std::size_t>(std::max(std::floor(left), 0.0f));
    const std::size_t end =
        std::min(static_cast<std::size_t>(std::max(std::ceil(right), 0.0f)), c.tops.size());
    for (std::size_t i = first; i < end; ++i) {
      const float top = std::min(c.tops[i], c.bottoms[i]), bottom = std::max(c.tops[i], c.bottoms[i]);
      if (bottom - top < kInkless) continue;
      if (top - kClearance < box.y + box.height && box.y < bottom + kClearance) {
        ++soft;
        break;
      }
    }
  }
  for (const Rect& a : areas_) soft += a.overlaps(box) ? 1 : 0;
  for (const Rect& p : panels_) hard += p.overlaps(box) ? 1 : 0;
  for (const Rect& b : blocks_) hard += b.overlaps(box) ? 1 : 0;
  return {soft, hard};
}

int LabelPlacer::crossings(const Rect& box) const {
  const auto [soft, hard] = touches(box);
  return soft + hard;
}

int LabelPlacer::discsUnder(const Rect& box) const {
  const auto discs = std::count_if(marks_.begin(), marks_.end(), [&](const Mark& m) {
    return m.hard && segmentMeets(m.a, m.b, m.reach + kClearance, box);
  });
  const auto blocks =
      std::count_if(blocks_.begin(), blocks_.end(), [&](const Rect& b) { return b.overlaps(box); });
  return static_cast<int>(discs + blocks);
}

int LabelPlacer::panelsUnder(const Rect& box) const {
  return static_cast<int>(
      std::count_if(panels_.begin(), panels_.end(), [&](const Rect& p) { return p.overlaps(box); }));
}

float LabelPlacer::panelShareUnder(const Rect& box) const {
  float share = 0.0f;
  for (const Rect& p : panels_) {
    if (!p.overlaps(box)) continue;
    const float w = std::min(p.x + p.width, box.x + box.width) - std::max(p.x, box.x);
    const float h = std::min(p.y + p.height, box.y + box.height) - std::max(p.y, box.y);
    // A panel with no area is hidden whole by whatever lies over it.
    share += p.width > 0.0f && p.height > 0.0f ? (w * h) / (p.width * p.height) : 1.0f;
  }
  return share;
}

std::size_t LabelPlacer::leastTouched(std::span<const Rect> candidates) const {
  std::size_t best = 0;
  int fewest = -1;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const int n = crossings(candidates[i]);
    if (fewest < 0 || n < fewest) {
      fewest = n;
      best = i;
    }
  }
  return best;
}

std::size_t LabelPlacer::place(std::span<const Rect> candidates) const {
  for (std::size_t i = 0; i < candidates.size(); ++i)
    if (crossings(candidates[i]) == 0) return i;
  return leastTouched(candidates);
}

LabelPlacer::Placement LabelPlacer::settle(std::span<const Rect> candidates) const {
  std::size_t softOnly = candidates.size();
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const auto [soft, hard] = touches(candidates[i]);
    if (soft + hard == 0) return {i, true};
    if (hard == 0 && softOnly == candidates.size()) softOnly = i;
  }
  return {softOnly < candidates.size() ? softOnly : leastTouched(candidates), false};
}

std::optional<std::size_t> LabelPlacer::firstClear(std::span<const Rect> candidates, bool overPanels) const {
  std::optional<std::size_t> strokesOnly, leastPanels;
  float least = 0.0f;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    // The few discs and panels first: most places fail on them, before the
    // strokes are counted.
    if (discsUnder(candidates[i]) != 0) continue;
    if (panelsUnder(candidates[i]) != 0) {
      const float share = panelShareUnder(candidates[i]);
      if (!leastPanels || share < least) {
        leastPanels = i;
        least = share;
      }
      continue;
    }
    if (crossings(candidates[i]) == 0) return i;
    if (!strokesOnly) strokesOnly = i;
  }
  if (strokesOnly) return strokesOnly;
  return overPanels ? leastPanels : std::nullopt;
}

}  // namespace orbi::ui
