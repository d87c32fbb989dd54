#include "document/project/load_samples.h"

#include <cctype>
#include <utility>

#include "document/reading/byte_source.h"
#include "document/wav/wav_pool.h"

namespace ob {

SampleFiles::Known SampleFiles::decode(std::int32_t slot, const File& source) const {
  Known known;
  known.refusal = pool_.refusalForFile(source.declaredBytes);
  if (known.refusal == SampleRefusal::None && source.at)
    if (const auto decodedBytes = wavDecodedBytes(source.declaredBytes, source.at))
      known.refusal = pool_.refusalForAudio(*decodedBytes, slot);
  if (known.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
    return known;
  }
  const auto shared = [&known](SharedSampleData audio) {
    known.outcome = SampleFileOutcome::Loaded;
    known.audio = std::move(audio);
    return known;
  };
  if (SharedSampleData audio = held(source.declaredBytes, source.match)) return shared(std::move(audio));
  std::vector<std::uint8_t> scratch;
  const std::optional<std::span<const std::uint8_t>> file = source.read(scratch);
  if (!file) return known;  // Missing
  if (SharedSampleData audio = held(*file)) return shared(std::move(audio));
  PoolDecode decoded = decodeForPool(
      pool_, slot, *file, viewsScratch(*file, scratch) ? std::move(scratch) : std::vector<std::uint8_t>{});
  known.refusal = decoded.refusal;
  if (decoded.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
  } else if (!decoded.audio) {
    known.outcome = SampleFileOutcome::Unreadable;
    known.decodeError = std::move(decoded.error);
  } else {
    return shared(std::move(decoded.audio));
  }
  return known;
}

SharedSampleData SampleFiles::held(std::span<const std::uint8_t> file) const {
  if (shareFrom_ == nullptr) return nullptr;
  for (const auto& slot : shareFrom_->slots)
    if (slot && slot->data && isFileOf(file, *slot->data)) return slot->data;
  return nullptr;
}

SharedSampleData SampleFiles::held(std::uint64_t size, const Match& match) const {
  if (shareFrom_ == nullptr || !match || size == 0) return nullptr;
  std::vector<std::uint8_t> scratch;
  for (const auto& slot : shareFrom_->slots) {
    if (!slot || !slot->data || fileSizeOf(*slot->data) != size) continue;
    const SampleData& audio = *slot->data;
    if (match([&](std::uint64_t offset, std::span<const std::uint8_t> piece) {
          return fileHolds(audio, offset, piece, scratch);
        }))
      return slot->data;
  }
  return nullptr;
}

SampleFileOutcome SampleFiles::load(const std::string& key, std::int32_t slot, const File& file) {
  auto found = known_.find(key);
  if (found == known_.end()) found = known_.emplace(key, decode(slot, file)).first;
  Known& known = found->second;
  if (known.outcome != SampleFileOutcome::Loaded) return known.outcome;
  SampleRefusal refusal = SampleRefusal::None;
  if (pool_.replaceAudio(slot, known.audio, &refusal)) return SampleFileOutcome::Loaded;
  // Audio the pool holds costs nothing more, so only audio that has not
  // reached a slot yet can be refused here.
  known = Known{SampleFileOutcome::Refused, refusal, nullptr, {}};
  return known.outcome;
}

SampleRefusal SampleFiles::refusal(const std::string& key) const {
  const auto found = known_.find(key);
  return found == known_.end() ? SampleRefusal::None : found->second.refusal;
}

std::string SampleFiles::decodeError(const std::string& key) const {
  const auto found = known_.find(key);
  return found == known_.end() ? std::string() : found->second.decodeError;
}

void reportRefusedSample(Diagnostics& diagnostics, std::string path, SampleRefusal refusal,
                         const SampleLimits& limits) {
  std::string message = sampleRefusalText(refusal, limits);
  if (!message.empty()) message[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(message[0])));
  diagnostics.warn(refusal == SampleRefusal::PoolFull ? "samples-over-budget" : "sample-too-large",
                   std::move(path), message + "; the sample plays silent");
}

}  // namespace ob
