#pragma once
#include <cstddef>
#include <cstdint>

namespace ob {

constexpr int kSamplePoolSlots = 64;    // slots a snapshot describes
constexpr int kSnapshotMaxSlices = 64;  // slice positions kept per slot

// One read-only view of a pool slot as the audio thread sees it. The
// defaults are the reset entry: no audio, so readers play silence, and a
// peak of 1 so that normalising by it never divides by zero.
struct SampleSlotInfo {
  const float* left = nullptr;
  std::int32_t frames = 0;
  double sampleRate = 44100.0;
  const float* slices = nullptr;  // null when there are none
  std::int32_t sliceCount = 0;    // 0..64
  const float* right = nullptr;   // null for mono: left serves both sides
  float peak = 1.0f;
};

// The flat table through which the audio side reads sample memory. Audio
// data pointers lead into the pool's slots; the slice positions live in the
// snapshot itself, so refilling one snapshot never changes what a reader of
// another one sees.
struct SamplePoolSnapshot {
  SampleSlotInfo slots[kSamplePoolSlots];
  float sliceData[kSamplePoolSlots][kSnapshotMaxSlices] = {};

  const SampleSlotInfo& operator[](std::size_t i) const { return slots[i]; }
  SampleSlotInfo& operator[](std::size_t i) { return slots[i]; }

  // The entry for a slot index, or a reset entry for an index out of range.
  const SampleSlotInfo& slotOrEmpty(std::int64_t i) const {
    static const SampleSlotInfo kEmpty{};
    return (i >= 0 && i < kSamplePoolSlots) ? slots[i] : kEmpty;
  }
};

}  // namespace ob
