#pragma once
// Placing factory samples into the sample pool: the studio kit into slots 0
// to 32 at start-up, and single hit or body halves of the split rows into
// slots 33 to 63 on demand. Main thread; publishing the pool is the
// caller's business.

#include <cstdint>

#include "engine/model/project.h"

namespace ob {

class SamplePool;

inline constexpr std::uint32_t kPreloadRowCount = 33;
inline constexpr std::uint32_t kFirstHalfSlot = 33;

// Only into an empty project table and an empty pool: loads catalogue rows
// 0 to 32 so that pool slot i is row i (a row that fails to load leaves an
// empty slot), sets the table count to 33 and returns how many loaded.
int preloadFactorySamples(Project& project, SamplePool& pool);

// The table preloadFactorySamples gives when every row loads, made without
// decoding any: what a save of those slots writes, known beforehand.
SampleSlotTable preloadedSlotTable();

// The slot (33..63) holding the hit or body half of split row `row`: one
// already holding it, else the first free one, loaded now, while
// `takesFree` (a save has room for one more sample). -1 for a row that is
// not split, no slot, or audio that does not decode.
std::int32_t assignFactorySampleSlot(Project& project, SamplePool& pool, std::uint32_t row, bool isBody,
                                     bool takesFree = true);

}  // namespace ob
