#pragma once
// The hand-over between the main thread, which publishes sample snapshots
// and retires sample memory, and the audio thread, which reads through the
// snapshot and acknowledges each new sample-set generation once nothing it
// plays can still hold audio of an older one. While no block can run (the
// host has not started processing, or has stopped it) the main thread need
// not wait for that: it asks for old audio to be let go, and the audio
// thread, before it reads anything of its next block, drops the voices that
// still hold some.

#include <atomic>
#include <cstdint>

#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

struct SampleSetHandshake {
  std::atomic<const SamplePoolSnapshot*> snapshot{nullptr};  // written by the main thread
  std::atomic<std::uint32_t> generation{0};                  // raised by the main thread
  std::atomic<std::uint32_t> ack{0};                         // written by the audio thread
  std::uint32_t seen = 0;                                    // audio thread only
  // Set by the audio thread as a block begins; cleared when processing
  // stops (by the audio thread), or on deactivate (no block can follow).
  std::atomic<bool> processing{false};
  // Raised by the main thread each time it lets go of old audio without an
  // acknowledgement; the audio thread drops old voices when it moves.
  std::atomic<std::uint32_t> releases{0};
  std::uint32_t seenReleases = 0;  // audio thread only

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

  // Main thread: true when no block is running and none that starts later
  // reads audio older than the published snapshot, so that such audio (and
  // the spare snapshot) may be freed or refilled at once. Each true answer
  // holds only for what was published before it was asked. The raise and
  // the look are both sequentially consistent, as enterBlock's store and
  // takeRelease's load are: either this sees the block begin, or that block
  // sees the raise.
  bool quiet() {
    if (processing.load(std::memory_order_seq_cst)) return false;
    releases.fetch_add(1, std::memory_order_seq_cst);
    return !processing.load(std::memory_order_seq_cst);
  }

  // Audio thread, before anything else of a block.
  void enterBlock() {
    if (!processing.load(std::memory_order_relaxed)) processing.store(true, std::memory_order_seq_cst);
  }

  // When processing stops: the audio thread after its last block, or the
  // main thread on deactivate.
  void leaveProcessing() { processing.store(false, std::memory_order_seq_cst); }

  // Audio thread, after enterBlock and before takeGeneration: true when the
  // main thread has let old audio go since the last call; every voice that
  // holds old audio must then stop before it reads any.
  bool takeRelease() {
    const std::uint32_t r = releases.load(std::memory_order_seq_cst);
    if (r == seenReleases) return false;
    seenReleases = r;
    return true;
  }

  // Audio thread, at the start of a block: true when a new generation has
  // been published since the last call. A voice holds the audio of the
  // generation seen when it was hit, until it stops.
  bool takeGeneration() {
    const std::uint32_t g = generation.load(std::memory_order_acquire);
    if (g == seen) return false;
    seen = g;
    return true;
  }

  // Audio thread, every block after takeGeneration: acknowledges every
  // generation up to `oldest`, the oldest one a sounding voice was hit in
  // (seen when none sounds), so that audio only a ringing voice still plays
  // keeps nothing newer alive. Never moves back.
  void acknowledge(std::uint32_t oldest) {
    const std::uint32_t now = ack.load(std::memory_order_relaxed);
    if (static_cast<std::int32_t>(oldest - now) > 0) ack.store(oldest, std::memory_order_release);
  }

  // Audio thread: the snapshot to give the players this block.
  const SamplePoolSnapshot* current() const { return snapshot.load(std::memory_order_acquire); }
};

}  // namespace ob
