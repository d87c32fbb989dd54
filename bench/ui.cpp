// The UI framework's costs: rebuilding the font atlas when the display
// scale changes, measuring and fitting labels, and drawing long curves.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/theme/theme_atlas.h"

namespace {

using namespace orbi::ui;

// Scale 1, 1.5 and 2 as tenths.
void BM_AtlasRebuild(benchmark::State& state) {
  const float scale = static_cast<float>(state.range(0)) / 10.0f;
  ThemeAtlas theme;
  ImFontAtlas atlas;
  for (auto _ : state) {
    theme.build(atlas, scale);
    benchmark::DoNotOptimize(atlas.TexPixelsRGBA32);
  }
  state.counters["texture_kpx"] = atlas.TexWidth * atlas.TexHeight / 1000.0;
}
BENCHMARK(BM_AtlasRebuild)->Arg(10)->Arg(15)->Arg(20)->Unit(benchmark::kMillisecond);

std::vector<std::string> labels() {
  static const char* words[] = {"Cutoff", "Resonance", "Drive", "Attack", "Decay", "Room size", "Pitch",
                                "Body tune", "Grain spread", "Sample start", "Velocity \xE2\x86\x92 gain", "Mix"};
  std::vector<std::string> out;
  for (int i = 0; i < 1000; ++i) out.push_back(std::string(words[i % 12]) + " " + std::to_string(i));
  return out;
}

// Runs op(label, style) over the 1,000 labels, with the harness context
// current. Body is measured once a label, Heading (tracked) once a
// character.
template <typename Op>
void overLabels(benchmark::State& state, Op op) {
  const TextStyle style = static_cast<TextStyle>(state.range(0));
  UiHarness harness;
  harness.frame();
  ContextScope scope(harness.ui());
  const auto texts = labels();
  for (auto _ : state)
    for (const std::string& t : texts) benchmark::DoNotOptimize(op(t, style));
  state.SetItemsProcessed(state.iterations() * static_cast<long>(texts.size()));
}

void BM_MeasureText(benchmark::State& state) {
  overLabels(state, [](const std::string& t, TextStyle style) { return measureText(t, style); });
}
BENCHMARK(BM_MeasureText)->Arg(static_cast<int>(TextStyle::Body))->Arg(static_cast<int>(TextStyle::Heading));

void BM_FitTextToWidth(benchmark::State& state) {
  overLabels(state, [](const std::string& t, TextStyle style) { return fitTextToWidth(t, style, 60.0f); });
}
BENCHMARK(BM_FitTextToWidth)->Arg(static_cast<int>(TextStyle::Body))->Arg(static_cast<int>(TextStyle::Heading));

// A draw list of its own on the harness context's shared data, cleared
// before each drawing as a frame would.
class CurveBench {
 public:
  CurveBench() : scope_(harness_.ui()), list_(ImGui::GetDrawListSharedData()) {
    harness_.frame();
    for (int i = 0; i < 100000; ++i) {
      const float x = i * 0.0096f;
      upper_.emplace_back(x, 300.0f + 100.0f * std::sin(i * 0.001f));
      lower_.emplace_back(x, 500.0f + 50.0f * std::cos(i * 0.0013f));
    }
  }
  ImDrawList* fresh() {
    list_._ResetForNewFrame();
    list_.Flags = ImDrawListFlags_AntiAliasedLines | ImDrawListFlags_AntiAliasedLinesUseTex |
                  ImDrawListFlags_AntiAliasedFill | ImDrawListFlags_AllowVtxOffset;
    list_.PushClipRectFullScreen();
    list_.PushTextureID(ImGui::GetIO().Fonts->TexID);
    return &list_;
  }
  const std::vector<ImVec2>& upper() const { return upper_; }
  const std::vector<ImVec2>& lower() const { return lower_; }

 private:
  UiHarness harness_;
  ContextScope scope_;
  ImDrawList list_;
  std::vector<ImVec2> upper_, lower_;
};

void BM_Polyline100k(benchmark::State& state) {
  CurveBench bench;
  for (auto _ : state) {
    ImDrawList* dl = bench.fresh();
    drawPolyline(dl, bench.upper(), 0xFF8DC63F, 1.5f);
    benchmark::DoNotOptimize(dl->VtxBuffer.Data);
  }
}
BENCHMARK(BM_Polyline100k)->Unit(benchmark::kMillisecond);

void BM_Band100k(benchmark::State& state) {
  CurveBench bench;
  for (auto _ : state) {
    ImDrawList* dl = bench.fresh();
    fillBetween(dl, bench.upper(), bench.lower(), 0x408DC63F);
    benchmark::DoNotOptimize(dl->VtxBuffer.Data);
  }
}
BENCHMARK(BM_Band100k)->Unit(benchmark::kMillisecond);

}  // namespace
