// One node graph's frame, input and painting, for each half type at two
// sizes, and the three graphs of a drum in one frame. Each figure includes
// the headless frame around it; BM_EmptyFrame is that frame alone.

#include <benchmark/benchmark.h>

#include <vector>

#include "editor/widgets/graph/node_graph.h"
#include "support/editor/widgets/graph_gallery.h"
#include "support/editor/widgets/half_set_gallery.h"
#include "support/ui/ui_harness.h"

namespace {

using namespace orbi;
using namespace orbi::graph;

NodeGraph::Model modelOf(const testing::HalfSet& set) {
  NodeGraph::Model m;
  m.body = set.body;
  m.mode = set.mode;
  m.shape = testing::shapeOf(set);
  m.nodes = set.nodes;
  for (Node& n : m.nodes) {
    n.lfo = 0;
    n.hasLfo = 1;
    n.lfoAmount = 0.3f;
    if (n.nodeKind() == NodeKind::kDetune) n.value = 0.05f;  // two bank waves
  }
  return m;
}

// Arguments: index into the half sets, width.
void BM_GraphFrame(benchmark::State& state) {
  const std::vector<testing::HalfSet> sets = testing::halfSets();
  const testing::HalfSet& set = sets[static_cast<std::size_t>(state.range(0))];
  const float width = static_cast<float>(state.range(1));
  ui::UiHarness harness;
  NodeGraph graph;
  graph.setModel(modelOf(set));
  const std::vector<float> preview = testing::previewOfBody(22050);
  graph.setWaveform(preview.data(), static_cast<int>(preview.size()), 0.5f);
  const ui::Rect area{20.0f, 20.0f, width, width * 2.0f / 3.0f};
  harness.movePointer(ImVec2(area.x + width * 0.5f, area.y + width * 0.3f));
  const auto body = [&] { graph.draw(area); };
  harness.frames(3, body);
  for (auto _ : state) benchmark::DoNotOptimize(&harness.frame(body));
  state.SetLabel(std::string(set.body ? "body " : "hit ") + std::to_string(set.mode));
}
BENCHMARK(BM_GraphFrame)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 13, 1), {300, 600}})
    ->Unit(benchmark::kMicrosecond);

// The anatomy view's worst drum: a band-pass hit, a clap and a wavetable
// body with detune, at 600 x 400 each.
void BM_DrumOfThreeGraphs(benchmark::State& state) {
  const std::vector<testing::HalfSet> sets = testing::halfSets();
  ui::UiHarness harness;
  NodeGraph graphs[3];
  graphs[0].setModel(modelOf(sets[2]));
  graphs[1].setModel(modelOf(sets[4]));
  graphs[2].setModel(modelOf(sets[13]));
  const auto body = [&] {
    for (int i = 0; i < 3; ++i) graphs[i].draw({20.0f, 20.0f + 300.0f * i, 600.0f, 400.0f});
  };
  harness.frames(3, body);
  for (auto _ : state) benchmark::DoNotOptimize(&harness.frame(body));
}
BENCHMARK(BM_DrumOfThreeGraphs)->Unit(benchmark::kMicrosecond);

void BM_EmptyFrame(benchmark::State& state) {
  ui::UiHarness harness;
  harness.frames(3);
  for (auto _ : state) benchmark::DoNotOptimize(&harness.frame());
}
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
