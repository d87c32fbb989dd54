#include "ui/layout/scale_to_fit.h"

#include <algorithm>
#include <cmath>

#include "ui/context.h"

namespace orbi::ui {
namespace {

constexpr float kSmallestFactor = 0.001f;

float place(Align align, float edge, float available, float size) {
  switch (align) {
    case Align::Centre: return edge + (available - size) * 0.5f;
    case Align::End: return edge + available - size;
    default: return edge;
  }
}

}  // namespace

float ruleSize(SizeRule rule, float natural, float available) {
  switch (rule.mode) {
    case SizeMode::Natural: return natural < 0.0f ? available : std::min(natural, available);
    case SizeMode::Fixed: return std::min(rule.value * scale(), available);
    case SizeMode::Fraction: return available * std::clamp(rule.value, 0.0f, 1.0f);
    default: return available;
  }
}

ScaleToFit::ScaleToFit(const Rect& rect, SizeRule width, ImVec2 natural, Align alignX, Align alignY) {
  float w, h;
  if (width.mode == SizeMode::Natural && natural.x > 0.0f && natural.y > 0.0f) {
    float f = std::min(rect.width / natural.x, rect.height / natural.y);
    // A factor that is not a sensible number would poison every size drawn
    // inside.
    if (!std::isfinite(f) || f < kSmallestFactor) f = kSmallestFactor;
    w = natural.x * f;
    h = natural.y * f;
    context().pushScale(f);
    pushed_ = true;
  } else {
    w = ruleSize(width, natural.x, rect.width);
    h = ruleSize({SizeMode::Natural, 0.0f}, natural.y, rect.height);
  }
  w = std::max(w, 0.0f);
  h = std::max(h, 0.0f);
  rect_ = {place(alignX, rect.x, rect.width, w), place(alignY, rect.y, rect.height, h), w, h};
}

ScaleToFit::~ScaleToFit() {
  if (pushed_) context().popScale();
}

}  // namespace orbi::ui
