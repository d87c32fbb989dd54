#include "document/reading/narrow.h"

#include <cmath>
#include <limits>

namespace ob {

std::optional<float> narrowToFloat(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
  if (v > kMax || v < -kMax) return std::nullopt;
  return static_cast<float>(v);
}

std::optional<std::int32_t> truncToInt32(double v) {
  if (!std::isfinite(v)) return std::nullopt;
  double t = std::trunc(v);
  if (t < -2147483648.0 || t > 2147483647.0) return std::nullopt;
  return static_cast<std::int32_t>(t);
}

std::int32_t saturateToInt32(double v, std::int32_t lo, std::int32_t hi) {
  if (std::isnan(v)) return lo;
  double t = std::trunc(v);
  if (t <= static_cast<double>(lo)) return lo;
  if (t >= static_cast<double>(hi)) return hi;
  return static_cast<std::int32_t>(t);
}

}  // namespace ob
