// The node graphs' words for their axes and ends ("dark" and "bright", the
// width bar's "L" and "R", a frequency in Hz) read clear on every factory
// kit's tracks at scale 1 and 1.5, with and without a selected macro of
// eight destinations taking room: nothing drawn before them passes through
// their glyphs, and none needs a plate to hide what it would cover, but
// the top of the frequency axis, which stays in the picture's top strip
// and takes a plate where that strip is crossed from end to end. The
// graphs' help, once the pointer rests on a handle, covers neither that
// handle nor its value.
// Through the real root view, kits and bench rebuild, in the headless
// harness.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "editor_rig.h"
#include "support/editor/bench_state_gallery.h"
#include "support/editor/widgets/label_check.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/imgui_internals.h"

namespace orbi::test {
namespace bench_labels_test {

constexpr float kTopStrip = 1.5f;  // a word whose box starts this near the top is the axis's top

bool placedWord(const std::string& text) {
  return text == "dark" || text == "bright" || text == "L" || text == "R" ||
         text.find(" Hz") != std::string::npos;
}

bool inside(const ui::Rect& outer, const ui::Rect& box) {
  return box.x >= outer.x && box.y >= outer.y && box.x + box.width <= outer.x + outer.width &&
         box.y + box.height <= outer.y + outer.height;
}

// The help shows once the pointer has rested in a graph (a second and
// more), and stays while it moves from handle to handle.
void expectHelpClearOfEachHandleAndItsValue(EditorRig& rig, const void* graph, float s) {
  std::vector<ui::HandleRecord> handles;
  for (const ui::HandleRecord& h : rig.harness.drawLog().handles())
    if (h.owner == graph) handles.push_back(h);
  for (std::size_t i = 0; i < handles.size(); ++i) {
    SCOPED_TRACE("handle \"" + handles[i].name + "\"");
    const ImVec2 c = handles[i].centre;
    rig.harness.movePointer(c);
    rig.frames(i == 0 ? 100 : 2);
    ui::ContextScope scope(rig.harness.ui());
    const ImGuiWindow* tip = ImGui::FindWindowByName("##Tooltip_00");
    ASSERT_TRUE(tip && tip->Active) << "no help";
    const ui::Rect help{tip->Pos.x, tip->Pos.y, tip->Size.x, tip->Size.y};
    EXPECT_FALSE(help.overlaps({c.x - 4.0f * s, c.y - 4.0f * s, 8.0f * s, 8.0f * s})) << "over the handle";
    int values = 0;
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text)) {
      if (r->text.rfind(handles[i].name + "  ", 0) != 0) continue;
      ++values;
      EXPECT_FALSE(help.overlaps(ui::textInk(r->rect, r->text, r->style, r->alignment))) << r->text;
    }
    EXPECT_EQ(values, 1);
  }
  rig.harness.pointerAway();
  rig.frames(2);
}

class BenchLabels : public testing::TestWithParam<std::tuple<float, bool>> {};

TEST_P(BenchLabels, TheGraphsWordsFindPlacesWhereNothingIsDrawn) {
  const auto [scale, macro] = GetParam();
  if (kSanitizedBuild && scale != 1.0f) GTEST_SKIP() << "one scale under the sanitizers";
  EditorRig rig(scale);
  rig.frames(2);
  int words = 0;
  for (const BenchState& state : benchStates()) {
    if (state.machine != BenchMachine::kKit || state.macroSelected != macro) continue;
    SCOPED_TRACE(state.name());
    stageBenchState(rig.view(), state);
    rig.frames(1);
    rig.view().bench().flushPreviews();  // the waveforms the graphs show
    rig.frames(2);
    BenchPage& page = rig.view().benchPage();
    if (!page.showAnatomy) continue;
    const AnatomyView& anatomy = page.anatomy;
    const ui::Rect graphs[] = {anatomy.hitGraph.rect(), anatomy.bodyGraph.rect(),
                               anatomy.hasSecondHit ? anatomy.secondHitGraph.rect() : ui::Rect{}};
    ui::ContextScope scope(rig.harness.ui());
    const auto records = rig.harness.drawLog().records();
    for (std::size_t i = 0; i < records.size(); ++i) {
      const ui::DrawRecord& r = records[i];
      if (r.op != ui::DrawOp::Text || !placedWord(r.text)) continue;
      const ui::Rect* in = nullptr;
      for (const ui::Rect& g : graphs)
        if (g.width > 0.0f && inside(g, r.rect)) in = &g;
      if (in == nullptr) continue;
      ++words;
      const bool axisTop = r.text.find(" Hz") != std::string::npos && r.rect.y < in->y + kTopStrip * scale;
      const int under = markUnderText(records, i, scale, axisTop);
      EXPECT_EQ(under, -1) << "\"" << r.text << "\" over record " << under << " (op "
                           << static_cast<int>(under >= 0 ? records[under].op : ui::DrawOp::Text) << ")";
    }
    if (!macro && !(kSanitizedBuild && state.track != 0)) {
      for (const void* graph : {&anatomy.hitGraph, &anatomy.secondHitGraph, &anatomy.bodyGraph})
        expectHelpClearOfEachHandleAndItsValue(rig, graph, scale);
    }
    if (HasFailure()) return;  // one state's report is enough
  }
  EXPECT_GT(words, 40);
}

INSTANTIATE_TEST_SUITE_P(ScalesAndMacro, BenchLabels,
                         testing::Combine(testing::ValuesIn(kBenchScales), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<float, bool>>& info) {
                           return std::string(std::get<0>(info.param) == 1.0f ? "Scale1" : "Scale1_5") +
                                  (std::get<1>(info.param) ? "MacroSelected" : "NoMacro");
                         });

}  // namespace bench_labels_test
}  // namespace orbi::test
