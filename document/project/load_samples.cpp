#include "document/project/load_samples.h"

#include <cctype>
#include <utility>
#include <variant>

#include "document/package/unpack_limits.h"
#include "document/reading/byte_source.h"
#include "document/wav/wav_pool.h"

namespace ob {
namespace {

std::string startingUpperCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  return text;
}

// Only audio a file decoded to stands for that file.
bool playsAudio(const std::unique_ptr<SamplePoolSlot>& slot) {
  return slot && slot->data && slot->data->frames > 0;
}

bool keepsItsFile(SampleFileOutcome outcome) {
  return outcome == SampleFileOutcome::Unreadable || outcome == SampleFileOutcome::Refused ||
         outcome == SampleFileOutcome::Overpacked || outcome == SampleFileOutcome::Unpackable;
}

}  // namespace

SampleFiles::Known SampleFiles::notHad(const SampleSource& source) {
  Known known;
  if (source.fault != nullptr && !source.fault->empty()) {
    known.outcome = SampleFileOutcome::Unpackable;
    known.decodeError = *source.fault;
  }
  return known;
}

SampleFiles::Known SampleFiles::loadedAs(SharedSampleData audio) {
  Known known;
  known.outcome = SampleFileOutcome::Loaded;
  known.audio = std::move(audio);
  return known;
}

SampleFiles::Known SampleFiles::decode(std::int32_t slot, const SampleSource& source) {
  Known known;
  known.refusal = pool_.refusalForFile(source.declaredBytes);
  std::optional<WavLayout> layout;
  std::string notWav;
  if (known.refusal == SampleRefusal::None && !source.overpacked && source.at) {
    layout = wavLayout(source.declaredBytes, source.at, &notWav);
    if (layout) known.refusal = pool_.refusalForAudio(layout->decodedBytes(), slot);
  }
  if (known.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
    return known;
  }
  if (source.overpacked) {
    known.outcome = SampleFileOutcome::Overpacked;
    return known;
  }
  if (layout && source.once && keepsPackedForm(*layout, source.declaredBytes, source.packedBytes))
    return decodePacked(*layout, source);
  if (SharedSampleData audio = held(source)) return loadedAs(std::move(audio));
  return source.once ? decodeOnce(layout, notWav, source) : decodeWhole(slot, source);
}

SampleFiles::Known SampleFiles::decodeOnce(const std::optional<WavLayout>& layout, const std::string& notWav,
                                           const SampleSource& source) {
  if (layout)
    return outcomeOf(decodeLaidOut(*layout, source.declaredBytes, source.once, source.origin, copies_),
                     source);
  // Read all the same, so that a damaged file says so rather than that it
  // is not audio.
  if (!passesItsChecks(source.once)) return notHad(source);
  Known known;
  known.outcome = SampleFileOutcome::Unreadable;
  known.decodeError = notWav;
  return known;
}

SampleFiles::Known SampleFiles::decodeWhole(std::int32_t slot, const SampleSource& source) {
  std::vector<std::uint8_t> scratch;
  const SampleSource::View file = source.read(scratch);
  if (!file) return notHad(source);
  if (SharedSampleData audio = held(*file)) return loadedAs(std::move(audio));
  return outcomeOf(decodeForPool(pool_, slot, *file, &copies_), source);
}

SampleFiles::Known SampleFiles::outcomeOf(PoolDecode decoded, const SampleSource& source) {
  if (decoded.unread) return notHad(source);
  if (decoded.audio) {
    Known known = loadedAs(std::move(decoded.audio));
    known.putBack = std::move(decoded.putBack);
    return known;
  }
  Known known;
  known.refusal = decoded.refusal;
  if (decoded.refusal != SampleRefusal::None) {
    known.outcome = SampleFileOutcome::Refused;
  } else {
    known.outcome = SampleFileOutcome::Unreadable;
    known.decodeError = std::move(decoded.error);
  }
  return known;
}

SampleFiles::Known SampleFiles::decodePacked(const WavLayout& layout, const SampleSource& source) const {
  if (SharedSampleData audio = heldPacked(source)) return loadedAs(std::move(audio));
  // Checked whole first, so that no audio of a damaged file is held.
  if (!passesItsChecks(source.once)) return notHad(source);
  Known known;
  DecodedWav wav;
  bool decoded = false;
  const bool readAgain = source.once(
      [&](const WavReadAt& read) { decoded = decodeWavAudio(layout, read, wav, &known.decodeError); }, {});
  std::optional<KeptSampleFile> packed = readAgain ? source.keep() : std::nullopt;
  if (!packed) return notHad(source);
  if (!decoded) {
    known.outcome = SampleFileOutcome::Unreadable;
  } else {
    return loadedAs(packedSampleOf(std::move(wav), std::move(static_cast<StoredSampleFile&>(*packed))));
  }
  return known;
}

std::string SampleFiles::cannotPlay(const Known& known) const {
  switch (known.outcome) {
    case SampleFileOutcome::Refused: return sampleRefusalText(known.refusal, pool_.limits());
    case SampleFileOutcome::Overpacked: return overpackedText();
    case SampleFileOutcome::Unreadable:
      return known.decodeError.empty() ? "not audio this build reads" : known.decodeError;
    case SampleFileOutcome::Unpackable: return known.decodeError;
    case SampleFileOutcome::Loaded:
    case SampleFileOutcome::Missing: break;
  }
  return {};
}

SharedSampleData SampleFiles::held(std::span<const std::uint8_t> file) const {
  if (shareFrom_ == nullptr) return nullptr;
  for (const auto& slot : shareFrom_->slots)
    if (playsAudio(slot) && isFileOf(file, *slot->data)) return slot->data;
  return nullptr;
}

SharedSampleData SampleFiles::held(const SampleSource& source) const {
  if (shareFrom_ == nullptr || !source.match || source.declaredBytes == 0) return nullptr;
  std::vector<std::uint8_t> scratch;
  for (const auto& slot : shareFrom_->slots) {
    if (!playsAudio(slot) || slot->data->savedFileBytes() != source.declaredBytes) continue;
    const SampleData& audio = *slot->data;
    if (source.match([&](std::uint64_t offset, std::span<const std::uint8_t> piece) {
          return fileHolds(audio, offset, piece, scratch);
        }))
      return slot->data;
  }
  return nullptr;
}

SharedSampleData SampleFiles::heldKept(const SampleSource& source, const std::string& why) const {
  if (shareFrom_ == nullptr || source.keptDigest.empty() || !source.keptIs) return nullptr;
  for (const auto& slot : shareFrom_->slots) {
    const SampleData* audio = slot ? slot->data.get() : nullptr;
    const KeptSampleFile* kept = audio != nullptr ? audio->kept() : nullptr;
    if (kept != nullptr && kept->digest == source.keptDigest && kept->size == source.declaredBytes &&
        kept->why == why && source.keptIs(*kept))
      return slot->data;
  }
  return nullptr;
}

SharedSampleData SampleFiles::heldPacked(const SampleSource& source) const {
  if (shareFrom_ == nullptr || source.keptDigest.empty() || !source.keep) return nullptr;
  std::optional<KeptSampleFile> stored;  // read at the first that may be it
  for (const auto& slot : shareFrom_->slots) {
    const StoredSampleFile* packed =
        slot && slot->data ? std::get_if<StoredSampleFile>(&slot->data->file) : nullptr;
    if (packed == nullptr || packed->digest != source.keptDigest ||
        packed->stored.size() != source.packedBytes)
      continue;
    if (!stored) stored = source.keep();
    if (stored && static_cast<const StoredSampleFile&>(*stored) == *packed) return slot->data;
  }
  return nullptr;
}

SampleFileOutcome SampleFiles::load(const std::string& key, std::int32_t slot, const SampleSource& source) {
  auto found = known_.find(key);
  if (found == known_.end()) found = known_.emplace(key, decode(slot, source)).first;
  Known& known = found->second;
  if (known.outcome == SampleFileOutcome::Loaded) {
    SampleRefusal refusal = SampleRefusal::None;
    if (pool_.replaceAudio(slot, known.audio, &refusal)) return SampleFileOutcome::Loaded;
    // Audio the pool holds costs nothing more, so only audio that has not
    // reached a slot yet can be refused here. Its file is then kept as
    // stored, read from where it lies.
    if (known.putBack) known.putBack();
    known = Known{SampleFileOutcome::Refused, refusal, nullptr, {}, {}};
  }
  if (!keepsItsFile(known.outcome) || !source.keep) return known.outcome;
  if (!known.audio) known.audio = heldKept(source, cannotPlay(known));
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
  return found != known_.end() && found->second.audio && found->second.audio->kept();
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
