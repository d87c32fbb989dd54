#pragma once
// Fresh memory a writer is about to fill, taken from the system in one call
// rather than a fault at each page's first write: a decode that fills
// hundreds of megabytes otherwise spends more on the faults than on the
// decode. Only ever a hint, asked a bounded stretch ahead of the writer, so
// that memory is still taken as the writing goes; where the system cannot,
// the writes take the pages as ever. Main thread.

#include <cstddef>

namespace ob {

// Takes the whole pages inside [from, from + bytes), in ordinary pages: a
// large page needs a free 2 MiB block, which under a virtual machine that
// gives free memory back to its host is mostly one given back, and taking
// it then costs several times the 4 KiB pages of memory freed of late.
void takePagesAhead(void* from, std::size_t bytes);

// How far ahead of a writer its pages are taken.
inline constexpr std::size_t kPagesAheadBytes = std::size_t(1) << 20;

}  // namespace ob
