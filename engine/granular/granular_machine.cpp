#include "engine/granular/granular_machine.h"

#include <algorithm>
#include <cmath>

#include "engine/chain/finite_param.h"
#include "engine/granular/grain_window.h"
#include "engine/params/param_tables.h"

namespace ob {

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
  envelope_ = 0.0f;
  inDecay_ = false;
  countdown_ = 0.0;
  for (Grain& g : grains_) g = Grain{};
  window_ = grainWindowTable();
  pitchMemo_.reset();
  decayMemo_.reset();
}

int GranularMachine::paramCount() const { return ownParamCount(kMachineGranular); }

ParamInfo GranularMachine::paramInfo(int index) const { return ownParamInfo(kMachineGranular, index); }

void GranularMachine::trigger(float note, float velocity) {
  note_ = std::isfinite(note) ? note : 60.0f;
  velocity_ = std::isfinite(velocity) ? velocity : 0.0f;
  envelope_ = 0.0f;
  inDecay_ = false;
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
  const double semis = std::clamp(static_cast<double>(value(mod, kTune)) + note_ - 60.0, -160.0, 160.0);
  const double srcRate =
      (slot_.sampleRate > 0.0 && std::isfinite(slot_.sampleRate)) ? slot_.sampleRate : 44100.0;
  const double baseStep =
      pitchMemo_.get(semis, [](double st) { return std::exp2(st / 12.0); }) * srcRate / rate_;
  // At most one grain start per sample, whatever the modulation pushes in.
  const double density = std::clamp(static_cast<double>(value(mod, kDensity)), 1.0, rate_);
  const double interval = rate_ / (density > 1.0 ? density : 1.0);
  const double pos = std::clamp(static_cast<double>(value(mod, kPosition)), 0.0, 1.0);
  const double spray = std::clamp(static_cast<double>(value(mod, kSpray)), 0.0, 1.0);
  const double spread = std::clamp(static_cast<double>(value(mod, kSpread)), 0.0, 1.0);
  const float attack = value(mod, kAttack);
  const float attackInc = attack > 1e-5f ? static_cast<float>(1.0 / (rate_ * attack)) : 1.0f;
  const float decayFactor = static_cast<float>(decayMemo_.get(
      value(mod, kDecay), [this](double d) { return std::exp(-1.0 / (std::max(d, 0.0001) * rate_)); }));
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
      if constexpr (Stereo) sumR += (srcR[i] + (srcR[i + 1] - srcR[i]) * f) * wv;
      g.position = p + g.step;
      if (++g.age >= g.length) g.active = false;
    }

    // Output through the cloud's envelope.
    const float a = level * envelope_ * velocity_ * gain_;
    left[n] += a * sumL;
    if constexpr (Stereo) right[n] += a * sumR;

    // Envelope; a decayed cloud ends.
    if (!inDecay_) {
      envelope_ += attackInc;
      if (envelope_ >= 1.0f) {
        envelope_ = 1.0f;
        inDecay_ = true;
      }
    } else {
      envelope_ *= decayFactor;
      if (envelope_ < 0.0001f) {
        active_ = false;
        return;
      }
    }
  }
}

}  // namespace ob
