#include "engine/player/modulator_state.h"

#include <cmath>

#include "engine/chain/voice_chain.h"
#include "engine/clock/tempo.h"
#include "engine/dsp/fast_math.h"

namespace ob {

namespace {
constexpr double kEnvFloor = 0.0001;
}  // namespace

float lfoShapeValue(int shape, double phase, float randomValue) {
  switch (shape) {
    case kLfoSine: return static_cast<float>(std::sin(kTwoPi * phase));
    case kLfoTri: return static_cast<float>(phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase);
    case kLfoSawUp: return static_cast<float>(2.0 * phase - 1.0);
    case kLfoSawDown: return static_cast<float>(1.0 - 2.0 * phase);
    case kLfoSquare: return phase < 0.5 ? 1.0f : -1.0f;
    case kLfoRandom: return randomValue;
    default: return 0.0f;
  }
}

std::uint32_t xorshift32(std::uint32_t x) {
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  return x;
}

double divisionSeconds(int code, double bpm) {
  return 60.0 / effectiveTempo(bpm) * divisionBeats(code > 9 ? 9 : code);
}

float modEnvLevel(const ModEnvState& env, double sampleRate, double bpm, bool& ended) {
  ended = false;
  double attack = env.attack;
  double decay = env.decay;
  if (env.sync) {
    attack = divisionSeconds(env.atkDiv, bpm);
    decay = divisionSeconds(env.decDiv, bpm);
  }
  // Sample counts from single-precision products (0.01 s at 48 kHz is 480
  // samples, not 479), held in double: synced times at a crawling tempo
  // overflow 32 bits.
  const float rate = static_cast<float>(sampleRate);
  const float attackF = static_cast<float>(attack);
  const float holdF = env.hold;
  const double a = std::trunc(static_cast<double>((attackF > 0.0f ? attackF : 0.0f) * rate));
  const double h = std::trunc(static_cast<double>((holdF > 0.0f ? holdF : 0.0f) * rate)) + a;
  const double c = static_cast<double>(env.counter);
  if (!(a == a) || !(h == h)) {  // NaN rate: no envelope at all
    ended = true;
    return 0.0f;
  }
  if (c < a) return static_cast<float>(c / a);
  if (c < h) return 1.0f;
  const double k = std::exp(-1.0 / ((decay > kEnvFloor ? decay : kEnvFloor) * sampleRate));
  const double level = std::pow(k, c - h);
  if (!(level >= kEnvFloor)) {
    ended = true;
    return 0.0f;
  }
  return static_cast<float>(level);
}

}  // namespace ob
