#include "editor/widgets/widget_support.h"

#include <locale.h>

#include <clocale>
#include <cmath>
#include <cstdlib>

#include "ui/controls/value_text.h"

namespace orbi {
namespace {

// Below this the display range counts as a single point.
constexpr float kSmallestDisplaySpan = 1e-9f;

// The C locale as an object of its own: strtof_l reads through it while
// the process locale stays the host's. Made once, kept for the program.
locale_t cLocale() {
  static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t{});
  return c;
}

}  // namespace

std::uint8_t alphaByte(float alpha) {
  return static_cast<std::uint8_t>(std::lround(clamp01NanTo0(alpha) * 255.0f));
}

std::uint32_t withAlpha(std::uint32_t colour, float alpha) {
  return palette::withAlphaByte(colour, alphaByte(alpha));
}

float DisplayRange::position(float value) const {
  return clamp01NanTo0((value - paramLo) / std::max(paramHi - paramLo, kSmallestDisplaySpan));
}

float DisplayRange::shown(float value) const { return displayLo + (displayHi - displayLo) * position(value); }

float DisplayRange::fromShown(float shownValue) const {
  const float span = displayHi - displayLo;
  const float t =
      std::fabs(span) < kSmallestDisplaySpan ? 0.0f : clamp01NanTo0((shownValue - displayLo) / span);
  return paramLo + (paramHi - paramLo) * t;
}

int spanDecimals(float span) {
  const float a = std::fabs(span);
  return a >= 100.0f ? 0 : a >= 5.0f ? 1 : 3;
}

std::string valueText(float v, float span, std::string_view unit) {
  std::string text = ui::formatNumber(v, spanDecimals(span));
  if (!unit.empty()) text.append(" ").append(unit);
  return text;
}

std::optional<float> readLeadingNumber(std::string_view text, std::string_view* rest) {
  const locale_t c = cLocale();
  if (c == locale_t{}) return std::nullopt;
  const std::string terminated(text);  // strtof_l reads up to a NUL
  char* end = nullptr;
  const float v = strtof_l(terminated.c_str(), &end, c);
  if (end == terminated.c_str() || !std::isfinite(v)) return std::nullopt;
  if (rest != nullptr)
    *rest = text.substr(std::min(text.size(), static_cast<std::size_t>(end - terminated.c_str())));
  return v;
}

}  // namespace orbi
