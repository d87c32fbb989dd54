#include "editor/preview_fade.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace orbi {

void fadeOutEnd(std::span<float> samples, double sampleRate) {
  const std::size_t fade =
      std::min(samples.size(), static_cast<std::size_t>(sampleRate * kPreviewFadeSeconds) + 1);
  const std::size_t last = samples.size() - 1;
  for (std::size_t i = 0; i < fade; ++i)
    samples[last - i] *= static_cast<float>(i) / static_cast<float>(fade);
}

}  // namespace orbi
