#include "engine/drum/drum_body.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/dsp/unit_range.h"

namespace ob {
namespace {

constexpr float kModalStart[DrumBody::kModes] = {1.0f, 0.6f, 0.45f, 0.35f, 0.28f};
constexpr double kModalRatio[DrumBody::kModes] = {1.0, 2.01, 3.0, 4.2, 5.4};
constexpr double kMetalRatio[6] = {1.0, 1.387, 1.711, 1.933, 2.245, 2.673};
// Pitch factors far beyond any note; keeps modulated pitches finite.
constexpr float kMaxNoteOffset = 240.0f;
constexpr double kMaxBodyFrequency = 2.0e5;

}  // namespace

void DrumBody::prepare(double sampleRate, const float* bank) {
  rate = sampleRate;
  derivedFrom = Inputs{};
  modalMulDecay = -1.0f;
  phaseScale = kTwoPi / rate;
  waveBank = bank;
  string.prepare(rate);
  clear();
}

void DrumBody::clear() {
  std::fill(std::begin(phase), std::end(phase), 0.0);
  std::fill(std::begin(modalAmp), std::end(modalAmp), 0.0f);
  metal1.reset();
  metal2.reset();
  samplePos = 0.0;
  sampleLp = 0.0f;
  envelope = second = 0.0f;
  hold = -1;
  stringStarted = false;
}

void DrumBody::trigger() {
  std::fill(std::begin(phase), std::end(phase), 0.0);
  std::copy(std::begin(kModalStart), std::end(kModalStart), std::begin(modalAmp));
  envelope = 1.0f;
  second = 1.0f;
  hold = -1;
  samplePos = 0.0;
  sampleLp = 0.0f;
  metal1.reset();
  metal2.reset();
  stringStarted = false;
}

void DrumBody::beginBlock(const DrumParamValues& mod, float note, const SamplePoolSnapshot* snapshot) {
  using namespace drum_param;
  type = mod.choice(kResType);
  if (type < kBodySine || type > kBodyWave) return;  // silent body
  if (note != noteOfFactor) {
    noteOfFactor = note;
    const float noteOffset = clampf(finiteOr0(note - 60.0f), -kMaxNoteOffset, kMaxNoteOffset);
    noteFactor = std::exp2(static_cast<double>(noteOffset) / 12.0);
  }
  const double tune = static_cast<double>(finiteOr0(mod.value(kResTune)));
  freq = std::clamp(tune * noteFactor, 0.0, kMaxBodyFrequency);
  tone = clamp01(finiteOr0(mod.value(kResTone)));
  aux1 = clamp01(finiteOr0(mod.value(kResAux1)));
  aux2 = clamp01(finiteOr0(mod.value(kResAux2)));
  decay = finiteOr0(mod.value(kResDecay));
  reverse = mod.flag(kResRev);
  if (hold < 0) hold = type == kBodySine ? static_cast<std::int32_t>(tone * 0.05 * rate + 0.5) : 0;
  if (type == kBodySample) {  // the snapshot may change between blocks
    slot = usableSlot(snapshot, toSlotIndex(aux1));
    if (slot != nullptr) {
      speed = (1.5 * aux2 + 0.5) * noteFactor * slot->sampleRate / rate;
      fadeDen = rate * 0.003 * speed;
    }
  }
  const Inputs inputs{type, freq, tone, aux1, aux2, decay};
  if (inputs == derivedFrom) return;
  derivedFrom = inputs;
  const double w = phaseScale * freq;
  const double cap = 0.45 * rate;

  switch (type) {
    case kBodySine:
      decayMul = decayFactor(decay, rate);
      depth = 48.0f * aux1;
      secondDecayMul = decayFactor(0.395f * aux2 + 0.005f, rate);
      break;
    case kBodyShell:
      decayMul = decayFactor(0.6f * std::max(decay, 0.0001f), rate);
      secondDecayMul = decayFactor(0.145f * aux2 + 0.005f, rate);
      inc[0] = w;
      inc[1] = (1.0 + 0.06 * tone) * 1.588 * w;
      break;
    case kBodyModal:
      modalWeight = 0.7f * tone + 0.3f;
      // Pitch and spread are often modulated while the decay stays: the
      // exponentials are taken again only for a new decay.
      if (!(decay == modalMulDecay)) {
        for (int m = 0; m < kModes; ++m) {
          modalMul[m] = decayFactor((1.0f - 0.12f * m) * std::max(decay, 0.0001f), rate);
        }
        modalMulDecay = decay;
      }
      for (int m = 0; m < kModes; ++m) modalInc[m] = w * (1.0 + 0.06 * m * aux1) * kModalRatio[m];
      break;
    case kBodySample:
      decayMul = decayFactor(decay, rate);
      coef = 0.98f * tone + 0.02f;
      break;
    case kBodyMetal: {
      decayMul = decayFactor(decay, rate);
      const double centre = std::min(10000.0 * tone + 2000.0, cap);
      metal1.setup(static_cast<float>(centre), 1.0f, rate);
      mix = aux1;
      if (mix > 0.0f) metal2.setup(static_cast<float>(std::min(1.6 * centre, cap)), 1.0f, rate);
      for (int j = 0; j < 6; ++j) inc[j] = w * kMetalRatio[j];
      break;
    }
    case kBodyString: break;
    case kBodyFm:
      decayMul = decayFactor(decay, rate);
      secondDecayMul = decayFactor(2.995f * aux2 + 0.005f, rate);
      depth = 8.0f * tone;
      inc[0] = w;
      inc[1] = (11.5 * aux1 + 0.5) * w;
      break;
    case kBodyWave: {
      decayMul = decayFactor(decay, rate);
      if (waveBank == nullptr) {
        table1 = table2 = nullptr;
        break;
      }
      const double fw = std::min(cap, std::max(freq, 1.0));
      const int bank = std::clamp(roundHalfUp(2.0f * aux1), 0, kWaveBanks - 1);
      const float q = 3.0f * tone;
      const int wave = std::clamp(static_cast<int>(q), 0, kWavesPerBank - 1);
      waveMix = q - static_cast<float>(wave);
      const int wave2 = std::min(wave + 1, kWavesPerBank - 1);
      const int level = std::clamp(static_cast<int>(std::floor(std::log2(fw / 20.0))), 0, kWaveLevels - 1);
      table1 = waveBank + waveTableOffset(bank, wave, level);
      table2 = waveBank + waveTableOffset(bank, wave2, level);
      inc[0] = fw / rate;
      const float cents = 1200.0f * aux2;
      detune = cents > 0.0f;
      inc[1] = std::min(cap, fw * std::exp2(cents / 1200.0)) / rate;
      break;
    }
    default: break;
  }
}

}  // namespace ob
