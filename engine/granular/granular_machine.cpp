#include "engine/granular/granular_machine.h"

#include <algorithm>
#include <cmath>

#include "engine/chain/finite_param.h"
#include "engine/dsp/louder_side.h"
#include "engine/granular/grain_window.h"
#include "engine/machine/pitch_step.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {

// A cloud starts at full level when its attack is next to nothing.
constexpr HitEnvelopeFloors kEnvelopeFloors{1e-5f, 0.0, 0.0001};

}  // namespace

GranularMachine::GranularMachine() : window_(grainWindowTable()) {
  for (int i = 0; i < kParamCount; ++i) fallback_[i] = ownParamInfo(kMachineGranular, i).defaultValue;
  prepare(44100.0);
}

float GranularMachine::value(const ModLayers& mod, int index) const {
  return finiteParam(mod, index, fallback_[index]);
}

void GranularMachine::prepare(double sampleRate) {
  rate_ = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : 44100.0;
  active_ = false;
  needsSetup_ = false;
  envelope_.prepare();
  countdown_ = 0.0;
  for (Grain& g : grains_) g = Grain{};
  window_ = grainWindowTable();
  pitchMemo_.reset();
}

int GranularMachine::paramCount() const { return ownParamCount(kMachineGranular); }

ParamInfo GranularMachine::paramInfo(int index) const { return ownParamInfo(kMachineGranular, index); }

void GranularMachine::trigger(float note, float velocity) {
  note_ = std::isfinite(note) ? note : 60.0f;
  velocity_ = std::isfinite(velocity) ? velocity : 0.0f;
  envelope_.restart();
  countdown_ = 0.0;
  for (Grain& g : grains_) g.active = false;
  active_ = true;
  needsSetup_ = true;
}

float GranularMachine::draw() {
  std::uint32_t x = random_;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  random_ = x;
  return static_cast<float>(x >> 8) * 0x1.0p-23f;
}

void GranularMachine::renderMono(float* out, int frames, const ModLayers& mod) {
  render<false>(out, nullptr, frames, mod);
}

void GranularMachine::renderStereo(float* left, float* right, int frames, const ModLayers& mod) {
  render<true>(left, right, frames, mod);
}

void GranularMachine::setUp(const ModLayers& mod) {
  needsSetup_ = false;
  if (!snapshot_) {
    active_ = false;
    return;
  }
  const SampleSlotInfo& info = snapshot_->slotOrEmpty(mod.choice(kSlot));
  if (!info.left || info.frames < 2) {
    active_ = false;
    return;
  }
  slot_ = info;
  float g = std::pow(10.0f, value(mod, kGain) * 0.05f);
  if (mod.flag(kNormalize) && info.peak > 1e-6f) g *= 1.0f / info.peak;
  gain_ = g;
}

template <bool Stereo>
void GranularMachine::render(float* left, float* right, int frames, const ModLayers& mod) {
  if (!active_ || frames < 1) return;
  if (needsSetup_) {
    setUp(mod);
    if (!active_) return;
  }

  const double size = static_cast<double>(value(mod, kSize));
  const std::int32_t grainLength =
      static_cast<std::int32_t>(std::max(std::min(size * 0.001 * rate_, 1.0e9), 2.0));
  const double baseStep = sampleReadStep(pitchMemo_, value(mod, kTune), note_, slot_.sampleRate, rate_);
  // At most one grain start per sample, whatever the modulation pushes in.
  const double density = std::clamp(static_cast<double>(value(mod, kDensity)), 1.0, rate_);
  const double interval = rate_ / (density > 1.0 ? density : 1.0);
  const double pos = std::clamp(static_cast<double>(value(mod, kPosition)), 0.0, 1.0);
  const double spray = std::clamp(static_cast<double>(value(mod, kSpray)), 0.0, 1.0);
  const double spread = std::clamp(static_cast<double>(value(mod, kSpread)), 0.0, 1.0);
  const HitEnvelopeSteps envelopeSteps =
      envelope_.steps(value(mod, kAttack), value(mod, kDecay), rate_, kEnvelopeFloors);
  const float level = value(mod, kLevel);

  const float* srcL = slot_.left;
  const float* srcR = slot_.right ? slot_.right : slot_.left;
  const double frameCount = static_cast<double>(slot_.frames);
  const std::int32_t lastIndex = slot_.frames - 1;
  const float* w = window_;

  for (int n = 0; n < frames; ++n) {
    // Grain starts at the density's pace; a full cloud skips a start.
    countdown_ -= 1.0;
    while (countdown_ <= 0.0) {
      countdown_ += interval;
      for (Grain& g : grains_) {
        if (g.active) continue;
        const double u1 = draw();
        double start = (u1 - 1.0) * spray * frameCount + pos * frameCount;
        start = std::clamp(start, 0.0, frameCount - 1.0);
        const double u2 = draw();
        const double step = std::exp2(7.0 * spread * (u2 - 1.0) / 12.0) * baseStep;
        const double room = (frameCount - 1.0 - start) / std::max(step, 1e-9);
        g.position = start;
        g.step = step;
        g.length = std::max(static_cast<std::int32_t>(std::min(room, static_cast<double>(grainLength))), 1);
        g.age = 0;
        g.active = true;
        break;
      }
    }

    // Sum the windowed grains.
    float sumL = 0.0f;
    float sumR = 0.0f;
    for (Grain& g : grains_) {
      if (!g.active) continue;
      const double p = g.position;
      if (!(p >= 0.0) || p >= static_cast<double>(lastIndex)) {
        g.active = false;
        continue;
      }
      const std::int32_t i = static_cast<std::int32_t>(p);
      const float f = static_cast<float>(p - i);
      const float x = static_cast<float>(g.age) / static_cast<float>(g.length) * 2048.0f;
      const int wi = std::min(static_cast<int>(x), kGrainWindowSize - 2);
      const float wv = w[wi] + (w[wi + 1] - w[wi]) * (x - static_cast<float>(wi));
      sumL += (srcL[i] + (srcL[i + 1] - srcL[i]) * f) * wv;
      if (Stereo || slot_.right) sumR += (srcR[i] + (srcR[i + 1] - srcR[i]) * f) * wv;
      g.position = p + g.step;
      if (++g.age >= g.length) g.active = false;
    }

    // Output through the cloud's envelope.
    const float a = level * envelope_.level() * velocity_ * gain_;
    if (!Stereo && slot_.right) sumL = louderSide(sumL, sumR);
    left[n] += a * sumL;
    if constexpr (Stereo) right[n] += a * sumR;

    // Envelope; a decayed cloud ends.
    envelope_.advance(envelopeSteps);
    if (envelope_.ended()) {
      active_ = false;
      return;
    }
  }
}

}  // namespace ob
