#include "content/factory/factory_preload.h"

#include <cstring>

#include "content/factory/factory_content.h"
#include "document/factory/factory_sample.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace ob {
namespace {

constexpr std::int32_t kLastSlot = 63;

bool holdsAudio(SamplePool& pool, std::int32_t k) {
  if (k >= pool.slotCount()) return false;
  const SamplePoolSlot* s = pool.slots[static_cast<std::size_t>(k)].get();
  return s && s->frames >= 1;
}

}  // namespace

int preloadFactorySamples(Project& project, SamplePool& pool) {
  if (project.samples.count > 0 || pool.slotCount() > 0) return 0;
  int loaded = 0;
  for (std::uint32_t row = 0; row < kPreloadRowCount; ++row) {
    std::vector<std::uint8_t> bytes = factorySampleBytes(kFactorySampleCatalogue[row].fileName);
    const std::int32_t index = bytes.empty() ? -1 : loadWav(pool, std::move(bytes));
    if (index == static_cast<std::int32_t>(row)) {
      project.samples.slots[row] = makeFactorySampleSlot(row, kFactoryPartWhole);
      ++loaded;
    } else {
      // Keep slot i as row i even when a file is missing.
      pool.slot(static_cast<std::int32_t>(row));
    }
  }
  project.samples.count = static_cast<std::uint8_t>(kPreloadRowCount);
  return loaded;
}

SampleSlotTable preloadedSlotTable() {
  SampleSlotTable table;
  for (std::uint32_t row = 0; row < kPreloadRowCount; ++row)
    table.slots[row] = makeFactorySampleSlot(row, kFactoryPartWhole);
  table.count = static_cast<std::uint8_t>(kPreloadRowCount);
  return table;
}

std::int32_t assignFactorySampleSlot(Project& project, SamplePool& pool, std::uint32_t row, bool isBody,
                                     bool takesFree) {
  if (row < kFirstHalfSlot || row >= kFactorySampleRowCount) return -1;
  const FactorySampleRow& entry = kFactorySampleCatalogue[row];
  if (!entry.split) return -1;

  char wanted[64];
  factorySampleDisplayName(row, isBody, wanted, sizeof wanted);

  for (std::int32_t k = kFirstHalfSlot; k <= kLastSlot; ++k)
    if (holdsAudio(pool, k) && std::strcmp(project.samples.slots[k].name, wanted) == 0) return k;

  std::int32_t slot = -1;
  for (std::int32_t k = kFirstHalfSlot; k <= kLastSlot && slot < 0 && takesFree; ++k)
    if (!holdsAudio(pool, k) && project.samples.slots[k].name[0] == '\0') slot = k;
  if (slot < 0) return -1;

  const std::string file = isBody ? bodyHalfName(entry.fileName) : hitHalfName(entry.fileName);
  std::vector<std::uint8_t> bytes = factorySampleBytes(file);
  if (bytes.empty()) return -1;
  if (replaceSlotWav(pool, static_cast<std::uint32_t>(slot), std::move(bytes)) < 0) return -1;

  project.samples.slots[slot] = makeFactorySampleSlot(row, isBody ? kFactoryPartBody : kFactoryPartHit);
  if (project.samples.count <= slot) project.samples.count = static_cast<std::uint8_t>(slot + 1);
  return slot;
}

}  // namespace ob
