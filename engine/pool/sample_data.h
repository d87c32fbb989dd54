#pragma once
// Decoded audio as the pool holds it: made once, never changed after, and
// shared by every slot that plays it, so an asset that many slots name is
// held once. Main thread: the audio thread reads it only through a
// published snapshot, and the last slot that lets it go is freed on the
// main thread after the sample-set handshake, like any retired slot.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ob {

// Decoded audio handed to the pool by its caller, with the file bytes it
// was decoded from (kept for saving; none for audio made here, see
// SampleData::bytes).
struct SampleAudio {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::vector<std::uint8_t> bytes;
};

// A sample that cannot play here (a file this build does not read or
// unpack, a limit it passes, a reference it does not know), kept as its
// document stored it: never unpacked nor decoded, it costs the bytes it was
// stored in and every save writes it back unchanged, the file under its own
// name and the reference as written, so that whatever can read it plays it
// again.
struct KeptSampleFile {
  std::string why;                   // lower-case words, for the user
  std::string ref;                   // the reference to it, as its document wrote it
  std::vector<std::uint8_t> stored;  // as stored, packed or not; empty without a file
  std::uint16_t method = 0;          // how it is packed: 0 stored, 8 deflated, or another
  std::uint16_t flags = 0;           // the flag bits of its payload (encrypted, say)
  std::uint32_t crc = 0;             // CRC-32 of the file, as declared
  std::uint64_t size = 0;            // the file's own size, as declared
  std::string digest;                // the 64 hex digits its entry is named by; empty without a file
};

// The header of the 32-bit float WAV file that audio made here is saved as.
inline constexpr std::uint64_t kMadeFileHeaderBytes = 44;

struct SampleData {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::int32_t frames = 0;
  float peak = 1.0f;  // largest absolute sample; 1 for silence
  // The file the audio was decoded from, written back when saved. Empty for
  // audio made here (a split's halves), and for a file that is exactly what
  // a save writes for the audio (its own 32-bit float WAV): written when
  // saved rather than held twice.
  std::vector<std::uint8_t> bytes;
  // Set, with no audio, for a sample that cannot play here.
  std::optional<KeptSampleFile> kept;

  // The memory the decoded audio takes, which the pool's limits count.
  std::uint64_t decodedBytes() const { return (left.size() + right.size()) * sizeof(float); }
  // The size of the file a save writes for it; a kept one at the larger of
  // its stored and declared sizes, since a save holds both to a limit.
  std::uint64_t savedFileBytes() const {
    if (kept) return std::max<std::uint64_t>(kept->size, kept->stored.size());
    if (!bytes.empty()) return bytes.size();
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
