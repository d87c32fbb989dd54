#pragma once
// The hand-over between the main thread, which fills snapshot records and
// retires sample memory, and the audio thread, which reads sample memory
// only through a record. Each publication names one record under a new
// generation. At the start of each block the audio thread takes the newest,
// points every player whose machine reads nothing at it, and a player that
// is hit is pointed at it too; a machine that plays keeps the record it was
// hit with until it stops. Then, and again at the block's end with its
// hits, the audio thread stores one word: the generation it has taken and
// the records it may still read. The word answers two questions apart:
//   - a record may be refilled once the audio thread has taken a later
//     publication and reads it no more;
//   - retired memory may be freed once the audio thread has taken a
//     publication that does not show it and reads no record that did.
// So a ringing voice keeps its own record and memory alive, and holds back
// neither a later publication nor the memory of the ones in between.
//
// While no block runs (between two blocks, and for as long as the host
// calls no process, whether or not it has stopped processing) the main
// thread need not wait for that word: a fence orders the next block after
// everything published so far, and until that block the audio thread reads
// no record but those its last word named.
//
// The audio thread's fields are used by one block at a time, on whichever
// thread the host runs it: the host orders its process calls, and its
// activate and reset, one after another.

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

// Each of the sixteen players may hold a record older than the newest (a
// pre-render holds its player's); with the one the audio thread took and
// the newest, two are left, so a publication finds a free one even when
// another came before a block took the newest. Fewer only make a
// publication wait for a later pass.
inline constexpr int kSampleRecords = 20;

// Whether generation a is b or later (the counter wraps).
inline bool atOrAfter(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) >= 0; }

// What the audio thread may still read: no hit from the generation it has
// taken on reads an older one, and a bit for each record it reads (those
// its machines and pre-renders hold, and the one it took).
struct SampleReading {
  std::uint32_t generation = 0;
  std::uint32_t records = 0;
};

struct SampleSetHandshake {
  static constexpr std::uint32_t kNoRecord = 0xffffffffu;
  static constexpr int kTakenShift = 27;
  static constexpr std::uint32_t kNoTaken = 31u << kTakenShift;
  static_assert(kSampleRecords < 31 && kSampleRecords <= kTakenShift);

  // Filled by the main thread while free (see freeRecord); read by the
  // audio thread from the block that takes their publication.
  SamplePoolSnapshot records[kSampleRecords];

  // ---- Shared
  // The newest publication: its generation in the high half, its record in
  // the low half. Stored by the main thread after it filled the record
  // (release), loaded by the audio thread as a block begins (acquire): a
  // block that sees a publication sees its record filled.
  std::atomic<std::uint64_t> published{kNoRecord};
  // The audio thread's word: the generation taken in the high half; in the
  // low half a bit for each record its machines and pre-renders hold, and
  // from bit kTakenShift the record taken. Stored at each block's start
  // and end (release), and when the players start over; loaded by the main
  // thread (acquire): what the audio thread read before storing it happens
  // before the main thread refills or frees what the word leaves out.
  std::atomic<std::uint64_t> reading{kNoTaken};
  // Bit 0: a block is running. Set by the audio thread as a block begins (a
  // read-modify-write that acquires: see fenceWhileIdle), cleared as it
  // ends, after its last word (release: the block's reads and that word
  // come before a fence that sees it clear). The bits above count the main
  // thread's fences.
  std::atomic<std::uint32_t> blockState{0};
  static_assert(std::atomic<std::uint64_t>::is_always_lock_free);

  // ---- Audio thread only: the publication taken.
  std::uint32_t seen = 0;
  std::uint32_t seenRecord = kNoRecord;

  // ---- Main thread only (which also reads `published`, its own, relaxed)
  // The generation each record was last published at.
  std::uint32_t recordGeneration[kSampleRecords] = {};
  // What the audio thread can read, as the last fence left it.
  SampleReading fenced;

  static std::uint64_t pack(std::uint32_t high, std::uint32_t low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
  }

  // ---- Main thread

  // Makes record r the newest publication and returns its generation.
  std::uint32_t publish(int r) {
    const auto g = static_cast<std::uint32_t>(published.load(std::memory_order_relaxed) >> 32) + 1;
    recordGeneration[r] = g;
    published.store(pack(g, static_cast<std::uint32_t>(r)), std::memory_order_release);
    return g;
  }
  std::uint32_t newestGeneration() const {
    return static_cast<std::uint32_t>(published.load(std::memory_order_relaxed) >> 32);
  }
  // The record last published, or null before the first.
  const SamplePoolSnapshot* newest() const { return recordAt(published.load(std::memory_order_relaxed)); }

  // True when no block runs, and then every later block is ordered after
  // this call: it starts on the newest publication. False, changing
  // nothing, while a block runs. The fence is a read-modify-write of
  // blockState, as a block's start and end are, so they come in one order:
  // a block that starts later reads the fence (acquire, so it sees every
  // publication before it), and the fence reads the last block's end
  // (acquire, so every block before it has finished reading).
  bool fenceWhileIdle() {
    std::uint32_t state = blockState.load(std::memory_order_relaxed);
    while ((state & 1u) == 0)
      if (blockState.compare_exchange_weak(state, state + 2u, std::memory_order_acq_rel,
                                           std::memory_order_relaxed)) {
        // The last block's word, or a later one: its machines' records, and
        // the newest, which the next block takes before any hit.
        const auto holders = static_cast<std::uint32_t>(reading.load(std::memory_order_acquire)) & ~kNoTaken;
        fenced = {newestGeneration(), holders | bitAt(published.load(std::memory_order_relaxed))};
        return true;
      }
    return false;
  }

  // What the audio thread may still read: its last word, or what the last
  // fence left when that is newer.
  SampleReading known() const {
    const SampleReading word = unpack(reading.load(std::memory_order_acquire));
    return atOrAfter(word.generation, fenced.generation) ? word : fenced;
  }

  // The free record published longest ago, or -1 when every record is the
  // newest, is read, or may still be taken (published after the one the
  // audio thread has taken).
  int freeRecord(const SampleReading& k) const {
    const std::uint32_t newest = static_cast<std::uint32_t>(published.load(std::memory_order_relaxed));
    int best = -1;
    for (int r = 0; r < kSampleRecords; ++r) {
      if (static_cast<std::uint32_t>(r) == newest || (k.records >> r & 1u) != 0) continue;
      if (!atOrAfter(k.generation, recordGeneration[r])) continue;
      if (best < 0 || !atOrAfter(recordGeneration[r], recordGeneration[best])) best = r;
    }
    return best;
  }

  // Whether memory that the publications from generation `first` up to,
  // not including, `until` showed may still be read.
  bool mayRead(std::uint32_t first, std::uint32_t until, const SampleReading& k) const {
    if (!atOrAfter(k.generation, until)) return true;
    for (int r = 0; r < kSampleRecords; ++r)
      if ((k.records >> r & 1u) != 0 && recordGeneration[r] - first < until - first) return true;
    return false;
  }

  // ---- Audio thread

  // Before anything else of a block.
  void enterBlock() { blockState.fetch_or(1u, std::memory_order_acquire); }
  // After everything else of a block, its last word included: a host that
  // calls no process for a while, paused or stopped, holds nothing back.
  void leaveBlock() { blockState.fetch_and(~1u, std::memory_order_release); }

  // At the start of a block: takes the newest publication; true when it is
  // a new one.
  bool takeGeneration() {
    const std::uint64_t p = published.load(std::memory_order_acquire);
    const auto g = static_cast<std::uint32_t>(p >> 32);
    if (g == seen) return false;
    seen = g;
    seenRecord = static_cast<std::uint32_t>(p);
    return true;
  }
  // The record taken, or null before the first publication.
  const SamplePoolSnapshot* current() const {
    return seenRecord < kSampleRecords ? &records[seenRecord] : nullptr;
  }
  // The bit of the record s points at; 0 for null or any other snapshot.
  std::uint32_t recordBit(const SamplePoolSnapshot* s) const {
    const std::less<const SamplePoolSnapshot*> before;
    if (s == nullptr || before(s, records) || !before(s, records + kSampleRecords)) return 0;
    return 1u << (s - records);
  }
  // Stores the word: the publication taken and the records the machines
  // and pre-renders hold.
  void report(std::uint32_t holders) {
    const std::uint32_t taken = seenRecord < kSampleRecords ? seenRecord : 31u;
    reading.store(pack(seen, holders | taken << kTakenShift), std::memory_order_release);
  }

 private:
  static SampleReading unpack(std::uint64_t word) {
    const auto low = static_cast<std::uint32_t>(word);
    const std::uint32_t taken = low >> kTakenShift;
    return {static_cast<std::uint32_t>(word >> 32), (low & ~kNoTaken) | (taken < 31u ? 1u << taken : 0u)};
  }
  const SamplePoolSnapshot* recordAt(std::uint64_t word) const {
    const auto r = static_cast<std::uint32_t>(word);
    return r < kSampleRecords ? &records[r] : nullptr;
  }
  static std::uint32_t bitAt(std::uint64_t word) {
    const auto r = static_cast<std::uint32_t>(word);
    return r < kSampleRecords ? 1u << r : 0u;
  }
};

}  // namespace ob
