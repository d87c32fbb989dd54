#pragma once
// A min/max pyramid over a sample buffer, so a waveform view can ask for the
// peaks of any span in a few steps, whatever its length. Level 0 holds one
// (min, max) pair per whole block of 16 samples; each further level one pair
// per two pairs of the level below (an odd last pair is not carried up),
// until a level has fewer than two pairs. Samples after the last whole
// block are in no level: queries read them one by one. A stereo buffer's
// overview is of both channels at once: each pair holds the extremes of
// either, so it is drawn as loud as its louder side.

#include <cstdint>
#include <span>
#include <vector>

namespace orbi::ui {

struct MinMax {
  float min = 0.0f;
  float max = 0.0f;
};

using OverviewLevel = std::vector<MinMax>;

inline constexpr std::uint64_t kOverviewBlock = 16;

class WaveOverview {
 public:
  // Empty: draws nothing.
  WaveOverview() = default;
  // Keeps a pointer to the samples, which are not copied: they must outlive
  // the overview, and whoever changes them builds it again.
  WaveOverview(std::span<const float> samples, double sampleRate);
  // Both channels of one length; a second channel that is shorter (or
  // empty) is left out.
  WaveOverview(std::span<const float> samples, std::span<const float> second, double sampleRate);

  std::span<const float> samples() const { return samples_; }
  std::span<const float> second() const { return second_; }
  std::uint64_t size() const { return samples_.size(); }
  bool empty() const { return samples_.empty(); }
  double sampleRate() const { return sampleRate_; }
  std::span<const OverviewLevel> levels() const { return levels_; }

  // The smallest and largest sample in [from, to), to cut at the count;
  // (0, 0) when that is empty.
  MinMax range(std::uint64_t from, std::uint64_t to) const;

 private:
  std::span<const float> samples_;
  std::span<const float> second_;  // empty for one channel
  double sampleRate_ = 0.0;
  std::vector<OverviewLevel> levels_;
};

// The query WaveOverview::range answers, over levels built as above from
// these samples (and the second channel, when it is as long).
MinMax overviewRange(std::span<const float> samples, std::span<const OverviewLevel> levels,
                     std::uint64_t from, std::uint64_t to, std::span<const float> second = {});

}  // namespace orbi::ui
