#pragma once
// Whole-file reading and replacing. A replace never leaves a half-written
// file where the old one stood: the bytes go to a temporary file in the same
// folder, which is flushed, closed and then renamed over the target, so a
// failure at any point leaves the old file as it was.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ob {

// Replaces (or creates) the file with the bytes. On failure returns false
// with a short reason ("cannot open output file", "short write", "cannot
// replace the file") and leaves any existing file untouched; the temporary
// file is removed. A symbolic link is followed, so the file it names is
// replaced and the link stays. An existing file's permissions are kept.
bool writeFileAtomically(const std::filesystem::path& path, const std::uint8_t* data,
                         std::size_t size, std::string* error);
bool writeFileAtomically(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
                         std::string* error);
bool writeFileAtomically(const std::filesystem::path& path, std::string_view text,
                         std::string* error);

// Reads a regular file whole. False when it cannot be opened, is not a
// regular file, is larger than maxSize, or fewer bytes than its size arrive.
bool readWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                   std::uint64_t maxSize = 0xC0000000ull);

}  // namespace ob
