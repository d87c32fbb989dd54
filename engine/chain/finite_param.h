#pragma once
#include <cmath>

#include "engine/machine/mod_layers.h"

namespace ob {

// A layer sum that went NaN or infinite (a broken host value, say) reads as
// the fallback, so one bad number cannot poison a voice's filter states.
inline float finiteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

inline float finiteParam(const ModLayers& mod, int index, float fallback) {
  return finiteOr(mod.value(index), fallback);
}

}  // namespace ob
