#include "engine/chain/fade_out_ramp.h"

#include <algorithm>

namespace ob {

void FadeOutRamp::start(double sampleRate) {
  running = 1;
  finished = 0;
  gain = 1.0f;
  step = static_cast<float>(1.0 / std::max(1.0, 0.003 * sampleRate));
}

void fadeOutRamp(FadeOutRamp& ramp, float* left, float* right, int frames) {
  if (!ramp.running) return;
  for (int i = 0; i < frames; ++i) {
    left[i] *= ramp.gain;
    if (right) right[i] *= ramp.gain;
    ramp.gain -= ramp.step;
    if (ramp.gain <= 0.0f) {
      ramp.gain = 0.0f;
      for (int j = i + 1; j < frames; ++j) {
        left[j] = 0.0f;
        if (right) right[j] = 0.0f;
      }
      ramp.running = 0;
      ramp.finished = 1;
      return;
    }
  }
}

}  // namespace ob
