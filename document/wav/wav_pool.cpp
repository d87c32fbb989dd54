#include "document/wav/wav_pool.h"

#include <algorithm>
#include <utility>

#include "document/wav/wav.h"

namespace ob {

std::optional<SampleAudio> decodeSampleAudio(std::vector<std::uint8_t> bytes, std::string* error) {
  DecodedWav wav;
  if (!decodeWav(bytes.data(), bytes.size(), wav, error)) return std::nullopt;
  // The frame count the header gives bounds both channels.
  const std::size_t frames = std::min<std::size_t>(wav.left.size(), std::max(wav.frames, 0));
  wav.left.resize(frames);
  if (wav.right.size() > frames) wav.right.resize(frames);
  SampleAudio audio;
  audio.left = std::move(wav.left);
  audio.right = std::move(wav.right);
  audio.sampleRate = wav.sampleRate;
  audio.bytes = std::move(bytes);
  return audio;
}

std::int32_t loadWav(SamplePool& pool, std::vector<std::uint8_t> bytes, std::string* error) {
  std::optional<SampleAudio> audio = decodeSampleAudio(std::move(bytes), error);
  return audio ? pool.append(std::move(*audio)) : -1;
}

std::int32_t replaceSlotWav(SamplePool& pool, std::uint32_t index, std::vector<std::uint8_t> bytes,
                            std::string* error) {
  // A bad index is refused before anything is decoded.
  if (index >= static_cast<std::uint32_t>(kSamplePoolSlots))
    return pool.replaceSlot(index, SampleAudio{}, error);
  std::optional<SampleAudio> audio = decodeSampleAudio(std::move(bytes), error);
  return audio ? pool.replaceSlot(index, std::move(*audio), error) : -1;
}

bool addDecoded(SamplePool& pool, std::int32_t index, const std::vector<std::uint8_t>& bytes) {
  if (pool.slot(index) == nullptr) return false;
  std::optional<SampleAudio> audio = decodeSampleAudio(bytes);
  return audio && pool.replaceAudio(index, std::move(*audio));
}

}  // namespace ob
