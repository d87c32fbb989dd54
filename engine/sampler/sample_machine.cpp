#include "engine/sampler/sample_machine.h"

#include <algorithm>
#include <cmath>

#include "engine/chain/bit_crush.h"
#include "engine/chain/finite_param.h"
#include "engine/dsp/louder_side.h"
#include "engine/dsp/unit_range.h"
#include "engine/machine/pitch_step.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {

// A hit starts at full level when its attack is next to nothing.
constexpr HitEnvelopeFloors kEnvelopeFloors{1e-5f, 0.0, 0.0001};

}  // namespace

SampleMachine::SampleMachine() {
  for (int i = 0; i < kParamCount; ++i) fallback_[i] = ownParamInfo(kMachineSample, i).defaultValue;
  prepare(44100.0);
}

float SampleMachine::value(const ModLayers& mod, int index) const {
  return finiteParam(mod, index, fallback_[index]);
}

void SampleMachine::prepare(double sampleRate) {
  rate_ = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : 44100.0;
  active_ = false;
  needsSetup_ = false;
  envelope_.prepare();
  position_ = 0.0;
  heldL_ = heldR_ = holdCounter_ = 0.0f;
  lpL_ = lpR_ = 0.0f;
  smoothing_ = static_cast<float>(std::exp(-1.0 / (rate_ * 0.003)));
  pitchMemo_.reset();
  lpMemo_.reset();
}

int SampleMachine::paramCount() const { return ownParamCount(kMachineSample); }

ParamInfo SampleMachine::paramInfo(int index) const { return ownParamInfo(kMachineSample, index); }

void SampleMachine::trigger(float note, float velocity) {
  note_ = std::isfinite(note) ? note : 60.0f;
  velocity_ = std::isfinite(velocity) ? velocity : 0.0f;
  envelope_.restart();
  heldL_ = heldR_ = holdCounter_ = 0.0f;
  lpL_ = lpR_ = 0.0f;
  active_ = true;
  needsSetup_ = true;
}

void SampleMachine::renderMono(float* out, int frames, const ModLayers& mod) {
  render<false>(out, nullptr, frames, mod);
}

void SampleMachine::renderStereo(float* left, float* right, int frames, const ModLayers& mod) {
  render<true>(left, right, frames, mod);
}

void SampleMachine::setUp(const ModLayers& mod) {
  needsSetup_ = false;
  if (!snapshot_) {
    active_ = false;
    return;
  }
  const SampleSlotInfo& info = snapshot_->slotOrEmpty(mod.choice(kSlot));
  if (!info.left || info.frames < 1) {
    active_ = false;
    return;
  }
  slot_ = info;

  float s = 0.0f;
  float e = 1.0f;
  if (!mod.flag(kWindowMode)) {
    s = clamp01NanTo0(value(mod, kStart));
    e = clamp01NanTo0(value(mod, kEnd));
  } else if (info.slices && info.sliceCount >= 1) {
    const int n = std::min<int>(info.sliceCount, kSnapshotMaxSlices);
    const int i = std::clamp(mod.choice(kSlice), 0, n - 1);
    s = clamp01NanTo0(info.slices[i]);
    e = i + 1 < n ? clamp01NanTo0(info.slices[i + 1]) : 1.0f;
  }
  if (e < s) std::swap(s, e);

  const std::int32_t frames = info.frames;
  start_ = std::clamp(static_cast<std::int32_t>(static_cast<double>(frames) * s), 0, frames);
  std::int32_t end = static_cast<std::int32_t>(static_cast<double>(frames) * e);
  if (end < start_ + 1) end = start_ + 1;
  if (end > frames) end = frames;
  end_ = end;
  // A window that begins at the very end of the sample holds no frame:
  // it plays silence, and a loop over it could never advance.
  if (end_ - start_ < 1) {
    active_ = false;
    return;
  }

  loopJump_ = false;
  declickL_ = declickR_ = 0.0f;
  lastRawL_ = lastRawR_ = 0.0f;
  reverse_ = mod.flag(kReverse);
  position_ = reverse_ ? static_cast<double>(end_ - 1) : static_cast<double>(start_);

  float g = std::pow(10.0f, value(mod, kGain) * 0.05f);
  if (mod.flag(kNormalize) && info.peak > 1e-6f) g *= 1.0f / info.peak;
  gain_ = g;
  fadeIn_ = std::clamp(value(mod, kFadeIn), 0.0f, 1.0f);
  fadeOut_ = std::clamp(value(mod, kFadeOut), 0.0f, 1.0f);
}

template <bool Stereo>
void SampleMachine::render(float* left, float* right, int frames, const ModLayers& mod) {
  if (!active_ || frames < 1) return;
  if (needsSetup_) {
    setUp(mod);
    if (!active_) return;
  }

  const bool oneShot = !mod.flag(kLoop);
  double step = sampleReadStep(pitchMemo_, value(mod, kTune), note_, slot_.sampleRate, rate_);
  if (reverse_) step = -step;
  const HitEnvelopeSteps envelopeSteps =
      envelope_.steps(value(mod, kAttack), value(mod, kDecay), rate_, kEnvelopeFloors);

  const double len = static_cast<double>(end_ - start_);
  const float crush = value(mod, kCrush);
  const bool crushOn = crush < 16.0f;
  const float levels = bitCrushLevels(crush);
  const float srr = value(mod, kSrr);
  const bool srrOn = srr > 0.0f;
  const float srrStep = 1.0f + 49.0f * std::clamp(srr, 0.0f, 1.0f);
  const bool fadesOn = (fadeIn_ > 0.0f || fadeOut_ > 0.0f) && len >= 1.0;
  const float lp = value(mod, kLp);
  const bool lpOn = lp < 19000.0f;
  const float lpCoeff = static_cast<float>(lpMemo_.get(lp, [this](double f) {
    return 1.0f - std::exp(static_cast<float>(-kTwoPi) * std::max(static_cast<float>(f), 0.0f) /
                           static_cast<float>(rate_));
  }));
  const double endFade = std::max(std::min(rate_ * 0.003 * std::fabs(step), 0.25 * len), 1.0);
  const float level = value(mod, kLevel);

  const float* srcL = slot_.left;
  const float* srcR = slot_.right ? slot_.right : slot_.left;
  const std::int32_t last = slot_.frames - 1;
  const double start = static_cast<double>(start_);
  const double end = static_cast<double>(end_);

  for (int n = 0; n < frames; ++n) {
    // Read with linear interpolation, always inside the sample.
    const std::int32_t i = std::clamp(static_cast<std::int32_t>(position_), 0, last);
    const std::int32_t j = std::min(i + 1, last);
    const float f = static_cast<float>(position_ - static_cast<double>(i));
    float l = srcL[i] + (srcL[j] - srcL[i]) * f;
    float r = 0.0f;
    if constexpr (Stereo)
      r = srcR[i] + (srcR[j] - srcR[i]) * f;
    else if (slot_.right)
      l = louderSide(l, srcR[i] + (srcR[j] - srcR[i]) * f);

    // Loop declick: carry the jump's step and let it fade out.
    if (loopJump_) {
      loopJump_ = false;
      declickL_ += lastRawL_ - l;
      declickR_ += lastRawR_ - r;
    }
    lastRawL_ = l;
    lastRawR_ = r;
    if (declickL_ != 0.0f || declickR_ != 0.0f) {
      l += declickL_;
      r += declickR_;
      declickL_ *= smoothing_;
      declickR_ *= smoothing_;
      if (std::fabs(declickL_) < 1e-6f && std::fabs(declickR_) < 1e-6f) declickL_ = declickR_ = 0.0f;
    }

    // Crush, rate reduction, low-pass.
    if (crushOn) {
      l = bitCrush(l, levels);
      if constexpr (Stereo) r = bitCrush(r, levels);
    }
    if (srrOn) {
      if (holdCounter_ <= 0.0f) {
        heldL_ = l;
        heldR_ = r;
        holdCounter_ += srrStep;
      }
      l = heldL_;
      r = heldR_;
      holdCounter_ -= 1.0f;
    }
    if (lpOn) {
      lpL_ += (l - lpL_) * lpCoeff;
      if (std::fabs(lpL_) < 1e-15f) lpL_ = 0.0f;
      l = lpL_;
      if constexpr (Stereo) {
        lpR_ += (r - lpR_) * lpCoeff;
        if (std::fabs(lpR_) < 1e-15f) lpR_ = 0.0f;
        r = lpR_;
      }
    }

    // Window fades and the one-shot end fade.
    float g = gain_;
    if (fadesOn) {
      const float t = static_cast<float>(std::clamp((position_ - start) / len, 0.0, 1.0));
      const float fadeInFactor = (fadeIn_ > 0.0f && t < fadeIn_) ? t / fadeIn_ : 1.0f;
      if (fadeOut_ > 0.0f && t > 1.0f - fadeOut_) {
        g = g * (1.0f - t) / fadeOut_ * fadeInFactor;
      } else {
        g = g * fadeInFactor;
      }
    }
    if (oneShot) {
      const double remaining = reverse_ ? position_ - start : end - position_;
      g *= static_cast<float>(std::clamp(remaining / endFade, 0.0, 1.0));
    }

    // Output.
    const float a = level * envelope_.level() * velocity_ * g;
    left[n] += a * l;
    if constexpr (Stereo) right[n] += a * r;

    // Envelope (the hit's first sample plays at 0).
    envelope_.advance(envelopeSteps);

    // Advance; loops wrap in one step whatever the pitch.
    position_ += step;
    if (!reverse_) {
      if (position_ >= end) {
        if (oneShot) {
          active_ = false;
          return;
        }
        position_ = start + std::fmod(position_ - start, len);
        if (!(position_ >= start && position_ < end)) position_ = start;
        loopJump_ = true;
      }
    } else if (position_ < start) {
      if (oneShot) {
        active_ = false;
        return;
      }
      const double over = std::fmod(start - position_, len);
      position_ = over > 0.0 ? start + (len - over) : start;
      if (!(position_ >= start && position_ < end)) position_ = start;
      loopJump_ = true;
    }

    // A decayed voice ends.
    if (envelope_.ended()) {
      active_ = false;
      return;
    }
  }
}

}  // namespace ob
