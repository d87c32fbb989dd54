// The sample panel's costs: painting a minute of sound with its bright
// window, and one headless frame of the whole panel in each view.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "editor/widgets/sample/sampler_lanes.h"
#include "support/editor/widgets/sampler_gallery.h"
#include "support/ui/ui_harness.h"

namespace {

using namespace orbi;

constexpr int kMinuteFrames = 60 * 44100;

const std::vector<float>& minuteOfSound() {
  static const std::vector<float> samples = sample::testing::decayingBursts(kMinuteFrames);
  return samples;
}

// The window view's painter over a width in pixels: the whole minute dim,
// half of it bright, shaped by fades.
void BM_PaintWave(benchmark::State& state) {
  const float width = static_cast<float>(state.range(0));
  ui::UiHarness harness;
  harness.frame();
  harness.ui().setDrawLog(nullptr);
  ui::ContextScope scope(harness.ui());
  ImDrawList list(ImGui::GetDrawListSharedData());
  SampleView view;
  view.setSample(minuteOfSound().data(), kMinuteFrames, 60.0f);
  const ui::Rect rect{0.0f, 100.0f, width, 200.0f};
  const auto fade = [](float position) { return std::min(1.0f, 4.0f * std::fabs(position - 0.45f)); };
  for (auto _ : state) {
    list._ResetForNewFrame();
    list.PushClipRectFullScreen();
    list.PushTextureID(ImGui::GetIO().Fonts->TexID);
    view.paintWave(&list, rect, 0.2f, 0.7f, fade);
    benchmark::DoNotOptimize(list.VtxBuffer.Data);
  }
}
BENCHMARK(BM_PaintWave)->Arg(960)->Arg(1920)->Unit(benchmark::kMicrosecond);

// One frame of the panel, 944 x 560, in the window, slices and grains views.
void BM_PanelFrame(benchmark::State& state) {
  const int view = static_cast<int>(state.range(0));
  ui::UiHarness harness;
  harness.ui().setDrawLog(nullptr);
  harness.movePointer({400, 200});
  SamplerLanes panel;
  static const std::vector<float> twoSeconds(minuteOfSound().begin(), minuteOfSound().begin() + kMinuteFrames / 30);
  sample::testing::fillSamplerPanel(panel, view, twoSeconds);
  const auto body = [&] { panel.draw({8.0f, 8.0f, 944.0f, 560.0f}); };
  harness.frames(2, body);
  for (auto _ : state) harness.frame(body);
}
BENCHMARK(BM_PanelFrame)
    ->Arg(SampleView::kWindow)
    ->Arg(SampleView::kSlices)
    ->Arg(SampleView::kGrains)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
