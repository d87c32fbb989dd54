#include "document/project/load_samples.h"

#include <cctype>
#include <utility>

#include "document/package/unpack_limits.h"
#include "document/wav/wav_pool.h"

namespace ob {
namespace {

std::string startingUpperCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

bool keepsItsFile(SampleFileOutcome outcome) {
  return outcome == SampleFileOutcome::Unreadable || outcome == SampleFileOutcome::Refused ||
         outcome == SampleFileOutcome::Overpacked;
}

}  // namespace

SampleFiles::Known SampleFiles::decode(std::int32_t slot, const SampleSource& source) const {
  Known known;
  known.refusal = pool_.refusalForFile(source.declaredBytes);
  if (known.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
    return known;
  }
  if (source.overpacked) {
    known.outcome = SampleFileOutcome::Overpacked;
    return known;
  }
  std::optional<std::vector<std::uint8_t>> bytes = source.read();
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

std::string SampleFiles::cannotPlay(const Known& known) const {
  switch (known.outcome) {
    case SampleFileOutcome::Refused: return sampleRefusalText(known.refusal, pool_.limits());
    case SampleFileOutcome::Overpacked: return overpackedText();
    case SampleFileOutcome::Unreadable:
      return known.decodeError.empty() ? "not audio this build reads" : known.decodeError;
    case SampleFileOutcome::Loaded:
    case SampleFileOutcome::Missing: break;
  }
  return {};
}

SampleFileOutcome SampleFiles::load(const std::string& key, std::int32_t slot, const SampleSource& source) {
  auto found = known_.find(key);
  if (found == known_.end()) found = known_.emplace(key, decode(slot, source)).first;
  Known& known = found->second;
  if (known.outcome == SampleFileOutcome::Loaded) {
    SampleRefusal refusal = SampleRefusal::None;
    if (pool_.replaceAudio(slot, known.audio, &refusal)) return SampleFileOutcome::Loaded;
    // Audio the pool holds costs nothing more, so only audio that has not
    // reached a slot yet can be refused here.
    known = Known{SampleFileOutcome::Refused, refusal, nullptr, {}};
  }
  if (!keepsItsFile(known.outcome) || !source.keep) return known.outcome;
  if (!known.audio) {
    std::optional<KeptSampleFile> file = source.keep();
    if (!file) return known.outcome;
    file->why = cannotPlay(known);
    known.audio = makeKeptSample(std::move(*file));
  }
  // A kept file holds no audio: the pool takes it whatever its limits.
  pool_.replaceAudio(slot, known.audio);
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

bool SampleFiles::kept(const std::string& key) const {
  const auto found = known_.find(key);
  return found != known_.end() && found->second.audio && found->second.audio->kept;
}

std::string playsSilent(bool kept) {
  return kept ? "; the sample plays silent and its file is kept" : "; the sample plays silent";
}

void reportRefusedSample(Diagnostics& diagnostics, std::string path, SampleRefusal refusal,
                         const SampleLimits& limits, bool kept) {
  diagnostics.warn(refusal == SampleRefusal::PoolFull ? "samples-over-budget" : "sample-too-large",
                   std::move(path),
                   startingUpperCase(sampleRefusalText(refusal, limits)) + playsSilent(kept));
}

void reportOverpackedSample(Diagnostics& diagnostics, std::string path, bool kept) {
  diagnostics.warn("asset-overpacked", std::move(path),
                   startingUpperCase(overpackedText()) + playsSilent(kept));
}

}  // namespace ob
