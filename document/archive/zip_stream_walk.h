#pragma once
// Follows an archive's records from its first byte as the bytes arrive, so a
// stream that only begins like an archive is caught at the first record that
// does not start where the one before it ends, or that declares more than
// the reader would take, long before its end is read. An archive this
// project writes is its entries' local records one after another, then the
// directory's records and the end record, with nothing after it (the reader
// finds no end record otherwise), and every local record gives the sizes
// its central one gives. So an entry whose sizes follow its data, or whose
// packed size its size cannot account for, was written by no one whose
// archive is worth reading to its end: the walk refuses it at its record.
#include <cstddef>
#include <cstdint>

#include "document/archive/zip_format.h"

#include "document/archive/zip_entry.h"
#include "document/archive/zip_measure.h"

namespace ob::zip {

class StreamWalk {
 public:
  enum class Verdict : std::uint8_t {
    Going,            // every record so far starts where it should
    Broken,           // bytes where a record should start are none, or follow the end
    SizesFollowData,  // an entry whose sizes come after its data (a data descriptor)
    Zip64,            // an entry's sizes are Zip64's, which the reader refuses
    EntryTooLarge,    // an entry unpacks to more than one may
    TotalTooLarge,    // the entries unpack to more than all may
    TooManyEntries,   // more entries than the archive may hold
    NamesTooLarge,    // the records' names and extra fields pass what a directory may hold
    PackedSizeWrong,  // an entry's packed size is not what its size can pack to
    PastSizeLimit,    // an entry ends past the most the archive may take
  };

  // limits: the reader's; maxBytes: the most the whole archive may take.
  StreamWalk(const Limits& limits, std::uint64_t maxBytes) : measure_(withArchiveBytes(limits, maxBytes)) {}

  // The archive's next bytes, right after those given before, which need
  // not be held: the walk keeps what it needs of a record that spans two.
  Verdict take(const std::uint8_t* piece, std::size_t count);
  // bytes: the archive from its first byte, as much of it as has arrived;
  // each call gives at least what the one before it gave.
  Verdict follow(const std::uint8_t* bytes, std::size_t size) {
    return size > arrived_ ? take(bytes + arrived_, size - static_cast<std::size_t>(arrived_)) : verdict_;
  }

 private:
  // The record at next_, whose fixed part is in record_.
  Verdict stepOver();
  // The local record at next_, whose fixed part has arrived.
  Verdict stepOverEntry(const std::uint8_t* header);

  static Limits withArchiveBytes(Limits limits, std::uint64_t maxBytes) {
    limits.maxArchiveBytes = maxBytes;
    return limits;
  }

  ArchiveMeasure measure_;              // the local records so far, as a directory's would be
  std::uint64_t next_ = 0;              // where the next record starts
  std::uint64_t entries_ = 0;           // local records stepped over
  std::uint64_t localRecordBytes_ = 0;  // their headers, names and extra fields
  std::uint64_t directoryBytes_ = 0;    // the directory's records so far
  bool ended_ = false;                  // next_ is past the end record and its comment
  Verdict verdict_ = Verdict::Going;
  std::uint64_t arrived_ = 0;                     // bytes given so far
  std::uint8_t record_[kCentralHeaderSize] = {};  // the fixed part of the record at next_, as it arrives
  std::size_t recordHave_ = 0;                    // how much of it has
};

}  // namespace ob::zip
