// The editor shell's costs: an edit through the root view (coalesced into
// a drag's snapshot, or taking one of its own each frame), undo and redo of
// whole projects, a frame of the root view with the bench page, one frame's
// parameter drag on the bench, and the audition of each demo sound.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/project/kept_document.h"
#include "editor/editor_view.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"
#include "engine/session/engine_host.h"
#include "support/ui/ui_harness.h"

namespace {

// An instance's engine host as init and a 48 kHz activate leave it, with
// the root view over it and frames in the headless harness.
struct Editor {
  Editor() : host(orbi::EngineHost::create()) {
    ob::useEmbeddedFactorySamples();
    ob::buildDemoProject(host->project);
    ob::preloadFactorySamples(host->project, host->pool);
    host->engine.prepare(48000.0, 512);
    host->hostSampleRate = 48000.0;
    host->publishSamplesNow();
    host->engine.loadProject(host->project);
    view = std::make_unique<orbi::EditorView>(*host, kept);
    harness.frame(*view);
  }
  // The audio thread's share: takes the queued edits.
  void audioBlock() { host->engine.process(left.data(), right.data(), 512, ob::RenderInfo{}); }

  std::unique_ptr<orbi::EngineHost> host;
  ob::KeptDocument kept;
  orbi::ui::UiHarness harness;
  std::unique_ptr<orbi::EditorView> view;
  std::vector<float> left = std::vector<float>(512), right = std::vector<float>(512);
};

ob::EditCommand command(ob::EditKind kind, float value) {
  ob::EditCommand c;
  c.kind = kind;
  c.param = 2;
  c.value = value;
  return c;
}

// A drag: every edit after the first shares its snapshot.
void BM_ApplyCoalesced(benchmark::State& state) {
  Editor e;
  int n = 0;
  for (auto _ : state) {
    ob::EditCommand c = command(ob::kEditSoundParam, static_cast<float>(n % 100) * 0.01f);
    e.view->apply(c);
    if (++n % 512 == 0) {
      state.PauseTiming();
      e.audioBlock();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_ApplyCoalesced);

// A step toggle each frame, each with a snapshot of its own; the frame is
// part of the measure (BM_BenchFrame alone for comparison).
void BM_ApplySnapshotEachFrame(benchmark::State& state) {
  Editor e;
  std::uint32_t n = 0;
  for (auto _ : state) {
    e.harness.frame(*e.view);
    ob::EditCommand c = command(ob::kEditToggleStep, 0.0f);
    c.step = n++ % 16;
    e.view->apply(c);
    state.PauseTiming();
    e.audioBlock();
    state.ResumeTiming();
  }
  state.counters["history"] = static_cast<double>(e.view->undoHistory().size());
}
BENCHMARK(BM_ApplySnapshotEachFrame);

void BM_UndoRedo(benchmark::State& state) {
  Editor e;
  ob::EditCommand c = command(ob::kEditToggleStep, 0.0f);
  e.view->apply(c);
  for (auto _ : state) {
    e.view->undo();
    e.view->redo();
  }
  state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_UndoRedo);

void BM_BenchFrame(benchmark::State& state) {
  Editor e;
  for (auto _ : state) e.harness.frame(*e.view);
}
BENCHMARK(BM_BenchFrame)->Unit(benchmark::kMicrosecond);

// What one frame of a value drag on the bench costs besides drawing: the
// graph's handler, the edit through the view and the rebuild of the page.
// Argument: 0 edits the kick's sound, 1 a lock of its selected first hit.
void BM_ParamDragFrame(benchmark::State& state) {
  Editor e;
  orbi::BenchPage& page = e.view->benchPage();
  if (state.range(0) != 0) page.selectStep(0);
  const int tone = ob::findParamIndex(ob::kMachineDrum, "res_tone");
  int n = 0;
  for (auto _ : state) {
    page.anatomy.bodyGraph.value(tone, static_cast<float>(n % 100) * 0.01f);
    if (++n % 512 == 0) {
      state.PauseTiming();
      e.audioBlock();
      state.ResumeTiming();
    }
  }
  state.SetLabel(state.range(0) != 0 ? "hit lock" : "sound");
}
BENCHMARK(BM_ParamDragFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Two seconds of each of the demo kit's six sounds at 44.1 kHz, handed to
// the preview.
void BM_Audition(benchmark::State& state) {
  Editor e;
  const ob::Sound& sound = e.host->project.patterns[0].kit.sounds[state.range(0)];
  for (auto _ : state) e.view->audition(sound, 1.0f, 1.0f);
  state.SetLabel(sound.name);
}
BENCHMARK(BM_Audition)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace
