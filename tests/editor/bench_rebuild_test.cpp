// The rebuild: rows, titles, the rate pill and the grid written from the
// project, whatever the page held before.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/editor/bench_rig.h"

namespace orbi::test {
namespace bench_rebuild_test {

class Rebuild : public testing::Test {
 protected:
  BenchRig rig;
};

TEST_F(Rebuild, RowsFollowTheTracksMutesChokesAndSteps) {
  rig.pattern().muteMask = 0b000101;
  rig.pattern().tracks[3].chokeGroup = 6;
  rig.pattern().tracks[4].chokeGroup = 9;  // out of range: none
  rig.bench.rebuild();
  ASSERT_EQ(rig.page.rows.size(), 6u);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const BenchPage::TrackRow& row = rig.page.rows[static_cast<std::size_t>(i)];
    EXPECT_EQ(row.muted, i == 0 || i == 2);
    EXPECT_EQ(row.chokeGroup, i == 3 ? 6 : -1);
    for (int k = 0; k < 16; ++k)
      EXPECT_EQ(row.steps[static_cast<std::size_t>(k)], rig.pattern().tracks[i].steps[k].active);
  }
  EXPECT_EQ(rig.page.rows[0].label, "Kick");
}

TEST_F(Rebuild, TracksWithoutANamedSoundAreNumbered) {
  rig.pattern().tracks[1].soundIndex = -1;
  rig.pattern().kit.sounds[2].name[0] = '\0';
  rig.pattern().tracks[3].soundIndex = 8;
  rig.bench.rebuild();
  EXPECT_EQ(rig.page.rows[1].label, "TRK 2");
  EXPECT_EQ(rig.page.rows[2].label, "TRK 3");
  EXPECT_EQ(rig.page.rows[3].label, "TRK 4");
  EXPECT_EQ(rig.bench.trackLabel(8), "");
  // A name that fills its field is read to its end.
  std::memset(rig.pattern().kit.sounds[4].name, 'x', sizeof rig.pattern().kit.sounds[4].name);
  EXPECT_EQ(rig.bench.trackLabel(4), std::string(48, 'x'));
}

TEST_F(Rebuild, TheTitleNamesTheBaseOrTheHit) {
  EXPECT_EQ(rig.page.hitsTitle, "Kick / base");
  rig.context.step = 4;
  rig.bench.rebuild();
  EXPECT_EQ(rig.page.hitsTitle, "Kick / hit 5");
  EXPECT_EQ(rig.page.grid.selectedStep, 4);
}

TEST_F(Rebuild, LengthsClampAndATrackLengthOfZeroFollowsThePattern) {
  struct Case {
    int pattern, track, count, loop;
  };
  for (Case c : {Case{0, 5, 1, 5}, Case{12, 0, 12, 12}, Case{40, 20, 16, 16}, Case{8, 16, 8, 16}}) {
    SCOPED_TRACE(testing::Message() << c.pattern << " " << c.track);
    rig.pattern().length = static_cast<std::uint16_t>(c.pattern);
    rig.pattern().tracks[0].length = static_cast<std::uint16_t>(c.track);
    rig.bench.rebuild();
    EXPECT_EQ(rig.page.grid.count, c.count);
    EXPECT_EQ(rig.page.grid.loopLength, c.loop);
  }
}

TEST_F(Rebuild, RateLabels) {
  const char* labels[] = {"1/8", "1/16", "1/32", "1/8T", "1/16T", "1/32T", "1/16", "1/16"};
  for (int rate = 0; rate < 8; ++rate) {
    rig.pattern().tracks[0].rate = static_cast<std::uint8_t>(rate);
    rig.bench.rebuild();
    EXPECT_EQ(rig.page.rateLabel, labels[rate]) << rate;
  }
}

TEST_F(Rebuild, AnInvalidTrackRewritesRowsAndTitlesButKeepsLengthAndRate) {
  rig.pattern().tracks[0].length = 7;
  rig.pattern().tracks[0].rate = 3;
  rig.bench.rebuild();
  rig.context.track = 6;
  rig.pattern().muteMask = 1;
  rig.bench.rebuild();
  EXPECT_EQ(rig.page.selectedTrack, 6);
  EXPECT_EQ(rig.page.hitsTitle, "TRK 7 / base");
  EXPECT_TRUE(rig.page.rows[0].muted);
  EXPECT_EQ(rig.page.grid.loopLength, 7);
  EXPECT_EQ(rig.page.rateLabel, "1/8T");
}

TEST_F(Rebuild, TheGridsCellsDescribeEachStep) {
  ob::Track& t = rig.pattern().tracks[0];
  t.steps[1] = ob::Step{};
  t.steps[1].active = 1;
  t.steps[1].velocity = 0;
  t.steps[2] = ob::Step{};
  t.steps[2].active = 1;
  t.steps[2].micro = -32;
  t.steps[2].count = 3;
  t.steps[2].velCurve = -40;
  t.steps[3] = ob::Step{};
  ob::setStepLock(t.steps[3], drumParam("bleed"), 0.1f);
  t.steps[3].rateTicks = 12;
  rig.bench.rebuild();
  const auto& c = rig.page.grid.cells;
  EXPECT_TRUE(c[1].silent && !c[1].sounds && c[1].active());
  EXPECT_TRUE(c[2].sounds);
  EXPECT_FLOAT_EQ(c[2].micro, -0.5f);
  EXPECT_EQ(c[2].retrigCount, 3);
  EXPECT_EQ(c[2].retrigTicks, 24);  // none stored reads as 24
  EXPECT_EQ(c[2].retrigRamp, -40);
  EXPECT_FALSE(c[3].active());
  EXPECT_TRUE(c[3].hasLocks);
  EXPECT_EQ(c[3].retrigTicks, 12);
}

}  // namespace bench_rebuild_test
}  // namespace orbi::test
