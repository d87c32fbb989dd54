// The voice chain at 48 kHz in blocks of the given size, at its defaults
// (a pass-through) and with every stage on including the room.
// "x_realtime" is seconds of audio processed per second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/chain/voice_chain.h"
#include "engine/params/param_tables.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBase = 30;  // after the drum's own parameters

ob::ModLayers commonDefaults() {
  ob::ModLayers m;
  for (int j = 0; j < ob::commonParamCount(); ++j) {
    m.layers[0][kBase + j] = ob::commonParamInfo(j).defaultValue;
  }
  return m;
}

ob::ModLayers everythingOn() {
  namespace v = ob::voice;
  ob::ModLayers m = commonDefaults();
  float* p = &m.layers[0][kBase];
  p[v::kTsAttack] = 0.6f;
  p[v::kTsSustain] = -0.3f;
  p[v::kFltCutoff] = 3000.0f;
  p[v::kFltReso] = 0.4f;
  p[v::kAmpAttack] = 0.002f;
  p[v::kAmpHold] = 0.05f;
  p[v::kAmpDecay] = 0.6f;
  p[v::kFxDrive] = 3.0f;
  p[v::kFxShape] = 1.0f;
  p[v::kFxCrush] = 10.0f;
  p[v::kFxSrr] = 0.1f;
  p[v::kFlt2Cutoff] = 200.0f;
  p[v::kFlt2Type] = 1.0f;
  p[v::kSpaceMix] = 0.3f;
  p[v::kSpaceSize] = 0.6f;
  p[v::kSpaceDamp] = 0.5f;
  return m;
}

void runChain(benchmark::State& state, const ob::ModLayers& mod, bool stereo) {
  const int block = static_cast<int>(state.range(0));
  ob::VoiceChain chain;
  chain.prepare(kRate);
  chain.setVelocity(0.8f);
  const int period = 4800;
  std::vector<float> srcL(period), srcR(period);
  std::uint32_t x = 1;
  for (int i = 0; i < period; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    const float env = std::exp(-i / 600.0f);
    srcL[i] = env * (float(x) * 0x1.0p-32f - 0.5f);
    srcR[i] = 0.8f * srcL[i];
  }
  std::vector<float> l(block), r(block);
  std::int64_t frames = 0;
  int pos = 0;
  for (auto _ : state) {
    for (int i = 0; i < block; ++i) {
      l[i] = srcL[(pos + i) % period];
      r[i] = srcR[(pos + i) % period];
    }
    if (stereo) {
      chain.processStereo(l.data(), r.data(), block, mod, kBase);
    } else {
      chain.processMono(l.data(), block, mod, kBase);
    }
    chain.updateTail();
    benchmark::DoNotOptimize(l.data());
    benchmark::DoNotOptimize(r.data());
    pos = (pos + block) % period;
    if (pos < block) chain.resetForHit();
    frames += block;
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

void BM_ChainDefaultsStereo(benchmark::State& state) { runChain(state, commonDefaults(), true); }
void BM_ChainFullStereo(benchmark::State& state) { runChain(state, everythingOn(), true); }
void BM_ChainFullMono(benchmark::State& state) { runChain(state, everythingOn(), false); }

void BM_SpaceReverb(benchmark::State& state) {
  ob::SpaceReverb rv;
  rv.setRate(kRate);
  rv.configure(0.7f, 0.4f);
  std::vector<float> in(64, 0.0f), l(64), r(64);
  std::int64_t frames = 0;
  for (auto _ : state) {
    in[0] = frames % 4800 == 0 ? 1.0f : 0.0f;
    rv.process(in.data(), l.data(), r.data(), 64);
    benchmark::DoNotOptimize(l.data());
    frames += 64;
  }
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_ChainDefaultsStereo)->Arg(64)->Arg(8);
BENCHMARK(BM_ChainFullStereo)->Arg(64)->Arg(8);
BENCHMARK(BM_ChainFullMono)->Arg(64)->Arg(8);
BENCHMARK(BM_SpaceReverb);
