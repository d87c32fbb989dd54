#include "document/audition/audition_numbers.h"

#include <cmath>

namespace ob::audition {

std::int32_t roundClamp(double v, std::int32_t lo, std::int32_t hi, std::int32_t fallback) {
  if (std::isnan(v)) return fallback;
  const double r = std::round(v);  // halves away from zero
  if (r <= static_cast<double>(lo)) return lo;
  if (r >= static_cast<double>(hi)) return hi;
  return static_cast<std::int32_t>(r);
}

float clampToFloat(double v, float lo, float hi, float fallback) {
  if (std::isnan(v)) return fallback;
  if (v <= static_cast<double>(lo)) return lo;
  if (v >= static_cast<double>(hi)) return hi;
  return static_cast<float>(v);
}

std::optional<double> numberMember(const JsonValue& object, std::string_view key) {
  const JsonValue* v = object.find(key);
  if (v == nullptr || !v->isNumber()) return std::nullopt;
  return v->number;
}

bool isTrueMember(const JsonValue& object, std::string_view key) {
  const JsonValue* v = object.find(key);
  return v != nullptr && v->isBool() && v->boolean;
}

}  // namespace ob::audition
