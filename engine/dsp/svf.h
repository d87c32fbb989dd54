#pragma once
#include <cmath>

#include "engine/dsp/fast_math.h"

namespace ob {

struct SvfOutput {
  float low;
  float band;
  float high;
};

// Topology-preserving state-variable filter (trapezoidal integrators).
struct Svf {
  float g = 0.0f;
  float k = 1.0f;
  float a1 = 1.0f;
  float a2 = 0.0f;
  float a3 = 0.0f;
  float ic1eq = 0.0f;
  float ic2eq = 0.0f;

  // Coefficients from a frequency in Hz and a quality; the tangent is taken
  // in single precision. Callers keep freq below half the rate.
  void setup(float freq, float q, double rate) {
    const float w = static_cast<float>(kPi * static_cast<double>(freq) / rate);
    setCoefficients(std::tan(w), 1.0f / q);
  }

  // Coefficients from a precomputed g = tan(pi f / rate) and k = 1 / Q.
  void setCoefficients(float gIn, float kIn) {
    g = gIn;
    k = kIn;
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
  }

  void copyCoefficients(const Svf& o) {
    g = o.g;
    k = o.k;
    a1 = o.a1;
    a2 = o.a2;
    a3 = o.a3;
  }

  void reset() { ic1eq = ic2eq = 0.0f; }

  [[gnu::always_inline]] SvfOutput tick(float x) {
    const float v3 = x - ic2eq;
    const float bp = a1 * ic1eq + a2 * v3;
    const float lp = ic2eq + a2 * ic1eq + a3 * v3;
    ic1eq = 2.0f * bp - ic1eq;
    ic2eq = 2.0f * lp - ic2eq;
    // Tiny states are cut to zero so a silent filter never goes denormal.
    if (std::fabs(ic1eq) < 1e-15f) ic1eq = 0.0f;
    if (std::fabs(ic2eq) < 1e-15f) ic2eq = 0.0f;
    return {lp, bp, x - k * bp - lp};
  }
};

// Which output a block render keeps.
enum class SvfMode { kLow, kHigh, kBand };

// A stereo pair of filters with the same coefficients (taken from `left`),
// run over a block side by side in one vector: every lane does exactly the
// arithmetic of Svf::tick, in the same order, so the samples are the same
// as two scalar runs at about half the instructions.
template <SvfMode Mode>
inline void processPair(Svf& left, Svf& right, float* l, float* r, int frames) {
  using V = float __attribute__((vector_size(16)));
  using M = int __attribute__((vector_size(16)));
  const float a1 = left.a1, a2 = left.a2, a3 = left.a3, k = left.k;
  V s1 = {left.ic1eq, right.ic1eq, 0.0f, 0.0f};
  V s2 = {left.ic2eq, right.ic2eq, 0.0f, 0.0f};
  const V tiny = {1e-15f, 1e-15f, 1e-15f, 1e-15f};
  const V zero = {};
  const M absMask = {0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff};
  for (int i = 0; i < frames; ++i) {
    const V x = {l[i], r[i], 0.0f, 0.0f};
    const V v3 = x - s2;
    const V bp = a1 * s1 + a2 * v3;
    const V lp = s2 + a2 * s1 + a3 * v3;
    s1 = 2.0f * bp - s1;
    s2 = 2.0f * lp - s2;
    s1 = reinterpret_cast<V>(reinterpret_cast<M>(s1) & absMask) < tiny ? zero : s1;
    s2 = reinterpret_cast<V>(reinterpret_cast<M>(s2) & absMask) < tiny ? zero : s2;
    V y;
    if constexpr (Mode == SvfMode::kLow) {
      y = lp;
    } else if constexpr (Mode == SvfMode::kHigh) {
      y = x - k * bp - lp;
    } else {
      y = bp;
    }
    l[i] = y[0];
    r[i] = y[1];
  }
  left.ic1eq = s1[0];
  left.ic2eq = s2[0];
  right.ic1eq = s1[1];
  right.ic2eq = s2[1];
}

}  // namespace ob
