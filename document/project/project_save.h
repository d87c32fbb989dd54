#pragma once
// Project and pool to the bytes of an instance package: what this build
// understands is written fresh, then the kept document's foreign members and
// unchanged number spellings are put back. Samples travel as
// factory references or as assets named by the SHA-256 of their bytes.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "document/project/kept_document.h"
#include "engine/model/project.h"

namespace ob {

class SamplePool;

// Indented JSON text when nothing needs an archive, else a zip package.
// Works on a copy: nothing given changes. A sample that cannot play goes
// back as it was kept. Empty bytes when the package cannot be written,
// among them one that a load would refuse (past the document or archive
// limits): the reason goes to *why, in lower-case words that name the
// limit, or to standard error when why is null.
std::vector<std::uint8_t> writeProjectDocument(const Project& project, const SamplePool& pool,
                                               const KeptDocument& kept, std::string* why = nullptr);

// Builds the bytes and replaces the file with them atomically; success means
// they are on the disk. Empty bytes fail before the file is touched, with
// writeProjectDocument's reason; any other failure but the last leaves an
// existing file as it was. Other error texts: "cannot open output file",
// "short write", "cannot sync the file", "cannot replace the file",
// "cannot sync the folder".
bool saveDocumentFile(const std::filesystem::path& path, const Project& project, const SamplePool& pool,
                      const KeptDocument& kept, std::string* error);

}  // namespace ob
