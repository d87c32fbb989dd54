#pragma once
// Decoded audio as the pool holds it: made once, never changed after, and
// shared by every slot that plays it, so an asset that many slots name is
// held once. Main thread: the audio thread reads it only through a
// published snapshot, and the last slot that lets it go is freed on the
// main thread after the sample-set handshake, like any retired slot.

#include <cstdint>
#include <memory>
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

  // The memory the decoded audio takes, which the pool's limits count.
  std::uint64_t decodedBytes() const { return (left.size() + right.size()) * sizeof(float); }
};

using SharedSampleData = std::shared_ptr<const SampleData>;

// Makes the audio safe to play: both channels cut to the shorter one,
// samples that are not finite silenced and the rest held within
// kMaxSampleMagnitude, a rate that is not positive and finite read as
// 44,100; the peak measured.
SharedSampleData makeSampleData(SampleAudio audio);

}  // namespace ob
