#include "document/archive/zip_measure.h"

namespace ob::zip {

Excess ArchiveMeasure::archive(std::uint64_t bytes, std::uint64_t entries,
                               std::uint64_t directoryBytes) const {
  if (bytes > limits_.maxArchiveBytes) return Excess::ArchiveTooLarge;
  if (entries > limits_.maxEntries) return Excess::TooManyEntries;
  if (directoryBytes > kMaxDirectoryBytes) return Excess::DirectoryTooLarge;
  return Excess::None;
}

Excess ArchiveMeasure::record(const DirectoryRecord& record) {
  constexpr std::uint32_t kZip64 = 0xFFFFFFFFu;
  if (record.packedSize == kZip64 || record.size == kZip64 || record.localOffset == kZip64)
    return Excess::Zip64Entry;
  unpacked_ += record.size;
  if (record.size > limits_.maxEntrySize || unpacked_ > limits_.maxTotalSize) {
    return record.size > limits_.maxEntrySize ? Excess::EntryTooLarge : Excess::TotalTooLarge;
  }
  return Excess::None;
}

bool ArchiveMeasure::payloadFits(const DirectoryRecord& record) {
  constexpr std::uint16_t kEncrypted = 0x0001;
  constexpr std::uint16_t kStored = 0;
  const std::uint64_t size = record.size;
  if (record.method == kStored && (record.flags & kEncrypted) == 0) return record.packedSize == size;
  return record.packedSize <= size + size / 4 + 1024;
}

}  // namespace ob::zip
