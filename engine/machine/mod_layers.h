#pragma once
#include <cstdint>
#include <cstring>

#include "engine/clock/tempo.h"

namespace ob {

// Rounds a choice parameter half up (v + 0.5 truncated toward zero). Values
// far outside any choice range (and NaN) come back as -1, which every
// choice reader treats as out of range.
inline int roundHalfUp(float v) {
  if (!(v > -1.0e6f && v < 1.0e6f)) return -1;
  return static_cast<int>(v + 0.5f);
}

// The modulation block a track player owns and hands to its machine and
// voice chain. A parameter's effective value is the sum of the eight layers
// at its combined index; nothing else feeds parameter values to the audio.
// Layer owners: 0 base, 1 per-hit offsets, 2 LFOs, 3 macros, 4 per-hit
// random offsets, 5 modulation envelopes, 6 velocity routes, 7 smoothing.
struct ModLayers {
  static constexpr int kLayers = 8;
  static constexpr int kSlots = 64;

  float layers[kLayers][kSlots] = {};
  double tempo = kDefaultTempo;
  std::uint32_t serial = 0;     // a change posts new glide targets
  std::int32_t rampLength = 1;  // samples a glide takes; below 1 counts as 1

  // Sum of the eight layers, added in layer order; 0 outside the block.
  float value(int index) const {
    if (index < 0 || index >= kSlots) return 0.0f;
    float s = layers[0][index];
    for (int l = 1; l < kLayers; ++l) s += layers[l][index];
    return s;
  }
  // The sums of parameters 0..N-1 (N a multiple of 4) into out, each added
  // in layer order like value(), four parameters at a time.
  template <int N>
  void sumFirst(float (&out)[N]) const {
    static_assert(N > 0 && N <= kSlots && N % 4 == 0);
    using V4 = float __attribute__((vector_size(16)));
    for (int i = 0; i < N; i += 4) {
      V4 acc;
      std::memcpy(&acc, &layers[0][i], sizeof acc);
#pragma GCC unroll 8
      for (int l = 1; l < kLayers; ++l) {
        V4 x;
        std::memcpy(&x, &layers[l][i], sizeof x);
        acc += x;
      }
      std::memcpy(&out[i], &acc, sizeof acc);
    }
  }
  int choice(int index) const { return roundHalfUp(value(index)); }
  bool flag(int index) const { return value(index) >= 0.5f; }
  std::int32_t effectiveRampLength() const { return rampLength < 1 ? 1 : rampLength; }
};

}  // namespace ob
