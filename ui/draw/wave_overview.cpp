#include "ui/draw/wave_overview.h"

#include <algorithm>
#include <limits>

namespace orbi::ui {
namespace {

OverviewLevel blockPeaks(std::span<const float> samples, std::span<const float> second) {
  OverviewLevel level(samples.size() / kOverviewBlock);
  const float* block = samples.data();
  const float* other = second.empty() ? nullptr : second.data();
  for (MinMax& pair : level) {
    float lo = block[0], hi = block[0];
    for (std::uint64_t i = 1; i < kOverviewBlock; ++i) {
      lo = std::min(lo, block[i]);
      hi = std::max(hi, block[i]);
    }
    if (other) {
      for (std::uint64_t i = 0; i < kOverviewBlock; ++i) {
        lo = std::min(lo, other[i]);
        hi = std::max(hi, other[i]);
      }
      other += kOverviewBlock;
    }
    pair = {lo, hi};
    block += kOverviewBlock;
  }
  return level;
}

OverviewLevel halved(const OverviewLevel& below) {
  OverviewLevel level(below.size() / 2);
  for (std::size_t i = 0; i < level.size(); ++i) {
    const MinMax a = below[2 * i], b = below[2 * i + 1];
    level[i] = {std::min(a.min, b.min), std::max(a.max, b.max)};
  }
  return level;
}

void take(MinMax& acc, float lo, float hi) {
  acc.min = std::min(acc.min, lo);
  acc.max = std::max(acc.max, hi);
}

}  // namespace

WaveOverview::WaveOverview(std::span<const float> samples, double sampleRate)
    : WaveOverview(samples, {}, sampleRate) {}

WaveOverview::WaveOverview(std::span<const float> samples, std::span<const float> second, double sampleRate)
    : samples_(samples),
      second_(second.first(std::min(second.size(), samples.size()))),
      sampleRate_(sampleRate) {
  if (second_.size() < samples_.size()) second_ = {};
  levels_.push_back(blockPeaks(samples_, second_));
  while (levels_.back().size() >= 2) levels_.push_back(halved(levels_.back()));
}

MinMax WaveOverview::range(std::uint64_t from, std::uint64_t to) const {
  return overviewRange(samples_, levels_, from, to, second_);
}

MinMax overviewRange(std::span<const float> samples, std::span<const OverviewLevel> levels,
                     std::uint64_t from, std::uint64_t to, std::span<const float> second) {
  to = std::min<std::uint64_t>(to, samples.size());
  if (from >= to) return {};
  MinMax acc{std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
  const bool both = second.size() >= samples.size();
  const auto takeSample = [&](std::uint64_t i) {
    take(acc, samples[i], samples[i]);
    if (both) take(acc, second[i], second[i]);
  };
  // Single samples up to the first block boundary, and back from the end to
  // the last one.
  for (; from % kOverviewBlock != 0; ++from) {
    if (from == to) return acc;
    takeSample(from);
  }
  for (; to % kOverviewBlock != 0 && to > from; --to) takeSample(to - 1);
  // Whole blocks, climbing the levels: an odd block at either end is taken
  // at this level, the rest pair up in the next.
  std::uint64_t a = from / kOverviewBlock, b = to / kOverviewBlock;
  for (std::size_t k = 0; k < levels.size() && a < b; ++k) {
    const OverviewLevel& level = levels[k];
    if (a % 2 == 1) {
      take(acc, level[a].min, level[a].max);
      ++a;
    }
    if (b % 2 == 1) {
      --b;
      take(acc, level[b].min, level[b].max);
    }
    a /= 2;
    b /= 2;
  }
  return acc;
}

}  // namespace orbi::ui
