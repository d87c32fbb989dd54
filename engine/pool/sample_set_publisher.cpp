#include "engine/pool/sample_set_publisher.h"

#include <algorithm>
#include <utility>

namespace ob {

bool SampleSetPublisher::publish(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs) {
  int record = hs.freeRecord(hs.known());
  if (record < 0 && hs.fenceWhileIdle()) record = hs.freeRecord(hs.known());
  if (record < 0) {
    pending_ = true;
    return false;
  }
  pool.snapshot(hs.records[record], table);
  // Displaced before this publish, so only the ones before it showed it.
  retire(pool.takeDisplaced());
  const std::uint32_t g = hs.publish(record);
  pool.markPublished(g);
  publishedGeneration_ = g;
  pending_ = false;
  for (RetiredSamplePool& r : retired_) {
    if (!r.dated) {
      r.generation = g;
      r.dated = true;
    }
  }
  return true;
}

void SampleSetPublisher::retirePool(SamplePool&& old) {
  // Slots no snapshot showed go at once; the others are displaced.
  old.adoptSlots({});
  retire(old.takeDisplaced());
}

void SampleSetPublisher::retire(std::vector<std::unique_ptr<SamplePoolSlot>> slots) {
  if (slots.empty()) return;
  // A voice reads a retired slot's audio and nothing else: the file of a
  // sample only these slots hold goes now, not with the audio.
  for (const auto& s : slots) {
    const SharedSampleData held = s->data;
    const long holders =
        std::count_if(slots.begin(), slots.end(), [&](const auto& o) { return o->data == held; });
    const SharedSampleData alone = audioAloneOf(held, holders + 1);
    if (alone == held) continue;
    for (const auto& o : slots)
      if (o->data == held) {
        o->data = alone;
        o->bytes = {};
      }
  }
  RetiredSamplePool r;
  r.firstShown = slots[0]->shownSince;
  for (const auto& s : slots)
    if (!atOrAfter(s->shownSince, r.firstShown)) r.firstShown = s->shownSince;
  r.slots = std::move(slots);
  retired_.push_back(std::move(r));
}

void SampleSetPublisher::pass(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs) {
  if (pending_) publish(pool, table, hs);
  freeUnread(hs);
}

void SampleSetPublisher::freeUnread(SampleSetHandshake& hs) {
  SampleReading k = hs.known();
  const auto unread = [&](const RetiredSamplePool& r) {
    return r.dated && !hs.mayRead(r.firstShown, r.generation, k);
  };
  // Memory still held waits for a block to take a later publication; while
  // no block runs a fence stands in for it, and only what the voices'
  // records show stays.
  const auto held = [&](const RetiredSamplePool& r) { return r.dated && !unread(r); };
  if (std::any_of(retired_.begin(), retired_.end(), held) && hs.fenceWhileIdle()) k = hs.known();
  std::erase_if(retired_, unread);
}

}  // namespace ob
