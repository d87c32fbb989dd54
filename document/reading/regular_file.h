#pragma once
// Reading a file that the user or a document named. Only a regular file is
// read: it is opened without blocking and judged by the open descriptor, so
// a named pipe or a device never holds up the caller and nothing can be
// swapped in between a look and the open. Its size is checked before
// anything is read, and a reader may refuse it from its first bytes before
// the rest is read.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "document/reading/byte_source.h"

namespace ob {

enum class FileReadStatus : std::uint8_t {
  Read,
  Missing,          // nothing by that name, or a folder on the way that is none
  Forbidden,        // no permission to read it
  CannotOpen,       // any other reason the open failed
  NotARegularFile,  // a folder, a named pipe, a device, a socket
  TooLarge,         // larger than the caller's cap
  RefusedHeader,    // the caller's check refused the first bytes
  ReadFailed,       // a read error, a file that shrank, or no memory for it
};

// The first bytes a reader looks at before the rest is read.
struct FileHeaderCheck {
  std::size_t bytes = 0;  // a shorter file shows all it has
  std::function<bool(const std::uint8_t* data, std::size_t count)> accepts;
};

// A regular file held open and read piece by piece where a reader needs
// it, never whole. Main thread; closed with the object. It is the user's,
// and may change at any time: nothing keeps it to read again (see
// heldOpen).
class RegularFile final : public ByteSource {
 public:
  RegularFile() = default;
  ~RegularFile() override;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;

  // Opens and judges the file as readRegularFile does, its first bytes
  // included; on anything but Read the file is left closed.
  FileReadStatus open(const std::filesystem::path& path, std::uint64_t maxSize,
                      const FileHeaderCheck& header = {});

  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;

 private:
  void close();

  int fd_ = -1;
  std::uint64_t size_ = 0;  // as the open found it
};

// The whole file into out; out is empty after any failure.
FileReadStatus readRegularFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                               std::uint64_t maxSize, const FileHeaderCheck& header = {});

// Why a file was not read, in the words a reader shows the user: "no such
// file", "permission denied", "the file is larger than 3 GiB" (the cap the
// reader gave) and the like. Empty for Read, and for RefusedHeader, whose
// reason is the header check's own.
std::string fileReadRefusal(FileReadStatus status, std::uint64_t maxSize);

}  // namespace ob
