#include "document/project/match_factory_samples.h"

#include <algorithm>
#include <cstring>

#include "document/factory/factory_sample.h"
#include "document/factory/sample_resolver.h"
#include "document/wav/wav_pool.h"
#include "engine/pool/sample_pool.h"

namespace ob {

void matchFactorySamplesIn(SampleSlotTable& table, const SamplePool& pool, const FactorySampleRow* rows,
                           std::size_t rowCount) {
  const int n = std::min<int>(table.count, kSampleSlots);
  for (int i = 0; i < n; ++i) {
    SampleSlot& slot = table.slots[i];
    if (slot.factory[0] != '\0' || slot.src == 0) continue;
    if (static_cast<std::size_t>(i) >= pool.slots.size() || !pool.slots[i] || !pool.slots[i]->data ||
        pool.slots[i]->frames < 1)
      continue;
    const SampleData& mine = *pool.slots[i]->data;
    bool matched = false;
    for (std::size_t r = 0; r < rowCount && !matched; ++r) {
      const std::uint32_t first = rows[r].split ? kFactoryPartHit : kFactoryPartWhole;
      const std::uint32_t last = rows[r].split ? kFactoryPartBody : kFactoryPartWhole;
      for (std::uint32_t part = first; part <= last && !matched; ++part) {
        const SampleSlot candidate = makeFactorySampleSlotFrom(rows[r], part);
        if (std::strncmp(candidate.name, slot.name, sizeof slot.name) != 0) continue;
        const std::vector<std::uint8_t> theirs = resolveSample(candidate.factory);
        if (theirs.empty() || !isFileOf(theirs, mine)) continue;
        copyText(slot.factory, candidate.factory);
        matched = true;
      }
    }
  }
}

void matchFactorySamples(SampleSlotTable& table, const SamplePool& pool) {
  matchFactorySamplesIn(table, pool, kFactorySampleCatalogue, kFactorySampleRowCount);
}

}  // namespace ob
