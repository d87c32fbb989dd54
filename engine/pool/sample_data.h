#pragma once
// Decoded audio as the pool holds it: made once, never changed after but
// taken apart by its last holders (audioAloneOf), and shared by every slot
// that plays it, so an asset that many slots name is held once. Main
// thread: the audio thread reads it only through a published snapshot, and
// the last slot that lets it go is freed on the main thread after the
// sample-set handshake, like any retired slot.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

#include "engine/pool/sample_file.h"

namespace ob {

// Decoded audio handed to the pool by its caller, with the file it was
// decoded from as a save writes it again.
struct SampleAudio {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  DecodedSampleFile file;
  // The largest magnitude among left and right, where their maker measured
  // it as it made them (a decode); none where it did not.
  std::optional<float> peak;
};

// The header of the 32-bit float WAV file that audio made here is saved as.
inline constexpr std::uint64_t kMadeFileHeaderBytes = 44;

struct SampleData {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::int32_t frames = 0;
  float peak = 1.0f;  // largest absolute sample; 1 for silence
  // The file the audio was decoded from, written back when saved; kept,
  // with no audio, for a sample that cannot play here.
  SampleFile file;

  // The file kept for a sample that cannot play here; null for any other.
  const KeptSampleFile* kept() const { return std::get_if<KeptSampleFile>(&file); }
  // The file's bytes where they are held whole in memory; empty elsewhere.
  std::span<const std::uint8_t> heldBytes() const;
  // The memory the decoded audio takes, which the pool's limits count.
  std::uint64_t decodedBytes() const { return (left.size() + right.size()) * sizeof(float); }
  // The size of the file a save writes for it; one copied as stored (kept,
  // or packed) at the larger of its stored and declared sizes.
  std::uint64_t savedFileBytes() const;
};

using SharedSampleData = std::shared_ptr<const SampleData>;

// The largest magnitude among samples, as its float's bits: of finite
// samples, the larger the magnitude the larger its bits, and no number's
// are larger than any. Taken on the bits, so that the loop widens.
inline std::uint32_t peakBitsOf(std::span<const float> samples) {
  std::uint32_t peak = 0;
  for (const float x : samples) peak = std::max(peak, std::bit_cast<std::uint32_t>(x) & 0x7FFFFFFFu);
  return peak;
}

// Makes the audio safe to play: both channels cut to the shorter one,
// samples that are not finite silenced and the rest held within
// kMaxSampleMagnitude, a rate that is not positive and finite read as
// 44,100; the peak measured. Audio its maker measured within the limit,
// none of it cut, is taken as it is, at that peak.
SharedSampleData makeSampleData(SampleAudio audio);
// A sample that holds no audio, only its kept file.
SharedSampleData makeKeptSample(KeptSampleFile file);
// The audio alone of a sample that its caller holds `holders` times and
// no one else holds, its file let go: what a retired slot keeps for a
// voice, which reads nothing else. Its channels move, so that views of
// them stay valid. A sample held elsewhere comes back as it is.
SharedSampleData audioAloneOf(const SharedSampleData& sample, long holders);

}  // namespace ob
