#include "fuzz/session/outside.h"

#include <dirent.h>
#include <malloc.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "fuzz/session/mappings.h"

#if defined(OB_LIBFUZZER)
#include <sanitizer/allocator_interface.h>
#else
#include "support/allocation_counter.h"
#endif

namespace {

// What the disk still takes; below 0, no end.
std::atomic<std::int64_t> gDiskLeft{-1};
std::atomic<bool> gRefused{false};
std::atomic<bool> gPastFileSizeLimit{false};

bool isRegularFile(int fd) {
  struct stat st;
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// How much of a write of `size` to fd the disk takes: all of it while it
// has no end or for what is no file; none once it is full.
std::size_t admitted(int fd, std::size_t size) {
  const std::int64_t left = gDiskLeft.load();
  if (left < 0 || size == 0 || !isRegularFile(fd)) return size;
  return static_cast<std::uint64_t>(left) < size ? static_cast<std::size_t>(left) : size;
}

// The write as the disk answers it: the bytes it took, or -1 with ENOSPC
// when it took none. One past the file-size limit is noted: it would end
// a host that does not ignore SIGXFSZ.
template <typename Write>
ssize_t onTheDisk(int fd, std::size_t size, Write write) {
  const std::size_t taken = admitted(fd, size);
  if (taken == 0 && size > 0) {
    gRefused = true;
    errno = ENOSPC;
    return -1;
  }
  const ssize_t n = write(taken);
  if (n < 0 && errno == EFBIG) gPastFileSizeLimit = true;
  if (n > 0 && gDiskLeft.load() >= 0 && isRegularFile(fd)) gDiskLeft -= n;
  return n;
}

}  // namespace

// The product's writes, linked with -Wl,--wrap: every file it writes
// (private copies, saved projects and kits) goes through these.
extern "C" {
ssize_t __real_write(int fd, const void* data, std::size_t size);
ssize_t __real_pwrite(int fd, const void* data, std::size_t size, off_t offset);
ssize_t __real_pwrite64(int fd, const void* data, std::size_t size, off64_t offset);

ssize_t __wrap_write(int fd, const void* data, std::size_t size) {
  return onTheDisk(fd, size, [&](std::size_t n) { return __real_write(fd, data, n); });
}
ssize_t __wrap_pwrite(int fd, const void* data, std::size_t size, off_t offset) {
  return onTheDisk(fd, size, [&](std::size_t n) { return __real_pwrite(fd, data, n, offset); });
}
ssize_t __wrap_pwrite64(int fd, const void* data, std::size_t size, off64_t offset) {
  return onTheDisk(fd, size, [&](std::size_t n) { return __real_pwrite64(fd, data, n, offset); });
}
}

// The sanitizers call this as they end a report, before the fuzzer writes
// the input that led to it: neither is held to a file-size limit an action
// set.
extern "C" void __sanitizer_report_error_summary(const char* summary) {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  std::fprintf(stderr, "%s\n", summary);
}

namespace obsession {

namespace fs = std::filesystem;

Outside::Outside() {
  std::string pattern = (fs::temp_directory_path() / "orbitrane-session-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("session: cannot make a temporary folder");
    std::abort();
  }
  temporary_ = pattern;
  files_ = temporary_ / "files";
  fs::create_directories(files_);
  restore();
}

Outside::~Outside() { discard(); }

void Outside::discard() {
  setFileSizeLimit(std::nullopt);
  std::error_code ec;
  fs::remove_all(temporary_, ec);
}

void Outside::setTempFolder(TempFolder mode) {
  switch (mode) {
    case TempFolder::Private: ::setenv("TMPDIR", temporary_.c_str(), 1); break;
    case TempFolder::Missing: ::setenv("TMPDIR", (temporary_ / "gone").c_str(), 1); break;
    case TempFolder::AFile: {
      const fs::path file = temporary_ / "a-file";
      asAnotherProgram([&] {
        if (FILE* f = std::fopen(file.c_str(), "w")) std::fclose(f);
      });
      ::setenv("TMPDIR", file.c_str(), 1);
      break;
    }
    case TempFolder::Unset: ::unsetenv("TMPDIR"); break;
  }
}

void Outside::setDiskBudget(std::optional<std::uint64_t> bytes) {
  gDiskLeft = bytes ? static_cast<std::int64_t>(std::min<std::uint64_t>(*bytes, INT64_MAX)) : -1;
}

void Outside::setFileSizeLimit(std::optional<std::uint64_t> bytes) {
  fileSize_ = bytes;
  // A write past it fails rather than ending the process unsaid, the
  // fuzzer's handler of the signal too: the target names it as a broken
  // rule.
  if (bytes) std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit;
  if (::getrlimit(RLIMIT_FSIZE, &limit) != 0) return;
  limit.rlim_cur = bytes ? std::min<rlim_t>(*bytes, limit.rlim_max) : limit.rlim_max;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

bool Outside::takeRefusedWrite() { return gRefused.exchange(false); }
bool Outside::takeWritePastFileSizeLimit() { return gPastFileSizeLimit.exchange(false); }

void Outside::restore() {
  setDiskBudget(std::nullopt);
  setFileSizeLimit(std::nullopt);
  setTempFolder(TempFolder::Private);
  std::error_code ec;
  fs::remove_all(files_, ec);
  fs::remove(temporary_ / "a-file", ec);
  fs::create_directories(files_, ec);
  gRefused = false;
  gPastFileSizeLimit = false;
}

Outside::Faults Outside::lift() {
  Faults held{gDiskLeft.load() >= 0 ? std::optional<std::uint64_t>(gDiskLeft.load()) : std::nullopt,
              fileSize_};
  setDiskBudget(std::nullopt);
  // A limit is two system calls to lift and two to put back: a host that
  // writes a byte a call would make millions of them where none is set.
  if (held.fileSize) setFileSizeLimit(std::nullopt);
  return held;
}

void Outside::put(const Faults& faults) {
  setDiskBudget(faults.disk);
  if (faults.fileSize) setFileSizeLimit(faults.fileSize);
}

namespace {

std::atomic<std::int64_t> gLive{0};
std::atomic<std::uint64_t> gAllocations{0};

void onBlock(const volatile void* block, std::size_t bytes, bool freeing) {
  if (!freeing) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    gLive.fetch_add(static_cast<std::int64_t>(bytes));
    heapBlockAllocated(const_cast<const void*>(block), bytes);
    return;
  }
  heapBlockFreeing(const_cast<const void*>(block), bytes, gLive.load());
  gLive.fetch_sub(static_cast<std::int64_t>(bytes));
}

}  // namespace

std::int64_t heapWatched() { return gLive.load(); }
std::uint64_t takeAllocationCount() { return gAllocations.exchange(0); }

#if defined(OB_LIBFUZZER)

std::uint64_t heapBytes() { return __sanitizer_get_current_allocated_bytes(); }
void watchHeap() {
  __sanitizer_install_malloc_and_free_hooks(
      [](const volatile void* block, std::size_t bytes) { onBlock(block, bytes, false); },
      [](const volatile void* block) {
        if (block != nullptr)
          onBlock(block, __sanitizer_get_allocated_size(const_cast<const void*>(block)), true);
      });
}

#else

std::uint64_t heapBytes() { return ob::test::liveBytes(); }
void watchHeap() {
  // Every large block mapped apart, its pages fresh: else the allocator
  // raises its threshold for that as it frees such blocks, and a block an
  // input carves from pages an earlier one wrote counts whole, the peak
  // measured then hanging on what ran before.
  ::mallopt(M_MMAP_THRESHOLD, static_cast<int>(kLargeBlock));
  ob::test::watchBlocks([](const void* block, std::size_t bytes, bool freeing) { onBlock(block, bytes, freeing); });
}

#endif

std::uint64_t unnamedFileBytes() {
  std::uint64_t bytes = 0;
  DIR* fds = ::opendir("/proc/self/fd");
  if (fds == nullptr) return 0;
  while (const dirent* entry = ::readdir(fds)) {
    if (entry->d_name[0] == '.') continue;
    struct stat st;
    const std::string path = std::string("/proc/self/fd/") + entry->d_name;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 0)
      bytes += static_cast<std::uint64_t>(st.st_size);
  }
  ::closedir(fds);
  return bytes;
}

}  // namespace obsession
