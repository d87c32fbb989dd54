#pragma once
// Main-thread side of the sample hand-over: two snapshots used alternately,
// and the sample memory given up by the pool, kept until the audio thread
// can no longer read it: until it acknowledges the snapshot that replaced
// it, or, while no block runs, not at all.

#include <cstdint>
#include <vector>

#include "engine/pool/sample_pool.h"
#include "engine/pool/sample_pool_snapshot.h"
#include "engine/pool/sample_set_handshake.h"

namespace ob {

struct SampleSlotTable;

// Sample memory waiting to be freed. Until a publish has replaced the
// snapshot that points into it, it has no generation yet (dated false).
struct RetiredSamplePool {
  SamplePool pool;
  std::uint32_t generation = 0;
  bool dated = false;
};

class SampleSetPublisher {
 public:
  // Refills the snapshot not in use from the pool and the sample table and
  // publishes it. The spare snapshot may still be in the audio thread's hands
  // until the current one has been acknowledged, unless no block runs; until
  // then the request is remembered, nothing is touched, false is returned
  // and pass() publishes it later. Memory the pool displaced is retired
  // under the new generation.
  bool publish(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs);

  // The same without waiting, for when the audio thread is not processing
  // (activate, or before the first block).
  void publishNow(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs);

  // Takes over a whole pool that is being replaced. Its memory is freed
  // only after a later publish has replaced the snapshot and the audio
  // thread has acknowledged that.
  void retirePool(SamplePool&& old);

  // Every main-thread pass: publishes a remembered request once allowed,
  // then frees the retired pools the audio thread can no longer read.
  void pass(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs);

  bool publishPending() const { return pending_; }
  // 0 or 1: the snapshot last published; -1 before the first publish.
  int currentIndex() const { return current_; }
  const SamplePoolSnapshot& snapshot(int i) const { return snapshots_[i & 1]; }
  std::uint32_t publishedGeneration() const { return publishedGeneration_; }
  const std::vector<RetiredSamplePool>& retired() const { return retired_; }

 private:
  void flip(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs);
  void freeReleased(SampleSetHandshake& hs);

  SamplePoolSnapshot snapshots_[2];
  int current_ = -1;
  std::uint32_t publishedGeneration_ = 0;
  bool pending_ = false;
  std::vector<RetiredSamplePool> retired_;
};

}  // namespace ob
