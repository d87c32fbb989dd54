// Whole-engine cost as a real-time factor (seconds of audio rendered per
// second of CPU): the demo project at two rates and five block sizes, a
// worst case with all sixteen players sounding the heaviest drum voice, and
// the cost of the host's reset.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "engine/engine/engine.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"

namespace {

struct Rig {
  std::unique_ptr<ob::Engine> engine = std::make_unique<ob::Engine>();
  std::vector<float> buffer;
  float* channels[16] = {};
  int block = 0;

  Rig(double rate, int frames) : block(frames) {
    engine->prepare(rate, frames);
    buffer.assign(16 * static_cast<std::size_t>(frames), 0.0f);
    for (int c = 0; c < 16; ++c) channels[c] = buffer.data() + static_cast<std::size_t>(c) * frames;
  }
};

ob::RenderInfo playing() {
  ob::RenderInfo info;
  info.playing = 1;
  info.clockRunning = 1;
  info.internalPlay = 1;
  return info;
}

void setParam(ob::Sound& s, const char* key, float v) {
  const int i = ob::findParamIndex(s.machine, key);
  if (i >= 0) s.params[i] = v;
}

void heavySound(ob::Sound& s, float tune) {
  ob::initSoundParams(s, ob::kMachineDrum);
  setParam(s, "exc1_type", 3);
  setParam(s, "exc1_decay", 0.5f);
  setParam(s, "exc1_level", 0.7f);
  setParam(s, "exc2_type", 6);
  setParam(s, "exc2_decay", 0.5f);
  setParam(s, "exc2_level", 0.5f);
  setParam(s, "res_type", 5);
  setParam(s, "res_tune", tune);
  setParam(s, "res_decay", 3.0f);
  setParam(s, "res_level", 0.8f);
  setParam(s, "dist_amt", 0.4f);
  setParam(s, "flt_cutoff", 3000.0f);
  setParam(s, "flt_reso", 0.4f);
  setParam(s, "flt_type", 0);  // low-pass
  setParam(s, "flt2_cutoff", 200.0f);
  setParam(s, "flt2_type", 1);  // high-pass
  setParam(s, "fx_drive", 6.0f);
  setParam(s, "amp_decay", 4.0f);
  setParam(s, "space_mix", 0.4f);
  setParam(s, "space_size", 0.8f);
}

void BM_Demo(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const int frames = static_cast<int>(state.range(1));
  Rig rig(rate, frames);
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  rig.engine->loadProject(*project);
  const ob::RenderInfo info = playing();
  long voiceBlocks = 0, blocks = 0;
  for (auto _ : state) {
    rig.engine->processBlock(rig.channels, 8, frames, info);
    benchmark::ClobberMemory();
    for (int i = 0; i < ob::Engine::kPlayers; ++i) voiceBlocks += rig.engine->player(i).isSounding() ? 1 : 0;
    ++blocks;
  }
  // Average number of players sounding at a block end.
  state.counters["voices"] = blocks ? static_cast<double>(voiceBlocks) / static_cast<double>(blocks) : 0.0;
  state.counters["rtf"] =
      benchmark::Counter(static_cast<double>(frames) / rate, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Demo)
    ->ArgsProduct({{44100, 48000}, {32, 64, 256, 512, 2048}})
    ->ArgNames({"rate", "block"})
    ->Unit(benchmark::kMicrosecond);

// Every track alternates two heavy sounds on each hit, so the previous hit
// rings on the spare player while the new one starts: sixteen voices.
void BM_WorstCase(benchmark::State& state) {
  const double rate = 48000.0;
  const int frames = static_cast<int>(state.range(0));
  Rig rig(rate, frames);
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  ob::Pattern& pat = project->patterns[0];
  pat.numTracks = 8;
  for (int t = 0; t < 8; ++t) {
    pat.tracks[t].soundIndex = static_cast<std::int8_t>(t);
    for (ob::Step& s : pat.tracks[t].steps) s.active = 0;
    heavySound(pat.kit.sounds[t], 300.0f + 40.0f * static_cast<float>(t));
  }
  rig.engine->loadProject(*project);
  const ob::RenderInfo info = playing();
  const long hitEvery = static_cast<long>(rate * 0.25) / frames + 1;
  long block = 0;
  int sounding = 0;
  for (auto _ : state) {
    if (block % hitEvery == 0) {
      const int flip = static_cast<int>((block / hitEvery) % 2);
      for (int t = 0; t < 8; ++t) {
        ob::Trigger tr;
        tr.track = static_cast<std::uint8_t>(t);
        tr.sound = static_cast<std::uint8_t>(flip ? (t + 1) % 8 : t);
        tr.gain = 1.0f;
        tr.time = static_cast<std::uint32_t>(t);
        rig.engine->queueTrigger(tr);
      }
    }
    rig.engine->processBlock(rig.channels, 8, frames, info);
    ++block;
    benchmark::ClobberMemory();
  }
  for (int i = 0; i < ob::Engine::kPlayers; ++i) sounding += rig.engine->player(i).isSounding() ? 1 : 0;
  state.counters["sounding"] = sounding;
  state.counters["rtf"] =
      benchmark::Counter(static_cast<double>(frames) / rate, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WorstCase)->Arg(64)->Arg(256)->ArgName("block")->Unit(benchmark::kMicrosecond);

}  // namespace

// The host's reset on the audio thread: every player prepared again at the
// rate it was sized for, the demo rebound and its clock restarted.
void BM_Reset(benchmark::State& state) {
  Rig rig(48000.0, 256);
  auto project = ob::makeProject();
  ob::buildDemoProject(*project);
  rig.engine->loadProject(*project);
  for (auto _ : state) {
    rig.engine->reset();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Reset)->Unit(benchmark::kMicrosecond);
