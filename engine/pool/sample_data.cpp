#include "engine/pool/sample_data.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/pool/sample_limits.h"

namespace ob {

namespace {

float peakOf(const std::vector<float>& left, const std::vector<float>& right) {
  float peak = 0.0f;
  for (float x : left) peak = std::max(peak, std::fabs(x));
  for (float x : right) peak = std::max(peak, std::fabs(x));
  return peak > 0.0f ? peak : 1.0f;
}

}  // namespace

SharedSampleData makeSampleData(SampleAudio audio) {
  auto data = std::make_shared<SampleData>();
  std::size_t frames = audio.left.size();
  if (!audio.right.empty()) frames = std::min(frames, audio.right.size());
  audio.left.resize(frames);
  if (!audio.right.empty()) audio.right.resize(frames);
  // Only a damaged file holds samples that are no number or far past full
  // scale: silenced or held within the limit, they never reach the voices.
  const auto playable = [](float x) {
    return std::isfinite(x) ? std::clamp(x, -kMaxSampleMagnitude, kMaxSampleMagnitude) : 0.0f;
  };
  for (float& x : audio.left) x = playable(x);
  for (float& x : audio.right) x = playable(x);
  data->left = std::move(audio.left);
  data->right = std::move(audio.right);
  data->sampleRate = audio.sampleRate > 0.0 && std::isfinite(audio.sampleRate) ? audio.sampleRate : 44100.0;
  data->frames = static_cast<std::int32_t>(frames);
  data->peak = peakOf(data->left, data->right);
  data->bytes = std::move(audio.bytes);
  data->rebuilt = std::move(audio.rebuilt);
  data->readAgain = std::move(audio.readAgain);
  data->packed = std::move(audio.packed);
  return data;
}

SharedSampleData makeKeptSample(KeptSampleFile file) {
  auto data = std::make_shared<SampleData>();
  data->kept = std::move(file);
  return data;
}

}  // namespace ob
