#pragma once
// The decoded audio of the project's sample slots. Main thread only: the
// audio thread reads sample memory solely through a published snapshot.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

struct SampleSlotTable;

// Decoded audio handed to the pool by its caller, with the file bytes it
// was decoded from (kept for saving).
struct SampleAudio {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::vector<std::uint8_t> bytes;
};

struct SamplePoolSlot {
  std::vector<float> left;
  std::vector<float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::int32_t frames = 0;
  float peak = 1.0f;
  std::vector<std::uint8_t> bytes;  // the file the audio was decoded from, for saving
  std::vector<float> slices;        // positions last published for this slot
};

class SamplePool {
 public:
  // Index = sample slot number. Audio published in a snapshot must never be
  // freed from here directly: replace slots through replaceSlot/replaceAudio,
  // which keep the old audio alive until it is retired.
  std::vector<std::unique_ptr<SamplePoolSlot>> slots;

  SamplePool() = default;
  SamplePool(SamplePool&&) noexcept = default;
  // Takes the other pool's contents; this pool's own slots are not freed but
  // displaced, since a published snapshot may still point into them.
  SamplePool& operator=(SamplePool&& other);
  SamplePool(const SamplePool&) = delete;
  SamplePool& operator=(const SamplePool&) = delete;

  // Every way in makes the audio safe to play: both channels cut to the
  // shorter one, samples that are not finite (only a damaged file holds
  // them) silenced and the rest held within kMaxSampleMagnitude, a rate
  // that is not positive and finite read as 44,100.

  // Puts audio into a new slot after the last one and returns its index. No
  // limit here: callers refuse an index of 64 or more.
  std::int32_t append(SampleAudio audio);
  // Puts new audio into slot index (0..63), creating empty slots up to it;
  // the slot's slice list is emptied. -1 on a bad index, which leaves the
  // pool unchanged.
  std::int32_t replaceSlot(std::uint32_t index, SampleAudio audio, std::string* error = nullptr);
  // The same keeping the slot's slices. False on a bad index.
  bool replaceAudio(std::int32_t index, SampleAudio audio);
  // The slot at index 0..63, appending empty slots up to it; null outside.
  SamplePoolSlot* slot(std::int32_t index);
  std::int32_t slotCount() const { return static_cast<std::int32_t>(slots.size()); }

  // Largest absolute sample over both channels; 1 for silence.
  static float peakOf(const SamplePoolSlot& slot);

  // Fills a snapshot with views of the slots and copies of the table's slice
  // positions. Returns the slot count.
  std::int32_t snapshot(SamplePoolSnapshot& out, const SampleSlotTable& table);
  static void resetInfo(SamplePoolSnapshot& out);

  // Slots displaced by replaceSlot/replaceAudio whose audio a published
  // snapshot may still read. The publisher retires them with the next
  // snapshot it publishes.
  std::vector<std::unique_ptr<SamplePoolSlot>> takeDisplaced();
  bool hasDisplaced() const { return !displaced_.empty(); }

  // Replaces every slot with the given ones; the old slots are displaced,
  // not freed. Use this rather than assigning to `slots`.
  void adoptSlots(std::vector<std::unique_ptr<SamplePoolSlot>> fresh);

 private:
  void install(std::int32_t index, std::unique_ptr<SamplePoolSlot> fresh);
  void displace(std::unique_ptr<SamplePoolSlot> old);

  std::vector<std::unique_ptr<SamplePoolSlot>> displaced_;
};

}  // namespace ob
