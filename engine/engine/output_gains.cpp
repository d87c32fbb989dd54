#include "engine/engine/output_gains.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ob {

namespace {
constexpr float kMixHeadroom = 0.55f;
}  // namespace

OutputGains trackOutputGains(float pan, float gain) {
  const float p = std::clamp(std::isfinite(pan) ? pan : 0.0f, -1.0f, 1.0f);
  const float a = (p + 1.0f) * 0.25f * std::numbers::pi_v<float>;
  const float g = (std::isfinite(gain) ? std::clamp(gain, 0.0f, kMaxTrackGain) : 0.0f) * kMixHeadroom;
  return {std::cos(a) * g, std::sin(a) * g};
}

float stepPan(const Step& step, const Track& track) { return step.panLocked ? step.panValue : track.pan; }

}  // namespace ob
