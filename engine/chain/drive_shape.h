#pragma once
// The voice chain's drive curves, one sample at a time: the chain plays
// them and the editor's drive tile draws them.

#include <algorithm>
#include <cmath>

#include "engine/dsp/fast_math.h"

namespace ob {

// The shapes "fx_shape" rounds to; any other value is the cubic.
enum DriveShape : int { kDriveCubic = 0, kDriveTanh = 1, kDriveFold = 2 };

// How much of the shaped signal a drive of this amount blends in: none at
// 1, all from 1.25 on.
inline float driveMixTarget(float drive) { return std::clamp((drive - 1.0f) * 4.0f, 0.0f, 1.0f); }

// The curve on a signal with the velocity divided out; k is the drive
// (1..16) and tanhK = fastTanh(k), which the caller keeps while k holds.
inline float shapeSample(float y, float k, int shape, float tanhK) {
  if (shape == kDriveTanh) return tanhK > 1e-6f ? fastTanh(k * y) / tanhK : y;
  if (shape == kDriveFold) return std::sin(k * kHalfPiF * y);
  const float u = std::clamp(k * y, -1.0f, 1.0f);
  return 1.5f * u - 0.5f * u * u * u;
}

// One sample through the drive: the curve blended in by mix.
inline float driveSample(float y, float k, int shape, float tanhK, float mix) {
  return y + (shapeSample(y, k, shape, tanhK) - y) * mix;
}

}  // namespace ob
