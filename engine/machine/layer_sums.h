#pragma once

#include "engine/machine/mod_layers.h"

namespace ob {

// Sums of the parameters first .. first + count - 1 into out, each added in
// layer order like ModLayers::value. count is a multiple of 8 and the run
// lies inside the block. Eight parameters at a time where the processor has
// the wider vectors; the sums are the same either way.
void sumLayerColumns(const ModLayers& mod, int first, int count, float* out);

}  // namespace ob
