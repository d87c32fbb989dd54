// The sample panel's costs: painting a minute of sound with its bright
// window, and one headless frame of the whole panel in each view.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "editor/widgets/sample/sampler_lanes.h"
#include "support/ui/ui_harness.h"

namespace {

using namespace orbi;

constexpr int kMinuteFrames = 60 * 44100;

const std::vector<float>& minuteOfSound() {
  static const std::vector<float> samples = [] {
    std::vector<float> v(kMinuteFrames);
    for (int i = 0; i < kMinuteFrames; ++i)
      v[static_cast<std::size_t>(i)] = std::sin(i * 0.031f) * std::exp(-(i % 22050) / 6000.0f);
    return v;
  }();
  return samples;
}

ParamSlot slot(int id, const char* key, float lo, float hi, float value) {
  ParamSlot s;
  s.id = id;
  s.info.id = key;
  s.info.min = lo;
  s.info.max = hi;
  s.value = value;
  return s;
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
  panel.sampleView.title = "SAMPLE";
  panel.sampleView.setSample(minuteOfSound().data(), kMinuteFrames / 30, 2.0f);
  panel.sampleView.chips = {{"LOOP", 1, 1, {}}, {"REV", 0, 2, {}}, {"NORM", 0, 3, {}}};
  panel.sampleView.hasMarkers = 1;
  static const float markers[] = {0.0f, 0.125f, 0.25f, 0.375f, 0.5f, 0.625f, 0.75f, 0.875f};
  panel.sampleView.markers = markers;
  panel.sampleView.markerCount = 8;
  panel.sampleView.mode = view;
  if (view == SampleView::kWindow)
    panel.sampleView.setSlots({slot(0, "start", 0, 1, 0.1f), slot(1, "end", 0, 1, 0.8f),
                               slot(2, "fadeIn", 0, 1, 0.1f), slot(3, "fadeOut", 0, 1, 0.3f),
                               slot(4, "gain", -24, 24, -3)});
  else if (view == SampleView::kSlices)
    panel.sampleView.setSlots({slot(0, "slice", 0, 63, 2)});
  else
    panel.sampleView.setSlots(
        {slot(0, "position", 0, 1, 0.4f), slot(1, "spray", 0, 1, 0.1f), slot(2, "gain", -24, 24, 0)});
  panel.mode = view == SampleView::kGrains ? SamplerLanes::kGrains : SamplerLanes::kTone;
  panel.speed.title = "SPEED";
  panel.speed.setSlots({slot(0, "tune", -24, 24, -3), slot(1, "spread", 0, 1, 0.3f)});
  panel.tone.title = "TONE";
  panel.tone.setSlots(
      {slot(0, "crush", 1, 16, 8), slot(1, "srr", 0, 1, 0.2f), slot(2, "lp", 200, 20000, 3000)});
  panel.tone.slots[2].logScale = 1;
  panel.grains.title = "GRAINS";
  panel.grains.setSlots({slot(0, "size", 5, 200, 60), slot(1, "density", 1, 100, 30)});
  panel.amp.title = "AMP";
  panel.amp.setSlots(
      {slot(0, "attack", 0, 0.5f, 0.02f), slot(1, "decay", 0.01f, 8, 1.2f), slot(2, "level", 0, 1, 0.9f)});
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
