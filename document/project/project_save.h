#pragma once
// Project and pool to the bytes of an instance package: what this build
// understands is written fresh, then the kept document's foreign members and
// unchanged number spellings are put back. Samples travel as
// factory references or as assets named by the SHA-256 of their bytes.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/package/package.h"
#include "document/project/kept_document.h"
#include "engine/model/project.h"

namespace ob {

class SamplePool;
struct SampleData;

// The SHA-256 (64 lower-case hex digits) and CRC-32 of the file a save
// writes for a sample, as a load found them or a save finds them. A save
// finds the CRC-32 of a file the pool holds whole as it writes it, and
// leaves it 0 here.
struct KnownSampleFile {
  std::string digest;
  std::uint32_t crc = 0;
};
using KnownSampleFiles = std::map<const SampleData*, KnownSampleFile>;

// What a load would refuse of a save: the limit, and why in lower-case words
// that name it; an empty why when a load takes it.
struct SaveMeasure {
  PackageExcess excess = PackageExcess::None;
  std::string why;
};

// The digest and CRC-32 of the file a save writes for the audio: as
// `known` gives them, or found now, a piece at a time, and added to it.
const KnownSampleFile& findSampleFile(const SampleData& audio, KnownSampleFiles& known);

// The save of the project as it is, laid out and measured as
// writeProjectDocument lays it out and measures it, with nothing written
// and nothing hashed: a file `known` does not give stands in by its size.
SaveMeasure measureSave(const Project& project, const SamplePool& pool, const KeptDocument& kept,
                        KnownSampleFiles& known, const zip::Limits& readable = {});

// JSON text when nothing needs an archive, else a zip package, laid out by
// layOutPackage (the document indented, or compact when indented it would
// pass a limit). Works on a copy: nothing given changes. A sample that
// cannot play goes back as it was kept, and one whose packed bytes kept
// holds as read. Empty bytes when the package cannot be written,
// among them one that a load would refuse (past the document or archive
// limits): the reason goes to *why, in lower-case words that name the
// limit, or to standard error when why is null.
std::vector<std::uint8_t> writeProjectDocument(const Project& project, const SamplePool& pool,
                                               const KeptDocument& kept, std::string* why = nullptr,
                                               const zip::Limits& readable = {});

// Builds the bytes and replaces the file with them atomically; success means
// they are on the disk. Empty bytes fail before the file is touched, with
// writeProjectDocument's reason; any other failure but the last leaves an
// existing file as it was. Other error texts: "cannot open output file",
// "short write", "cannot sync the file", "cannot replace the file",
// "cannot sync the folder".
bool saveDocumentFile(const std::filesystem::path& path, const Project& project, const SamplePool& pool,
                      const KeptDocument& kept, std::string* error);

}  // namespace ob
