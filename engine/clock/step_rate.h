#pragma once
// The step rates a track plays at, by rate code: how long a step lasts and
// the names a rate goes by in documents, clips and the editor. One table, so
// the clock, the files and the rate pill cannot disagree.

#include "engine/model/project.h"

namespace ob {

struct StepRate {
  int stepsPerWhole;  // a step is a 1/stepsPerWhole note; swing pairs steps of this length
  const char* word;   // in documents ("1-8t")
  const char* grid;   // the clip's swing grid, 1/stepsPerWhole ("1/12")
  const char* label;  // on the editor's rate pill ("1/8T")
};

inline constexpr StepRate kStepRates[kTrackRateCount] = {
    {8, "1-8", "1/8", "1/8"},     {16, "1-16", "1/16", "1/16"},   {32, "1-32", "1/32", "1/32"},
    {12, "1-8t", "1/12", "1/8T"}, {24, "1-16t", "1/24", "1/16T"}, {48, "1-32t", "1/48", "1/32T"},
};

// The rate of a code; any code outside the table plays as sixteenths.
constexpr const StepRate& stepRate(int code) {
  return code >= 0 && code < kTrackRateCount ? kStepRates[code] : kStepRates[kSixteenthRate];
}

// Beats (quarter notes) a step of the rate lasts.
constexpr double rateBeats(int code) { return 4.0 / stepRate(code).stepsPerWhole; }

// A step lasts 24 ticks; its retrig hits come rateTicks apart. A rate
// never set (0, which documents may hold) repeats once a step: the rate
// the editor draws and first stores, rather than every hit at once.
inline constexpr int kTicksPerStep = 24;
inline constexpr int kDefaultRetrigTicks = kTicksPerStep;

constexpr int retrigTicks(const Step& step) {
  return step.rateTicks == 0 ? kDefaultRetrigTicks : step.rateTicks;
}

}  // namespace ob
