#pragma once
// Splitting a drum sound into its hit (the attack) and its body (the ring
// that follows), overlapping by a short raised-cosine crossfade. Pure
// functions over float buffers: no pool, no project, usable at build time.

#include <cstdint>
#include <string_view>
#include <vector>

namespace ob {

struct SplitParams {
  float minHitMs = 3.0f;     // shortest hit after the peak
  float maxHitMs = 120.0f;   // longest hit after the peak (250 after a re-attack)
  float fadeMs = 2.9f;       // crossfade length
  float decayRatio = 0.35f;  // fraction of the steepest fall that counts as slowed
  float fixedHitMs = 0.0f;   // above 0: hit length after the peak, no decay rule
  // Words that choose the default hit length when the decay rule finds
  // nothing ("kick", "snare", "tom", "hat", "ride", "crash", "cymbal");
  // empty for none.
  std::string_view tags{};
};

inline constexpr SplitParams kDefaultSplitParams{};

inline constexpr std::int32_t kSplitBlockFrames = 128;

// One entry per whole 128-frame block; a last partial block is ignored.
struct SplitFeatures {
  std::vector<float> rms;      // full band
  std::vector<float> highRms;  // the high band (three one-pole high-passes at 1 kHz)
  std::vector<float> highDb;   // 20 log10 of highRms, -180 below 1e-9
};

struct SplitPoint {
  std::int32_t split = 0;     // frame at the centre of the crossfade
  std::int32_t fade = 0;      // crossfade length in frames, even
  std::uint8_t analysed = 0;  // 1 when the decay rule or a fixed length set the split
  std::uint8_t clamped = 0;   // 1 when the shortest/longest hit limits moved it

  std::int32_t hitLength() const { return split + fade / 2; }
  std::int32_t bodyStart() const { return split - fade / 2; }
  std::int32_t bodyLength(std::int32_t frames) const {
    const std::int64_t n = static_cast<std::int64_t>(frames) - split + fade / 2;
    return n > 0 ? static_cast<std::int32_t>(n) : 0;
  }
};

SplitFeatures computeSplitFeatures(const float* samples, std::int32_t frames, double sampleRate);

// Finds the split of a mono signal. Invalid input (no samples, no frames,
// a rate not above 0) gives an all-zero point.
SplitPoint findHitBodySplit(const float* samples, std::int32_t frames, double sampleRate,
                            const SplitParams& params = kDefaultSplitParams);

// Renders one channel's halves. hit must hold point.hitLength() frames and
// body point.bodyLength(frames), both zero-filled by the caller. Over the
// crossfade hit[k] + body[k - bodyStart] equals x[k].
void renderHitBodyHalves(const float* samples, std::int32_t frames, const SplitPoint& point, float* hit,
                         float* body);

// Both halves of a mono or stereo sound.
struct HitBodyHalves {
  SplitPoint point;
  std::int32_t bodyStart = 0;  // source frame of the body's first frame
  std::vector<float> hitLeft;
  std::vector<float> hitRight;  // empty for mono
  std::vector<float> bodyLeft;
  std::vector<float> bodyRight;  // empty for mono

  // Each half holds at least one frame.
  bool usable() const { return !hitLeft.empty() && !bodyLeft.empty(); }
};

// Analyses the mono mix ((left + right) / 2 for stereo; right may be null)
// and renders each channel's halves. Halves shorter than one frame come back
// empty.
HitBodyHalves splitHitBody(const float* left, const float* right, std::int32_t frames, double sampleRate,
                           const SplitParams& params = kDefaultSplitParams);

}  // namespace ob
