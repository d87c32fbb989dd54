#include "engine/drum/drum_machine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/drum/drum_params.h"
#include "engine/drum/wave_bank.h"
#include "engine/dsp/unit_range.h"
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
  memo_.valid = false;
}

int DrumMachine::paramCount() const { return ownParamCount(kMachineDrum); }

ParamInfo DrumMachine::paramInfo(int index) const { return ownParamInfo(kMachineDrum, index); }

void DrumMachine::trigger(float note, float velocity) {
  if (!active_) {
    dcLeft_.clear();
    dcRight_.clear();
  }
  velocity_ = finiteOr0(velocity);
  note_ = std::isfinite(note) ? note : 60.0f;
  active_ = true;
  levelRamp_.restart();
  bodyLevelRamp_.restart();
  amountRamp_.restart();
  biasRamp_.restart();
  foldRamp_.restart();
  for (DrumExciter& e : exc_) e.trigger();
  body_.trigger();
  memo_.valid = false;  // the body's hold is fixed again at the next block
}

void DrumMachine::renderMono(float* out, int frames, const ModLayers& mod) {
  render<false>(out, nullptr, frames, mod);
}

void DrumMachine::renderStereo(float* left, float* right, int frames, const ModLayers& mod) {
  render<true>(left, right, frames, mod);
}

float DrumMachine::distort(float x, float a, float c, float f) {
  DrumDistortion d;
  d.set(a, c, f);
  return d.apply(x);
}

template <bool Stereo>
void DrumMachine::render(float* left, float* right, int frames, const ModLayers& layers) {
  using namespace drum_param;
  if (!active_ || frames <= 0) return;
  const DrumParamValues p(layers);

  // The same sums (bit for bit), note and sample memory as last time give
  // the same set-up, part by part: each exciter reads only its own keys and
  // the widths, the body only its own keys and the note. Recorded audio may
  // be swapped under an unchanged snapshot, so sample exciters and bodies
  // always read it again.
  const bool known = memo_.valid && memo_.stereo == Stereo && memo_.snapshot == snapshot_;
  if (!known || std::memcmp(memo_.sums, p.v, sizeof memo_.sums) != 0 || memo_.note != note_ ||
      exc_[0].type == kExcSample || exc_[1].type == kExcSample || body_.type == kBodySample) {
    auto same = [&](int from, int to) {
      return std::memcmp(&memo_.sums[from], &p.v[from],
                         sizeof(float) * static_cast<std::size_t>(to - from)) == 0;
    };
    const bool sameWidths = known && same(kExc1Width, kExc2Width + 1);
    float w1 = 0.0f;
    float w2 = 0.0f;
    if constexpr (Stereo) {
      w1 = clamp01(finiteOr0(p.value(kExc1Width)));
      w2 = clamp01(finiteOr0(p.value(kExc2Width)));
    }
    const bool wide = Stereo && (w1 > 0.0f || w2 > 0.0f);
    if (!sameWidths || !same(kExc1Type, kExc1Rev + 1) || exc_[0].type == kExcSample)
      exc_[0].beginBlock(p, kExc1Type, wide ? kExc1Width : -1, snapshot_);
    if (!sameWidths || !same(kExc2Type, kExc2Rev + 1) || exc_[1].type == kExcSample)
      exc_[1].beginBlock(p, kExc2Type, wide ? kExc2Width : -1, snapshot_);
    if (!known || memo_.note != note_ || !same(kResType, kResRev + 1) || body_.type == kBodySample)
      body_.beginBlock(p, note_, snapshot_);

    BlockSetup fresh;
    fresh.bleed = clamp01(finiteOr0(p.value(kBleed)));
    const int pos = p.choice(kDistPos);
    fresh.postMix = pos == kDistPostMix;
    fresh.inBody = pos == kDistInBody;

    memo_.valid = true;
    memo_.stereo = Stereo;
    memo_.note = note_;
    memo_.snapshot = snapshot_;
    std::memcpy(memo_.sums, p.v, sizeof memo_.sums);
    memo_.wide = wide;
    memo_.block = fresh;
    const int keys[kRamps] = {kLevel, kResLevel, kDistAmt, kDistBias, kDistFold};
    for (int r = 0; r < kRamps; ++r) memo_.rampTargets[r] = rampInput(p.value(keys[r]));
  }
  const bool wide = memo_.wide;
  BlockSetup b = memo_.block;
  ParamRamp* ramps[kRamps] = {&levelRamp_, &bodyLevelRamp_, &amountRamp_, &biasRamp_, &foldRamp_};
  for (int r = 0; r < kRamps; ++r) {
    ramps[r]->setTarget(memo_.rampTargets[r], layers);
    b.moving = std::max(b.moving, static_cast<int>(ramps[r]->remaining));
  }
  dist_.set(amountRamp_.current, biasRamp_.current, foldRamp_.current);

  // One loop per body type, so the body's sample code inlines.
  using Loop = void (DrumMachine::*)(float*, float*, int, const BlockSetup&);
#define OB_DRUM_LOOPS(S, W)                                                         \
  {                                                                                 \
    &DrumMachine::renderSamples<S, W, 0>, &DrumMachine::renderSamples<S, W, 1>,     \
        &DrumMachine::renderSamples<S, W, 2>, &DrumMachine::renderSamples<S, W, 3>, \
        &DrumMachine::renderSamples<S, W, 4>, &DrumMachine::renderSamples<S, W, 5>, \
        &DrumMachine::renderSamples<S, W, 6>, &DrumMachine::renderSamples<S, W, 7>, \
        &DrumMachine::renderSamples<S, W, 8>                                        \
  }
  static constexpr Loop kNarrow[9] = OB_DRUM_LOOPS(Stereo, false);
  static constexpr Loop kWide[9] = OB_DRUM_LOOPS(Stereo, Stereo);
#undef OB_DRUM_LOOPS
  const int bodyType = body_.type >= kBodySine && body_.type <= kBodyWave ? body_.type : kBodyNone;
  (this->*(wide ? kWide : kNarrow)[bodyType])(left, right, frames, b);

  // A later wide block starts its right channel from the shared history.
  if (Stereo && !wide) dcRight_ = dcLeft_;
}

template <bool Stereo, bool Wide, int Body>
void DrumMachine::renderSamples(float* left, float* right, int frames, const BlockSetup& b) {
  DrumExciter& x1 = exc_[0];
  DrumExciter& x2 = exc_[1];
  // An exciter that has died away is not called again this block.
  const bool live1 = x1.ticking();
  const bool live2 = x2.ticking();
  const float bleed = b.bleed;
  const bool postMix = b.postMix;
  const bool inBody = b.inBody;
  const float velocity = velocity_;
  int moving = b.moving;  // samples until every glide has landed
  float level = levelRamp_.current;
  float bodyLevel = bodyLevelRamp_.current;

  for (int i = 0; i < frames; ++i) {
    if (moving > 0) {
      --moving;
      level = levelRamp_.advance();
      bodyLevel = bodyLevelRamp_.advance();
      dist_.set(amountRamp_.advance(), biasRamp_.advance(), foldRamp_.advance());
    }
    const float gain = level * velocity;

    if constexpr (Wide) {
      const ExciterSample e1 = live1 ? x1.tick<true>(noise1_, noise2_) : ExciterSample{0.0f, 0.0f, 0.0f};
      const ExciterSample e2 = live2 ? x2.tick<true>(noise1_, noise2_) : ExciterSample{0.0f, 0.0f, 0.0f};
      const float body = body_.tickAs<Body>(e1.mono + e2.mono, dist_, inBody, noise1_) * bodyLevel;
      float mixL = body + (e1.left + e2.left) * bleed;
      float mixR = body + (e1.right + e2.right) * bleed;
      if (postMix) {
        mixL = dist_.apply(mixL);
        mixR = dist_.apply(mixR);
      }
      left[i] += dcLeft_.process(mixL) * gain;
      right[i] += dcRight_.process(mixR) * gain;
    } else {
      float e = 0.0f;
      if (live1) e += x1.tick<false>(noise1_, noise2_).mono;
      if (live2) e += x2.tick<false>(noise1_, noise2_).mono;
      float mix = e * bleed;
      if constexpr (Body != drum_param::kBodyNone)
        mix = body_.tickAs<Body>(e, dist_, inBody, noise1_) * bodyLevel + mix;
      if (postMix) mix = dist_.apply(mix);
      const float y = dcLeft_.process(mix) * gain;
      left[i] += y;
      if constexpr (Stereo) right[i] += y;
    }

    if (!body_.soundingAs<Body>() && !x1.sounding() && !x2.sounding()) {
      active_ = false;
      return;
    }
  }
}

template void DrumMachine::render<false>(float*, float*, int, const ModLayers&);
template void DrumMachine::render<true>(float*, float*, int, const ModLayers&);

}  // namespace ob
