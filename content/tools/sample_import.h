#pragma once
// Importing a WAV file chosen by the user into a new pool slot. Main thread
// only; publishing the changed pool is the caller's business.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive/zip_entry.h"

namespace ob {

class SamplePool;
struct Project;

// The archive entries a project keeps for its saves beside its samples
// (KeptDocument::keptEntries). An import that mends a slot which kept the
// file's bytes under another name keeps that entry here as it was stored,
// so that no save loses it; one past what a load keeps of such entries
// (KeptEntryBudget) is not kept, and named in `dropped`.
struct EntriesBeside {
  std::vector<zip::StoredEntry>& entries;
  std::vector<std::string> dropped = {};
};

// Decodes the file into a new pool slot and gives it a fresh record in the
// project's sample table, named after the file (extension kept, at most 63
// bytes). The pool's limits hold: a file over its file limit, or one that
// would take the samples' files past what a saved project holds, is refused
// unread, and one whose audio would pass the sample limit or the pool's
// budget before it is decoded. Returns the slot (0..63), or -1 with *error
// (when given) set to "the sample pool is full", "cannot open the file",
// "not a regular file", the pool's refusal (which names the limit),
// "cannot read the file", the decoder's message, "the file holds no audio"
// (not one whole frame) or "not a readable WAV"; a failure leaves the pool
// and the project as they were. Every slot that keeps unplayed a file or
// reference named by the file's digest ("asset:" and its digits, in either
// case) plays the import too, and, given `beside`, so does every one that
// keeps the file's very bytes under another name (as the load read them).
std::int32_t importWavFile(SamplePool& pool, Project& project, const std::filesystem::path& path,
                           std::string* error = nullptr, EntriesBeside* beside = nullptr);

// The text after the last slash or backslash.
std::string_view fileNamePart(std::string_view path);

}  // namespace ob
