#include "document/archive/zip_reader.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "document/archive/crc32.h"
#include "document/archive/inflate.h"
#include "document/archive/zip_format.h"

namespace ob::zip {
namespace {

// DEFLATE turns one input byte into at most 1,032 output bytes (two 1-bit
// codes for a 258-byte copy), so a declared size above that is a lie and
// must not decide how much memory is taken up front.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

std::uint64_t reserveFor(std::uint64_t declared, std::uint64_t compressed) {
  return std::min(declared, compressed * kMaxDeflateRatio + kMaxDeflateRatio);
}

}  // namespace

std::optional<std::vector<Entry>> readZip(const std::uint8_t* bytes, std::size_t size, Diagnostics& diagnostics,
                                          const Limits& limits) {
  const std::uint64_t total = size;
  if (total < kEndRecordSize) {
    diagnostics.error("zip-unreadable", "", "Too short to be a zip archive");
    return std::nullopt;
  }

  // The end record sits at the very end, after a comment of up to 65,535
  // bytes; the first candidate whose comment reaches exactly to the end wins.
  std::uint64_t end = 0;
  bool found = false;
  const std::uint64_t lowest = total >= kEndRecordSize + 65535 ? total - kEndRecordSize - 65535 : 0;
  for (std::uint64_t cand = total - kEndRecordSize;; --cand) {
    const std::uint8_t* p = bytes + cand;
    if (readU32LE(p) == kEndRecordSignature && cand + kEndRecordSize + readU16LE(p + 20) == total) {
      end = cand;
      found = true;
      break;
    }
    if (cand == lowest) break;
  }
  if (!found) {
    diagnostics.error("zip-unreadable", "", "No end-of-archive record");
    return std::nullopt;
  }

  const std::uint8_t* er = bytes + end;
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
  if (entryCount > limits.maxEntries) {
    diagnostics.error("zip-too-large", "", "More entries than allowed (" + std::to_string(limits.maxEntries) + ")");
    return std::nullopt;
  }
  const std::uint64_t directoryEnd = std::uint64_t(directoryOffset) + directorySize;
  if (directoryEnd > end) {
    diagnostics.error("zip-unreadable", "", "Central directory out of bounds");
    return std::nullopt;
  }

  std::vector<Entry> entries;
  entries.reserve(std::min<std::uint64_t>(entryCount, directorySize / kCentralHeaderSize));
  std::unordered_set<std::string> names;
  std::uint64_t unpacked = 0;
  std::uint64_t pos = directoryOffset;
  for (std::uint32_t record = 0; record < entryCount; ++record) {
    if (pos + kCentralHeaderSize > directoryEnd || readU32LE(bytes + pos) != kCentralHeaderSignature ||
        pos + kCentralHeaderSize + readU16LE(bytes + pos + 28) > directoryEnd) {
      diagnostics.error("zip-unreadable", "", "Damaged central directory");
      return std::nullopt;
    }
    const std::uint8_t* cd = bytes + pos;
    const std::uint16_t flags = readU16LE(cd + 8);
    const std::uint16_t method = readU16LE(cd + 10);
    const std::uint32_t crc = readU32LE(cd + 16);
    const std::uint32_t packedSize = readU32LE(cd + 20);
    const std::uint32_t size32 = readU32LE(cd + 24);
    const std::uint16_t nameLength = readU16LE(cd + 28);
    const std::uint16_t extraLength = readU16LE(cd + 30);
    const std::uint16_t commentLength = readU16LE(cd + 32);
    const std::uint32_t localOffset = readU32LE(cd + 42);
    std::string name(reinterpret_cast<const char*>(cd + kCentralHeaderSize), nameLength);
    const std::string path = "/" + name;
    pos += kCentralHeaderSize + std::uint64_t(nameLength) + extraLength + commentLength;

    if (packedSize == 0xFFFFFFFFu || size32 == 0xFFFFFFFFu || localOffset == 0xFFFFFFFFu) {
      diagnostics.error("zip-unsupported", path, "Zip64 entries are not supported");
      return std::nullopt;
    }
    unpacked += size32;
    if (size32 > limits.maxEntrySize || unpacked > limits.maxTotalSize) {
      diagnostics.error("zip-too-large", path, "The archive unpacks to more than allowed");
      return std::nullopt;
    }
    if (!name.empty() && name.back() == '/') continue;  // a directory
    if (!isSafeEntryName(name)) {
      diagnostics.warn("zip-unsafe-name", path, "The entry name leaves the archive; skipped");
      continue;
    }
    // Claimed before the checks below, so that a skipped entry still makes
    // a later one of its name a duplicate.
    if (!names.insert(name).second) {
      diagnostics.warn("zip-duplicate-name", path, "A second entry of the same name; skipped");
      continue;
    }
    if (flags & 1u) {
      diagnostics.warn("zip-encrypted", path, "Encrypted entries are not supported; skipped");
      continue;
    }
    if (method != 0 && method != 8) {
      diagnostics.warn("zip-method", path, "Entries are stored or deflated; skipped");
      continue;
    }
    if (std::uint64_t(localOffset) + kLocalHeaderSize > total || readU32LE(bytes + localOffset) != kLocalHeaderSignature) {
      diagnostics.warn("zip-damaged-entry", path, "The entry's header is damaged; skipped");
      continue;
    }
    const std::uint8_t* lh = bytes + localOffset;
    const std::uint64_t payload = std::uint64_t(localOffset) + kLocalHeaderSize + readU16LE(lh + 26) + readU16LE(lh + 28);
    if (payload + packedSize > total) {
      diagnostics.warn("zip-damaged-entry", path, "The entry runs past the archive; skipped");
      continue;
    }

    Entry entry;
    entry.name = std::move(name);
    entry.compress = method == 8;
    if (method == 0) {
      if (packedSize != size32) {
        diagnostics.warn("zip-damaged-entry", path, "Stored sizes disagree; skipped");
        continue;
      }
      entry.data.assign(bytes + payload, bytes + payload + packedSize);
    } else {
      entry.data.reserve(reserveFor(size32, packedSize));
      std::string reason;
      const bool ok = inflate(bytes + payload, packedSize, size32, entry.data, reason);
      if (!ok || entry.data.size() != size32) {
        if (reason.empty()) reason = "wrong size";
        diagnostics.warn("zip-damaged-entry", path, "Cannot decompress: " + reason + "; skipped");
        continue;
      }
    }
    if (crc32(entry.data.data(), entry.data.size()) != crc) {
      diagnostics.warn("zip-checksum", path, "Checksum mismatch; skipped");
      continue;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace ob::zip
