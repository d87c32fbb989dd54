#pragma once
// A file only this plug-in can reach, for bytes it must keep but need not
// hold in memory: made without a name in the temporary folder (or named and
// removed at once where the file system has no unnamed files), so nothing
// outside the plug-in opens, changes or removes it, and the system frees it
// when its last holder lets go, even after a crash. Bytes are appended and
// read back where they lie; those a reader has passed go back to the disk
// as it reads (see ByteSource::giveBack). Main thread.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <vector>

#include "document/reading/byte_source.h"

namespace ob {

class PrivateFile final : public ByteSource, public std::enable_shared_from_this<PrivateFile> {
 public:
  // One in the first folder of privateFileFolders() that takes it; null
  // when none does.
  static std::shared_ptr<PrivateFile> create();
  ~PrivateFile() override;
  PrivateFile(const PrivateFile&) = delete;
  PrivateFile& operator=(const PrivateFile&) = delete;

  // Adds the bytes at the end; false when the disk refuses them (full,
  // gone, or past the file-size limit), and then the file's size is what
  // it was.
  bool append(const std::uint8_t* bytes, std::size_t count);
  // Gives back the room of the bytes from `size` on, appended last and
  // read by no one.
  void cutTo(std::uint64_t size);

  std::uint64_t size() const override { return size_; }
  bool read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const override;
  std::shared_ptr<const ByteSource> heldOpen() const override { return weak_from_this().lock(); }
  std::shared_ptr<ByteSource> heldOpenToGiveBack() override { return weak_from_this().lock(); }
  // Where the file system makes no holes, the room stays.
  void giveBack(std::uint64_t offset, std::uint64_t count) override;
  // Where the disk refuses them again, they are held in memory instead.
  void putBack(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) override;

 private:
  explicit PrivateFile(int fd) : fd_(fd) {}
  // Writes at offset until done or refused; the bytes written.
  std::size_t writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count);

  int fd_;
  std::uint64_t size_ = 0;  // what append has written
  // Bytes put back that the disk refused, by offset, read in place of the file's.
  std::map<std::uint64_t, std::vector<std::uint8_t>> putBackInMemory_;
};

// Where private files are made, in order: $TMPDIR when it names a folder
// by its absolute path, then the system's folders; a folder that takes no
// file (missing, not a folder, not writable) gives way to the next.
std::vector<std::filesystem::path> privateFileFolders();

// The system's folders: /var/tmp, which is kept on disk where /tmp may be
// memory, then /tmp. A test that needs a system where none takes a file
// empties it for its scope.
std::vector<std::filesystem::path>& systemTemporaryFolders();

}  // namespace ob
