// One headless frame of the whole drum diagram: a band-pass hit, a clap as
// the second hit and a wavetable body with detune, at 960 x 940 design
// pixels, at scale 1 and 2. Each figure includes the headless frame around
// it.

#include <benchmark/benchmark.h>

#include "editor/widgets/anatomy/anatomy_view.h"
#include "support/editor/widgets/anatomy_gallery.h"
#include "support/ui/ui_harness.h"
#include "ui/context.h"

namespace {

using namespace orbi;

// Argument: the UI scale.
void BM_AnatomyFrame(benchmark::State& state) {
  const auto s = static_cast<float>(state.range(0));
  ui::UiHarness harness(s);
  graph::testing::BenchDrum drum;
  const ui::Rect area{0.0f, 0.0f, 960.0f * s, 940.0f * s};
  harness.movePointer(ImVec2(area.width * 0.5f, area.height * 0.3f));
  const auto body = [&] { drum.view.draw(area); };
  harness.frames(3, body);
  for (auto _ : state) benchmark::DoNotOptimize(&harness.frame(body));
}
BENCHMARK(BM_AnatomyFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
