#pragma once
// The one measure an archive is held to: a reader applies it to what an
// untrusted archive declares, before it unpacks anything, and a writer to
// the archive it is about to write, before it writes a byte, so that what
// one writes the other reads.
#include <cstdint>

#include "document/archive/zip_directory.h"
#include "document/archive/zip_entry.h"

namespace ob::zip {

// The first limit an archive passes.
enum class Excess : std::uint8_t {
  None,
  ArchiveTooLarge,    // the whole archive, as stored
  TooManyEntries,     // records in its directory
  DirectoryTooLarge,  // its directory, past kMaxDirectoryBytes
  Zip64Entry,         // an entry's sizes or offset are Zip64's
  EntryTooLarge,      // one entry's declared unpacked size
  TotalTooLarge,      // what all records together declare they unpack to
};

class ArchiveMeasure {
 public:
  explicit ArchiveMeasure(const Limits& limits) : limits_(limits) {}

  // The archive as a whole: its size as stored, its entries and the size
  // of its directory.
  Excess archive(std::uint64_t bytes, std::uint64_t entries, std::uint64_t directoryBytes) const;
  // One record as the directory declares it, in directory order:
  // directories and entries a reader skips count too.
  Excess record(const DirectoryRecord& record);
  // Whether the record's packed size is one its size can take: a stored
  // entry's payload is its bytes, and a packed one is never much larger
  // (DEFLATE's stored blocks add five bytes in 65,535, its fixed codes at
  // most a bit a byte, a block's own codes a few hundred bytes; other
  // methods and encryption as little). One that is not can never be read,
  // and a reader that trusted it would read past any real payload.
  static bool payloadFits(const DirectoryRecord& record);

 private:
  Limits limits_;
  std::uint64_t unpacked_ = 0;  // declared by the records so far
};

}  // namespace ob::zip
