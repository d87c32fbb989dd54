// Sample, VA and granular machines at 48 kHz, stereo, in blocks of the
// given size. "x_realtime" is seconds of audio rendered per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/granular/granular_machine.h"
#include "engine/params/param_tables.h"
#include "engine/sampler/sample_machine.h"
#include "engine/va/va_machine.h"

namespace {

constexpr double kRate = 48000.0;

ob::ModLayers defaultsFor(int machine) {
  ob::ModLayers m;
  for (int i = 0; i < ob::ownParamCount(machine); ++i) {
    m.layers[0][i] = ob::ownParamInfo(machine, i).defaultValue;
  }
  return m;
}

struct Material {
  std::vector<float> left, right;
  ob::SamplePoolSnapshot snap{};
  Material() {
    const int n = 96000;
    left.resize(n);
    right.resize(n);
    for (int i = 0; i < n; ++i) {
      left[i] = 0.6f * float(std::sin(2.0 * M_PI * 180.0 * i / kRate)) * float(std::exp(-i / 30000.0));
      right[i] = 0.9f * left[i];
    }
    ob::SampleSlotInfo& s = snap[0];
    s.left = left.data();
    s.right = right.data();
    s.frames = n;
    s.sampleRate = 44100.0;  // resampled on playback
    s.peak = 0.6f;
  }
};

const Material& material() {
  static const Material m;
  return m;
}

template <class M>
void run(benchmark::State& state, M& machine, const ob::ModLayers& mod, float note) {
  const int block = static_cast<int>(state.range(0));
  std::vector<float> l(block), r(block);
  machine.prepare(kRate);
  machine.trigger(note, 0.9f);
  std::int64_t frames = 0;
  for (auto _ : state) {
    std::fill(l.begin(), l.end(), 0.0f);
    std::fill(r.begin(), r.end(), 0.0f);
    if (!machine.isActive()) machine.trigger(note, 0.9f);
    machine.renderStereo(l.data(), r.data(), block, mod);
    benchmark::DoNotOptimize(l.data());
    benchmark::DoNotOptimize(r.data());
    frames += block;
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

void BM_SampleMachineLoop(benchmark::State& state) {
  ob::SampleMachine m;
  m.setSnapshot(&material().snap);
  ob::ModLayers mod = defaultsFor(ob::kMachineSample);
  mod.layers[0][ob::SampleMachine::kLoop] = 1.0f;
  mod.layers[0][ob::SampleMachine::kTune] = 3.5f;
  run(state, m, mod, 60.0f);
}

void BM_SampleMachineLoFi(benchmark::State& state) {
  ob::SampleMachine m;
  m.setSnapshot(&material().snap);
  ob::ModLayers mod = defaultsFor(ob::kMachineSample);
  mod.layers[0][ob::SampleMachine::kLoop] = 1.0f;
  mod.layers[0][ob::SampleMachine::kCrush] = 6.0f;
  mod.layers[0][ob::SampleMachine::kSrr] = 0.3f;
  mod.layers[0][ob::SampleMachine::kLp] = 3000.0f;
  mod.layers[0][ob::SampleMachine::kFadeIn] = 0.1f;
  mod.layers[0][ob::SampleMachine::kFadeOut] = 0.2f;
  run(state, m, mod, 60.0f);
}

void BM_VaMachine(benchmark::State& state) {
  ob::VaMachine m;
  ob::ModLayers mod = defaultsFor(ob::kMachineVa);
  mod.layers[0][ob::VaMachine::kDecay] = 4.0f;
  mod.layers[0][ob::VaMachine::kPitchEnv] = 12.0f;
  mod.layers[0][ob::VaMachine::kWave2] = 1.0f;
  run(state, m, mod, 48.0f);
}

void BM_GranularMachineDense(benchmark::State& state) {
  ob::GranularMachine m;
  m.setSnapshot(&material().snap);
  m.setRandomSeed(405u ^ 0x9e3779b9u);
  ob::ModLayers mod = defaultsFor(ob::kMachineGranular);
  mod.layers[0][ob::GranularMachine::kSize] = 200.0f;
  mod.layers[0][ob::GranularMachine::kDensity] = 100.0f;
  mod.layers[0][ob::GranularMachine::kSpray] = 0.3f;
  mod.layers[0][ob::GranularMachine::kSpread] = 0.2f;
  mod.layers[0][ob::GranularMachine::kDecay] = 8.0f;
  run(state, m, mod, 60.0f);
}

void BM_GranularMachineDefault(benchmark::State& state) {
  ob::GranularMachine m;
  m.setSnapshot(&material().snap);
  m.setRandomSeed(405u ^ 0x9e3779b9u);
  ob::ModLayers mod = defaultsFor(ob::kMachineGranular);
  mod.layers[0][ob::GranularMachine::kDecay] = 8.0f;
  run(state, m, mod, 60.0f);
}

}  // namespace

BENCHMARK(BM_SampleMachineLoop)->Arg(64)->Arg(8);
BENCHMARK(BM_SampleMachineLoFi)->Arg(64)->Arg(8);
BENCHMARK(BM_VaMachine)->Arg(64)->Arg(8);
BENCHMARK(BM_GranularMachineDense)->Arg(64)->Arg(8);
BENCHMARK(BM_GranularMachineDefault)->Arg(64)->Arg(8);
