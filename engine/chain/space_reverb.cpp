#include "engine/chain/space_reverb.h"

#include <algorithm>
#include <cmath>

#include "engine/dsp/fast_math.h"
#include "engine/dsp/unit_range.h"

namespace ob {

namespace {

constexpr float kDenormalFloor = 1e-15f;

}  // namespace

float roomDecayTime(float size, double rate) {
  const double s = 0.45 + 0.55 * static_cast<double>(clamp01NanTo0(size));
  // A rate that is not positive counts as 44.1 kHz throughout, so the
  // result is never zero or negative.
  const double r = (rate > 0.0 && std::isfinite(rate)) ? rate : 44100.0;
  const double total = 557.0 + 683.0 + 811.0 + 967.0;
  return static_cast<float>((total * (r / 44100.0) * s / 4.0) / r);
}

void SpaceReverb::setRate(double rate) {
  rate_ = (rate > 0.0 && std::isfinite(rate)) ? rate : 44100.0;
  cachedSizeScale_ = -1.0f;
  configured_ = false;
}

float SpaceReverb::configure(float size, float damp) {
  if (configured_ && size == configSize_ && damp == configDamp_) return configGain_;
  const float s = clamp01NanTo0(size);
  const float g = 0.55f + 0.38f * s;
  const float d = damp > 0.0f ? std::min(damp, 0.95f) : 0.0f;
  const float t = 3.0f * roomDecayTime(size, rate_);
  const float lowDecay = t / -std::log10(g);
  // The reference frequency stays at 4 kHz of 44.1 kHz whatever the rate.
  const double cosRef = std::cos(2.0 * kPi * 4000.0 / 44100.0);
  const double h = g * (1.0 - d) / std::sqrt(1.0 - 2.0 * d * cosRef + double(d) * d);
  const float highDecay = static_cast<float>(t / -std::log10(h));
  setTimes(0.45f + 0.55f * s, lowDecay, highDecay, 4000.0f);
  configured_ = true;
  configSize_ = size;
  configDamp_ = damp;
  configGain_ = 1.0f / g;
  return configGain_;
}

void SpaceReverb::setTimes(float sizeScale, float lowDecay, float highDecay, float crossover) {
  configured_ = false;
  if (sizeScale == cachedSizeScale_ && lowDecay == cachedLowDecay_ && highDecay == cachedHighDecay_ &&
      crossover == cachedCrossover_) {
    return;
  }
  cachedSizeScale_ = sizeScale;
  cachedLowDecay_ = lowDecay;
  cachedHighDecay_ = highDecay;
  cachedCrossover_ = crossover;

  const double rate = rate_;
  const double c = std::cos(2.0 * kPi * std::min(0.45 * rate, double(crossover)) / rate);
  const double z = sizeScale > 0.25f ? std::min(double(sizeScale), 1.0) : 0.25;
  const double low = lowDecay > 0.001f ? double(lowDecay) : 0.001;
  const double high = highDecay > 0.001f ? double(highDecay) : 0.001;
  for (int k = 0; k < kLines; ++k) {
    Line& line = lines_[k];
    long delay = std::lround(z * kBaseLengths[k] / 44100.0 * rate);
    if (delay >= kLineSize) delay = kMaxDelay;
    if (delay < kMinDelay) delay = kMinDelay;
    line.delay = static_cast<std::int32_t>(delay);
    const double fb = std::pow(10.0, -3.0 * double(delay) / (low * rate));
    line.feedback = static_cast<float>(fb);
    const double r = std::min(std::pow(10.0, -3.0 * double(delay) / (high * rate)) / fb, 1.0);
    const double q = 1.0 - r * r;
    if (q > 1e-12) {
      const double p = 1.0 - r * r * c;
      line.damping = static_cast<float>((p - std::sqrt(std::max(p * p - q * q, 0.0))) / q);
    } else {
      line.damping = 0.0f;
    }
  }
}

bool SpaceReverb::finite() const {
  float sum = 0.0f;
  for (const Line& line : lines_) sum += line.state;
  return std::isfinite(sum);
}

void SpaceReverb::clear() {
  for (Line& line : lines_) {
    line.buffer.fill(0.0f);
    line.writeIndex = 0;
    line.state = 0.0f;
  }
}

void SpaceReverb::process(const float* input, float* outLeft, float* outRight, int frames) {
  // The four lines run side by side in one vector. The states live in
  // locals for the block, and the mixing matrix is three vector adds of
  // sign-flipped copies, which add in the same order as the scalar sums
  // (y0 + y1 + y2 + y3, y0 - y1 + y2 - y3, ...), so every sample is exact.
  using V = float __attribute__((vector_size(16)));
  using M = int __attribute__((vector_size(16)));
  float* buf[kLines];
  std::int32_t w[kLines];
  std::int32_t delay[kLines];
  V state, coeff, feedback;
  for (int k = 0; k < kLines; ++k) {
    Line& line = lines_[k];
    buf[k] = line.buffer.data();
    // All four write indices move together after a clear, but they are
    // kept apart so a line never depends on another's bookkeeping.
    w[k] = line.writeIndex;
    delay[k] = line.delay;
    state[k] = line.state;
    coeff[k] = 1.0f - line.damping;
    feedback[k] = line.feedback;
  }
  const V floor = {kDenormalFloor, kDenormalFloor, kDenormalFloor, kDenormalFloor};
  const M absMask = {0x7fffffff, 0x7fffffff, 0x7fffffff, 0x7fffffff};
  const V zero = {};
  const V sign1 = {1.0f, -1.0f, 1.0f, -1.0f};
  const V sign2 = {1.0f, 1.0f, -1.0f, -1.0f};
  const V sign3 = {1.0f, -1.0f, -1.0f, 1.0f};
  for (int i = 0; i < frames; ++i) {
    int r[kLines];
    for (int k = 0; k < kLines; ++k) {
      r[k] = w[k] - delay[k];
      if (r[k] < 0) r[k] += kLineSize;
    }
    const V in = {buf[0][r[0]], buf[1][r[1]], buf[2][r[2]], buf[3][r[3]]};
    V s = state + coeff * (in - state);
    s = reinterpret_cast<V>(reinterpret_cast<M>(s) & absMask) < floor ? zero : s;
    state = s;
    const V y = s * feedback;
    const V y0 = {y[0], y[0], y[0], y[0]};
    const V y1 = {y[1], y[1], y[1], y[1]};
    const V y2 = {y[2], y[2], y[2], y[2]};
    const V y3 = {y[3], y[3], y[3], y[3]};
    const V mixed = 0.5f * (y0 + y1 * sign1 + y2 * sign2 + y3 * sign3) + input[i];
    for (int k = 0; k < kLines; ++k) {
      buf[k][w[k]] = mixed[k];
      if (++w[k] >= kLineSize) w[k] = 0;
    }
    outLeft[i] = 0.5f * (y[0] + y[2]);
    outRight[i] = 0.5f * (y[1] + y[3]);
  }
  for (int k = 0; k < kLines; ++k) {
    lines_[k].writeIndex = w[k];
    lines_[k].state = state[k];
  }
}

}  // namespace ob
