#pragma once
// Bytes that arrive a piece at a time, in an amount no one tells in
// advance: a host's state stream. Kept in a private file when asked, so
// that a state of hundreds of megabytes is not held in memory beside the
// audio decoded from it; otherwise, and as soon as the file refuses them,
// in memory (see HeldMemory), from which a sample that must keep its file
// reads it again as it would from the file. Bytes for the file wait in
// memory until a batch of them is in, since a disk takes one large write
// for far less than many small ones. Main thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "document/reading/byte_source.h"
#include "document/reading/held_memory.h"
#include "document/reading/private_file.h"

namespace ob::clap {

// The most bytes that wait in memory for the file before they go in one write.
inline constexpr std::size_t kArrivingFileBatch = std::size_t(1) << 20;

class ArrivingBytes {
 public:
  ArrivingBytes() = default;
  // What was kept in memory and no sample reads again is given back.
  ~ArrivingBytes();
  ArrivingBytes(const ArrivingBytes&) = delete;
  ArrivingBytes& operator=(const ArrivingBytes&) = delete;

  // From now on keeps them in the file, with those that have arrived;
  // false, leaving them in memory, for no file or one that refuses them.
  bool keepIn(std::shared_ptr<PrivateFile> file);
  // False when they can be kept nowhere: the file refused them and what it
  // holds cannot be read back. Throws std::bad_alloc when there is no room
  // for them in memory.
  bool append(const std::uint8_t* bytes, std::size_t count);
  // Keeps the bytes that wait for a batch, once the last have arrived and
  // before they are read; false and throws as append.
  bool finish();

  std::uint64_t size() const { return file_ ? file_->size() + waiting_.size() : memory_->size(); }
  bool inFile() const { return file_ != nullptr; }
  // What has arrived, once finished, for reading a document from: the file
  // or the memory, which whatever reads it again holds open, and whose one
  // reader may give back what it has passed.
  ByteSource& source();

 private:
  // Writes the bytes that wait to the file, or where it refuses them, to
  // memory with what it holds.
  bool keepWaiting();
  // Takes what the file holds into memory and lets the file go.
  bool takeBackFromFile();

  std::shared_ptr<PrivateFile> file_;
  std::vector<std::uint8_t> waiting_;                          // arrived for the file, not yet written to it
  std::shared_ptr<HeldMemory> memory_ = HeldMemory::create();  // empty while file_ keeps them
};

}  // namespace ob::clap
