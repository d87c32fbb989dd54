#include "document/archive/zip_index.h"

#include <string>
#include <unordered_set>
#include <utility>

#include "document/archive/zip_reader.h"

namespace ob::zip {

std::optional<ArchiveIndex> ArchiveIndex::open(const ByteSource& source, Diagnostics& diagnostics,
                                               const Limits& limits) {
  std::optional<std::vector<DirectoryRecord>> directory = readZipDirectory(source, diagnostics, limits);
  if (!directory) return std::nullopt;
  ArchiveIndex index(source);
  index.entries_.reserve(directory->size());
  std::unordered_set<std::string> names;
  for (DirectoryRecord& record : *directory)
    if (const std::optional<std::uint64_t> payload = locateEntry(source, record, names, diagnostics))
      index.entries_.push_back({std::move(record), *payload});
  return index;
}

const LocatedEntry* ArchiveIndex::find(std::string_view name) const {
  for (const LocatedEntry& entry : entries_)
    if (entry.record.name == name) return &entry;
  return nullptr;
}

std::optional<std::vector<std::uint8_t>> ArchiveIndex::unpack(const LocatedEntry& entry,
                                                              Diagnostics& diagnostics) const {
  return unpackEntry(*source_, entry.record, entry.payload, diagnostics);
}

bool ArchiveIndex::readStored(const LocatedEntry& entry, std::uint64_t offset, std::uint8_t* out,
                              std::size_t count) const {
  const DirectoryRecord& record = entry.record;
  if (record.method != 0 || record.packedSize != record.size) return false;
  if (offset > record.size || count > record.size - offset) return false;
  return source_->read(entry.payload + offset, out, count);
}

std::optional<std::span<const std::uint8_t>> ArchiveIndex::view(const LocatedEntry& entry,
                                                                std::vector<std::uint8_t>& scratch,
                                                                Diagnostics& diagnostics) const {
  return viewEntry(*source_, entry.record, entry.payload, scratch, diagnostics);
}

}  // namespace ob::zip
