#include "engine/pool/sample_data.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>
#include <variant>

#include "engine/pool/sample_limits.h"

namespace ob {

namespace {

// Only a damaged file holds samples that are no number or far past full
// scale: silenced or held within the limit, they never reach the voices.
void makePlayable(std::vector<float>& samples) {
  for (float& x : samples)
    x = std::isfinite(x) ? std::clamp(x, -kMaxSampleMagnitude, kMaxSampleMagnitude) : 0.0f;
}

}  // namespace

SharedSampleData makeSampleData(SampleAudio audio) {
  auto data = std::make_shared<SampleData>();
  std::size_t frames = audio.left.size();
  if (!audio.right.empty()) frames = std::min(frames, audio.right.size());
  // A peak its maker measured may be of samples cut here.
  const bool whole = audio.left.size() == frames && (audio.right.empty() || audio.right.size() == frames);
  audio.left.resize(frames);
  if (!audio.right.empty()) audio.right.resize(frames);
  // Audio decoded from a file is playable already, and measured as it was
  // decoded: it is left as it is.
  const bool measured = whole && audio.peak && *audio.peak <= kMaxSampleMagnitude;
  std::uint32_t peak = measured ? std::bit_cast<std::uint32_t>(*audio.peak)
                                : std::max(peakBitsOf(audio.left), peakBitsOf(audio.right));
  if (peak > std::bit_cast<std::uint32_t>(kMaxSampleMagnitude)) {
    makePlayable(audio.left);
    makePlayable(audio.right);
    peak = std::max(peakBitsOf(audio.left), peakBitsOf(audio.right));
  }
  data->left = std::move(audio.left);
  data->right = std::move(audio.right);
  data->sampleRate = audio.sampleRate > 0.0 && std::isfinite(audio.sampleRate) ? audio.sampleRate : 44100.0;
  data->frames = static_cast<std::int32_t>(frames);
  data->peak = peak > 0 ? std::bit_cast<float>(peak) : 1.0f;
  data->file = std::visit([](auto&& file) -> SampleFile { return std::move(file); }, std::move(audio.file));
  return data;
}

SharedSampleData makeKeptSample(KeptSampleFile file) {
  auto data = std::make_shared<SampleData>();
  data->file = std::move(file);
  return data;
}

SharedSampleData audioAloneOf(const SharedSampleData& sample, long holders) {
  if (!sample || sample.use_count() != holders || std::holds_alternative<MadeSampleFile>(sample->file))
    return sample;
  // Every sample is made above, never const itself: its last holders may
  // take it apart, as they would free it.
  auto& last = const_cast<SampleData&>(*sample);
  auto alone = std::make_shared<SampleData>();
  alone->left = std::move(last.left);
  alone->right = std::move(last.right);
  alone->sampleRate = last.sampleRate;
  alone->frames = last.frames;
  alone->peak = last.peak;
  return alone;
}

std::span<const std::uint8_t> SampleData::heldBytes() const {
  const HeldSampleFile* held = std::get_if<HeldSampleFile>(&file);
  return held != nullptr ? std::span<const std::uint8_t>(held->bytes) : std::span<const std::uint8_t>();
}

std::uint64_t SampleData::savedFileBytes() const {
  const std::uint64_t audioSamples = left.size() * (right.empty() ? 1u : 2u);
  return std::visit(
      ForEachForm{
          [&](const MadeSampleFile&) { return frames > 0 ? kMadeFileHeaderBytes + decodedBytes() : 0; },
          [](const HeldSampleFile& held) -> std::uint64_t { return held.bytes.size(); },
          [&](const RebuiltSampleFile& rebuilt) -> std::uint64_t {
            return rebuilt.head.size() + audioSamples * codedSampleBytes(rebuilt.coding) +
                   rebuilt.tail.size();
          },
          [](const ReadAgainFile& again) { return again.size; },
          [](const StoredSampleFile& packed) { return packed.savedBytes(); },
          [](const KeptSampleFile& kept) { return kept.savedBytes(); },
      },
      file);
}

}  // namespace ob
