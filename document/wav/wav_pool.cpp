#include "document/wav/wav_pool.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "document/wav/wav.h"

namespace ob {

namespace {

bool encodes(std::span<const std::uint8_t> file, const std::vector<float>& left,
             const std::vector<float>& right, double sampleRate) {
  return isEncodedWav(file, left.data(), right.empty() ? nullptr : right.data(),
                      static_cast<std::int32_t>(left.size()), sampleRate);
}

// Whether a save writes the file again from the decoded audio. Decoded
// samples are all such as the pool holds them; a rate the pool reads as
// another, or channels it cuts, keep the file.
bool rewritesItsFile(std::span<const std::uint8_t> file, const SampleAudio& audio) {
  const bool heldAsItIs = audio.sampleRate > 0.0 && std::isfinite(audio.sampleRate) &&
                          (audio.right.empty() || audio.right.size() == audio.left.size());
  return heldAsItIs && encodes(file, audio.left, audio.right, audio.sampleRate);
}

}  // namespace

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::span<const std::uint8_t> file,
                         std::vector<std::uint8_t> owned) {
  PoolDecode result;
  auto refuse = [&](SampleRefusal refusal) {
    result.refusal = refusal;
    result.error = sampleRefusalText(refusal, pool.limits());
    return result;
  };
  if (const SampleRefusal tooLarge = pool.refusalForFile(file.size()); tooLarge != SampleRefusal::None)
    return refuse(tooLarge);
  SampleRefusal byHeader = SampleRefusal::None;
  const DecodeAdmission admit = [&](std::uint64_t decodedBytes) {
    byHeader = pool.refusalForAudio(decodedBytes, into);
    return byHeader == SampleRefusal::None;
  };
  DecodedWav wav;
  if (!decodeWav(file.data(), file.size(), wav, &result.error, admit)) {
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
  if (!rewritesItsFile(file, audio)) {
    if (owned.empty()) owned.assign(file.begin(), file.end());
    audio.bytes = std::move(owned);
  }
  result.audio = makeSampleData(std::move(audio));
  return result;
}

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::vector<std::uint8_t> bytes) {
  const std::span<const std::uint8_t> file(bytes);
  return decodeForPool(pool, into, file, std::move(bytes));
}

bool isFileOf(std::span<const std::uint8_t> file, const SampleData& audio) {
  if (!audio.bytes.empty()) return std::ranges::equal(file, audio.bytes);
  return audio.frames > 0 && encodes(file, audio.left, audio.right, audio.sampleRate);
}

bool fileHolds(const SampleData& audio, std::uint64_t offset, std::span<const std::uint8_t> piece,
               std::vector<std::uint8_t>& scratch) {
  if (!audio.bytes.empty()) {
    const std::span<const std::uint8_t> file(audio.bytes);
    return offset <= file.size() && piece.size() <= file.size() - offset &&
           std::ranges::equal(piece, file.subspan(static_cast<std::size_t>(offset), piece.size()));
  }
  scratch.resize(piece.size());
  return audio.frames > 0 &&
         encodeWavPart(audio.left.data(), audio.right.empty() ? nullptr : audio.right.data(), audio.frames,
                       audio.sampleRate, offset, scratch) &&
         std::ranges::equal(piece, scratch);
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
