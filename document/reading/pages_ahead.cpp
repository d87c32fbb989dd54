#include "document/reading/pages_ahead.h"

#include <sys/mman.h>

#include <cstdint>

#include "document/reading/byte_source.h"

namespace ob {

namespace {

constexpr std::uintptr_t kLargePageBytes = std::uintptr_t(2) << 20;

// Advises the system of the whole pages of `page` bytes inside
// [from, from + bytes): one that other memory shares is left as it is.
void adviseWholePages(void* from, std::size_t bytes, std::uintptr_t page, int advice) {
  const auto start = reinterpret_cast<std::uintptr_t>(from);
  const std::uintptr_t first = (start + page - 1) / page * page;
  const std::uintptr_t end = (start + bytes) / page * page;
  if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, advice);
}

}  // namespace

void takePagesAhead(void* from, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
  adviseWholePages(from, bytes, pageBytes(), MADV_POPULATE_WRITE);
#else
  (void)from;
  (void)bytes;
#endif
}

void preferLargePages(void* from, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
  adviseWholePages(from, bytes, kLargePageBytes, MADV_HUGEPAGE);
#else
  (void)from;
  (void)bytes;
#endif
}

}  // namespace ob
