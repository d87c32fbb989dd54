// The editor shell's costs: an edit through the root view (coalesced into
// a drag's snapshot, or taking one of its own each frame), undo and redo of
// whole projects, a frame of the root view with the bench page, one frame's
// parameter drag on the bench, the bench's rebuild with and without its
// previews, the longest frames while the worst case's previews or an
// audition render within the frames' budget, and the audition of each demo
// sound.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/audition/audition_groove.h"
#include "document/json/json_parse.h"
#include "document/json/json_write.h"
#include "document/project/kept_document.h"
#include "document/project/project_load.h"
#include "document/project/project_save.h"
#include "editor/editor_view.h"
#include "engine/model/demo_project.h"
#include "engine/params/param_tables.h"
#include "engine/pool/sample_pool.h"
#include "engine/session/engine_host.h"
#include "support/ui/ui_harness.h"

namespace {

// An instance's engine host as init and a 48 kHz activate leave it, with
// the root view over it and frames in the headless harness.
struct Editor {
  // `keeping`: the demo as a state load reads it holding what this build
  // does not read, kept with a voice, a sound, a value and a step.
  explicit Editor(bool keeping = false) : host(orbi::EngineHost::create()) {
    ob::useEmbeddedFactorySamples();
    ob::buildDemoProject(host->project);
    ob::preloadFactorySamples(host->project, host->pool);
    if (keeping) loadWithKept();
    host->engine.prepare(48000.0, 512);
    host->hostSampleRate = 48000.0;
    host->publishSamples();
    host->engine.loadProject(host->project);
    view = std::make_unique<orbi::EditorView>(*host, kept, session);
    harness.frame(*view);
  }
  void loadWithKept() {
    const std::vector<std::uint8_t> saved = ob::writeProjectDocument(host->project, host->pool, kept);
    ob::JsonValue document;
    std::string error;
    if (!ob::parseJson(std::string(saved.begin(), saved.end()), document, error)) std::abort();
    ob::JsonValue& state = *document.find("state");
    ob::JsonValue& kick = *state.find("sounds")->find("s-kick");
    kick.find("params")->set("x_future", ob::makeJsonDouble(1));
    kick.find("params")->set("exc1_type", ob::makeJsonString("sample"));
    kick.find("params")->set("exc1_aux1", ob::makeJsonString("smp-gone"));
    state.find("voices")->find("v-kick")->set("x_future", ob::makeJsonDouble(1));
    ob::JsonValue& step = *document.find("audition")
                               ->find("ext")
                               ->find(ob::stepsExtensionKey())
                               ->find("voices")
                               ->find("v-kick")
                               ->find("steps")
                               ->find("0");
    step.set("locks", ob::makeJsonObject());
    step.find("locks")->set("x-future", ob::makeJsonDouble(1));
    const std::string text = ob::writeJson(document);
    if (!ob::readDocument(std::vector<std::uint8_t>(text.begin(), text.end()), host->project, host->pool,
                          kept, &error, nullptr))
      std::abort();
  }
  // The audio thread's share: takes the queued edits.
  void audioBlock() { host->engine.process(left.data(), right.data(), 512, ob::RenderInfo{}); }

  std::unique_ptr<orbi::EngineHost> host;
  ob::KeptDocument kept;
  orbi::EditorSession session;
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

// A drag: every edit after the first shares its snapshot. Argument 1: over
// a state whose load kept records, which each edit asks whether it lets go.
void BM_ApplyCoalesced(benchmark::State& state) {
  Editor e(state.range(0) != 0);
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
BENCHMARK(BM_ApplyCoalesced)->Arg(0)->Arg(1);

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

// One frame of the root view and ImGui::Render for each page as the user
// meets it: the bench with the first track's sound made a drum, sampler,
// granular or synthesiser sound, the samples page, and the bench under the
// kit library's popup.
enum PageCase : int { kSamplesPage = 4, kKitLibrary = 5 };

void BM_PageFrame(benchmark::State& state) {
  Editor e;
  const int which = static_cast<int>(state.range(0));
  constexpr std::uint8_t kMachines[] = {ob::kMachineDrum, ob::kMachineSample, ob::kMachineGranular,
                                        ob::kMachineVa};
  constexpr const char* kNames[] = {"bench, drum",        "bench, sampler", "bench, granular",
                                    "bench, synthesiser", "samples page",   "kit library"};
  if (which == kSamplesPage) {
    e.view->showPage(orbi::EditorPage::Samples);
  } else if (which == kKitLibrary) {
    e.view->browseKits();
    e.view->kitBrowser().browserPending = true;
  } else if (kMachines[which] != ob::kMachineDrum) {
    ob::Pattern& part = e.view->project().patterns[0];
    ob::Sound& sound = part.kit.sounds[part.tracks[0].soundIndex];
    ob::initSoundParams(sound, kMachines[which]);
    const int slot = ob::findParamIndex(kMachines[which], "slot");
    if (slot >= 0) sound.params[slot] = 3.0f;
    e.view->commitProject(true);
    e.view->refresh();
  }
  // The page settles and the previews of the selection are rendered.
  for (int i = 0; i < 10; ++i) e.harness.frame(*e.view);
  for (auto _ : state) e.harness.frame(*e.view);
  state.SetLabel(kNames[which]);
}
BENCHMARK(BM_PageFrame)->DenseRange(0, kKitLibrary)->Unit(benchmark::kMicrosecond);

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

// The rebuild of each demo track's bench: argument 1 renders every preview
// again (a change of the pool makes them all stale), 0 builds the panels
// alone, as a drag frame between renders does.
void BM_Rebuild(benchmark::State& state) {
  Editor e;
  orbi::BenchController& bench = e.view->bench();
  e.view->setSelectedTrack(static_cast<int>(state.range(0)));
  bench.rebuild();
  bench.flushPreviews();
  const bool previews = state.range(1) != 0;
  for (auto _ : state) {
    if (previews) bench.samplesChanged();
    bench.rebuild();
    if (previews) bench.flushPreviews();
  }
  state.SetLabel(e.host->project.patterns[0].kit.sounds[state.range(0)].name);
}
BENCHMARK(BM_Rebuild)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})->Unit(benchmark::kMillisecond);

// The most a rebuild renders: sixteen active steps with random amounts,
// both hits and the body recorded halves of a 3 s recording (5 s
// previews), and the whole drum reversed.
void makeWorstCase(Editor& e) {
  ob::SampleAudio audio;
  audio.left.assign(3 * 44100, 0.0f);
  for (std::size_t i = 0; i < audio.left.size(); ++i)
    audio.left[i] = 0.3f * static_cast<float>((i * 7919) % 200) / 200.0f;
  e.host->pool.replaceSlot(40, std::move(audio));
  std::snprintf(e.host->project.samples.slots[40].name, 64, "long");
  e.host->project.samples.count = 41;
  ob::Pattern& part = e.host->project.patterns[0];
  ob::Sound& kick = part.kit.sounds[part.tracks[0].soundIndex];
  const auto set = [&kick](const char* key, float v) {
    kick.params[ob::findParamIndex(ob::kMachineDrum, key)] = v;
  };
  for (const char* half : {"exc1_", "exc2_", "res_"}) {
    set((std::string(half) + "type").c_str(), 4.0f);
    set((std::string(half) + "aux1").c_str(), 40.0f / 63.0f);
  }
  set("voice_rev", 1.0f);
  for (ob::Step& step : part.tracks[0].steps) {
    step.active = 1;
    step.randCount = 2;
    step.rands[0] = {static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, "res_tune")), 0.3f};
    step.rands[1] = {static_cast<std::uint8_t>(ob::findParamIndex(ob::kMachineDrum, "bleed")), 0.5f};
  }
  e.view->setSelectedTrack(0);
}

void BM_RebuildWorstCase(benchmark::State& state) {
  Editor e;
  makeWorstCase(e);
  orbi::BenchController& bench = e.view->bench();
  for (auto _ : state) {
    bench.samplesChanged();
    bench.rebuild();
    bench.flushPreviews();
  }
  state.counters["renders"] = bench.previewRenders();
}
BENCHMARK(BM_RebuildWorstCase)->Unit(benchmark::kMillisecond);

using FrameClock = std::chrono::steady_clock;

// The frames that follow a change, each frame of the root view timed whole
// (its renders, the page, ImGui's render), in ms.
template <typename Change>
std::vector<double> framesAfter(Editor& e, Change change, int frames) {
  change();
  std::vector<double> times;
  for (int i = 0; i < frames; ++i) {
    const auto t0 = FrameClock::now();
    e.harness.frame(*e.view);
    times.push_back(std::chrono::duration<double, std::milli>(FrameClock::now() - t0).count());
  }
  return times;
}

// The worst case's pictures all made stale (as a change of the pool makes
// them), then 40 frames at 60 a second. Counters: the longest frame, a
// frame once all is rendered (the median of the last ten), and the frames
// that took a millisecond more than that, in ms and frames.
void BM_WorstCaseFrames(benchmark::State& state) {
  Editor e;
  makeWorstCase(e);
  orbi::BenchController& bench = e.view->bench();
  for (int i = 0; i < 60; ++i) e.harness.frame(*e.view);  // the pictures settle
  double longest = 0.0, settled = 0.0;
  int busy = 0;
  for (auto _ : state) {
    std::vector<double> times = framesAfter(
        e,
        [&] {
          bench.samplesChanged();
          bench.rebuild();
        },
        40);
    longest = std::max(longest, *std::max_element(times.begin(), times.end()));
    std::vector<double> tail(times.end() - 10, times.end());
    std::nth_element(tail.begin(), tail.begin() + 5, tail.end());
    settled = tail[5];
    busy = static_cast<int>(
        std::count_if(times.begin(), times.end(), [&](double t) { return t > settled + 1.0; }));
  }
  state.counters["longest_ms"] = longest;
  state.counters["settled_ms"] = settled;
  state.counters["busy_frames"] = busy;
}
BENCHMARK(BM_WorstCaseFrames)->Iterations(5)->Unit(benchmark::kMillisecond);

// A gesture's audition of each of the demo kit's six sounds, each followed
// by 10 frames: the longest of the audition's call and those frames, in ms.
void BM_AuditionFrames(benchmark::State& state) {
  Editor e;
  for (int i = 0; i < 60; ++i) e.harness.frame(*e.view);  // the pictures settle
  const ob::Kit& kit = e.host->project.patterns[0].kit;
  double longest = 0.0;
  for (auto _ : state) {
    for (int sound = 0; sound < 6; ++sound) {
      double call = 0.0;
      const std::vector<double> times = framesAfter(
          e,
          [&] {
            const auto t0 = FrameClock::now();
            e.view->audition(kit.sounds[sound], 1.0f, ob::OutputGains{});
            call = std::chrono::duration<double, std::milli>(FrameClock::now() - t0).count();
          },
          10);
      longest = std::max({longest, call, *std::max_element(times.begin(), times.end())});
    }
  }
  state.counters["longest_ms"] = longest;
}
BENCHMARK(BM_AuditionFrames)->Iterations(20)->Unit(benchmark::kMillisecond);

// One frame of a drag of the kick's body tone with the previews throttled:
// the edit, the rebuild and the frame, with a render every 100 ms of the
// frame clock (one frame in seven at 60 frames a second).
void BM_DragFrameThrottled(benchmark::State& state) {
  Editor e;
  orbi::BenchPage& page = e.view->benchPage();
  const int tone = ob::findParamIndex(ob::kMachineDrum, "res_tone");
  const int before = e.view->bench().previewRenders();
  int n = 0;
  for (auto _ : state) {
    page.anatomy.bodyGraph.value(tone, static_cast<float>(n % 100) * 0.01f);
    e.harness.frame(*e.view);
    if (++n % 512 == 0) {
      state.PauseTiming();
      e.audioBlock();
      state.ResumeTiming();
    }
  }
  state.counters["renders/frame"] = static_cast<double>(e.view->bench().previewRenders() - before) /
                                    static_cast<double>(state.iterations());
}
BENCHMARK(BM_DragFrameThrottled)->Unit(benchmark::kMicrosecond);

// Two seconds of each of the demo kit's six sounds at 44.1 kHz rendered in
// one go and handed to the preview.
void BM_Audition(benchmark::State& state) {
  Editor e;
  const ob::Sound& sound = e.host->project.patterns[0].kit.sounds[state.range(0)];
  for (auto _ : state) {
    e.view->audition(sound, 1.0f, ob::OutputGains{});
    e.view->finishRenders();
  }
  state.SetLabel(sound.name);
}
BENCHMARK(BM_Audition)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace
