#include "engine/machine/layer_sums.h"

#include <cstring>

namespace ob {

// Chosen once at load time by the processor's features; every clone adds
// the same values in the same order, so the choice never changes a sum.
__attribute__((target_clones("avx2", "default")))
void sumLayerColumns(const ModLayers& mod, int first, int count, float* out) {
  using V8 = float __attribute__((vector_size(32)));
  for (int i = first; i < first + count; i += 8) {
    V8 acc;
    std::memcpy(&acc, &mod.layers[0][i], sizeof acc);
    for (int l = 1; l < ModLayers::kLayers; ++l) {
      V8 x;
      std::memcpy(&x, &mod.layers[l][i], sizeof x);
      acc += x;
    }
    std::memcpy(out + (i - first), &acc, sizeof acc);
  }
}

}  // namespace ob
