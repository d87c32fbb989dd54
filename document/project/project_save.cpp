#include "document/project/project_save.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <new>
#include <variant>

#include "document/archive/crc32.h"
#include "document/archive/sha256.h"
#include "document/audition/audition_writer.h"
#include "document/factory/factory_ref.h"
#include "document/instance/instance_shape.h"
#include "document/instance/instance_state.h"
#include "document/instance/kept_keys.h"
#include "document/instance/state_fields.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/params/number_spellings.h"
#include "document/project/atomic_file.h"
#include "document/project/kept_placement.h"
#include "document/project/kit_file_kept.h"
#include "document/project/project_load.h"
#include "document/reading/seed.h"
#include "document/wav/saved_sample_file.h"
#include "engine/fnv.h"
#include "engine/model/project_ids.h"
#include "engine/pool/sample_pool.h"

namespace ob {
namespace {

constexpr std::size_t kFilePiece = std::size_t(1) << 20;

// Whether a save finds the digests of files not known yet, or only wants
// its own size, which a file's digest does not change.
enum class Digests : std::uint8_t { Find, StandIn };

// A digest standing for one no one has found: as long as a real one and
// never shared, so that a measured save takes no two files for one.
SampleFileSums standInFor(const SampleData& audio) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(&audio)));
  return {std::string(48, '0') + hex, 0};
}

// The sums a sample's file carries: a packed or kept one's as declared and
// named, any other's as found when it was read; none where no one found
// them.
SampleFileSums carriedSums(const SampleData& audio) {
  return std::visit(ForEachForm{
                        [](const MadeSampleFile&) { return SampleFileSums{}; },
                        [](const HeldSampleFile& file) { return file.sums; },
                        [](const RebuiltSampleFile& file) { return file.sums; },
                        [](const ReadAgainFile& file) { return file.sums; },
                        [](const StoredSampleFile& file) {
                          return SampleFileSums{file.digest, file.crc};
                        },
                        [](const KeptSampleFile& file) {
                          return SampleFileSums{file.digest, file.crc};
                        },
                    },
                    audio.file);
}

// The sums of the file a save writes for the audio, found a piece at a time.
SampleFileSums hashedSums(const SampleData& audio) {
  Sha256 hash;
  SampleFileSums file;
  std::vector<std::uint8_t> piece;
  const std::uint64_t size = audio.savedFileBytes();
  for (std::uint64_t at = 0; at < size; at += piece.size()) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kFilePiece, size - at)));
    if (!sampleFileBytes(audio, at, piece)) break;  // and the write says so
    hash.add(piece.data(), piece.size());
    file.crc = zip::crc32(piece.data(), piece.size(), file.crc);
  }
  file.digest = hash.hex();
  return file;
}

// What the file a save writes for the audio hashes to: as its file carries
// it, found a piece at a time, or stood in for where only its size counts.
SampleFileSums sumsOf(const SampleData& audio, Digests digests) {
  SampleFileSums sums = carriedSums(audio);
  if (sums.known()) return sums;
  return digests == Digests::StandIn ? standInFor(audio) : hashedSums(audio);
}

// Records a file made piece by piece as the archive is written: held,
// rebuilt from the audio, or read again from the plug-in's copy of it,
// checked on the way against the CRC-32 the load found; a copy that
// no longer reads back as it was (a failing disk) fails the save, naming
// the sample.
std::string streamedFileOf(const SampleData& audio, const std::string& sampleName, const SampleFileSums& file,
                           Package& package) {
  const bool readAgain = std::holds_alternative<ReadAgainFile>(audio.file);
  zip::StreamedPayload payload;
  payload.size = audio.savedFileBytes();
  payload.crc = file.crc;
  payload.append = [&audio, readAgain, file, sampleName, size = payload.size](ByteSink& out,
                                                                              Diagnostics& diagnostics) {
    std::uint32_t crc = 0;
    std::uint64_t at = 0;
    std::vector<std::uint8_t> piece;
    while (at < size) {
      piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kFilePiece, size - at)));
      if (!sampleFileBytes(audio, at, piece)) break;
      if (readAgain) crc = zip::crc32(piece.data(), piece.size(), crc);
      if (!out.write(piece)) return false;  // the destination's owner says why
      at += piece.size();
    }
    if (at == size && (!readAgain || crc == file.crc)) return true;
    diagnostics.error(
        "sample-file-changed", "/assets/" + file.digest,
        "Sample \"" + sampleName + "\" no longer reads back from its copy in the temporary folder");
    return false;
  };
  return streamedAssetRefFor(package, file.digest, std::move(payload));
}

// The file the load kept packed, as read, under this digest; null when none.
const zip::StoredEntry* packedFileOf(const KeptDocument& kept, std::string_view digest) {
  for (const zip::StoredEntry& file : kept.packedSampleFiles)
    if (file.name == "assets/" + std::string(digest)) return &file;
  return nullptr;
}

// Records a file copied as its archive stored it, under its digest.
std::string storedAssetRefFor(Package& package, const StoredSampleFile& file, bool unchecked = false) {
  return keptAssetRefFor(package,
                         {file.digest,
                          {},
                          zip::PackedForm{file.method, file.flags, file.crc, std::uint32_t(file.size)},
                          file.stored.view(),
                          {},
                          unchecked});
}

// The reference of a slot's audio, its file recorded in the package: as
// a document stored it when it cannot play, with the reference as written;
// as the load kept it packed; or else made as it is written. None for a
// slot without a file.
std::string recordedFileOf(const SampleData& audio, const std::string& sampleName, const KeptDocument& kept,
                           Digests digests, Package& package) {
  if (const KeptSampleFile* file = audio.kept()) {
    // Unchecked: a file of its name whose bytes a save knows replaces it.
    if (!file->digest.empty()) storedAssetRefFor(package, *file, true);
    return file->ref;
  }
  if (const auto* packed = std::get_if<StoredSampleFile>(&audio.file))
    return storedAssetRefFor(package, *packed);
  if (audio.savedFileBytes() == 0) return {};
  const SampleFileSums file = sumsOf(audio, digests);
  if (const zip::StoredEntry* packed = packedFileOf(kept, file.digest))
    return keptAssetRefFor(package, {file.digest, {}, packed->form, packed->payload.view()});
  return streamedFileOf(audio, sampleName, file, package);
}

std::string startingLowerCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

// Why the package cannot be written, by the writer's first finding.
std::string refusalOf(const Diagnostics& findings) {
  return findings.empty() ? std::string("the package cannot be written")
                          : startingLowerCase(findings[0].message);
}

// The project's document as this build writes it, given what the writer
// takes of the loaded one.
JsonValue writtenAfterLoad(const Project& project, const std::vector<std::string>& refs,
                           std::uint32_t kitOnly, const KeptDocument& kept) {
  const JsonValue* loaded = kept.loadedDocument.isObject() ? &kept.loadedDocument : nullptr;
  const KeptRecords& records = recordsOf(kept.records);
  const std::vector<const KeptRecord*> ofAudition = auditionRecords(records);
  const LoadedAudition loadedAudition{kept.loadedAudition,
                                      kept.auditionVoices,
                                      kept.auditionMachines,
                                      ofAudition,
                                      auditionRecordCount(records) == records.auditionAtLoad,
                                      kept.auditionGridRead};
  const LoadedAudition* audition = kept.loadedAudition.isNull() ? nullptr : &loadedAudition;
  return writeInstanceState(project, refs, kitOnly, kPluginVersionText, "", loaded, audition,
                            AuditionFor::Save, &kept.keysAsLoaded);
}

// The package a save writes: the document of a copy of the project (ids
// assigned, a seed of its content when it has none), with the kept
// document's foreign members and number spellings put back, each slot's
// file recorded once however many slots play it, and the entries the load
// kept unread. It borrows from the pool and kept, which must outlive it.
Package packageOf(const Project& project, const SamplePool& pool, const KeptDocument& kept, Digests digests) {
  std::unique_ptr<Project> copy = std::make_unique<Project>(project);
  assignPatternIds(copy->patterns[0]);
  assignSampleIds(copy->samples);
  keepIdsOffKeptKeys(*copy, recordsOf(kept.records).ids, kept.keysAsLoaded);

  Package package;
  package.documentName = "instance.json";
  const int count = copy->samples.count < kSampleSlots ? copy->samples.count : kSampleSlots;
  std::vector<std::string> refs(static_cast<std::size_t>(count));
  std::map<const SampleData*, std::string> refOf;
  for (int i = 0; i < count; ++i) {
    const SampleSlot& slot = copy->samples.slots[i];
    const SampleData* audio = static_cast<std::size_t>(i) < pool.slots.size() && pool.slots[i]
                                  ? pool.slots[i]->data.get()
                                  : nullptr;
    if (slot.factory[0] != '\0' && !(audio != nullptr && audio->kept())) {
      refs[i] = factoryRef(slot.factory);
    } else if (slot.id[0] != '\0' && audio != nullptr) {
      auto [recorded, fresh] = refOf.try_emplace(audio);
      if (fresh)
        recorded->second = recordedFileOf(*audio, std::string(fixedText(slot.name)), kept, digests, package);
      refs[i] = recorded->second;
    }
  }

  if (copy->seed == 0) {
    // The seed depends only on what this build writes, so equal content
    // always gets the same seed.
    copy->seed = fnv1a64(writeJson(writtenAfterLoad(*copy, refs, 0, kept)));
  }
  package.document = writeKeptDocument(*copy, refs, 0, kept);
  package.otherEntries = kept.keptEntries;
  return package;
}

}  // namespace

JsonValue writeKeptDocument(const Project& project, const std::vector<std::string>& refs,
                            std::uint32_t kitOnly, const KeptDocument& kept) {
  // The project as this build writes it, its records under the keys they
  // were read by and its audition with what the load kept of it; numbers
  // spelled as loaded where they did not change; what the kit's file kept,
  // apart; then each record the load kept where it was read.
  JsonValue document = writtenAfterLoad(project, refs, kitOnly, kept);
  adoptNumberSpellings(document, kept.loadedDocument);
  if (kept.kitFile && !recordsOf(kept.kitFile->kept->records).records.empty())
    document.set(kKitFileKeptKey, writeKitFileKept(*kept.kitFile));
  placeKeptRecords(document, documentRecords(recordsOf(kept.records)), project, kept.keysAsLoaded);
  return document;
}

std::uint64_t seedASaveWrites(const Project& project, const SamplePool& pool, const KeptDocument& kept) {
  if (project.seed != 0) return project.seed;
  const Package package = packageOf(project, pool, kept, Digests::Find);
  const JsonValue* seed = package.document.find("seed");
  const std::optional<std::uint64_t> written = seed != nullptr ? parseSeed(seed->text) : std::nullopt;
  return written.value_or(0);
}

SampleFileSums findSampleFile(const SampleData& audio) { return sumsOf(audio, Digests::Find); }

JsonValue savedDocument(const Project& project, const SamplePool& pool, const KeptDocument& kept) {
  return packageOf(project, pool, kept, Digests::StandIn).document;
}

SaveMeasure measureSave(const Project& project, const SamplePool& pool, const KeptDocument& kept,
                        const zip::Limits& readable) {
  const Package package = packageOf(project, pool, kept, Digests::StandIn);
  PackageLayout layout;
  Diagnostics findings;
  if (layOutPackage(package, layout, findings, readable, LayoutUse::Measure, &instanceDocumentShape()))
    return {};
  return {layout.excess, refusalOf(findings)};
}

std::unique_ptr<ProjectSave> ProjectSave::layOut(const Project& project, const SamplePool& pool,
                                                 const KeptDocument& kept, std::string& why,
                                                 const zip::Limits& readable) {
  try {
    std::unique_ptr<ProjectSave> save(new ProjectSave);
    save->package_ = packageOf(project, pool, kept, Digests::Find);
    Diagnostics findings;
    if (layOutPackage(save->package_, save->layout_, findings, readable, LayoutUse::Write,
                      &instanceDocumentShape()))
      return save;
    why = refusalOf(findings);
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  }
  return nullptr;
}

bool ProjectSave::write(ByteSink& out, std::string& why) const {
  Diagnostics findings;
  try {
    if (writeLaidOutPackage(layout_, out, findings)) return true;
    why = out.refused() ? std::string("the bytes could not be written") : refusalOf(findings);
  } catch (const std::bad_alloc&) {
    why = "out of memory";
  }
  return false;
}

std::vector<std::uint8_t> writeProjectDocument(const Project& project, const SamplePool& pool,
                                               const KeptDocument& kept, std::string* why,
                                               const zip::Limits& readable) {
  std::string reason;
  std::vector<std::uint8_t> bytes;
  if (const std::unique_ptr<ProjectSave> save = ProjectSave::layOut(project, pool, kept, reason, readable)) {
    VectorSink out(bytes);
    if (save->write(out, reason)) return bytes;
  }
  if (why != nullptr)
    *why = std::move(reason);
  else
    std::fprintf(stderr, "orbitrane: cannot write the project: %s\n", reason.c_str());
  return {};
}

bool saveDocumentFile(const std::filesystem::path& path, const Project& project, const SamplePool& pool,
                      const KeptDocument& kept, std::string* error) {
  std::string why;
  const std::unique_ptr<ProjectSave> save = ProjectSave::layOut(project, pool, kept, why);
  if (!save) {
    if (error != nullptr) *error = why;
    return false;
  }
  return writeFileAtomically(
      path, [&save](ByteSink& file, std::string& failure) { return save->write(file, failure); }, error);
}

}  // namespace ob
