#pragma once
// The most text one document may hold: the JSON of a state, project or kit,
// whether read from a stream, a file or an archive entry. A real document
// with every member filled and long foreign members kept is well under a
// megabyte; anything near this is not one, and is refused while it is read,
// never after it has been taken whole.
#include <cstdint>

namespace ob {

inline constexpr std::uint64_t kMaxDocumentTextBytes = std::uint64_t(32) << 20;

}  // namespace ob
