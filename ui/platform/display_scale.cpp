#include "ui/platform/display_scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orbi::ui {
namespace {

constexpr float kBaseDpi = 96.0f;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

float clampDisplayScale(float scale) { return std::clamp(scale, kMinDisplayScale, kMaxDisplayScale); }

float xftDpiScale(std::string_view resources) {
  float found = 1.0f;
  while (!resources.empty()) {
    const std::size_t end = resources.find('\n');
    const std::string_view line = resources.substr(0, end);
    resources = end == std::string_view::npos ? std::string_view{} : resources.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || trim(line.substr(0, colon)) != "Xft.dpi") continue;
    const std::string_view value = trim(line.substr(colon + 1));
    float dpi = 0.0f;
    const auto [rest, error] = std::from_chars(value.data(), value.data() + value.size(), dpi);
    // The last entry wins, as in the resource database.
    if (error == std::errc() && rest == value.data() + value.size() && std::isfinite(dpi) && dpi > 0.0f)
      found = clampDisplayScale(dpi / kBaseDpi);
  }
  return found;
}

}  // namespace orbi::ui
