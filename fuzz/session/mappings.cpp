#include "fuzz/session/mappings.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "fuzz/session/outside.h"

namespace {

struct Mapping {
  std::uintptr_t start = 0;
  std::size_t length = 0;
};

// Held without allocating, so that the heap's measure stays the product's.
constexpr std::size_t kMostMappings = 4096;
std::array<Mapping, kMostMappings> gMappings;
std::size_t gCount = 0;
std::mutex gLock;
// The most the heap (as watched) and the mappings held at one moment since
// the mark.
std::int64_t gPeak = 0;

std::uint64_t pageBytes() {
  static const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  return page;
}

void add(std::uintptr_t start, std::size_t length) {
  if (gCount == kMostMappings) {
    std::fprintf(stderr, "session: the product holds more than %zu mappings\n", kMostMappings);
    std::abort();
  }
  gMappings[gCount++] = {start, length};
}

// Takes [start, start + length) out of every mapping it overlaps.
void remove(std::uintptr_t start, std::size_t length) {
  const std::uintptr_t end = start + (length + pageBytes() - 1) / pageBytes() * pageBytes();
  const std::size_t count = gCount;
  for (std::size_t i = 0; i < count; ++i) {
    Mapping& m = gMappings[i];
    const std::uintptr_t mEnd = m.start + m.length;
    if (end <= m.start || start >= mEnd) continue;
    if (end < mEnd) add(end, mEnd - end);
    m.length = start > m.start ? start - m.start : 0;
  }
  const auto kept = std::remove_if(gMappings.begin(), gMappings.begin() + static_cast<std::ptrdiff_t>(gCount),
                                   [](const Mapping& m) { return m.length == 0; });
  gCount = static_cast<std::size_t>(kept - gMappings.begin());
}

// The bytes of the pages in [start, start + bytes) that take memory.
std::uint64_t residentIn(std::uintptr_t start, std::uint64_t bytes) {
  static unsigned char pages[1u << 16];
  const std::uint64_t total = bytes / pageBytes();
  std::uint64_t resident = 0;
  for (std::uint64_t at = 0; at < total; at += sizeof pages) {
    const std::uint64_t n = std::min<std::uint64_t>(sizeof pages, total - at);
    auto* from = reinterpret_cast<void*>(start + at * pageBytes());
    if (::mincore(from, n * pageBytes(), pages) != 0) continue;
    resident += static_cast<std::uint64_t>(std::count_if(pages, pages + n, [](unsigned char p) { return p & 1; }));
  }
  return resident * pageBytes();
}

std::uint64_t residentLocked() {
  std::uint64_t resident = 0;
  for (std::size_t i = 0; i < gCount; ++i)
    resident += residentIn(gMappings[i].start, (gMappings[i].length + pageBytes() - 1) / pageBytes() * pageBytes());
  return resident;
}

// Heap blocks so large that the allocator maps them apart (kLargeBlock):
// they take memory as their pages are written, as a mapping's do, and the
// heap's count of their whole size is taken down by the pages not yet
// written.
std::array<Mapping, kMostMappings> gBlocks;
std::size_t gBlockCount = 0;
// Whether the heap rose since it was last sampled, and whether anything is
// held whose pages may be written between two changes of the heap.
std::atomic<bool> gRose{false};
std::atomic<bool> gPagesGrow{false};

// The bytes of the large blocks' pages not written (their whole pages).
std::uint64_t unwrittenLocked() {
  std::uint64_t unwritten = 0;
  for (std::size_t i = 0; i < gBlockCount; ++i) {
    const std::uintptr_t first = (gBlocks[i].start + pageBytes() - 1) / pageBytes() * pageBytes();
    const std::uintptr_t end = (gBlocks[i].start + gBlocks[i].length) / pageBytes() * pageBytes();
    if (end > first) unwritten += end - first - residentIn(first, end - first);
  }
  return unwritten;
}

void noteGrowthLocked() { gPagesGrow = gCount + gBlockCount > 0; }

// What the heap and the mappings hold at this moment, into the peak; the
// pages are counted only where they could raise it.
void sampleLocked(std::int64_t watched) {
  std::uint64_t most = 0;
  for (std::size_t i = 0; i < gCount; ++i) most += gMappings[i].length + pageBytes();
  if (watched + static_cast<std::int64_t>(most) <= gPeak) return;
  const auto held = watched + static_cast<std::int64_t>(residentLocked()) - static_cast<std::int64_t>(unwrittenLocked());
  gPeak = std::max(gPeak, held);
}

// Before pages are given back.
void sampleHeld() { sampleLocked(obsession::heapWatched()); }

}  // namespace

// The product's mapping calls, linked with -Wl,--wrap.
extern "C" {
void* __real_mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset);
void* __real_mmap64(void* address, std::size_t length, int protection, int flags, int fd, off64_t offset);
void* __real_mremap(void* old, std::size_t oldLength, std::size_t length, int flags, ...);
int __real_munmap(void* address, std::size_t length);
int __real_madvise(void* address, std::size_t length, int advice);

void* __wrap_mmap(void* address, std::size_t length, int protection, int flags, int fd, off_t offset) {
  void* mapped = __real_mmap(address, length, protection, flags, fd, offset);
  const std::lock_guard lock(gLock);
  if (mapped != MAP_FAILED && (flags & MAP_ANONYMOUS)) add(reinterpret_cast<std::uintptr_t>(mapped), length);
  noteGrowthLocked();
  return mapped;
}
void* __wrap_mmap64(void* address, std::size_t length, int protection, int flags, int fd, off64_t offset) {
  void* mapped = __real_mmap64(address, length, protection, flags, fd, offset);
  const std::lock_guard lock(gLock);
  if (mapped != MAP_FAILED && (flags & MAP_ANONYMOUS)) add(reinterpret_cast<std::uintptr_t>(mapped), length);
  noteGrowthLocked();
  return mapped;
}
void* __wrap_mremap(void* old, std::size_t oldLength, std::size_t length, int flags, ...) {
  void* to = nullptr;
  if (flags & MREMAP_FIXED) {
    std::va_list rest;
    va_start(rest, flags);
    to = va_arg(rest, void*);
    va_end(rest);
  }
  const std::lock_guard lock(gLock);
  sampleHeld();
  void* moved = __real_mremap(old, oldLength, length, flags, to);
  if (moved == MAP_FAILED) return moved;
  const auto from = reinterpret_cast<std::uintptr_t>(old);
  const bool tracked =
      std::any_of(gMappings.begin(), gMappings.begin() + static_cast<std::ptrdiff_t>(gCount),
                  [&](const Mapping& m) { return m.start <= from && from < m.start + m.length; });
  remove(from, oldLength);
  if (tracked) add(reinterpret_cast<std::uintptr_t>(moved), length);
  noteGrowthLocked();
  return moved;
}
int __wrap_munmap(void* address, std::size_t length) {
  const std::lock_guard lock(gLock);
  sampleHeld();
  const int unmapped = __real_munmap(address, length);
  if (unmapped == 0) remove(reinterpret_cast<std::uintptr_t>(address), length);
  noteGrowthLocked();
  return unmapped;
}
int __wrap_madvise(void* address, std::size_t length, int advice) {
  const std::lock_guard lock(gLock);
  sampleHeld();
  return __real_madvise(address, length, advice);
}
}

namespace obsession {

std::uint64_t mappedBytes() {
  const std::lock_guard lock(gLock);
  return residentLocked();
}

MappingsHeld mappingsHeld() {
  const std::lock_guard lock(gLock);
  MappingsHeld held{gCount, 0};
  for (std::size_t i = 0; i < gCount; ++i) held.bytes += gMappings[i].length;
  return held;
}

std::uint64_t heldPeakSinceMark() {
  const std::lock_guard lock(gLock);
  const std::int64_t watched = heapWatched();
  sampleLocked(watched);
  const std::int64_t peak = static_cast<std::int64_t>(heapBytes()) - watched + gPeak;
  return peak > 0 ? static_cast<std::uint64_t>(peak) : 0;
}

void markPeak() {
  const std::lock_guard lock(gLock);
  gPeak = heapWatched() + static_cast<std::int64_t>(residentLocked()) - static_cast<std::int64_t>(unwrittenLocked());
}

void heapBlockAllocated(const void* block, std::size_t bytes) {
  gRose = true;
  if (bytes < kLargeBlock) return;
  const std::lock_guard lock(gLock);
  // One past the table's room is counted whole.
  if (gBlockCount < gBlocks.size()) gBlocks[gBlockCount++] = {reinterpret_cast<std::uintptr_t>(block), bytes};
  noteGrowthLocked();
}

void heapBlockFreeing(const void* block, std::size_t bytes, std::int64_t watched) {
  // The heap is about to fall: it peaked here if it rose since the last
  // sample or pages may have been written since.
  const bool rose = gRose.exchange(false);
  if (!rose && !gPagesGrow && bytes < kLargeBlock) return;
  const std::lock_guard lock(gLock);
  sampleLocked(watched);
  if (bytes < kLargeBlock) return;
  const auto start = reinterpret_cast<std::uintptr_t>(block);
  const auto end = gBlocks.begin() + static_cast<std::ptrdiff_t>(gBlockCount);
  const auto found = std::find_if(gBlocks.begin(), end, [&](const Mapping& b) { return b.start == start; });
  if (found != end) {
    *found = gBlocks[--gBlockCount];
    noteGrowthLocked();
  }
}

}  // namespace obsession
