#include "ui/controls/value_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>

#include "ui/controls/typed_unit.h"

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

// The unit a desc's values are shown in, as a box writes it after them.
std::string_view shownUnit(const ParamSpec& desc) {
  switch (desc.unit) {
    case ParamUnit::Hertz: return "Hz";
    case ParamUnit::Seconds: return "s";
    case ParamUnit::Percent: return "%";
    case ParamUnit::Decibels: return "dB";
    case ParamUnit::Cents: return "ct";
    case ParamUnit::Semitones: return "st";
    case ParamUnit::Custom: return desc.unitLabel;
    default: return {};
  }
}

bool showsAFraction(const ParamSpec& desc) {
  return desc.unit == ParamUnit::Plain && isFractionRange(desc.min, desc.max);
}

// A number read from the start of the text (one leading "+" skipped), and
// the text after it.
struct LeadingNumber {
  double value = 0.0;
  std::string_view rest;
};

std::optional<LeadingNumber> readLeadingNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  LeadingNumber read;
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, read.value, std::chars_format::general);
  if (result.ec != std::errc()) return std::nullopt;
  read.rest = text.substr(static_cast<std::size_t>(result.ptr - text.data()));
  return read;
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

  const std::optional<LeadingNumber> read = readLeadingNumber(text);
  if (!read) return std::nullopt;
  std::optional<double> factor = typedUnitFactor(shownUnit(desc), read->rest, showsAFraction(desc));
  if (!factor) return std::nullopt;
  // A bare number in a percent parameter is a percentage.
  if (desc.unit == ParamUnit::Percent) *factor *= 0.01;
  const double number = read->value;
  const double scaled = number * *factor;
  if (std::isnan(scaled)) return std::nullopt;
  // Within the range while still a double: a float cannot hold every typed number.
  const double within =
      std::clamp(scaled, static_cast<double>(lowerBound), static_cast<double>(std::max(desc.min, desc.max)));
  return clampToParam(desc, static_cast<float>(within));
}

std::string paramTextRefusal(const ParamSpec& desc, std::string_view typed) {
  const std::optional<LeadingNumber> read = readLeadingNumber(trim(typed));
  if (!read || typedUnitFactor(shownUnit(desc), read->rest, showsAFraction(desc))) return {};
  return unitRefusal(shownUnit(desc), showsAFraction(desc));
}

}  // namespace orbi::ui
