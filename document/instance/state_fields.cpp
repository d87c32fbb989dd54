#include "document/instance/state_fields.h"

#include <cmath>
#include <cstring>

#include "engine/model/project.h"
#include "engine/model/utf8_text.h"

namespace ob {

std::string_view fixedCut(std::string_view text, std::size_t size) {
  if (size == 0) return {};
  return utf8Prefix(text.substr(0, text.find('\0')), size - 1);
}

void formatFixed(char* field, std::size_t size, std::string_view text) {
  if (field == nullptr || size == 0) return;
  text = fixedCut(text, size);
  if (!text.empty()) std::memcpy(field, text.data(), text.size());
  std::memset(field + text.size(), 0, size - text.size());
}

std::string_view fixedText(const char* field, std::size_t size) {
  return std::string_view(field, strnlen(field, size));
}

std::string_view idOfKey(std::string_view key) { return fixedCut(key, sizeof(Track::id)); }

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
