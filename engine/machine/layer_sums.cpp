#include "engine/machine/layer_sums.h"

#include <cstring>

namespace ob {
namespace {

// Both versions add the same values in the same order, so the choice never
// changes a sum; only the width of the adds differs.
[[gnu::always_inline]] inline void sumColumns(const ModLayers& mod, int first, int count, float* out) {
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

[[gnu::target("avx2")]] void sumWide(const ModLayers& mod, int first, int count, float* out) {
  sumColumns(mod, first, count, out);
}

void sumPlain(const ModLayers& mod, int first, int count, float* out) { sumColumns(mod, first, count, out); }

using SumFunction = void (*)(const ModLayers&, int, int, float*);

// Chosen once when the library loads, by hand rather than through an
// indirect-function resolver, which runs before the sanitizers' runtimes
// are ready.
SumFunction chooseSum() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") ? sumWide : sumPlain;
}

const SumFunction gSum = chooseSum();

}  // namespace

void sumLayerColumns(const ModLayers& mod, int first, int count, float* out) {
  // Null only if called from another library's start-up code before ours.
  const SumFunction sum = gSum != nullptr ? gSum : sumPlain;
  sum(mod, first, count, out);
}

}  // namespace ob
