#pragma once
// Project and pool to the bytes of an instance package: what this build
// understands is written fresh, then the kept document's foreign members and
// unchanged number spellings are put back. Samples travel as
// factory references or as assets named by the SHA-256 of their bytes.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "document/archive/zip_entry.h"
#include "document/byte_sink.h"
#include "document/package/package.h"
#include "document/project/kept_document.h"
#include "engine/model/project.h"
#include "engine/pool/sample_data.h"

namespace ob {

class SamplePool;

// The instance document a save writes of the project (ids assigned, its
// samples' references given): what this build writes, with what the load
// kept (keepWhatItsRewriteLacks) put back as read. kitOnly as
// writeInstanceState takes it; a kit's save writes its file's so, too.
JsonValue writeKeptDocument(const Project& project, const std::vector<std::string>& refs,
                            std::uint32_t kitOnly, const KeptDocument& kept);

// The seed a save of the project writes: its own, or where it has none the
// one its content gives, as the save makes it. An instance that plays it
// plays what a load of its save plays.
std::uint64_t seedASaveWrites(const Project& project, const SamplePool& pool, const KeptDocument& kept);

// What a load would refuse of a save: the limit, and why in lower-case words
// that name it; an empty why when a load takes it.
struct SaveMeasure {
  PackageExcess excess = PackageExcess::None;
  std::string why;
};

// The digest and CRC-32 of the file a save writes for the audio: as the
// file carries them, or else found now, a piece at a time.
SampleFileSums findSampleFile(const SampleData& audio);

// The document a save of the project writes, as measureSave makes it.
JsonValue savedDocument(const Project& project, const SamplePool& pool, const KeptDocument& kept);

// The save of the project as it is, laid out and measured as
// writeProjectDocument lays it out and measures it, with nothing written
// and nothing hashed: a file whose sums no one found stands in by its size.
SaveMeasure measureSave(const Project& project, const SamplePool& pool, const KeptDocument& kept,
                        const zip::Limits& readable = {});

// A save of the project: JSON text when nothing needs an archive, else a
// zip package, laid out by layOutPackage (the document indented, or
// compact when indented it would pass a limit) and measured before a byte
// of it is written, so that its caller learns whether it can be written
// before touching where it goes. Works on a copy: nothing given changes. A
// sample that cannot play goes back as it was kept, and one whose packed
// bytes kept holds as read. It borrows the pool's files and kept's
// entries, which must outlive it unchanged.
class ProjectSave {
 public:
  // Nothing when the package cannot be written, among them one that a
  // load would refuse (past the document or archive limits, or a document
  // its parse refuses): why says so in lower-case words that name the limit.
  static std::unique_ptr<ProjectSave> layOut(const Project& project, const SamplePool& pool,
                                             const KeptDocument& kept, std::string& why,
                                             const zip::Limits& readable = {});
  // Writes it into `out` a piece at a time, each sample's file from where
  // it is held or made piece by piece as it goes, so that no copy of the
  // whole is held. False with why when a file cannot be had as the save
  // found it, or when `out` refuses the bytes, whose owner knows better
  // why; out may then hold a part.
  bool write(ByteSink& out, std::string& why) const;

 private:
  ProjectSave() = default;
  Package package_;
  PackageLayout layout_;  // points into package_
};

// A save's bytes in memory. Empty when the package cannot be written: the
// reason goes to *why, or to standard error when why is null.
std::vector<std::uint8_t> writeProjectDocument(const Project& project, const SamplePool& pool,
                                               const KeptDocument& kept, std::string* why = nullptr,
                                               const zip::Limits& readable = {});

// Lays the save out, then writes it into a temporary file that replaces
// the file atomically; success means it is on the disk. A save that cannot
// be laid out fails before the file is touched, with ProjectSave's reason;
// any other failure but the last leaves an existing file as it was. Other
// error texts: ProjectSave::write's reason, "cannot open output file",
// "short write", "cannot sync the file", "cannot replace the file",
// "cannot sync the folder".
bool saveDocumentFile(const std::filesystem::path& path, const Project& project, const SamplePool& pool,
                      const KeptDocument& kept, std::string* error);

}  // namespace ob
