#include "fuzz/session/factory_samples.h"

#include <memory>
#include <vector>

#include "content/factory/factory_preload.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

// The preload, by its linked name.
#define OB_PRELOAD _ZN2ob21preloadFactorySamplesERNS_7ProjectERNS_10SamplePoolE
#define OB_JOINED(a, b) a##b
#define OB_WITH(prefix, name) OB_JOINED(prefix, name)

extern "C" int OB_WITH(__real_, OB_PRELOAD)(ob::Project& project, ob::SamplePool& pool);

namespace {

// What the preload put into an empty table and pool.
struct Preloaded {
  int loaded = 0;
  ob::SampleSlotTable table;
  std::vector<ob::SharedSampleData> slots;  // null for an empty one
};

std::unique_ptr<Preloaded>& preloaded() {
  static std::unique_ptr<Preloaded> once;
  return once;
}

}  // namespace

extern "C" int OB_WITH(__wrap_, OB_PRELOAD)(ob::Project& project, ob::SamplePool& pool) {
  const Preloaded* once = preloaded().get();
  if (once == nullptr || project.samples.count > 0 || pool.slotCount() > 0)
    return OB_WITH(__real_, OB_PRELOAD)(project, pool);
  for (std::int32_t i = 0; i < static_cast<std::int32_t>(once->slots.size()); ++i) {
    if (once->slots[i] != nullptr)
      pool.append(std::make_shared<ob::SampleData>(*once->slots[i]));
    else
      pool.slot(i);
  }
  project.samples = once->table;
  return once->loaded;
}

namespace obsession {

void decodeFactorySamplesOnce() {
  if (preloaded()) return;
  std::unique_ptr<ob::Project> project = ob::makeProject();
  ob::SamplePool pool;
  auto once = std::make_unique<Preloaded>();
  once->loaded = OB_WITH(__real_, OB_PRELOAD)(*project, pool);
  once->table = project->samples;
  for (const auto& slot : pool.slots) once->slots.push_back(slot ? slot->data : nullptr);
  preloaded() = std::move(once);
}

}  // namespace obsession
