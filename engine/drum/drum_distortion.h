#pragma once
#include <cmath>

#include "engine/dsp/fast_math.h"

namespace ob {

// The drum's drive: a biased tanh normalised to unit peak, then an optional
// sine wavefold. The tangents that depend only on the settings are cached,
// so a sample costs one tanh (and one sine when folding).
struct DrumDistortion {
  float amount = 0.0f;
  float bias = 0.0f;
  float fold = 0.0f;
  float drive = 1.0f;
  float offset = 0.0f;  // tanh(2 bias)
  float scale = 1.0f;   // 1 / max(tanh(drive), 1e-6)
  float foldFreq = 0.0f;

  void set(float a, float c, float f) {
    if (a == amount && c == bias && f == fold) return;
    amount = a;
    bias = c;
    fold = f;
    drive = 8.0f * a + 1.0f;
    offset = fastTanh(2.0f * c);
    const float t = fastTanh(drive);
    scale = 1.0f / (t > 1e-6f ? t : 1e-6f);
    foldFreq = (3.0f * f + 1.0f) * kHalfPiF;
  }

  float apply(float x) const {
    if (!(amount > 0.0f)) return x;  // no drive: the fold is skipped too
    float y = (fastTanh(drive * x + 2.0f * bias) - offset) * scale;
    if (fold > 0.0f) y += fold * (std::sin(foldFreq * y) - y);
    return y;
  }
};

}  // namespace ob
