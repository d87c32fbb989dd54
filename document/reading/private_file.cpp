#include "document/reading/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/reading/file_size_limit.h"

namespace ob {

namespace {

// An unnamed file in the folder; where the file system makes none, a named
// one removed as soon as it is open. -1 when the folder takes neither.
int openUnnamed(const std::filesystem::path& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd >= 0) return fd;
  std::string name = (folder / "orbitrane-XXXXXX").string();
  const int named = ::mkostemp(name.data(), O_CLOEXEC);
  if (named < 0) return -1;
  ::unlink(name.c_str());
  return named;
}

}  // namespace

std::vector<std::filesystem::path>& systemTemporaryFolders() {
  static std::vector<std::filesystem::path> folders = {"/var/tmp", "/tmp"};
  return folders;
}

std::vector<std::filesystem::path> privateFileFolders() {
  std::vector<std::filesystem::path> folders;
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && tmpdir[0] == '/')
    folders.emplace_back(tmpdir);
  const std::vector<std::filesystem::path>& system = systemTemporaryFolders();
  folders.insert(folders.end(), system.begin(), system.end());
  return folders;
}

std::shared_ptr<PrivateFile> PrivateFile::create() {
  for (const std::filesystem::path& folder : privateFileFolders())
    if (const int fd = openUnnamed(folder); fd >= 0) return std::shared_ptr<PrivateFile>(new PrivateFile(fd));
  return nullptr;
}

PrivateFile::~PrivateFile() { ::close(fd_); }

bool PrivateFile::append(const std::uint8_t* bytes, std::size_t count) {
  if (!withinFileSizeLimit(size_ + count)) return false;
  if (writeAt(size_, bytes, count) < count) {
    // What a refused append wrote is cut off again, so the file is only
    // ever what was appended whole.
    cutTo(size_);
    return false;
  }
  size_ += count;
  return true;
}

std::size_t PrivateFile::writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(fd_, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void PrivateFile::cutTo(std::uint64_t size) {
  if (size > size_) return;
  while (::ftruncate(fd_, static_cast<off_t>(size)) != 0 && errno == EINTR) {
  }
  size_ = size;
}

void PrivateFile::giveBack(std::uint64_t offset, std::uint64_t count) {
  const std::uint64_t page = pageBytes();
  const std::uint64_t from = (offset + page - 1) / page * page;
  const std::uint64_t to = std::min(offset + count, size_) / page * page;
  if (to > from)
    ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from),
                static_cast<off_t>(to - from));
}

void PrivateFile::putBack(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
  if (offset > size_ || count > size_ - offset) return;
  const std::size_t written = writeAt(offset, bytes, count);
  if (written < count) putBackInMemory_[offset + written].assign(bytes + written, bytes + count);
}

bool PrivateFile::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  if (offset > size_ || count > size_ - offset) return false;
  for (std::size_t done = 0; done < count;) {
    const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  for (const auto& [at, held] : putBackInMemory_) {
    const std::uint64_t from = std::max(at, offset), to = std::min(at + held.size(), offset + count);
    if (from < to)
      std::memcpy(out + (from - offset), held.data() + (from - at), static_cast<std::size_t>(to - from));
  }
  return true;
}

}  // namespace ob
