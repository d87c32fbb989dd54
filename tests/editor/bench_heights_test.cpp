// The bench's height shared in the editor's fixed window: at scale 1 and
// 1.5, for every factory kit with each track selected and every machine
// kind as the last of 1 to 8 tracks, with and without a selected macro of
// eight destinations, the views keep the room their handles need: every
// node graph 64 tall and the sample view 72, every sampler lane 14 of
// content with its texts inside its own row, the macro's rows 16 each, and
// no band the page draws cut to nothing. On every factory kit a selected
// macro shows three rows at least, the hit cells keep the room their
// waveforms need and every row of the drawer shows, with or without a
// selected macro. Where a list shows fewer rows than it has, it says so, and the
// wheel over it brings its last row. Through the real root view, kits and
// bench rebuild, in the headless harness.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "editor_rig.h"
#include "support/editor/bench_state_gallery.h"
#include "ui/draw/draw_log.h"

namespace orbi::test {
namespace bench_heights_test {

constexpr float kLeastGraph = 64.0f;
constexpr float kLeastSample = 72.0f;
constexpr float kLeastLaneContent = 14.0f;
constexpr float kLeastMacroRow = 16.0f;
constexpr float kDrawerRow = 16.0f;
constexpr int kLeastMacroRowsShown = 3;
constexpr float kLeastHitCell = 29.0f;  // a waveform, not a line
constexpr float kHandlesApart = 6.0f;   // centres of two handles of one view
constexpr float kSlack = 0.01f;

float bottomOf(const ui::Rect& r) { return r.y + r.height; }

bool holds(const ui::Rect& outer, const ui::Rect& inner) {
  return inner.x >= outer.x - kSlack && inner.y >= outer.y - kSlack &&
         inner.x + inner.width <= outer.x + outer.width + kSlack &&
         bottomOf(inner) <= bottomOf(outer) + kSlack;
}

// Every text whose box is centred in the band lies whole inside it.
void expectTextsInside(const ui::DrawLog& log, const ui::Rect& band, const char* name) {
  for (const ui::DrawRecord* text : log.find(ui::DrawOp::Text)) {
    const float cy = text->rect.y + text->rect.height / 2.0f;
    const float cx = text->rect.x + text->rect.width / 2.0f;
    if (cy < band.y || cy > bottomOf(band) || cx < band.x || cx > band.x + band.width) continue;
    EXPECT_TRUE(holds(band, text->rect)) << "\"" << text->text << "\" crosses the edge of " << name;
    EXPECT_GT(text->rect.height, 0.0f) << "\"" << text->text << "\" in " << name;
  }
}

// The text is drawn, whole inside the band.
void expectTextIn(const ui::DrawLog& log, const std::string& wanted, const ui::Rect& band) {
  int found = 0;
  for (const ui::DrawRecord* text : log.find(ui::DrawOp::Text))
    if (text->text == wanted && holds(band, text->rect) && text->rect.height > 0.0f) ++found;
  EXPECT_GT(found, 0) << "no \"" << wanted << "\" inside its band";
}

class BenchHeights : public testing::TestWithParam<std::tuple<float, bool>> {
 protected:
  float scale() const { return std::get<0>(GetParam()); }
  bool macroSelected() const { return std::get<1>(GetParam()); }

  void expectGraphs(BenchPage& page) {
    const float least = kLeastGraph * scale() - kSlack;
    EXPECT_GE(page.anatomy.hitGraph.rect().height, least);
    EXPECT_GE(page.anatomy.bodyGraph.rect().height, least);
    if (page.anatomy.hasSecondHit) {
      EXPECT_GE(page.anatomy.secondHitGraph.rect().height, least);
    }
    EXPECT_TRUE(holds(page.rects.mainArea, page.anatomy.rect));
  }

  void expectLanes(BenchPage& page, const ui::DrawLog& log) {
    const float s = scale();
    SamplerLanes& lanes = page.sampler;
    EXPECT_GE(lanes.sampleView.rect.height, kLeastSample * s - kSlack);
    std::vector<std::pair<SamplerLane*, const char*>> shown = {{&lanes.speed, "SPEED"}, {&lanes.amp, "AMP"}};
    if (lanes.mode == SamplerLanes::kTone) shown.emplace_back(&lanes.tone, "TONE");
    if (lanes.mode == SamplerLanes::kGrains) shown.emplace_back(&lanes.grains, "GRAINS");
    for (const auto& [lane, name] : shown) {
      SCOPED_TRACE(name);
      EXPECT_TRUE(holds(lanes.lastRect, lane->rect));
      EXPECT_GE(lane->contentRect().height, kLeastLaneContent * s - kSlack);
      expectTextsInside(log, lane->rect, name);
    }
    expectTextsInside(log, lanes.sampleView.rect, "the sample view");
    // The length readout is drawn in the lane's content.
    const std::string readout =
        lanes.speed.lengthLabel(lanes.speed.slots.empty() ? 0.0f : lanes.speed.slots[0].value);
    bool found = false;
    for (const ui::DrawRecord* text : log.find(ui::DrawOp::Text))
      if (text->text == readout && holds(lanes.speed.contentRect(), text->rect)) found = true;
    EXPECT_TRUE(found) << "no readout " << readout << " in the SPEED lane";
  }

  // The handles drawn whose names start so, in drawing order.
  static std::vector<const ui::HandleRecord*> handlesNamed(const ui::DrawLog& log, std::string_view prefix) {
    std::vector<const ui::HandleRecord*> out;
    for (const ui::HandleRecord& h : log.handles())
      if (h.name.rfind(prefix, 0) == 0) out.push_back(&h);
    return out;
  }

  // Whether some text drawn inside the band holds the words.
  static bool drewTextWith(const ui::DrawLog& log, const ui::Rect& band, std::string_view words) {
    for (const ui::DrawRecord* text : log.find(ui::DrawOp::Text))
      if (text->text.find(words) != std::string::npos && holds(band, text->rect)) return true;
    return false;
  }

  // The wheel over the point, one notch a row: the rows below come up in
  // the same frame.
  void wheelAt(EditorRig& rig, ImVec2 at, float notches) {
    rig.harness.movePointer(at);
    rig.harness.scrollWheel(notches);
    rig.frames(1);
    rig.harness.pointerAway();
  }

  void expectMacroRows(EditorRig& rig, bool factoryKit) {
    EditorView& view = rig.view();
    const float s = scale();
    const ob::Macro& macro = view.project().patterns[0].kit.macros[0];
    const ui::DrawLog& log = rig.harness.drawLog();
    const ui::Rect& cell = view.macroPanel().cellRects[0];
    const ui::Rect band{cell.x, bottomOf(cell), view.benchPage().rects.page.width,
                        view.benchPage().rects.page.y - bottomOf(cell)};
    std::vector<ui::Rect> rows;
    for (const ui::ItemRecord& item : log.items())
      if (item.idText == "target") rows.push_back(item.hitArea);
    ASSERT_FALSE(rows.empty());
    for (const ui::Rect& row : rows) {
      EXPECT_GE(row.height, kLeastMacroRow * s);
      EXPECT_GE(row.y, band.y - kSlack);
      EXPECT_LE(bottomOf(row), bottomOf(band) + kSlack);
    }
    const int count = macro.destCount;
    if (factoryKit) {
      EXPECT_GE(static_cast<int>(rows.size()), std::min(count, kLeastMacroRowsShown));
    }
    if (static_cast<int>(rows.size()) == count) return;
    // Fewer show than there are: the list says how many, and the wheel
    // brings the last.
    EXPECT_TRUE(drewTextWith(log, band, " of " + std::to_string(count) + " \u00B7 scroll"))
        << "no readout of the rows that show";
    const ImVec2 over(rows.front().x + rows.front().width / 2.0f,
                      rows.front().y + rows.front().height / 2.0f);
    wheelAt(rig, over, -static_cast<float>(count));
    const std::string last = "target " + std::to_string(count);
    EXPECT_NE(rig.harness.drawLog().findHandle(&view.macroPanel(), last), nullptr)
        << "the wheel does not bring the last row";
    wheelAt(rig, over, static_cast<float>(count));
  }

  void expectDrawerRows(EditorRig& rig, bool everyRow) {
    BenchPage& page = rig.view().benchPage();
    if (!page.showDrawer || page.drawer.rows.empty()) return;
    const ui::Rect& band = page.rects.drawer;
    const int count = static_cast<int>(std::min<std::size_t>(page.drawer.rows.size(), 16));
    int shown = 0;
    for (int i = 0; i < count; ++i)
      if (holds(band, page.drawer.faders[static_cast<std::size_t>(i)].rect) &&
          rig.harness.drawLog().findHandle(&page.drawer.faders[static_cast<std::size_t>(i)],
                                           page.drawer.faders[static_cast<std::size_t>(i)].label))
        ++shown;
    if (everyRow) {
      EXPECT_EQ(shown, count) << "the drawer hides rows";
    }
    if (shown == count) return;
    EXPECT_TRUE(drewTextWith(rig.harness.drawLog(), band, " of " + std::to_string(count) + " \u00B7 scroll"))
        << "the drawer does not say that more rows follow";
    const ImVec2 over(band.x + band.width / 2.0f, band.y + band.height / 2.0f);
    wheelAt(rig, over, -static_cast<float>(count));
    const SlotFader& last = page.drawer.faders[static_cast<std::size_t>(count - 1)];
    EXPECT_NE(rig.harness.drawLog().findHandle(&last, last.label), nullptr)
        << "the wheel does not bring the drawer's last row";
    wheelAt(rig, over, static_cast<float>(count));
  }

  void expectHitCells(const BenchPage& page, const ui::DrawLog& log) {
    for (const ui::ItemRecord& item : log.items())
      if (item.idText == "cell" && holds(page.rects.hitsGrid, item.hitArea)) {
        EXPECT_GE(item.hitArea.height, kLeastHitCell * scale() - kSlack)
            << "the hit cells lose their waveforms";
        return;
      }
  }

  // No handle lies on another of its view: each shows, and a press on it
  // takes it rather than its neighbour.
  void expectHandlesApart(const ui::DrawLog& log) {
    const auto handles = log.handles();
    for (std::size_t i = 0; i < handles.size(); ++i)
      for (std::size_t j = 0; j < i; ++j) {
        const ui::HandleRecord& a = handles[i];
        const ui::HandleRecord& b = handles[j];
        if (a.owner != b.owner) continue;
        EXPECT_GE(std::hypot(a.centre.x - b.centre.x, a.centre.y - b.centre.y),
                  kHandlesApart * scale() - kSlack)
            << "\"" << a.name << "\" lies on \"" << b.name << "\"";
      }
  }

  void expectBands(EditorView& view, const ui::DrawLog& log) {
    const float s = scale();
    BenchPage& page = view.benchPage();
    const BenchPage::Rects& r = page.rects;
    // The page stays in the window.
    EXPECT_LE(bottomOf(r.groovePanel), ui::UiHarness::kDisplayHeight * s + kSlack);
    EXPECT_GE(r.hitsPanel.y, bottomOf(view.macroPanel().cellRects[0]));
    // Each band the page draws has room for what it draws.
    int cells = 0;
    for (const ui::ItemRecord& item : log.items())
      if (item.idText == "cell" && holds(r.hitsGrid, item.hitArea) && item.hitArea.height > 0.0f) ++cells;
    EXPECT_EQ(cells, page.grid.count);
    EXPECT_GE(r.trackRows.height, static_cast<float>(page.rows.size()) * kDrawerRow * s - kSlack);
    if (page.showDrawer && !page.drawer.rows.empty()) {
      EXPECT_GE(page.drawer.faders[0].rect.height, kDrawerRow * s - kSlack);
    }
    EXPECT_GT(page.velocity.graphRect().height, 0.0f);
    expectTextIn(log, "VELOCITY", r.velocity);
    expectTextIn(log, "soft ....... hard", r.velocity);
    for (int stage = 0; stage < ob::chainstage::kStageCount; ++stage)
      if (page.chain.stageActive[stage] != 0)
        expectTextIn(log, ob::chainstage::stageName(static_cast<ob::chainstage::Stage>(stage)), r.chainStrip);
    if (macroSelected()) return;
    const ui::DrawRecord* hint = nullptr;
    for (const ui::DrawRecord* text : log.find(ui::DrawOp::Text))
      if (text->text == "click a macro to see its destinations") hint = text;
    ASSERT_NE(hint, nullptr);
    EXPECT_GT(hint->rect.height, 0.0f);
    EXPECT_LE(bottomOf(hint->rect), view.macroPanel().cellRects[0].y);
  }
};

TEST_P(BenchHeights, EveryViewKeepsTheRoomItsHandlesNeed) {
  EditorRig rig(scale());
  rig.frames(2);
  for (const BenchState& state : benchStates()) {
    if (state.macroSelected != macroSelected()) continue;
    SCOPED_TRACE(state.name());
    stageBenchState(rig.view(), state);
    rig.frames(2);
    const ui::DrawLog& log = rig.harness.drawLog();
    BenchPage& page = rig.view().benchPage();
    if (page.showAnatomy) expectGraphs(page);
    if (page.showSampler) expectLanes(page, log);
    expectBands(rig.view(), log);
    expectHandlesApart(log);
    const bool kit = state.machine == BenchMachine::kKit;
    if (kit) expectHitCells(page, log);
    if (state.macroSelected) expectMacroRows(rig, kit);
    expectDrawerRows(rig, kit);
    if (HasFailure()) return;  // one state's report is enough
  }
}

INSTANTIATE_TEST_SUITE_P(ScalesAndMacro, BenchHeights,
                         testing::Combine(testing::ValuesIn(kBenchScales), testing::Bool()),
                         [](const testing::TestParamInfo<std::tuple<float, bool>>& info) {
                           return std::string(std::get<0>(info.param) == 1.0f ? "Scale1" : "Scale1_5") +
                                  (std::get<1>(info.param) ? "MacroSelected" : "NoMacro");
                         });

}  // namespace bench_heights_test
}  // namespace orbi::test
