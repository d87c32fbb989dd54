#include "engine/engine/audition_preview.h"

#include <algorithm>
#include <cmath>

namespace ob {

namespace {
float finiteOr0(float gain) { return std::isfinite(gain) ? gain : 0.0f; }
}  // namespace

AuditionPreview::AuditionPreview() = default;

void AuditionPreview::publish(const float* left, const float* right, std::uint32_t length, double rateStep,
                              OutputGains gains) {
  Buffer& b = buffers_[back_];
  if (!left) length = 0;
  b.samples.assign(left, left + length);
  if (right)
    b.right.assign(right, right + length);
  else
    b.right.clear();
  b.length = length;
  b.rateStep = (rateStep > 0.0 && std::isfinite(rateStep)) ? rateStep : 1.0;
  b.gains = {finiteOr0(gains.left), finiteOr0(gains.right)};
  back_ = middle_.exchange(back_ | kFresh, std::memory_order_acq_rel) & 3u;
  request_.fetch_add(1, std::memory_order_release);
}

void AuditionPreview::mix(float* left, float* right, std::uint32_t frames) {
  const std::uint32_t request = request_.load(std::memory_order_acquire);
  if (request != seen_) {
    seen_ = request;
    if (middle_.load(std::memory_order_acquire) & kFresh) {
      front_ = middle_.exchange(front_, std::memory_order_acq_rel) & 3u;
      position_ = 0.0;
      playing_ = true;
    }
  }
  if (!playing_ || !left) return;
  const Buffer& b = buffers_[front_];
  const float* data = b.samples.data();
  const float* dataR = b.right.empty() ? data : b.right.data();
  const bool stereo = right && right != left;
  const float gainL = b.gains.left;
  const float gainR = b.gains.right;
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double p = position_;
    const std::uint64_t n = static_cast<std::uint64_t>(p);
    if (b.length == 0 || n + 1 >= b.length) {
      position_ = static_cast<double>(b.length);
      playing_ = false;
      return;
    }
    const float f = static_cast<float>(p - static_cast<double>(n));
    left[i] += ((1.0f - f) * data[n] + f * data[n + 1]) * gainL;
    if (stereo) right[i] += ((1.0f - f) * dataR[n] + f * dataR[n + 1]) * gainR;
    position_ += b.rateStep;
  }
}

}  // namespace ob
