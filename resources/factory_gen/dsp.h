#pragma once
// Small building blocks for the factory-sample synthesis: a seeded noise
// source, one-pole and biquad filters, decaying partials and membrane modes.
// Everything is double precision and uses only the deterministic functions.

#include <cstdint>
#include <vector>

#include "resources/factory_gen/det_math.h"

namespace gen {

inline constexpr double kRate = 48000.0;

using Buffer = std::vector<double>;

inline std::int64_t framesOf(double seconds) { return static_cast<std::int64_t>(seconds * kRate + 0.5); }

// xorshift32 noise, uniform in [-1, 1).
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : s_(seed ? seed : 0x9e3779b9u) {}
  std::uint32_t next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  double bipolar() { return static_cast<double>(next()) / 2147483648.0 - 1.0; }
  double unit() { return static_cast<double>(next()) / 4294967296.0; }
  double range(double lo, double hi) { return lo + (hi - lo) * unit(); }
  // Log-uniform between lo and hi.
  double logRange(double lo, double hi) { return lo * detExp(unit() * detLog(hi / lo)); }

 private:
  std::uint32_t s_;
};

// Per-sample factor of an exponential decay with time constant tau seconds.
inline double decayFactor(double tau) { return detExp(-1.0 / (tau * kRate)); }

struct OnePoleLow {
  double a = 1.0, z = 0.0;
  explicit OnePoleLow(double hz) : a(1.0 - detExp(-kTwoPi * hz / kRate)) {}
  double operator()(double x) { return z += (x - z) * a; }
};

struct OnePoleHigh {
  OnePoleLow low;
  explicit OnePoleHigh(double hz) : low(hz) {}
  double operator()(double x) { return x - low(x); }
};

// Direct form I biquad with the usual cookbook designs.
class Biquad {
 public:
  static Biquad lowPass(double hz, double q) { return design(0, hz, q); }
  static Biquad highPass(double hz, double q) { return design(1, hz, q); }
  static Biquad bandPass(double hz, double q) { return design(2, hz, q); }  // 0 dB at the centre

  double operator()(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }
  void run(Buffer& buf) {
    for (double& v : buf) v = (*this)(v);
  }

 private:
  static Biquad design(int kind, double hz, double q) {
    if (hz > kRate * 0.45) hz = kRate * 0.45;
    const double w = kTwoPi * hz / kRate;
    const double c = detCos(w), s = detSin(w);
    const double alpha = s / (2.0 * q);
    const double a0 = 1.0 + alpha;
    Biquad f;
    if (kind == 0) {
      f.b0_ = (1.0 - c) / 2.0;
      f.b1_ = 1.0 - c;
      f.b2_ = (1.0 - c) / 2.0;
    } else if (kind == 1) {
      f.b0_ = (1.0 + c) / 2.0;
      f.b1_ = -(1.0 + c);
      f.b2_ = (1.0 + c) / 2.0;
    } else {
      f.b0_ = alpha;
      f.b1_ = 0.0;
      f.b2_ = -alpha;
    }
    f.b0_ /= a0;
    f.b1_ /= a0;
    f.b2_ /= a0;
    f.a1_ = -2.0 * c / a0;
    f.a2_ = (1.0 - alpha) / a0;
    return f;
  }
  double b0_ = 1.0, b1_ = 0.0, b2_ = 0.0, a1_ = 0.0, a2_ = 0.0;
  double x1_ = 0.0, x2_ = 0.0, y1_ = 0.0, y2_ = 0.0;
};

// A steady sinusoid that dies away exponentially, started at frame `start`:
// the rotating phasor keeps hundreds of partials cheap.
struct Partial {
  double hz = 440.0;
  double gain = 1.0;
  double tau = 0.5;    // seconds
  double phase = 0.0;  // radians at the start
  std::int64_t start = 0;
  double bloom = 0.0;  // seconds the partial takes to take up its energy
};

inline void addPartial(Buffer& out, const Partial& p) {
  if (p.hz <= 0.0 || p.hz >= kRate * 0.48 || p.gain == 0.0) return;
  const double w = kTwoPi * p.hz / kRate;
  const double wr = detCos(w), wi = detSin(w);
  double zr = detCos(p.phase), zi = detSin(p.phase);
  const double d = decayFactor(p.tau);
  double env = p.gain;
  // 1 - e^(-t / bloom): energy still flowing in from the struck point.
  const double bd = p.bloom > 0.0 ? decayFactor(p.bloom) : 0.0;
  double pending = 1.0;
  const std::int64_t n = static_cast<std::int64_t>(out.size());
  for (std::int64_t i = p.start < 0 ? 0 : p.start; i < n; ++i) {
    out[static_cast<std::size_t>(i)] += env * (1.0 - pending) * zi;
    const double nr = zr * wr - zi * wi;
    zi = zr * wi + zi * wr;
    zr = nr;
    env *= d;
    pending *= bd;
    if (env < 1e-9 * (p.gain < 0 ? -p.gain : p.gain)) break;
  }
}

// One mode of a struck membrane: its pitch starts raised by `bend` (a ratio
// above 1) and settles with time constant bendTau, as the head's tension
// relaxes after a hard stroke.
struct Mode {
  double hz = 100.0;
  double gain = 1.0;
  double tau = 0.3;
  double bend = 0.0;  // relative pitch raise at the start
  double bendTau = 0.05;
  std::int64_t start = 0;
};

inline void addMode(Buffer& out, const Mode& m) {
  if (m.gain == 0.0) return;
  const double d = decayFactor(m.tau);
  const double bd = m.bend != 0.0 ? decayFactor(m.bendTau) : 0.0;
  double env = m.gain, bend = m.bend, phase = 0.0;
  const std::int64_t n = static_cast<std::int64_t>(out.size());
  for (std::int64_t i = m.start < 0 ? 0 : m.start; i < n; ++i) {
    out[static_cast<std::size_t>(i)] += env * detSin(phase);
    const double hz = m.hz * (1.0 + bend);
    if (hz < kRate * 0.48) phase += kTwoPi * hz / kRate;
    if (phase >= kTwoPi) phase -= kTwoPi;
    bend *= bd;
    env *= d;
    if (env < 1e-9 * (m.gain < 0 ? -m.gain : m.gain)) break;
  }
}

// Noise through an envelope that rises over `attack` seconds and decays
// with `tau`, starting at frame `start`.
inline Buffer noiseBurst(std::size_t frames, Rng& rng, double attack, double tau, std::int64_t start = 0) {
  Buffer b(frames, 0.0);
  const double d = decayFactor(tau);
  const double rise = attack > 0.0 ? 1.0 / (attack * kRate) : 1.0;
  double env = 1.0, ramp = attack > 0.0 ? 0.0 : 1.0;
  for (std::size_t i = static_cast<std::size_t>(start < 0 ? 0 : start); i < frames; ++i) {
    b[i] = rng.bipolar() * env * ramp;
    if (ramp < 1.0) {
      ramp += rise;
      if (ramp > 1.0) ramp = 1.0;
    } else {
      env *= d;
    }
  }
  return b;
}

inline void mixInto(Buffer& out, const Buffer& in, double gain) {
  const std::size_t n = out.size() < in.size() ? out.size() : in.size();
  for (std::size_t i = 0; i < n; ++i) out[i] += gain * in[i];
}

}  // namespace gen
