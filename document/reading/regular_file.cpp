#include "document/reading/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#include "engine/pool/sample_limits.h"

namespace ob {

namespace {

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

RegularFile::~RegularFile() { close(); }

void RegularFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  size_ = 0;
}

FileReadStatus RegularFile::open(const std::filesystem::path& path, std::uint64_t maxSize,
                                 const FileHeaderCheck& header) {
  close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return openFailure(errno);
  fd_ = fd;
  struct stat info {};
  FileReadStatus status = FileReadStatus::Read;
  if (::fstat(fd_, &info) != 0) {
    status = FileReadStatus::CannotOpen;
  } else if (!S_ISREG(info.st_mode)) {
    status = FileReadStatus::NotARegularFile;
  } else if (info.st_size < 0 || static_cast<std::uint64_t>(info.st_size) > maxSize) {
    status = FileReadStatus::TooLarge;
  } else {
    size_ = static_cast<std::uint64_t>(info.st_size);
    if (header.accepts) {
      std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(header.bytes, size_)));
      if (!read(0, head.data(), head.size()))
        status = FileReadStatus::ReadFailed;
      else if (!header.accepts(head.data(), head.size()))
        status = FileReadStatus::RefusedHeader;
    }
  }
  if (status != FileReadStatus::Read) close();
  return status;
}

bool RegularFile::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) const {
  if (fd_ < 0 || offset > size_ || count > size_ - offset) return false;
  while (count > 0) {
    const ssize_t n = ::pread(fd_, out, count, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // a read error, or the file shrank
    out += n;
    offset += static_cast<std::uint64_t>(n);
    count -= static_cast<std::size_t>(n);
  }
  return true;
}

FileReadStatus readRegularFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                               std::uint64_t maxSize, const FileHeaderCheck& header) {
  out.clear();
  RegularFile file;
  try {
    const FileReadStatus status = file.open(path, maxSize, header);
    if (status != FileReadStatus::Read) return status;
    out.resize(static_cast<std::size_t>(file.size()));
    if (!file.read(0, out.data(), out.size())) return failed(out, FileReadStatus::ReadFailed);
  } catch (const std::bad_alloc&) {
    return failed(out, FileReadStatus::ReadFailed);
  }
  return FileReadStatus::Read;
}

std::string fileReadRefusal(FileReadStatus status, std::uint64_t maxSize) {
  switch (status) {
    case FileReadStatus::Read:
    case FileReadStatus::RefusedHeader: break;
    case FileReadStatus::Missing: return "no such file";
    case FileReadStatus::Forbidden: return "permission denied";
    case FileReadStatus::CannotOpen: return "cannot open the file";
    case FileReadStatus::NotARegularFile: return "not a regular file";
    case FileReadStatus::TooLarge: return "the file is larger than " + sizeText(maxSize);
    case FileReadStatus::ReadFailed: return "cannot read the file";
  }
  return {};
}

}  // namespace ob
