// The editor's whole frame in its window: the root view over the demo
// project drawn through OpenGL on Mesa's software renderer and presented,
// at scales 1 and 1.5, one timer tick with a frame due an iteration (events
// drained, the frame built, rendered and swapped). The second argument
// makes the bench its heaviest: the drum track's every step on, with random
// amounts on the drum's parameters. Needs an X display (run under
// xvfb-run); without one it reports an error.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/project/kept_document.h"
#include "editor/editor_view.h"
#include "engine/model/demo_project.h"
#include "engine/model/edit_command.h"
#include "engine/params/param_tables.h"
#include "engine/session/engine_host.h"
#include "ui/platform/embedded_window.h"

#include <X11/Xlib.h>

namespace {

// The virtual server turns a connection away now and then right after
// another closed.
Display* openDisplay() {
  if (!std::getenv("DISPLAY")) return nullptr;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (Display* display = XOpenDisplay(nullptr)) return display;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

// Every step of the first track on, with random amounts on eight of the
// drum's parameters and on velocity, timing and pan.
// False when the demo's first track plays no drum.
bool randomAmountsOnEveryStep(ob::Project& project) {
  ob::Pattern& pattern = project.patterns[0];
  if (pattern.kit.sounds[pattern.tracks[0].soundIndex].machine != ob::kMachineDrum) return false;
  const char* keys[] = {"res_tune", "exc1_tone", "exc1_decay", "level",
                        "bleed",    "res_decay", "res_tone",   "exc1_level"};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> amount(0.05f, 1.0f);
  for (ob::Step& step : project.patterns[0].tracks[0].steps) {
    step.active = 1;
    step.randCount = 0;
    for (const char* key : keys) {
      const int param = ob::findParamIndex(ob::kMachineDrum, key);
      if (param >= 0) step.rands[step.randCount++] = {static_cast<std::uint8_t>(param), amount(random)};
    }
    step.randVel = amount(random);
    step.randTime = amount(random);
    step.randPan = amount(random);
  }
  return true;
}

void BM_EditorFrameWindow(benchmark::State& state) {
  Display* host = openDisplay();
  if (!host) {
    state.SkipWithError("no X display");
    return;
  }
  const double scale = static_cast<double>(state.range(0)) / 10.0;
  const auto width = static_cast<unsigned>(std::lround(960.0 * scale));
  const auto height = static_cast<unsigned>(std::lround(940.0 * scale));
  const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, width, height, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);
  {
    std::unique_ptr<orbi::EngineHost> engineHost = orbi::EngineHost::create();
    ob::useEmbeddedFactorySamples();
    ob::buildDemoProject(engineHost->project);
    const bool heavyMade = state.range(1) == 0 || randomAmountsOnEveryStep(engineHost->project);
    ob::preloadFactorySamples(engineHost->project, engineHost->pool);
    // As init and a 48 kHz activate leave an instance's engine host.
    engineHost->engine.prepare(48000.0, 512);
    engineHost->hostSampleRate = 48000.0;
    engineHost->publishSamples();
    engineHost->engine.loadProject(engineHost->project);
    ob::KeptDocument kept;
    orbi::EditorSession session;
    orbi::EditorView view(*engineHost, kept, session);
    orbi::ui::EmbeddedWindow window(view, {false, 60});
    window.setScale(scale);
    window.setSize(width, height);
    if (!heavyMade) {
      state.SkipWithError("the demo's first track is no drum");
    } else if (!window.attach(parent)) {
      state.SkipWithError("the window did not open");
    } else {
      window.show();
      for (int i = 0; i < 5; ++i) window.onTimer();
      for (auto _ : state) {
        window.invalidate();
        window.onTimer();
      }
    }
  }
  XDestroyWindow(host, parent);
  XCloseDisplay(host);
}
BENCHMARK(BM_EditorFrameWindow)
    ->ArgNames({"scale10", "heavy"})
    ->Args({10, 0})
    ->Args({10, 1})
    ->Args({15, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
