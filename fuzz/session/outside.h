#pragma once
// The world around one plug-in instance, as the session target sets it up
// and breaks it: a temporary folder of the target's own (TMPDIR names it,
// or a folder that is missing, or a file), a disk that fills after a
// budget of bytes, a file-size limit on the process, and the two measures
// of what the instance holds: heap bytes and the disk of the unnamed files
// the process holds open.
#include <cstdint>
#include <filesystem>
#include <optional>

namespace obsession {

// Where TMPDIR points.
enum class TempFolder : std::uint8_t { Private, Missing, AFile, Unset };

class Outside {
 public:
  // Makes the private folder (and its "files" folder, where the target puts
  // what a user keeps) under the system's temporary folder.
  Outside();
  ~Outside();
  Outside(const Outside&) = delete;
  Outside& operator=(const Outside&) = delete;

  // The folder TMPDIR names while Private, and where the user's files go.
  const std::filesystem::path& temporary() const { return temporary_; }
  const std::filesystem::path& files() const { return files_; }

  void setTempFolder(TempFolder mode);
  // The disk takes `bytes` more of the product's writes, then refuses them
  // as full; none: no end.
  void setDiskBudget(std::optional<std::uint64_t> bytes);
  // The process may write files up to `bytes` long; none: no limit.
  void setFileSizeLimit(std::optional<std::uint64_t> bytes);
  // The file-size limit the product runs under now; none: no limit.
  std::optional<std::uint64_t> fileSizeLimit() const { return fileSize_; }
  // Whether a write was refused as the disk was full since the last call.
  bool takeRefusedWrite();
  // Whether the product wrote past the file-size limit since the last call.
  bool takeWritePastFileSizeLimit();
  // Back to a whole disk, no limit and TMPDIR on the private folder, with
  // the folder's files removed.
  void restore();
  // Removes the folder, for a process about to end without its destructors.
  void discard();

  // Runs what the target itself writes (the files a user brings, which
  // another program made) past the faults it put on the product.
  template <typename Write>
  void asAnotherProgram(Write write) {
    const Faults held = lift();
    write();
    put(held);
  }

 private:
  struct Faults {
    std::optional<std::uint64_t> disk;
    std::optional<std::uint64_t> fileSize;
  };
  Faults lift();
  void put(const Faults& faults);

  std::filesystem::path temporary_;
  std::filesystem::path files_;
  std::optional<std::uint64_t> fileSize_;
};

// Heap bytes the process holds now: the allocation counter in the replay,
// the sanitizer's allocator under libFuzzer.
std::uint64_t heapBytes();
// The heap as the watch counts it, from when it was installed.
std::int64_t heapWatched();
// Allocations made since the last call, on any thread.
std::uint64_t takeAllocationCount();
// Installs the watch that tells mappings.h of each block allocated and
// freed; once, before the first input.
void watchHeap();

// The bytes of the regular files the process holds open that no name
// reaches any more: the plug-in's private files, wherever they were made.
std::uint64_t unnamedFileBytes();

}  // namespace obsession
