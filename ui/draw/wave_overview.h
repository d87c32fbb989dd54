#pragma once
// A min/max pyramid over a sample buffer, so a waveform view can ask for the
// peaks of any span in a few steps, whatever its length. Level 0 holds one
// (min, max) pair per whole block of 16 samples; each further level one pair
// per two pairs of the level below (an odd last pair is not carried up),
// until a level has fewer than two pairs. Samples after the last whole
// block are in no level: queries read them one by one.

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

  std::span<const float> samples() const { return samples_; }
  std::uint64_t size() const { return samples_.size(); }
  bool empty() const { return samples_.empty(); }
  double sampleRate() const { return sampleRate_; }
  std::span<const OverviewLevel> levels() const { return levels_; }

  // The smallest and largest sample in [from, to), to cut at the count;
  // (0, 0) when that is empty.
  MinMax range(std::uint64_t from, std::uint64_t to) const;

 private:
  std::span<const float> samples_;
  double sampleRate_ = 0.0;
  std::vector<OverviewLevel> levels_;
};

// The query WaveOverview::range answers, over levels built as above from
// these samples.
MinMax overviewRange(std::span<const float> samples, std::span<const OverviewLevel> levels,
                     std::uint64_t from, std::uint64_t to);

}  // namespace orbi::ui
