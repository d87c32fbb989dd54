#include "document/audition/track_rate.h"

#include "engine/clock/step_rate.h"

namespace ob {

std::uint8_t readTrackRate(std::string_view word) {
  for (std::uint8_t i = 0; i < kTrackRateCount; ++i)
    if (word == kStepRates[i].word) return i;
  return kSixteenthRate;
}

std::uint8_t readTrackRate(const JsonValue* value) {
  if (value == nullptr || !value->isString()) return kSixteenthRate;
  return readTrackRate(std::string_view(value->text));
}

const char* trackRateName(int rate) { return stepRate(rate).word; }

const char* trackRateGrid(int rate) { return stepRate(rate).grid; }

double swingFraction(double percent) { return (percent - 50.0) / 200.0 + 0.5; }

double swingPercent(double amount) { return (amount - 0.5) * 200.0 + 50.0; }

}  // namespace ob
