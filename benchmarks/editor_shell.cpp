// The header and the samples page's costs: one header frame in the
// headless harness, and a 30 s stereo WAV imported into the pool and its
// waveform overview built.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "content/tools/sample_import.h"
#include "document/project/kept_document.h"
#include "editor/editor_view.h"
#include "engine/model/demo_project.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"
#include "engine/session/engine_host.h"
#include "support/editor/wav_writer.h"
#include "support/ui/ui_harness.h"
#include "ui/draw/wave_overview.h"

namespace {

namespace fs = std::filesystem;

// The header over a demo project's root view, as the frame draws it.
void BM_HeaderFrame(benchmark::State& state) {
  ob::useEmbeddedFactorySamples();
  std::unique_ptr<orbi::EngineHost> host = orbi::EngineHost::create();
  ob::buildDemoProject(host->project);
  ob::preloadFactorySamples(host->project, host->pool);
  ob::KeptDocument kept;
  orbi::EditorSession session;
  orbi::EditorView view(*host, kept, session);
  orbi::ui::UiHarness harness;
  orbi::HeaderBarInput input;
  input.kitName = host->project.patterns[0].kit.name;
  input.statusText = "Saved beat.project.orbi";
  const orbi::ui::FrameInfo info;
  for (auto _ : state) {
    harness.frame([&] {
      orbi::ui::Rect content{0.0f, 0.0f, 960.0f, 940.0f};
      benchmark::DoNotOptimize(view.headerBar().draw(input, info, content));
    });
  }
}
BENCHMARK(BM_HeaderFrame)->Unit(benchmark::kMicrosecond);

// A 30 s stereo 16-bit WAV at 44.1 kHz, removed at the end.
class LongWav {
 public:
  LongWav() : path_(fs::temp_directory_path() / ("orbi-bench-" + std::to_string(::getpid()) + ".wav")) {
    constexpr double kRate = 44100.0;
    orbi::test::writeFile(path_, orbi::test::wavBytes(orbi::test::tone(kRate, 30.0, 2), 2, kRate,
                                                      orbi::test::WavFormat::Pcm16));
  }
  ~LongWav() {
    std::error_code ec;
    fs::remove(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void BM_Import30sStereoWav(benchmark::State& state) {
  const LongWav wav;
  auto project = std::make_unique<ob::Project>();
  for (auto _ : state) {
    state.PauseTiming();
    ob::SamplePool pool;
    project->samples.count = 0;
    state.ResumeTiming();
    benchmark::DoNotOptimize(ob::importWavFile(pool, *project, wav.path()));
    state.PauseTiming();
    pool = ob::SamplePool{};  // the freeing is not the import's
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Import30sStereoWav)->Unit(benchmark::kMillisecond);

// What the samples page builds once when the slot is selected.
void BM_Overview30sStereoWav(benchmark::State& state) {
  const LongWav wav;
  auto project = std::make_unique<ob::Project>();
  ob::SamplePool pool;
  const std::int32_t slot = ob::importWavFile(pool, *project, wav.path());
  const ob::SamplePoolSlot& audio = *pool.slots[slot];
  for (auto _ : state) {
    orbi::ui::WaveOverview overview(std::span<const float>(audio.left.data(), audio.frames),
                                    audio.sampleRate);
    benchmark::DoNotOptimize(overview.levels().data());
  }
}
BENCHMARK(BM_Overview30sStereoWav)->Unit(benchmark::kMillisecond);

}  // namespace
