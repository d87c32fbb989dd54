#include "document/wav/wav_pool.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "document/reading/byte_source.h"
#include "document/reading/forward_reader.h"
#include "document/reading/private_file.h"
#include "document/wav/wav.h"

namespace ob {

namespace {

// A file a save reads again: bytes of a source held open, from an offset,
// which the source is told it lends.
class HeldOpenPlace final : public SampleFilePlace {
 public:
  HeldOpenPlace(std::shared_ptr<const ByteSource> source, std::uint64_t offset, std::uint64_t size)
      : source_(std::move(source)), offset_(offset) {
    source_->lend(offset, size);
  }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override {
    return source_->read(offset_ + offset, out, count);
  }

 private:
  std::shared_ptr<const ByteSource> source_;
  std::uint64_t offset_;
};

// The audio as the pool takes it: the frame count the header gives bounds
// both channels.
SampleAudio audioOf(DecodedWav& wav) {
  const std::size_t frames = std::min<std::size_t>(wav.left.size(), std::max(wav.frames, 0));
  // The peak measured as they were decoded may be of samples cut here.
  const bool whole = wav.left.size() == frames && wav.right.size() <= frames;
  wav.left.resize(frames);
  if (wav.right.size() > frames) wav.right.resize(frames);
  SampleAudio audio;
  audio.left = std::move(wav.left);
  audio.right = std::move(wav.right);
  audio.sampleRate = wav.sampleRate;
  if (whole) audio.peak = wav.peak;
  return audio;
}

// Whether the layout foretells audio that cannot give its file back, so
// that the file is copied as it is decoded rather than read again.
bool copyForeseen(const WavLayout& layout) {
  return layout.channels > 2 || layout.coding == SampleCoding::Pcm32 ||
         layout.coding == SampleCoding::Float64;
}

// What a read of a file keeps of it on the way, each part only when asked
// for: the bytes of it that are not audio, its checksums, and a copy, into
// a private file or memory.
struct FileTap {
  std::uint64_t at = 0;
  std::uint64_t audioFrom = 0, audioTo = 0;
  bool keepsRest = false;
  std::vector<std::uint8_t> head, tail;
  bool sumsCrc = false, sumsDigest = false;
  std::uint32_t crc = 0;
  Sha256 hash;
  std::optional<SampleFileCopy> copy;
  std::vector<std::uint8_t>* memory = nullptr;

  void operator()(std::span<const std::uint8_t> piece) {
    if (sumsCrc) crc = zip::crc32(piece.data(), piece.size(), crc);
    if (sumsDigest) hash.add(piece.data(), piece.size());
    if (keepsRest) keepRest(piece);
    if (copy) copy->add(piece);
    if (memory != nullptr) memory->insert(memory->end(), piece.begin(), piece.end());
    at += piece.size();
  }

  void keepRest(std::span<const std::uint8_t> piece) {
    const std::uint64_t end = at + piece.size();
    if (at < audioFrom)
      head.insert(head.end(), piece.begin(),
                  piece.begin() + static_cast<std::ptrdiff_t>(std::min(end, audioFrom) - at));
    if (end > audioTo)
      tail.insert(tail.end(), piece.end() - static_cast<std::ptrdiff_t>(end - std::max(at, audioTo)),
                  piece.end());
  }
};

// Bytes of a file from offset into out, as sampleFileBytes gives them.
using FileBytes = std::function<bool(std::uint64_t offset, std::span<std::uint8_t> out)>;

// Gives back, as its decode passes them, the bytes of a file in a source
// held open that no one reads once its audio plays (see
// SampleFileOrigin::readOnce), whole pages a megabyte at a time, and puts
// back what it gave should the file be read after all; gives nothing back
// of any other file.
class GivingBack {
 public:
  explicit GivingBack(const SampleFileOrigin& origin);
  GivingBack(const GivingBack&) = delete;
  GivingBack& operator=(const GivingBack&) = delete;

  // What the decode tells as it goes; none when nothing is given back.
  const WavPassing* passing() const { return source_ ? &hooks_ : nullptr; }
  // The decode is done and the audio plays: the rest it passed goes back.
  void finish() { giveBackTo(passedTo_); }
  bool gaveAny() const { return givenTo_ > givenFrom_; }
  // Writes back what was given, read from the file as `file` gives it;
  // from then on nothing more is given back.
  void putBack(const FileBytes& file);

 private:
  static constexpr std::uint64_t kBatch = std::uint64_t(1) << 20;
  void passed(std::uint64_t offset, std::uint64_t count);
  void giveBackTo(std::uint64_t end);
  // Of these bytes of the source, those given back.
  void putBackAt(std::uint64_t at, std::span<const std::uint8_t> bytes);

  const std::uint64_t page_ = pageBytes();
  std::shared_ptr<ByteSource> source_;  // null when nothing is given back
  std::uint64_t at_;                    // where the file starts in it
  WavPassing hooks_;
  std::uint64_t givenFrom_ = 0, givenTo_ = 0;  // whole pages of the source
  std::uint64_t passedTo_ = 0;                 // 0 before the first bytes passed
  bool putBack_ = false;
};

GivingBack::GivingBack(const SampleFileOrigin& origin) : source_(origin.readOnce), at_(origin.offset) {
  hooks_.passed = [this](std::uint64_t offset, std::uint64_t count) { passed(offset, count); };
  hooks_.putBack = [this](std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    putBackAt(at_ + offset, bytes);
  };
}

void GivingBack::passed(std::uint64_t offset, std::uint64_t count) {
  if (!source_ || putBack_) return;
  if (passedTo_ == 0) givenFrom_ = givenTo_ = (at_ + offset + page_ - 1) / page_ * page_;
  passedTo_ = at_ + offset + count;
  if (passedTo_ >= givenTo_ + kBatch + page_) giveBackTo(passedTo_);
}

void GivingBack::giveBackTo(std::uint64_t end) {
  end = end / page_ * page_;
  if (!source_ || putBack_ || end <= givenTo_) return;
  source_->giveBack(givenTo_, end - givenTo_);
  givenTo_ = end;
}

void GivingBack::putBack(const FileBytes& file) {
  std::vector<std::uint8_t> piece;
  for (std::uint64_t at = givenFrom_; at < givenTo_;) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kWavReadPiece, givenTo_ - at)));
    if (file(at - at_, piece)) putBackAt(at, piece);
    at += piece.size();
  }
}

void GivingBack::putBackAt(std::uint64_t at, std::span<const std::uint8_t> bytes) {
  putBack_ = true;
  const std::uint64_t from = std::max(at, givenFrom_), to = std::min(at + bytes.size(), givenTo_);
  if (from < to) source_->putBack(from, bytes.data() + (from - at), static_cast<std::size_t>(to - from));
}

// The file a save writes for the audio, for as long as the audio lives.
FileBytes fileOf(const SampleData& audio) {
  return [&audio](std::uint64_t offset, std::span<std::uint8_t> out) {
    return sampleFileBytes(audio, offset, out);
  };
}

// A file read again whole into a copy, into the private file or, where
// none takes it, memory, checked against the checksum its first read
// found; nothing when it is not what that read found.
struct CopiedAside {
  ReadAgainFile again;
  std::vector<std::uint8_t> bytes;  // when held in memory
};

std::optional<CopiedAside> copiedAside(const ReadFileOnce& once, std::uint64_t fileBytes, std::uint32_t crc,
                                       SampleFileCopies& copies) {
  for (const bool inMemory : {false, true}) {
    CopiedAside aside;
    FileTap tap;
    tap.sumsCrc = tap.sumsDigest = true;
    if (inMemory) {
      aside.bytes.reserve(static_cast<std::size_t>(fileBytes));  // built once, at its size
      tap.memory = &aside.bytes;
    } else if (!(tap.copy = copies.begin()))
      continue;
    if (!passesItsChecks(once, std::ref(tap)) || tap.crc != crc) {
      if (tap.copy) tap.copy->drop();
      return std::nullopt;
    }
    std::shared_ptr<const SampleFilePlace> place = tap.copy ? tap.copy->place() : nullptr;
    if (!inMemory && !place) continue;  // the disk refused it
    aside.again = {std::move(place), fileBytes, {tap.hash.hex(), tap.crc}};
    return aside;
  }
  return std::nullopt;
}

}  // namespace

bool passesItsChecks(const ReadFileOnce& once, const FilePiece& piece) {
  return once([](const WavReadAt&) {}, piece);
}

void SampleFileCopy::add(std::span<const std::uint8_t> piece) {
  if (file_ && !file_->append(piece.data(), piece.size())) drop();
}

std::shared_ptr<const SampleFilePlace> SampleFileCopy::place() const {
  return file_ ? std::make_shared<HeldOpenPlace>(file_, at_, file_->size() - at_) : nullptr;
}

void SampleFileCopy::drop() {
  if (file_) file_->cutTo(at_);
  file_ = nullptr;
}

std::optional<SampleFileCopy> SampleFileCopies::begin() {
  if (!file_) file_ = PrivateFile::create();
  if (!file_) return std::nullopt;
  return SampleFileCopy(file_, file_->size());
}

SampleFileOrigin originIn(const ByteSource& source, std::uint64_t offset, SampleFileSums sums) {
  return {source.heldOpen(), offset, std::move(sums), nullptr};
}

bool keepsPackedForm(const WavLayout& layout, std::uint64_t fileBytes, std::uint64_t packedBytes) {
  const std::uint64_t audio = std::min(layout.audioBytes(), fileBytes);
  return packedBytes > 0 && packedBytes < fileBytes - audio;
}

SharedSampleData packedSampleOf(DecodedWav wav, StoredSampleFile packed) {
  SampleAudio audio = audioOf(wav);
  audio.file = std::move(packed);
  return makeSampleData(std::move(audio));
}

PoolDecode decodeLaidOut(const WavLayout& layout, std::uint64_t fileBytes, const ReadFileOnce& once,
                         const SampleFileOrigin& origin, SampleFileCopies& copies, bool hashed) {
  PoolDecode result;
  const bool known = origin.sums.known();
  FileTap tap;
  tap.audioFrom = std::min(layout.dataPos, fileBytes);
  tap.audioTo = tap.audioFrom + std::min(layout.audioBytes(), fileBytes - tap.audioFrom);
  tap.keepsRest = layout.channels <= 2;
  if (!origin.held && copyForeseen(layout)) tap.copy = copies.begin();
  // The CRC-32 checks each later read against this one; the digest is
  // only for a save that reads this one again.
  tap.sumsCrc = !known;
  tap.sumsDigest = !known && (hashed || origin.held || tap.copy);
  // Checked whole before a sample is decoded: a damaged file fails before
  // any of its audio is held.
  if (!passesItsChecks(once, std::ref(tap))) {
    if (tap.copy) tap.copy->drop();
    result.unread = true;
    return result;
  }
  DecodedWav wav;
  bool decoded = false;
  const auto giving = std::make_shared<GivingBack>(origin);
  const auto decode = [&](const WavReadAt& read) {
    decoded = decodeWavAudio(layout, read, wav, &result.error, giving->passing());
  };
  FileTap again;
  again.sumsCrc = !known;  // else the source checks it
  result.unread = !once(decode, std::ref(again)) || again.crc != tap.crc;
  if (result.unread || !decoded || wav.givesBack) {
    if (tap.copy) tap.copy->drop();
    tap.copy.reset();
  }
  if (decoded && wav.givesBack && result.unread) {
    // A file its second read fails is kept as stored, read where it lies.
    const RebuiltSampleFile file{std::move(tap.head), {}, wav.coding, {}};
    giving->putBack([&](std::uint64_t offset, std::span<std::uint8_t> out) {
      return rebuiltWavPart(file, wav.left, wav.right, offset, out);
    });
  }
  if (result.unread || !decoded) return result;
  giving->finish();
  // Found once, here or by the archive, and carried with the file.
  SampleFileSums sums = known ? origin.sums : SampleFileSums{tap.sumsDigest ? tap.hash.hex() : "", tap.crc};
  if (hashed) result.digest = sums.digest;
  SampleAudio audio = audioOf(wav);
  if (wav.givesBack) {
    audio.file = RebuiltSampleFile{std::move(tap.head), std::move(tap.tail), wav.coding, std::move(sums)};
  } else if (origin.held) {
    audio.file = ReadAgainFile{std::make_shared<HeldOpenPlace>(origin.held, origin.offset, fileBytes),
                               fileBytes, std::move(sums)};
  } else if (std::shared_ptr<const SampleFilePlace> place = tap.copy ? tap.copy->place() : nullptr) {
    audio.file = ReadAgainFile{std::move(place), fileBytes, std::move(sums)};
  } else if (std::optional<CopiedAside> aside = copiedAside(once, fileBytes, sums.crc, copies)) {
    if (aside->again.place)
      audio.file = std::move(aside->again);
    else  // nowhere to copy it to: held, so that nothing is lost
      audio.file = HeldSampleFile{std::move(aside->bytes), std::move(aside->again.sums)};
  } else {
    result.unread = true;
    return result;
  }
  result.audio = makeSampleData(std::move(audio));
  if (giving->gaveAny()) result.putBack = [giving, audio = result.audio] { giving->putBack(fileOf(*audio)); };
  return result;
}

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, const ByteSource& file,
                         SampleFileCopies* copies, bool hashed) {
  PoolDecode result;
  auto refuse = [&](SampleRefusal refusal) {
    result.refusal = refusal;
    result.error = sampleRefusalText(refusal, pool.limits());
    return result;
  };
  if (const SampleRefusal tooLarge = pool.refusalForFile(file.size()); tooLarge != SampleRefusal::None)
    return refuse(tooLarge);
  const WavReadAt at = [&file](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    return file.read(offset, out, count);
  };
  const std::optional<WavLayout> layout = wavLayout(file.size(), at, &result.error);
  if (!layout) return result;
  if (const SampleRefusal byHeader = pool.refusalForAudio(layout->decodedBytes(), into);
      byHeader != SampleRefusal::None)
    return refuse(byHeader);
  const ReadFileOnce once = [&file](const std::function<void(const WavReadAt& read)>& use,
                                    const FilePiece& piece) {
    ForwardReader reader(file, 0, file.size(), piece);
    use([&reader](std::uint64_t offset, std::uint8_t* out, std::size_t count) {
      return reader.read(offset, out, count);
    });
    return reader.finish();
  };
  SampleFileCopies own;
  result =
      decodeLaidOut(*layout, file.size(), once, originIn(file, 0), copies != nullptr ? *copies : own, hashed);
  if (result.unread) result.error = "cannot read the file";
  return result;
}

PoolDecode decodeForPool(const SamplePool& pool, std::int32_t into, std::span<const std::uint8_t> file,
                         SampleFileCopies* copies) {
  return decodeForPool(pool, into, MemoryBytes(file), copies);
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
