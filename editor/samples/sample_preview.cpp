#include "editor/samples/sample_preview.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "editor/preview_fade.h"
#include "engine/engine/sample_rates.h"
#include "engine/pool/sample_pool.h"

namespace orbi {

namespace {

float peakOf(const float* samples, std::size_t count) {
  float peak = 0.0f;
  for (std::size_t i = 0; i < count; ++i) peak = std::max(peak, std::fabs(samples[i]));
  return peak;
}

}  // namespace

std::vector<float> samplePreview(const ob::SamplePoolSlot& audio) {
  const std::size_t frames = std::min<std::size_t>(std::max(audio.frames, 0), audio.left.size());
  const bool stereo = audio.right.size() >= frames && !audio.right.empty();
  // However high a file's rate claims to be, no more is copied than two
  // seconds at the highest rate the engine runs at.
  const double rate = std::clamp(audio.sampleRate, 1.0, ob::kHighestSampleRate);
  const std::size_t length =
      std::min(frames, static_cast<std::size_t>(std::ceil(rate * kSamplePreviewSeconds)));

  std::vector<float> out(audio.left.begin(), audio.left.begin() + static_cast<std::ptrdiff_t>(length));
  float own = peakOf(out.data(), length);
  if (stereo) {
    own = std::max(own, peakOf(audio.right.data(), length));
    for (std::size_t i = 0; i < length; ++i) out[i] = 0.5f * (out[i] + audio.right[i]);
  }
  // The fold is lifted to the louder channel's peak (the sample's own
  // level), then anything over full scale is brought down to it.
  const float heard = peakOf(out.data(), length);
  if (heard > 0.0f) {
    const float lift = std::min(own / heard, kMaxFoldGain);
    const float gain = lift * std::min(1.0f, 1.0f / (heard * lift));
    if (gain != 1.0f)
      for (float& s : out) s *= gain;
  }

  if (length < frames) fadeOutEnd(out, rate);
  return out;
}

}  // namespace orbi
