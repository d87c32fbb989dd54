#pragma once
// Importing a WAV file chosen by the user into a new pool slot. Main thread
// only; publishing the changed pool is the caller's business.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace ob {

// The largest WAV file the import reads: 256 MiB, far above any drum sample
// (over ten minutes of 32-bit float stereo at 48 kHz), so that a mistaken
// choice is refused at once rather than read into memory.
inline constexpr std::uint64_t kMaxWavFileBytes = 256ull << 20;

class SamplePool;
struct Project;

// Decodes the file into a new pool slot and gives it a fresh record in the
// project's sample table, named after the file (extension kept, at most 63
// bytes). Returns the slot (0..63), or -1 with *error (when given) set to
// "the sample pool is full", "cannot open the file", "not a regular file",
// the size refusal (which names the cap), "cannot read the file", the
// decoder's message, "the file holds no audio" (not one whole frame) or
// "not a readable WAV"; a failure leaves the pool and the project as they
// were.
std::int32_t importWavFile(SamplePool& pool, Project& project, const std::filesystem::path& path,
                           std::string* error = nullptr);

// The text after the last slash or backslash.
std::string_view fileNamePart(std::string_view path);

}  // namespace ob
