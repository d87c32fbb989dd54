// The sixteen-hits grid: clicks that create, select and remove hits, the
// drags that set micro-timing and retrigs, the loop tab, the rate chips,
// and what the cells paint.
#include "editor/widgets/bench/hits_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "tests/editor/widgets/chain_rig.h"
#include "ui/draw/draw_log.h"
#include "ui/keys.h"

namespace orbi {
namespace hits_grid_test {

// What the grid sent, by callback.
struct GridCalls {
  std::vector<int> selects, toggles, loops;
  std::vector<std::pair<int, float>> micros;
  std::vector<std::pair<int, int>> counts, ramps;
  std::vector<std::pair<int, bool>> rates;
  std::size_t total() const {
    return selects.size() + toggles.size() + loops.size() + micros.size() + counts.size() + ramps.size() +
           rates.size();
  }
};

class GridRig : public test::PointerRig {
 public:
  // Cells 50 wide (at scale 1) with 3 between, 80 high over the numbers.
  explicit GridRig(float s = 1.0f, float cellWidth = 50.0f) : PointerRig(s) {
    area = {20.0f * s, 40.0f * s, (16.0f * cellWidth + 15.0f * 3.0f) * s, 95.0f * s};
    grid.onSelect = [this](int i) {
      calls.selects.push_back(i);
      if (owning) grid.selectedStep = i;
    };
    grid.onToggle = [this](int i) {
      calls.toggles.push_back(i);
      if (owning) grid.cells[static_cast<std::size_t>(i)].sounds ^= 1;
    };
    grid.onMicro = [this](int i, float v) { calls.micros.emplace_back(i, v); };
    grid.onLoopLength = [this](int n) { calls.loops.push_back(n); };
    grid.onRetrigCount = [this](int i, int n) { calls.counts.emplace_back(i, n); };
    grid.onRetrigRamp = [this](int i, int r) { calls.ramps.emplace_back(i, r); };
    grid.onRetrigRate = [this](int i, bool up) { calls.rates.emplace_back(i, up); };
    body = [this] { grid.draw(area); };
    step();
  }
  ui::Rect cellArea(int i) const {
    std::vector<ui::Rect> cells = itemAreas("cell");
    return cells.at(static_cast<std::size_t>(i));
  }
  ImVec2 cellCentre(int i) const { return test::centreOf(cellArea(i)); }
  // Press at the point, move through the offsets (from the press), release.
  void dragBy(ImVec2 from, const std::vector<ImVec2>& offsets) {
    steps(30);
    pressAt(from);
    for (const ImVec2& d : offsets) moveTo(ImVec2(from.x + d.x, from.y + d.y));
    releaseButton();
  }
  void clickCell(int i) {
    steps(30);
    clickAt(cellCentre(i));
  }

  HitsGrid grid;
  GridCalls calls;
  bool owning = true;  // the callbacks change the grid as the controller would
  ui::Rect area;
};

TEST(HitsGrid, AClickOnAnEmptyCellCreatesAndSelectsTheHitAndASecondDeselectsIt) {
  GridRig rig;
  rig.clickCell(3);
  EXPECT_EQ(rig.calls.toggles, std::vector<int>{3});
  EXPECT_EQ(rig.calls.selects, std::vector<int>{3});
  rig.clickCell(3);
  EXPECT_EQ(rig.calls.toggles, std::vector<int>{3});
  EXPECT_EQ(rig.calls.selects, (std::vector<int>{3, -1}));
  // Clicked once more it is selected again, not removed.
  rig.clickCell(3);
  EXPECT_EQ(rig.calls.selects.back(), 3);
  EXPECT_EQ(rig.calls.toggles.size(), 1u);
}

TEST(HitsGrid, ARightClickRemovesAHitAndDoesNothingOnAnEmptyCell) {
  GridRig rig;
  rig.rightClickAt(rig.cellCentre(5));
  EXPECT_EQ(rig.calls.total(), 0u);
  rig.grid.cells[5].silent = 1;
  rig.rightClickAt(rig.cellCentre(5));
  EXPECT_EQ(rig.calls.toggles, std::vector<int>{5});
  EXPECT_TRUE(rig.calls.selects.empty());
}

TEST(HitsGrid, APressBesideTheCellsReturnsToTheBase) {
  GridRig rig;
  rig.grid.selectedStep = 2;
  const ui::Rect c = rig.cellArea(2);
  rig.clickAt(ImVec2(c.x + c.width / 2.0f, c.y + c.height + 7.0f));  // on the step number
  EXPECT_EQ(rig.calls.selects, std::vector<int>{-1});
  EXPECT_TRUE(rig.calls.toggles.empty());
}

TEST(HitsGrid, AltDraggingGivesTwoRepeatsNeverOneAndBackBelowTwoGivesNone) {
  GridRig rig;
  rig.grid.cells[4].sounds = 1;
  rig.harness.setMods(ui::kModAlt);
  rig.dragBy(rig.cellCentre(4), {{5, 0}, {10, 0}, {15, 0}, {31, 0}, {12, 0}, {4, 0}});
  rig.harness.setMods(ui::kModNone);
  std::vector<int> sent;
  for (auto [i, n] : rig.calls.counts) {
    EXPECT_EQ(i, 4);
    sent.push_back(n);
  }
  EXPECT_EQ(sent, (std::vector<int>{0, 2, 2, 3, 2, 0}));
  EXPECT_TRUE(rig.calls.micros.empty());
  EXPECT_TRUE(rig.calls.selects.empty());
}

TEST(HitsGrid, RepeatsAddToTheCountAtThePressAndStayWithinThirtyTwo) {
  GridRig rig;
  rig.grid.cells[1].sounds = 1;
  rig.grid.cells[1].retrigCount = 30;
  rig.harness.setMods(ui::kModAlt);
  rig.dragBy(rig.cellCentre(1), {{-20, 0}, {25, 0}, {400, 0}});
  rig.harness.setMods(ui::kModNone);
  ASSERT_EQ(rig.calls.counts.size(), 3u);
  EXPECT_EQ(rig.calls.counts[0].second, 28);
  EXPECT_EQ(rig.calls.counts[1].second, 32);
  EXPECT_EQ(rig.calls.counts[2].second, HitsGrid::kMaxRetrig);
}

TEST(HitsGrid, AVerticalDragSetsTheRampOnlyWithTwoRepeatsOrMore) {
  for (int repeats : {0, 1, 2, 4}) {
    SCOPED_TRACE(repeats);
    GridRig rig;
    rig.grid.cells[6].sounds = 1;
    rig.grid.cells[6].retrigCount = repeats;
    rig.grid.cells[6].retrigRamp = 10;
    rig.dragBy(rig.cellCentre(6), {{0, -6}, {1, -20}});
    EXPECT_TRUE(rig.calls.micros.empty());
    EXPECT_TRUE(rig.calls.selects.empty());
    if (repeats < 2) {
      EXPECT_EQ(rig.calls.total(), 0u);
    } else {
      // Up by 20 adds 40 to the ramp.
      ASSERT_FALSE(rig.calls.ramps.empty());
      EXPECT_EQ(rig.calls.ramps.back(), std::make_pair(6, 50));
    }
  }
}

TEST(HitsGrid, MicroTimingStaysWithinOneEachWay) {
  GridRig rig;
  rig.grid.cells[7].sounds = 1;
  rig.grid.cells[7].micro = 0.5f;
  rig.dragBy(rig.cellCentre(7), {{10, 1}, {12, 0}, {600, 0}});
  ASSERT_EQ(rig.calls.micros.size(), 3u);
  // A drag of a whole cell width moves by one.
  EXPECT_NEAR(rig.calls.micros[1].second, 0.5f + 12.0f / rig.cellArea(7).width, 1e-5f);
  EXPECT_FLOAT_EQ(rig.calls.micros[2].second, 1.0f);
  rig.dragBy(rig.cellCentre(7), {{-600, 0}});
  EXPECT_FLOAT_EQ(rig.calls.micros.back().second, -1.0f);
}

TEST(HitsGrid, ValuesComeFromThePressPlusTheWholeDrag) {
  const auto lastMicro = [](int frames) {
    GridRig rig;
    rig.grid.cells[2].sounds = 1;
    rig.grid.cells[2].micro = -0.2f;
    std::vector<ImVec2> path;
    for (int f = 1; f <= frames; ++f) path.emplace_back(17.0f * f / frames, 0.0f);
    rig.dragBy(rig.cellCentre(2), path);
    return rig.calls.micros.back().second;
  };
  EXPECT_FLOAT_EQ(lastMicro(10), lastMicro(1));
}

TEST(HitsGrid, WithEightCellsTheLoopTabSitsAtTheEndOfTheEighth) {
  GridRig rig;
  rig.grid.count = 8;
  rig.grid.loopLength = 16;
  rig.step();
  ASSERT_EQ(rig.itemAreas("cell").size(), 8u);
  const ui::Rect last = rig.cellArea(7);
  const ui::Rect tab = rig.itemAreas("loop").at(0);
  EXPECT_NEAR(tab.x + tab.width / 2.0f, last.x + last.width + 1.5f, 1e-3f);
  EXPECT_FLOAT_EQ(tab.width, 10.0f);
  EXPECT_FLOAT_EQ(tab.height, rig.area.height);
}

TEST(HitsGrid, ALoopTabDragAcrossThreeBoundariesSendsThreeLengths) {
  GridRig rig;
  const ui::Rect tab = rig.itemAreas("loop").at(0);
  const float pitch = rig.cellArea(1).x - rig.cellArea(0).x;
  std::vector<ImVec2> path;
  for (int f = 1; f <= 40; ++f) path.emplace_back(-3.2f * pitch * f / 40.0f, 0.0f);
  rig.dragBy(test::centreOf(tab), path);
  EXPECT_EQ(rig.calls.loops, (std::vector<int>{15, 14, 13}));
  EXPECT_TRUE(rig.calls.selects.empty());
}

class ChipWidth : public testing::TestWithParam<float> {};

TEST_P(ChipWidth, NoChipOnCellsNarrowerThanThirtySix) {
  const float s = GetParam();
  for (float width : {35.0f, 36.0f}) {
    SCOPED_TRACE(width);
    GridRig rig(s, width);
    rig.grid.cells[3].sounds = 1;
    rig.grid.cells[3].retrigCount = 2;
    rig.grid.selectedStep = 3;
    rig.step();
    EXPECT_EQ(rig.itemAreas("chip").size(), width < 36.0f ? 0u : 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, ChipWidth, testing::Values(1.0f, 2.0f));

TEST(HitsGrid, TheChipAndTheLoopTabTakePressesOverTheCells) {
  GridRig rig;
  rig.grid.cells[3].sounds = 1;
  rig.grid.cells[3].retrigCount = 3;
  rig.grid.cells[3].retrigTicks = 24;
  rig.grid.selectedStep = 3;
  rig.grid.loopLength = 10;
  rig.step();
  const ui::Rect chip = rig.itemAreas("chip").at(0);
  rig.steps(30);
  rig.clickAt(test::centreOf(chip));
  rig.rightClickAt(test::centreOf(chip));
  EXPECT_EQ(rig.calls.rates, (std::vector<std::pair<int, bool>>{{3, true}, {3, false}}));
  // The tab's left half lies over the tenth cell; a press there is the tab's.
  const ui::Rect tab = rig.itemAreas("loop").at(0);
  rig.steps(30);
  rig.clickAt(ImVec2(tab.x + 1.0f, tab.y + 20.0f));
  EXPECT_EQ(rig.calls.total(), 2u);
}

TEST(HitsGrid, EachRateCodeIsTheNearestToItsOwnTicksAndFasterThanTheLast) {
  for (int code = 0; code < HitsGrid::kRateCodes; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(HitsGrid::rateCode(HitsGrid::rateTicks(code)), code);
    if (code > 0) {
      EXPECT_LT(HitsGrid::rateTicks(code), HitsGrid::rateTicks(code - 1));
    }
  }
  EXPECT_EQ(HitsGrid::rateTicks(-1), 24);
  EXPECT_EQ(HitsGrid::rateTicks(HitsGrid::kRateCodes), 24);
}

TEST(HitsGrid, TheChipNamesTheNearestRate) {
  const std::vector<std::pair<int, const char*>> cases = {{96, "1/4"},   {24, "1/16"}, {20, "1/16"},
                                                          {17, "1/16T"}, {6, "1/64"},  {400, "1/4"}};
  for (auto [ticks, label] : cases) {
    SCOPED_TRACE(ticks);
    EXPECT_STREQ(HitsGrid::rateLabel(ticks), label);
  }
}

// The repeat bars of cell 0, in drawing order.
std::vector<float> repeatHeights(const GridRig& rig) {
  std::vector<float> heights;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::FillRect))
    if (r->colour == 0xD9D0A828u) heights.push_back(r->rect.height);
  return heights;
}

TEST(HitsGrid, RepeatBarsFollowTheRampOverTheRepeatsWhateverThePatternLength) {
  for (int count : {1, 16}) {
    for (int ramp : {127, -128}) {
      SCOPED_TRACE(testing::Message() << "count " << count << " ramp " << ramp);
      GridRig rig;
      rig.grid.count = count;
      HitsGrid::Cell& c = rig.grid.cells[0];
      c.sounds = 1;
      c.retrigCount = 4;
      c.retrigTicks = 6;
      c.retrigRamp = ramp;
      rig.step();
      const std::vector<float> h = repeatHeights(rig);
      ASSERT_EQ(h.size(), 4u);
      for (float v : h) EXPECT_TRUE(std::isfinite(v) && v > 0.0f);
      // A rising ramp ends at full height, a falling one starts there.
      if (ramp > 0) {
        EXPECT_TRUE(std::is_sorted(h.begin(), h.end()));
        EXPECT_GT(h.back(), h.front());
      } else {
        EXPECT_TRUE(std::is_sorted(h.rbegin(), h.rend()));
        EXPECT_GT(h.front(), h.back());
      }
      EXPECT_FLOAT_EQ(std::max(h.front(), h.back()), 0.34f * rig.cellArea(0).height);
    }
  }
}

TEST(HitsGrid, RepeatsThatRunOutOfRoomEndInAnArrow) {
  GridRig rig;
  HitsGrid::Cell& c = rig.grid.cells[0];
  c.sounds = 1;
  c.retrigCount = 8;
  c.retrigTicks = 24;  // a cell width apart: only the first fits
  rig.step();
  EXPECT_EQ(repeatHeights(rig).size(), 1u);
  EXPECT_EQ(rig.harness.drawLog().find(ui::DrawOp::FillTriangle).size(), 2u);  // the arrow and the loop tab
}

TEST(HitsGrid, WaveformsArePointersTheRebuildHandsOver) {
  HitsGrid grid;
  std::vector<float> samples(400, 0.5f);
  grid.setCellWaveform(3, samples.data(), 400);
  const std::vector<std::pair<const float*, int>> variations(8, {samples.data(), 400});
  grid.setCellVariations(4, variations);
  grid.setCellWaveform(16, samples.data(), 400);  // out of range: ignored
  EXPECT_EQ(grid.cellWaves[3].samples, samples.data());
  EXPECT_EQ(grid.cellWaves[3].overview.size(), 400u);
  EXPECT_EQ(grid.cellVariations[4].size(), 8u);
  grid.clearCellWaveforms();
  EXPECT_EQ(grid.cellWaves[3].frames, 0);
  EXPECT_TRUE(grid.cellVariations[4].empty());
}

}  // namespace hits_grid_test
}  // namespace orbi
