#include <cmath>

#include "editor/widgets/param_widget.h"
#include "editor/widgets/widget_support.h"

namespace orbi {

float ParamSlot::toNormalized(float v) const {
  const float lo = info.min, hi = info.max;
  if (lo >= hi) return 0.0f;
  if (logScale && lo > 0.0f) {
    const float logLo = std::log(lo);
    return clamp01NanTo0((std::log(std::max(v, lo)) - logLo) / (std::log(hi) - logLo));
  }
  return clamp01NanTo0((v - lo) / (hi - lo));
}

float ParamSlot::fromNormalized(float t) const {
  const float lo = info.min, hi = info.max;
  const float u = clamp01NanTo0(t);
  if (logScale && lo > 0.0f) {
    const float logLo = std::log(lo);
    return std::exp(logLo + (std::log(hi) - logLo) * u);
  }
  return lo + (hi - lo) * u;
}

}  // namespace orbi
