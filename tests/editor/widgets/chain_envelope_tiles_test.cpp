// The TRANSIENT and AMP tiles: their curves, handles, drags, pills and
// typed values.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "editor/widgets/chain/amp_tile.h"
#include "editor/widgets/chain/stage_curves.h"
#include "editor/widgets/chain/transient_tile.h"
#include "engine/chain/voice_chain.h"
#include "engine/params/param_name.h"
#include "engine/params/param_tables.h"
#include "tests/editor/widgets/chain_rig.h"
#include "ui/draw/draw_log.h"

namespace orbi {
namespace chain_envelope_tiles_test {

using test::TileRig;

// ---- TRANSIENT

TEST(TransientTile, TheFixedCurvesPeakJustAfterTheOnsetAndAtTheEnd) {
  TransientTile t;
  ASSERT_EQ(t.reference.size(), 160u);
  EXPECT_EQ(t.strikePeak, 1);
  EXPECT_EQ(t.bodyPeak, 159);
  // The strike lifts only the onset, the body only the tail.
  EXPECT_GT(t.strikeGain[1], 0.0f);
  EXPECT_FLOAT_EQ(t.bodyGain[1], 0.0f);
  EXPECT_GT(t.bodyGain[159], 0.0f);
  EXPECT_NEAR(t.reference[159], 0.005f, 0.001f);
  for (std::size_t i = 0; i < 160; ++i) {
    EXPECT_GE(t.strikeGain[i], 0.0f);
    EXPECT_GE(t.bodyGain[i], 0.0f);
  }
}

TEST(TransientTile, NeutralAmountsDrawTheShapeOnTheReference) {
  TileRig<TransientTile> rig;
  const auto lines = rig.harness.drawLog().find(ui::DrawOp::Polyline);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]->colour, 0x598A8870u);
  EXPECT_EQ(lines[1]->colour, tilecolour::kCurve);
  ASSERT_EQ(lines[0]->points.size(), lines[1]->points.size());
  for (std::size_t i = 0; i < lines[0]->points.size(); ++i) {
    EXPECT_FLOAT_EQ(lines[0]->points[i].x, lines[1]->points[i].x);
    EXPECT_FLOAT_EQ(lines[0]->points[i].y, lines[1]->points[i].y);
  }
  // Lifting the strike moves the onset up and leaves the far tail.
  rig.tile.strike = 0.5f;
  rig.step();
  const auto lifted = rig.harness.drawLog().find(ui::DrawOp::Polyline);
  EXPECT_LT(lifted[1]->points[1].y, lifted[0]->points[1].y);
  EXPECT_FLOAT_EQ(lifted[1]->points[159].y, lifted[0]->points[159].y);
}

TEST(TransientTile, DraggingTheStrikeToTheTopSendsOne) {
  TileRig<TransientTile> rig;
  const ImVec2 strike = rig.scoped([&] { return rig.tile.handlePoint(0); });
  rig.dragFromTo(strike, ImVec2(strike.x, rig.plot().y));
  ASSERT_FALSE(rig.sent.values("strike").empty());
  EXPECT_FLOAT_EQ(rig.sent.values("strike").back(), 1.0f);
  EXPECT_TRUE(rig.sent.values("body").empty());
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

TEST(TransientTile, AHandleMovesByTheDistanceDraggedFromItsAmount) {
  TileRig<TransientTile> rig;
  rig.tile.strike = 0.25f;
  rig.step();
  const ImVec2 strike = rig.scoped([&] { return rig.tile.handlePoint(0); });
  // Pressed off its centre and held still: nothing.
  rig.pressAt(ImVec2(strike.x + 3.0f, strike.y + 2.0f));
  rig.steps(3);
  rig.releaseButton();
  EXPECT_EQ(rig.sent.size(), 0u);
  EXPECT_EQ(rig.sent.gestureEnds, 0);
  // 120 pixels upwards sweep the whole range from -1 to 1.
  rig.dragFromTo(ImVec2(strike.x + 3.0f, strike.y + 2.0f), ImVec2(strike.x + 3.0f, strike.y - 28.0f));
  EXPECT_FLOAT_EQ(rig.sent.values("strike").back(), 0.75f);
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

TEST(TransientTile, ABodyDragDownSendsMinusOne) {
  TileRig<TransientTile> rig;
  const ImVec2 body = rig.scoped([&] { return rig.tile.handlePoint(1); });
  rig.dragFromTo(ImVec2(body.x - 1.0f, body.y), ImVec2(body.x - 1.0f, body.y + 80.0f));
  EXPECT_FLOAT_EQ(rig.sent.values("body").back(), -1.0f);
}

TEST(TransientTile, ATypedOneHundredFiftyStoresOne) {
  TileRig<TransientTile> rig;
  const ImVec2 strike = rig.scoped([&] { return rig.tile.handlePoint(0); });
  rig.rightClickAt(strike);
  ASSERT_EQ(rig.tile.entry.openId(), 0);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "0 %");
  rig.typeAndEnter("150");
  EXPECT_FLOAT_EQ(rig.tile.strike, 1.0f);
  EXPECT_EQ(rig.sent.calls, std::vector<std::string>{"strike 1.000000"});
  rig.tile.commitTyped(7, -35.0f);
  EXPECT_FLOAT_EQ(rig.tile.body, -0.35f);
}

TEST(TransientTile, ARightClickAwayFromBothHandlesOpensNothing) {
  TileRig<TransientTile> rig;
  const ui::Rect p = rig.plot();
  rig.rightClickAt(ImVec2(p.x + p.width / 2.0f, p.y + 5.0f));
  EXPECT_EQ(rig.tile.entry.openId(), -1);
}

TEST(TransientTile, TheHoverLabelShowsTheSignedPercent) {
  TileRig<TransientTile> rig;
  rig.tile.strike = 0.35f;
  rig.step();
  rig.moveTo(rig.scoped([&] { return rig.tile.handlePoint(0); }));
  rig.step();
  bool found = false;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    found |= r->text == std::string(ob::chainParamName("ts_attack")) + "  +35%";
  EXPECT_TRUE(found);
}

// ---- AMP

TEST(AmpTile, TheDivisionsAreTheEnginesTable) {
  const std::array<const char*, 10> labels = {"1/32", "1/16T", "1/16", "1/16.", "1/8T",
                                              "1/8",  "1/8.",  "1/4",  "1/2",   "1/1"};
  const std::array<double, 10> beats = {1.0 / 8, 1.0 / 6, 1.0 / 4, 3.0 / 8, 1.0 / 3,
                                        1.0 / 2, 3.0 / 4, 1,       2,       4};
  for (int k = 0; k < 10; ++k) {
    SCOPED_TRACE(k);
    EXPECT_STREQ(ob::divisionLabel(k), labels[static_cast<std::size_t>(k)]);
    EXPECT_NEAR(ob::divisionBeats(k), beats[static_cast<std::size_t>(k)], 1e-12);
  }
}

TEST(AmpTile, SnapsToTheNearestDivision) {
  EXPECT_EQ(snapToDivision(0.125f, 120.0), 2);
  EXPECT_EQ(snapToDivision(0.2f, 120.0), 3);
  EXPECT_EQ(snapToDivision(1.6f, 120.0), 9);
  EXPECT_EQ(snapToDivision(50.0f, 120.0), 9);
  EXPECT_EQ(snapToDivision(1.5f, 120.0), 8);  // a tie goes to the shorter
  EXPECT_EQ(snapToDivision(0.0f, 120.0), 0);
  for (double tempo : {0.0, -60.0}) EXPECT_EQ(snapToDivision(0.2f, tempo), 3);
  EXPECT_EQ(snapToDivision(0.25f, 60.0), 2);
}

TEST(AmpTile, DefaultCornersSitOnTheLogarithmicAxis) {
  TileRig<AmpTile> rig;
  const ui::Rect p = rig.plot();
  const std::array<float, 3> at = {0.0f, 0.7237f, 0.9922f};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const ImVec2 c = rig.scoped([&] { return rig.tile.cornerPoint(k, p); });
    EXPECT_NEAR((c.x - p.x) / p.width, at[static_cast<std::size_t>(k)], 1e-4f);
    EXPECT_FLOAT_EQ(c.y, k == 2 ? p.y + p.height : p.y);
  }
  const auto curve = StageCurves::ampCurve(rig.tile, p);
  ASSERT_EQ(curve.size(), 26u);
  EXPECT_FLOAT_EQ(curve.front().y, p.y + p.height);
  for (std::size_t i = 11; i < curve.size(); ++i) EXPECT_GT(curve[i].y, curve[i - 1].y);  // falling
}

TEST(AmpTile, InTempoModeDragsSendDivisionsOnly) {
  TileRig<AmpTile> rig;
  rig.tile.sync = 1;
  rig.tile.attackDivision = 0;
  rig.tile.decayDivision = 2;
  rig.step();
  const ui::Rect p = rig.plot();
  const ImVec2 attack = rig.scoped([&] { return rig.tile.cornerPoint(0, p); });
  rig.dragFromTo(attack, ImVec2(attack.x + 40.0f, attack.y));
  const ImVec2 decay = rig.scoped([&] { return rig.tile.cornerPoint(2, p); });
  rig.dragFromTo(decay, ImVec2(decay.x + 30.0f, decay.y));
  EXPECT_FALSE(rig.sent.values("attackDivision").empty());
  EXPECT_FALSE(rig.sent.values("decayDivision").empty());
  EXPECT_TRUE(rig.sent.values("attack").empty());
  EXPECT_TRUE(rig.sent.values("decay").empty());
  EXPECT_GT(rig.sent.values("attackDivision").back(), 0.0f);
}

TEST(AmpTile, AHoldDraggedToZeroCanBeOpenedAgain) {
  TileRig<AmpTile> rig;
  rig.tile.attack = 0.05f;
  rig.step();
  const ui::Rect p = rig.plot();
  const ImVec2 hold = rig.scoped([&] { return rig.tile.cornerPoint(1, p); });
  rig.dragFromTo(hold, ImVec2(p.x - 10.0f, hold.y));
  EXPECT_FLOAT_EQ(rig.sent.values("hold").back(), 0.0f);
  EXPECT_FLOAT_EQ(rig.tile.hold, 0.0f);
  const ImVec2 closed = rig.scoped([&] { return rig.tile.cornerPoint(1, p); });
  rig.dragFromTo(closed, ImVec2(closed.x + 40.0f, closed.y));
  EXPECT_GT(rig.sent.values("hold").back(), 0.0f);
  EXPECT_TRUE(rig.sent.values("attack").empty());
  EXPECT_EQ(rig.sent.gestureEnds, 2);
}

TEST(AmpTile, RightClicksOnTheHoldOrInTempoModeOpenNothing) {
  TileRig<AmpTile> rig;
  rig.tile.attack = 0.05f;
  rig.step();
  const ui::Rect p = rig.plot();
  rig.rightClickAt(rig.scoped([&] { return rig.tile.cornerPoint(1, p); }));
  EXPECT_EQ(rig.tile.entry.openId(), -1);
  rig.rightClickAt(rig.scoped([&] { return rig.tile.cornerPoint(2, p); }));
  EXPECT_EQ(rig.tile.entry.openId(), 2);
  EXPECT_STREQ(rig.harness.ui().numberEntryState().entryText, "8000 ms");
  rig.tile.entry.close();
  rig.tile.sync = 1;
  rig.step();
  for (int k = 0; k < 3; ++k) {
    rig.rightClickAt(rig.scoped([&] { return rig.tile.cornerPoint(k, p); }));
    EXPECT_EQ(rig.tile.entry.openId(), -1) << k;
  }
}

TEST(AmpTile, ATypedAttackOfTwoAndAHalfSecondsStoresTwo) {
  TileRig<AmpTile> rig;
  rig.rightClickAt(rig.scoped([&] { return rig.tile.cornerPoint(0, rig.tile.plotRect()); }));
  ASSERT_EQ(rig.tile.entry.openId(), 0);
  rig.typeAndEnter("2500");
  EXPECT_FLOAT_EQ(rig.tile.attack, 2.0f);
  EXPECT_EQ(rig.sent.values("attack"), std::vector<float>{2.0f});
  EXPECT_EQ(rig.sent.gestureEnds, 0);
}

TEST(AmpTile, ThePillSwitchesTempoMode) {
  TileRig<AmpTile> rig;
  const ImVec2 pill = rig.scoped([&] { return test::centreOf(rig.tile.pillRect()); });
  rig.clickAt(pill);
  EXPECT_EQ(rig.sent.values("sync"), std::vector<float>{1.0f});
  EXPECT_EQ(rig.sent.gestureEnds, 1);
  EXPECT_EQ(rig.tile.sync, 0);  // the rebuild brings it back
  rig.tile.sync = 1;
  rig.tile.attackDivision = 2;
  rig.step();
  EXPECT_EQ(rig.tile.timeLabel(0), "Amp Attack Division  1/16");
  EXPECT_EQ(rig.tile.timeLabel(1), "Amp Hold  2000 ms");
  bool tempoWord = false;
  for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
    tempoWord |= r->text == "tempo" && r->colour == tilecolour::kLight;
  EXPECT_TRUE(tempoWord);
}

}  // namespace chain_envelope_tiles_test
}  // namespace orbi
