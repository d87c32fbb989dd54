// Track players at 48 kHz: one player per demo sound playing a hit every
// half second, and the reverse pre-render (one second of audio rendered
// inside one block). Each reports its real-time factor (audio time over
// processing time) and its worst block time relative to the block's length.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"
#include "engine/player/track_player.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 256;
using Clock = std::chrono::steady_clock;

const ob::Project& demo() {
  static const std::unique_ptr<ob::Project> project = [] {
    auto p = ob::makeProject();
    ob::buildDemoProject(*p);
    return p;
  }();
  return *project;
}

// One second of a decaying noisy tone for the sample-based machines.
const ob::SamplePoolSnapshot& snapshot() {
  static std::vector<float> audio;
  static ob::SamplePoolSnapshot snap;
  if (audio.empty()) {
    audio.resize(48000);
    std::uint32_t x = 0x1234567u;
    for (std::size_t i = 0; i < audio.size(); ++i) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      const double t = static_cast<double>(i) / kRate;
      audio[i] =
          static_cast<float>((std::sin(6.283185307 * 220.0 * t) * 0.6 + ((x >> 8) * 0x1.0p-24 - 0.5) * 0.4) *
                             std::exp(-3.0 * t));
    }
    snap.slots[0].left = audio.data();
    snap.slots[0].frames = static_cast<std::int32_t>(audio.size());
    snap.slots[0].sampleRate = kRate;
    snap.slots[0].peak = 1.0f;
  }
  return snap;
}

// Binds a player to a demo track as the engine does.
void bindDemoTrack(ob::TrackPlayer& p, int track) {
  const ob::Pattern& pattern = demo().patterns[0];
  const ob::Track& t = pattern.tracks[track];
  p.loadSound(pattern.kit.sounds[t.soundIndex]);
  p.setTempo(pattern.bpm);
  for (int i = 0; i < 2; ++i) {
    p.bindLfo(i, t.lfos[i]);
    p.bindModEnv(i, t.modEnvs[i]);
  }
  p.setRandomSeeds(static_cast<std::uint32_t>(track + 809),
                   (static_cast<std::uint32_t>(track) + 405) ^ 0x9e3779b9u);
}

struct Timing {
  double busy = 0.0;
  double worst = 0.0;
  long blocks = 0;

  void report(benchmark::State& state, int frames) const {
    const double blockSeconds = frames / kRate;
    state.counters["rtf"] = blocks > 0 ? blocks * blockSeconds / busy : 0.0;
    state.counters["worst_block"] = worst / blockSeconds;
  }
};

// Renders blocks of kBlock and retriggers every half second.
void BM_DemoSound(benchmark::State& state) {
  const int track = static_cast<int>(state.range(0));
  auto player = std::make_unique<ob::TrackPlayer>();
  player->prepare(kRate);
  bindDemoTrack(*player, track);
  std::vector<float> l(kBlock), r(kBlock);
  const int hitEvery = static_cast<int>(kRate / 2) / kBlock;
  Timing timing;
  long block = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    if (block % hitEvery == 0) player->startHit(60.0f, 0.9f);
    player->renderBlock(l.data(), r.data(), kBlock);
    const double dt = std::chrono::duration<double>(Clock::now() - t0).count();
    timing.busy += dt;
    timing.worst = std::max(timing.worst, dt);
    ++timing.blocks;
    ++block;
    benchmark::DoNotOptimize(l.data());
  }
  state.SetLabel(demo().patterns[0].kit.sounds[track].name);
  timing.report(state, kBlock);
}
BENCHMARK(BM_DemoSound)->DenseRange(0, 5);

// The block that takes a reversed hit renders one second ahead. Worst case:
// a sound that rings past one second, a running LFO (8-sample chunks
// throughout; second argument 1) and the chain's filters and room on. First
// argument 0..5 the demo sounds, 6 va, 7 sampler, 8 granular; third the
// host block size.
void BM_ReversePreRender(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const bool moving = state.range(1) != 0;
  const int block = static_cast<int>(state.range(2));
  auto player = std::make_unique<ob::TrackPlayer>();
  player->prepare(kRate);
  player->setSampleSnapshot(&snapshot());
  ob::Sound sound;
  if (which < 6) {
    sound = demo().patterns[0].kit.sounds[which];
  } else {
    const int machine =
        which == 6 ? ob::kMachineVa : (which == 7 ? ob::kMachineSample : ob::kMachineGranular);
    ob::initSoundParams(sound, machine);
  }
  const int own = ob::ownParamCount(sound.machine);
  sound.params[own + 2] = 3000.0f;  // flt_cutoff
  sound.params[own + 12] = 200.0f;  // flt2_cutoff
  sound.params[own + 13] = 0.0f;
  sound.params[own + 14] = 1.0f;  // high-pass
  sound.params[own + 19] = 0.5f;  // space_mix
  sound.params[own + 18] = 1.0f;  // space_size
  sound.params[own + 21] = 1.0f;  // voice_rev
  player->loadSound(sound);
  ob::Lfo lfo;
  lfo.enabled = moving ? 1 : 0;
  lfo.dest = 1;
  lfo.rate = 3.0f;
  lfo.depth = 0.2f;
  player->bindLfo(0, lfo);

  std::vector<float> l(block), r(block);
  Timing timing;
  long prerenderFrames = 0;
  for (auto _ : state) {
    player->startHit(60.0f, 1.0f);
    const auto t0 = Clock::now();
    player->renderBlock(l.data(), r.data(), block);
    const double dt = std::chrono::duration<double>(Clock::now() - t0).count();
    timing.busy += dt;
    timing.worst = std::max(timing.worst, dt);
    ++timing.blocks;
    prerenderFrames += player->reverseLength();
    benchmark::DoNotOptimize(l.data());
  }
  timing.report(state, block);
  // Real-time factor of the pre-render itself: audio rendered ahead per
  // second of processing.
  state.counters["prerender_rtf"] = timing.busy > 0.0 ? prerenderFrames / kRate / timing.busy : 0.0;
  state.counters["prerender_frames"] =
      timing.blocks > 0 ? static_cast<double>(prerenderFrames) / timing.blocks : 0.0;
}
BENCHMARK(BM_ReversePreRender)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 8, 1), {0, 1}, {256, 512}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
