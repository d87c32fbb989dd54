#include "ui/controls/param.h"

#include <algorithm>
#include <cmath>

namespace orbi::ui {
namespace {

bool snapsToWholeNumbers(const ParamSpec& spec) { return spec.stepped || !spec.choices.empty(); }

float withinRange(const ParamSpec& spec, float v) {
  return std::clamp(v, std::min(spec.min, spec.max), std::max(spec.min, spec.max));
}

}  // namespace

float clampToParam(const ParamSpec& spec, float v) {
  const float x = withinRange(spec, v);
  return snapsToWholeNumbers(spec) ? std::round(x) : x;
}

float toNormalized(const ParamSpec& spec, float v) {
  if (spec.min == spec.max) return 0.0f;
  const float x = withinRange(spec, v);
  switch (spec.curve) {
    case ParamCurve::Linear: return (x - spec.min) / (spec.max - spec.min);
    case ParamCurve::Logarithmic: return std::log(x / spec.min) / std::log(spec.max / spec.min);
    case ParamCurve::Power: return std::pow((x - spec.min) / (spec.max - spec.min), 1.0f / spec.exponent);
  }
  return 0.0f;
}

float fromNormalized(const ParamSpec& spec, float t) {
  t = std::clamp(t, 0.0f, 1.0f);
  switch (spec.curve) {
    case ParamCurve::Linear: return clampToParam(spec, spec.min + (spec.max - spec.min) * t);
    case ParamCurve::Logarithmic: return clampToParam(spec, spec.min * std::pow(spec.max / spec.min, t));
    case ParamCurve::Power:
      return clampToParam(spec, spec.min + std::pow(t, spec.exponent) * (spec.max - spec.min));
  }
  return spec.min;
}

float normalizedValue(const Param& param) { return toNormalized(param.spec(), param.value()); }

}  // namespace orbi::ui
