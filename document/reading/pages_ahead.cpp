#include "document/reading/pages_ahead.h"

#include <sys/mman.h>

#include <cstdint>

#include "document/reading/byte_source.h"

namespace ob {

// Only whole pages inside the range: one that other memory shares is left
// as it is.
void takePagesAhead(void* from, std::size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
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

}  // namespace ob
