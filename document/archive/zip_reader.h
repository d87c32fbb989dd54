#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"

namespace ob::zip {

// Asked for each entry that is sound enough to unpack, before it is: false
// leaves the entry out without a finding of the reader's (the caller says
// why). Lets a caller refuse an entry by its declared sizes alone.
using EntryFilter = std::function<bool(const DirectoryRecord& record)>;

// Reads an archive held in memory, treating it as untrusted: entries come out
// in central-directory order, a bad entry is skipped with a warning, and a
// problem of the whole archive reports one error and gives nothing. The
// whole directory is held against the limits before anything is unpacked.
std::optional<std::vector<Entry>> readZip(const std::uint8_t* bytes, std::size_t size,
                                          Diagnostics& diagnostics, const Limits& limits = {},
                                          const EntryFilter& admit = {});

}  // namespace ob::zip
