#pragma once
// Decoded audio as the pool holds it: made once, never changed after, and
// shared by every slot that plays it, so an asset that many slots name is
// held once. Main thread: the audio thread reads it only through a
// published snapshot, and the last slot that lets it go is freed on the
// main thread after the sample-set handshake, like any retired slot.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ob {

// How a file stores each sample of its audio: PCM in a container of one to
// four bytes (one byte unsigned), or IEEE float.
enum class SampleCoding : std::uint8_t { Pcm8, Pcm16, Pcm24, Pcm32, Float32, Float64 };

constexpr std::uint32_t codedSampleBytes(SampleCoding coding) {
  switch (coding) {
    case SampleCoding::Pcm8: return 1;
    case SampleCoding::Pcm16: return 2;
    case SampleCoding::Pcm24: return 3;
    case SampleCoding::Pcm32:
    case SampleCoding::Float32: return 4;
    case SampleCoding::Float64: return 8;
  }
  return 0;
}

// A file that its decoded audio gives back byte for byte (checked when it
// was decoded), so a save writes it again from the audio rather than the
// pool holding it: what of it is not audio, as it was, and how the audio
// is stored, in the audio's one or two channels, interleaved.
struct RebuiltSampleFile {
  std::vector<std::uint8_t> head;  // the bytes before the first sample
  std::vector<std::uint8_t> tail;  // the bytes after the last whole frame
  SampleCoding coding = SampleCoding::Float32;
};

// Where a file lies that a save reads again, as the document layer knows
// it: in the plug-in's own keeping (a private file), never the user's.
class SampleFilePlace {
 public:
  virtual ~SampleFilePlace() = default;
  // Exactly count bytes of the file from offset; false when they cannot be
  // had any more.
  virtual bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const = 0;
};

// A file that its audio cannot give back, which a save reads again from
// the plug-in's own copy of it instead of the pool holding it, checked on
// the way against what the load found.
struct ReadAgainFile {
  std::shared_ptr<const SampleFilePlace> place;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;  // CRC-32 of the file, as zip stores it
  std::string digest;     // its SHA-256, 64 lower-case hex digits
};

// A file as its archive stored it, packed or not, which a save copies as
// it was read, never unpacked.
struct StoredSampleFile {
  std::vector<std::uint8_t> stored;  // as stored, packed or not; empty without a file
  std::uint16_t method = 0;          // how it is packed: 0 stored, 8 deflated, or another
  std::uint16_t flags = 0;           // the flag bits of its payload (encrypted, say)
  std::uint32_t crc = 0;             // CRC-32 of the file, as declared
  std::uint64_t size = 0;            // the file's own size, as declared
  std::string digest;                // the 64 hex digits its entry is named by; empty without a file

  // What a save holds it to: the larger of its stored and declared sizes,
  // since a load's limits count both.
  std::uint64_t savedBytes() const { return std::max<std::uint64_t>(size, stored.size()); }
  bool operator==(const StoredSampleFile&) const = default;
};

// Decoded audio handed to the pool by its caller, with the file it was
// decoded from as a save writes it again (none for audio made here, see
// SampleData::bytes).
struct SampleAudio {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::vector<std::uint8_t> bytes;
  std::optional<RebuiltSampleFile> rebuilt;
  std::optional<ReadAgainFile> readAgain;
  std::optional<StoredSampleFile> packed;
};

// A sample that cannot play here (a file this build does not read or
// unpack, a limit it passes, a reference it does not know), kept as its
// document stored it: never unpacked nor decoded, it costs the bytes it was
// stored in and every save writes it back unchanged, the file under its own
// name and the reference as written, so that whatever can read it plays it
// again.
struct KeptSampleFile : StoredSampleFile {
  std::string why;  // lower-case words, for the user
  std::string ref;  // the reference to it, as its document wrote it
  // The SHA-256 of its bytes (64 lower-case hex digits) where the load read
  // them whole, whatever its name says; empty where it could not (a method
  // this build does not unpack, damaged packing, a limit).
  std::string bytesDigest;
};

// The header of the 32-bit float WAV file that audio made here is saved as.
inline constexpr std::uint64_t kMadeFileHeaderBytes = 44;

struct SampleData {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::int32_t frames = 0;
  float peak = 1.0f;  // largest absolute sample; 1 for silence
  // The file the audio was decoded from, written back when saved, held
  // whole in memory only when a save can have it in no other way: one its
  // archive packed into fewer bytes than what the audio does not give back
  // is held packed, as stored; another the audio gives back is rebuilt from
  // it; any other is read again from the plug-in's own copy of it. None of
  // these for audio made here (a split's halves), saved as its own 32-bit
  // float WAV.
  std::vector<std::uint8_t> bytes;
  std::optional<RebuiltSampleFile> rebuilt;
  std::optional<ReadAgainFile> readAgain;
  std::optional<StoredSampleFile> packed;
  // Set, with no audio, for a sample that cannot play here.
  std::optional<KeptSampleFile> kept;

  // The memory the decoded audio takes, which the pool's limits count.
  std::uint64_t decodedBytes() const { return (left.size() + right.size()) * sizeof(float); }
  // The size of the file a save writes for it; one copied as stored (kept,
  // or packed) at the larger of its stored and declared sizes.
  std::uint64_t savedFileBytes() const {
    if (kept) return kept->savedBytes();
    if (packed) return packed->savedBytes();
    if (!bytes.empty()) return bytes.size();
    if (readAgain) return readAgain->size;
    if (rebuilt)
      return rebuilt->head.size() +
             left.size() * (right.empty() ? 1u : 2u) * codedSampleBytes(rebuilt->coding) +
             rebuilt->tail.size();
    return frames > 0 ? kMadeFileHeaderBytes + decodedBytes() : 0;
  }
};

using SharedSampleData = std::shared_ptr<const SampleData>;

// Makes the audio safe to play: both channels cut to the shorter one,
// samples that are not finite silenced and the rest held within
// kMaxSampleMagnitude, a rate that is not positive and finite read as
// 44,100; the peak measured.
SharedSampleData makeSampleData(SampleAudio audio);
// A sample that holds no audio, only its kept file.
SharedSampleData makeKeptSample(KeptSampleFile file);

}  // namespace ob
