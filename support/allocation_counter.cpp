// The global allocation functions of a test program, counting as they go.
#include "support/allocation_counter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> gAllocationCount{0};
std::atomic<long> gFreeCount{0};
std::atomic<std::size_t> gLargestAllocation{0};
std::atomic<std::size_t> gLiveBytes{0};
std::atomic<std::size_t> gPeakLiveBytes{0};
std::atomic<std::size_t> gStepPeakLiveBytes{0};
std::atomic<ob::test::BlockWatcher> gBlockWatcher{nullptr};

void raiseTo(std::atomic<std::size_t>& mark, std::size_t n) {
  std::size_t seen = mark.load(std::memory_order_relaxed);
  while (n > seen && !mark.compare_exchange_weak(seen, n, std::memory_order_relaxed)) {
  }
}

// Out of line so the compiler cannot pair the malloc and free below with the
// new and delete expressions that reach them.
[[gnu::noinline]] void* countedAllocate(std::size_t n) noexcept {
  gAllocationCount.fetch_add(1, std::memory_order_relaxed);
  raiseTo(gLargestAllocation, n);
  void* p = std::malloc(n ? n : 1);
  if (p) {
    const std::size_t held = malloc_usable_size(p);
    const std::size_t live = gLiveBytes.fetch_add(held, std::memory_order_relaxed) + held;
    raiseTo(gPeakLiveBytes, live);
    raiseTo(gStepPeakLiveBytes, live);
    if (const ob::test::BlockWatcher watcher = gBlockWatcher.load(std::memory_order_relaxed)) watcher(p, held, false);
  }
  return p;
}

[[gnu::noinline]] void countedFree(void* p) noexcept {
  if (!p) return;
  gFreeCount.fetch_add(1, std::memory_order_relaxed);
  const std::size_t held = malloc_usable_size(p);
  if (const ob::test::BlockWatcher watcher = gBlockWatcher.load(std::memory_order_relaxed)) watcher(p, held, true);
  gLiveBytes.fetch_sub(held, std::memory_order_relaxed);
  std::free(p);
}

}  // namespace

namespace ob::test {

long allocationCount() { return gAllocationCount.load(std::memory_order_relaxed); }
long freeCount() { return gFreeCount.load(std::memory_order_relaxed); }
std::size_t largestAllocation() { return gLargestAllocation.load(std::memory_order_relaxed); }
void resetLargestAllocation() { gLargestAllocation.store(0, std::memory_order_relaxed); }
std::size_t liveBytes() { return gLiveBytes.load(std::memory_order_relaxed); }
std::size_t peakLiveBytes() { return gPeakLiveBytes.load(std::memory_order_relaxed); }
void resetPeakLiveBytes() { gPeakLiveBytes.store(liveBytes(), std::memory_order_relaxed); }
std::size_t stepPeakLiveBytes() { return gStepPeakLiveBytes.load(std::memory_order_relaxed); }
void resetStepPeakLiveBytes() { gStepPeakLiveBytes.store(liveBytes(), std::memory_order_relaxed); }
void watchBlocks(BlockWatcher watcher) { gBlockWatcher.store(watcher, std::memory_order_relaxed); }

}  // namespace ob::test

void* operator new(std::size_t n) {
  if (void* p = countedAllocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return countedAllocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return countedAllocate(n); }
void operator delete(void* p) noexcept { countedFree(p); }
void operator delete[](void* p) noexcept { countedFree(p); }
void operator delete(void* p, std::size_t) noexcept { countedFree(p); }
void operator delete[](void* p, std::size_t) noexcept { countedFree(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { countedFree(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { countedFree(p); }
