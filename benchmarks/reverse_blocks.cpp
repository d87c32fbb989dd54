// The engine's block times with reversed hits, at 48 kHz: each block's
// processing time as a fraction of the block's own duration, worst, 99th
// percentile and median over eight seconds (after one bar that starts the
// transport). Scenarios: the demo as it is; the demo with every sound
// reversed; eight tracks of reversed drums hitting on the same step; the
// same eight drums fired by host notes on one sample (no notice). Third
// argument: 1 renders reversed hits ahead of their step, 0 inside the
// block that fires them (the renderer the spread one replaced).
//
// BM_StartBlocks: the blocks right after the transport starts, on the kit
// "Crushed Techno" with every sound reversed; the transport rests for
// half a second first, from the top of the pattern each time.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "content/kits/factory_kit_builder.h"
#include "engine/engine/engine.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"

namespace {

constexpr double kRate = 48000.0;
constexpr double kBpm = 120.0;
constexpr int kBeatFrames = 24000;  // a quarter note at 120 and 48 kHz
using Clock = std::chrono::steady_clock;

enum Scenario { kDemo, kDemoReversed, kEightDrums, kEightDrumsHostNotes };

void setParam(ob::Sound& s, const char* key, float v) {
  const int i = ob::findParamIndex(s.machine, key);
  if (i >= 0) s.params[i] = v;
}

// The demo's sounds (its drums twice over for eight tracks), reversed, with
// the room on so every pre-render runs its full second.
void reverseAll(ob::Pattern& pat, bool demoSounds) {
  for (int t = 0; t < 8; ++t) {
    ob::Sound& s = pat.kit.sounds[t];
    if (!demoSounds) {
      s = pat.kit.sounds[t % 6];
      setParam(s, "res_tune", 90.0f + 35.0f * static_cast<float>(t));
    }
    setParam(s, "voice_rev", 1.0f);
    setParam(s, "space_mix", 0.35f);
    setParam(s, "space_size", 0.8f);
  }
}

std::unique_ptr<ob::Project> project(Scenario scenario) {
  auto p = ob::makeProject();
  ob::buildDemoProject(*p);
  ob::Pattern& pat = p->patterns[0];
  pat.bpm = static_cast<float>(kBpm);
  if (scenario == kDemo) return p;
  if (scenario == kDemoReversed) {
    reverseAll(pat, true);
    return p;
  }
  pat.numTracks = 8;
  pat.swing = 50.0f;
  reverseAll(pat, false);
  for (int t = 0; t < 8; ++t) {
    ob::Track& track = pat.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    track.rate = 1;
    for (int i = 0; i < ob::kStepsPerTrack; ++i) {
      track.steps[i] = ob::Step{};
      track.steps[i].active = scenario == kEightDrums && i % 4 == 0 ? 1 : 0;
    }
  }
  return p;
}

void queueEightNotes(ob::Engine& engine, std::uint32_t time) {
  for (int t = 0; t < 8; ++t) {
    ob::Trigger tr;
    tr.track = static_cast<std::uint8_t>(t);
    tr.time = time;
    tr.gain = 0.9f;
    engine.queueTrigger(tr);
  }
}

void BM_ReverseBlocks(benchmark::State& state) {
  const auto scenario = static_cast<Scenario>(state.range(0));
  const int frames = static_cast<int>(state.range(1));
  auto engine = std::make_unique<ob::Engine>();
  engine->prepare(kRate, frames);
  engine->setSpreadReverse(state.range(2) != 0);
  engine->loadProject(*project(scenario));
  std::vector<float> buffer(16 * static_cast<std::size_t>(frames));
  float* channels[16];
  for (int c = 0; c < 16; ++c) channels[c] = buffer.data() + static_cast<std::size_t>(c) * frames;
  ob::RenderInfo info;
  info.playing = 1;
  info.clockRunning = 1;
  info.internalPlay = 1;
  info.tempo = kBpm;

  long position = 0;
  auto block = [&] {
    // Host notes on every beat, at its sample.
    const long into = position % kBeatFrames;
    if (scenario == kEightDrumsHostNotes && (into == 0 || into + frames > kBeatFrames))
      queueEightNotes(*engine, static_cast<std::uint32_t>((kBeatFrames - into) % kBeatFrames));
    engine->processBlock(channels, 8, frames, info);
    position += frames;
  };
  while (position < 4 * kBeatFrames) block();  // the first bar starts the transport

  std::vector<double> times;
  times.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    const auto t0 = Clock::now();
    block();
    times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    benchmark::DoNotOptimize(buffer.data());
  }
  std::sort(times.begin(), times.end());
  const double duration = frames / kRate;
  auto at = [&](double q) {
    return times[static_cast<std::size_t>(q * static_cast<double>(times.size() - 1))] / duration;
  };
  state.counters["worst"] = at(1.0);
  state.counters["p99"] = at(0.99);
  state.counters["median"] = at(0.5);
  std::uint32_t ahead = 0, inPlace = 0;
  for (int i = 0; i < ob::Engine::kPlayers; ++i) {
    ahead += engine->player(i).reverseHitsAhead();
    inPlace += engine->player(i).reverseHitsInPlace();
  }
  state.counters["ahead"] = ahead;
  state.counters["in_place"] = inPlace;
}

double minimum(const std::vector<double>& v) {
  return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}

// Eight seconds of blocks each, five times: the work is the same every time,
// so the smallest worst block of the five is the engine's own, without the
// machine's other load.
#define OB_REVERSE_BLOCKS(FRAMES)                                                                  \
  BENCHMARK(BM_ReverseBlocks)                                                                      \
      ->ArgsProduct({{kDemo, kDemoReversed, kEightDrums, kEightDrumsHostNotes}, {FRAMES}, {1, 0}}) \
      ->ArgNames({"scenario", "block", "spread"})                                                  \
      ->Iterations(static_cast<long>(8 * kRate) / FRAMES)                                          \
      ->Repetitions(5)                                                                             \
      ->ComputeStatistics("min", minimum)                                                          \
      ->ReportAggregatesOnly(true)                                                                 \
      ->Unit(benchmark::kMicrosecond)
OB_REVERSE_BLOCKS(64);
OB_REVERSE_BLOCKS(128);
OB_REVERSE_BLOCKS(256);
#undef OB_REVERSE_BLOCKS

// Every sound of the kit "Crushed Techno" reversed, as it comes otherwise.
std::unique_ptr<ob::Project> crushedTechnoReversed() {
  auto p = ob::makeProject();
  ob::buildDemoProject(*p);
  p->patterns[0] = ob::makeFactoryKit(0);
  ob::Pattern& pat = p->patterns[0];
  for (int t = 0; t < pat.numTracks && t < 8; ++t) setParam(pat.kit.sounds[t], "voice_rev", 1.0f);
  return p;
}

// Each iteration: the pattern from its top, half a second stopped, then the
// first eight blocks after the start, timed. Counters: the worst of those
// blocks as a fraction of the block's duration, and the tracks whose
// pre-render was complete when the transport started.
void BM_StartBlocks(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  constexpr int kTimedBlocks = 8;
  auto engine = std::make_unique<ob::Engine>();
  engine->prepare(kRate, frames);
  const auto project = crushedTechnoReversed();
  std::vector<float> buffer(16 * static_cast<std::size_t>(frames));
  float* channels[16];
  for (int c = 0; c < 16; ++c) channels[c] = buffer.data() + static_cast<std::size_t>(c) * frames;
  ob::RenderInfo stopped;
  stopped.tempo = kBpm;
  ob::RenderInfo playing = stopped;
  playing.playing = 1;
  playing.clockRunning = 1;
  playing.internalPlay = 1;
  double worst = 0.0;
  int ready = 0;
  for (auto _ : state) {
    state.PauseTiming();
    engine->loadProject(*project);
    for (long done = 0; done < static_cast<long>(kRate / 2); done += frames)
      engine->processBlock(channels, 8, frames, stopped);
    for (int t = 0; t < ob::kMaxTracks; ++t) ready += engine->prerender(t).complete() ? 1 : 0;
    state.ResumeTiming();
    for (int b = 0; b < kTimedBlocks; ++b) {
      const auto t0 = Clock::now();
      engine->processBlock(channels, 8, frames, playing);
      worst = std::max(worst, std::chrono::duration<double>(Clock::now() - t0).count());
      benchmark::DoNotOptimize(buffer.data());
    }
  }
  state.counters["worst"] = worst / (frames / kRate);
  state.counters["ready"] = static_cast<double>(ready) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartBlocks)
    ->ArgNames({"block"})
    ->Arg(64)
    ->Arg(256)
    ->Iterations(50)
    ->Repetitions(5)
    ->ComputeStatistics("min", minimum)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
