// The editor window's frame: the showcase view (a panel, buttons, every
// text style, a waveform) drawn through OpenGL on Mesa's software renderer
// and presented, at scales 1 and 2, against the same view in the headless
// harness, which builds the frame without drawing it. The window needs an
// X display (run under xvfb-run); without one it reports an error.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>

#include "support/ui/showcase_gallery.h"
#include "support/ui/ui_harness.h"
#include "ui/platform/embedded_window.h"

#include <X11/Xlib.h>

namespace {

using namespace orbi::ui;

float scaleOf(const benchmark::State& state) { return static_cast<float>(state.range(0)) / 10.0f; }

void BM_ShowcaseFrameHeadless(benchmark::State& state) {
  UiHarness harness(scaleOf(state));
  ShowcaseView view;
  harness.frames(3, [] {});
  for (auto _ : state) benchmark::DoNotOptimize(harness.frame(view).TotalVtxCount);
}
BENCHMARK(BM_ShowcaseFrameHeadless)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond);

// Each iteration is one timer tick with a frame due: events drained, one
// frame drawn and presented. An idle tick, which draws nothing, beside it.
void BM_ShowcaseFrameWindow(benchmark::State& state) {
  Display* host = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
  if (!host) {
    state.SkipWithError("no X display");
    return;
  }
  const float s = scaleOf(state);
  const auto width = static_cast<unsigned>(std::lround(ShowcaseView::kWidth * s));
  const auto height = static_cast<unsigned>(std::lround(ShowcaseView::kHeight * s));
  const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, width, height, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);
  {
    ShowcaseView view;
    EmbeddedWindow window(view, {});
    window.setScale(s);
    if (!window.attach(parent)) {
      state.SkipWithError("the window did not open");
    } else {
      while (view.frames() < 3) {
        window.invalidate();
        window.onTimer();
      }
      const bool idle = state.range(1) != 0;
      while (idle && !window.idle()) window.onTimer();
      for (auto _ : state) {
        if (!idle) window.invalidate();
        window.onTimer();
      }
      state.counters["frames"] = view.frames();
    }
  }
  XDestroyWindow(host, parent);
  XCloseDisplay(host);
}
BENCHMARK(BM_ShowcaseFrameWindow)
    ->ArgNames({"scale10", "idle"})
    ->Args({10, 0})
    ->Args({20, 0})
    ->Args({10, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
