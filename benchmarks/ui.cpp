// The UI framework's costs: rebuilding the font atlas when the display
// scale changes, measuring and fitting labels, writing and reading value
// text, drawing long curves, sample overviews and waveforms, frames full
// of interactive items or holding a long list, and the editor's header.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "support/ui/test_png.h"
#include "support/ui/ui_harness.h"
#include "ui/controls/value_text.h"
#include "ui/controls/virtual_list.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/draw/wave_overview.h"
#include "ui/draw/waveform.h"
#include "ui/header/header.h"
#include "ui/interact/interaction.h"
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
  static const char* words[] = {"Cutoff",
                                "Resonance",
                                "Drive",
                                "Attack",
                                "Decay",
                                "Room size",
                                "Pitch",
                                "Body tune",
                                "Grain spread",
                                "Sample start",
                                "Velocity \xE2\x86\x92 gain",
                                "Mix"};
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
BENCHMARK(BM_FitTextToWidth)
    ->Arg(static_cast<int>(TextStyle::Body))
    ->Arg(static_cast<int>(TextStyle::Heading));

// Value text: 100,000 values spread over the units a page shows, each
// formatted with its unit, and their texts typed back.
struct UnitRange {
  ParamUnit unit;
  float lo, hi;
};
constexpr UnitRange kValueUnits[] = {
    {ParamUnit::Plain, -1000, 1000}, {ParamUnit::Hertz, 20, 20000},  {ParamUnit::Seconds, 0.001f, 10},
    {ParamUnit::Percent, 0, 1},      {ParamUnit::Decibels, -60, 12}, {ParamUnit::Cents, -1200, 1200},
    {ParamUnit::Semitones, -24, 24}, {ParamUnit::Custom, 0, 100},
};

struct ValueSet {
  std::vector<ParamSpec> specs;  // one per unit
  std::vector<float> values;     // value i belongs to specs[i % specs.size()]
  std::vector<std::string> texts;
};

const ValueSet& valueSet() {
  static const ValueSet set = [] {
    ValueSet s;
    for (const UnitRange& u : kValueUnits) {
      ParamSpec desc;
      desc.unit = u.unit;
      desc.min = u.lo;
      desc.max = u.hi;
      if (u.unit == ParamUnit::Custom) desc.unitLabel = "bars";
      s.specs.push_back(desc);
    }
    std::mt19937 rng(108);
    std::uniform_real_distribution<float> t(0.0f, 1.0f);
    for (int i = 0; i < 100000; ++i) {
      const ParamSpec& desc = s.specs[i % s.specs.size()];
      s.values.push_back(desc.min + (desc.max - desc.min) * t(rng));
      s.texts.push_back(formatParamValue(desc, s.values.back()));
    }
    return s;
  }();
  return set;
}

void BM_FormatValues100k(benchmark::State& state) {
  const ValueSet& set = valueSet();
  for (auto _ : state)
    for (std::size_t i = 0; i < set.values.size(); ++i)
      benchmark::DoNotOptimize(formatParamValue(set.specs[i % set.specs.size()], set.values[i]));
  state.SetItemsProcessed(state.iterations() * static_cast<long>(set.values.size()));
}
BENCHMARK(BM_FormatValues100k)->Unit(benchmark::kMillisecond);

void BM_ParseValues100k(benchmark::State& state) {
  const ValueSet& set = valueSet();
  for (auto _ : state)
    for (std::size_t i = 0; i < set.texts.size(); ++i)
      benchmark::DoNotOptimize(parseParamText(set.specs[i % set.specs.size()], set.texts[i]));
  state.SetItemsProcessed(state.iterations() * static_cast<long>(set.texts.size()));
}
BENCHMARK(BM_ParseValues100k)->Unit(benchmark::kMillisecond);

// A draw list of its own on the harness context's shared data, cleared
// before each drawing as a frame would. No draw log: the product has none.
class ScratchList {
 public:
  ScratchList() : scope_(harness_.ui()), list_(ImGui::GetDrawListSharedData()) {
    harness_.frame();
    harness_.ui().setDrawLog(nullptr);
  }
  ImDrawList* fresh() {
    list_._ResetForNewFrame();
    list_.Flags = ImDrawListFlags_AntiAliasedLines | ImDrawListFlags_AntiAliasedLinesUseTex |
                  ImDrawListFlags_AntiAliasedFill | ImDrawListFlags_AllowVtxOffset;
    list_.PushClipRectFullScreen();
    list_.PushTextureID(ImGui::GetIO().Fonts->TexID);
    return &list_;
  }

 private:
  UiHarness harness_;
  ContextScope scope_;
  ImDrawList list_;
};

class CurveBench : public ScratchList {
 public:
  CurveBench() {
    for (int i = 0; i < 100000; ++i) {
      const float x = i * 0.0096f;
      upper_.emplace_back(x, 300.0f + 100.0f * std::sin(i * 0.001f));
      lower_.emplace_back(x, 500.0f + 50.0f * std::cos(i * 0.0013f));
    }
  }
  const std::vector<ImVec2>& upper() const { return upper_; }
  const std::vector<ImVec2>& lower() const { return lower_; }

 private:
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

// A minute of sound at 48 kHz: a decaying tone with a little noise.
constexpr std::size_t kMinuteSamples = 2880000;
const std::vector<float>& minuteOfSound() {
  static const std::vector<float> samples = [] {
    std::vector<float> out(kMinuteSamples);
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> noise(-0.05f, 0.05f);
    for (std::size_t i = 0; i < out.size(); ++i)
      out[i] = 0.8f * std::exp(-static_cast<float>(i) / 1.0e6f) * std::sin(i * 0.0571f) + noise(rng);
    return out;
  }();
  return samples;
}

void BM_WaveOverviewBuild(benchmark::State& state) {
  const auto& samples = minuteOfSound();
  for (auto _ : state) {
    const WaveOverview overview(samples, 48000.0);
    benchmark::DoNotOptimize(overview.levels().data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(samples.size()));
}
BENCHMARK(BM_WaveOverviewBuild)->Unit(benchmark::kMillisecond);

// 10,000 ranges of random ends over the minute, as a view's columns ask.
void BM_WaveOverviewRanges(benchmark::State& state) {
  const WaveOverview overview(minuteOfSound(), 48000.0);
  std::mt19937_64 rng(5);
  std::uniform_int_distribution<std::uint64_t> at(0, kMinuteSamples);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges(10000);
  for (auto& r : ranges) r = std::minmax(at(rng), at(rng));
  for (auto _ : state) {
    float sum = 0.0f;
    for (const auto& [from, to] : ranges) sum += overview.range(from, to).max;
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(ranges.size()));
}
BENCHMARK(BM_WaveOverviewRanges)->Unit(benchmark::kMicrosecond);

// The minute across 960 columns: what a sample view costs each frame.
void BM_DrawWaveform960(benchmark::State& state) {
  ScratchList scratch;
  const WaveOverview overview(minuteOfSound(), 48000.0);
  const Rect rect{0, 100, 960, 200};
  const Axis axis{AxisKind::Linear, 0.0f, 60.0f, 0.0f, 960.0f};
  WaveformStyle style;
  style.mode = static_cast<WaveformMode>(state.range(0));
  for (auto _ : state) {
    ImDrawList* dl = scratch.fresh();
    drawWaveform(dl, rect, axis, overview, style);
    benchmark::DoNotOptimize(dl->VtxBuffer.Data);
  }
}
BENCHMARK(BM_DrawWaveform960)
    ->Arg(static_cast<int>(WaveformMode::Bars))
    ->Arg(static_cast<int>(WaveformMode::Outline))
    ->Unit(benchmark::kMicrosecond);

// A whole harness frame with that many items, each over its own cell of a
// grid; 0 gives the frame's own cost.
void BM_InteractFrame(benchmark::State& state) {
  const int items = static_cast<int>(state.range(0));
  UiHarness harness;
  harness.ui().setDrawLog(nullptr);
  harness.movePointer({333, 333});
  std::vector<InteractSpec> specs(static_cast<std::size_t>(items));
  std::vector<std::string> ids;
  for (int i = 0; i < items; ++i) {
    specs[i].kind = HitKind::Rectangle;
    specs[i].rect = {static_cast<float>(i % 25) * 36.0f, static_cast<float>(i / 25) * 36.0f, 32.0f, 32.0f};
    specs[i].tooltip = "A tooltip";
    ids.push_back("item" + std::to_string(i));
  }
  auto body = [&] {
    for (int i = 0; i < items; ++i) benchmark::DoNotOptimize(interact(ids[i].c_str(), specs[i]));
  };
  for (auto _ : state) harness.frame(body);
  state.SetItemsProcessed(state.iterations() * items);
}
BENCHMARK(BM_InteractFrame)->Arg(0)->Arg(500)->Unit(benchmark::kMicrosecond);

// A frame holding a list of 10,000 named rows in a 300 x 600 panel,
// scrolled far into it, the pointer over a row: only the rows in view
// run their interaction and painter.
void BM_VirtualListFrame(benchmark::State& state) {
  constexpr std::int32_t kRows = 10000;
  UiHarness harness;
  harness.ui().setDrawLog(nullptr);
  std::vector<std::string> names;
  for (int i = 0; i < kRows; ++i) names.push_back("Sample " + std::to_string(i) + " kick");
  std::int32_t selected = 42;
  const Rect rect{20, 20, 300, 600};
  auto body = [&] {
    virtualList("samples", rect, kRows, selected, 22.0f, [&](ImDrawList* dl, const ListRow& row) {
      drawText(dl, {row.rect.x + 8, row.rect.y, row.rect.width - 16, row.rect.height}, names[row.index],
               TextStyle::Body, row.selected ? 0xFFF0EED8 : 0xFF8A8870);
    });
  };
  harness.movePointer({100, 300});
  harness.frame(body);
  harness.scrollWheel(-1000.0f);
  harness.frames(2, body);
  for (auto _ : state) harness.frame(body);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VirtualListFrame)->Unit(benchmark::kMicrosecond);

// A tempo the header's field shows and edits.
class BenchTempo final : public Param {
 public:
  BenchTempo() {
    spec_.name = "BPM";
    spec_.min = 40.0f;
    spec_.max = 240.0f;
    spec_.stepped = true;
  }
  const ParamSpec& spec() const override { return spec_; }
  float value() const override { return value_; }
  void setValue(float v) override { value_ = v; }
  void beginEdit() override {}
  void endEdit() override {}
  std::string format(float v) const override { return formatParamValue(spec_, v); }
  std::optional<float> parse(std::string_view text) const override { return parseParamText(spec_, text); }

 private:
  ParamSpec spec_;
  float value_ = 120.0f;
};

// A whole header frame as the editor draws it: the menu closed, a kit with
// unsaved changes, undo and redo, a status line, two pages on the rail and
// the transport with its tempo and position, the pointer resting on play.
void BM_HeaderFrame(benchmark::State& state) {
  UiHarness harness;
  harness.ui().setDrawLog(nullptr);
  static constexpr std::string_view kPages[] = {"BENCH", "SAMPLES"};
  BenchTempo tempo;
  HeaderModel model;
  static const std::vector<std::uint8_t> logo = orbi::ui::test::encodeTestPng(48, 48);
  model.about = {"Orbitrane", "0.0.6", "https://tarnex.example/orbitrane/manual", logo};
  HeaderDocument kit;
  kit.kind = DocumentKind::Delegated;
  kit.label = "Kit";
  kit.name = "Dusty Tape Kit";
  kit.modified = kit.canStep = kit.canSave = kit.confirmDiscard = true;
  model.document = kit;
  model.showUndoRedo = model.canUndo = true;
  model.status.primary = {"Loaded Dusty Tape Kit", "", StatusTone::Plain};
  model.pages = kPages;
  model.transport = HeaderTransport{{true, false, false, 37.5, 4, 4}, &tempo, {}};
  model.transport->options.showPosition = true;
  model.keyboard = true;
  FrameInfo frame;
  HeaderResult result;
  const Rect rect{20, 20, 920, 0};
  auto body = [&] {
    drawHeader(result, frame, {rect.x, rect.y, rect.width, headerHeight(model)}, model);
    benchmark::DoNotOptimize(result);
  };
  harness.frames(3, body);  // the logo is packed into the atlas
  harness.movePointer({860, 82});
  harness.frames(2, body);
  for (auto _ : state) harness.frame(body);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HeaderFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
