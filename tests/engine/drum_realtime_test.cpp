// Real-time rules of the drum machine: no allocation inside a render, no
// NaN or infinity for in-range parameters or wild modulation sums, and no
// denormal samples in long tails.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "drum_harness.h"
#include "engine/drum/drum_machine.h"
#include "engine/params/param_tables.h"
#include "support/allocation_counter.h"

namespace drum_realtime_test {

using namespace ob::drum_param;
using drumtest::set;

bool subnormal(float v) { return std::fpclassify(v) == FP_SUBNORMAL; }

struct Snap {
  std::vector<float> data = std::vector<float>(20000, 0.25f);
  ob::SamplePoolSnapshot snapshot;
  Snap() {
    for (int i = 0; i < 64; ++i) snapshot.slots[i] = {data.data(), 20000, 44100.0, nullptr, 0, nullptr, 1.0f};
  }
};

TEST(DrumRealtime, RenderNeverAllocates) {
  Snap snap;
  ob::DrumMachine m;
  m.setSampleSnapshot(&snap.snapshot);
  m.prepare(48000.0);
  ob::ModLayers mod = drumtest::defaultLayers();
  std::vector<float> l(64), r(64);
  const long before = ob::test::allocationCount();
  for (int exc = 0; exc <= kExcHpNoise; ++exc) {
    for (int body = 0; body <= kBodyWave; ++body) {
      set(mod, kExc1Type, float(exc));
      set(mod, kExc1Level, 0.8f);
      set(mod, kExc2Type, float(kExcHpNoise - exc));
      set(mod, kExc2Level, 0.4f);
      set(mod, kExc1Width, 0.5f);
      set(mod, kResType, float(body));
      set(mod, kExc1Aux1, 0.6f);
      set(mod, kResAux2, 0.3f);
      m.trigger(60.0f, 1.0f);
      for (int b = 0; b < 200; ++b) {
        mod.serial++;
        m.renderStereo(l.data(), r.data(), 64, mod);
        m.renderMono(l.data(), 8, mod);
      }
    }
  }
  EXPECT_EQ(ob::test::allocationCount() - before, 0);
}

TEST(DrumRealtime, FiniteForInRangeParametersAndWildModulation) {
  Snap snap;
  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int trial = 0; trial < 300; ++trial) {
    ob::ModLayers mod;
    for (int i = 0; i < kOwnCount; ++i) {
      const ob::ParamInfo info = ob::paramInfo(ob::kMachineDrum, i);
      mod.layers[0][i] = info.min + (info.max - info.min) * unit(rng);
    }
    const bool wild = trial % 3 == 0;
    if (wild) {  // modulation sums far outside the ranges
      for (int i = 0; i < kOwnCount; ++i) {
        const float k = unit(rng);
        const float big = trial % 2 ? 1e6f : 1e30f;
        mod.layers[2 + trial % 6][i] = k < 0.3f ? -big * unit(rng) : (k < 0.6f ? big * unit(rng) : 0.0f);
      }
      // Keep the types meaningful so that the models actually run.
      for (int i : {kExc1Type, kExc2Type, kResType, kDistPos}) mod.layers[2 + trial % 6][i] = 0.0f;
    }
    ob::DrumMachine m;
    m.setSampleSnapshot(&snap.snapshot);
    m.prepare(trial % 2 ? 44100.0 : 48000.0);
    const float note = wild ? 200.0f * unit(rng) - 50.0f : 24.0f + 72.0f * unit(rng);
    const drumtest::Hit h = drumtest::renderHit(m, mod, 9600, trial % 4 == 1, 8, note, unit(rng));
    ASSERT_TRUE(drumtest::allFinite(h.left)) << "trial " << trial;
    ASSERT_TRUE(drumtest::allFinite(h.right)) << "trial " << trial;
    if (!wild) {
      EXPECT_LT(drumtest::peakAbs(h.left), 50.0f) << "trial " << trial;
    }
  }
}

TEST(DrumRealtime, LongTailsStayOutOfDenormals) {
  for (int body = kBodySine; body <= kBodyWave; ++body) {
    for (int exc = kExcClick; exc <= kExcHpNoise; ++exc) {
      ob::ModLayers mod = drumtest::quietLayers();
      set(mod, kResType, float(body));
      set(mod, kResDecay, 0.02f);
      set(mod, kExc1Type, float(exc));
      set(mod, kExc1Level, 1.0f);
      set(mod, kExc1Decay, 0.5f);  // the hit outlives the body by far
      ob::DrumMachine m;
      m.prepare(48000.0);
      const drumtest::Hit h = drumtest::renderHit(m, mod, 48000 * 6, false);
      int bad = 0;
      for (float v : h.left) bad += subnormal(v);
      EXPECT_EQ(bad, 0) << body << "/" << exc;
    }
  }
}

}  // namespace drum_realtime_test
