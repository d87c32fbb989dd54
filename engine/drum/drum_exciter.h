#pragma once
#include <cmath>
#include <cstdint>

#include "engine/drum/drum_params.h"
#include "engine/drum/sample_read.h"
#include "engine/dsp/fast_math.h"
#include "engine/dsp/noise.h"
#include "engine/dsp/pink_filter.h"
#include "engine/dsp/svf.h"
#include "engine/machine/mod_layers.h"

namespace ob {

struct ExciterSample {
  float mono;
  float left;
  float right;
};

// One of the drum's two strikes: click, knock, band-passed noise burst,
// recorded hit, clap or hiss. Parameters are read once per render call;
// tick() makes one sample.
struct DrumExciter {
  static constexpr int kCombLength = 53;

  // Voice state.
  int type = 0;
  float envelope = 0.0f;
  float pitchEnvelope = 0.0f;
  double phase = 0.0;
  bool stageDone = false;  // bp-noise: attack finished; clap: tail reached
  Svf filterA;
  float stateA = 0.0f;
  double position = 0.0;  // recorded hit position or clap sample counter
  PinkFilter pinkA;
  float combA[kCombLength] = {};
  int combIndexA = 0;
  Svf filterB;
  float stateB = 0.0f;
  PinkFilter pinkB;
  float combB[kCombLength] = {};
  int combIndexB = 0;

  // Values of the current render call.
  double rate = 44100.0;
  bool live = false;  // a known type with a level above 0
  bool side = false;  // a stereo render with a side channel for this type
  float level = 0.0f;
  float width = 0.0f;
  float widthNorm = 1.0f;  // 1 / sqrt(1 + w^2)
  float decayMul = 0.0f;
  float pitchDecayMul = 0.0f;
  float coef = 0.0f;  // one-pole coefficient of click and recorded hit
  float knockBase = 0.0f;
  float knockDepth = 0.0f;
  double phaseScale = 0.0;  // 2 pi / rate
  float attackGain = 1.0f;
  float attackStep = 1.0f;
  int colour = 0;
  bool reverse = false;
  const SampleSlotInfo* slot = nullptr;
  double speed = 0.0;
  double fadeDen = 0.0;
  double spacing = 0.0;  // clap burst spacing in samples
  double burstTime = 1.0;
  double tailTime = 1.0;
  float clapL[3] = {};  // per-burst left and right gains (stereo clap)
  float clapR[3] = {};
  // Inputs the coefficients above were derived from; unchanged inputs skip
  // the transcendental set-up work at the next block.
  struct Inputs {
    int type = -1;
    float tone = 0.0f, decay = 0.0f, aux1 = 0.0f, aux2 = 0.0f, width = 0.0f;
    bool operator==(const Inputs&) const = default;
  } derivedFrom;

  void prepare(double sampleRate);
  void clear();
  void trigger();
  // Reads the exciter's keys (base 0 or 7). widthIndex < 0 for a mono render.
  void beginBlock(const DrumParamValues& mod, int base, int widthIndex, const SamplePoolSnapshot* snapshot);

  bool sounding() const {
    if (!live) return false;
    if (envelope > 0.0001f) return true;
    return (type == drum_param::kExcBpNoise || type == drum_param::kExcClap) && !stageDone;
  }

  // False once tick() can only return silence for the rest of the hit: the
  // decaying types stop advancing below the threshold.
  bool ticking() const {
    using namespace drum_param;
    return live && (!(envelope < 0.0001f) || type == kExcBpNoise || type == kExcClap);
  }

  template <bool Stereo>
  ExciterSample tick(std::uint32_t& noise1, std::uint32_t& noise2);

 private:
  float clapBurst(double t, int i) const;
};

inline float DrumExciter::clapBurst(double t, int i) const {
  const double since = t - i * spacing;
  if (since < 0.0) return -1.0f;  // not started
  const double x = since / burstTime;
  return x > 80.0 ? 0.0f : static_cast<float>(std::exp(-x));
}

template <bool Stereo>
[[gnu::always_inline]] inline ExciterSample DrumExciter::tick(std::uint32_t& noise1, std::uint32_t& noise2) {
  using namespace drum_param;
  if (!ticking()) return {0.0f, 0.0f, 0.0f};
  const bool sideOn = Stereo && side;
  float m = 0.0f;
  float s = 0.0f;
  switch (type) {
    case kExcClick: {
      stateA += coef * (whiteNoise(noise1) - stateA);
      m = stateA * envelope;
      if (sideOn) {
        stateB += coef * (whiteNoise(noise2) - stateB);
        s = stateB * envelope;
      }
      envelope *= decayMul;
      break;
    }
    case kExcKnock: {
      m = fastSinPhase(static_cast<float>(phase)) * envelope;
      const float semis = knockDepth * pitchEnvelope;
      const double freq = semis != 0.0f ? knockBase * std::exp2(semis * (1.0f / 12.0f)) : knockBase;
      phase = wrapPhase(phase + phaseScale * freq);
      envelope *= decayMul;
      pitchEnvelope *= pitchDecayMul;
      if (pitchEnvelope < 1e-30f) pitchEnvelope = 0.0f;
      break;
    }
    case kExcBpNoise: {
      const float band = filterA.tick(whiteNoise(noise1)).band;
      float gain = 1.0f;
      if (!stageDone) {
        gain = attackGain;
        envelope += attackStep;
        if (envelope >= 1.0f) {
          envelope = 1.0f;
          stageDone = true;
        }
      } else {
        envelope *= decayMul;
        if (envelope < 1e-30f) envelope = 0.0f;
      }
      m = envelope * band * gain;
      if (sideOn) s = filterB.tick(whiteNoise(noise2)).band * envelope * gain;
      break;
    }
    case kExcSample: {
      if (slot == nullptr || position >= slot->frames) {
        envelope = 0.0f;
        return {0.0f, 0.0f, 0.0f};
      }
      const double idx = reverse ? slot->frames - 1 - position : position;
      stateA += coef * (readLinear(*slot, idx) - stateA);
      double fade = fadeDen > 0.0 ? (slot->frames - position) / fadeDen : 1.0;
      fade = fade < 0.0 ? 0.0 : (fade > 1.0 ? 1.0 : fade);
      m = static_cast<float>(fade) * envelope * stateA;
      position += speed;
      envelope *= decayMul;
      break;
    }
    case kExcClap: {
      const float band = filterA.tick(whiteNoise(noise1)).band;
      const double t = position;
      const double twoS = 2.0 * spacing;
      float tail = 0.0f;
      if (t >= twoS) {
        const double x = (t - twoS) / tailTime;
        tail = x > 80.0 ? 0.0f : 0.7f * static_cast<float>(std::exp(-x));
      }
      // The latest burst to start is always the loudest one.
      const int latest = t >= twoS ? 2 : (t >= spacing ? 1 : 0);
      const float burst = clapBurst(t, latest);
      envelope = tail > burst ? tail : burst;
      stageDone = t >= twoS;
      position = t + 1.0;
      m = envelope * band;
      if (sideOn) {
        const float b2 = filterB.tick(whiteNoise(noise2)).band;
        float lEnv = 0.0f;
        float rEnv = 0.0f;
        for (int i = 0; i <= latest; ++i) {
          const float bi = clapBurst(t, i);
          if (bi < 0.0f) continue;
          const float l = clapL[i] * bi;
          const float r = clapR[i] * bi;
          lEnv = l > lEnv ? l : lEnv;
          rEnv = r > rEnv ? r : rEnv;
        }
        const float l = (band + width * b2) * widthNorm * (tail > lEnv ? tail : lEnv);
        const float r = (band - width * b2) * widthNorm * (tail > rEnv ? tail : rEnv);
        return {m * level, l * level, r * level};
      }
      break;
    }
    case kExcHpNoise: {
      float x = whiteNoise(noise1);
      if (colour == 1) {
        x = pinkA.process(x) * 0.893f;
      } else if (colour >= 2) {
        combA[combIndexA] = combA[combIndexA] * 0.85f + x;
        x = combA[combIndexA] * 0.3f;
        if (++combIndexA == kCombLength) combIndexA = 0;
      }
      m = filterA.tick(x).high * envelope;
      if (sideOn) {
        float x2 = whiteNoise(noise2);
        if (colour == 1) {
          x2 = pinkB.process(x2) * 0.893f;
        } else if (colour >= 2) {
          combB[combIndexB] = combB[combIndexB] * 0.85f + x2;
          x2 = combB[combIndexB] * 0.3f;
          if (++combIndexB == kCombLength) combIndexB = 0;
        }
        s = filterB.tick(x2).high * envelope;
      }
      envelope *= decayMul;
      break;
    }
    default: return {0.0f, 0.0f, 0.0f};
  }
  const float mono = m * level;
  if (!sideOn) return {mono, mono, mono};
  const float ws = width * s;
  return {mono, (m + ws) * widthNorm * level, (m - ws) * widthNorm * level};
}

}  // namespace ob
