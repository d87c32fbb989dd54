#pragma once
// Counts the allocations, frees and the largest request of a test program,
// so a test can show that audio-thread work allocates nothing and that
// untrusted sizes never decide memory. Include this in exactly one file of
// a test program: it replaces the global allocation functions.

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace ob::test {

inline std::atomic<long> gAllocationCount{0};
inline std::atomic<long> gFreeCount{0};
inline std::atomic<std::size_t> gLargestAllocation{0};

inline long allocationCount() { return gAllocationCount.load(std::memory_order_relaxed); }
inline long freeCount() { return gFreeCount.load(std::memory_order_relaxed); }
inline std::size_t largestAllocation() { return gLargestAllocation.load(std::memory_order_relaxed); }
inline void resetLargestAllocation() { gLargestAllocation.store(0, std::memory_order_relaxed); }

// Out of line so the compiler cannot pair the malloc and free below with the
// new and delete expressions that reach them.
[[gnu::noinline]] inline void* countedAllocate(std::size_t n) noexcept {
  gAllocationCount.fetch_add(1, std::memory_order_relaxed);
  std::size_t seen = gLargestAllocation.load(std::memory_order_relaxed);
  while (n > seen && !gLargestAllocation.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
  return std::malloc(n ? n : 1);
}

[[gnu::noinline]] inline void countedFree(void* p) noexcept {
  if (p) gFreeCount.fetch_add(1, std::memory_order_relaxed);
  std::free(p);
}

}  // namespace ob::test

void* operator new(std::size_t n) {
  if (void* p = ob::test::countedAllocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return ob::test::countedAllocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return ob::test::countedAllocate(n); }
void operator delete(void* p) noexcept { ob::test::countedFree(p); }
void operator delete[](void* p) noexcept { ob::test::countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { ob::test::countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { ob::test::countedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { ob::test::countedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { ob::test::countedFree(p); }
