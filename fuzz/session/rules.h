#pragma once
// What the session target measures the instance by: what its content needs
// held, as a user counts it; the sound it makes from a start; and whether
// text is UTF-8.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/project/kept_document.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace obsession {

// What the instance's content needs held: each distinct sample once (two
// slots playing one file are one sample), its decoded audio and the part
// of its file its audio does not give back (all of a file kept unplayed);
// the entries the load kept, and the document it keeps.
struct Need {
  std::uint64_t audio = 0;
  std::uint64_t files = 0;
  std::uint64_t kept = 0;
  std::uint64_t total() const { return audio + files + kept; }
};
Need needOf(const ob::SamplePool& pool, const ob::KeptDocument& kept);

// The main output of the project with the pool's samples, from an engine
// prepared as new: every track hit at once at the start, then the pattern played
// for a while, left and right interleaved.
std::vector<float> renderOf(const ob::Project& project, const ob::SamplePool& pool);
// Makes the engine every render uses: before the first session.
void prepareRenders();

bool isUtf8(std::string_view text);

// A file's SHA-256 in lower-case hex, read a piece at a time; none when it
// cannot be read.
std::optional<std::string> digestOfFile(const std::filesystem::path& path);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

}  // namespace obsession
