// Render cost of one drum voice per exciter and per body at 48 kHz in
// 64-frame blocks. The "rt_factor" counter is seconds of audio rendered
// per second of CPU.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/drum/drum_machine.h"
#include "engine/drum/drum_params.h"
#include "engine/params/param_tables.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;

ob::ModLayers baseLayers() {
  ob::ModLayers mod;
  for (int i = 0; i < ob::paramCount(ob::kMachineDrum); ++i) mod.layers[0][i] = ob::paramInfo(ob::kMachineDrum, i).defaultValue;
  return mod;
}

struct Slot {
  std::vector<float> data = std::vector<float>(96000, 0.1f);
  ob::SamplePoolSnapshot snapshot;
  Slot() { snapshot.slots[0] = {data.data(), 96000, kRate, nullptr, 0, nullptr, 1.0f}; }
};

void run(benchmark::State& state, ob::ModLayers mod, bool stereo) {
  static Slot slot;
  ob::DrumMachine m;
  m.setSampleSnapshot(&slot.snapshot);
  m.prepare(kRate);
  std::vector<float> l(kBlock), r(kBlock);
  m.trigger(60.0f, 1.0f);
  for (auto _ : state) {
    if (!m.isActive()) m.trigger(60.0f, 1.0f);
    mod.serial++;
    mod.rampLength = kBlock;
    if (stereo)
      m.renderStereo(l.data(), r.data(), kBlock, mod);
    else
      m.renderMono(l.data(), kBlock, mod);
    benchmark::DoNotOptimize(l.data());
  }
  state.counters["rt_factor"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / kRate,
                                                   benchmark::Counter::kIsRate);
}

// One exciter (long decay so it keeps sounding), no body.
void BM_DrumExciter(benchmark::State& state) {
  using namespace ob::drum_param;
  ob::ModLayers mod = baseLayers();
  mod.layers[0][kExc1Type] = static_cast<float>(state.range(0));
  mod.layers[0][kExc1Level] = 1.0f;
  mod.layers[0][kExc1Decay] = 0.5f;
  mod.layers[0][kExc1Aux1] = state.range(0) == kExcHpNoise ? 0.5f : 0.0f;  // pink hiss
  mod.layers[0][kExc1Width] = state.range(1) ? 0.7f : 0.0f;
  mod.layers[0][kResType] = 0.0f;
  run(state, mod, state.range(1) != 0);
}

// One body at the default drive, struck by a click.
void BM_DrumBody(benchmark::State& state) {
  using namespace ob::drum_param;
  ob::ModLayers mod = baseLayers();
  mod.layers[0][kResType] = static_cast<float>(state.range(0));
  mod.layers[0][kResDecay] = 4.0f;
  mod.layers[0][kResAux2] = 0.5f;  // detune for the wave body
  if (state.range(0) == kBodySample) mod.layers[0][kResAux1] = 0.0f;  // the filled slot
  mod.layers[0][kExc1Level] = 0.5f;
  run(state, mod, false);
}

}  // namespace

BENCHMARK(BM_DrumExciter)
    ->ArgNames({"type", "stereo"})
    ->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}});
BENCHMARK(BM_DrumBody)->ArgName("type")->DenseRange(1, 8);
