#pragma once
// An archive opened for reading entry by entry: its directory is read, every
// record checked in directory order (see locateEntry) and those that share
// bytes with another left out, while no entry is unpacked until a reader
// asks for it. So a package is never taken whole, and an entry no one needs
// is never inflated.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_reader.h"
#include "document/diagnostics.h"
#include "document/reading/byte_source.h"

namespace ob::zip {

// A record that passed the checks, with where its payload starts.
struct LocatedEntry {
  DirectoryRecord record;
  std::uint64_t payload = 0;
};

class ArchiveIndex {
 public:
  // Reads the directory of the archive in source, which must outlive the
  // index; nothing after reporting a problem of the whole archive.
  static std::optional<ArchiveIndex> open(const ByteSource& source, Diagnostics& diagnostics,
                                          const Limits& limits);

  // The sound entries, in directory order.
  const std::vector<LocatedEntry>& entries() const { return entries_; }
  // The entry of exactly that name, or null.
  const LocatedEntry* find(std::string_view name) const;
  // Its bytes (see unpackEntry); nothing with *fault, when given, saying
  // why, else with the reader's warning.
  std::optional<std::vector<std::uint8_t>> unpack(const LocatedEntry& entry, Diagnostics& diagnostics,
                                                  std::string* fault = nullptr) const;
  // What the archive is read from.
  const ByteSource& source() const { return *source_; }
  // A reader of its bytes where they lie (see EntryReader).
  EntryReader reader(const LocatedEntry& entry) const { return {*source_, entry.record, entry.payload}; }
  // Its bytes a piece at a time as they are unpacked (see unpackInPieces).
  bool unpackInPieces(const LocatedEntry& entry, const StreamInflater::Piece& piece) const {
    return zip::unpackInPieces(*source_, entry.record, entry.payload, piece);
  }
  // Its bytes read front to back once (see readEntryOnce).
  bool readOnce(const LocatedEntry& entry, const std::function<void(EntryReader& reader)>& use,
                const StreamInflater::Piece& piece, Diagnostics& diagnostics,
                std::string* fault = nullptr) const {
    return readEntryOnce(*source_, entry.record, entry.payload, use, piece, diagnostics, fault);
  }
  // Whether its bytes are the file `same` is asked about (see entryIs).
  bool is(const LocatedEntry& entry, const SamePiece& same, const StreamInflater::Piece& piece = {}) const {
    return entryIs(*source_, entry.record, entry.payload, same, piece);
  }
  // The same as a view (see viewEntry).
  std::optional<std::span<const std::uint8_t>> view(const LocatedEntry& entry,
                                                    std::vector<std::uint8_t>& scratch,
                                                    Diagnostics& diagnostics,
                                                    std::string* fault = nullptr) const;
  // Its payload as stored, packed or not, never unpacked; nothing when the
  // source cannot be read there.
  std::optional<std::vector<std::uint8_t>> stored(const LocatedEntry& entry) const;
  // The entry as it is stored, to be written into another archive as it
  // is; nothing when the source cannot be read there.
  std::optional<StoredEntry> keep(const LocatedEntry& entry) const;

 private:
  explicit ArchiveIndex(const ByteSource& source) : source_(&source) {}

  const ByteSource* source_;
  std::vector<LocatedEntry> entries_;
};

}  // namespace ob::zip
