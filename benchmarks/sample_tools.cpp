// Sample tools on long recordings: the hit and body split of a 10-second
// stereo file at 48 kHz (analysis and halves alone, and the whole pool
// operation with its WAV round trip), and transient detection on 30 seconds.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

#include "content/tools/hit_body_split.h"
#include "content/tools/sample_split.h"
#include "content/tools/transients.h"
#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace {

// A drum loop: a noise click over a decaying tone every `everySeconds`.
std::vector<float> drumLoop(double seconds, double rate, std::uint64_t seed, double everySeconds = 0.25) {
  std::vector<float> x(static_cast<std::size_t>(seconds * rate), 0.0f);
  const std::size_t every = static_cast<std::size_t>(everySeconds * rate);
  std::uint64_t s = seed;
  for (std::size_t k = 0; k < x.size(); ++k) {
    const double t = static_cast<double>(k % every) / rate;
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    const double noise = static_cast<double>(s >> 11) / 9007199254740992.0 * 2.0 - 1.0;
    x[k] = static_cast<float>(0.6 * std::exp(-t / 0.004) * noise +
                              0.5 * std::exp(-t / 0.06) * std::sin(2.0 * std::numbers::pi * 90.0 * t));
  }
  return x;
}

void BM_SplitHalves10sStereo48k(benchmark::State& state) {
  const double rate = 48000.0;
  const std::vector<float> left = drumLoop(10.0, rate, 1), right = drumLoop(10.0, rate, 2);
  const auto frames = static_cast<std::int32_t>(left.size());
  for (auto _ : state) {
    ob::HitBodyHalves h = ob::splitHitBody(left.data(), right.data(), frames, rate);
    benchmark::DoNotOptimize(h.bodyLeft.data());
  }
}
BENCHMARK(BM_SplitHalves10sStereo48k)->Unit(benchmark::kMillisecond);

void BM_SplitPoolSlot10sStereo48k(benchmark::State& state) {
  const double rate = 48000.0;
  const std::vector<float> left = drumLoop(10.0, rate, 1), right = drumLoop(10.0, rate, 2);
  const auto wav = ob::encodeWav(left.data(), right.data(), static_cast<std::int32_t>(left.size()), rate);
  auto project = ob::makeProject();
  ob::copyText(project->samples.slots[0].name, "loop.wav");
  project->samples.count = 1;
  for (auto _ : state) {
    state.PauseTiming();
    auto pool = std::make_unique<ob::SamplePool>();
    ob::loadWav(*pool, wav);
    state.ResumeTiming();
    const ob::SplitResult r = ob::splitSampleIntoHitAndBody(*pool, *project, 0);
    benchmark::DoNotOptimize(r.bodySlot);
    state.PauseTiming();
    pool.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_SplitPoolSlot10sStereo48k)->Unit(benchmark::kMillisecond);

void BM_DetectTransients30s(benchmark::State& state) {
  const double rate = 48000.0;
  // 60 hits: the 64 markers the editor asks for never fill, so the whole
  // 30 seconds are scanned.
  const std::vector<float> x = drumLoop(30.0, rate, 3, 0.5);
  float marks[64];
  for (auto _ : state) {
    const std::int32_t n =
        ob::detectTransients(x.data(), static_cast<std::int32_t>(x.size()), rate, marks, 64);
    benchmark::DoNotOptimize(n);
    benchmark::ClobberMemory();
    if (n != 61) state.SkipWithError("unexpected marker count");
  }
}
BENCHMARK(BM_DetectTransients30s)->Unit(benchmark::kMillisecond);

}  // namespace
