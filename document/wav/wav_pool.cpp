#include "document/wav/wav_pool.h"

#include <algorithm>
#include <utility>

#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "document/reading/byte_source.h"
#include "document/reading/private_file.h"
#include "document/wav/wav.h"

namespace ob {

namespace {

// A file a save reads again: bytes of a source held open, from an offset.
class HeldOpenPlace final : public SampleFilePlace {
 public:
  HeldOpenPlace(std::shared_ptr<const ByteSource> source, std::uint64_t offset)
      : source_(std::move(source)), offset_(offset) {}
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    return source_->read(offset_ + offset, out, count);
  }

 private:
  std::shared_ptr<const ByteSource> source_;
  std::uint64_t offset_;
};

// Where a save reads again a file that its audio cannot give back: where
// the load found it in the plug-in's keeping, or a copy made now; nothing
// when no copy can be made.
std::optional<ReadAgainFile> readAgainOf(std::span<const std::uint8_t> file, const SampleFileOrigin& origin,
                                         SampleFileCopies& copies) {
  std::shared_ptr<const SampleFilePlace> place =
      origin.held ? std::make_shared<HeldOpenPlace>(origin.held, origin.offset) : copies.copy(file);
  if (!place) return std::nullopt;
  if (!origin.digest.empty()) return ReadAgainFile{std::move(place), file.size(), origin.crc, origin.digest};
  return ReadAgainFile{std::move(place), file.size(), zip::crc32(file.data(), file.size()),
                       sha256Hex(file.data(), file.size())};
}

// The audio as the pool takes it: the frame count the header gives bounds
// both channels.
SampleAudio audioOf(DecodedWav& wav) {
  const std::size_t frames = std::min<std::size_t>(wav.left.size(), std::max(wav.frames, 0));
  wav.left.resize(frames);
  if (wav.right.size() > frames) wav.right.resize(frames);
  SampleAudio audio;
  audio.left = std::move(wav.left);
  audio.right = std::move(wav.right);
  audio.sampleRate = wav.sampleRate;
  return audio;
}

}  // namespace

std::shared_ptr<const SampleFilePlace> SampleFileCopies::copy(std::span<const std::uint8_t> file) {
  if (!file_) file_ = PrivateFile::create();
  if (!file_) return nullptr;
  const std::uint64_t at = file_->size();
  if (!file_->append(file.data(), file.size())) return nullptr;
  return std::make_shared<HeldOpenPlace>(file_, at);
}

SampleFileOrigin originIn(const ByteSource& source, std::uint64_t offset, std::string digest,
                          std::uint32_t crc) {
  return {source.heldOpen(), offset, std::move(digest), crc};
}

bool keepsPackedForm(const WavLayout& layout, std::uint64_t fileBytes, std::uint64_t packedBytes) {
  const std::uint64_t audio = std::min(layout.audioBytes(), fileBytes);
  return packedBytes > 0 && packedBytes < fileBytes - audio;
}

SharedSampleData packedSampleOf(DecodedWav wav, StoredSampleFile packed) {
  SampleAudio audio = audioOf(wav);
  audio.packed = std::move(packed);
  return makeSampleData(std::move(audio));
}

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::span<const std::uint8_t> file,
                         std::vector<std::uint8_t> owned, const SampleFileOrigin& origin,
                         SampleFileCopies* copies) {
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
  SampleAudio audio = audioOf(wav);
  if (std::optional<RebuiltSampleFile> rebuilt = rebuiltWavOf(file, wav, audio.left, audio.right)) {
    audio.rebuilt = std::move(rebuilt);
  } else {
    SampleFileCopies own;
    audio.readAgain = readAgainOf(file, origin, copies != nullptr ? *copies : own);
    // Nowhere to copy it to: held in memory, so that nothing is lost.
    if (!audio.readAgain)
      audio.bytes = owned.empty() ? std::vector<std::uint8_t>(file.begin(), file.end()) : std::move(owned);
  }
  result.audio = makeSampleData(std::move(audio));
  return result;
}

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::vector<std::uint8_t> bytes) {
  const std::span<const std::uint8_t> file(bytes);
  return decodeForPool(pool, into, file, std::move(bytes));
}

bool sampleFileBytes(const SampleData& audio, std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::uint64_t size = audio.savedFileBytes();
  if (audio.kept || audio.packed || offset > size || out.size() > size - offset) return false;
  const std::span<const float> right(audio.right);
  if (!audio.bytes.empty()) {
    std::copy_n(audio.bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  }
  if (audio.readAgain) return audio.readAgain->place->read(offset, out.data(), out.size());
  if (audio.rebuilt) return rebuiltWavPart(*audio.rebuilt, audio.left, right, offset, out);
  return audio.frames > 0 &&
         rebuiltWavPart(encodedWavFile(right.empty() ? 1 : 2, audio.frames, audio.sampleRate), audio.left,
                        right, offset, out);
}

bool isFileOf(std::span<const std::uint8_t> file, const SampleData& audio) {
  if (audio.packed)
    return file.size() == audio.packed->size && sha256Hex(file.data(), file.size()) == audio.packed->digest;
  if (file.size() != audio.savedFileBytes()) return false;
  constexpr std::size_t kPiece = 65536;
  std::vector<std::uint8_t> scratch;
  for (std::size_t at = 0; at < file.size(); at += kPiece)
    if (!fileHolds(audio, at, file.subspan(at, std::min(kPiece, file.size() - at)), scratch)) return false;
  return !file.empty() || sampleFileBytes(audio, 0, {});
}

bool fileHolds(const SampleData& audio, std::uint64_t offset, std::span<const std::uint8_t> piece,
               std::vector<std::uint8_t>& scratch) {
  if (!audio.bytes.empty()) {
    const std::span<const std::uint8_t> file(audio.bytes);
    return offset <= file.size() && piece.size() <= file.size() - offset &&
           std::ranges::equal(piece, file.subspan(static_cast<std::size_t>(offset), piece.size()));
  }
  scratch.resize(piece.size());
  return sampleFileBytes(audio, offset, scratch) && std::ranges::equal(piece, scratch);
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
