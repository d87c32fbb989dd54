#include "engine/drum/drum_machine.h"

#include <cmath>

#include "engine/drum/drum_params.h"
#include "engine/drum/wave_bank.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

// Ramped values far outside any range are held to this size so that no
// modulation sum can drive the output to infinity.
constexpr float kRampLimit = 1000.0f;

float rampInput(float v) { return clampf(finiteOr0(v), -kRampLimit, kRampLimit); }

}  // namespace

void DrumMachine::prepare(double sampleRate) {
  sampleRate_ = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : 44100.0;
  active_ = false;
  noise1_ = seed_ != 0 ? seed_ : kDefaultSeed;
  noise2_ = (noise1_ * 0x9E3779B1u) ^ kSecondNoiseSeed;
  if (noise2_ == 0) noise2_ = kSecondNoiseSeed;
  for (DrumExciter& e : exc_) e.prepare(sampleRate_);
  // The wave tables are built here, on the preparing thread, so a render
  // only ever reads them.
  body_.prepare(sampleRate_, drumWaveBank());
  dcLeft_.setRate(sampleRate_);
  dcRight_.setRate(sampleRate_);
  dcLeft_.clear();
  dcRight_.clear();
}

int DrumMachine::paramCount() const { return ownParamCount(kMachineDrum); }

ParamInfo DrumMachine::paramInfo(int index) const { return ownParamInfo(kMachineDrum, index); }

void DrumMachine::trigger(float note, float velocity) {
  if (!active_) {
    dcLeft_.clear();
    dcRight_.clear();
  }
  velocity_ = velocity;
  note_ = note;
  active_ = true;
  levelRamp_.restart();
  bodyLevelRamp_.restart();
  amountRamp_.restart();
  biasRamp_.restart();
  foldRamp_.restart();
  for (DrumExciter& e : exc_) e.trigger();
  body_.trigger();
}

void DrumMachine::renderMono(float* out, int frames, const ModLayers& mod) { render<false>(out, nullptr, frames, mod); }

void DrumMachine::renderStereo(float* left, float* right, int frames, const ModLayers& mod) {
  render<true>(left, right, frames, mod);
}

float DrumMachine::distort(float x, float a, float c, float f) {
  DrumDistortion d;
  d.set(a, c, f);
  return d.apply(x);
}

template <bool Stereo>
void DrumMachine::render(float* left, float* right, int frames, const ModLayers& mod) {
  using namespace drum_param;
  if (!active_ || frames <= 0) return;

  float w1 = 0.0f;
  float w2 = 0.0f;
  if constexpr (Stereo) {
    w1 = clamp01(finiteOr0(mod.value(kExc1Width)));
    w2 = clamp01(finiteOr0(mod.value(kExc2Width)));
  }
  const bool wide = Stereo && (w1 > 0.0f || w2 > 0.0f);
  exc_[0].beginBlock(mod, kExc1Type, wide ? kExc1Width : -1, snapshot_);
  exc_[1].beginBlock(mod, kExc2Type, wide ? kExc2Width : -1, snapshot_);
  body_.beginBlock(mod, note_, snapshot_);

  const float bleed = clamp01(finiteOr0(mod.value(kBleed)));
  const int pos = mod.choice(kDistPos);
  const bool postMix = pos == kDistPostMix;
  const bool inBody = pos == kDistInBody;
  levelRamp_.setTarget(rampInput(mod.value(kLevel)), mod);
  bodyLevelRamp_.setTarget(rampInput(mod.value(kResLevel)), mod);
  amountRamp_.setTarget(rampInput(mod.value(kDistAmt)), mod);
  biasRamp_.setTarget(rampInput(mod.value(kDistBias)), mod);
  foldRamp_.setTarget(rampInput(mod.value(kDistFold)), mod);
  const float velocity = velocity_;

  for (int i = 0; i < frames; ++i) {
    const float level = levelRamp_.advance();
    const float bodyLevel = bodyLevelRamp_.advance();
    dist_.set(amountRamp_.advance(), biasRamp_.advance(), foldRamp_.advance());
    const float gain = level * velocity;

    if (wide) {
      const ExciterSample e1 = exc_[0].tick<true>(noise1_, noise2_);
      const ExciterSample e2 = exc_[1].tick<true>(noise1_, noise2_);
      const float b = body_.tick(e1.mono + e2.mono, dist_, inBody, noise1_) * bodyLevel;
      float mixL = b + (e1.left + e2.left) * bleed;
      float mixR = b + (e1.right + e2.right) * bleed;
      if (postMix) {
        mixL = dist_.apply(mixL);
        mixR = dist_.apply(mixR);
      }
      left[i] += dcLeft_.process(mixL) * gain;
      right[i] += dcRight_.process(mixR) * gain;
    } else {
      const ExciterSample e1 = exc_[0].tick<false>(noise1_, noise2_);
      const ExciterSample e2 = exc_[1].tick<false>(noise1_, noise2_);
      const float e = e1.mono + e2.mono;
      float mix = body_.tick(e, dist_, inBody, noise1_) * bodyLevel + e * bleed;
      if (postMix) mix = dist_.apply(mix);
      const float y = dcLeft_.process(mix) * gain;
      left[i] += y;
      if constexpr (Stereo) right[i] += y;
    }

    if (!body_.sounding() && !exc_[0].sounding() && !exc_[1].sounding()) {
      active_ = false;
      break;
    }
  }
  // A later wide block starts its right channel from the shared history.
  if (Stereo && !wide) dcRight_ = dcLeft_;
}

template void DrumMachine::render<false>(float*, float*, int, const ModLayers&);
template void DrumMachine::render<true>(float*, float*, int, const ModLayers&);

}  // namespace ob
