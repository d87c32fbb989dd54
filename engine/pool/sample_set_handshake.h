#pragma once
// The hand-over between the main thread, which publishes sample snapshots
// and retires sample memory, and the audio thread, which reads through the
// snapshot and acknowledges each new sample-set generation once nothing it
// plays can still hold audio of an older one.

#include <atomic>
#include <cstdint>

#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

struct SampleSetHandshake {
  std::atomic<const SamplePoolSnapshot*> snapshot{nullptr};  // written by the main thread
  std::atomic<std::uint32_t> generation{0};                  // raised by the main thread
  std::atomic<std::uint32_t> ack{0};                         // written by the audio thread
  std::uint32_t seen = 0;                                    // audio thread only

  // Main thread: makes s the snapshot the audio thread reads from its next
  // block on, and returns the new generation it starts. The pointer is stored
  // before the generation is raised, so a reader that sees the generation
  // sees the pointer.
  std::uint32_t publish(const SamplePoolSnapshot* s) {
    snapshot.store(s, std::memory_order_release);
    return generation.fetch_add(1, std::memory_order_acq_rel) + 1;
  }

  // Main thread: whether the audio thread has finished with everything older
  // than generation g (wrap-safe).
  bool acknowledged(std::uint32_t g) const {
    return static_cast<std::int32_t>(ack.load(std::memory_order_acquire) - g) >= 0;
  }

  // Audio thread, at the start of a block: true when a new generation has
  // been published since the last call; the caller then marks every voice
  // that is sounding now as holding old samples.
  bool takeGeneration() {
    const std::uint32_t g = generation.load(std::memory_order_acquire);
    if (g == seen) return false;
    seen = g;
    return true;
  }

  // Audio thread, every block after takeGeneration: acknowledges the seen
  // generation once no voice holds old samples.
  void acknowledge(bool anyHoldsOld) {
    if (!anyHoldsOld && ack.load(std::memory_order_relaxed) != seen)
      ack.store(seen, std::memory_order_release);
  }

  // Audio thread: the snapshot to give the players this block.
  const SamplePoolSnapshot* current() const { return snapshot.load(std::memory_order_acquire); }
};

}  // namespace ob
