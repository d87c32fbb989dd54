// The editor's whole frame in its window: the root view over the demo
// project drawn through OpenGL on Mesa's software renderer and presented,
// at scales 1 and 1.5, one timer tick an iteration (events drained, the
// frame built, rendered and swapped). Needs an X display (run under
// xvfb-run); without one it reports an error.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>

#include "content/factory/factory_content.h"
#include "content/factory/factory_preload.h"
#include "document/project/kept_document.h"
#include "editor/editor_view.h"
#include "engine/model/demo_project.h"
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
    ob::preloadFactorySamples(engineHost->project, engineHost->pool);
    // As init and a 48 kHz activate leave an instance's engine host.
    engineHost->engine.prepare(48000.0, 512);
    engineHost->hostSampleRate = 48000.0;
    engineHost->publishSamplesNow();
    engineHost->engine.loadProject(engineHost->project);
    ob::KeptDocument kept;
    orbi::EditorView view(*engineHost, kept);
    orbi::ui::EmbeddedWindow window(view, {false, 60});
    window.setScale(scale);
    window.setSize(width, height);
    if (!window.attach(parent)) {
      state.SkipWithError("the window did not open");
    } else {
      window.show();
      for (int i = 0; i < 5; ++i) window.onTimer();
      for (auto _ : state) window.onTimer();
    }
  }
  XDestroyWindow(host, parent);
  XCloseDisplay(host);
}
BENCHMARK(BM_EditorFrameWindow)->Arg(10)->Arg(15)->Unit(benchmark::kMicrosecond);

}  // namespace
