#pragma once
// The decoded audio of the project's sample slots. Main thread only: the
// audio thread reads sample memory solely through a published snapshot.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/pool/sample_data.h"
#include "engine/pool/sample_limits.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

struct SampleSlotTable;

// One slot of the pool: the shared audio it plays, with views of it for
// readers, and the slice positions last published for it.
struct SamplePoolSlot {
  SamplePoolSlot() = default;
  explicit SamplePoolSlot(SharedSampleData audio);

  SharedSampleData data;  // null while the slot is empty
  // Views of data (empty, 44,100, 0 and 1 while there is none).
  std::span<const float> left;
  std::span<const float> right;  // empty for mono
  double sampleRate = 44100.0;
  std::int32_t frames = 0;
  float peak = 1.0f;
  std::span<const std::uint8_t> bytes;  // see SampleData::heldBytes
  std::vector<float> slices;            // positions last published for this slot
  // Shown to the audio thread in a published snapshot, from publication
  // shownSince on; until then the slot may go the moment it is replaced.
  bool published = false;
  std::uint32_t shownSince = 0;
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

  // Every way in makes the audio safe to play (see makeSampleData) and
  // holds it to the pool's limits: audio that a slot already holds costs
  // nothing more, and a refused sample leaves the pool unchanged. A kept
  // sample (SampleData::kept()) holds no audio and counts for none.

  // Puts audio into a new slot after the last one and returns its index, or
  // -1 when refused (*why, when given, says why). A new slot's file also
  // counts against what a save holds (refusalForNewFile). No slot limit
  // here: callers refuse an index of 64 or more.
  std::int32_t append(SampleAudio audio, SampleRefusal* why = nullptr);
  std::int32_t append(SharedSampleData audio, SampleRefusal* why = nullptr);
  // Puts new audio into slot index (0..63), creating empty slots up to it;
  // the slot's slice list is emptied. -1 on a bad index or a refusal, which
  // leave the pool unchanged, with *error saying why.
  std::int32_t replaceSlot(std::uint32_t index, SampleAudio audio, std::string* error = nullptr);
  std::int32_t replaceSlot(std::uint32_t index, SharedSampleData audio, std::string* error = nullptr);
  // The same keeping the slot's slices. False on a bad index or a refusal.
  bool replaceAudio(std::int32_t index, SampleAudio audio, SampleRefusal* why = nullptr);
  bool replaceAudio(std::int32_t index, SharedSampleData audio, SampleRefusal* why = nullptr);
  // The slot at index 0..63, appending empty slots up to it; null outside.
  SamplePoolSlot* slot(std::int32_t index);
  std::int32_t slotCount() const { return static_cast<std::int32_t>(slots.size()); }

  const SampleLimits& limits() const { return limits_; }
  void setLimits(const SampleLimits& limits) { limits_ = limits; }
  // The decoded audio the slots hold, each shared audio counted once.
  std::uint64_t decodedBytes() const;
  // The files a save writes for the slots, each shared sample counted once.
  std::uint64_t savedFileBytes() const;
  // Whether the pool would take a file of this size, before it is decoded.
  SampleRefusal refusalForFile(std::uint64_t fileBytes) const;
  // The same for a file that comes into a new slot: the files of every
  // sample together stay within what a saved project holds and loads.
  SampleRefusal refusalForNewFile(std::uint64_t fileBytes) const;
  // Whether the pool would take audio decoding to this many bytes into slot
  // `into` (whose own audio it would let go), or into a new slot when
  // `into` is none of its slots; asked before the audio is decoded.
  SampleRefusal refusalForAudio(std::uint64_t decodedBytes, std::int32_t into = -1) const;

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

  // Every slot is in the snapshot just published under `generation`.
  void markPublished(std::uint32_t generation);

 private:
  void install(std::int32_t index, std::unique_ptr<SamplePoolSlot> fresh);
  void displace(std::unique_ptr<SamplePoolSlot> old);
  // The refusal for audio about to go into slot `into`.
  SampleRefusal refusalFor(const SampleData& audio, std::int32_t into) const;
  bool holdsElsewhere(const SampleData* audio, std::int32_t except) const;
  // Each distinct sample of the slots once.
  template <typename Visit>
  void forEachSample(Visit visit) const;

  std::vector<std::unique_ptr<SamplePoolSlot>> displaced_;
  SampleLimits limits_;
};

}  // namespace ob
