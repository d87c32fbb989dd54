#pragma once

#include "engine/chain/block_memo.h"
#include "engine/dsp/svf.h"
#include "engine/machine/hit_envelope.h"
#include "engine/machine/machine.h"
#include "engine/machine/param_ramp.h"

namespace ob {

// Band-limited oscillator shapes (polyBLEP saw and pulse, polyBLAMP
// triangle). Phase in cycles [0, 1), dt = cycles per sample.
float vaSaw(double phase, double dt);
float vaPulse(double phase, double dt, double width);
float vaTriangle(double phase, double dt);
// One sample of wave 0 saw, 1 pulse (width 0.5), 2 triangle.
float vaOscillator(int wave, double phase, double dt);

// Two oscillators with detune and a pitch sweep into a state-variable
// filter whose cutoff follows the amplitude envelope.
class VaMachine final : public Machine {
 public:
  enum Param : int {
    kTune = 0,
    kWave1,
    kWave2,
    kDetune,
    kCutoff,
    kReso,
    kMode,
    kEnvAmt,
    kPitchEnv,
    kAttack,
    kDecay,
    kLevel,
    kParamCount
  };

  VaMachine();

  void prepare(double sampleRate) override;
  int paramCount() const override;
  ParamInfo paramInfo(int index) const override;
  void trigger(float note, float velocity) override;
  void renderMono(float* out, int frames, const ModLayers& mod) override;
  bool isActive() const override { return active_; }
  void renderStereo(float* left, float* right, int frames, const ModLayers& mod) override;

 private:
  void render(float* left, float* right, int frames, const ModLayers& mod);

  float value(const ModLayers& mod, int index) const;

  float fallback_[kParamCount] = {};  // row defaults, for non-finite sums
  double rate_ = 44100.0;
  double phase1_ = 0.0;
  double phase2_ = 0.0;
  Svf filter_{};
  HitEnvelope envelope_;
  float pitchEnvelope_ = 1.0f;
  ParamRamp level_{};
  float velocity_ = 1.0f;
  float note_ = 60.0f;
  bool active_ = false;
  float sweepFactor_ = 0.0f;  // the fixed 40 ms pitch-sweep fall
  BlockMemo noteMemo_, detuneMemo_;
};

}  // namespace ob
