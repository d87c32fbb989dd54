#pragma once
// Fresh memory a writer is about to fill, taken from the system in one call
// rather than a fault at each page's first write: a decode that fills
// hundreds of megabytes otherwise spends more on the faults than on the
// decode. Only ever a hint, asked a bounded stretch ahead of the writer, so
// that memory is still taken as the writing goes; where the system cannot,
// the writes take the pages as ever. Main thread.

#include <cstddef>

namespace ob {

// Takes the whole pages inside [from, from + bytes).
void takePagesAhead(void* from, std::size_t bytes);

// Asks that the memory inside [from, from + bytes), reserved for a writer
// that will fill all of it, be taken in the system's large pages: one
// fault for each 2 MiB rather than for each 4 KiB, where a fault costs
// tens of microseconds (under some virtual machines) and the writes
// otherwise spend more on taking memory than on what they write. Only
// whole large pages inside the range, so that nothing past it is taken.
void preferLargePages(void* from, std::size_t bytes);

// How far ahead of a writer its pages are taken.
inline constexpr std::size_t kPagesAheadBytes = std::size_t(1) << 20;

}  // namespace ob
