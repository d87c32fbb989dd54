#pragma once
#include <cstdint>
#include <vector>

namespace ob {

// Plucked-string body: a delay loop with a one-pole damping filter, a
// fractional delay by phase-compensated linear interpolation, and a loop
// gain corrected for both filters' losses at the fundamental so that the
// decay time follows the decay parameter alone.
struct StringLoop {
  double sampleRate = 44100.0;
  float lowestFrequency = 20.0f;
  float longestDecay = 4.0f;
  std::vector<float> buffer;  // sized in prepare, never in a render
  std::int32_t length = 0;    // active length N
  std::int32_t writeIndex = 0;
  double delay = 0.0;  // loop delay L in samples
  double omega = 0.0;  // fundamental, radians per sample
  float ceiling = 0.0f;
  float cachedTone = -1.0f;
  float cachedDecay = -1.0f;
  std::int32_t intDelay = 1;
  float interp = 0.0f;   // a
  float damping = 0.0f;  // b
  float compensation = 1.0f;
  float decayGain = 0.0f;
  float state = 0.0f;

  // Allocates the buffer for the rate (main thread) and clears it.
  void prepare(double rate);
  // First sample of a hit: fixes the pitch (clamped to 20 Hz .. 0.45 rate).
  void start(double frequency);
  // Recomputes the coefficients that changed; cheap when nothing did.
  void update(float tone, float decaySeconds);
  float tick(float input) {
    std::int32_t r = writeIndex - intDelay;
    if (r < 0) r += length;
    const float cur = buffer[r];
    const float prev = buffer[r == 0 ? length - 1 : r - 1];
    const float y = cur + (prev - cur) * interp;
    state = (1.0f - damping) * y + damping * state;
    if (state > -1e-15f && state < 1e-15f) state = 0.0f;  // no denormal tail
    const float g = decayGain * compensation;
    buffer[writeIndex] = (g < ceiling ? g : ceiling) * state + input;
    if (++writeIndex >= length) writeIndex = 0;
    return y;
  }
};

}  // namespace ob
