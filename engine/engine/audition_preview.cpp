#include "engine/engine/audition_preview.h"

#include <algorithm>
#include <cmath>

namespace ob {

namespace {
float finiteOr0(float gain) { return std::isfinite(gain) ? gain : 0.0f; }

// The sample between n and n + 1 at fraction f, linearly.
float between(const float* data, std::uint64_t n, float f) { return (1.0f - f) * data[n] + f * data[n + 1]; }
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

void AuditionPreview::takeRequest() {
  const std::uint32_t request = request_.load(std::memory_order_acquire);
  if (request == seen_) return;
  seen_ = request;
  if (!(middle_.load(std::memory_order_acquire) & kFresh)) return;
  keepFadingTail();
  front_ = middle_.exchange(front_, std::memory_order_acq_rel) & 3u;
  position_ = 0.0;
  playing_ = true;
}

void AuditionPreview::keepFadingTail() {
  // What is left of an earlier tail fades on within the new one; it is read
  // ahead of where the new one is written.
  const std::uint32_t earlier = tailLength_ - tailPosition_;
  for (std::uint32_t i = 0; i < earlier; ++i) {
    tailLeft_[i] = tailLeft_[tailPosition_ + i];
    tailRight_[i] = tailRight_[tailPosition_ + i];
  }
  tailLength_ = earlier;
  tailPosition_ = 0;
  if (!playing_) return;
  const Buffer& b = buffers_[front_];
  const float* data = b.samples.data();
  const float* dataR = b.right.empty() ? data : b.right.data();
  double p = position_;
  for (std::uint32_t i = 0; i < kTailFrames; ++i, p += b.rateStep) {
    const auto n = static_cast<std::uint64_t>(p);
    if (n + 1 >= b.length) break;
    const float f = static_cast<float>(p - static_cast<double>(n));
    const float fade = 1.0f - static_cast<float>(i + 1) / static_cast<float>(kTailFrames);
    const float l = between(data, n, f) * b.gains.left * fade;
    const float r = between(dataR, n, f) * b.gains.right * fade;
    tailLeft_[i] = i < tailLength_ ? tailLeft_[i] + l : l;
    tailRight_[i] = i < tailLength_ ? tailRight_[i] + r : r;
    if (i >= tailLength_) tailLength_ = i + 1;
  }
}

void AuditionPreview::mixTail(float* left, float* right, std::uint32_t frames) {
  const std::uint32_t n = std::min(frames, tailLength_ - tailPosition_);
  for (std::uint32_t i = 0; i < n; ++i) {
    left[i] += tailLeft_[tailPosition_ + i];
    if (right) right[i] += tailRight_[tailPosition_ + i];
  }
  tailPosition_ += n;
}

void AuditionPreview::mix(float* left, float* right, std::uint32_t frames) {
  takeRequest();
  if (!left) return;
  const bool stereo = right && right != left;
  mixTail(left, stereo ? right : nullptr, frames);
  if (!playing_) return;
  const Buffer& b = buffers_[front_];
  const float* data = b.samples.data();
  const float* dataR = b.right.empty() ? data : b.right.data();
  for (std::uint32_t i = 0; i < frames; ++i) {
    const double p = position_;
    const std::uint64_t n = static_cast<std::uint64_t>(p);
    if (b.length == 0 || n + 1 >= b.length) {
      position_ = static_cast<double>(b.length);
      playing_ = false;
      return;
    }
    const float f = static_cast<float>(p - static_cast<double>(n));
    left[i] += between(data, n, f) * b.gains.left;
    if (stereo) right[i] += between(dataR, n, f) * b.gains.right;
    position_ += b.rateStep;
  }
}

}  // namespace ob
