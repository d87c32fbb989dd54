#pragma once
// Recognises user samples that are byte-identical copies of a factory sample
// of the same name, so a save refers to the bundled audio instead of
// embedding a copy.

#include <cstddef>

#include "document/factory/factory_catalogue.h"
#include "engine/model/project.h"

namespace ob {

class SamplePool;

// Over the built-in catalogue.
void matchFactorySamples(SampleSlotTable& table, const SamplePool& pool);

// Over the given rows (the catalogue's shape); for callers that bring their own.
void matchFactorySamplesIn(SampleSlotTable& table, const SamplePool& pool, const FactorySampleRow* rows,
                           std::size_t rowCount);

}  // namespace ob
