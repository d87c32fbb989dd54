#pragma once

namespace ob {

inline constexpr int kGrainWindowSize = 2049;  // 2048 points and a guard point

// Fills w[0..2048] with a Hann window over 2048 points plus a guard point.
void makeHannWindow(float* w);

// The program's one grain window, built on first call under a thread-safe
// one-time initialisation and read-only afterwards. Call it off the audio
// thread first (machines do so when they are built and prepared).
const float* grainWindowTable();

}  // namespace ob
