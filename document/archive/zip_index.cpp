#include "document/archive/zip_index.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <unordered_set>
#include <utility>

#include "document/archive/zip_reader.h"

namespace ob::zip {
namespace {

// The entries of an archive never share bytes: records that claim the same
// ones (a crafted archive makes one region of a file many large entries)
// are all left out, before any of them is unpacked. An entry spans its
// local header, name, extra field and payload.
void dropOverlappingEntries(std::vector<LocatedEntry>& entries, Diagnostics& diagnostics) {
  const auto start = [&](std::size_t i) { return std::uint64_t{entries[i].record.localOffset}; };
  const auto end = [&](std::size_t i) { return entries[i].payload + entries[i].record.packedSize; };
  std::vector<std::size_t> byStart(entries.size());
  std::iota(byStart.begin(), byStart.end(), std::size_t{0});
  std::sort(byStart.begin(), byStart.end(),
            [&](std::size_t a, std::size_t b) { return start(a) < start(b); });
  std::vector<bool> overlaps(entries.size(), false);
  std::uint64_t reach = 0;  // the furthest end of the entries that start before
  for (std::size_t k = 0; k < byStart.size(); ++k) {
    const std::size_t i = byStart[k];
    overlaps[i] = start(i) < reach || (k + 1 < byStart.size() && end(i) > start(byStart[k + 1]));
    reach = std::max(reach, end(i));
  }
  std::vector<LocatedEntry> kept;
  kept.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (overlaps[i])
      diagnostics.warn("zip-damaged-entry", "/" + entries[i].record.name,
                       "The entry overlaps another entry; skipped");
    else
      kept.push_back(std::move(entries[i]));
  }
  entries = std::move(kept);
}

}  // namespace

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
  dropOverlappingEntries(index.entries_, diagnostics);
  return index;
}

const LocatedEntry* ArchiveIndex::find(std::string_view name) const {
  for (const LocatedEntry& entry : entries_)
    if (entry.record.name == name) return &entry;
  return nullptr;
}

std::optional<std::vector<std::uint8_t>> ArchiveIndex::unpack(const LocatedEntry& entry,
                                                              Diagnostics& diagnostics,
                                                              std::string* fault) const {
  return unpackEntry(*source_, entry.record, entry.payload, diagnostics, fault);
}

std::optional<std::span<const std::uint8_t>> ArchiveIndex::view(const LocatedEntry& entry,
                                                                std::vector<std::uint8_t>& scratch,
                                                                Diagnostics& diagnostics,
                                                                std::string* fault) const {
  return viewEntry(*source_, entry.record, entry.payload, scratch, diagnostics, fault);
}

std::optional<std::vector<std::uint8_t>> ArchiveIndex::stored(const LocatedEntry& entry) const {
  std::vector<std::uint8_t> payload(entry.record.packedSize);
  if (!source_->read(entry.payload, payload.data(), payload.size())) return std::nullopt;
  return payload;
}

std::optional<StoredEntry> ArchiveIndex::keep(const LocatedEntry& entry) const {
  std::optional<std::vector<std::uint8_t>> payload = stored(entry);
  if (!payload) return std::nullopt;
  const DirectoryRecord& record = entry.record;
  return StoredEntry{
      record.name, SharedBytes(std::move(*payload)),
      PackedForm{record.method, std::uint16_t(record.flags & kPayloadFlags), record.crc, record.size}};
}

}  // namespace ob::zip
