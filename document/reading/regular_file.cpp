#include "document/reading/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace ob {

namespace {

class OpenFile {
 public:
  explicit OpenFile(const std::filesystem::path& path)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)),
        error_(fd_ < 0 ? errno : 0) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const { return fd_; }
  int error() const { return error_; }  // the open's errno when it failed

 private:
  int fd_;
  int error_;
};

// Exactly count bytes, or false on an error or an early end.
bool readExactly(int fd, std::uint8_t* data, std::size_t count) {
  while (count > 0) {
    const ssize_t n = ::read(fd, data, count);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

// Why the open failed, from the error it set.
FileReadStatus openFailure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return FileReadStatus::Missing;
    case EACCES:
    case EPERM: return FileReadStatus::Forbidden;
    default: return FileReadStatus::CannotOpen;
  }
}

FileReadStatus failed(std::vector<std::uint8_t>& out, FileReadStatus status) {
  out.clear();
  return status;
}

}  // namespace

FileReadStatus readRegularFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                               std::uint64_t maxSize, const FileHeaderCheck& header) {
  out.clear();
  const OpenFile file(path);
  if (file.fd() < 0) return openFailure(file.error());
  struct stat info {};
  if (::fstat(file.fd(), &info) != 0) return FileReadStatus::CannotOpen;
  if (!S_ISREG(info.st_mode)) return FileReadStatus::NotARegularFile;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  if (info.st_size < 0 || size > maxSize) return FileReadStatus::TooLarge;
  try {
    std::size_t done = 0;
    if (header.accepts) {
      done = static_cast<std::size_t>(std::min<std::uint64_t>(header.bytes, size));
      out.resize(done);
      if (!readExactly(file.fd(), out.data(), done)) return failed(out, FileReadStatus::ReadFailed);
      if (!header.accepts(out.data(), done)) return failed(out, FileReadStatus::RefusedHeader);
    }
    out.resize(static_cast<std::size_t>(size));
    if (!readExactly(file.fd(), out.data() + done, out.size() - done))
      return failed(out, FileReadStatus::ReadFailed);
  } catch (const std::bad_alloc&) {
    return failed(out, FileReadStatus::ReadFailed);
  }
  return FileReadStatus::Read;
}

}  // namespace ob
