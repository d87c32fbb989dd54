#include "content/tools/hit_body_split.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace ob {

namespace {

constexpr std::int32_t kZeroCrossingReach = 64;
constexpr float kSilentDb = -180.0f;

// Milliseconds to frames, rounded; kept in range for absurd rates.
std::int64_t msToFrames(double ms, double rate) {
  const double f = ms * 0.001 * rate + 0.5;
  if (!(f > 0.0)) return 0;
  if (f >= 1e15) return static_cast<std::int64_t>(1e15);
  return static_cast<std::int64_t>(f);
}

std::int32_t limit(std::int64_t v, std::int64_t lo, std::int64_t hi) {
  return static_cast<std::int32_t>(std::clamp(v, lo, hi));
}

std::int32_t evenFade(std::int64_t wanted, std::int32_t split, std::int32_t n) {
  std::int64_t fade =
      std::min({wanted, 2 * static_cast<std::int64_t>(split), 2 * (static_cast<std::int64_t>(n) - split)});
  fade &= ~static_cast<std::int64_t>(1);
  return fade < 1 ? 0 : static_cast<std::int32_t>(fade);
}

float defaultHitMs(std::string_view tags) {
  struct Word {
    std::string_view word;
    float ms;
  };
  static constexpr Word kWords[] = {{"kick", 12.0f}, {"snare", 20.0f}, {"tom", 15.0f},   {"hat", 25.0f},
                                    {"ride", 30.0f}, {"crash", 30.0f}, {"cymbal", 30.0f}};
  for (const Word& w : kWords)
    if (tags.find(w.word) != std::string_view::npos) return w.ms;
  return 15.0f;
}

bool crossesZero(float a, float b) { return (a >= 0.0f && b < 0.0f) || (a < 0.0f && b >= 0.0f); }

// Keeps filter states out of the denormal range in long quiet tails.
inline double flushTiny(double v) { return std::fabs(v) < 1e-30 ? 0.0 : v; }

}  // namespace

SplitFeatures computeSplitFeatures(const float* samples, std::int32_t frames, double sampleRate) {
  SplitFeatures f;
  if (!samples || frames < kSplitBlockFrames || !(sampleRate > 0.0)) return f;
  const std::int32_t blocks = frames / kSplitBlockFrames;
  f.rms.resize(blocks);
  f.highRms.resize(blocks);
  f.highDb.resize(blocks);

  const double a = 1.0 - std::exp(-2.0 * std::numbers::pi * 1000.0 / sampleRate);
  double l1 = 0.0, l2 = 0.0, l3 = 0.0;
  for (std::int32_t b = 0; b < blocks; ++b) {
    const float* x = samples + static_cast<std::int64_t>(b) * kSplitBlockFrames;
    double sum = 0.0, highSum = 0.0;
    for (std::int32_t k = 0; k < kSplitBlockFrames; ++k) {
      const double in = x[k];
      l1 = flushTiny(l1 + (in - l1) * a);
      const double h1 = in - l1;
      l2 = flushTiny(l2 + (h1 - l2) * a);
      const double h2 = h1 - l2;
      l3 = flushTiny(l3 + (h2 - l3) * a);
      const double h3 = h2 - l3;
      sum += in * in;
      highSum += h3 * h3;
    }
    const double rms = std::sqrt(sum / kSplitBlockFrames);
    const double highRms = std::sqrt(highSum / kSplitBlockFrames);
    f.rms[b] = static_cast<float>(rms);
    f.highRms[b] = static_cast<float>(highRms);
    f.highDb[b] = highRms > 1e-9 ? static_cast<float>(20.0 * std::log10(highRms)) : kSilentDb;
  }
  return f;
}

SplitPoint findHitBodySplit(const float* samples, std::int32_t frames, double sampleRate,
                            const SplitParams& params) {
  SplitPoint out;
  if (!samples || frames < 1 || !(sampleRate > 0.0) || !std::isfinite(sampleRate)) return out;
  const std::int32_t n = frames;
  const double r = sampleRate;

  if (n < 4 * kSplitBlockFrames) {
    out.split = std::max(1, std::min(n / 2, n - 1));
    out.fade = evenFade(msToFrames(params.fadeMs, r), out.split, n);
    return out;
  }

  const SplitFeatures feat = computeSplitFeatures(samples, n, r);
  const std::int32_t blocks = static_cast<std::int32_t>(feat.rms.size());
  const double blockRate = r / kSplitBlockFrames;

  const std::int32_t peak =
      static_cast<std::int32_t>(std::max_element(feat.rms.begin(), feat.rms.end()) - feat.rms.begin());

  // Three-block mean of the high band's level, truncated at the ends.
  std::vector<double> s(blocks);
  for (std::int32_t i = 0; i < blocks; ++i) {
    const std::int32_t lo = std::max(0, i - 1), hi = std::min(blocks - 1, i + 1);
    double sum = 0.0;
    for (std::int32_t j = lo; j <= hi; ++j) sum += feat.highDb[j];
    s[i] = sum / (hi - lo + 1);
  }

  const std::int64_t peakFrame = static_cast<std::int64_t>(peak) * kSplitBlockFrames;
  bool reattack = false;
  std::int64_t split = 0;

  if (params.fixedHitMs > 0.0f) {
    split = peakFrame + msToFrames(params.fixedHitMs, r);
    out.analysed = 1;
  } else {
    double steepest = 0.0;
    for (std::int32_t i = peak + 3; i < std::min(blocks, peak + 13); ++i)
      steepest = std::min(steepest, (s[i] - s[i - 3]) * blockRate / 3.0);

    const std::int32_t from = std::min(blocks - 1, peak);
    const auto [lo, hi] = std::minmax_element(s.begin() + from, s.end());
    const double range = *hi - *lo;

    std::int64_t candidate = -1;
    if (range >= 12.0 && steepest < -50.0) {
      const double threshold = steepest * params.decayRatio;
      int run = 0;
      for (std::int32_t i = peak + 5; i < blocks; ++i) {
        const double slope = (s[i] - s[i - 5]) * blockRate / 5.0;
        run = slope > threshold ? run + 1 : 0;
        if (run == 3) {
          candidate = std::max(peak, i - 6);
          break;
        }
      }
      if (candidate >= 0) {
        // A strong new attack of the high band soon after the peak belongs
        // to the hit: move the split past it.
        const std::int64_t window =
            std::min<std::int64_t>(blocks, peak + static_cast<std::int64_t>(r * 0.25 / kSplitBlockFrames));
        const float maxHigh = *std::max_element(feat.highRms.begin(), feat.highRms.end());
        std::int64_t last = -1;
        for (std::int64_t j = peak + 1; j < window; ++j)
          if (feat.highRms[j] - feat.highRms[j - 1] >= 0.25f * maxHigh) last = j;
        if (last >= 1 && last + 2 > candidate) {
          candidate = last + 2;
          reattack = true;
        }
      }
    }

    if (candidate >= 0) {
      split = candidate * kSplitBlockFrames;
      out.analysed = 1;
    } else {
      split = peakFrame + msToFrames(defaultHitMs(params.tags), r);
    }
  }

  const double longestMs = reattack ? std::max(250.0f, params.maxHitMs) : params.maxHitMs;
  const std::int64_t lowest = peakFrame + msToFrames(params.minHitMs, r);
  const std::int64_t highest =
      peakFrame + std::min(static_cast<std::int64_t>(0.4 * n), msToFrames(longestMs, r));
  if (split > highest) {
    split = highest;
    out.clamped = 1;
  } else if (split < lowest) {
    split = lowest;
    out.clamped = 1;
  }
  std::int32_t at = limit(split, 1, n - 1);

  for (std::int32_t d = 0; d <= kZeroCrossingReach; ++d) {
    const std::int64_t before = static_cast<std::int64_t>(at) - d;
    if (before > 0 && crossesZero(samples[before - 1], samples[before])) {
      at = static_cast<std::int32_t>(before);
      break;
    }
    const std::int64_t after = static_cast<std::int64_t>(at) + d;
    if (after < n && crossesZero(samples[after - 1], samples[after])) {
      at = static_cast<std::int32_t>(after);
      break;
    }
  }
  out.split = limit(at, 1, n - 1);
  out.fade = evenFade(msToFrames(params.fadeMs, r), out.split, n);
  return out;
}

void renderHitBodyHalves(const float* samples, std::int32_t frames, const SplitPoint& point, float* hit,
                         float* body) {
  if (!samples || !hit || !body || frames < 1 || point.fade < 0) return;
  const std::int64_t n = frames;
  const std::int64_t fade = point.fade;
  const std::int64_t half = fade / 2;
  const std::int64_t start = static_cast<std::int64_t>(point.split) - half;

  for (std::int64_t k = 0; k < std::min(start, n); ++k) hit[k] = samples[k];
  for (std::int64_t j = 0; j < fade; ++j) {
    const std::int64_t k = start + j;
    if (k < 0 || k >= n) continue;
    const float w = static_cast<float>(
        0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(j) / static_cast<double>(fade)));
    hit[k] = (1.0f - w) * samples[k];
    body[j] = w * samples[k];
  }
  for (std::int64_t k = std::max<std::int64_t>(static_cast<std::int64_t>(point.split) + half, 0); k < n; ++k)
    body[k - start] = samples[k];
}

namespace {

// The split of the mono mix. The mix of a stereo sound is let go before the
// halves are rendered, so the two never take memory at once.
SplitPoint splitOfMix(const float* left, const float* right, std::int32_t frames, double sampleRate,
                      const SplitParams& params) {
  if (!right) return findHitBodySplit(left, frames, sampleRate, params);
  std::vector<float> mix(static_cast<std::size_t>(frames));
  for (std::int32_t k = 0; k < frames; ++k) mix[k] = (left[k] + right[k]) * 0.5f;
  return findHitBodySplit(mix.data(), frames, sampleRate, params);
}

}  // namespace

HitBodyHalves splitHitBody(const float* left, const float* right, std::int32_t frames, double sampleRate,
                           const SplitParams& params) {
  HitBodyHalves out;
  if (!left || frames < 1) return out;

  out.point = splitOfMix(left, right, frames, sampleRate, params);
  out.bodyStart = out.point.bodyStart();
  const std::int32_t hitLength = out.point.hitLength();
  const std::int32_t bodyLength = out.point.bodyLength(frames);
  if (hitLength < 1 || bodyLength < 1) return out;

  out.hitLeft.assign(hitLength, 0.0f);
  out.bodyLeft.assign(bodyLength, 0.0f);
  renderHitBodyHalves(left, frames, out.point, out.hitLeft.data(), out.bodyLeft.data());
  if (right) {
    out.hitRight.assign(hitLength, 0.0f);
    out.bodyRight.assign(bodyLength, 0.0f);
    renderHitBodyHalves(right, frames, out.point, out.hitRight.data(), out.bodyRight.data());
  }
  return out;
}

}  // namespace ob
