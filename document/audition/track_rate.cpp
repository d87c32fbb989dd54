#include "document/audition/track_rate.h"

#include "engine/model/project.h"

namespace ob {
namespace {

struct RateRow {
  const char* word;
  const char* grid;
};

constexpr RateRow kRates[kTrackRateCount] = {
    {"1-8", "1/8"},   {"1-16", "1/16"},  {"1-32", "1/32"},
    {"1-8t", "1/12"}, {"1-16t", "1/24"}, {"1-32t", "1/48"},
};

}  // namespace

std::uint8_t readTrackRate(std::string_view word) {
  for (std::uint8_t i = 0; i < kTrackRateCount; ++i)
    if (word == kRates[i].word) return i;
  return 1;
}

std::uint8_t readTrackRate(const JsonValue* value) {
  if (value == nullptr || !value->isString()) return 1;
  return readTrackRate(std::string_view(value->text));
}

const char* trackRateName(int rate) {
  return rate >= 0 && rate < kTrackRateCount ? kRates[rate].word : "1-16";
}

const char* trackRateGrid(int rate) {
  return rate >= 0 && rate < kTrackRateCount ? kRates[rate].grid : "1/16";
}

double swingFraction(double percent) { return (percent - 50.0) / 200.0 + 0.5; }

double swingPercent(double amount) { return (amount - 0.5) * 200.0 + 50.0; }

}  // namespace ob
