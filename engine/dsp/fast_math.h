#pragma once
#include <cmath>
#include <cstdint>

namespace ob {

inline constexpr double kPi = 3.14159265358979323846264338327950;
inline constexpr double kTwoPi = 2.0 * kPi;
// The same in float (each the float nearest its value), for the
// per-sample paths.
inline constexpr float kPiF = static_cast<float>(kPi);
inline constexpr float kTwoPiF = static_cast<float>(kTwoPi);
inline constexpr float kHalfPiF = static_cast<float>(kPi / 2.0);

// The odd sine polynomial on [-pi/2, pi/2]; T is float or a vector
// of floats, so scalar and vector oscillators give the same values.
template <class T>
inline T sinPoly(T r) {
  // Estrin's scheme: short dependency chains, since oscillators are
  // latency-bound.
  const T r2 = r * r;
  const T r4 = r2 * r2;
  const T lo = r2 * -1.6666666667e-1f + 1.0f;
  const T mid = r2 * -1.9841269841e-4f + 8.3333333333e-3f;
  const T hi = r2 * -2.5052108385e-8f + 2.7557319224e-6f;
  return r * (lo + r4 * (mid + r4 * hi));  // Taylor terms to r^11: error below 6e-8
}

// Sine of an oscillator phase in [0, 2 pi], about twice as fast as the
// library sine, which remains the choice for arbitrary arguments.
inline float fastSinPhase(float x) {
  float r = x > kPiF ? x - kTwoPiF : x;  // [-pi, pi]
  r = r > kHalfPiF ? kPiF - r : r;
  r = r < -kHalfPiF ? -kPiF - r : r;
  return sinPoly(r);
}

using Float4 = float __attribute__((vector_size(16)));

// fastSinPhase on four phases at once.
inline Float4 fastSinPhase4(Float4 x) {
  Float4 r = x > kPiF ? x - kTwoPiF : x;
  r = r > kHalfPiF ? kPiF - r : r;
  r = r < -kHalfPiF ? -kPiF - r : r;
  return sinPoly(r);
}

// tanh by a 13/6 rational approximation, absolute error about 1e-7 and
// exactly +-1 beyond +-7.9; several times faster than the library call.
inline float fastTanh(float x) {
  constexpr float kClamp = 7.90531110763549805f;
  x = x < -kClamp ? -kClamp : (x > kClamp ? kClamp : x);
  // Numerator and denominator by Estrin's scheme (see sinPoly).
  const float x2 = x * x;
  const float x4 = x2 * x2;
  const float x8 = x4 * x4;
  const float p01 = x2 * 6.37261928875436e-04f + 4.89352455891786e-03f;
  const float p23 = x2 * 5.12229709037114e-08f + 1.48572235717979e-05f;
  const float p45 = x2 * 2.00018790482477e-13f - 8.60467152213735e-11f;
  const float p6 = -2.76076847742355e-16f;
  const float p = (p01 + x4 * p23) + x8 * (p45 + x4 * p6);
  const float q01 = x2 * 2.26843463243900e-03f + 4.89352518554385e-03f;
  const float q23 = x2 * 1.19825839466702e-06f + 1.18534705686654e-04f;
  const float q = q01 + x4 * q23;
  return x * p / q;
}

// Phase in radians on [0, 2 pi): one subtraction in the normal case, a
// full reduction only when a single step was larger than a turn.
inline double wrapPhase(double phase) {
  if (phase >= kTwoPi) {
    phase -= kTwoPi;
    if (phase >= kTwoPi) phase = std::fmod(phase, kTwoPi);
  }
  return phase;
}

// Multiplier that decays an envelope by a time constant of `seconds`.
inline float decayFactor(float seconds, double rate) {
  const double t = seconds > 0.0001f ? static_cast<double>(seconds) : 0.0001;
  return static_cast<float>(std::exp(-1.0 / (t * rate)));
}

// Parameter sums come from arbitrary modulation (a broken host value, say):
// a non-finite one reads as the fallback, so one bad number cannot poison a
// voice's filter states.
inline float finiteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }
inline float finiteOr0(float v) { return finiteOr(v, 0.0f); }

}  // namespace ob
