#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"

namespace ob::zip {

// Writes the entries in list order (stored, or deflated when asked and
// smaller; no Zip64). Fails with an error for too many entries, an unsafe or
// duplicate name, or sizes beyond 32 bits.
std::optional<std::vector<std::uint8_t>> writeZip(const std::vector<Entry>& entries,
                                                  Diagnostics& diagnostics);

}  // namespace ob::zip
