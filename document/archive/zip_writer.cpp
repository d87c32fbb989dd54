#include "document/archive/zip_writer.h"

#include <string>
#include <unordered_set>

#include "document/archive/crc32.h"
#include "document/archive/deflate.h"
#include "document/archive/zip_format.h"

namespace ob::zip {
namespace {

constexpr std::uint16_t kVersion = 20;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kDate1980 = 0x0021;  // 1 January 1980
constexpr std::uint64_t kNoZip64 = 0xFFFFFFFFu;

// The fields the local header and the directory record share, from the
// version needed on.
void writeCommonFields(std::vector<std::uint8_t>& out, const ArchivePlan::Planned& p, std::uint32_t crc) {
  writeU16LE(out, kVersion);  // needed
  writeU16LE(out, p.record.flags);
  writeU16LE(out, p.record.method);
  writeU16LE(out, 0);  // time
  writeU16LE(out, kDate1980);
  writeU32LE(out, crc);
  writeU32LE(out, p.record.packedSize);
  writeU32LE(out, p.record.size);
  writeU16LE(out, std::uint16_t(p.entry->name.size()));
  writeU16LE(out, 0);  // extra field
}

}  // namespace

std::span<const std::uint8_t> ArchivePlan::Planned::payload() const {
  return record.method == 8 && !entry->packed ? std::span<const std::uint8_t>(deflated) : entry->data;
}

std::uint64_t ArchivePlan::Planned::payloadSize() const {
  return entry->streamed ? entry->streamed->size : payload().size();
}

std::optional<ArchivePlan> planZip(std::span<const EntryView> entries, Diagnostics& diagnostics) {
  if (entries.size() >= 65535) {
    diagnostics.error("zip-too-large", "", "Too many entries for a zip without Zip64");
    return std::nullopt;
  }
  ArchivePlan plan;
  plan.entries_.resize(entries.size());
  std::unordered_set<std::string_view> names;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const EntryView& entry = entries[i];
    std::string path = "/";  // appended, as GCC 12 misreads "/" + a temporary
    path += entry.name;
    if (!isSafeEntryName(entry.name)) {
      diagnostics.error("zip-unsafe-name", path, "Unsafe entry name");
      return std::nullopt;
    }
    if (!names.insert(entry.name).second) {
      diagnostics.error("zip-duplicate-name", path, "Two entries share a name");
      return std::nullopt;
    }
    ArchivePlan::Planned& p = plan.entries_[i];
    p.entry = &entry;
    DirectoryRecord& r = p.record;
    r.name = std::string(entry.name);
    r.flags = entry.packed ? std::uint16_t(entry.packed->flags & kPayloadFlags) : kUtf8Names;
    const std::uint64_t size = entry.streamed ? entry.streamed->size
                               : entry.packed ? entry.packed->size
                                              : entry.data.size();
    if (entry.packed) {
      r.method = entry.packed->method;
    } else if (entry.compress && !entry.streamed) {
      p.deflated = deflate(entry.data.data(), entry.data.size());
      if (p.deflated.size() < entry.data.size())
        r.method = 8;
      else
        p.deflated = {};
    }
    const std::uint64_t payloadSize = p.payloadSize();
    if (size >= kNoZip64 || plan.localBytes_ >= kNoZip64 || plan.localBytes_ + payloadSize >= kNoZip64) {
      diagnostics.error("zip-too-large", path, "Too large for a zip without Zip64");
      return std::nullopt;
    }
    if (entry.streamed || entry.packed) r.crc = entry.streamed ? entry.streamed->crc : entry.packed->crc;
    r.size = std::uint32_t(size);
    r.packedSize = std::uint32_t(payloadSize);
    r.localOffset = std::uint32_t(plan.localBytes_);
    plan.localBytes_ += kLocalHeaderSize + entry.name.size() + payloadSize;
    plan.directoryBytes_ += kCentralHeaderSize + entry.name.size();
  }
  if (plan.localBytes_ + plan.directoryBytes_ >= kNoZip64) {
    diagnostics.error("zip-too-large", "", "Too large for a zip without Zip64");
    return std::nullopt;
  }
  return plan;
}

bool writePlannedZip(const ArchivePlan& plan, ByteSink& out, Diagnostics& diagnostics) {
  // Sizes and checksums precede the data they describe, as a reader that
  // follows the records as they arrive needs: those of bytes given whole
  // are found before a byte is written.
  std::vector<std::uint32_t> crcs;
  crcs.reserve(plan.entries().size());
  for (const ArchivePlan::Planned& p : plan.entries())
    crcs.push_back(p.entry->streamed || p.entry->packed ? p.record.crc
                                                        : crc32(p.entry->data.data(), p.entry->data.size()));
  out.expect(plan.bytes());
  const std::uint64_t archiveStart = out.written();
  std::vector<std::uint8_t> record;  // one header at a time, with its name
  for (std::size_t i = 0; i < plan.entries().size(); ++i) {
    const ArchivePlan::Planned& p = plan.entries()[i];
    record.clear();
    writeU32LE(record, kLocalHeaderSignature);
    writeCommonFields(record, p, crcs[i]);
    record.insert(record.end(), p.entry->name.begin(), p.entry->name.end());
    if (!out.write(record)) return false;
    if (const StreamedPayload* streamed = p.entry->streamed) {
      // Bytes other than the declared ones would make a damaged archive.
      const std::uint64_t start = out.written();
      if (!streamed->append(out, diagnostics) || out.written() - start != streamed->size) return false;
    } else if (!out.write(p.payload())) {
      return false;
    }
  }
  const std::uint64_t directoryOffset = out.written() - archiveStart;
  for (std::size_t i = 0; i < plan.entries().size(); ++i) {
    const ArchivePlan::Planned& p = plan.entries()[i];
    record.clear();
    writeU32LE(record, kCentralHeaderSignature);
    writeU16LE(record, kVersion);  // made by
    writeCommonFields(record, p, crcs[i]);
    writeU16LE(record, 0);  // comment
    writeU16LE(record, 0);  // disk
    writeU16LE(record, 0);  // internal attributes
    writeU32LE(record, 0);  // external attributes
    writeU32LE(record, p.record.localOffset);
    record.insert(record.end(), p.entry->name.begin(), p.entry->name.end());
    if (!out.write(record)) return false;
  }
  const auto count = std::uint16_t(plan.entries().size());
  record.clear();
  writeU32LE(record, kEndRecordSignature);
  writeU16LE(record, 0);
  writeU16LE(record, 0);
  writeU16LE(record, count);
  writeU16LE(record, count);
  writeU32LE(record, std::uint32_t(plan.directoryBytes()));
  writeU32LE(record, std::uint32_t(directoryOffset));
  writeU16LE(record, 0);  // comment
  return out.write(record);
}

std::optional<std::vector<std::uint8_t>> writePlannedZip(const ArchivePlan& plan, Diagnostics& diagnostics) {
  std::vector<std::uint8_t> bytes;
  VectorSink out(bytes);
  if (!writePlannedZip(plan, out, diagnostics)) return std::nullopt;
  return bytes;
}

std::optional<std::vector<std::uint8_t>> writeZipViews(std::span<const EntryView> entries,
                                                       Diagnostics& diagnostics) {
  const std::optional<ArchivePlan> plan = planZip(entries, diagnostics);
  if (!plan) return std::nullopt;
  return writePlannedZip(*plan, diagnostics);
}

std::optional<std::vector<std::uint8_t>> writeZip(const std::vector<Entry>& entries,
                                                  Diagnostics& diagnostics) {
  std::vector<EntryView> views;
  views.reserve(entries.size());
  for (const Entry& entry : entries) views.push_back({entry.name, entry.data, entry.compress});
  return writeZipViews(views, diagnostics);
}

}  // namespace ob::zip
