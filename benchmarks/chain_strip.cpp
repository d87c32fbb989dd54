// The chain strip's cost per frame: a headless frame of the strip with all
// five stage tiles active, at scale 1 and 2.

#include <benchmark/benchmark.h>

#include "editor/widgets/chain/chain_strip.h"
#include "support/ui/ui_harness.h"
#include "ui/context.h"

namespace {

// Scale 1 and 2 as tenths.
void BM_ChainStripFrame(benchmark::State& state) {
  const float s = static_cast<float>(state.range(0)) / 10.0f;
  orbi::ui::UiHarness harness(s);
  orbi::ChainStrip strip;
  strip.stageActive.fill(1);
  strip.drive.drive = 4.0f;
  strip.drive.bits = 8.0f;
  strip.drive.rate = 0.2f;
  strip.filter.filters[0] = {2000.0f, 0.4f, 0};
  strip.filter.filters[1] = {120.0f, 0.0f, 1};
  strip.room.mix = 0.4f;
  const orbi::ui::Rect r{10.0f * s, 100.0f * s, 900.0f * s, 62.0f * s};
  // The pointer rests on the amp tile, so its hit tests run every frame.
  harness.movePointer(ImVec2(r.x + 250.0f * s, r.y + 30.0f * s));
  const auto body = [&] { strip.draw(r); };
  harness.frames(3, body);
  for (auto _ : state) benchmark::DoNotOptimize(&harness.frame(body));
}
BENCHMARK(BM_ChainStripFrame)->Arg(10)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace
