#pragma once
#include <cmath>
#include <cstdint>

#include "engine/drum/drum_distortion.h"
#include "engine/drum/drum_params.h"
#include "engine/drum/sample_read.h"
#include "engine/drum/string_loop.h"
#include "engine/drum/wave_bank.h"
#include "engine/dsp/fast_math.h"
#include "engine/dsp/noise.h"
#include "engine/dsp/svf.h"
#include "engine/machine/mod_layers.h"

namespace ob {

// The resonator that rings after the strike: sine, shell, modal, recorded,
// metal, string, FM or wavetable. Parameters are read once per render
// call; tick() makes one sample.
struct DrumBody {
  static constexpr int kModes = 5;

  // Voice state.
  int type = 0;
  double phase[6] = {};  // radians; the wave body keeps cycles in [0, 1)
  float modalAmp[kModes] = {};
  Svf metal1;
  Svf metal2;
  StringLoop string;
  double samplePos = 0.0;
  float sampleLp = 0.0f;
  float envelope = 0.0f;
  float second = 0.0f;  // pitch or modulation envelope
  std::int32_t hold = -1;
  bool stringStarted = false;

  // Values of the current render call.
  double rate = 44100.0;
  const float* waveBank = nullptr;
  double freq = 0.0;  // res_tune at the note
  float noteOfFactor = 60.0f;
  double noteFactor = 1.0;  // 2^((note - 60) / 12), kept while the note stays
  double phaseScale = 0.0;
  float tone = 0.0f;
  float aux1 = 0.0f;
  float aux2 = 0.0f;
  float decay = 0.0f;
  float decayMul = 0.0f;
  float secondDecayMul = 0.0f;
  float modalMul[kModes] = {};
  float modalMulDecay = -1.0f;  // the decay modalMul was taken for; < 0 none
  double modalInc[kModes] = {};
  float modalWeight = 0.0f;
  double inc[6] = {};
  float depth = 0.0f;
  float coef = 0.0f;
  bool reverse = false;
  const SampleSlotInfo* slot = nullptr;
  double speed = 0.0;
  double fadeDen = 0.0;
  float mix = 0.0f;  // metal noise share
  const float* table1 = nullptr;
  const float* table2 = nullptr;
  float waveMix = 0.0f;
  bool detune = false;
  // Inputs the coefficients above were derived from (see DrumExciter).
  struct Inputs {
    int type = -1;
    double freq = 0.0;
    float tone = 0.0f, aux1 = 0.0f, aux2 = 0.0f, decay = 0.0f;
    bool operator==(const Inputs&) const = default;
  } derivedFrom;

  void prepare(double sampleRate, const float* bank);
  void clear();
  void trigger();
  // The hold length of the sine body is fixed at the first block of a hit.
  void beginBlock(const DrumParamValues& mod, float note, const SamplePoolSnapshot* snapshot);

  bool sounding() const {
    if (type < drum_param::kBodySine || type > drum_param::kBodyWave) return false;
    const float lvl = type == drum_param::kBodyModal ? modalAmp[0] : envelope;
    return lvl > 0.0001f;
  }

  // One sample; `input` drives only the string. The drive is applied in the
  // body when inBody is set.
  float tick(float input, const DrumDistortion& dist, bool inBody, std::uint32_t& noise1);
  // The same for a body type fixed at compile time (the render loops are
  // instantiated per body type so that this inlines).
  template <int Type>
  float tickAs(float input, const DrumDistortion& dist, bool inBody, std::uint32_t& noise1);
  template <int Type>
  bool soundingAs() const {
    if constexpr (Type < drum_param::kBodySine || Type > drum_param::kBodyWave) {
      return false;
    } else {
      return (Type == drum_param::kBodyModal ? modalAmp[0] : envelope) > 0.0001f;
    }
  }

 private:
  float waveRead(double psi) const {
    const double x = psi * kWavePoints;
    const int j = static_cast<int>(x);
    const float frac = static_cast<float>(x - j);
    const float a = table1[j] + (table1[j + 1] - table1[j]) * frac;
    const float b = table2[j] + (table2[j + 1] - table2[j]) * frac;
    return a + (b - a) * waveMix;
  }
  float decayEnvelope(float raw) {
    const float out = raw * envelope;
    envelope *= decayMul;
    if (envelope < 1e-30f) envelope = 0.0f;
    return out;
  }
};

template <int Type>
[[gnu::always_inline]] inline float DrumBody::tickAs(float input, const DrumDistortion& dist, bool inBody,
                                                     std::uint32_t& noise1) {
  using namespace drum_param;
  (void)input;
  (void)noise1;
  if constexpr (Type == kBodySine) {
    float raw = fastSinPhase(static_cast<float>(phase[0]));
    if (inBody) raw = dist.apply(raw);
    const float semis = depth * second;
    const double f = semis != 0.0f ? freq * std::exp2(semis * (1.0f / 12.0f)) : freq;
    phase[0] = wrapPhase(phase[0] + phaseScale * f);
    if (hold >= 1) {
      --hold;
    } else {
      second *= secondDecayMul;
      if (second < 1e-30f) second = 0.0f;
    }
    return decayEnvelope(raw);
  } else if constexpr (Type == kBodyShell) {
    float raw = 0.5f * (fastSinPhase(static_cast<float>(phase[0])) +
                        fastSinPhase(static_cast<float>(phase[1])) * (0.7f * tone + 0.3f));
    if (inBody) raw = dist.apply(raw);
    const double m = 1.0 + static_cast<double>(aux1 * second);
    phase[0] = wrapPhase(phase[0] + inc[0] * m);
    phase[1] = wrapPhase(phase[1] + inc[1] * m);
    second *= secondDecayMul;
    if (second < 1e-30f) second = 0.0f;
    return decayEnvelope(raw);
  } else if constexpr (Type == kBodyModal) {
    const Float4 upper = fastSinPhase4(Float4{static_cast<float>(phase[1]), static_cast<float>(phase[2]),
                                              static_cast<float>(phase[3]), static_cast<float>(phase[4])});
    const float a0 = modalAmp[0];
    // The reciprocal is taken off the sample's critical path.
    const float invA0 = a0 > 1e-6f ? 1.0f / a0 : 0.0f;
    float sum = fastSinPhase(static_cast<float>(phase[0])) * a0;
    sum += upper[0] * modalAmp[1] * modalWeight;
    sum += upper[1] * modalAmp[2] * modalWeight;
    sum += upper[2] * modalAmp[3] * modalWeight;
    sum += upper[3] * modalAmp[4] * modalWeight;
    float raw = 0.5f * sum;
    if (inBody) raw = a0 > 1e-6f ? dist.apply(raw * invA0) * a0 : dist.apply(raw);
    for (int m = 0; m < kModes; ++m) {
      phase[m] = wrapPhase(phase[m] + modalInc[m]);
      modalAmp[m] *= modalMul[m];
      if (modalAmp[m] < 1e-30f) modalAmp[m] = 0.0f;
    }
    return raw;
  } else if constexpr (Type == kBodySample) {
    if (slot == nullptr || samplePos >= slot->frames) {
      envelope = 0.0f;
      return 0.0f;
    }
    const double idx = reverse ? slot->frames - 1 - samplePos : samplePos;
    sampleLp += coef * (readLinear(*slot, idx) - sampleLp);
    double fade = fadeDen > 0.0 ? (slot->frames - samplePos) / fadeDen : 1.0;
    fade = fade < 0.0 ? 0.0 : (fade > 1.0 ? 1.0 : fade);
    samplePos += speed;
    float raw = static_cast<float>(fade) * sampleLp;
    if (inBody) raw = dist.apply(raw);
    return decayEnvelope(raw);
  } else if constexpr (Type == kBodyMetal) {
    float sq = 0.0f;
    for (int j = 0; j < 6; ++j) {
      sq += phase[j] <= kPi ? 1.0f : -1.0f;
      phase[j] = wrapPhase(phase[j] + inc[j]);
    }
    float raw = metal1.tick(sq * (1.0f / 6.0f)).high;
    if (mix > 0.0f) {
      const float n = metal2.tick(whiteNoise(noise1)).band;
      raw = mix * n + (1.0f - mix) * raw;
    }
    if (inBody) raw = dist.apply(raw);
    return decayEnvelope(raw);
  } else if constexpr (Type == kBodyString) {
    if (string.buffer.empty()) {
      envelope = 0.0f;
      return 0.0f;
    }
    if (!stringStarted) {
      string.start(freq);
      stringStarted = true;
    }
    string.update(tone, decay);
    const float y = string.tick(input);
    const float ay = std::fabs(y);
    envelope = ay > envelope ? ay : envelope * 0.9995f;
    return inBody ? dist.apply(y) : y;
  } else if constexpr (Type == kBodyFm) {
    float raw =
        std::sin(static_cast<float>(phase[0]) + fastSinPhase(static_cast<float>(phase[1])) * depth * second);
    if (inBody) raw = dist.apply(raw);
    phase[0] = wrapPhase(phase[0] + inc[0]);
    phase[1] = wrapPhase(phase[1] + inc[1]);
    second *= secondDecayMul;
    if (second < 1e-30f) second = 0.0f;
    return decayEnvelope(raw);
  } else if constexpr (Type == kBodyWave) {
    if (table1 == nullptr) {
      envelope = 0.0f;
      return 0.0f;
    }
    const float s1 = waveRead(phase[0]);
    phase[0] += inc[0];
    if (phase[0] >= 1.0) phase[0] -= 1.0;
    float raw = s1;
    if (detune) {
      raw = 0.5f * (s1 + waveRead(phase[1]));
      phase[1] += inc[1];
      if (phase[1] >= 1.0) phase[1] -= 1.0;
    }
    if (inBody) raw = dist.apply(raw);
    return decayEnvelope(raw);
  } else {
    (void)dist;
    (void)inBody;
    return 0.0f;
  }
}

inline float DrumBody::tick(float input, const DrumDistortion& dist, bool inBody, std::uint32_t& noise1) {
  using namespace drum_param;
  switch (type) {
    case kBodySine: return tickAs<kBodySine>(input, dist, inBody, noise1);
    case kBodyShell: return tickAs<kBodyShell>(input, dist, inBody, noise1);
    case kBodyModal: return tickAs<kBodyModal>(input, dist, inBody, noise1);
    case kBodySample: return tickAs<kBodySample>(input, dist, inBody, noise1);
    case kBodyMetal: return tickAs<kBodyMetal>(input, dist, inBody, noise1);
    case kBodyString: return tickAs<kBodyString>(input, dist, inBody, noise1);
    case kBodyFm: return tickAs<kBodyFm>(input, dist, inBody, noise1);
    case kBodyWave: return tickAs<kBodyWave>(input, dist, inBody, noise1);
    default: return 0.0f;
  }
}

}  // namespace ob
