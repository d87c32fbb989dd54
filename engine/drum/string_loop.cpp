#include "engine/drum/string_loop.h"

#include <algorithm>
#include <cmath>

#include "engine/dsp/fast_math.h"

namespace ob {

void StringLoop::prepare(double rate) {
  sampleRate = rate;
  buffer.assign(static_cast<std::size_t>(std::ceil(rate / lowestFrequency)) + 3, 0.0f);
  length = std::min<std::int32_t>(static_cast<std::int32_t>(buffer.size()), 2);
  writeIndex = 0;
  intDelay = 1;
  interp = damping = 0.0f;
  compensation = 1.0f;
  decayGain = ceiling = 0.0f;
  state = 0.0f;
  cachedTone = cachedDecay = -1.0f;
}

void StringLoop::start(double frequency) {
  double fc = frequency;
  if (!(fc >= lowestFrequency)) fc = lowestFrequency;  // NaN lands here too
  fc = std::min(fc, 0.45 * sampleRate);
  delay = sampleRate / fc;
  omega = kTwoPi * fc / sampleRate;
  const auto size = static_cast<std::int32_t>(buffer.size());
  length = std::min(size, static_cast<std::int32_t>(delay) + 2);
  std::fill(buffer.begin(), buffer.begin() + length, 0.0f);
  writeIndex = 0;
  state = 0.0f;
  ceiling = static_cast<float>(std::exp(-delay * std::log(1000.0) / (longestDecay * sampleRate)));
  cachedTone = cachedDecay = -1.0f;
}

void StringLoop::update(float tone, float decaySeconds) {
  if (tone != cachedTone) {
    cachedTone = tone;
    // Damping corner from the tone: none at 1, strongest at 0.
    double b = 0.0;
    if (tone < 1.0f) {
      const double d = -std::log((1.0 - tone) * 0.85) * 44100.0 / kTwoPi;
      b = std::exp(-kTwoPi * d / sampleRate);
    }
    const double w = omega;
    const double tau = std::atan2(b * std::sin(w), 1.0 - b * std::cos(w)) / w;
    const double dPrime = std::clamp(delay - tau, 1.0, static_cast<double>(length - 1));
    intDelay = static_cast<std::int32_t>(dPrime);
    const double phi = dPrime - intDelay;
    const double a =
        std::sin(phi * w) / (std::cos(phi * w) * std::sin(w) + std::sin(phi * w) * (1.0 - std::cos(w)));
    const double g = (1.0 - b) / std::sqrt(1.0 - 2.0 * b * std::cos(w) + b * b);
    const double h = std::sqrt(1.0 - 2.0 * a * (1.0 - a) * (1.0 - std::cos(w)));
    damping = static_cast<float>(b);
    interp = static_cast<float>(a);
    compensation = static_cast<float>(1.0 / (g * h));
  }
  if (decaySeconds != cachedDecay) {
    cachedDecay = decaySeconds;
    const double d = std::max(static_cast<double>(decaySeconds), 0.0001);
    decayGain = static_cast<float>(std::exp(-delay * std::log(1000.0) / (d * sampleRate)));
  }
}

}  // namespace ob
