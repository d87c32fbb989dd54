// One headless frame of the whole bench page: a drum whose sixteen cells
// each draw eight variations, with its three node graphs, five chain tiles
// and eight tracks, at scale 1 and 2; and a sampler in the slices view at
// scale 1. Each figure includes the headless frame around it; the editor
// draws one every 16 ms.

#include <benchmark/benchmark.h>

#include "editor/widgets/bench/bench_page.h"
#include "support/editor/widgets/bench_gallery.h"
#include "support/ui/ui_harness.h"
#include "ui/context.h"

namespace {

using namespace orbi;

template <class Gallery>
void runFrames(benchmark::State& state, Gallery& gallery, float s) {
  ui::UiHarness harness(s);
  harness.ui().setDrawLog(nullptr);
  const ui::Rect area{0.0f, 0.0f, 960.0f * s, 880.0f * s};
  // The pointer rests on a cell, so its chip and hover run every frame.
  harness.movePointer(ImVec2(area.width * 0.45f, 80.0f * s));
  const auto body = [&] { gallery.page.draw(area); };
  harness.frames(3, body);
  for (auto _ : state) benchmark::DoNotOptimize(&harness.frame(body));
}

// Argument: the UI scale.
void BM_DrumPageFrame(benchmark::State& state) {
  bench::testing::DrumPage drum(8, true);
  runFrames(state, drum, static_cast<float>(state.range(0)));
}
BENCHMARK(BM_DrumPageFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_SamplerPageFrame(benchmark::State& state) {
  bench::testing::SamplerPage sampler(8);
  runFrames(state, sampler, 1.0f);
}
BENCHMARK(BM_SamplerPageFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
