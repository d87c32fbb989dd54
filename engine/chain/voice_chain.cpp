#include "engine/chain/voice_chain.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/chain/bit_crush.h"
#include "engine/chain/drive_shape.h"
#include "engine/clock/tempo.h"
#include "engine/dsp/fast_math.h"
#include "engine/machine/layer_sums.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {

constexpr float kTiny = 1e-15f;
constexpr int kSpaceChunk = 64;

float onePoleCoeff(double rate, double seconds) {
  return static_cast<float>(1.0 - std::exp(-1.0 / (rate * seconds)));
}

float flushTiny(float v) { return std::fabs(v) < kTiny ? 0.0f : v; }

typedef float Vec4 __attribute__((vector_size(16)));
inline Vec4 load4(const float* p) {
  Vec4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

}  // namespace

double divisionBeats(int code) {
  static constexpr double kBeats[10] = {0.125, 1.0 / 6.0, 0.25, 0.375, 1.0 / 3.0, 0.5, 0.75, 1.0, 2.0, 4.0};
  return kBeats[std::clamp(code, 0, 9)];
}

struct VoiceChain::Params {
  static constexpr int kCommonCount = 21;  // voice_rev is the player's
  static constexpr int kSumWidth = 24;
  float tsAttack, tsSustain;
  float fltCutoff, fltReso;
  float fltType;  // choice sums, rounded where they are used
  float ampAttack, ampHold, ampDecay;
  float fxDrive;
  float fxShape;
  float fxCrush, fxSrr;
  float flt2Cutoff, flt2Reso;
  float flt2Type;
  bool ampSync;
  float atkDiv, decDiv;
  float spaceSize, spaceMix, spaceDamp;

  Params(const ModLayers& m, int b, const float* fallback) {
    // All common sums at once, layer by layer in layer order (the same
    // sums as ModLayers::value, in one vectorisable pass).
    // A run of 24 keeps the loops in whole vector widths; the three extra
    // columns are read and ignored.
    alignas(16) float v[kSumWidth];
    const bool inside = b >= 0 && b + kSumWidth <= ModLayers::kSlots;
    bool allFinite = false;
    if (inside) {
      sumLayerColumns(m, b, kSumWidth, v);
      Vec4 check = {0.0f, 0.0f, 0.0f, 0.0f};
      for (int j = 0; j < kSumWidth; j += 4) {
        const Vec4 acc = load4(&v[j]);
        check += acc - acc;  // stays 0 unless a sum is NaN or infinite
      }
      allFinite = check[0] == 0.0f && check[1] == 0.0f && check[2] == 0.0f && check[3] == 0.0f;
    } else {
      for (int j = 0; j < kCommonCount; ++j) v[j] = m.value(b + j);
    }
    if (!allFinite) {
      for (int j = 0; j < kCommonCount; ++j) {
        if (!std::isfinite(v[j])) v[j] = fallback[j];
      }
    }
    tsAttack = v[voice::kTsAttack];
    tsSustain = v[voice::kTsSustain];
    fltCutoff = v[voice::kFltCutoff];
    fltReso = v[voice::kFltReso];
    fltType = v[voice::kFltType];
    ampAttack = v[voice::kAmpAttack];
    ampHold = v[voice::kAmpHold];
    ampDecay = v[voice::kAmpDecay];
    fxDrive = v[voice::kFxDrive];
    fxShape = v[voice::kFxShape];
    fxCrush = v[voice::kFxCrush];
    fxSrr = v[voice::kFxSrr];
    flt2Cutoff = v[voice::kFlt2Cutoff];
    flt2Reso = v[voice::kFlt2Reso];
    flt2Type = v[voice::kFlt2Type];
    ampSync = v[voice::kAmpSync] >= 0.5f;
    atkDiv = v[voice::kAmpAtkDiv];
    decDiv = v[voice::kAmpDecDiv];
    spaceSize = v[voice::kSpaceSize];
    spaceMix = v[voice::kSpaceMix];
    spaceDamp = v[voice::kSpaceDamp];
  }
};

VoiceChain::VoiceChain() {
  for (int j = 0; j < kCommonParamCount; ++j) fallback_[j] = commonParamInfo(j).defaultValue;
  prepare(44100.0);
}

void VoiceChain::prepare(double sampleRate) {
  rate_ = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : 44100.0;
  fastAttack_ = onePoleCoeff(rate_, 0.0005);
  fastRelease_ = onePoleCoeff(rate_, 0.020);
  slowAttack_ = onePoleCoeff(rate_, 0.005);
  slowRelease_ = onePoleCoeff(rate_, 0.150);
  driveCoeff_ = onePoleCoeff(rate_, 0.020);
  velocityCoeff_ = onePoleCoeff(rate_, 0.003);
  space_.setRate(rate_);
  space_.setTimes(1.0f, 0.5f, 0.5f, 4000.0f);
  space_.clear();
  for (FilterCache& c : filterCache_) c = FilterCache{};
  silenceLimit_ = std::max(static_cast<std::int32_t>(rate_ * 0.0015), 1);
  reset();
  silentCounter_ = silenceLimit_;
}

void VoiceChain::reset() {
  decayLevel_ = 1.0f;
  fast_ = slow_ = 0.0f;
  envCounter_ = 0;
  attackLatched_ = false;
  holdCounter_ = 0.0f;
  heldL_ = heldR_ = 0.0f;
  driveRamp_.restart();
  for (Svf& f : filters_) f.reset();
  firstBlock_ = true;
  space_.clear();
  silentCounter_ = silenceLimit_;
  tail_ = false;
  measured_ = false;
  blockPeak_ = 0.0f;
  sampleCount_ = 0;
  roomWait_ = 0;
  for (float& v : lastInput_) v = 0.0f;
  filterWasOn_[0] = filterWasOn_[1] = false;
}

void VoiceChain::resetForHit() {
  decayLevel_ = 1.0f;
  fast_ = slow_ = 0.0f;
  envCounter_ = 0;
  attackLatched_ = false;
  holdCounter_ = 0.0f;
  heldL_ = heldR_ = 0.0f;
  driveRamp_.restart();
  firstBlock_ = true;
}

void VoiceChain::setVelocity(float velocity) {
  // NaN falls to the floor too, so the divide never sees zero.
  const float v = velocity > 0.001f ? velocity : 0.001f;
  velocity_ = velocityTarget_ = v;
}

void VoiceChain::processMono(float* buffer, int frames, const ModLayers& mod, int base) {
  process<false>(buffer, nullptr, frames, mod, base);
}

void VoiceChain::processStereo(float* left, float* right, int frames, const ModLayers& mod, int base) {
  process<true>(left, right, frames, mod, base);
}

template <bool Stereo>
void VoiceChain::process(float* left, float* right, int frames, const ModLayers& mod, int base) {
  if (frames < 1) return;
  const Params p(mod, base, fallback_);

  // Envelope times, in seconds or synced to the tempo.
  float attackTime = p.ampAttack;
  float decayTime = p.ampDecay;
  if (p.ampSync) {
    const double secondsPerBeat = 60.0 / effectiveTempo(tempo_);
    attackTime = static_cast<float>(secondsPerBeat * divisionBeats(roundHalfUp(p.atkDiv)));
    decayTime = static_cast<float>(secondsPerBeat * divisionBeats(roundHalfUp(p.decDiv)));
  }

  // Transient shaper; its followers freeze while it is neutral.
  if (p.tsAttack != 0.0f || p.tsSustain != 0.0f) {
    float fast = fast_, slow = slow_;
    for (int i = 0; i < frames; ++i) {
      const float a = Stereo ? std::max(std::fabs(left[i]), std::fabs(right[i])) : std::fabs(left[i]);
      fast += (a - fast) * (a > fast ? fastAttack_ : fastRelease_);
      slow += (a - slow) * (a > slow ? slowAttack_ : slowRelease_);
      const float d = (fast - slow) / (slow + fast + 1e-9f);
      const float gain =
          std::clamp(1.0f + p.tsAttack * std::max(d, 0.0f) + p.tsSustain * std::max(-d, 0.0f), 0.0f, 4.0f);
      left[i] *= gain;
      if constexpr (Stereo) right[i] *= gain;
    }
    fast_ = flushTiny(fast);
    slow_ = flushTiny(slow);
  }

  // Which per-sample stages (envelope, drive and shape, crush, rate
  // reduction) run this block.
  const bool envNeeded = !(!p.ampSync && p.ampAttack == 0.0f && p.ampHold >= 2.0f && p.ampDecay >= 8.0f);
  const float targetMix = driveMixTarget(p.fxDrive);
  if (firstBlock_) {
    driveMix_ = targetMix;
    firstBlock_ = false;
  }
  const bool driveOn = p.fxDrive > 1.0f || driveMix_ > 0.0f;
  if (driveOn) {
    driveRamp_.setTarget(p.fxDrive, mod);
  } else {
    driveRamp_.restart();
  }
  const bool crushOn = p.fxCrush < 16.0f;
  const bool srrOn = p.fxSrr > 0.0f;
  if (!attackLatched_) {
    latchedAttack_ = attackTime;
    attackLatched_ = true;
  }

  if (envNeeded || driveOn || crushOn || srrOn) {
    const std::int32_t na = static_cast<std::int32_t>(
        std::min(static_cast<double>(std::max(latchedAttack_, 0.0f)) * rate_, 2.0e9));
    const std::int32_t nh = static_cast<std::int32_t>(
        std::min(static_cast<double>(std::max(p.ampHold, 0.0f)) * rate_ + na, 2.1e9));
    if (decayTime != decayFactorTime_ || rate_ != decayFactorRate_) {
      decayFactor_ =
          static_cast<float>(std::exp(-1.0 / (std::max(static_cast<double>(decayTime), 0.0001) * rate_)));
      decayFactorTime_ = decayTime;
      decayFactorRate_ = rate_;
    }
    const float decayFactor = decayFactor_;
    const float levels = bitCrushLevels(p.fxCrush);
    const float srrStep = 1.0f + 49.0f * std::clamp(p.fxSrr, 0.0f, 1.0f);
    const int shape = roundHalfUp(p.fxShape);
    float lastK = -1.0f;
    float tanhK = 0.0f;

    for (int i = 0; i < frames; ++i) {
      float xl = left[i];
      float xr = Stereo ? right[i] : 0.0f;

      if (envNeeded) {
        float g;
        const std::int32_t c = envCounter_;
        if (c < na) {
          g = static_cast<float>(c) / static_cast<float>(na);
        } else if (c >= nh) {
          decayLevel_ = flushTiny(decayLevel_ * decayFactor);
          g = decayLevel_;
        } else {
          g = 1.0f;
        }
        // The counter stops short of overflow on a voice held for hours.
        if (envCounter_ < std::numeric_limits<std::int32_t>::max()) ++envCounter_;
        xl *= g;
        if constexpr (Stereo) xr *= g;
      }

      velocity_ += (velocityTarget_ - velocity_) * velocityCoeff_;
      const float v = velocity_;

      if (driveOn) {
        float yl = xl / v;
        float yr = Stereo ? xr / v : 0.0f;
        driveMix_ += (targetMix - driveMix_) * driveCoeff_;
        if (targetMix == 0.0f && driveMix_ < 1e-6f) driveMix_ = 0.0f;
        const float k = std::clamp(driveRamp_.advance(), 1.0f, 16.0f);
        if (shape == kDriveTanh && k != lastK) {
          tanhK = fastTanh(k);
          lastK = k;
        }
        yl = driveSample(yl, k, shape, tanhK, driveMix_);
        if constexpr (Stereo) yr = driveSample(yr, k, shape, tanhK, driveMix_);
        if (driveMix_ == 0.0f && p.fxDrive <= 1.0f) driveRamp_.restart();
        if (crushOn) {
          yl = bitCrush(yl, levels);
          if constexpr (Stereo) yr = bitCrush(yr, levels);
        }
        xl = yl * v;
        if constexpr (Stereo) xr = yr * v;
      } else if (crushOn) {
        xl = bitCrush(xl / v, levels) * v;
        if constexpr (Stereo) xr = bitCrush(xr / v, levels) * v;
      }

      if (srrOn) {
        if (holdCounter_ <= 0.0f) {
          heldL_ = xl;
          heldR_ = xr;
          holdCounter_ += srrStep;
        }
        xl = heldL_;
        if constexpr (Stereo) xr = heldR_;
        holdCounter_ -= 1.0f;
      }

      left[i] = xl;
      if constexpr (Stereo) right[i] = xr;
    }
  }

  // The two filters.
  runFilter<Stereo>(0, left, right, frames, p.fltCutoff, p.fltReso, p.fltType);
  runFilter<Stereo>(1, left, right, frames, p.flt2Cutoff, p.flt2Reso, p.flt2Type);

  // Room send; the network waits untouched while the mix is off.
  if (p.spaceMix > 0.0f) {
    const float wet = space_.configure(p.spaceSize, p.spaceDamp) * p.spaceMix;
    runSpace<Stereo>(left, right, frames, wet);
    std::int32_t longest = 0;
    for (int k = 0; k < SpaceReverb::kLines; ++k) longest = std::max(longest, space_.line(k).delay);
    roomWait_ = longest;
  } else {
    roomWait_ = 0;
  }

  // A non-finite input sample (damaged audio) must not stay in the states.
  if (!std::isfinite(fast_ + slow_)) fast_ = slow_ = 0.0f;
  for (Svf& f : filters_) {
    if (!std::isfinite(f.ic1eq + f.ic2eq)) f.reset();
  }
  if (!std::isfinite(heldL_ + heldR_)) heldL_ = heldR_ = 0.0f;

  // Tail measurement.
  sampleCount_ += static_cast<std::uint32_t>(frames);
  if (p.fltCutoff >= 19999.0f && p.flt2Cutoff >= 19999.0f && p.spaceMix <= 0.0f) {
    measured_ = false;
  } else {
    measured_ = true;
    float peak = blockPeak_;
    for (int i = 0; i < frames; ++i) {
      peak = std::max(peak, std::fabs(left[i]));
      if constexpr (Stereo) peak = std::max(peak, std::fabs(right[i]));
    }
    blockPeak_ = peak;
  }
}

template <bool Stereo>
inline void VoiceChain::runFilter(int which, float* left, float* right, int frames, float cutoff, float reso,
                                  float typeSum) {
  // An open filter only remembers the input, so that it starts from there
  // when it closes; that short path stays inline.
  if (!(cutoff < 19999.0f)) {
    filterWasOn_[which] = false;
    lastInput_[which * 2] = left[frames - 1];
    if constexpr (Stereo) lastInput_[which * 2 + 1] = right[frames - 1];
    return;
  }
  runActiveFilter<Stereo>(which, left, right, frames, cutoff, reso, typeSum);
}

template <bool Stereo>
void VoiceChain::runActiveFilter(int which, float* left, float* right, int frames, float cutoff, float reso,
                                 float typeSum) {
  float* lastL = &lastInput_[which * 2];
  float* lastR = &lastInput_[which * 2 + 1];
  const int type = roundHalfUp(typeSum);
  FilterCache& cache = filterCache_[which];
  if (cutoff != cache.cutoff || reso != cache.reso) {
    const double fc = std::clamp(static_cast<double>(cutoff), 20.0, 0.45 * rate_);
    const float g = std::tan(static_cast<float>(kPi * fc / rate_));
    const float q = 0.5f + 9.0f * std::clamp(reso, 0.0f, 1.0f);
    cache.coeffs.setCoefficients(g, 1.0f / q);
    cache.cutoff = cutoff;
    cache.reso = reso;
  }
  Svf& fl = filters_[which * 2];
  Svf& fr = filters_[which * 2 + 1];
  fl.copyCoefficients(cache.coeffs);
  if constexpr (Stereo) fr.copyCoefficients(cache.coeffs);
  if (!filterWasOn_[which]) {
    // Start from where the signal was, not from zero, to avoid a step.
    fl.ic2eq = *lastL;
    fl.ic1eq = 0.0f;
    if constexpr (Stereo) {
      fr.ic2eq = *lastR;
      fr.ic1eq = 0.0f;
    }
    filterWasOn_[which] = true;
  }
  *lastL = left[frames - 1];
  if constexpr (Stereo) *lastR = right[frames - 1];
  if constexpr (Stereo) {
    if (type == 0) {
      processPair<SvfMode::kLow>(fl, fr, left, right, frames);
    } else if (type == 1) {
      processPair<SvfMode::kHigh>(fl, fr, left, right, frames);
    } else {
      processPair<SvfMode::kBand>(fl, fr, left, right, frames);
    }
  } else {
    auto pick = [type](const SvfOutput& o) { return type == 0 ? o.low : (type == 1 ? o.high : o.band); };
    for (int i = 0; i < frames; ++i) left[i] = pick(fl.tick(left[i]));
  }
}

template <bool Stereo>
void VoiceChain::runSpace(float* left, float* right, int frames, float wet) {
  float in[kSpaceChunk];
  float wl[kSpaceChunk];
  float wr[kSpaceChunk];
  for (int off = 0; off < frames; off += kSpaceChunk) {
    const int n = std::min(kSpaceChunk, frames - off);
    float* l = left + off;
    if constexpr (Stereo) {
      float* r = right + off;
      for (int i = 0; i < n; ++i) in[i] = 0.5f * (l[i] + r[i]);
      space_.process(in, wl, wr, n);
      for (int i = 0; i < n; ++i) {
        l[i] += wet * wl[i];
        r[i] += wet * wr[i];
      }
    } else {
      space_.process(l, wl, wr, n);
      for (int i = 0; i < n; ++i) l[i] += 0.5f * (wl[i] + wr[i]) * wet;
    }
  }
  if (!space_.finite()) space_.clear();
}

void VoiceChain::updateTail() {
  const std::int32_t limit = silenceLimit_ + roomWait_;
  if (!measured_) {
    silentCounter_ = limit;
  } else if (blockPeak_ > 1e-5f) {
    silentCounter_ = 0;
  } else {
    const std::int64_t grown = static_cast<std::int64_t>(silentCounter_) + sampleCount_;
    silentCounter_ = static_cast<std::int32_t>(std::min<std::int64_t>(grown, limit));
  }
  blockPeak_ = 0.0f;
  sampleCount_ = 0;
  tail_ = silentCounter_ < limit;
}

void VoiceChain::clearFilters() {
  for (Svf& f : filters_) f.reset();
  space_.clear();
}

}  // namespace ob
