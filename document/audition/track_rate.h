#pragma once
// Track step rates in documents: the rate words and the clip grid of each
// rate's swing (from the engine's table of step rates), and the swing
// percent as a clip swing amount.

#include <cstdint>
#include <string_view>

#include "document/json/json_value.h"

namespace ob {

// "1-8", "1-16", "1-32", "1-8t", "1-16t", "1-32t" give 0..5; any other
// word gives 1 (sixteenths).
std::uint8_t readTrackRate(std::string_view word);
// Null, a non-string or an unknown word: 1.
std::uint8_t readTrackRate(const JsonValue* value);

// The word of a rate index; "1-16" for 6 and above.
const char* trackRateName(int rate);

// Clip grid of a rate's step ("1/8", "1/16", "1/32", "1/12", "1/24",
// "1/48"); "1/16" for 6 and above, which play as sixteenths.
const char* trackRateGrid(int rate);

// Swing percent s as a clip amount: (s - 50) / 200 + 0.5; 50 gives 0.5.
double swingFraction(double percent);
// The inverse: (amount - 0.5) * 200 + 50.
double swingPercent(double amount);

}  // namespace ob
