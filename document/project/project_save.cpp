#include "document/project/project_save.h"

#include <cctype>
#include <cstdio>
#include <map>
#include <memory>
#include <new>

#include "document/factory/factory_ref.h"
#include "document/instance/instance_state.h"
#include "document/json/json_write.h"
#include "document/package/package.h"
#include "document/params/number_spellings.h"
#include "document/project/atomic_file.h"
#include "document/project/foreign_members.h"
#include "document/project/project_load.h"
#include "document/wav/wav.h"
#include "engine/fnv.h"
#include "engine/model/project_ids.h"
#include "engine/pool/sample_pool.h"

namespace ob {
namespace {

// The reference of a slot's audio, its file recorded in the package: the
// file as the pool holds it (the one it was decoded from, or as a document
// stored it when it cannot play, with the reference as written), borrowed
// for the write, or for audio made here its own 32-bit float WAV; none
// for a slot without either.
std::string recordedFileOf(const SampleData& audio, Package& package) {
  if (audio.kept) {
    const KeptSampleFile& file = *audio.kept;
    if (!file.digest.empty())
      keptAssetRefFor(package, {file.digest,
                                {},
                                zip::PackedForm{file.method, file.flags, file.crc, std::uint32_t(file.size)},
                                file.stored});
    return file.ref;
  }
  if (!audio.bytes.empty()) return borrowedAssetRefFor(package, audio.bytes);
  if (audio.frames < 1) return {};
  return assetRefFor(package, encodeWav(audio.left.data(), audio.right.empty() ? nullptr : audio.right.data(),
                                        audio.frames, audio.sampleRate));
}

std::string startingLowerCase(std::string text) {
  if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
  return text;
}

std::vector<std::uint8_t> writeUnguarded(const Project& project, const SamplePool& pool,
                                         const KeptDocument& kept, std::string& why) {
  std::unique_ptr<Project> copy = std::make_unique<Project>(project);
  assignPatternIds(copy->patterns[0]);
  assignSampleIds(copy->samples);

  Package package;
  package.documentName = "instance.json";
  const int count = copy->samples.count < kSampleSlots ? copy->samples.count : kSampleSlots;
  std::vector<std::string> refs(static_cast<std::size_t>(count));
  // Audio that several slots share is hashed and stored once.
  std::map<const SampleData*, std::string> refOf;
  for (int i = 0; i < count; ++i) {
    const SampleSlot& slot = copy->samples.slots[i];
    const SampleData* audio = static_cast<std::size_t>(i) < pool.slots.size() && pool.slots[i]
                                  ? pool.slots[i]->data.get()
                                  : nullptr;
    if (slot.factory[0] != '\0' && !(audio != nullptr && audio->kept)) {
      refs[i] = factoryRef(slot.factory);
    } else if (slot.id[0] != '\0' && audio != nullptr) {
      auto [known, fresh] = refOf.try_emplace(audio);
      if (fresh) known->second = recordedFileOf(*audio, package);
      refs[i] = known->second;
    }
  }

  JsonValue document = writeInstanceState(*copy, refs, 0, kPluginVersionText, "");
  if (copy->seed == 0) {
    // The seed depends only on what this build writes, so equal content
    // always gets the same seed.
    copy->seed = fnv1a64(writeJson(document));
    document = writeInstanceState(*copy, refs, 0, kPluginVersionText, "");
  }
  for (const ForeignMember& m : kept.foreignMembers) setJsonPointer(document, m);
  adoptNumberSpellings(document, kept.loadedDocument);

  package.document = std::move(document);
  package.otherEntries = kept.keptEntries;
  Diagnostics findings;
  std::optional<std::vector<std::uint8_t>> bytes = writePackage(package, findings);
  if (!bytes || bytes->empty()) {
    why = findings.empty() ? std::string("the package cannot be written")
                           : startingLowerCase(findings[0].message);
    return {};
  }
  return std::move(*bytes);
}

}  // namespace

std::vector<std::uint8_t> writeProjectDocument(const Project& project, const SamplePool& pool,
                                               const KeptDocument& kept, std::string* why) {
  std::string reason;
  std::vector<std::uint8_t> bytes;
  try {
    bytes = writeUnguarded(project, pool, kept, reason);
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (!bytes.empty()) return bytes;
  if (why != nullptr)
    *why = std::move(reason);
  else
    std::fprintf(stderr, "orbitrane: cannot write the project: %s\n", reason.c_str());
  return {};
}

bool saveDocumentFile(const std::filesystem::path& path, const Project& project, const SamplePool& pool,
                      const KeptDocument& kept, std::string* error) {
  std::string why;
  const std::vector<std::uint8_t> bytes = writeProjectDocument(project, pool, kept, &why);
  if (bytes.empty()) {
    if (error != nullptr) *error = why;
    return false;
  }
  return writeFileAtomically(path, bytes, error);
}

}  // namespace ob
