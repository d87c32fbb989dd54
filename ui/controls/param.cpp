#include "ui/controls/param.h"

#include <algorithm>
#include <cmath>

namespace orbi::ui {
namespace {

bool snapsToWholeNumbers(const ParamSpec& desc) { return desc.stepped || !desc.choices.empty(); }

float withinRange(const ParamSpec& desc, float v) {
  return std::clamp(v, std::min(desc.min, desc.max), std::max(desc.min, desc.max));
}

}  // namespace

float clampToParam(const ParamSpec& desc, float v) {
  const float x = withinRange(desc, v);
  return snapsToWholeNumbers(desc) ? std::round(x) : x;
}

float toNormalized(const ParamSpec& desc, float v) {
  if (desc.min == desc.max) return 0.0f;
  const float x = withinRange(desc, v);
  switch (desc.curve) {
    case ParamCurve::Linear: return (x - desc.min) / (desc.max - desc.min);
    case ParamCurve::Logarithmic: return std::log(x / desc.min) / std::log(desc.max / desc.min);
    case ParamCurve::Power: return std::pow((x - desc.min) / (desc.max - desc.min), 1.0f / desc.exponent);
  }
  return 0.0f;
}

float fromNormalized(const ParamSpec& desc, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  switch (desc.curve) {
    case ParamCurve::Linear: return clampToParam(desc, desc.min + (desc.max - desc.min) * t);
    case ParamCurve::Logarithmic: return clampToParam(desc, desc.min * std::pow(desc.max / desc.min, t));
    case ParamCurve::Power:
      return clampToParam(desc, desc.min + std::pow(t, desc.exponent) * (desc.max - desc.min));
  }
  return desc.min;
}

float normalizedValue(const Param& param) { return toNormalized(param.spec(), param.value()); }

}  // namespace orbi::ui
