#pragma once
// The tempo wherever none is given: a project, a host or a render that names
// no usable tempo plays at 120 BPM. And the range every tempo is held to.

#include <algorithm>
#include <cmath>

namespace ob {

inline constexpr float kDefaultTempo = 120.0f;

// Tempo limits. The step clock and the tempo-synced modulators divide by the
// tempo, and documents write it as a plain number, so an edit must never
// store zero, a negative tempo or something huge, and a host's tempo is held
// to the same range: at 999 BPM a sixteenth still lasts over 600 samples at
// 44.1 kHz (a retrig tick over 27), at 1 BPM a bar lasts four minutes.
inline constexpr float kMinBpm = 1.0f;
inline constexpr float kMaxBpm = 999.0f;

// The tempo when it is positive and finite, else the default.
inline double effectiveTempo(double bpm) { return bpm > 0.0 && std::isfinite(bpm) ? bpm : kDefaultTempo; }

// A given tempo held to kMinBpm..kMaxBpm, or 0 (none given) when it is not
// positive or no finite number.
inline double tempoInRange(double bpm) {
  if (!(bpm > 0.0) || !std::isfinite(bpm)) return 0.0;
  return std::clamp(bpm, static_cast<double>(kMinBpm), static_cast<double>(kMaxBpm));
}

}  // namespace ob
