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

// One entry as it goes into the archive.
struct Planned {
  const EntryView* entry = nullptr;
  std::vector<std::uint8_t> deflated;  // empty unless it is stored deflated
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint64_t size = 0;  // unpacked
  std::uint32_t offset = 0;
  std::span<const std::uint8_t> payload() const {
    return method == 8 && !entry->packed ? std::span<const std::uint8_t>(deflated) : entry->data;
  }
  std::uint64_t payloadSize() const { return entry->streamed ? entry->streamed->size : payload().size(); }
};

// The fields the local header and the directory record share, from the
// version needed on.
void writeCommonFields(std::vector<std::uint8_t>& out, const Planned& p) {
  writeU16LE(out, kVersion);  // needed
  writeU16LE(out, kUtf8Names);
  writeU16LE(out, p.method);
  writeU16LE(out, 0);  // time
  writeU16LE(out, kDate1980);
  writeU32LE(out, p.crc);
  writeU32LE(out, std::uint32_t(p.payloadSize()));
  writeU32LE(out, std::uint32_t(p.size));
  writeU16LE(out, std::uint16_t(p.entry->name.size()));
  writeU16LE(out, 0);  // extra field
}

}  // namespace

std::optional<std::vector<std::uint8_t>> writeZipViews(std::span<const EntryView> entries,
                                                       Diagnostics& diagnostics) {
  if (entries.size() >= 65535) {
    diagnostics.error("zip-too-large", "", "Too many entries for a zip without Zip64");
    return std::nullopt;
  }
  std::vector<Planned> plan(entries.size());
  std::unordered_set<std::string_view> names;
  std::uint64_t localSize = 0;
  std::uint64_t centralSize = 0;
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
    Planned& p = plan[i];
    p.entry = &entry;
    p.size = entry.streamed ? entry.streamed->size : entry.packed ? entry.packed->size : entry.data.size();
    if (entry.packed) {
      p.method = entry.packed->method;
    } else if (entry.compress && !entry.streamed) {
      p.deflated = deflate(entry.data.data(), entry.data.size());
      if (p.deflated.size() < entry.data.size())
        p.method = 8;
      else
        p.deflated = {};
    }
    const std::uint64_t payloadSize = p.payloadSize();
    if (p.size >= kNoZip64 || localSize >= kNoZip64 || localSize + payloadSize >= kNoZip64) {
      diagnostics.error("zip-too-large", path, "Too large for a zip without Zip64");
      return std::nullopt;
    }
    p.crc = entry.streamed ? entry.streamed->crc
            : entry.packed ? entry.packed->crc
                           : crc32(entry.data.data(), entry.data.size());
    p.offset = std::uint32_t(localSize);
    localSize += kLocalHeaderSize + entry.name.size() + payloadSize;
    centralSize += kCentralHeaderSize + entry.name.size();
  }
  if (localSize + centralSize >= kNoZip64) {
    diagnostics.error("zip-too-large", "", "Too large for a zip without Zip64");
    return std::nullopt;
  }

  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(localSize + centralSize + kEndRecordSize));
  for (const Planned& p : plan) {
    writeU32LE(out, kLocalHeaderSignature);
    writeCommonFields(out, p);
    out.insert(out.end(), p.entry->name.begin(), p.entry->name.end());
    if (const StreamedPayload* streamed = p.entry->streamed) {
      // Bytes other than the declared ones would make a damaged archive.
      const std::size_t start = out.size();
      if (!streamed->append(out, diagnostics) || out.size() - start != streamed->size) return std::nullopt;
    } else {
      const std::span<const std::uint8_t> payload = p.payload();
      out.insert(out.end(), payload.begin(), payload.end());
    }
  }
  for (const Planned& p : plan) {
    writeU32LE(out, kCentralHeaderSignature);
    writeU16LE(out, kVersion);  // made by
    writeCommonFields(out, p);
    writeU16LE(out, 0);  // comment
    writeU16LE(out, 0);  // disk
    writeU16LE(out, 0);  // internal attributes
    writeU32LE(out, 0);  // external attributes
    writeU32LE(out, p.offset);
    out.insert(out.end(), p.entry->name.begin(), p.entry->name.end());
  }
  const auto count = std::uint16_t(entries.size());
  writeU32LE(out, kEndRecordSignature);
  writeU16LE(out, 0);
  writeU16LE(out, 0);
  writeU16LE(out, count);
  writeU16LE(out, count);
  writeU32LE(out, std::uint32_t(centralSize));
  writeU32LE(out, std::uint32_t(localSize));
  writeU16LE(out, 0);  // comment
  return out;
}

std::optional<std::vector<std::uint8_t>> writeZip(const std::vector<Entry>& entries,
                                                  Diagnostics& diagnostics) {
  std::vector<EntryView> views;
  views.reserve(entries.size());
  for (const Entry& entry : entries) views.push_back({entry.name, entry.data, entry.compress});
  return writeZipViews(views, diagnostics);
}

}  // namespace ob::zip
