#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_entry.h"
#include "document/archive/zip_format.h"
#include "document/byte_sink.h"
#include "document/diagnostics.h"

namespace ob::zip {

// An entry's bytes made while the archive is written, for a file no one
// holds whole: their size and CRC-32, known beforehand, and what appends
// them to the archive in order, a piece at a time, false when it cannot
// give them all (after its finding) or the archive's destination refuses
// them (without one).
struct StreamedPayload {
  std::uint64_t size = 0;
  std::uint32_t crc = 0;
  std::function<bool(ByteSink& out, Diagnostics& diagnostics)> append;
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

// An archive laid out, every entry packed as it will be, before a byte of
// it is written: what its directory will declare, for measuring it as a
// reader would, bar the checksums of the bytes it is given whole, which
// are found as they are written. It keeps pointers to the entries it was
// made from, which must outlive it.
class ArchivePlan {
 public:
  struct Planned {
    const EntryView* entry = nullptr;
    std::vector<std::uint8_t> deflated;             // empty unless deflated here
    DirectoryRecord record;                         // crc 0 for bytes given whole
    std::span<const std::uint8_t> payload() const;  // none for a streamed one
    std::uint64_t payloadSize() const;
  };

  const std::vector<Planned>& entries() const { return entries_; }
  std::uint64_t bytes() const { return localBytes_ + directoryBytes_ + kEndRecordSize; }
  std::uint64_t directoryBytes() const { return directoryBytes_; }

 private:
  friend std::optional<ArchivePlan> planZip(std::span<const EntryView> entries, Diagnostics& diagnostics);
  std::vector<Planned> entries_;
  std::uint64_t localBytes_ = 0;
  std::uint64_t directoryBytes_ = 0;
};

// Lays the entries out in list order (stored, or deflated when asked and
// smaller; no Zip64). Fails with an error for too many entries, an unsafe
// or duplicate name, or sizes beyond 32 bits.
std::optional<ArchivePlan> planZip(std::span<const EntryView> entries, Diagnostics& diagnostics);
// Writes the archive of a plan into `out` in order, a record or a payload
// at a time, each payload from where its entry holds it; false, after the
// finding, when a streamed entry cannot give its bytes, and false without
// one when `out` refuses them.
bool writePlannedZip(const ArchivePlan& plan, ByteSink& out, Diagnostics& diagnostics);
// The same into memory, sized once.
std::optional<std::vector<std::uint8_t>> writePlannedZip(const ArchivePlan& plan, Diagnostics& diagnostics);
// Both at once.
std::optional<std::vector<std::uint8_t>> writeZipViews(std::span<const EntryView> entries,
                                                       Diagnostics& diagnostics);
std::optional<std::vector<std::uint8_t>> writeZip(const std::vector<Entry>& entries,
                                                  Diagnostics& diagnostics);

}  // namespace ob::zip
