#include "document/project/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>
#include <system_error>

#include "document/reading/file_size_limit.h"
#include "engine/fnv.h"

namespace ob {
namespace fs = std::filesystem;
namespace {

// A temporary is the target's name, this mark, a digest of the whole name,
// a dash and twelve lower-case hex digits of its own; nothing else is ever
// taken for one. A target whose name leaves no room for them in a file
// name lends only as much of its name as fits: the digest still tells
// whose it is.
constexpr std::string_view kTemporaryMark = ".tmp-";
constexpr std::size_t kDigestDigits = 8;
constexpr std::size_t kDrawDigits = 12;
constexpr std::size_t kTemporaryTail = kTemporaryMark.size() + kDigestDigits + 1 + kDrawDigits;
// Earlier builds wrote the name, the mark and the twelve digits alone.
constexpr std::size_t kEarlierTemporaryTail = kTemporaryMark.size() + kDrawDigits;

void setError(std::string* error, const char* text) {
  if (error != nullptr) *error = text;
}

fs::path folderOf(const fs::path& target) {
  return target.parent_path().empty() ? fs::path(".") : target.parent_path();
}

// The longest file name the target's folder takes, in bytes.
std::size_t longestFileName(const fs::path& target) {
  const long limit = ::pathconf(folderOf(target).c_str(), _PC_NAME_MAX);
  return limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
}

std::string hexDigits(std::uint64_t value, std::size_t count) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string digits;
  for (std::size_t i = 0; i < count; ++i) digits += kHex[(value >> (4 * i)) & 15];
  return digits;
}

// What starts every temporary of the target: as much of its name as fits
// with the tail, cut before a character rather than inside one, the mark
// and the digest of the whole name.
std::string temporaryPrefix(const fs::path& target) {
  const std::string name = target.filename().string();
  const std::size_t longest = longestFileName(target);
  std::size_t keep = name.size();
  if (longest > kTemporaryTail && name.size() + kTemporaryTail > longest) {
    keep = longest - kTemporaryTail;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  }
  const auto digest = static_cast<std::uint32_t>(splitMix64(fnv1a64(name)));
  return name.substr(0, keep) + std::string(kTemporaryMark) + hexDigits(digest, kDigestDigits) + "-";
}

// A name no other writer in this folder will pick: the target's prefix, a
// per-process draw and a counter.
fs::path temporaryNameFor(const fs::path& target, const std::string& prefix) {
  static std::atomic<std::uint64_t> counter{0};
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const std::uint64_t n = counter.fetch_add(1, std::memory_order_relaxed);
  const std::uint64_t draw = hashDraw(now ^ reinterpret_cast<std::uintptr_t>(&counter), n);
  return target.parent_path() / (prefix + hexDigits(draw, kDrawDigits));
}

// The prefix followed by exactly the draw's digits.
bool isTemporaryOf(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + kDrawDigits || name.substr(0, prefix.size()) != prefix) return false;
  name.remove_prefix(prefix.size());
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// A replace killed half way leaves its temporary behind for good; the next
// replace of the same file clears them, and never another file's: those of
// an earlier build only where they carry the whole name, since a name it
// cut is shared by every target that starts the same. Only regular files
// go, never what a link points to.
void removeStaleTemporaries(const fs::path& target, const std::string& prefix) {
  const std::string name = target.filename().string();
  const std::string earlier = name.size() + kEarlierTemporaryTail <= longestFileName(target)
                                  ? name + std::string(kTemporaryMark)
                                  : "";
  std::error_code ec;
  for (fs::directory_iterator it(folderOf(target), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code entryError;
    const std::string entry = it->path().filename().string();
    if (!isTemporaryOf(entry, prefix) && (earlier.empty() || !isTemporaryOf(entry, earlier))) continue;
    if (it->symlink_status(entryError).type() == fs::file_type::regular) fs::remove(it->path(), entryError);
  }
}

int syncToDisk(const SyncToDisk& sync, int fd) { return sync ? sync(fd) : ::fsync(fd); }

// An open file, written where the last write ended, never past the
// file-size limit.
class FileSink final : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  bool pastSizeLimit() const { return pastSizeLimit_; }

 private:
  bool put(std::span<const std::uint8_t> bytes) override {
    if (!withinFileSizeLimit(written() + bytes.size())) {
      pastSizeLimit_ = true;
      return false;
    }
    const std::uint8_t* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      size -= static_cast<std::size_t>(n);
    }
    return true;
  }

  int fd_;
  bool pastSizeLimit_ = false;
};

// The temporary, written whole with the given permissions and synced; on
// failure it is gone again.
bool writeTemporary(const fs::path& temp, const FileWriter& write, std::optional<fs::perms> permissions,
                    const SyncToDisk& sync, std::string* error) {
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    setError(error, "cannot open output file");
    return false;
  }
  std::string failure;
  FileSink file(fd);
  if (std::string why; !write(file, why)) {
    failure = file.pastSizeLimit()            ? fileSizeLimitText()
              : file.refused() || why.empty() ? "short write"
                                              : why;
  } else {
    if (permissions) (void)::fchmod(fd, static_cast<mode_t>(*permissions & fs::perms::mask));
    if (syncToDisk(sync, fd) != 0) failure = "cannot sync the file";
  }
  if (::close(fd) != 0 && failure.empty()) failure = "short write";
  if (failure.empty()) return true;
  ::unlink(temp.c_str());
  if (error != nullptr) *error = std::move(failure);
  return false;
}

// Makes a rename in the folder survive a power loss.
bool syncFolder(const fs::path& folder, const SyncToDisk& sync) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = syncToDisk(sync, fd) == 0;
  ::close(fd);
  return synced;
}

}  // namespace

bool writeFileAtomically(const fs::path& path, const FileWriter& write, std::string* error,
                         const SyncToDisk& sync) {
  std::error_code ec;
  fs::path target = path;
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (target.filename().empty() || fs::is_directory(target, ec)) {
    setError(error, "cannot open output file");
    return false;
  }
  const std::string prefix = temporaryPrefix(target);
  removeStaleTemporaries(target, prefix);
  const fs::file_status old = fs::status(target, ec);
  std::optional<fs::perms> permissions;
  if (!ec && fs::is_regular_file(old)) permissions = old.permissions();
  const fs::path temp = temporaryNameFor(target, prefix);
  if (!writeTemporary(temp, write, permissions, sync, error)) return false;
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    setError(error, "cannot replace the file");
    return false;
  }
  if (!syncFolder(folderOf(target), sync)) {
    setError(error, "cannot sync the folder");
    return false;
  }
  return true;
}

bool writeFileAtomically(const fs::path& path, const std::uint8_t* data, std::size_t size, std::string* error,
                         const SyncToDisk& sync) {
  return writeFileAtomically(
      path, [data, size](ByteSink& file, std::string&) { return file.write(std::span(data, size)); }, error,
      sync);
}

bool writeFileAtomically(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::string* error,
                         const SyncToDisk& sync) {
  return writeFileAtomically(path, bytes.data(), bytes.size(), error, sync);
}

bool writeFileAtomically(const fs::path& path, std::string_view text, std::string* error,
                         const SyncToDisk& sync) {
  return writeFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), error,
                             sync);
}

}  // namespace ob
