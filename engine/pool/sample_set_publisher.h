#pragma once
// Main-thread side of the sample hand-over: fills a free snapshot record
// from the pool and publishes it, and keeps the sample memory the pool gave
// up until no voice can read it (see SampleSetHandshake).

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/pool/sample_pool.h"
#include "engine/pool/sample_set_handshake.h"

namespace ob {

struct SampleSlotTable;

// Sample memory waiting to be freed: shown by the publications from
// firstShown up to, not including, generation. Until a publish has replaced
// the record that shows it, it has no generation yet (dated false).
struct RetiredSamplePool {
  std::vector<std::unique_ptr<SamplePoolSlot>> slots;
  std::uint32_t firstShown = 0;
  std::uint32_t generation = 0;
  bool dated = false;
};

class SampleSetPublisher {
 public:
  // Fills a free record from the pool and the sample table and publishes
  // it; memory the pool displaced is retired under the new generation. When
  // no record is free (voices ring on records of their own and the audio
  // thread has not taken the last publications yet) nothing is touched,
  // the request is remembered, false is returned and pass() publishes it
  // once one is. While no block runs a record is always free.
  bool publish(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs);

  // Takes over a whole pool that is being replaced; its memory goes once no
  // voice can read it.
  void retirePool(SamplePool&& old);

  // Every main-thread pass: publishes a remembered request once a record is
  // free, then frees the retired memory no voice can read any more.
  void pass(SamplePool& pool, const SampleSlotTable& table, SampleSetHandshake& hs);

  bool publishPending() const { return pending_; }
  std::uint32_t publishedGeneration() const { return publishedGeneration_; }
  const std::vector<RetiredSamplePool>& retired() const { return retired_; }

 private:
  void retire(std::vector<std::unique_ptr<SamplePoolSlot>> slots);
  void freeUnread(SampleSetHandshake& hs);

  std::uint32_t publishedGeneration_ = 0;
  bool pending_ = false;
  std::vector<RetiredSamplePool> retired_;
};

}  // namespace ob
