#include "ui/controls/typed_unit.h"

#include <array>

#include "ui/ascii.h"

namespace orbi::ui {
namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

std::string_view trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

bool sameUnit(std::string_view a, std::string_view b) {
  return a.size() == b.size() && endsWithIgnoringCase(a, b);
}

struct Scaled {
  std::string_view unit;
  double size;  // in the family's first unit
};

// Units that are one quantity at different sizes; the first of each names it.
constexpr std::array<Scaled, 2> kTimes{{{"s", 1.0}, {"ms", 0.001}}};
constexpr std::array<Scaled, 3> kFrequencies{{{"Hz", 1.0}, {"kHz", 1000.0}, {"k", 1000.0}}};

template <std::size_t N>
const Scaled* find(const std::array<Scaled, N>& family, std::string_view unit) {
  for (const Scaled& s : family)
    if (sameUnit(s.unit, unit)) return &s;
  return nullptr;
}

// The factor from typed to shown when both are of the family.
template <std::size_t N>
std::optional<double> within(const std::array<Scaled, N>& family, std::string_view shown,
                             std::string_view typed, bool& belongs) {
  const Scaled* box = find(family, shown);
  belongs = box != nullptr;
  if (!belongs) return std::nullopt;
  const Scaled* given = find(family, typed);
  if (given == nullptr) return std::nullopt;
  return given->size / box->size;
}

constexpr std::string_view kPercent = "%";

}  // namespace

bool isFractionRange(float lo, float hi) { return lo >= -1.0f && lo <= 1.0f && hi >= -1.0f && hi <= 1.0f; }

std::optional<double> typedUnitFactor(std::string_view shown, std::string_view typed, bool fraction) {
  typed = trim(typed);
  shown = trim(shown);
  if (typed.empty() || sameUnit(typed, shown)) return 1.0;
  bool belongs = false;
  if (std::optional<double> f = within(kTimes, shown, typed, belongs); belongs) return f;
  if (std::optional<double> f = within(kFrequencies, shown, typed, belongs); belongs) return f;
  if (shown.empty() && fraction && typed == kPercent) return 0.01;
  return std::nullopt;
}

std::string unitRefusal(std::string_view shown, bool fraction) {
  shown = trim(shown);
  if (find(kTimes, shown) != nullptr) return sameUnit(shown, "ms") ? "ms or s" : "s or ms";
  if (find(kFrequencies, shown) != nullptr) return sameUnit(shown, "Hz") ? "Hz or kHz" : "kHz or Hz";
  if (shown.empty()) return fraction ? "0-1 or %" : "a number";
  return "in " + std::string(shown);
}

}  // namespace orbi::ui
