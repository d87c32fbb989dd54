#pragma once
#include <cmath>

#include "engine/dsp/fast_math.h"

namespace ob {

// One-pole DC blocker: y = x - x[-1] + pole * y[-1].
struct DcBlocker {
  float prevIn = 0.0f;
  float prevOut = 0.0f;
  float pole = 0.0f;

  // Corner of about 5 Hz.
  void setRate(double rate) { pole = static_cast<float>(1.0 - 10.0 * kPi / rate); }
  void clear() { prevIn = prevOut = 0.0f; }

  float process(float x) {
    float y = x - prevIn + pole * prevOut;
    prevIn = x;
    if (std::fabs(y) < 1e-15f) y = 0.0f;  // keeps the tail out of denormals
    prevOut = y;
    return y;
  }
};

}  // namespace ob
