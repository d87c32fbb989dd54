#include "engine/va/va_machine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/chain/finite_param.h"
#include "engine/dsp/fast_math.h"
#include "engine/machine/pitch_step.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {

// Signed distance of p from edge e, in samples; 2 (no correction) when the
// oscillator does not move.
inline double edgeDistance(double p, double e, double dt) {
  if (dt <= 0.0) return 2.0;
  const double d = p - e;
  return (d - std::floor(d + 0.5)) / dt;
}

// polyBLEP residual of a unit step.
inline double blep(double t) {
  if (t > -1.0 && t < 0.0) return 0.5 * (t + 1.0) * (t + 1.0);
  if (t >= 0.0 && t < 1.0) return -0.5 * (1.0 - t) * (1.0 - t);
  return 0.0;
}

// polyBLAMP residual of a unit slope change (the integrated polyBLEP).
inline double blamp(double t) {
  if (t > -1.0 && t < 1.0) {
    const double a = 1.0 - std::fabs(t);
    return a * a * a / 6.0;
  }
  return 0.0;
}

// The synthesiser ramps over at least 0.1 ms and decays over at least 1 ms.
constexpr HitEnvelopeFloors kEnvelopeFloors{-std::numeric_limits<float>::infinity(), 0.0001, 0.001};

// Notes further than this from 60 play as if this far: 16 octaves.
constexpr double kMaxSemitones = 192.0;

// Choices here round to nearest, halves away from zero, limited to 0..2.
inline int waveChoice(float v) {
  if (!(v > -1.0e6f && v < 1.0e6f)) return 0;
  return std::clamp(static_cast<int>(std::round(v)), 0, 2);
}

}  // namespace

float vaSaw(double p, double dt) {
  return static_cast<float>((2.0 * p - 1.0) - 2.0 * blep(edgeDistance(p, 0.0, dt)));
}

float vaPulse(double p, double dt, double w) {
  const double naive = p < w ? 1.0 : -1.0;
  return static_cast<float>(naive + 2.0 * blep(edgeDistance(p, 0.0, dt)) -
                            2.0 * blep(edgeDistance(p, w, dt)));
}

float vaTriangle(double p, double dt) {
  const double naive = 2.0 * std::fabs(2.0 * p - 1.0) - 1.0;
  return static_cast<float>(naive - 8.0 * dt * blamp(edgeDistance(p, 0.0, dt)) +
                            8.0 * dt * blamp(edgeDistance(p, 0.5, dt)));
}

float vaOscillator(int wave, double phase, double dt) {
  switch (wave) {
    case 1: return vaPulse(phase, dt, 0.5);
    case 2: return vaTriangle(phase, dt);
    default: return vaSaw(phase, dt);
  }
}

VaMachine::VaMachine() {
  for (int i = 0; i < kParamCount; ++i) fallback_[i] = ownParamInfo(kMachineVa, i).defaultValue;
  prepare(44100.0);
}

float VaMachine::value(const ModLayers& mod, int index) const {
  return finiteParam(mod, index, fallback_[index]);
}

void VaMachine::prepare(double sampleRate) {
  rate_ = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : 44100.0;
  phase1_ = phase2_ = 0.0;
  filter_.reset();
  envelope_.prepare();
  pitchEnvelope_ = 0.0f;
  active_ = false;
  sweepFactor_ = static_cast<float>(std::exp(-1.0 / (rate_ * 0.04)));
  noteMemo_.reset();
  detuneMemo_.reset();
}

int VaMachine::paramCount() const { return ownParamCount(kMachineVa); }

ParamInfo VaMachine::paramInfo(int index) const { return ownParamInfo(kMachineVa, index); }

void VaMachine::trigger(float note, float velocity) {
  note_ = std::isfinite(note) ? note : 60.0f;
  velocity_ = std::isfinite(velocity) ? velocity : 0.0f;
  phase1_ = phase2_ = 0.0;
  filter_.reset();
  envelope_.restart();
  pitchEnvelope_ = 1.0f;
  level_.restart();
  active_ = true;
}

void VaMachine::renderMono(float* out, int frames, const ModLayers& mod) {
  render(out, nullptr, frames, mod);
}

void VaMachine::renderStereo(float* left, float* right, int frames, const ModLayers& mod) {
  // One voice on both sides; each side only gains what this voice adds.
  render(left, right, frames, mod);
}

void VaMachine::render(float* left, float* right, int frames, const ModLayers& mod) {
  if (!active_ || frames < 1) return;

  const double noteFactor =
      noteMemo_.get(note_, [](double n) { return pitchRatio(n - 60.0, kMaxSemitones); });
  const double f0 = std::clamp(static_cast<double>(value(mod, kTune)), 20.0, 2000.0) * noteFactor;
  const double detuneRatio = detuneMemo_.get(
      value(mod, kDetune), [](double d) { return std::exp2(std::clamp(d, 0.0, 12.0) / 12.0); });
  const double sweep = std::clamp(static_cast<double>(value(mod, kPitchEnv)), -24.0, 24.0);
  const double nyquistGuard = 0.45 * rate_;
  const double cutoffBase = std::clamp(static_cast<double>(value(mod, kCutoff)), 20.0, nyquistGuard);
  const double envDepth = 4.0 * std::clamp(static_cast<double>(value(mod, kEnvAmt)), 0.0, 1.0);
  const float k = 1.0f / (9.5f * std::clamp(value(mod, kReso), 0.0f, 1.0f) + 0.5f);
  const HitEnvelopeSteps envelopeSteps =
      envelope_.steps(value(mod, kAttack), value(mod, kDecay), rate_, kEnvelopeFloors);
  const float sweepFactor = sweepFactor_;
  const int wave1 = waveChoice(value(mod, kWave1));
  const int wave2 = waveChoice(value(mod, kWave2));
  const int mode = waveChoice(value(mod, kMode));
  level_.setTarget(value(mod, kLevel), mod);

  const float piOverRate = static_cast<float>(kPi / rate_);
  // Without an envelope depth the cutoff holds still for the whole block.
  const bool fixedCutoff = envDepth == 0.0;
  const float envDepthF = static_cast<float>(envDepth);
  const float cutoffBaseF = static_cast<float>(cutoffBase);
  const float nyquistGuardF = static_cast<float>(nyquistGuard);
  if (fixedCutoff) {
    filter_.setCoefficients(std::tan(static_cast<float>(std::min(cutoffBase, nyquistGuard)) * piOverRate), k);
  }
  for (int i = 0; i < frames; ++i) {
    // The first sample of a hit already carries one step.
    envelope_.advance(envelopeSteps);
    const float envelope = envelope_.level();

    const double f = (sweep == 0.0 || pitchEnvelope_ == 0.0f)
                         ? f0
                         : f0 * std::exp2(static_cast<double>(pitchEnvelope_) * sweep / 12.0);
    pitchEnvelope_ *= sweepFactor;
    if (pitchEnvelope_ < 1e-15f) pitchEnvelope_ = 0.0f;

    const double dt2 = f * detuneRatio / rate_;
    const float o2 = vaOscillator(wave2, phase2_, dt2);
    phase2_ += dt2;
    phase2_ -= std::floor(phase2_);
    const double dt1 = f / rate_;
    const float o1 = vaOscillator(wave1, phase1_, dt1);
    phase1_ += dt1;
    phase1_ -= std::floor(phase1_);

    if (!fixedCutoff) {
      // Single precision is plenty here: the coefficient is a float anyway.
      const float fc = std::min(std::exp2(envelope * envDepthF) * cutoffBaseF, nyquistGuardF);
      filter_.setCoefficients(std::tan(fc * piOverRate), k);
    }
    const SvfOutput o = filter_.tick(0.5f * (o1 + o2));
    const float filtered = mode == 0 ? o.low : (mode == 1 ? o.high : o.band);

    const float level = level_.advance();
    const float v = envelope * filtered * level * velocity_;
    left[i] += v;
    if (right) right[i] += v;

    if (envelope_.ended()) {
      active_ = false;
      return;
    }
  }
}

}  // namespace ob
