#include "document/archive/zip_reader.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "document/archive/crc32.h"
#include "document/archive/inflate.h"
#include "document/archive/zip_format.h"
#include "document/archive/zip_index.h"
#include "document/archive/zip_measure.h"

namespace ob::zip {
namespace {

// DEFLATE turns one input byte into at most 1,032 output bytes (two 1-bit
// codes for a 258-byte copy), so a declared size above that is a lie and
// must not decide how much memory is taken up front.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint64_t reserveFor(std::uint64_t declared, std::uint64_t compressed) {
  return std::min(declared, compressed * kMaxDeflateRatio + kMaxDeflateRatio);
}

// Whether a record's payload can be unpacked here at all: by its method
// and whether it is encrypted.
bool unpackable(const DirectoryRecord& record) {
  return (record.flags & 1u) == 0 && (record.method == 0 || record.method == 8);
}

// The checks on the record alone; false skips it. Names are claimed before
// the checks after the name rule, so a skipped entry still makes a later
// one of its name a duplicate. An entry that cannot be unpacked here is
// located all the same, for keeping it as it is stored: what becomes of it
// is said by whoever asks for its bytes.
bool passesRecordChecks(const DirectoryRecord& record, const std::string& path,
                        std::unordered_set<std::string>& names, Diagnostics& diagnostics) {
  if (!record.name.empty() && record.name.back() == '/') return false;  // a directory
  if (!isSafeEntryName(record.name)) {
    diagnostics.warn("zip-unsafe-name", path, "The entry name leaves the archive; skipped");
    return false;
  }
  if (!names.insert(record.name).second) {
    diagnostics.warn("zip-duplicate-name", path, "A second entry of the same name; skipped");
    return false;
  }
  return true;
}

// The warning for an entry whose bytes cannot be had, which is then
// skipped; a caller that asks why (fault) says itself what becomes of it.
void refuse(Diagnostics& diagnostics, std::string* fault, const char* code, const std::string& path,
            const std::string& warning, std::string why) {
  if (fault != nullptr)
    *fault = std::move(why);
  else
    diagnostics.warn(code, path, warning + "; skipped");
}

constexpr const char* kSourceUnreadable = "the archive cannot be read there";

// Why an entry cannot be unpacked here, said as refuse says it; false
// when it can be.
bool refuseSealed(const DirectoryRecord& record, Diagnostics& diagnostics, std::string* fault) {
  const std::string path = "/" + record.name;
  if (record.flags & 1u) {
    refuse(diagnostics, fault, "zip-encrypted", path, "Encrypted entries are not supported",
           "it is encrypted");
    return true;
  }
  if (unpackable(record)) return false;
  refuse(diagnostics, fault, "zip-method", path, "Entries are stored or deflated",
         "it is compressed with " + methodName(record.method) + ", which this build does not unpack");
  return true;
}

// Why an entry's bytes cannot be had: the archive cannot be read where a
// stored one lies, or a deflated one does not unpack.
void reportUnpackFailure(const DirectoryRecord& record, std::string reason, Diagnostics& diagnostics,
                         std::string* fault) {
  const std::string path = "/" + record.name;
  if (record.method == 0) {
    refuse(diagnostics, fault, "zip-damaged-entry", path, "The archive cannot be read", kSourceUnreadable);
    return;
  }
  if (reason.empty()) reason = "wrong size";
  refuse(diagnostics, fault, "zip-damaged-entry", path, "Cannot decompress: " + reason,
         "its packed bytes are damaged (" + reason + ")");
}

void reportChecksumFailure(const DirectoryRecord& record, Diagnostics& diagnostics, std::string* fault) {
  refuse(diagnostics, fault, "zip-checksum", "/" + record.name, "Checksum mismatch",
         "its bytes fail their checksum");
}

}  // namespace

std::optional<std::uint64_t> locateEntry(const ByteSource& source, const DirectoryRecord& record,
                                         std::unordered_set<std::string>& names, Diagnostics& diagnostics) {
  const std::string path = "/" + record.name;
  if (!passesRecordChecks(record, path, names, diagnostics)) return std::nullopt;
  const std::uint64_t total = source.size();
  const std::uint64_t localOffset = record.localOffset;
  std::uint8_t lh[kLocalHeaderSize];
  if (localOffset + kLocalHeaderSize > total || !source.read(localOffset, lh, kLocalHeaderSize) ||
      readU32LE(lh) != kLocalHeaderSignature) {
    diagnostics.warn("zip-damaged-entry", path, "The entry's header is damaged; skipped");
    return std::nullopt;
  }
  // Such an entry can never be read, nor written back as a load would take it.
  if (!ArchiveMeasure::payloadFits(record)) {
    diagnostics.warn("zip-damaged-entry", path,
                     record.method == 0 ? "Stored sizes disagree; skipped"
                                        : "The entry's packed size does not fit its size; skipped");
    return std::nullopt;
  }
  const std::uint64_t payload = localOffset + kLocalHeaderSize + readU16LE(lh + 26) + readU16LE(lh + 28);
  if (payload + record.packedSize > total) {
    diagnostics.warn("zip-damaged-entry", path, "The entry runs past the archive; skipped");
    return std::nullopt;
  }
  return payload;
}

std::optional<std::span<const std::uint8_t>> viewEntry(const ByteSource& source,
                                                       const DirectoryRecord& record, std::uint64_t payload,
                                                       std::vector<std::uint8_t>& scratch,
                                                       Diagnostics& diagnostics, std::string* fault) {
  if (refuseSealed(record, diagnostics, fault)) return std::nullopt;
  std::optional<std::span<const std::uint8_t>> data;
  if (record.method == 0) {
    data = source.view(payload, static_cast<std::size_t>(record.size), scratch);
    if (!data) {
      reportUnpackFailure(record, {}, diagnostics, fault);
      return std::nullopt;
    }
  } else {
    scratch.clear();
    scratch.reserve(reserveFor(record.size, record.packedSize));
    std::string reason;
    const bool ok = inflate(source, payload, record.packedSize, record.size, scratch, reason);
    if (!ok || scratch.size() != record.size) {
      reportUnpackFailure(record, std::move(reason), diagnostics, fault);
      return std::nullopt;
    }
    data = std::span<const std::uint8_t>(scratch);
  }
  if (crc32(data->data(), data->size()) != record.crc) {
    reportChecksumFailure(record, diagnostics, fault);
    return std::nullopt;
  }
  return data;
}

bool readEntryOnce(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
                   const std::function<void(EntryReader& reader)>& use, const StreamInflater::Piece& piece,
                   Diagnostics& diagnostics, std::string* fault) {
  if (refuseSealed(record, diagnostics, fault)) return false;
  std::uint32_t crc = 0;
  EntryReader reader(source, record, payload, [&](std::span<const std::uint8_t> bytes) {
    crc = crc32(bytes.data(), bytes.size(), crc);
    if (piece) piece(bytes);
  });
  use(reader);
  std::string reason;
  const std::optional<std::uint64_t> size = reader.finish(reason);
  if (!size || *size != record.size) {
    reportUnpackFailure(record, std::move(reason), diagnostics, fault);
    return false;
  }
  if (crc != record.crc) {
    reportChecksumFailure(record, diagnostics, fault);
    return false;
  }
  return true;
}

std::optional<std::vector<std::uint8_t>> unpackEntry(const ByteSource& source, const DirectoryRecord& record,
                                                     std::uint64_t payload, Diagnostics& diagnostics,
                                                     std::string* fault) {
  std::vector<std::uint8_t> scratch;
  const auto data = viewEntry(source, record, payload, scratch, diagnostics, fault);
  if (!data) return std::nullopt;
  return ownBytes(*data, std::move(scratch));
}

bool unpackInPieces(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
                    const StreamInflater::Piece& piece) {
  std::uint32_t crc = 0;
  const auto checked = [&](std::span<const std::uint8_t> bytes) {
    crc = crc32(bytes.data(), bytes.size(), crc);
    piece(bytes);
  };
  std::uint64_t size = 0;
  if (record.method == 0) {
    if (record.packedSize != record.size || !ForwardReader(source, payload, record.size, checked).finish())
      return false;
    size = record.size;
  } else {
    std::string reason;
    const auto unpacked =
        StreamInflater(source, payload, record.packedSize, record.size, checked).finish(reason);
    if (!unpacked) return false;
    size = *unpacked;
  }
  return size == record.size && crc == record.crc;
}

bool entryIs(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
             const SamePiece& same, const StreamInflater::Piece& piece) {
  if (!unpackable(record)) return false;
  std::uint32_t crc = 0;
  EntryReader reader(source, record, payload, [&](std::span<const std::uint8_t> bytes) {
    crc = crc32(bytes.data(), bytes.size(), crc);
    if (piece) piece(bytes);
  });
  std::vector<std::uint8_t> chunk(std::min<std::uint64_t>(kEntryReadPiece, record.size));
  for (std::uint64_t at = 0; at < record.size;) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), record.size - at));
    if (!reader.read(at, chunk.data(), n) || !same(at, std::span<const std::uint8_t>(chunk.data(), n)))
      return false;
    at += n;
  }
  std::string reason;
  const std::optional<std::uint64_t> size = reader.finish(reason);
  return size && *size == record.size && crc == record.crc;
}

StreamInflater& EntryReader::inflater() {
  if (!inflater_)
    inflater_ =
        std::make_unique<StreamInflater>(*source_, payload_, record_.packedSize, record_.size, piece_);
  return *inflater_;
}

EntryReader::EntryReader(const ByteSource& source, const DirectoryRecord& record, std::uint64_t payload,
                         StreamInflater::Piece piece)
    : source_(&source),
      record_(record),
      payload_(payload),
      stored_(source, payload, record.size, piece),
      piece_(std::move(piece)) {}

bool EntryReader::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
  if (offset > record_.size || count > record_.size - offset) return false;
  if (record_.method == 0) return record_.packedSize == record_.size && stored_.read(offset, out, count);
  return inflater().read(offset, out, count);
}

std::optional<std::uint64_t> EntryReader::finish(std::string& reason) {
  if (record_.method != 0) return inflater().finish(reason);
  if (record_.packedSize == record_.size && stored_.finish()) return record_.size;
  reason = kSourceUnreadable;
  return std::nullopt;
}

std::optional<std::vector<Entry>> readZip(const ByteSource& source, Diagnostics& diagnostics,
                                          const Limits& limits, const EntryFilter& admit) {
  const std::optional<ArchiveIndex> archive = ArchiveIndex::open(source, diagnostics, limits);
  if (!archive) return std::nullopt;
  std::vector<Entry> entries;
  entries.reserve(archive->entries().size());
  for (const LocatedEntry& located : archive->entries()) {
    if (admit && !admit(located.record)) continue;
    std::optional<std::vector<std::uint8_t>> data = archive->unpack(located, diagnostics);
    if (!data) continue;
    Entry entry;
    entry.name = located.record.name;
    entry.data = std::move(*data);
    entry.compress = located.record.method == 8;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<std::vector<Entry>> readZip(const std::uint8_t* bytes, std::size_t size,
                                          Diagnostics& diagnostics, const Limits& limits,
                                          const EntryFilter& admit) {
  return readZip(MemoryBytes(bytes, size), diagnostics, limits, admit);
}

}  // namespace ob::zip
