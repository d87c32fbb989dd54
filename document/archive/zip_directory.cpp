#include "document/archive/zip_directory.h"

#include <algorithm>

#include "document/archive/zip_format.h"
#include "document/archive/zip_measure.h"
#include "engine/pool/sample_limits.h"

namespace ob::zip {
namespace {

// The end record sits at the very end, after a comment of up to 65,535
// bytes.
constexpr std::uint64_t kTailBytes = kEndRecordSize + 65535;

// Where the end record starts within the tail (the archive's last bytes):
// the first candidate whose comment reaches exactly to the end wins.
std::optional<std::size_t> findEndRecord(std::span<const std::uint8_t> tail) {
  for (std::size_t cand = tail.size() - kEndRecordSize;; --cand) {
    const std::uint8_t* p = tail.data() + cand;
    if (readU32LE(p) == kEndRecordSignature && cand + kEndRecordSize + readU16LE(p + 20) == tail.size())
      return cand;
    if (cand == 0) return std::nullopt;
  }
}

}  // namespace

std::optional<std::vector<DirectoryRecord>> readZipDirectory(const std::uint8_t* bytes, std::size_t size,
                                                             Diagnostics& diagnostics, const Limits& limits) {
  return readZipDirectory(MemoryBytes(bytes, size), diagnostics, limits);
}

std::optional<std::vector<DirectoryRecord>> readZipDirectory(const ByteSource& source,
                                                             Diagnostics& diagnostics, const Limits& limits) {
  const std::uint64_t total = source.size();
  if (total < kEndRecordSize) {
    diagnostics.error("zip-unreadable", "", "Too short to be a zip archive");
    return std::nullopt;
  }
  const std::uint64_t tailStart = total - std::min(total, kTailBytes);
  std::vector<std::uint8_t> tailScratch;
  const auto tail = source.view(tailStart, static_cast<std::size_t>(total - tailStart), tailScratch);
  if (!tail) {
    diagnostics.error("zip-unreadable", "", "The archive cannot be read");
    return std::nullopt;
  }
  const std::optional<std::size_t> endInTail = findEndRecord(*tail);
  if (!endInTail) {
    diagnostics.error("zip-unreadable", "", "No end-of-archive record");
    return std::nullopt;
  }
  const std::uint64_t end = tailStart + *endInTail;

  const std::uint8_t* er = tail->data() + *endInTail;
  const std::uint16_t thisDisk = readU16LE(er + 4);
  const std::uint16_t directoryDisk = readU16LE(er + 6);
  const std::uint16_t entriesHere = readU16LE(er + 8);
  const std::uint16_t entryCount = readU16LE(er + 10);
  const std::uint32_t directorySize = readU32LE(er + 12);
  const std::uint32_t directoryOffset = readU32LE(er + 16);
  if (thisDisk != 0 || directoryDisk != 0 || entriesHere != entryCount) {
    diagnostics.error("zip-unsupported", "", "Archives split over several files are not supported");
    return std::nullopt;
  }
  if (entryCount == 0xFFFF || directorySize == 0xFFFFFFFFu || directoryOffset == 0xFFFFFFFFu) {
    diagnostics.error("zip-unsupported", "", "Zip64 archives are not supported");
    return std::nullopt;
  }
  const std::uint64_t directoryEnd = std::uint64_t(directoryOffset) + directorySize;
  if (directoryEnd > end) {
    diagnostics.error("zip-unreadable", "", "Central directory out of bounds");
    return std::nullopt;
  }
  ArchiveMeasure measure(limits);
  switch (measure.archive(total, entryCount, directorySize)) {
    case Excess::ArchiveTooLarge:
      diagnostics.error("zip-too-large", "",
                        "The archive is larger than " + sizeText(limits.maxArchiveBytes));
      return std::nullopt;
    case Excess::TooManyEntries:
      diagnostics.error("zip-too-large", "",
                        "More entries than allowed (" + std::to_string(limits.maxEntries) + ")");
      return std::nullopt;
    case Excess::DirectoryTooLarge:
      diagnostics.error("zip-too-large", "",
                        "The archive's directory is larger than " + sizeText(kMaxDirectoryBytes));
      return std::nullopt;
    default: break;
  }
  std::vector<std::uint8_t> directoryScratch;
  const auto directory = source.view(directoryOffset, directorySize, directoryScratch);
  if (!directory) {
    diagnostics.error("zip-unreadable", "", "The archive cannot be read");
    return std::nullopt;
  }
  const std::uint8_t* bytes = directory->data();

  std::vector<DirectoryRecord> records;
  records.reserve(std::min<std::uint64_t>(entryCount, directorySize / kCentralHeaderSize));
  std::uint64_t pos = 0;  // within the directory
  for (std::uint32_t n = 0; n < entryCount; ++n) {
    if (pos + kCentralHeaderSize > directorySize || readU32LE(bytes + pos) != kCentralHeaderSignature ||
        pos + kCentralHeaderSize + readU16LE(bytes + pos + 28) > directorySize) {
      diagnostics.error("zip-unreadable", "", "Damaged central directory");
      return std::nullopt;
    }
    const std::uint8_t* cd = bytes + pos;
    DirectoryRecord record;
    record.flags = readU16LE(cd + 8);
    record.method = readU16LE(cd + 10);
    record.crc = readU32LE(cd + 16);
    record.packedSize = readU32LE(cd + 20);
    record.size = readU32LE(cd + 24);
    const std::uint16_t nameLength = readU16LE(cd + 28);
    record.localOffset = readU32LE(cd + 42);
    record.name.assign(reinterpret_cast<const char*>(cd + kCentralHeaderSize), nameLength);
    pos += kCentralHeaderSize + std::uint64_t(nameLength) + readU16LE(cd + 30) + readU16LE(cd + 32);

    const Excess excess = measure.record(record);
    if (excess == Excess::Zip64Entry) {
      diagnostics.error("zip-unsupported", "/" + record.name, "Zip64 entries are not supported");
      return std::nullopt;
    }
    if (excess != Excess::None) {
      diagnostics.error("zip-too-large", "/" + record.name, "The archive unpacks to more than allowed");
      return std::nullopt;
    }
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace ob::zip
