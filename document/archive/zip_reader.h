#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"

namespace ob::zip {

// Reads an archive held in memory, treating it as untrusted: entries come out
// in central-directory order, a bad entry is skipped with a warning, and a
// problem of the whole archive reports one error and gives nothing.
std::optional<std::vector<Entry>> readZip(const std::uint8_t* bytes, std::size_t size, Diagnostics& diagnostics,
                                          const Limits& limits = {});

}  // namespace ob::zip
