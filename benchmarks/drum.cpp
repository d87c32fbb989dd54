// Render cost of one drum voice per exciter and per body at 48 kHz in
// 64-frame blocks. The "rt_factor" counter is seconds of audio rendered
// per second of CPU.
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "engine/drum/drum_machine.h"
#include "engine/drum/drum_params.h"
#include "engine/params/param_tables.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 64;

ob::ModLayers baseLayers() {
  ob::ModLayers mod;
  for (int i = 0; i < ob::paramCount(ob::kMachineDrum); ++i)
    mod.layers[0][i] = ob::paramInfo(ob::kMachineDrum, i).defaultValue;
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
  mod.layers[0][kResAux2] = 0.5f;                                     // detune for the wave body
  if (state.range(0) == kBodySample) mod.layers[0][kResAux1] = 0.0f;  // the filled slot
  mod.layers[0][kExc1Level] = 0.5f;
  run(state, mod, false);
}

// The six designed sounds of the demo beat, each retriggered every beat at
// 124 BPM and rendered in the engine's 8-sample chunks.
void BM_DrumDemoSound(benchmark::State& state) {
  using namespace ob::drum_param;
  struct Sound {
    std::initializer_list<std::pair<int, float>> values;
  };
  static const Sound kSounds[] = {
      {{{kExc1Type, 1},
        {kExc1Tone, 0.5f},
        {kExc1Decay, 0.003f},
        {kExc1Level, 0.5f},
        {kResType, 1},
        {kResTune, 55},
        {kResDecay, 0.35f},
        {kResTone, 0},
        {kResLevel, 0.9f},
        {kDistAmt, 0.2f}}},
      {{{kExc1Type, 3},
        {kExc1Tone, 0.153f},
        {kExc1Decay, 0.12f},
        {kExc1Level, 0.5f},
        {kExc1Aux1, 0.2f},
        {kExc1Aux2, 0.5f},
        {kBleed, 0.55f},
        {kResType, 2},
        {kResTune, 180},
        {kResDecay, 0.25f},
        {kResTone, 0.5f},
        {kResLevel, 0.7f},
        {kResAux2, 0.2f},
        {kLevel, 0.85f}}},
      {{{kExc1Type, 3},
        {kExc1Tone, 0.661f},
        {kExc1Decay, 0.04f},
        {kExc1Level, 0.6f},
        {kExc1Aux1, 0.15f},
        {kExc1Aux2, 0.3f},
        {kResType, 0},
        {kResLevel, 0},
        {kLevel, 0.8f}}},
      {{{kExc1Type, 3},
        {kExc1Tone, 0.62f},
        {kExc1Decay, 0.28f},
        {kExc1Level, 0.55f},
        {kExc1Aux1, 0.2f},
        {kExc1Aux2, 0.25f},
        {kResType, 0},
        {kResLevel, 0},
        {kLevel, 0.7f}}},
      {{{kExc1Type, 1},
        {kExc1Tone, 0.15f},
        {kExc1Decay, 0.012f},
        {kExc1Level, 0.5f},
        {kBleed, 0.8f},
        {kResType, 3},
        {kResTune, 110},
        {kResDecay, 0.4f},
        {kResTone, 0.5f},
        {kResLevel, 0.8f},
        {kResAux1, 0.15f},
        {kLevel, 0.85f}}},
      {{{kExc1Type, 1},
        {kExc1Tone, 0.9f},
        {kExc1Decay, 0.002f},
        {kExc1Level, 0.6f},
        {kBleed, 0.6f},
        {kResType, 3},
        {kResTune, 400},
        {kResDecay, 0.06f},
        {kResTone, 0.6f},
        {kResLevel, 0.8f},
        {kResAux1, 0.3f},
        {kLevel, 0.85f}}},
  };
  ob::ModLayers mod = baseLayers();
  for (const auto& [index, value] : kSounds[state.range(0)].values) mod.layers[0][index] = value;
  ob::DrumMachine m;
  m.prepare(kRate);
  std::vector<float> l(kBlock), r(kBlock);
  const int beat = static_cast<int>(kRate * 60.0 / 124.0);
  int untilHit = 0;
  for (auto _ : state) {
    for (int pos = 0; pos < kBlock; pos += 8) {
      if (untilHit <= 0) {
        m.trigger(60.0f, 1.0f);
        untilHit = beat;
      }
      untilHit -= 8;
      mod.serial++;
      mod.rampLength = 8;
      m.renderStereo(l.data() + pos, r.data() + pos, 8, mod);
    }
    benchmark::DoNotOptimize(l.data());
  }
  state.counters["rt_factor"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / kRate,
                                                   benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_DrumDemoSound)->ArgName("sound")->DenseRange(0, 5);
BENCHMARK(BM_DrumExciter)->ArgNames({"type", "stereo"})->ArgsProduct({{1, 2, 3, 4, 5, 6}, {0, 1}});
BENCHMARK(BM_DrumBody)->ArgName("type")->DenseRange(1, 8);
