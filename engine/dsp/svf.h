#pragma once
#include <cmath>

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
    const float w = static_cast<float>(3.14159265358979323846 * static_cast<double>(freq) / rate);
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

  SvfOutput tick(float x) {
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

}  // namespace ob
