#include "document/wav/wav_pool.h"

#include <algorithm>
#include <utility>

#include "document/wav/wav.h"

namespace ob {

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::vector<std::uint8_t> bytes) {
  PoolDecode result;
  auto refuse = [&](SampleRefusal refusal) {
    result.refusal = refusal;
    result.error = sampleRefusalText(refusal, pool.limits());
    return result;
  };
  if (const SampleRefusal file = pool.refusalForFile(bytes.size()); file != SampleRefusal::None)
    return refuse(file);
  SampleRefusal byHeader = SampleRefusal::None;
  const DecodeAdmission admit = [&](std::uint64_t decodedBytes) {
    byHeader = pool.refusalForAudio(decodedBytes, into);
    return byHeader == SampleRefusal::None;
  };
  DecodedWav wav;
  if (!decodeWav(bytes.data(), bytes.size(), wav, &result.error, admit)) {
    if (byHeader != SampleRefusal::None) return refuse(byHeader);
    return result;
  }
  // The frame count the header gives bounds both channels.
  const std::size_t frames = std::min<std::size_t>(wav.left.size(), std::max(wav.frames, 0));
  wav.left.resize(frames);
  if (wav.right.size() > frames) wav.right.resize(frames);
  SampleAudio audio;
  audio.left = std::move(wav.left);
  audio.right = std::move(wav.right);
  audio.sampleRate = wav.sampleRate;
  audio.bytes = std::move(bytes);
  result.audio = makeSampleData(std::move(audio));
  return result;
}

std::int32_t loadWav(SamplePool& pool, std::vector<std::uint8_t> bytes, std::string* error) {
  PoolDecode decoded = decodeForPool(pool, -1, std::move(bytes));
  if (!decoded.audio) {
    if (error) *error = std::move(decoded.error);
    return -1;
  }
  SampleRefusal refusal = SampleRefusal::None;
  const std::int32_t slot = pool.append(std::move(decoded.audio), &refusal);
  if (slot < 0 && error) *error = sampleRefusalText(refusal, pool.limits());
  return slot;
}

std::int32_t replaceSlotWav(SamplePool& pool, std::uint32_t index, std::vector<std::uint8_t> bytes,
                            std::string* error) {
  // A bad index is refused before anything is decoded.
  if (index >= static_cast<std::uint32_t>(kSamplePoolSlots))
    return pool.replaceSlot(index, SampleAudio{}, error);
  PoolDecode decoded = decodeForPool(pool, static_cast<std::int32_t>(index), std::move(bytes));
  if (!decoded.audio) {
    if (error) *error = std::move(decoded.error);
    return -1;
  }
  return pool.replaceSlot(index, std::move(decoded.audio), error);
}

}  // namespace ob
