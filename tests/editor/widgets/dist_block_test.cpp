// The distortion socket: its transfer curve and cache, the sideways drag
// between its two places, the vertical drags of the three amounts, typing
// and the gesture's end.
#include "editor/widgets/anatomy/dist_block.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/drum/drum_machine.h"
#include "engine/params/param_name.h"
#include "tests/editor/widgets/chain_rig.h"

namespace orbi {
namespace dist_block_test {

using ui::kCurveSampleCount;

// The socket on a wire from x 100 (in the body) to x 400 (after the mix).
class SocketRig : public test::PointerRig {
 public:
  explicit SocketRig(float s = 1.0f) : PointerRig(s) {
    socket.onDrive = [this](float v) { sent.add("drive", v); };
    socket.onBias = [this](float v) { sent.add("bias", v); };
    socket.onFold = [this](float v) { sent.add("fold", v); };
    socket.onPosition = [this](int p) { sent.add("position", static_cast<float>(p)); };
    socket.onGestureEnd = [this] { ++sent.gestureEnds; };
    body = [this] {
      const float k = ui::scale();
      socket.xInBody = 100.0f * k;
      socket.xAfterMix = 400.0f * k;
      socket.draw({80.0f * k, 200.0f * k, 340.0f * k, 40.0f * k});
    };
    step();
  }
  ImVec2 centre() const {
    const float x = socket.position == 1 ? socket.xAfterMix : socket.xInBody;
    return ImVec2(x, socket.rect.y + socket.rect.height / 2.0f);
  }
  DistBlock socket;
  test::Sent sent;
};

TEST(DistBlock, NoDriveDrawsTheIdentityDimmedWhateverBiasAndFold) {
  for (float bias : {0.0f, 0.7f, 1.0f}) {
    for (float fold : {0.0f, 0.5f}) {
      SCOPED_TRACE(bias * 10 + fold);
      SocketRig rig;
      rig.socket.bias = bias;
      rig.socket.fold = fold;
      rig.step();
      for (int i = 0; i < kCurveSampleCount; ++i)
        EXPECT_NEAR(rig.socket.curve.values[i], -1.0f + 2.0f * i / (kCurveSampleCount - 1), 1e-6f);
      // The dimmed thumbnail: the curve in the muted colour.
      const auto lines = rig.harness.drawLog().find(ui::DrawOp::Polyline);
      ASSERT_FALSE(lines.empty());
      EXPECT_NE(lines.back()->colour, 0xFF8DC63Fu);
    }
  }
}

TEST(DistBlock, FullDriveIsNormalisedAndBiasIsClipped) {
  DistBlock socket;
  socket.drive = 1.0f;
  socket.transferCurve();
  EXPECT_NEAR(socket.curve.values.front(), -1.0f, 1e-5f);
  EXPECT_NEAR(socket.curve.values.back(), 1.0f, 1e-5f);
  EXPECT_NEAR(socket.curve.values[kCurveSampleCount / 2], 0.0f, 1e-6f);
  socket.bias = 1.0f;
  socket.transferCurve();
  EXPECT_FLOAT_EQ(socket.curve.values.front(), -1.2f);
  for (float y : socket.curve.values) {
    EXPECT_GE(y, -1.2f);
    EXPECT_LE(y, 1.2f);
  }
  // A fold bends the curve back.
  socket.bias = 0.0f;
  socket.fold = 1.0f;
  socket.transferCurve();
  EXPECT_LT(socket.curve.values.back(), 0.9f);
}

// The thumbnail is the drum's own distortion at the socket's amounts,
// wherever it lies within the picture's +-1.2.
TEST(DistBlock, TheCurveIsTheDrumsDistortion) {
  for (float drive : {0.0f, 0.1f, 0.5f, 1.0f}) {
    for (float bias : {0.0f, 0.35f, 1.0f}) {
      for (float fold : {0.0f, 0.4f, 1.0f}) {
        SCOPED_TRACE(testing::Message() << "drive " << drive << " bias " << bias << " fold " << fold);
        DistBlock socket;
        socket.drive = drive;
        socket.bias = bias;
        socket.fold = fold;
        socket.transferCurve();
        for (int i = 0; i < kCurveSampleCount; ++i) {
          const float x = 2.0f * static_cast<float>(i) / (kCurveSampleCount - 1) - 1.0f;
          const float played = ob::DrumMachine::distort(x, drive, bias, fold);
          if (std::fabs(played) <= 1.2f) {
            ASSERT_EQ(socket.curve.values[i], played) << "x " << x;
          }
        }
      }
    }
  }
}

TEST(DistBlock, TheCurveIsComputedOnlyWhenAnAmountChanged) {
  SocketRig rig;
  rig.socket.drive = 0.5f;
  rig.step();
  const int before = rig.socket.curveComputations;
  rig.steps(100);
  EXPECT_EQ(rig.socket.curveComputations, before);
  rig.socket.fold = 0.25f;
  rig.steps(3);
  EXPECT_EQ(rig.socket.curveComputations, before + 1);
}

TEST(DistBlock, OnlyADragThatChangedSomethingEndsAGesture) {
  SocketRig rig;
  const ImVec2 from = rig.centre();
  // A plain click, a sideways drag that stays nearer the current place and
  // a drive drag down from nothing all leave the socket as it was.
  rig.steps(30);
  rig.clickAt(from);
  rig.dragFromTo(from, ImVec2(from.x + 100.0f, from.y));
  rig.dragFromTo(from, ImVec2(from.x, from.y + 60.0f));
  EXPECT_EQ(rig.sent.size(), 0u);
  EXPECT_EQ(rig.sent.gestureEnds, 0);
  EXPECT_EQ(rig.socket.position, 0);
  // Past the middle it moves after the mix, once, and the gesture ends.
  rig.dragFromTo(from, ImVec2(from.x + 200.0f, from.y));
  EXPECT_EQ(rig.sent.values("position"), std::vector<float>{1.0f});
  EXPECT_EQ(rig.socket.position, 1);
  EXPECT_TRUE(rig.sent.values("drive").empty());
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

TEST(DistBlock, WithoutItsCallbackTheSocketNeverMoves) {
  SocketRig rig;
  rig.socket.onPosition = nullptr;
  const ImVec2 from = rig.centre();
  rig.dragFromTo(from, ImVec2(from.x + 280.0f, from.y));
  EXPECT_EQ(rig.socket.position, 0);
}

TEST(DistBlock, ModifiersPickTheAmountAndForceAVerticalDrag) {
  struct Case {
    int mods;
    const char* amount;
  };
  for (const Case& c :
       {Case{ui::kModNone, "drive"}, Case{ui::kModAlt, "bias"}, Case{ui::kModShift, "fold"}}) {
    SCOPED_TRACE(c.amount);
    SocketRig rig(2.0f);
    rig.socket.drive = rig.socket.bias = rig.socket.fold = 0.25f;
    rig.step();
    const ImVec2 from = rig.centre();
    rig.harness.setMods(c.mods);
    // Up 60 s and, with a modifier, far sideways as well.
    const float sideways = c.mods == ui::kModNone ? 0.0f : 400.0f;
    rig.dragFromTo(from, ImVec2(from.x + sideways, from.y - 120.0f));
    rig.harness.setMods(ui::kModNone);
    EXPECT_FLOAT_EQ(rig.sent.values(c.amount).back(), 0.75f);
    EXPECT_TRUE(rig.sent.values("position").empty());
    EXPECT_EQ(rig.socket.position, 0);
    EXPECT_EQ(rig.sent.gestureEnds, 1);
  }
}

// While it moves, a drag shows what it sets above the socket: the amount
// with its percentage, or the place the socket goes to.
TEST(DistBlock, ADragShowsWhatItSetsWhileItMoves) {
  const auto drawn = [](SocketRig& rig, const std::string& text) {
    for (const ui::DrawRecord* r : rig.harness.drawLog().find(ui::DrawOp::Text))
      if (r->text == text)
        return r->rect.y + r->rect.height <= rig.socket.rect.y + rig.socket.rect.height / 2.0f;
    return false;
  };
  for (const int mods : {ui::kModNone, ui::kModAlt, ui::kModShift}) {
    SCOPED_TRACE(mods);
    SocketRig rig;
    rig.steps(30);
    const ImVec2 from = rig.centre();
    rig.harness.setMods(mods);
    rig.pressAt(from);
    rig.moveTo(ImVec2(from.x, from.y - 30.0f));
    const float v = mods == ui::kModAlt     ? rig.socket.bias
                    : mods == ui::kModShift ? rig.socket.fold
                                            : rig.socket.drive;
    const char* name = ob::paramNameOfKey(ob::kMachineDrum, mods == ui::kModAlt     ? "dist_bias"
                                                            : mods == ui::kModShift ? "dist_fold"
                                                                                    : "dist_amt");
    EXPECT_GT(v, 0.0f);
    EXPECT_TRUE(drawn(rig, std::string(name) + "  " + std::to_string(std::lround(v * 100.0f)) + "%"));
    rig.releaseButton();
    rig.harness.setMods(ui::kModNone);
    EXPECT_TRUE(rig.harness.drawLog().find(ui::DrawOp::Text).empty()) << "nothing once it is let go";
  }
  SocketRig rig;
  rig.steps(30);
  const ImVec2 from = rig.centre();
  rig.pressAt(from);
  rig.moveTo(ImVec2(from.x + 250.0f, from.y));
  EXPECT_EQ(rig.socket.position, 1);
  EXPECT_TRUE(drawn(rig, "after mix"));
  rig.releaseButton();
}

TEST(DistBlock, ADragDownStopsAtZero) {
  SocketRig rig;
  rig.socket.drive = 0.3f;
  rig.step();
  const ImVec2 from = rig.centre();
  rig.dragFromTo(from, ImVec2(from.x, from.y + 200.0f));
  EXPECT_EQ(rig.sent.values("drive").back(), 0.0f);
  EXPECT_EQ(rig.sent.gestureEnds, 1);
}

TEST(DistBlock, TypedAmountsAreClampedAndLeaveTheFieldsAlone) {
  SocketRig rig;
  rig.rightClickAt(rig.centre());
  ASSERT_EQ(rig.socket.entry.openId(), 0);
  rig.typeAndEnter("250");
  EXPECT_EQ(rig.sent.values("drive"), std::vector<float>{1.0f});
  EXPECT_EQ(rig.socket.drive, 0.0f);
  rig.harness.setMods(ui::kModAlt);
  rig.rightClickAt(rig.centre());
  rig.harness.setMods(ui::kModNone);
  EXPECT_EQ(rig.socket.entry.openId(), 1);
  rig.socket.commitTyped(2, -5.0f);
  rig.socket.commitTyped(7, 50.0f);
  EXPECT_EQ(rig.sent.values("fold"), std::vector<float>{0.0f});
  EXPECT_EQ(rig.sent.size(), 2u);
}

TEST(DistBlock, TheTooltipNamesThePlaceAndThePercentages) {
  EXPECT_EQ(DistBlock::tooltip(0.5f, 0.125f, 1.0f, "after the mix"),
            "DRIVE - distortion the body runs through (after the mix).  The line is its transfer curve.\n"
            "Drive (Distortion) 50%   Drive Bias 13%   Wavefold 100%\n"
            "drag: move socket  /  up/down: Drive (Distortion)  /  alt: Drive Bias  /  shift: Wavefold  /  "
            "right-click: type");
}

}  // namespace dist_block_test
}  // namespace orbi
