#pragma once
// Whole-file replacing. A replace never leaves a half-written
// file where the old one stood, and one that succeeds survives a power loss:
// the bytes go to a temporary file in the same folder, which is synced to the
// disk, closed and renamed over the target, and then the folder is synced so
// the rename itself is on the disk.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "document/byte_sink.h"

namespace ob {

// Flushes an open file or folder to the disk as fsync does: 0 on success.
// Tests pass their own to make it fail or to watch it; empty means fsync.
using SyncToDisk = std::function<int(int fd)>;

// Replaces (or creates) the file with the bytes. Before writing, temporaries
// that an earlier, interrupted replace of the same file left behind are
// removed: only names of exactly the form a replace of this file makes,
// which carry a digest of its whole name, so that no other file's replace
// in progress loses its temporary. On failure
// returns false with a short reason ("cannot open output file", "short
// write", fileSizeLimitText() when the file would pass the file-size limit,
// "cannot sync the file", "cannot replace the file") and leaves any
// existing file untouched; the temporary file is removed. "cannot sync the
// folder" comes after the rename: the new bytes are in place but may not
// survive a power loss. A symbolic link is followed, so the file it names is
// replaced and the link stays. An existing file's permissions are kept.
// Writes what the file is to hold into it, a piece at a time; false when
// it cannot give it all, with why, or when the file refuses it.
using FileWriter = std::function<bool(ByteSink& file, std::string& why)>;

// Replaces (or creates) the file with what the writer writes, as above: its
// false fails the replace with its why ("short write" when the file
// refused the bytes, or the writer gave no why).
bool writeFileAtomically(const std::filesystem::path& path, const FileWriter& write, std::string* error,
                         const SyncToDisk& sync = {});
bool writeFileAtomically(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size,
                         std::string* error, const SyncToDisk& sync = {});
bool writeFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                         std::string* error, const SyncToDisk& sync = {});
bool writeFileAtomically(const std::filesystem::path& path, std::string_view text, std::string* error,
                         const SyncToDisk& sync = {});

}  // namespace ob
