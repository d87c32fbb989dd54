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

}  // namespace

std::optional<std::vector<std::uint8_t>> writeZip(const std::vector<Entry>& entries,
                                                  Diagnostics& diagnostics) {
  if (entries.size() >= 65535) {
    diagnostics.error("zip-too-large", "", "Too many entries for a zip without Zip64");
    return std::nullopt;
  }
  std::vector<std::uint8_t> local;
  std::vector<std::uint8_t> central;
  std::unordered_set<std::string> names;
  for (const Entry& entry : entries) {
    const std::string path = "/" + entry.name;
    if (!isSafeEntryName(entry.name)) {
      diagnostics.error("zip-unsafe-name", path, "Unsafe entry name");
      return std::nullopt;
    }
    if (!names.insert(entry.name).second) {
      diagnostics.error("zip-duplicate-name", path, "Two entries share a name");
      return std::nullopt;
    }
    std::vector<std::uint8_t> deflated;
    std::uint16_t method = 0;
    if (entry.compress) {
      deflated = deflate(entry.data.data(), entry.data.size());
      if (deflated.size() < entry.data.size()) method = 8;
    }
    const std::uint8_t* payload = method == 8 ? deflated.data() : entry.data.data();
    const std::uint64_t payloadSize = method == 8 ? deflated.size() : entry.data.size();
    if (entry.data.size() >= kNoZip64 || local.size() >= kNoZip64 || local.size() + payloadSize >= kNoZip64) {
      diagnostics.error("zip-too-large", path, "Too large for a zip without Zip64");
      return std::nullopt;
    }
    const std::uint32_t crc = crc32(entry.data.data(), entry.data.size());
    const std::uint32_t offset = std::uint32_t(local.size());
    const auto nameLength = std::uint16_t(entry.name.size());

    writeU32LE(local, kLocalHeaderSignature);
    writeU16LE(local, kVersion);
    writeU16LE(local, kUtf8Names);
    writeU16LE(local, method);
    writeU16LE(local, 0);  // time
    writeU16LE(local, kDate1980);
    writeU32LE(local, crc);
    writeU32LE(local, std::uint32_t(payloadSize));
    writeU32LE(local, std::uint32_t(entry.data.size()));
    writeU16LE(local, nameLength);
    writeU16LE(local, 0);  // extra field
    local.insert(local.end(), entry.name.begin(), entry.name.end());
    local.insert(local.end(), payload, payload + payloadSize);

    writeU32LE(central, kCentralHeaderSignature);
    writeU16LE(central, kVersion);  // made by
    writeU16LE(central, kVersion);  // needed
    writeU16LE(central, kUtf8Names);
    writeU16LE(central, method);
    writeU16LE(central, 0);
    writeU16LE(central, kDate1980);
    writeU32LE(central, crc);
    writeU32LE(central, std::uint32_t(payloadSize));
    writeU32LE(central, std::uint32_t(entry.data.size()));
    writeU16LE(central, nameLength);
    writeU16LE(central, 0);  // extra field
    writeU16LE(central, 0);  // comment
    writeU16LE(central, 0);  // disk
    writeU16LE(central, 0);  // internal attributes
    writeU32LE(central, 0);  // external attributes
    writeU32LE(central, offset);
    central.insert(central.end(), entry.name.begin(), entry.name.end());
  }
  if (std::uint64_t(local.size()) + central.size() >= kNoZip64) {
    diagnostics.error("zip-too-large", "", "Too large for a zip without Zip64");
    return std::nullopt;
  }
  const auto count = std::uint16_t(entries.size());
  const auto directoryOffset = std::uint32_t(local.size());
  const auto directorySize = std::uint32_t(central.size());
  std::vector<std::uint8_t> out = std::move(local);
  out.reserve(out.size() + central.size() + kEndRecordSize);
  out.insert(out.end(), central.begin(), central.end());
  writeU32LE(out, kEndRecordSignature);
  writeU16LE(out, 0);
  writeU16LE(out, 0);
  writeU16LE(out, count);
  writeU16LE(out, count);
  writeU32LE(out, directorySize);
  writeU32LE(out, directoryOffset);
  writeU16LE(out, 0);  // comment
  return out;
}

}  // namespace ob::zip
