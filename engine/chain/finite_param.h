#pragma once
#include "engine/dsp/fast_math.h"
#include "engine/machine/mod_layers.h"

namespace ob {

// A parameter's layer sum, or the fallback when it went NaN or infinite.
inline float finiteParam(const ModLayers& mod, int index, float fallback) {
  return finiteOr(mod.value(index), fallback);
}

}  // namespace ob
