#include "engine/drum/drum_exciter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/dsp/unit_range.h"

namespace ob {

void DrumExciter::prepare(double sampleRate) {
  rate = sampleRate;
  derivedFrom = Inputs{};
  phaseScale = kTwoPi / rate;
  pinkA.setup(rate);
  pinkB.setup(rate);
  clear();
}

void DrumExciter::clear() {
  envelope = pitchEnvelope = 0.0f;
  phase = 0.0;
  stageDone = false;
  filterA.reset();
  filterB.reset();
  stateA = stateB = 0.0f;
  position = 0.0;
  pinkA.clear();
  pinkB.clear();
  std::fill(std::begin(combA), std::end(combA), 0.0f);
  std::fill(std::begin(combB), std::end(combB), 0.0f);
  combIndexA = combIndexB = 0;
}

void DrumExciter::trigger() {
  clear();
  envelope = 1.0f;
  pitchEnvelope = 1.0f;
}

void DrumExciter::beginBlock(const DrumParamValues& mod, int base, int widthIndex,
                             const SamplePoolSnapshot* snapshot) {
  using namespace drum_param;
  type = mod.choice(base + kExcTypeOffset);
  // Held to a sane size so that no modulation sum can overflow the mix.
  level = clampf(finiteOr0(mod.value(base + kExcLevelOffset)), -1000.0f, 1000.0f);
  // A silent exciter (no type, an unknown one or no level) neither renders
  // nor holds the voice open.
  live = type >= kExcClick && type <= kExcHpNoise && level > 0.0f;
  if (!live) return;
  const float tone = clamp01(finiteOr0(mod.value(base + kExcToneOffset)));
  const float decay = finiteOr0(mod.value(base + kExcDecayOffset));
  const float aux1 = clamp01(finiteOr0(mod.value(base + kExcAux1Offset)));
  const float aux2 = clamp01(finiteOr0(mod.value(base + kExcAux2Offset)));
  reverse = mod.flag(base + kExcRevOffset);
  width = widthIndex >= 0 ? clamp01(finiteOr0(mod.value(widthIndex))) : 0.0f;
  side =
      width > 0.0f && (type == kExcClick || type == kExcBpNoise || type == kExcClap || type == kExcHpNoise);
  if (type == kExcSample) {  // the snapshot may change between blocks
    slot = usableSlot(snapshot, toSlotIndex(aux1));
    if (slot != nullptr) {
      speed = (slot->sampleRate / rate) * (1.5 * aux2 + 0.5);
      fadeDen = rate * 0.003 * speed;
    }
  }
  const Inputs inputs{type, tone, decay, aux1, aux2, width};
  if (inputs == derivedFrom) return;
  derivedFrom = inputs;
  widthNorm = 1.0f / std::sqrt(1.0f + width * width);
  decayMul = decayFactor(decay, rate);
  const float nyquistCap = static_cast<float>(0.45 * rate);

  switch (type) {
    case kExcClick: coef = 0.98f * tone + 0.02f; break;
    case kExcKnock:
      knockBase = 460.0f * tone + 40.0f;
      knockDepth = 24.0f * aux1;
      pitchDecayMul = decayFactor(decay / (3.0f * aux2 + 1.0f), rate);
      break;
    case kExcBpNoise:
      filterA.setup(std::min(11800.0f * tone + 200.0f, nyquistCap), 9.5f * aux1 + 0.5f, rate);
      filterB.copyCoefficients(filterA);
      attackGain = 1.0f + 2.0f * aux2;
      attackStep = static_cast<float>(1.0 / std::max(0.0008 * rate, 1.0));
      break;
    case kExcSample: coef = 0.98f * tone + 0.02f; break;
    case kExcClap: {
      filterA.setup(std::min(5500.0f * tone + 500.0f, nyquistCap), 1.5f, rate);
      filterB.copyCoefficients(filterA);
      spacing = (35.0 * aux1 + 5.0) * 0.001 * rate;
      burstTime = 0.004 * rate;
      tailTime = std::max(static_cast<double>(decay), 0.0001) * rate;
      static constexpr float kPan[3] = {-1.0f, 1.0f, 0.0f};
      for (int i = 0; i < 3; ++i) {
        const double theta = (1.0 + width * kPan[i]) * kPi / 4.0;
        clapL[i] = static_cast<float>(std::cos(theta) * std::sqrt(2.0));
        clapR[i] = static_cast<float>(std::sin(theta) * std::sqrt(2.0));
      }
      break;
    }
    case kExcHpNoise:
      filterA.setup(std::min(17800.0f * tone + 200.0f, nyquistCap), 9.5f * aux2 + 0.5f, rate);
      filterB.copyCoefficients(filterA);
      colour = roundHalfUp(2.0f * aux1);
      break;
    default: break;
  }
}

}  // namespace ob
