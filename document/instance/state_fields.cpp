#include "document/instance/state_fields.h"

#include <cmath>
#include <cstring>

#include "engine/model/project.h"

namespace ob {

void formatFixed(char* field, std::size_t size, std::string_view text) {
  if (field == nullptr || size == 0) return;
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
  if (n > 0) std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, size - n);
}

std::string_view fixedText(const char* field, std::size_t size) {
  return std::string_view(field, strnlen(field, size));
}

std::string_view idOfKey(std::string_view key) {
  constexpr std::size_t kIdChars = sizeof(Track::id) - 1;
  return key.substr(0, key.find('\0')).substr(0, kIdChars);
}

std::string macroName(int index) { return "macro" + std::to_string(index + 1); }

std::int32_t roundClamped(double value, std::int32_t lo, std::int32_t hi) {
  if (std::isnan(value)) return lo;
  const double r = std::round(value);
  if (r <= static_cast<double>(lo)) return lo;
  if (r >= static_cast<double>(hi)) return hi;
  return static_cast<std::int32_t>(r);
}

bool isInstanceDocument(const JsonValue& value) {
  if (!value.isObject()) return false;
  return value.getString("kind", "") == "instance";
}

JsonValue jsonText(std::string_view text) { return makeJsonStringFrom(text); }

}  // namespace ob
