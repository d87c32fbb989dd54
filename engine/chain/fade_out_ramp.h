#pragma once
#include <cstdint>

namespace ob {

// A linear fade to silence, used to cut a choked or overlong voice without
// a click.
struct FadeOutRamp {
  std::uint8_t running = 0;
  std::uint8_t finished = 0;
  float gain = 1.0f;
  float step = 0.0f;

  // Starts at full gain and reaches silence after 3 ms at the given rate.
  void start(double sampleRate);
  // Back to idle at gain 1 with no step.
  void clear() { *this = FadeOutRamp{}; }
};

// Applies a running fade to a block in place; right may be null. Once the
// gain reaches 0 the rest of the block is silenced and the fade finishes.
void fadeOutRamp(FadeOutRamp& ramp, float* left, float* right, int frames);

}  // namespace ob
