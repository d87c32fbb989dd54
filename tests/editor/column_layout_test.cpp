// The editor's column under the header: the credits strip, the macros
// band and the page, and on the bench how the macros band and the page
// share the window's height.
#include "editor/column_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "editor/widgets/bench/bench_page.h"

namespace orbi::test {
namespace column_layout_test {

float bottomOf(const ui::Rect& r) { return r.y + r.height; }

class ColumnAtScale : public testing::TestWithParam<float> {};

TEST_P(ColumnAtScale, TheMacrosBandGrowsAsTheBenchCanSpareIt) {
  const float s = GetParam();
  const ui::Rect content{0.0f, 100.0f * s, 960.0f * s, 820.0f * s};
  // Cells of 60, a gap of 4 and eight rows of 16 to 20.
  BandHeight macros;
  macros.least = 60.0f * s;
  macros.row = 16.0f * s;
  macros.floor = macros.least + 4.0f * s + macros.row;
  macros.comfort = macros.floor + 2.0f * macros.row;
  macros.full = macros.floor + 7.0f * macros.row;
  macros.wanted = macros.least + 4.0f * s + 8.0f * 20.0f * s;
  // Another page: the band takes what it wants.
  const ColumnRects other = layoutColumn(content, macros, nullptr, s);
  EXPECT_FLOAT_EQ(other.macros.height, macros.wanted);
  EXPECT_LT(other.credits.y + other.credits.height, other.macros.y);
  EXPECT_LT(other.macros.y + other.macros.height, other.page.y);
  EXPECT_FLOAT_EQ(bottomOf(other.page), bottomOf(content));
  // The bench: a light page lets it grow, a heavy one keeps three rows,
  // and the page keeps its floors either way.
  BenchPage::LayoutInput light;
  light.rowCount = 2;
  BenchPage::LayoutInput heavy;
  heavy.rowCount = 8;
  heavy.anyStageActive = true;
  heavy.drawerRows = 5;
  heavy.velocityFolded = true;
  heavy.mainFloor = 222.0f * s;  // sampler lanes, at their ease 244
  heavy.mainRoomy = 244.0f * s;
  const BenchNeeds lightNeeds = benchNeeds(light, s);
  const BenchNeeds heavyNeeds = benchNeeds(heavy, s);
  const ColumnRects roomy = layoutColumn(content, macros, &lightNeeds, s);
  const ColumnRects tight = layoutColumn(content, macros, &heavyNeeds, s);
  EXPECT_FLOAT_EQ(roomy.macros.height, macros.wanted);
  EXPECT_LT(tight.macros.height, macros.wanted);
  EXPECT_GE(tight.macros.height, macros.comfort - 1e-3f * s);
  EXPECT_GE(tight.page.height, benchHeightFloor(heavy, s, false) - 1e-3f * s);
  EXPECT_GE(roomy.page.height, benchHeightFloor(light, s, true) - 1e-3f * s);
  // Grown in whole rows up to every row.
  const float rows = (tight.macros.height - macros.floor) / macros.row;
  if (tight.macros.height < macros.full) {
    EXPECT_NEAR(rows, std::round(rows), 1e-3f);
  }
  // A bench that cannot keep even its floors beside one row leaves the list
  // out; beside a page a little fuller than its floors the list keeps its
  // first row and the hits grid its waveforms before more rows show.
  const float chrome = tight.macros.y - content.y + (tight.page.y - bottomOf(tight.macros));
  const ui::Rect low{content.x, content.y, content.width,
                     chrome + macros.least + benchHeightFloor(heavy, s, false) - 20.0f * s};
  EXPECT_FLOAT_EQ(layoutColumn(low, macros, &heavyNeeds, s).macros.height, macros.least);
  const ui::Rect one{content.x, content.y, content.width,
                     chrome + macros.floor + benchHeightFloor(heavy, s, false)};
  EXPECT_NEAR(layoutColumn(one, macros, &heavyNeeds, s).macros.height, macros.floor, 1e-3f * s);
  const ui::Rect beforeWaveforms{content.x, content.y, content.width,
                                 chrome + macros.floor + heavyNeeds.floors + macros.row};
  EXPECT_NEAR(layoutColumn(beforeWaveforms, macros, &heavyNeeds, s).macros.height, macros.floor, 1e-3f * s);
  const ui::Rect three{content.x, content.y, content.width, one.height + 2.0f * macros.row};
  EXPECT_NEAR(layoutColumn(three, macros, &heavyNeeds, s).macros.height, macros.comfort, 1e-3f * s);
}

INSTANTIATE_TEST_SUITE_P(Scales, ColumnAtScale, testing::Values(1.0f, 2.0f));

}  // namespace column_layout_test
}  // namespace orbi::test
