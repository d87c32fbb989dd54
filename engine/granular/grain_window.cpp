#include "engine/granular/grain_window.h"

#include <cmath>

#include "engine/dsp/fast_math.h"

namespace ob {

void makeHannWindow(float* w) {
  for (int i = 0; i < kGrainWindowSize - 1; ++i) {
    w[i] = static_cast<float>((1.0 - std::cos(kTwoPi * i / 2047.0)) * 0.5);
  }
  w[kGrainWindowSize - 1] = w[kGrainWindowSize - 2];
}

const float* grainWindowTable() {
  struct Table {
    float w[kGrainWindowSize];
    Table() { makeHannWindow(w); }
  };
  static const Table table;  // thread-safe one-time initialisation
  return table.w;
}

}  // namespace ob
