#include "content/tools/transients.h"

#include <algorithm>
#include <cmath>

namespace ob {

namespace {

constexpr std::int32_t kMaxSlices = 64;

// Followers decaying through long silences would otherwise sink into the
// denormal range and stay there.
inline double flushTiny(double v) { return v < 1e-30 ? 0.0 : v; }

}  // namespace

std::int32_t detectTransients(const float* samples, std::int32_t frames, double sampleRate, float* positions,
                              std::int32_t capacity) {
  if (!positions || capacity < 1 || !samples || frames < 1 || !(sampleRate > 0.0) ||
      !std::isfinite(sampleRate))
    return 0;

  const double fast = 1.0 - std::exp(-1.0 / (0.003 * sampleRate));
  const double slow = 1.0 - std::exp(-1.0 / (0.05 * sampleRate));
  const double holdOffFrames = std::floor(0.03 * sampleRate);
  const std::int64_t holdOff = std::max<std::int64_t>(
      1, holdOffFrames > 4e9 ? std::int64_t{4000000000} : static_cast<std::int64_t>(holdOffFrames));

  positions[0] = 0.0f;
  std::int32_t count = 1;
  bool armed = true;
  std::int64_t lastOnset = 0;
  double slowLevel = 0.0, fastLevel = 0.0;

  for (std::int32_t i = 0; i < frames && count < capacity; ++i) {
    double e = std::fabs(static_cast<double>(samples[i]));
    if (!std::isfinite(e)) e = 0.0;  // one bad sample must not blind the rest
    slowLevel = flushTiny(slowLevel + (e - slowLevel) * slow);
    fastLevel = flushTiny(fastLevel + (e - fastLevel) * fast);
    if (!armed) {
      if (slowLevel * 1.2 > fastLevel) armed = true;
      continue;
    }
    if (fastLevel > slowLevel * 1.6 + 0.005 && i - lastOnset > holdOff) {
      positions[count++] = static_cast<float>(static_cast<double>(i) / frames);
      armed = false;
      lastOnset = i;
    }
  }
  return count;
}

void divideSlices(float* positions, std::int32_t* count, std::int32_t wanted) {
  if (!positions) {
    if (count) *count = 0;
    return;
  }
  const std::int32_t n = std::clamp(wanted, 1, kMaxSlices);
  for (std::int32_t i = 0; i < n; ++i) positions[i] = static_cast<float>(static_cast<double>(i) / n);
  if (count) *count = n;
}

}  // namespace ob
