// The plug-in's process call on the demo project, as real-time factors
// (seconds of audio per second of work): both common rates, four block
// sizes, all nine output ports or the main port only, and a block crowded
// with per-note data and control signals.
#include <benchmark/benchmark.h>

#include "plugin/own_events.h"
#include "support/plugin/process_harness.h"

namespace {

using ob::test::OutRecord;
using ob::test::ProcessHarness;
using ob::test::put;

void setUp(ProcessHarness& h, double rate, std::uint32_t block, std::uint32_t ports) {
  h.helloControlSignals();
  h.activate(rate, block);
  h.setPorts(ports, 2);
  h.fillGarbage = false;
  h.withTransport = true;
  h.transport.flags = CLAP_TRANSPORT_IS_PLAYING | CLAP_TRANSPORT_HAS_TEMPO;
  h.transport.tempo = 128.0;
}

void realTime(benchmark::State& state, double rate, std::uint32_t block) {
  state.counters["rtf"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * block / rate, benchmark::Counter::kIsRate);
}

void BM_ProcessDemo(benchmark::State& state) {
  const double rate = static_cast<double>(state.range(0));
  const auto block = static_cast<std::uint32_t>(state.range(1));
  const auto ports = static_cast<std::uint32_t>(state.range(2));
  ProcessHarness h;
  setUp(h, rate, block, ports);
  for (auto _ : state) {
    h.process(block);
    benchmark::DoNotOptimize(h.buffers[0].data());
  }
  realTime(state, rate, block);
}
BENCHMARK(BM_ProcessDemo)
    ->ArgNames({"rate", "block", "ports"})
    ->ArgsProduct({{44100, 48000}, {64, 256, 512, 2048}, {9, 1}});

// 32 notes, each with a target, seed, layer, pan spread, sixteen values,
// sixteen random amounts, a second part with sixteen values; 64 control
// signals across the block.
void queueStress(ProcessHarness& h, std::uint32_t block, std::int32_t firstId) {
  for (int n = 0; n < 32; ++n) {
    const std::int32_t id = firstId + n;
    const auto time = static_cast<std::uint32_t>(n) * block / 32;
    auto perNote = [&](std::uint16_t type, std::uint32_t size) -> OutRecord& {
      OutRecord& r = h.own(type, size, time);
      put<std::int32_t>(r, 16, id);
      return r;
    };
    OutRecord& t = perNote(ob::clap::kOwnTarget, 40);
    put<std::uint32_t>(t, 20, static_cast<std::uint32_t>(n % 6));
    put<std::uint32_t>(t, 24, static_cast<std::uint32_t>(n % 6));
    put<double>(t, 32, 0.5);
    put<std::uint64_t>(perNote(ob::clap::kOwnSeed, 32), 24, 1234u + static_cast<std::uint64_t>(n));
    put<std::uint64_t>(perNote(ob::clap::kOwnLayer, 32), 24, static_cast<std::uint64_t>(n));
    put<double>(perNote(ob::clap::kOwnPanSpread, 32), 24, 0.3);
    OutRecord& second = perNote(ob::clap::kOwnSecond, 40);
    put<std::int64_t>(second, 24, 2000);
    for (std::uint32_t i = 0; i < 16; ++i) {
      for (std::uint16_t type : {ob::clap::kOwnValue, ob::clap::kOwnSecondValue}) {
        OutRecord& v = perNote(type, 40);
        put<std::uint32_t>(v, 20, i);
        put<std::uint32_t>(v, 24, i % 2);
        put<double>(v, 32, 0.01 * i);
      }
      OutRecord& r = perNote(ob::clap::kOwnRandom, 32);
      put<std::uint32_t>(r, 20, i);
      put<double>(r, 24, 0.1);
    }
    h.queue(ob::test::noteOn(time, static_cast<std::int16_t>(60 + n % 6), id, 0.9));
  }
  for (int c = 0; c < 64; ++c) {
    OutRecord& r = h.own(ob::clap::kOwnControl, 32, static_cast<std::uint32_t>(c) * block / 64);
    put<std::uint32_t>(r, 16, static_cast<std::uint32_t>(c % 6));
    put<std::uint32_t>(r, 20, static_cast<std::uint32_t>(c % 20));
    put<double>(r, 24, 0.5);
  }
}

void BM_ProcessEventStress(benchmark::State& state) {
  const double rate = 48000.0;
  const auto block = static_cast<std::uint32_t>(state.range(0));
  ProcessHarness h;
  setUp(h, rate, block, 9);
  std::int32_t id = 0;
  for (auto _ : state) {
    state.PauseTiming();
    queueStress(h, block, id);
    id += 32;
    state.ResumeTiming();
    h.process(block);
    benchmark::DoNotOptimize(h.buffers[0].data());
  }
  realTime(state, rate, block);
}
BENCHMARK(BM_ProcessEventStress)->ArgName("block")->Arg(512)->Arg(2048);

}  // namespace
