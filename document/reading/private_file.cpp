#include "document/reading/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
  std::uint64_t at = size_;
  while (count > 0) {
    const ssize_t n = ::pwrite(fd_, bytes, count, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // What a refused append wrote is cut off again, so the file is only
      // ever what was appended whole.
      cutTo(size_);
      return false;
    }
    bytes += n;
    at += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  size_ = at;
  return true;
}

void PrivateFile::cutTo(std::uint64_t size) {
  if (size > size_) return;
  while (::ftruncate(fd_, static_cast<off_t>(size)) != 0 && errno == EINTR) {
  }
  size_ = size;
}

bool PrivateFile::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  if (offset > size_ || count > size_ - offset) return false;
  while (count > 0) {
    const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    out += n;
    offset += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace ob
