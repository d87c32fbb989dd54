#include "document/project/load_samples.h"

#include <cctype>
#include <utility>

#include "document/wav/wav_pool.h"

namespace ob {

SampleFiles::Known SampleFiles::decode(std::int32_t slot, std::uint64_t declaredBytes,
                                       const Read& read) const {
  Known known;
  known.refusal = pool_.refusalForFile(declaredBytes);
  if (known.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
    return known;
  }
  std::optional<std::vector<std::uint8_t>> bytes = read();
  if (!bytes) return known;  // Missing
  PoolDecode decoded = decodeForPool(pool_, slot, std::move(*bytes));
  known.refusal = decoded.refusal;
  if (decoded.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
  } else if (!decoded.audio) {
    known.outcome = SampleFileOutcome::Unreadable;
    known.decodeError = std::move(decoded.error);
  } else {
    known.outcome = SampleFileOutcome::Loaded;
    known.audio = std::move(decoded.audio);
  }
  return known;
}

SampleFileOutcome SampleFiles::load(const std::string& key, std::int32_t slot, std::uint64_t declaredBytes,
                                    const Read& read) {
  auto found = known_.find(key);
  if (found == known_.end()) found = known_.emplace(key, decode(slot, declaredBytes, read)).first;
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
