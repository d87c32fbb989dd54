#pragma once
#include <algorithm>
#include <cmath>

#include "engine/chain/block_memo.h"

namespace ob {

// The frequency ratio of a pitch offset in semitones, the offset kept
// within +-limit: far past any playable pitch, the limit only keeps a read
// position or a phase finite whatever a note or modulation pushes in.
inline double pitchRatio(double semitones, double limit) {
  return std::exp2(std::clamp(semitones, -limit, limit) / 12.0);
}

// The pitch limit of the machines that read a pool slot.
inline constexpr double kSampleMaxSemitones = 160.0;

// Slot frames a sample to play a slot tuned by tune semitones on a note (60
// plays it as recorded), from the slot's own rate (44100 when it has none)
// to the output rate. The ratio is worked out only when the pitch changed.
inline double sampleReadStep(BlockMemo& pitchMemo, float tune, float note, double slotRate, double rate) {
  const double semitones = static_cast<double>(tune) + note - 60.0;
  const double from = (slotRate > 0.0 && std::isfinite(slotRate)) ? slotRate : 44100.0;
  return pitchMemo.get(semitones, [](double st) { return pitchRatio(st, kSampleMaxSemitones); }) * from /
         rate;
}

}  // namespace ob
