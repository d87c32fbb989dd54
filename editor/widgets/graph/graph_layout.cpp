#include "editor/widgets/graph/graph_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"

namespace orbi::graph {
namespace {

constexpr float kHandleReach = 14.0f;  // hit radius of a handle, scaled

bool isHit(const Layout& l, int type) { return !l.half.body && l.half.mode == type; }
bool isBody(const Layout& l, int type) { return l.half.body && l.half.mode == type; }

constexpr float kHandleRadius = 4.0f;  // as painted, scaled
// Handles keep this far apart, so that each shows whole and a press on it
// takes it: a handle that would lie on one before it is moved across its
// own drag axis, by up to kSpreadSteps scaled pixels.
constexpr float kHandlesApart = 2.0f * kHandleRadius;
constexpr int kSpreadSteps = 24;
constexpr float kGrabReach = 7.0f;        // a press this close takes the handle before any chip
constexpr float kRelativeSweep = 120.0f;  // scaled pixels for a whole range
// How far either way of the handle a drag's span is looked for, in the
// picture's larger side, and the halvings that find it.
constexpr float kSpanSearch = 24.0f;
constexpr int kSpanBisections = 32;

// Above the bottom edge: where the length handle of a half without an
// envelope curve sits, clear of the choice chip, and of the width bar when
// the half has one.
constexpr float kLengthRise = 22.0f;
constexpr float kLengthRiseOverBar = 32.0f;

float frequencyLo(const Layout& l) { return l.half.body ? 20.0f : 40.0f; }

float lerp(float a, float b, float t) { return a + (b - a) * t; }

float bandMiddle(const ui::Rect& band) { return band.y + 0.5f * band.height; }

// Types whose picture carries a pitch curve, and so the pitch-family handles.
bool hasPitchLayer(const Layout& l) {
  return isBody(l, body_type::kSine) || isBody(l, body_type::kShell) || isHit(l, hit_type::kKnock);
}

bool isPitchFamily(NodeKind kind) {
  switch (kind) {
    case NodeKind::kDrop:
    case NodeKind::kDropTime:
    case NodeKind::kDropSpeed:
    case NodeKind::kHold:
    case NodeKind::kBlip:
    case NodeKind::kBlipTime: return true;
    default: return false;
  }
}

// The low-pass picture of the metal body and the high-pass noise hit.
bool hasLowPass(const Layout& l) { return isBody(l, body_type::kMetal) || isHit(l, hit_type::kHighPass); }
bool hasBandPass(const Layout& l) { return isHit(l, hit_type::kBandPass) || isHit(l, hit_type::kClap); }

bool isStereoHit(const Layout& l) {
  return isHit(l, hit_type::kClick) || isHit(l, hit_type::kBandPass) || isHit(l, hit_type::kClap) ||
         isHit(l, hit_type::kHighPass);
}
bool hasWidthBar(const Layout& l) { return isStereoHit(l) && firstOfKind(l.nodes, NodeKind::kWidth); }

Point atTime(const Layout& l, float t, float y) { return {xAtTime(l, t), y}; }
Point onPitch(const Layout& l, float t) {
  return {xAtTime(l, t), yForFrequency(l, pitchAt(l.half, l.shape, t))};
}

std::optional<Point> frequencyHandle(const Layout& l, const Node& node) {
  const ui::Rect& r = l.inner;
  if (node.fixedPitch) {
    if (!hasPitchLayer(l)) return std::nullopt;
    return Point{r.x + r.width - 10.0f * l.s, yForFrequency(l, baseFrequency(l.half, l.shape))};
  }
  if (!isBody(l, body_type::kMetal) && !isHit(l, hit_type::kBandPass) && !isHit(l, hit_type::kClap) &&
      !isHit(l, hit_type::kHighPass)) {
    return std::nullopt;
  }
  return Point{r.x + 14.0f * l.s, yForFrequency(l, toneFrequency(l.nodes, l.shape))};
}

std::optional<Point> resonanceHandle(const Layout& l, const Node& node) {
  const ui::Rect& r = l.inner;
  const float tf = toneFrequency(l.nodes, l.shape);
  if (hasLowPass(l))
    return Point{r.x + 26.0f * l.s, yForFrequency(l, tf) - 0.25f * normalised(node) * r.height};
  if (hasBandPass(l)) {
    return Point{r.x + r.width - 12.0f * l.s,
                 yForFrequency(l, tf * std::exp2(bandOctaves(l.half, l.nodes, l.shape)))};
  }
  return std::nullopt;
}

std::optional<Point> placeHandle(const Layout& l, const Node& node) {
  const ui::Rect& r = l.inner;
  const float s = l.s;
  const float v = nodeDisplayValue(node);
  const float n = normalised(node);
  const ui::Rect band = toneBand(l);
  const NodeKind kind = node.nodeKind();
  if (isPitchFamily(kind) && !hasPitchLayer(l)) return std::nullopt;
  switch (kind) {
    case NodeKind::kLength:
      if (!hasEnvelope(l.half)) {
        const float rise = hasWidthBar(l) ? kLengthRiseOverBar : kLengthRise;
        return atTime(l, v, std::max(r.y + r.height - rise * s, r.y + 0.5f * r.height));
      }
      return atTime(l, v, r.y + r.height - r.height * clamp01NanTo0(envelopeAt(l.half, l.shape, v)));
    case NodeKind::kColour:
    case NodeKind::kBrightness:
      // The tone line's right end, which rises with brightness as a drag
      // upwards raises the value.
      return Point{band.x + band.width, bandMiddle(band) + (0.5f - clamp01NanTo0(v)) * 0.8f * band.height};
    case NodeKind::kFrequency: return frequencyHandle(l, node);
    case NodeKind::kDrop:
    case NodeKind::kBlip: return Point{r.x + 3.0f * s, yForFrequency(l, pitchAt(l.half, l.shape, 0.0f))};
    case NodeKind::kDropTime:
    case NodeKind::kBlipTime: return onPitch(l, onsetOffset(l.half, l.shape) + v);
    case NodeKind::kDropSpeed:
      if (!(v > 0.0f)) return std::nullopt;
      return onPitch(l, l.shape.decay / v);
    case NodeKind::kResonance: return resonanceHandle(l, node);
    case NodeKind::kSnap:
      if (!hasBandPass(l)) return std::nullopt;
      return Point{r.x + 30.0f * s, yForFrequency(l, toneFrequency(l.nodes, l.shape)) - 0.3f * n * r.height};
    case NodeKind::kHold: return onPitch(l, v);
    case NodeKind::kInharmonic:
      if (!isBody(l, body_type::kModal)) return std::nullopt;
      return atTime(l, 0.26f * l.shape.decay,
                    yForFrequency(l, l.shape.tune * 5.4f * (1.0f + 0.24f * clamp01NanTo0(l.shape.aux1))));
    case NodeKind::kRate: {
      if (!(node.sampleSeconds > 0.0f)) return std::nullopt;
      const float x = clampTo(xAtTime(l, sampleDuration(node)), r.x + 8.0f * s, r.x + r.width - 4.0f * s);
      return Point{x, r.y + 0.5f * r.height};
    }
    case NodeKind::kSpread:
      if (!isHit(l, hit_type::kClap)) return std::nullopt;
      return atTime(l, 2.0f * v / 1000.0f, r.y);
    case NodeKind::kShimmer: {
      if (!hasLowPass(l)) return std::nullopt;
      const float yc = yForFrequency(l, toneFrequency(l.nodes, l.shape));
      return Point{r.x + r.width - 14.0f * s, yc - n * std::max(yc - r.y, 0.0f)};
    }
    case NodeKind::kRatio:
      if (!l.half.body || l.half.mode < body_type::kMetal || l.half.mode > body_type::kFm)
        return std::nullopt;
      return atTime(l, 0.35f * l.shape.decay, yForFrequency(l, (v + 1.0f) * l.shape.tune));
    case NodeKind::kBrightTime: return atTime(l, v, bandMiddle(band));
    case NodeKind::kPosition: return Point{band.x + band.width * clamp01NanTo0(v), bandMiddle(band)};
    case NodeKind::kDetune:
      return Point{band.x + band.width - 10.0f * s, band.y + band.height - n * band.height};
    case NodeKind::kWidth: {
      if (!isStereoHit(l)) return std::nullopt;
      const ui::Rect bar = widthBar(l);
      return Point{bar.x + 0.5f * bar.width + n * 0.5f * bar.width, bar.y + 0.5f * bar.height};
    }
    default:  // the chips and the band, and kinds the graph does not know
      return std::nullopt;
  }
}

}  // namespace

ui::Rect innerRect(const ui::Rect& graph, float s) { return graph.inset(s, s); }

float frequencyHi(const Layout& l) {
  float hi = l.half.body ? 6400.0f : 2000.0f;
  for (const Node& node : l.nodes) {
    if (node.nodeKind() == NodeKind::kFrequency) hi = std::max(hi, std::max(node.displayLo, node.displayHi));
  }
  return hi;
}

float xAtTime(const Layout& l, float t) { return l.inner.x + l.inner.width * clamp01NanTo0(t / l.window); }

float dragTimeAtX(const Layout& l, float x) {
  const float u = (x - l.inner.x) / std::max(l.inner.width, 1.0f);
  if (u <= 1.0f) return std::max(u, 0.0f) * l.window;
  // Past the edge the time grows by e every width, as steeply as inside
  // at the edge: a long decay on a short preview is one drag away.
  return std::exp(u - 1.0f) * l.window;
}

float yForFrequency(const Layout& l, float f) {
  const float lo = frequencyLo(l);
  const float octaves = std::log2(frequencyHi(l) / lo);
  const float h = l.inner.height;
  return l.inner.y + h - h * clamp01NanTo0(std::log2(std::max(f, 1.0f) / lo) / octaves);
}

float frequencyForY(const Layout& l, float y) {
  const float lo = frequencyLo(l);
  const float octaves = std::log2(frequencyHi(l) / lo);
  const float h = l.inner.height;
  return lo * std::exp2(octaves * clamp01NanTo0((l.inner.y + h - y) / std::max(h, 1.0f)));
}

ui::Rect toneBand(const Layout& l) {
  const ui::Rect& r = l.inner;
  return {r.x + 8.0f * l.s, r.y + 4.0f * l.s, std::max(r.width - 16.0f * l.s, 0.0f),
          std::max(0.34f * r.height, 0.0f)};
}

ui::Rect widthBar(const Layout& l) {
  const ui::Rect& r = l.inner;
  return {r.x + 10.0f * l.s, r.y + r.height - 24.0f * l.s,
          std::max(std::min(0.35f * r.width, 110.0f * l.s), 0.0f), std::max(8.0f * l.s, 0.0f)};
}

const Node* choiceNode(const Layout& l) {
  if (const Node* node = firstOfKind(l.nodes, NodeKind::kChoice)) return node;
  return firstOfKind(l.nodes, NodeKind::kSampleSlot);
}

std::optional<ui::Rect> choiceChip(const Layout& l) {
  const ui::Rect& r = l.inner;
  if (!choiceNode(l) || r.width < 62.0f * l.s || r.height < 19.0f * l.s) return std::nullopt;
  return ui::Rect{r.x + r.width - 59.0f * l.s, r.y + r.height - 16.0f * l.s, 56.0f * l.s, 13.0f * l.s};
}

std::optional<ui::Rect> lfoChip(const Layout& l, int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= l.nodes.size()) return std::nullopt;
  return lfoChip(l, l.nodes[static_cast<std::size_t>(i)], handlePlace(l, i));
}

std::optional<ui::Rect> lfoChip(const Layout& l, const Node& node, std::optional<Point> handle) {
  const ui::Rect& r = l.inner;
  const float s = l.s;
  if (node.lfo < 0 || r.width < 82.0f * s || r.height < 17.0f * s || !handle) return std::nullopt;
  const float x =
      r.x + s > handle->x + 9.0f * s ? r.x + s : std::min(r.x + r.width - 79.0f * s, handle->x + 9.0f * s);
  const float y =
      r.y + s > handle->y + 7.0f * s ? r.y + s : std::min(r.y + r.height - 14.0f * s, handle->y + 7.0f * s);
  return ui::Rect{x, y, 78.0f * s, 13.0f * s};
}

std::optional<ui::Rect> directionBand(const Layout& l) {
  const Node* rate = nullptr;
  for (const Node& node : l.nodes) {
    if (node.nodeKind() == NodeKind::kRate && node.sampleSeconds > 0.0f) rate = &node;
  }
  if (!rate || !firstOfKind(l.nodes, NodeKind::kReverse)) return std::nullopt;
  const ui::Rect& r = l.inner;
  return ui::Rect{r.x, r.y + 0.1f * r.height, r.width, 0.8f * r.height};
}

bool dragsVertically(int kind) {
  switch (static_cast<NodeKind>(kind)) {
    case NodeKind::kLength:
    case NodeKind::kDropTime:
    case NodeKind::kDropSpeed:
    case NodeKind::kHold:
    case NodeKind::kBlipTime:
    case NodeKind::kRate:
    case NodeKind::kSpread:
    case NodeKind::kBrightTime:
    case NodeKind::kPosition:
    case NodeKind::kWidth: return false;
    default: return true;
  }
}

std::optional<Point> nodePosition(const Layout& l, const Node& node) {
  const std::optional<Point> p = placeHandle(l, node);
  if (!p || !std::isfinite(p->x) || !std::isfinite(p->y)) return std::nullopt;
  // Raised handles (snap, resonance over a high cutoff) would leave the
  // clipped picture and could not be grabbed back; and a handle on an edge
  // would be cut in half: each stays whole inside.
  const ui::Rect& r = l.inner;
  const float in = kHandleRadius * l.s;
  return Point{clampTo(p->x, r.x + in, r.x + r.width - in), clampTo(p->y, r.y + in, r.y + r.height - in)};
}

namespace {

bool clearOf(std::span<const std::optional<Point>> placed, Point p, float apart) {
  return std::none_of(placed.begin(), placed.end(), [&](const std::optional<Point>& q) {
    return q && std::hypot(q->x - p.x, q->y - p.y) < apart;
  });
}

// The first place across the handle's drag axis, nearest first and on the
// side away from the handle it would lie on, that keeps apart from those
// placed before it and inside the picture; the place itself when none does.
Point placedApart(const Layout& l, const Node& node, Point p, std::span<const std::optional<Point>> placed) {
  const float apart = kHandlesApart * l.s;
  if (clearOf(placed, p, apart)) return p;
  const bool sideways = dragsVertically(node.kind);  // moved across its axis
  float away = 0.0f;
  for (const std::optional<Point>& q : placed)
    if (q && std::hypot(q->x - p.x, q->y - p.y) < apart) away = sideways ? p.x - q->x : p.y - q->y;
  const float first = away < 0.0f ? -1.0f : 1.0f;
  const ui::Rect& r = l.inner;
  const float in = kHandleRadius * l.s;
  for (int k = 1; k <= kSpreadSteps; ++k) {
    for (const float side : {first, -first}) {
      const float step = side * static_cast<float>(k) * l.s;
      const Point q = sideways ? Point{p.x + step, p.y} : Point{p.x, p.y + step};
      const bool inside =
          q.x >= r.x + in && q.x <= r.x + r.width - in && q.y >= r.y + in && q.y <= r.y + r.height - in;
      if (inside && clearOf(placed, q, apart)) return q;
    }
  }
  return p;
}

// The places of the first `count` handles: each depends only on those
// before it.
std::vector<std::optional<Point>> firstHandlePlaces(const Layout& l, std::size_t count) {
  std::vector<std::optional<Point>> places;
  places.reserve(count);
  for (const Node& node : l.nodes.first(count)) {
    const std::optional<Point> p = nodePosition(l, node);
    places.push_back(p ? std::optional<Point>(placedApart(l, node, *p, places)) : std::nullopt);
  }
  return places;
}

}  // namespace

std::vector<std::optional<Point>> handlePlaces(const Layout& l) { return firstHandlePlaces(l, l.nodes.size()); }

std::optional<Point> handlePlace(const Layout& l, int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= l.nodes.size()) return std::nullopt;
  return firstHandlePlaces(l, static_cast<std::size_t>(i) + 1).back();
}

ui::Rect handleBounds(Point place, float s) {
  const float r = kHandleRingRadius * s;
  return {place.x - r, place.y - r, 2.0f * r, 2.0f * r};
}

std::optional<ui::Rect> handleBounds(const Layout& l, int i) {
  const std::optional<Point> place = handlePlace(l, i);
  if (!place) return std::nullopt;
  return handleBounds(*place, l.s);
}

int nearestNode(const Layout& l, Point p) { return nearestNode(l, p, kHandleReach); }

int nearestNode(const Layout& l, Point p, float reach) {
  int best = -1;
  float bestDistance = reach * l.s;
  const std::vector<std::optional<Point>> places = handlePlaces(l);
  for (std::size_t i = 0; i < l.nodes.size(); ++i) {
    const std::optional<Point>& handle = places[i];
    if (!handle) continue;
    const float distance = std::hypot(handle->x - p.x, handle->y - p.y);
    if (distance <= bestDistance && (best < 0 || distance < bestDistance)) {
      best = static_cast<int>(i);
      bestDistance = distance;
    }
  }
  return best;
}

int grabbedNode(const Layout& l, Point p) {
  const int i = nearestNode(l, p);
  return i >= 0 && nearestNode(l, p, kGrabReach) == i ? i : -1;
}

ChipHit chipAt(const Layout& l, Point p) {
  const std::vector<std::optional<Point>> places = handlePlaces(l);
  for (std::size_t i = 0; i < l.nodes.size(); ++i) {
    const std::optional<ui::Rect> chip = lfoChip(l, l.nodes[i], places[i]);
    if (!chip || !chip->contains(p)) continue;
    const float offset = p.x - chip->x;
    const int zone = offset < 18.0f * l.s ? 0 : offset < 42.0f * l.s ? 1 : 2;
    return {static_cast<int>(i), zone};
  }
  return {};
}

bool dragsByDistance(const Layout& l, const Node& node) {
  switch (node.nodeKind()) {
    case NodeKind::kResonance: return hasLowPass(l) || hasBandPass(l);
    case NodeKind::kSnap:
    case NodeKind::kInharmonic:
    case NodeKind::kShimmer: return true;
    default: return false;
  }
}

namespace {

// The amount kinds: up by the sweep moves through the whole display range.
// The band-pass width rises with the handle, so its Q falls.
float byDistance(const Layout& l, const Node& node, Point p, DragStart start) {
  const float up = (start.y - p.y) / (kRelativeSweep * l.s);
  const float sign = node.nodeKind() == NodeKind::kResonance && hasBandPass(l) ? -1.0f : 1.0f;
  const float d = start.value + sign * up * (node.displayHi - node.displayLo);
  return clampBetween(d, node.displayLo, node.displayHi);
}

}  // namespace

std::optional<float> dragDisplayValue(const Layout& l, const Node& node, Point p, DragStart start) {
  const ui::Rect& r = l.inner;
  const float s = l.s;
  if (dragsByDistance(l, node)) return byDistance(l, node, p, start);
  // Past the right edge the time runs on, so a long decay stays reachable.
  const float tx = dragTimeAtX(l, p.x);
  const float f = frequencyForY(l, p.y);
  const float bandHeight = std::max(0.34f * r.height, 0.0f);
  const auto across = [&](float t) { return lerp(node.displayLo, node.displayHi, clamp01NanTo0(t)); };
  switch (node.nodeKind()) {
    case NodeKind::kLength:
    case NodeKind::kHold:
    case NodeKind::kBrightTime: return tx;
    case NodeKind::kColour:
    case NodeKind::kBrightness:
      return clamp01NanTo0((0.5f * bandHeight + r.y + 4.0f * s - p.y) / std::max(0.8f * bandHeight, 1.0f) +
                           0.5f);
    case NodeKind::kFrequency: return f;
    case NodeKind::kDrop:
    case NodeKind::kBlip:
      if (isBody(l, body_type::kShell)) return std::max(f / std::max(l.shape.tune, 1.0f) - 1.0f, 0.0f);
      return 12.0f * std::log2(std::max(f, 1.0f) / std::max(baseFrequency(l.half, l.shape), 1.0f));
    case NodeKind::kDropTime:
    case NodeKind::kBlipTime: return tx - onsetOffset(l.half, l.shape);
    case NodeKind::kDropSpeed: return l.shape.decay / std::max(tx, 0.0001f);
    case NodeKind::kRate: return node.sampleSeconds / std::max(tx, 0.0001f);
    case NodeKind::kSpread: return std::max(tx, 0.0f) * 0.5f * 1000.0f;
    case NodeKind::kRatio: return std::max(f / std::max(l.shape.tune, 1.0f) - 1.0f, 0.0f);
    case NodeKind::kPosition:
      return clamp01NanTo0((p.x - r.x - 8.0f * s) / std::max(std::max(r.width - 16.0f * s, 0.0f), 1.0f));
    case NodeKind::kDetune: return across((bandHeight + r.y + 4.0f * s - p.y) / std::max(bandHeight, 1.0f));
    case NodeKind::kWidth: {
      const ui::Rect bar = widthBar(l);
      const float half = 0.5f * bar.width;
      return across((p.x - (bar.x + half)) / std::max(half, 1.0f));
    }
    default: return std::nullopt;
  }
}

namespace {

// A value drag's display value along its axis, as the drag maps the
// pointer (times past the right edge, frequencies on a log axis, pitches
// and ratios on it, the tone band's share of the height), over a wide
// stretch either way of the handle, where it runs monotonically.
class AxisMap {
 public:
  AxisMap(const Layout& l, const Node& node, Point handle, DragStart start)
      : l_(l), node_(node), handle_(handle), start_(start), vertical_(dragsVertically(node.kind)) {
    const float origin = vertical_ ? handle.y : handle.x;
    const float reach = kSpanSearch * std::max({l.inner.width, l.inner.height, l.s});
    a_ = origin - reach;
    b_ = origin + reach;
    const float va = at(a_), vb = at(b_);
    sign_ = vb >= va ? 1.0f : -1.0f;
    lowest = std::min(va, vb);
    highest = std::max(va, vb);
  }

  float at(float u) const {
    Point p = handle_;
    (vertical_ ? p.y : p.x) = u;
    return dragDisplayValue(l_, node_, p, start_).value_or(0.0f);
  }
  Point pointAt(float u) const {
    Point p = handle_;
    (vertical_ ? p.y : p.x) = u;
    return p;
  }
  // Walking the way the value rises: the first place past which it
  // exceeds the value (or, reaching, where it comes to it).
  float firstPast(float value, bool reaching) const {
    float before = sign_ > 0.0f ? a_ : b_, after = sign_ > 0.0f ? b_ : a_;
    for (int i = 0; i < kSpanBisections; ++i) {
      const float mid = 0.5f * (before + after);
      const float v = at(mid);
      ((reaching ? v >= value : v > value) ? after : before) = mid;
    }
    return after;
  }

  float lowest = 0.0f, highest = 0.0f;  // the values at the stretch's ends

 private:
  const Layout& l_;
  const Node& node_;
  Point handle_;
  DragStart start_;
  bool vertical_;
  float a_ = 0.0f, b_ = 0.0f;
  float sign_ = 1.0f;
};

}  // namespace

// Bisection finds where the value leaves the lower end of the range and
// where it reaches the upper. A mapping that reaches only part of the
// range is taken to cover the rest at the same rate.
float dragSpan(const Layout& l, const Node& node, Point handle, DragStart start) {
  const float lo = std::min(node.displayLo, node.displayHi), hi = std::max(node.displayLo, node.displayHi);
  const AxisMap map(l, node, handle, start);
  const float from = clampTo(map.lowest, lo, hi), to = clampTo(map.highest, lo, hi);
  if (!(hi > lo) || !(to > from)) return std::numeric_limits<float>::infinity();
  return std::fabs(map.firstPast(to, true) - map.firstPast(from, false)) * (hi - lo) / (to - from);
}

// Where the mapping gives the value; a value at an end of the mapping's
// reach starts where a drag away from that end changes it at once.
Point dragOrigin(const Layout& l, const Node& node, Point handle, DragStart start) {
  const AxisMap map(l, node, handle, start);
  const float v = start.value;
  if (!(v >= map.lowest && v <= map.highest) || !(map.highest > map.lowest)) return handle;
  if (v <= map.lowest) return map.pointAt(map.firstPast(v, false));
  if (v >= map.highest) return map.pointAt(map.firstPast(v, true));
  return map.pointAt(0.5f * (map.firstPast(v, true) + map.firstPast(v, false)));
}

float modAmount(const Layout& l, const Node& node, Point p) {
  const std::optional<Point> handle = nodePosition(l, node);
  if (!handle) return 0.0f;
  const bool vertical = dragsVertically(node.kind);
  const float d = vertical ? p.y - handle->y : p.x - handle->x;
  const float extent = vertical ? l.inner.height : l.inner.width;
  // A quarter of the picture away is the whole amount, and no less far
  // than the least sweep.
  const float amount = std::min(std::fabs(d) / sweepLength(0.25f * extent, l.s), 1.0f);
  return amount < 0.03f ? 0.0f : amount;
}

}  // namespace orbi::graph
