#pragma once
// The sample rates the engine runs as it was designed to. Below 8 kHz, the
// lowest rate audio hardware offers, the sound's range shrinks towards
// nothing: every filter and machine keeps its frequencies under 0.45 of the
// rate, and once that falls below the voice chain's lowest cutoff (20 Hz,
// near 45 Hz of rate) its filters blow up. Above 192 kHz the room no longer
// fits its fixed delay lines (its largest room needs 4210 of their 4223
// samples at 192 kHz), and every player's second of reverse audio grows
// with the rate. The step clock runs anywhere in between: a sixteenth is
// 120 samples at 999 BPM and 8 kHz.

#include "engine/chain/space_reverb.h"

namespace ob {

inline constexpr double kLowestSampleRate = 8000.0;
inline constexpr double kHighestSampleRate = 192000.0;

static_assert(SpaceReverb::kBaseLengths.back() * kHighestSampleRate / 44100.0 <= SpaceReverb::kMaxDelay,
              "the largest room fits the room's delay lines at the highest rate");

// False for NaN too.
constexpr bool runsAtSampleRate(double rate) {
  return rate >= kLowestSampleRate && rate <= kHighestSampleRate;
}

}  // namespace ob
