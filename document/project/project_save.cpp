#include "document/project/project_save.h"

#include <cstdio>
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
#include "engine/fnv.h"
#include "engine/model/project_ids.h"
#include "engine/pool/sample_pool.h"

namespace ob {
namespace {

std::vector<std::uint8_t> writeUnguarded(const Project& project, const SamplePool& pool,
                                         const KeptDocument& kept) {
  std::unique_ptr<Project> copy = std::make_unique<Project>(project);
  assignPatternIds(copy->patterns[0]);
  assignSampleIds(copy->samples);

  Package package;
  package.documentName = "instance.json";
  const int count = copy->samples.count < kSampleSlots ? copy->samples.count : kSampleSlots;
  std::vector<std::string> refs(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const SampleSlot& slot = copy->samples.slots[i];
    if (slot.factory[0] != '\0') {
      refs[i] = factoryRef(slot.factory);
    } else if (slot.id[0] != '\0' && static_cast<std::size_t>(i) < pool.slots.size() && pool.slots[i] &&
               !pool.slots[i]->bytes.empty()) {
      refs[i] = assetRefFor(package, pool.slots[i]->bytes);
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
    std::fprintf(stderr, "orbitrane: cannot write the project: %s\n",
                 joinDiagnosticMessages(findings).c_str());
    return {};
  }
  return std::move(*bytes);
}

}  // namespace

std::vector<std::uint8_t> writeProjectDocument(const Project& project, const SamplePool& pool,
                                               const KeptDocument& kept) {
  try {
    return writeUnguarded(project, pool, kept);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "orbitrane: cannot write the project: out of memory\n");
    return {};
  }
}

bool saveDocumentFile(const std::filesystem::path& path, const Project& project, const SamplePool& pool,
                      const KeptDocument& kept, std::string* error) {
  const std::vector<std::uint8_t> bytes = writeProjectDocument(project, pool, kept);
  if (bytes.empty()) {
    if (error != nullptr) *error = "cannot write the project";
    return false;
  }
  return writeFileAtomically(path, bytes, error);
}

}  // namespace ob
