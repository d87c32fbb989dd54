#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/diagnostics.h"

namespace ob::zip {

// An entry's bytes made while the archive is written, for a file no one
// holds whole: their size and CRC-32, known beforehand, and what appends
// them to the archive in order, false (after its finding) when it cannot
// give them all.
struct StreamedPayload {
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  std::function<bool(std::vector<std::uint8_t>& out, Diagnostics& diagnostics)> append;
};

// An entry to write, whose name and bytes stay the caller's: the archive is
// the only copy the writer makes.
struct EntryView {
  std::string_view name;
  std::span<const std::uint8_t> data;
  bool compress = false;
  // Set for an entry copied as another archive stored it: data is then its
  // stored payload, written as it is.
  std::optional<PackedForm> packed = {};
  // Set for an entry stored as it is made, in place of data.
  const StreamedPayload* streamed = nullptr;
};

// Writes the entries in list order (stored, or deflated when asked and
// smaller; no Zip64) into an archive sized once. Fails with an error for
// too many entries, an unsafe or duplicate name, or sizes beyond 32 bits.
std::optional<std::vector<std::uint8_t>> writeZipViews(std::span<const EntryView> entries,
                                                       Diagnostics& diagnostics);
std::optional<std::vector<std::uint8_t>> writeZip(const std::vector<Entry>& entries,
                                                  Diagnostics& diagnostics);

}  // namespace ob::zip
