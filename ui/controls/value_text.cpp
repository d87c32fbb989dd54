#include "ui/controls/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

namespace orbi::ui {
namespace {

constexpr std::size_t kNumberTextLimit = 63;
// A float's exact decimal expansion ends within 149 decimals: printing with
// more only appends zeros, far past the cut.
constexpr int kExactDecimals = 160;

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return suffix.size() <= text.size() && equalIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// 0 decimals from 100 up, 1 from 10, else 2.
int automaticDecimals(float y) {
  const float a = std::fabs(y);
  return a >= 100.0f ? 0 : a >= 10.0f ? 1 : 2;
}

// Most units: none when stepped, else the desc's own, else the unit's.
int unitDecimals(const ParamSpec& desc, int fallback) {
  if (desc.stepped) return 0;
  return desc.decimals >= 0 ? desc.decimals : fallback;
}

std::string withSuffix(float v, int decimals, std::string_view suffix) {
  std::string text = formatNumber(v, decimals);
  text += suffix;
  return text;
}

std::string numberWithUnit(const ParamSpec& desc, float x) {
  switch (desc.unit) {
    case ParamUnit::Plain: return formatNumber(x, unitDecimals(desc, automaticDecimals(x)));
    case ParamUnit::Hertz:
      if (std::fabs(x) >= 1000.0f) return withSuffix(x / 1000.0f, std::fabs(x) >= 10000.0f ? 1 : 2, " kHz");
      return withSuffix(x, unitDecimals(desc, automaticDecimals(x)), " Hz");
    case ParamUnit::Seconds:
      if (std::fabs(x) < 1.0f) return withSuffix(x * 1000.0f, automaticDecimals(x * 1000.0f), " ms");
      return withSuffix(x, 2, " s");
    case ParamUnit::Percent: return withSuffix(x * 100.0f, desc.decimals >= 0 ? desc.decimals : 0, "%");
    case ParamUnit::Decibels: return withSuffix(x, unitDecimals(desc, 1), " dB");
    case ParamUnit::Cents: return withSuffix(x, unitDecimals(desc, 1), " ct");
    case ParamUnit::Semitones: return withSuffix(x, unitDecimals(desc, 0), " st");
    case ParamUnit::Custom: {
      std::string text = formatNumber(x, unitDecimals(desc, automaticDecimals(x)));
      if (!desc.unitLabel.empty()) text.append(" ").append(desc.unitLabel);
      return text;
    }
  }
  return formatNumber(x, unitDecimals(desc, 2));
}

// The label at the whole part of x, the index kept within the labels.
const std::string& choiceLabel(const std::vector<std::string>& choices, float x) {
  const std::size_t last = choices.size() - 1;
  if (!(x > 0.0f)) return choices.front();
  if (x >= static_cast<float>(last)) return choices[last];
  return choices[static_cast<std::size_t>(x)];
}

struct Suffix {
  std::string_view text;
  double factor;
};

// Searched in order, whatever the unit: "ms" before "s", "khz" before "hz"
// and "k".
constexpr Suffix kSuffixes[] = {
    {"khz", 1000.0}, {"hz", 1.0}, {"ms", 0.001}, {"s", 1.0},    {"db", 1.0},
    {"ct", 1.0},     {"st", 1.0}, {"%", 0.01},   {"k", 1000.0},
};

// Cuts a unit suffix off the trimmed text and returns the rest, trimmed,
// with the suffix's factor. The custom label goes first, so a swing typed
// as 55% reads as 55 rather than 0.55.
std::string_view cutUnit(const ParamSpec& desc, std::string_view text, double& factor) {
  factor = 1.0;
  if (desc.unit == ParamUnit::Custom && !desc.unitLabel.empty() && endsWithIgnoringCase(text, desc.unitLabel))
    return trim(text.substr(0, text.size() - desc.unitLabel.size()));
  for (const Suffix& suffix : kSuffixes)
    if (endsWithIgnoringCase(text, suffix.text)) {
      factor = suffix.factor;
      return trim(text.substr(0, text.size() - suffix.text.size()));
    }
  return text;
}

}  // namespace

std::string formatNumber(float v, int decimals) {
  char buffer[256];
  const int precision = decimals < 0 ? 6 : std::min(decimals, kExactDecimals);
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(v),
                                    std::chars_format::fixed, precision);
  const std::size_t length = std::min(static_cast<std::size_t>(result.ptr - buffer), kNumberTextLimit);
  std::string text(buffer, length);
  const bool onlyZeros = text.find_first_not_of("-0.") == std::string::npos;
  if (!text.empty() && text.front() == '-' && onlyZeros) text.erase(0, 1);
  return text;
}

std::string formatParamValue(const ParamSpec& desc, float v) {
  const float x = clampToParam(desc, v);
  if (!desc.choices.empty()) return choiceLabel(desc.choices, x);
  if (!desc.minText.empty() && x <= std::min(desc.min, desc.max)) return desc.minText;
  return numberWithUnit(desc, x);
}

std::optional<float> parseParamText(const ParamSpec& desc, std::string_view typed) {
  std::string_view text = trim(typed);
  if (text.empty()) return std::nullopt;
  for (std::size_t i = 0; i < desc.choices.size(); ++i)
    if (equalIgnoringCase(text, desc.choices[i])) return static_cast<float>(i);
  const float lowerBound = std::min(desc.min, desc.max);
  if (!desc.minText.empty() && equalIgnoringCase(text, desc.minText)) return lowerBound;

  double factor = 1.0;
  text = cutUnit(desc, text, factor);
  // A bare number in a percent parameter is a percentage.
  if (desc.unit == ParamUnit::Percent && factor == 1.0) factor = 0.01;
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);

  double number = 0.0;
  const char* end = text.data() + text.size();
  const auto read = std::from_chars(text.data(), end, number, std::chars_format::general);
  if (read.ec != std::errc() || read.ptr != end) return std::nullopt;
  const double scaled = number * factor;
  if (std::isnan(scaled)) return std::nullopt;
  // Within the range while still a double: a float cannot hold every typed number.
  const double within =
      std::clamp(scaled, static_cast<double>(lowerBound), static_cast<double>(std::max(desc.min, desc.max)));
  return clampToParam(desc, static_cast<float>(within));
}

}  // namespace orbi::ui
