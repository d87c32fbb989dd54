// The bench page: how its panels share the page, the tracks strip's
// clicks and rows, the rate pill, and the grid's two callbacks that the
// page forwards.
#include "editor/widgets/bench/bench_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/editor/widgets/bench_gallery.h"
#include "tests/editor/widgets/chain_rig.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/keys.h"

namespace orbi {
namespace bench_page_test {

using ob::chainstage::Stage;
using Rects = BenchPage::Rects;

constexpr ui::Rect kPage{0.0f, 40.0f, 960.0f, 860.0f};

float bottomOf(const ui::Rect& r) { return r.y + r.height; }

std::vector<BenchPage::TrackRow> rowsOf(int n) {
  std::vector<BenchPage::TrackRow> rows(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) rows[static_cast<std::size_t>(i)].label = "T" + std::to_string(i + 1);
  return rows;
}

// ---- Layout

class PageLayoutAtScale : public testing::TestWithParam<float> {};

TEST_P(PageLayoutAtScale, EightTracksHaveNoAddRowAndFewerReserveOne) {
  const float s = GetParam();
  const ui::Rect page{0.0f, 0.0f, 960.0f * s, 860.0f * s};
  struct Case {
    int rows;
    float rowBand;  // of the track rows, in rows
    bool addRow;
  };
  for (Case c : {Case{8, 8.0f, false}, Case{3, 3.0f, true}, Case{0, 1.0f, true}}) {
    SCOPED_TRACE(c.rows);
    BenchPage::LayoutInput in;
    in.rowCount = c.rows;
    const Rects r = BenchPage::layoutOf(page, in, s);
    EXPECT_NEAR(r.trackRows.height, c.rowBand * 16.0f * s, 1e-3f * s);
    EXPECT_EQ(r.addRow.height > 0.0f, c.addRow);
    if (c.addRow) {
      EXPECT_FLOAT_EQ(r.addRow.height, 16.0f * s);
      EXPECT_FLOAT_EQ(r.addRow.y, bottomOf(r.trackRows));
    }
    // The groove sits at the bottom; the hits on top; the anatomy between,
    // a gap from each.
    EXPECT_FLOAT_EQ(bottomOf(r.groovePanel), bottomOf(page));
    EXPECT_FLOAT_EQ(r.hitsPanel.y, page.y);
    EXPECT_NEAR(r.anatomyPanel.y, bottomOf(r.hitsPanel) + 10.0f * s, 1e-3f * s);
    EXPECT_NEAR(bottomOf(r.anatomyPanel) + 10.0f * s, r.groovePanel.y, 1e-3f * s);
    EXPECT_GE(r.hitsPanel.height, (68.0f + 40.0f) * s - 1e-3f);
    EXPECT_LE(r.hitsPanel.height, (108.0f + 40.0f) * s + 1e-3f);
  }
}

TEST_P(PageLayoutAtScale, APageShorterThanTheGrooveGivesItEverything) {
  const float s = GetParam();
  BenchPage::LayoutInput in;
  in.rowCount = 4;
  in.drawerRows = 3;
  in.anyStageActive = true;
  in.titleWidth = 50.0f;
  const ui::Rect page{10.0f, 10.0f, 600.0f * s, 90.0f * s};
  const Rects r = BenchPage::layoutOf(page, in, s);
  EXPECT_FLOAT_EQ(r.groovePanel.height, page.height);
  EXPECT_FLOAT_EQ(r.groovePanel.y, page.y);
  for (const ui::Rect* zero :
       {&r.hitsPanel, &r.anatomyPanel, &r.hitsGrid, &r.mainArea, &r.chainStrip, &r.drawer, &r.velocity})
    EXPECT_FLOAT_EQ(zero->height, 0.0f);
}

TEST_P(PageLayoutAtScale, TheChainStripGrowsOnceAStageIsActive) {
  const float s = GetParam();
  const ui::Rect page{0.0f, 0.0f, 960.0f * s, 860.0f * s};
  BenchPage::LayoutInput in;
  in.rowCount = 2;
  const Rects idle = BenchPage::layoutOf(page, in, s);
  in.anyStageActive = true;
  const Rects active = BenchPage::layoutOf(page, in, s);
  EXPECT_FLOAT_EQ(idle.chainStrip.height, 16.0f * s);
  EXPECT_FLOAT_EQ(active.chainStrip.height, 62.0f * s);
  EXPECT_FLOAT_EQ(active.velocity.height, 54.0f * s);
  EXPECT_NEAR(bottomOf(active.chainStrip) + 10.0f * s, active.velocity.y, 1e-3f * s);
  EXPECT_NEAR(active.mainArea.height + 46.0f * s, idle.mainArea.height, 1e-3f * s);
}

TEST_P(PageLayoutAtScale, TheDrawerHoldsWholeRowsAndLeavesTheMainAreaItsFloor) {
  const float s = GetParam();
  for (float pageHeight : {860.0f, 720.0f}) {
    for (int rows : {0, 2, 16, 40}) {
      SCOPED_TRACE(testing::Message() << pageHeight << " " << rows);
      BenchPage::LayoutInput in;
      in.rowCount = 8;
      in.anyStageActive = true;
      in.drawerRows = rows;
      in.mainFloor = 240.0f * s;
      const Rects r = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, pageHeight * s}, in, s);
      EXPECT_GE(r.mainArea.height, in.mainFloor - 1e-3f * s);
      const float shown = r.drawer.height / (16.0f * s);
      EXPECT_NEAR(shown, std::round(shown), 1e-3f);
      EXPECT_LE(shown, std::min(rows, 16) + 1e-3f);
      if (rows == 0) {
        EXPECT_FLOAT_EQ(r.drawer.height, 0.0f);
        EXPECT_NEAR(bottomOf(r.mainArea) + 10.0f * s, r.chainStrip.y, 1e-3f * s);
      } else {
        EXPECT_GE(shown, 1.0f - 1e-3f);
        EXPECT_NEAR(bottomOf(r.mainArea) + 10.0f * s, r.drawer.y, 1e-3f * s);
      }
    }
  }
  // With room to spare every row shows.
  BenchPage::LayoutInput in;
  in.rowCount = 2;
  in.drawerRows = 5;
  const Rects roomy = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, 860.0f * s}, in, s);
  EXPECT_FLOAT_EQ(roomy.drawer.height, 5.0f * 16.0f * s);
}

TEST_P(PageLayoutAtScale, TheHitsGridGivesWayToTheMainAreasFloor) {
  const float s = GetParam();
  const ui::Rect page{0.0f, 0.0f, 960.0f * s, 652.0f * s};
  BenchPage::LayoutInput in;
  in.rowCount = 8;
  in.anyStageActive = true;
  in.drawerRows = 2;
  const Rects free = BenchPage::layoutOf(page, in, s);
  in.mainFloor = free.mainArea.height + 50.0f * s;
  const Rects squeezed = BenchPage::layoutOf(page, in, s);
  EXPECT_NEAR(squeezed.mainArea.height, in.mainFloor, 1e-3f * s);
  EXPECT_LT(squeezed.hitsGrid.height, free.hitsGrid.height);
  EXPECT_GT(squeezed.hitsGrid.height, 0.0f);
  EXPECT_GE(squeezed.drawer.height, 16.0f * s - 1e-3f * s);
  // A velocity tile with routes gives way before the hits grid goes below
  // its usual height, down to a graph for their handles.
  BenchPage::LayoutInput tighter = in;
  tighter.drawerRows = 1;
  const Rects one = BenchPage::layoutOf(page, tighter, s);
  ASSERT_GT(one.hitsGrid.height, 68.0f * s);
  tighter.mainFloor += one.hitsGrid.height - 68.0f * s + 7.0f * s;
  const Rects routes = BenchPage::layoutOf(page, tighter, s);
  EXPECT_LT(routes.velocity.height, one.velocity.height);
  EXPECT_GT(routes.velocity.height, 17.0f * s);
  EXPECT_NEAR(routes.hitsGrid.height, 68.0f * s, 1e-3f * s);
  // A folded velocity tile gives its room to the hits.
  in.velocityFolded = true;
  const Rects folded = BenchPage::layoutOf(page, in, s);
  EXPECT_LT(folded.velocity.height, squeezed.velocity.height);
  EXPECT_GT(folded.hitsGrid.height, squeezed.hitsGrid.height);
  EXPECT_NEAR(folded.mainArea.height, in.mainFloor, 1e-3f * s);
}

TEST_P(PageLayoutAtScale, APageAtItsFloorKeepsEveryBand) {
  const float s = GetParam();
  BenchPage::LayoutInput in;
  in.rowCount = 8;
  in.anyStageActive = true;
  in.drawerRows = 5;
  in.mainFloor = 244.0f * s;
  for (const bool roomyHits : {false, true}) {
    SCOPED_TRACE(roomyHits);
    const float floor = benchHeightFloor(in, s, roomyHits);
    const Rects r = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, floor}, in, s);
    EXPECT_NEAR(r.mainArea.height, in.mainFloor, 1e-3f * s);
    EXPECT_NEAR(r.drawer.height, 16.0f * s, 1e-3f * s);
    EXPECT_GT(r.hitsGrid.height, 0.0f);
    EXPECT_NEAR(bottomOf(r.groovePanel), floor, 1e-3f * s);
    const Rects lower = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, floor - 4.0f * s}, in, s);
    EXPECT_LT(lower.hitsGrid.height, r.hitsGrid.height);
  }
  EXPECT_GT(benchHeightFloor(in, s, true), benchHeightFloor(in, s, false));
}

// Past the floors the room goes first to the hits grid's waveforms, then
// to the ease of the chain strip and the gaps, then to the drawer's rows,
// and only then to the hits grid's usual height.
TEST_P(PageLayoutAtScale, TheDrawersRowsComeBeforeTheHitsGridsUsualHeight) {
  const float s = GetParam();
  BenchPage::LayoutInput in;
  in.rowCount = 8;
  in.anyStageActive = true;
  in.velocityFolded = true;
  in.drawerRows = 3;
  in.mainFloor = 240.0f * s;
  const float floor = benchHeightFloor(in, s, false);
  const Rects tight = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, floor}, in, s);
  EXPECT_NEAR(tight.hitsGrid.height, 44.0f * s, 1e-3f * s);
  EXPECT_NEAR(tight.chainStrip.height, 52.0f * s, 1e-3f * s);
  EXPECT_NEAR(tight.drawer.height, 16.0f * s, 1e-3f * s);
  EXPECT_NEAR(tight.velocity.y - bottomOf(tight.chainStrip), 6.0f * s, 1e-3f * s);
  // The chain strip and the gaps at their ease, then every drawer row.
  const float eased = floor + (10.0f + 3.0f * 4.0f) * s;
  const Rects easy = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, eased + 32.0f * s}, in, s);
  EXPECT_NEAR(easy.chainStrip.height, 62.0f * s, 1e-3f * s);
  EXPECT_NEAR(easy.velocity.y - bottomOf(easy.chainStrip), 10.0f * s, 1e-3f * s);
  EXPECT_NEAR(easy.drawer.height, 48.0f * s, 1e-3f * s);
  EXPECT_NEAR(easy.hitsGrid.height, 44.0f * s, 1e-3f * s);
  const Rects roomy = BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, eased + 32.0f * s + 24.0f * s}, in, s);
  EXPECT_NEAR(roomy.hitsGrid.height, 68.0f * s, 1e-3f * s);
}

// The page's needs in turn: at each stage's height its bands stand as the
// stage says, and a little below it the last of them gives way.
TEST_P(PageLayoutAtScale, AtEachStageOfItsNeedsThePageKeepsWhatItPromises) {
  const float s = GetParam();
  BenchPage::LayoutInput in;
  in.rowCount = 8;
  in.anyStageActive = true;
  in.drawerRows = 3;
  in.mainFloor = 222.0f * s;
  in.mainRoomy = 244.0f * s;
  const BenchNeeds needs = benchNeeds(in, s);
  EXPECT_LT(needs.floors, needs.waveforms);
  EXPECT_LT(needs.waveforms, needs.ease);
  EXPECT_NEAR(needs.waveforms, benchHeightFloor(in, s, false), 1e-3f * s);
  const auto at = [&](float height) { return BenchPage::layoutOf({0.0f, 0.0f, 960.0f * s, height}, in, s); };

  const Rects floors = at(needs.floors);
  EXPECT_NEAR(floors.mainArea.height, in.mainFloor, 1e-3f * s);
  EXPECT_NEAR(floors.drawer.height, 16.0f * s, 1e-3f * s);
  EXPECT_NEAR(floors.hitsGrid.height, 32.0f * s, 1e-3f * s);
  EXPECT_NEAR(bottomOf(floors.groovePanel), needs.floors, 1e-3f * s);
  EXPECT_LT(at(needs.floors - 2.0f * s).hitsGrid.height, floors.hitsGrid.height);

  const Rects waveforms = at(needs.waveforms);
  EXPECT_NEAR(waveforms.hitsGrid.height, 44.0f * s, 1e-3f * s);
  EXPECT_NEAR(waveforms.mainArea.height, in.mainFloor, 1e-3f * s);

  const Rects ease = at(needs.ease);
  EXPECT_NEAR(ease.mainArea.height, in.mainRoomy, 1e-3f * s);
  EXPECT_NEAR(ease.chainStrip.height, 62.0f * s, 1e-3f * s);
  EXPECT_NEAR(ease.drawer.height, 48.0f * s, 1e-3f * s);
  EXPECT_NEAR(ease.hitsGrid.height, 68.0f * s, 1e-3f * s);
  EXPECT_NEAR(ease.velocity.height, 54.0f * s, 1e-3f * s);
  EXPECT_LT(at(needs.ease - 2.0f * s).velocity.height, ease.velocity.height);
}

INSTANTIATE_TEST_SUITE_P(Scales, PageLayoutAtScale, testing::Values(1.0f, 2.0f));

// ---- The page drawn

struct PageCalls {
  std::vector<std::string> calls;
  void add(const char* name, int i = -1) { calls.push_back(std::string(name) + " " + std::to_string(i)); }
};

class PageRig : public test::PointerRig {
 public:
  explicit PageRig(int tracks = 4) {
    page.rows = rowsOf(tracks);
    page.rateLabel = "1/16";
    page.hitsTitle = "Kick / base";
    page.selectTrack = [this](int i) { sent.add("select", i); };
    page.toggleMute = [this](int i) { sent.add("mute", i); };
    page.soloTrack = [this](int i) { sent.add("solo", i); };
    page.openTrackMenu = [this](int i) { sent.add("menu", i); };
    page.cycleRate = [this] { sent.add("rate"); };
    page.addTrack = [this] { sent.add("add"); };
    body = [this] { page.draw(kPage); };
    step();
  }
  ImVec2 rowCentre(int i) {
    return test::centreOf(scoped([this, i] { return page.rowRect(i); }));
  }
  bool drewText(std::string_view text) const {
    for (const ui::DrawRecord* r : harness.drawLog().find(ui::DrawOp::Text))
      if (r->text == text) return true;
    return false;
  }

  BenchPage page;
  PageCalls sent;
};

TEST(BenchPage, EightTracksHaveNoAddButtonAndNoAddItem) {
  PageRig rig(8);
  EXPECT_TRUE(rig.itemAreas("add").empty());
  EXPECT_FALSE(rig.drewText("+ TRACK"));
  EXPECT_EQ(rig.itemAreas("row").size(), 8u);
  PageRig fewer(7);
  EXPECT_EQ(fewer.itemAreas("add").size(), 1u);
  EXPECT_TRUE(fewer.drewText("+ TRACK"));
  fewer.steps(30);
  fewer.clickAt(test::centreOf(fewer.itemAreas("add").at(0)));
  EXPECT_EQ(fewer.sent.calls, std::vector<std::string>{"add -1"});
}

TEST(BenchPage, AltClickMutesWithoutSelecting) {
  PageRig rig;
  rig.harness.setMods(ui::kModAlt);
  rig.clickAt(rig.rowCentre(2));
  EXPECT_EQ(rig.sent.calls, std::vector<std::string>{"mute 2"});
}

TEST(BenchPage, ADoubleClickWithAltMutesAgainThenSolos) {
  PageRig rig;
  rig.harness.setMods(ui::kModAlt);
  rig.steps(30);
  rig.clickAt(rig.rowCentre(1));
  rig.clickAt(rig.rowCentre(1));
  EXPECT_EQ(rig.sent.calls, (std::vector<std::string>{"mute 1", "mute 1", "solo 1"}));
  rig.harness.setMods(ui::kModNone);
  rig.sent.calls.clear();
  rig.steps(30);
  rig.clickAt(rig.rowCentre(3));
  rig.clickAt(rig.rowCentre(3));
  EXPECT_EQ(rig.sent.calls, (std::vector<std::string>{"select 3", "select 3", "solo 3"}));
}

TEST(BenchPage, ARightClickSelectsBeforeTheMenuOpens) {
  PageRig rig;
  rig.rightClickAt(rig.rowCentre(0));
  EXPECT_EQ(rig.sent.calls, (std::vector<std::string>{"select 0", "menu 0"}));
}

TEST(BenchPage, AMutedSelectedRowHasTheMutedColourAndTheAccentBar) {
  PageRig rig;
  rig.page.rows[1].muted = true;
  rig.page.selectedTrack = 1;
  rig.step();
  const ui::Rect row = rig.scoped([&rig] { return rig.page.rowRect(1); });
  const ui::DrawRecord* name = nullptr;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    if (r->text == "T2") name = r;
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->colour, 0x738A8870u);
  bool bar = false, strike = false;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::FillRect)) {
    bar |= r->colour == palette::kAccent && r->rect.x == row.x && r->rect.width == 3.0f &&
           r->rect.y > row.y && r->rect.y < bottomOf(row);
    strike |= r->colour == 0xCCC84830u && r->rect.y > row.y && r->rect.y < bottomOf(row);
  }
  EXPECT_TRUE(bar);
  EXPECT_TRUE(strike);
}

TEST(BenchPage, CallbacksThatReplaceTheRowsMidLoopAreSafe) {
  PageRig rig(6);
  // Each call rebuilds the rows, as the controller does, and drops some.
  const auto rebuild = [&rig](int keep) { rig.page.rows = rowsOf(keep); };
  rig.page.selectTrack = [&](int i) {
    rig.sent.add("select", i);
    rebuild(2);
  };
  rig.page.openTrackMenu = [&](int i) {
    rig.sent.add("menu", i);
    rebuild(1);
  };
  rig.page.toggleMute = [&](int i) {
    rig.sent.add("mute", i);
    rebuild(6);  // a new list of the same length: the rows stay where they were
  };
  rig.page.soloTrack = [&](int i) {
    rig.sent.add("solo", i);
    rebuild(0);
  };
  rig.rightClickAt(rig.rowCentre(5));
  EXPECT_EQ(rig.sent.calls, (std::vector<std::string>{"select 5", "menu 5"}));
  rig.page.rows = rowsOf(6);
  rig.harness.setMods(ui::kModAlt);
  rig.steps(30);
  rig.clickAt(rig.rowCentre(4));
  rig.clickAt(rig.rowCentre(4));
  EXPECT_EQ(rig.sent.calls.back(), "solo 4");
  EXPECT_TRUE(rig.page.rows.empty());
}

TEST(BenchPage, TheRatePillCyclesAndAnEmptyLabelLeavesNothingThere) {
  PageRig rig;
  const auto pill = rig.itemAreas("rate");
  ASSERT_EQ(pill.size(), 1u);
  EXPECT_FLOAT_EQ(pill[0].width, 46.0f);
  EXPECT_FLOAT_EQ(pill[0].height, 18.0f);
  rig.clickAt(test::centreOf(pill[0]));
  rig.rightClickAt(test::centreOf(pill[0]));
  EXPECT_EQ(rig.sent.calls, (std::vector<std::string>{"rate -1", "rate -1"}));
  rig.page.rateLabel.clear();
  rig.step();
  EXPECT_TRUE(rig.itemAreas("rate").empty());
  EXPECT_FLOAT_EQ(rig.page.rects.ratePill.width, 0.0f);
  rig.steps(30);
  rig.clickAt(test::centreOf(pill[0]));
  EXPECT_EQ(rig.sent.calls.size(), 2u);
}

TEST(BenchPage, TheRatePillFollowsTheTitle) {
  PageRig rig;
  const float narrow = rig.itemAreas("rate").at(0).x;
  rig.page.hitsTitle.clear();  // "16 HITS"
  rig.step();
  const float wide = rig.itemAreas("rate").at(0).x;
  const float titles = rig.scoped([] {
    return ui::measureText("Kick / base", ui::TextStyle::Heading).x -
           ui::measureText("16 HITS", ui::TextStyle::Heading).x;
  });
  EXPECT_NEAR(narrow - wide, titles, 1e-3f);
}

TEST(BenchPage, TheGridsSelectAndToggleReachThePage) {
  PageRig rig;
  std::vector<int> steps, toggles;
  rig.page.selectStep = [&steps](int i) { steps.push_back(i); };
  rig.page.toggleStep = [&toggles](int i) { toggles.push_back(i); };
  rig.page.grid.onSelect(4);
  rig.page.grid.onToggle(6);
  EXPECT_EQ(steps, std::vector<int>{4});
  EXPECT_EQ(toggles, std::vector<int>{6});
  rig.page.selectStep = nullptr;
  rig.page.grid.onSelect(5);  // no callback installed: nothing
  EXPECT_EQ(steps.size(), 1u);
}

TEST(BenchPage, AHiddenDrawerReservesNoBand) {
  PageRig rig;
  rig.page.drawer.rows.resize(4);
  rig.step();
  EXPECT_GT(rig.page.rects.drawer.height, 0.0f);
  rig.page.showDrawer = false;
  rig.step();
  EXPECT_FLOAT_EQ(rig.page.rects.drawer.height, 0.0f);
}

// Every view of a full page in rectangles down to nothing, hovered: no
// view reads outside what it was given.
TEST(BenchPage, AFullPageDrawsIntoAnySize) {
  bench::testing::DrumPage drum(8, true);
  bench::testing::SamplerPage sampler(3);
  for (BenchPage* page : {&drum.page, &sampler.page}) {
    for (float height : {880.0f, 240.0f, 60.0f, 0.0f}) {
      SCOPED_TRACE(height);
      test::PointerRig rig;
      const ui::Rect area{0.0f, 0.0f, 960.0f, height};
      rig.body = [&] { page->draw(area); };
      rig.moveTo(ImVec2(480.0f, height * 0.5f));
      rig.step();
      EXPECT_FLOAT_EQ(bottomOf(page->rects.groovePanel), height);
      EXPECT_LE(page->rects.velocity.height, std::max(height - page->rects.groovePanel.height, 0.0f));
    }
  }
}

TEST(BenchPage, ARoundedOutlineClosesOnItsFirstPoint) {
  const auto path = roundedRectPath({10.0f, 20.0f, 76.0f, 14.0f}, 4.0f);
  EXPECT_FLOAT_EQ(path.front().x, path.back().x);
  EXPECT_FLOAT_EQ(path.front().y, path.back().y);
  EXPECT_NEAR(path[0].x, 82.0f, 1e-4f);  // the top edge, where the right arc starts
  EXPECT_NEAR(path[0].y, 20.0f, 1e-4f);
  EXPECT_NEAR(path[10].x, 14.0f, 1e-4f);  // the bottom edge, where the third arc starts
  EXPECT_NEAR(path[10].y, 34.0f, 1e-4f);
  // A radius larger than half the box is cut to it.
  const auto pill = roundedRectPath({0.0f, 0.0f, 20.0f, 6.0f}, 40.0f);
  for (const ImVec2& p : pill) {
    EXPECT_GE(p.y, -1e-4f);
    EXPECT_LE(p.y, 6.0f + 1e-4f);
  }
}

}  // namespace bench_page_test
}  // namespace orbi
