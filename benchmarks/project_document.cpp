// Project save and load with 64 user samples of one to two seconds of stereo
// float audio, and the kit text the kit browser compares every frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "document/legacy/legacy_writer.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "document/wav/wav.h"
#include "document/wav/wav_pool.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"

namespace {

struct Fixture {
  std::unique_ptr<ob::Project> project = std::make_unique<ob::Project>();
  ob::SamplePool pool;
  ob::KeptDocument kept;
  std::size_t audioBytes = 0;

  Fixture() {
    ob::buildDemoProject(*project);
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> frames(44100, 88200);
    std::uniform_real_distribution<float> noise(-0.5f, 0.5f);
    for (int i = 0; i < ob::kSampleSlots; ++i) {
      const int n = frames(rng);
      std::vector<float> l(static_cast<std::size_t>(n)), r(l.size());
      for (int k = 0; k < n; ++k) {
        l[k] = noise(rng);
        r[k] = noise(rng);
      }
      std::vector<std::uint8_t> wav = ob::encodeWav(l.data(), r.data(), n, 44100.0);
      audioBytes += wav.size();
      ob::replaceSlotWav(pool, static_cast<std::uint32_t>(i), std::move(wav));
      std::snprintf(project->samples.slots[i].name, sizeof project->samples.slots[i].name, "take %02d.wav",
                    i);
    }
    project->samples.count = ob::kSampleSlots;
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void BM_SaveProject(benchmark::State& state) {
  Fixture& f = fixture();
  std::size_t size = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = ob::writeProjectDocument(*f.project, f.pool, f.kept);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
  state.counters["MiB"] = static_cast<double>(size) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond);

void BM_SaveProjectFile(benchmark::State& state) {
  Fixture& f = fixture();
  const auto path = std::filesystem::temp_directory_path() / "ob_benchmark_project.orbi";
  for (auto _ : state) {
    std::string error;
    if (!ob::saveDocumentFile(path, *f.project, f.pool, f.kept, &error)) state.SkipWithError(error.c_str());
  }
  std::error_code ec;
  std::filesystem::remove(path, ec);
}
BENCHMARK(BM_SaveProjectFile)->Unit(benchmark::kMillisecond);

void BM_LoadProject(benchmark::State& state) {
  Fixture& f = fixture();
  const std::vector<std::uint8_t> bytes = ob::writeProjectDocument(*f.project, f.pool, f.kept);
  auto project = ob::makeProject();
  for (auto _ : state) {
    ob::SamplePool pool;
    ob::KeptDocument kept;
    std::string error;
    if (!ob::readDocument(bytes, *project, pool, kept, &error, nullptr)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(pool.slots.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond);

// Eight tracks with modulators, locks and routes over eight sounds.
void BM_KitText(benchmark::State& state) {
  ob::Project project;
  ob::buildDemoProject(project);
  ob::Pattern& p = project.patterns[0];
  p.numTracks = ob::kMaxTracks;
  for (int t = 0; t < ob::kMaxTracks; ++t) {
    ob::Track& track = p.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    ob::Sound& s = p.kit.sounds[t];
    if (ob::paramCount(s.machine) == 0 || s.params[0] == 0.0f) ob::initSoundParams(s, t % 4);
    track.lfos[0].enabled = 1;
    track.modEnvs[0].enabled = 1;
    track.trackRandCount = 2;
    track.trackRands[0] = {1, 0.2f};
    track.trackRands[1] = {2, 0.3f};
    s.velDestCount = 1;
    s.velDests[0] = {3, 0.5f};
    for (int k = 0; k < ob::kStepsPerTrack; k += 2) {
      track.steps[k].active = 1;
      track.steps[k].lockCount = 1;
      track.steps[k].locks[0] = {4, 0.25f};
    }
  }
  for (int m = 0; m < ob::kMacroCount; ++m) {
    p.kit.macros[m].destCount = 2;
    p.kit.macros[m].dests[0] = {static_cast<std::uint8_t>(m), 1, 0.5f};
    p.kit.macros[m].dests[1] = {static_cast<std::uint8_t>(m + 4), 2, 0.75f};
  }
  std::size_t size = 0;
  for (auto _ : state) {
    std::string text = ob::patternToJsonText(p);
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_KitText)->Unit(benchmark::kMicrosecond);

}  // namespace
