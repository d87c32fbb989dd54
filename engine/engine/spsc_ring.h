#pragma once
// A fixed ring of trivially copyable records with one producer and one
// consumer. The producer writes the slot before it publishes the write index
// (release); the consumer reads the index with acquire before it reads the
// slot, and publishes its read index the same way. Holds at most N - 1.

#include <atomic>
#include <cstdint>
#include <type_traits>

namespace ob {

template <typename T, int N>
class SpscRing {
  static_assert(std::is_trivially_copyable_v<T>);
  static_assert(N >= 2);

 public:
  static constexpr int kCapacity = N;

  // Producer. False (and nothing written) when the ring is full.
  bool push(const T& value) {
    const std::int32_t w = write_.load(std::memory_order_relaxed);
    const std::int32_t next = (w + 1) % N;
    if (next == read_.load(std::memory_order_acquire)) return false;
    slots_[w] = value;
    write_.store(next, std::memory_order_release);
    return true;
  }

  // Consumer: whether an entry is ready. Everything the producer did before
  // publishing that entry is visible after this returns true.
  bool ready() const {
    return read_.load(std::memory_order_relaxed) != write_.load(std::memory_order_acquire);
  }

  // Consumer. False when empty.
  bool pop(T& out) {
    const std::int32_t r = read_.load(std::memory_order_relaxed);
    if (r == write_.load(std::memory_order_acquire)) return false;
    out = slots_[r];
    read_.store((r + 1) % N, std::memory_order_release);
    return true;
  }

  // Consumer: skips to a write index the producer published earlier.
  void skipTo(std::int32_t index) { read_.store(((index % N) + N) % N, std::memory_order_release); }
  // Consumer (or anyone while the consumer is not running): drops everything.
  void clear() { read_.store(write_.load(std::memory_order_acquire), std::memory_order_release); }

  // Producer: the index the next entry will be written at.
  std::int32_t writeIndex() const { return write_.load(std::memory_order_relaxed); }
  int size() const {
    const std::int32_t w = write_.load(std::memory_order_acquire);
    const std::int32_t r = read_.load(std::memory_order_acquire);
    return ((w - r) % N + N) % N;
  }

 private:
  T slots_[N]{};
  std::atomic<std::int32_t> write_{0};
  std::atomic<std::int32_t> read_{0};
};

}  // namespace ob
