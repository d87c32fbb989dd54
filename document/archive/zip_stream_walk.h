#pragma once
// Follows an archive's records from its first byte as the bytes arrive, so a
// stream that only begins like an archive is caught at the first record that
// does not start where the one before it ends, long before its end is read.
// An archive this project writes is its entries' local records one after
// another, then the directory's records and the end record, with nothing
// after it (the reader finds no end record otherwise). An entry whose sizes
// follow its data, or are Zip64's, cannot be stepped over: the walk stops
// there and leaves the stream to its size limit.
#include <cstddef>
#include <cstdint>

namespace ob::zip {

class StreamWalk {
 public:
  enum class Verdict : std::uint8_t {
    Going,    // every record so far starts where it should
    Broken,   // bytes where a record should start are none, or follow the end
    Stopped,  // a record the walk cannot step over: no further verdict
  };

  // bytes: the archive from its first byte, as much of it as has arrived;
  // each call gives at least what the one before it gave.
  Verdict follow(const std::uint8_t* bytes, std::size_t size);

 private:
  std::uint64_t next_ = 0;  // where the next record starts
  bool ended_ = false;      // next_ is past the end record and its comment
  Verdict verdict_ = Verdict::Going;
};

}  // namespace ob::zip
