#pragma once
// A region of a source read front to back where it lies, every byte of it
// handed once, in order, to a watcher as it is first read: bytes a reader
// skips are read for the watcher on the way, and the rest at the end, so
// that a reader that needs only some of them (a file's audio) and a watcher
// that needs all (a checksum, a copy) read the source once between them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "document/reading/byte_source.h"

namespace ob {

class ForwardReader {
 public:
  using Piece = std::function<void(std::span<const std::uint8_t> bytes)>;

  // [offset, offset + size) of source, which must outlive the reader.
  ForwardReader(const ByteSource& source, std::uint64_t offset, std::uint64_t size, Piece piece = {})
      : source_(&source), offset_(offset), size_(size), piece_(std::move(piece)) {}

  // count bytes from offset of the region; false past its end or where the
  // source cannot be read. Bytes before those handed on already are read
  // again, but not handed on again.
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count);
  // Hands on the rest; false when the source cannot be read there.
  bool finish() { return handOnTo(size_); }

 private:
  // Reads and hands on the bytes up to `end`, a bounded piece at a time.
  bool handOnTo(std::uint64_t end);

  const ByteSource* source_;
  std::uint64_t offset_;
  std::uint64_t size_;
  Piece piece_;
  std::uint64_t handedOn_ = 0;         // the bytes before it have been
  std::vector<std::uint8_t> scratch_;  // for skipped bytes of a source not in memory
};

}  // namespace ob
