#include "document/reading/pages_ahead.h"

#include <sys/mman.h>

#include <cstdint>

#include "document/reading/byte_source.h"

namespace ob {

namespace {

constexpr std::uintptr_t kLargePageBytes = std::uintptr_t(2) << 20;

}  // namespace

void takePagesAhead(void* from, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
  // Whole pages only: one that other memory shares is left to fault.
  const std::uintptr_t page = pageBytes();
  const auto start = reinterpret_cast<std::uintptr_t>(from);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t end = (start + bytes) / page * page;
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
  (void)from;
  (void)bytes;
#endif
}

void preferLargePages(void* from, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
  const auto start = reinterpret_cast<std::uintptr_t>(from);
  const std::uintptr_t first = (start + kLargePageBytes - 1) / kLargePageBytes * kLargePageBytes;
  const std::uintptr_t end = (start + bytes) / kLargePageBytes * kLargePageBytes;
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
  (void)from;
  (void)bytes;
#endif
}

}  // namespace ob
