#include "engine/pool/sample_set_publisher.h"

#include <utility>

namespace ob {

bool SampleSetPublisher::publish(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs) {
  if (current_ >= 0 && !hs.acknowledged(publishedGeneration_) && !hs.quiet()) {
    pending_ = true;
    return false;
  }
  flip(pool, table, hs);
  return true;
}

void SampleSetPublisher::publishNow(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs) {
  flip(pool, table, hs);
}

void SampleSetPublisher::retirePool(SamplePool&& old) {
  RetiredSamplePool r;
  r.pool.adoptSlots(std::move(old.slots));
  old.slots.clear();
  r.pool.adoptSlots(old.takeDisplaced());
  // What no snapshot showed is gone already.
  if (r.pool.slots.empty() && !r.pool.hasDisplaced()) return;
  retired_.push_back(std::move(r));
}

void SampleSetPublisher::flip(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs) {
  const int next = current_ < 0 ? 0 : 1 - current_;
  pool.snapshot(snapshots_[next], table);
  pool.markPublished();
  // The old audio stays reachable through the snapshot being replaced until
  // the audio thread acknowledges the generation this publish starts.
  if (pool.hasDisplaced()) {
    RetiredSamplePool r;
    r.pool.adoptSlots(pool.takeDisplaced());
    retired_.push_back(std::move(r));
  }
  const std::uint32_t g = hs.publish(&snapshots_[next]);
  current_ = next;
  publishedGeneration_ = g;
  pending_ = false;
  for (RetiredSamplePool& r : retired_) {
    if (!r.dated) {
      r.generation = g;
      r.dated = true;
    }
  }
}

void SampleSetPublisher::pass(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs) {
  if (pending_) publish(pool, table, hs);
  freeReleased(hs);
}

void SampleSetPublisher::freeReleased(SampleSetHandshake& hs) {
  bool any = false;
  bool waiting = false;
  for (const RetiredSamplePool& r : retired_) {
    if (!r.dated) continue;
    any = true;
    waiting |= !hs.acknowledged(r.generation);
  }
  if (!any) return;
  // Asked only when something waits, so the audio thread drops voices only
  // when there is memory to free.
  const bool all = waiting && hs.quiet();
  // Rebuilt by move construction, so one record's memory never passes into
  // another's; the freed ones go with the old list.
  std::vector<RetiredSamplePool> keep;
  keep.reserve(retired_.size());
  for (RetiredSamplePool& r : retired_)
    if (!r.dated || !(all || hs.acknowledged(r.generation))) keep.push_back(std::move(r));
  retired_.swap(keep);
}

}  // namespace ob
