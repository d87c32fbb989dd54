#include "ui/interact/interaction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/imgui_internals.h"
#include "ui/interact/tooltip.h"

namespace orbi::ui {
namespace interaction_test {

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

// A harness with one rectangle item and a pointer, stepped a frame at a
// time; each step reports what interact said in that frame.
class Pointer {
 public:
  explicit Pointer(float displayScale = 1.0f) : harness_(displayScale) {
    desc.kind = HitKind::Rectangle;
    desc.rect = {100, 100, 200, 100};
    harness_.frame();
  }

  UiHarness& harness() { return harness_; }

  Interaction step() {
    Interaction result;
    harness_.frame([&] { result = interact("item", desc); });
    return result;
  }
  Interaction moveTo(ImVec2 p) {
    harness_.movePointer(p);
    return step();
  }
  Interaction moveBy(float dx, float dy) { return moveTo(ImVec2(at_.x + dx, at_.y + dy)); }
  Interaction press(ImVec2 at) {
    at_ = at;
    moveTo(at);  // hover first: Dear ImGui decides hovering from the frame before
    harness_.setButton(kLeft, true);
    return step();
  }
  Interaction release() {
    harness_.setButton(kLeft, false);
    return step();
  }
  // A frame with nothing registered.
  void idle() { harness_.frame(); }

  InteractSpec desc;

 private:
  UiHarness harness_;
  ImVec2 at_{150, 150};
};

TEST(Interact, PressAndReleaseWithoutMovementClicksOnTheReleaseFrame) {
  Pointer pointer;
  const Interaction hover = pointer.moveTo({150, 150});
  EXPECT_TRUE(hover.hovered);
  EXPECT_FALSE(hover.held || hover.pressed || hover.clicked);

  const Interaction down = pointer.press({150, 150});
  EXPECT_TRUE(down.pressed);
  EXPECT_TRUE(down.held);
  EXPECT_FALSE(down.released || down.clicked || down.dragging || down.doubleClicked);
  EXPECT_EQ(down.pressPos.x, 150.0f);
  EXPECT_EQ(down.pressPos.y, 150.0f);
  for (int i = 0; i < 5; ++i) {
    const Interaction held = pointer.step();
    EXPECT_TRUE(held.held);
    EXPECT_FALSE(held.pressed || held.released || held.clicked || held.dragging);
  }
  const Interaction up = pointer.release();
  EXPECT_TRUE(up.released);
  EXPECT_TRUE(up.clicked);
  EXPECT_FALSE(up.held || up.dragging || up.pressed);

  const Interaction after = pointer.step();
  EXPECT_FALSE(after.released || after.clicked || after.pressed);
  EXPECT_TRUE(after.hovered);
}

class DragThreshold : public testing::TestWithParam<float> {};

TEST_P(DragThreshold, IsExceededStrictlyOnTheLargerAxis) {
  const float s = GetParam();
  for (const ImVec2 direction : {ImVec2(1, 0), ImVec2(0, -1), ImVec2(-1, 0.5f)}) {
    SCOPED_TRACE(testing::Message() << direction.x << "," << direction.y);
    Pointer pointer(s);
    pointer.desc.rect = {100 * s, 100 * s, 200 * s, 100 * s};
    const ImVec2 start(150 * s, 150 * s);
    pointer.press(start);
    const float edge = 3.0f * s;
    const Interaction atEdge =
        pointer.moveTo(ImVec2(start.x + direction.x * edge, start.y + direction.y * edge));
    EXPECT_FALSE(atEdge.dragging);
    EXPECT_EQ(atEdge.total.x, direction.x * edge);
    const float past = edge + 1.0f;
    const Interaction beyond =
        pointer.moveTo(ImVec2(start.x + direction.x * past, start.y + direction.y * past));
    EXPECT_TRUE(beyond.dragging);
    // Back at the start the press is still a drag, and its release no click.
    pointer.moveTo(start);
    const Interaction up = pointer.release();
    EXPECT_TRUE(up.released);
    EXPECT_TRUE(up.dragging);
    EXPECT_FALSE(up.clicked);
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, DragThreshold, testing::Values(1.0f, 2.0f));

TEST(Interact, FirstMovementDecidesTheAxisWithTiesGoingHorizontal) {
  struct Case {
    ImVec2 move;
    DragAxis decided;
  };
  for (const Case& c : {Case{{5, 5}, DragAxis::Horizontal}, Case{{-4, 4}, DragAxis::Horizontal},
                        Case{{2, -7}, DragAxis::Vertical}, Case{{9, 1}, DragAxis::Horizontal}}) {
    SCOPED_TRACE(testing::Message() << c.move.x << "," << c.move.y);
    Pointer pointer;
    pointer.desc.axis = DragAxis::FirstMovement;
    EXPECT_EQ(pointer.press({150, 150}).axis, DragAxis::FirstMovement);
    const Interaction small = pointer.moveBy(2, -3);
    EXPECT_EQ(small.axis, DragAxis::FirstMovement);
    EXPECT_EQ(small.total.x, 0.0f);
    EXPECT_EQ(small.total.y, 0.0f);
    EXPECT_EQ(small.delta.x, 0.0f);
    EXPECT_EQ(small.delta.y, 0.0f);

    const Interaction decided = pointer.moveBy(c.move.x, c.move.y);
    EXPECT_TRUE(decided.dragging);
    EXPECT_EQ(decided.axis, c.decided);
    const bool horizontal = c.decided == DragAxis::Horizontal;
    EXPECT_EQ(decided.total.x, horizontal ? c.move.x : 0.0f);
    EXPECT_EQ(decided.total.y, horizontal ? 0.0f : c.move.y);
    EXPECT_EQ(decided.delta.x, decided.total.x);
    EXPECT_EQ(decided.delta.y, decided.total.y);

    // Later movement along the other axis does not change the decision.
    const Interaction later = pointer.moveBy(horizontal ? c.move.x : 40, horizontal ? 40 : c.move.y);
    EXPECT_EQ(later.axis, c.decided);
    EXPECT_EQ(horizontal ? later.total.y : later.total.x, 0.0f);
  }
}

TEST(Interact, LockedAxesZeroTheOtherComponentOfDeltaAndTotal) {
  for (const DragAxis axis : {DragAxis::Horizontal, DragAxis::Vertical, DragAxis::Free}) {
    SCOPED_TRACE(static_cast<int>(axis));
    Pointer pointer;
    pointer.desc.axis = axis;
    pointer.press({150, 150});
    ImVec2 lastTotal(0, 0);
    for (const ImVec2 move : {ImVec2(1, 2), ImVec2(10, 7), ImVec2(-4, 20), ImVec2(30, -50)}) {
      const Interaction r = pointer.moveBy(move.x, move.y);
      EXPECT_EQ(r.axis, axis);
      EXPECT_EQ(r.total.x, axis == DragAxis::Vertical ? 0.0f : move.x);
      EXPECT_EQ(r.total.y, axis == DragAxis::Horizontal ? 0.0f : move.y);
      EXPECT_EQ(r.delta.x, r.total.x - lastTotal.x);
      EXPECT_EQ(r.delta.y, r.total.y - lastTotal.y);
      lastTotal = r.total;
    }
  }
}

TEST(Interact, DeltasAlwaysAddUpToTheTotalOverRandomDrags) {
  std::mt19937 rng(27);
  std::uniform_real_distribution<float> step(-12.0f, 12.0f);
  for (int trial = 0; trial < 20; ++trial) {
    SCOPED_TRACE(trial);
    Pointer pointer;
    pointer.desc.axis = static_cast<DragAxis>(trial % 4);
    pointer.press({200, 150});
    ImVec2 sum(0, 0), at(200, 150);
    Interaction r;
    for (int frame = 0; frame < 15; ++frame) {
      at = ImVec2(std::round(at.x + step(rng)), std::round(at.y + step(rng)));
      r = pointer.moveTo(at);
      sum = ImVec2(sum.x + r.delta.x, sum.y + r.delta.y);
      EXPECT_FLOAT_EQ(sum.x, r.total.x);
      EXPECT_FLOAT_EQ(sum.y, r.total.y);
      if (r.axis == DragAxis::Horizontal) {
        EXPECT_EQ(r.total.y, 0.0f);
      }
      if (r.axis == DragAxis::Vertical) {
        EXPECT_EQ(r.total.x, 0.0f);
      }
    }
    const Interaction up = pointer.release();
    EXPECT_TRUE(up.released);
    EXPECT_EQ(up.clicked, !up.dragging);
  }
}

TEST(Interact, TheSecondPressOfADoubleClickReportsOnlyTheDoubleClick) {
  Pointer pointer;
  EXPECT_TRUE(pointer.press({150, 150}).pressed);
  const Interaction firstUp = pointer.release();
  EXPECT_TRUE(firstUp.clicked);

  pointer.harness().setButton(kLeft, true);
  const Interaction second = pointer.step();
  EXPECT_TRUE(second.doubleClicked);
  EXPECT_TRUE(second.held);
  EXPECT_FALSE(second.pressed || second.released || second.clicked || second.dragging);
  // Held and moved far: the latched press starts no drag.
  for (int i = 0; i < 3; ++i) {
    const Interaction held = pointer.moveBy(20.0f * (i + 1), 0);
    EXPECT_TRUE(held.held);
    EXPECT_FALSE(held.pressed || held.doubleClicked || held.dragging);
    EXPECT_EQ(held.total.x, 0.0f);
  }
  const Interaction secondUp = pointer.release();
  EXPECT_FALSE(secondUp.released || secondUp.clicked || secondUp.doubleClicked);

  // Long after: a plain press again.
  for (int i = 0; i < 60; ++i) pointer.step();
  EXPECT_TRUE(pointer.press({150, 150}).pressed);
  EXPECT_TRUE(pointer.release().clicked);
}

TEST(Interact, HitAreasFollowTheKindWithReachTimesScale) {
  struct Case {
    HitKind kind;
    ImVec2 point;
    Rect rect;
    Rect area;  // at scale 2 with reach 8
  };
  const Case cases[] = {
      {HitKind::Point, {200, 300}, {}, {184, 284, 32, 32}},
      {HitKind::VerticalBand, {200, 300}, {50, 60, 70, 80}, {184, 60, 32, 80}},
      {HitKind::VerticalBand, {200, 300}, {50, 60, 70, -80}, {184, 60, 32, 0}},
      {HitKind::HorizontalBand, {200, 300}, {50, 60, 70, 80}, {50, 284, 70, 32}},
      {HitKind::HorizontalBand, {200, 300}, {50, 60, -70, 80}, {50, 284, 0, 32}},
      {HitKind::Rectangle, {200, 300}, {50, 60, 70, 80}, {50, 60, 70, 80}},
      {HitKind::Rectangle, {200, 300}, {50, 60, -70, 80}, {50, 60, -70, 80}},
      {static_cast<HitKind>(9), {200, 300}, {50, 60, 70, 80}, {50, 60, 70, 80}},
  };
  UiHarness harness(2.0f);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " " << c.rect.width << "x"
                                    << c.rect.height);
    InteractSpec desc;
    desc.kind = c.kind;
    desc.point = c.point;
    desc.rect = c.rect;
    desc.reach = 8;
    harness.frame([&] { interact("hit", desc); });
    const ItemRecord* item = harness.drawLog().findItem("hit");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->hitArea.x, c.area.x);
    EXPECT_EQ(item->hitArea.y, c.area.y);
    EXPECT_EQ(item->hitArea.width, c.area.width);
    EXPECT_EQ(item->hitArea.height, c.area.height);
  }
  // A negative reach gives a band of no width.
  InteractSpec desc;
  desc.kind = HitKind::VerticalBand;
  desc.point = {200, 300};
  desc.rect = {50, 60, 70, 80};
  desc.reach = -5;
  harness.frame([&] { interact("hit", desc); });
  EXPECT_EQ(harness.drawLog().findItem("hit")->hitArea.width, 0.0f);
}

TEST(Interact, EmptyHitAreasAreNeverHoveredOrPressed) {
  struct Case {
    HitKind kind;
    Rect rect;
    ImVec2 pointer;
  };
  for (const Case& c : {Case{HitKind::Rectangle, {200, 100, -100, 100}, {150, 150}},
                        Case{HitKind::Rectangle, {200, 100, -100, 100}, {250, 150}},
                        Case{HitKind::Rectangle, {100, 200, 100, -100}, {150, 150}},
                        Case{HitKind::VerticalBand, {100, 200, 100, -100}, {150, 200}},
                        Case{HitKind::HorizontalBand, {200, 100, -100, 100}, {200, 150}}}) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " at " << c.pointer.x << ","
                                    << c.pointer.y);
    Pointer pointer;
    pointer.desc.kind = c.kind;
    pointer.desc.rect = c.rect;
    pointer.desc.point = c.pointer;
    pointer.desc.reach = 8;
    EXPECT_FALSE(pointer.moveTo(c.pointer).hovered);
    const Interaction down = pointer.press(c.pointer);
    EXPECT_FALSE(down.hovered || down.held || down.pressed);
    EXPECT_FALSE(pointer.release().clicked);
  }
}

TEST(Interact, ModifiersAreThoseHeldAtThePress) {
  Pointer pointer;
  pointer.harness().setMods(kModShift | kModAlt);
  const Interaction down = pointer.press({150, 150});
  EXPECT_TRUE(down.shiftAtPress);
  EXPECT_TRUE(down.altAtPress);
  EXPECT_FALSE(down.ctrlAtPress);
  pointer.harness().setMods(kModCtrl);
  const Interaction held = pointer.moveBy(10, 0);
  EXPECT_TRUE(held.shiftAtPress);
  EXPECT_TRUE(held.altAtPress);
  EXPECT_FALSE(held.ctrlAtPress);
  const Interaction up = pointer.release();
  EXPECT_TRUE(up.shiftAtPress);
  EXPECT_FALSE(up.ctrlAtPress);

  for (int i = 0; i < 30; ++i) pointer.step();  // no double-click
  const Interaction next = pointer.press({150, 150});
  EXPECT_TRUE(next.ctrlAtPress);
  EXPECT_FALSE(next.shiftAtPress || next.altAtPress);
}

TEST(Interact, AHeldItemThatVanishesReportsNoClickWhenItReturns) {
  // Released while gone, or still held when it comes back and released
  // then: neither is a click.
  for (const bool releasedWhileGone : {true, false}) {
    SCOPED_TRACE(releasedWhileGone);
    Pointer pointer;
    EXPECT_TRUE(pointer.press({150, 150}).pressed);
    pointer.idle();
    pointer.idle();
    if (releasedWhileGone) pointer.harness().setButton(kLeft, false);
    for (int i = 0; i < 40; ++i) pointer.idle();
    const Interaction back = pointer.step();
    EXPECT_FALSE(back.released || back.clicked || back.held || back.pressed);
    const Interaction up = pointer.release();
    EXPECT_FALSE(up.released || up.clicked);

    // And it still takes a real click afterwards.
    EXPECT_TRUE(pointer.press({150, 150}).pressed);
    EXPECT_TRUE(pointer.release().clicked);
  }
}

TEST(Interact, AnItemPressedAgainAfterVanishingStartsAFreshPress) {
  Pointer pointer;
  pointer.desc.axis = DragAxis::FirstMovement;
  pointer.press({150, 150});
  pointer.moveBy(0, 30);  // a vertical drag, then the item goes away
  pointer.harness().setButton(kLeft, false);
  for (int i = 0; i < 30; ++i) pointer.idle();
  // It comes back in the very frame the button goes down on it.
  pointer.harness().movePointer({150, 150});
  pointer.harness().setButton(kLeft, true);
  const Interaction again = pointer.step();
  EXPECT_TRUE(again.held);
  EXPECT_TRUE(again.pressed);
  EXPECT_FALSE(again.dragging);
  EXPECT_EQ(again.axis, DragAxis::FirstMovement);
  EXPECT_TRUE(pointer.release().clicked);
}

TEST(Interact, RightClickAndWheelCountOnlyWhileHovered) {
  Pointer pointer;
  pointer.moveTo({150, 150});
  pointer.harness().scrollWheel(2.5f);
  EXPECT_EQ(pointer.step().wheel, 2.5f);
  pointer.harness().setButton(ImGuiMouseButton_Right, true);
  const Interaction right = pointer.step();
  EXPECT_TRUE(right.rightClicked);
  EXPECT_FALSE(right.pressed || right.held);
  EXPECT_FALSE(pointer.step().rightClicked);  // held down, no repeat
  pointer.harness().setButton(ImGuiMouseButton_Right, false);
  pointer.step();

  pointer.moveTo({20, 20});
  pointer.harness().scrollWheel(1.0f);
  pointer.harness().setButton(ImGuiMouseButton_Right, true);
  const Interaction away = pointer.step();
  EXPECT_FALSE(away.hovered || away.rightClicked);
  EXPECT_EQ(away.wheel, 0.0f);
}

TEST(Interact, CursorFollowsTheKindUnlessGivenAndAnItemRecordIsLogged) {
  struct Case {
    HitKind kind;
    ImGuiMouseCursor given;
    ImGuiMouseCursor shown;
  };
  const Case cases[] = {
      {HitKind::Point, kCursorByKind, ImGuiMouseCursor_Hand},
      {HitKind::VerticalBand, kCursorByKind, ImGuiMouseCursor_ResizeEW},
      {HitKind::HorizontalBand, kCursorByKind, ImGuiMouseCursor_ResizeNS},
      {HitKind::Rectangle, kCursorByKind, ImGuiMouseCursor_Arrow},
      {HitKind::Rectangle, ImGuiMouseCursor_ResizeAll, ImGuiMouseCursor_ResizeAll},
      {HitKind::Rectangle, ImGuiMouseCursor_COUNT + 5, ImGuiMouseCursor_Arrow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    UiHarness harness;
    InteractSpec desc;
    desc.kind = c.kind;
    desc.point = {150, 150};
    desc.rect = {100, 100, 100, 100};
    desc.reach = 8;
    desc.cursor = c.given;
    desc.tooltip = "Tip";
    ImGuiMouseCursor cursor = -2;
    auto body = [&] {
      ImGui::SetMouseCursor(ImGuiMouseCursor_TextInput);
      interact("thing", desc);
      cursor = ImGui::GetMouseCursor();
    };
    harness.movePointer({150, 150});
    harness.frames(2, body);
    EXPECT_EQ(cursor, c.shown);
    const ItemRecord* item = harness.drawLog().findItem("thing");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->cursor, c.shown);
    EXPECT_EQ(item->tooltip, "Tip");
    EXPECT_EQ(item->id, ImHashStr("thing", 0, ImHashStr("##orbi.root")));
    harness.movePointer({500, 500});
    harness.frames(2, body);
    EXPECT_EQ(cursor, ImGuiMouseCursor_TextInput);
  }
}

TEST(Interact, ItemsAreFoundAndClickedByTheirIdText) {
  UiHarness harness;
  int clicks[2] = {0, 0};
  auto body = [&] {
    for (int i = 0; i < 2; ++i) {
      InteractSpec desc;
      desc.kind = HitKind::Rectangle;
      desc.rect = {100.0f + 150.0f * i, 100, 100, 40};
      ImGui::PushID(i);
      if (interact(i == 0 ? "first" : "second", desc).clicked) ++clicks[i];
      ImGui::PopID();
    }
  };
  EXPECT_TRUE(harness.clickItem("second", body));
  EXPECT_EQ(clicks[0], 0);
  EXPECT_EQ(clicks[1], 1);
  EXPECT_FALSE(harness.clickItem("third", body));
  EXPECT_EQ(clicks[1], 1);
}

// ---- Tooltip timing, with the harness's 60 frames a second.

bool tooltipShown(UiHarness& harness) {
  ContextScope scope(harness.ui());
  const ImGuiWindow* window = ImGui::FindWindowByName("##Tooltip_00");
  return window && window->Active;
}

// Frames, from the first in which the item is hovered, until its tooltip
// shows; -1 when it does not within the limit. move(frame) may move the
// pointer first.
int framesUntilTooltip(Pointer& pointer, int limit, const std::function<void(int)>& move = {}) {
  for (int frame = 0; frame < limit; ++frame) {
    if (move) move(frame);
    const Interaction r = pointer.step();
    if (!r.hovered && !r.held) return -2;
    if (tooltipShown(pointer.harness())) return frame;
  }
  return -1;
}

// 0.6 s of hover at 60 frames a second.
constexpr int kHoverFrames = 36;

TEST(Tooltip, ShowsOnceHoveredForTheDelayWithARestingPointer) {
  Pointer pointer;
  pointer.desc.tooltip = "Cutoff frequency";
  pointer.harness().movePointer({150, 150});
  EXPECT_EQ(framesUntilTooltip(pointer, 100), kHoverFrames);
  // It stays while hovered, also when the pointer moves again.
  EXPECT_EQ(framesUntilTooltip(pointer, 5,
                               [&](int f) {
                                 pointer.harness().movePointer({160.0f + 5 * f, 150});
                               }),
            0);
  // Leaving and coming back starts the count again.
  pointer.moveTo({20, 20});
  EXPECT_FALSE(tooltipShown(pointer.harness()));
  pointer.harness().movePointer({150, 150});
  EXPECT_EQ(framesUntilTooltip(pointer, 100), kHoverFrames);
}

TEST(Tooltip, WaitsForThePointerToRest) {
  Pointer pointer;
  pointer.desc.tooltip = "Cutoff frequency";
  // Sweeping across the item for a second and a quarter shows nothing.
  EXPECT_EQ(framesUntilTooltip(pointer, 75,
                               [&](int f) {
                                 pointer.harness().movePointer({110.0f + 2.5f * f, 150});
                               }),
            -1);
  // Once it has rested a tenth of a second (six frames after the last
  // movement), the tooltip shows.
  EXPECT_EQ(framesUntilTooltip(pointer, 20), 5);

  // A trembling hand counts as resting.
  Pointer trembling;
  trembling.desc.tooltip = "Cutoff frequency";
  trembling.harness().movePointer({150, 150});
  EXPECT_EQ(framesUntilTooltip(trembling, 100,
                               [&](int f) {
                                 trembling.harness().movePointer({150.0f + (f % 2), 150});
                               }),
            kHoverFrames);
}

TEST(Tooltip, NeverShowsWhileHeldOrForEmptyText) {
  Pointer held;
  held.desc.tooltip = "Cutoff frequency";
  held.press({150, 150});
  EXPECT_EQ(framesUntilTooltip(held, 100), -1);

  Pointer empty;
  empty.desc.tooltip = "";
  empty.harness().movePointer({150, 150});
  EXPECT_EQ(framesUntilTooltip(empty, 100), -1);
}

TEST(Tooltip, AnotherItemStartsTheCountAgain) {
  UiHarness harness;
  InteractSpec a, b;
  a.kind = b.kind = HitKind::Rectangle;
  a.rect = {100, 100, 100, 100};
  b.rect = {200, 100, 100, 100};
  a.tooltip = "A";
  b.tooltip = "B";
  auto body = [&] {
    interact("a", a);
    interact("b", b);
  };
  harness.movePointer({150, 150});
  harness.frames(kHoverFrames - 6, body);
  harness.movePointer({250, 150});
  int frames = 0;
  while (frames < 100) {
    harness.frame(body);
    if (tooltipShown(harness)) break;
    ++frames;
  }
  EXPECT_EQ(frames, kHoverFrames);
}

TEST(Tooltip, ShowsForADisabledItemToo) {
  UiHarness harness;
  auto body = [] {
    ImGui::SetCursorScreenPos({100, 100});
    ImGui::BeginDisabled();
    ImGui::Button("Disabled", {100, 30});
    tooltip("Not available");
    ImGui::EndDisabled();
  };
  harness.frame(body);
  harness.movePointer({150, 115});
  int frames = 0;
  while (frames < 100) {
    harness.frame(body);
    if (tooltipShown(harness)) break;
    ++frames;
  }
  EXPECT_EQ(frames, kHoverFrames);
}

TEST(Tooltip, GoesRightOfThePointerElseBelowAboveOrLeftOfItElseFurtherOut) {
  const Rect display{0, 0, 800, 600};
  const ImVec2 size(100, 40);
  const ImVec2 pointer(300, 300);
  const auto box = [&](ImVec2 at) { return Rect{at.x, at.y, size.x, size.y}; };
  const auto meet = [](const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
  };
  for (const float s : {1.0f, 1.5f}) {
    SCOPED_TRACE(s);
    // Nothing to keep clear of: where Dear ImGui puts it.
    const ImVec2 right = placeTooltip(pointer, size, display, {}, s);
    EXPECT_EQ(right.x, pointer.x + 24.0f * s);
    EXPECT_EQ(right.y, pointer.y);
    // A value right of the pointer sends it below, a control there above,
    // one there left, controls at all four a little further out.
    const Rect value{pointer.x + 10, pointer.y - 6, 60, 12};
    LabelPlacer clear;
    clear.block(value);
    const ImVec2 below = placeTooltip(pointer, size, display, clear, s);
    EXPECT_GT(below.y, pointer.y);
    clear.panel(box(below));
    const ImVec2 above = placeTooltip(pointer, size, display, clear, s);
    EXPECT_LT(above.y + size.y, pointer.y);
    clear.panel(box(above));
    const ImVec2 left = placeTooltip(pointer, size, display, clear, s);
    EXPECT_LT(left.x + size.x, pointer.x);
    clear.panel(box(left));
    const ImVec2 further = placeTooltip(pointer, size, display, clear, s);
    EXPECT_LT(std::hypot(further.x - right.x, further.y - right.y), 150.0f * s);
    for (const Rect& r : {value, box(below), box(above), box(left)}) EXPECT_FALSE(meet(box(further), r));
    // Nowhere clear: never over the value (a row right of the pointer),
    // over the fewest controls: one everywhere, one from the pointer down.
    LabelPlacer crowded;
    crowded.block({pointer.x + 10, pointer.y - 6, 700, 12});
    crowded.panel(display);
    crowded.panel({0, pointer.y - 4, 800, 304});
    const ImVec2 least = placeTooltip(pointer, size, display, crowded, s);
    EXPECT_EQ(least.x, above.x);
    EXPECT_EQ(least.y, above.y);
    const ImVec2 corner = placeTooltip({790, 590}, size, display, {}, s);
    EXPECT_LE(corner.x + size.x, display.width);
    EXPECT_LE(corner.y + size.y, display.height);
  }
}

// The tooltip of a hovered item keeps off what the frame asked it to keep
// clear of, and off other controls: a value or a button right of the
// pointer.
// A tooltip's lines break between words only: a file's name stays whole,
// on a line as wide as it needs while there is room, and is cut between
// characters only where there is none; its own lines stay.
TEST(Tooltip, BreaksItsLinesBetweenWordsOnly) {
  UiHarness harness;
  ContextScope scope(harness.ui());
  std::string list = "Left out 9 entries:";
  for (int i = 1; i <= 9; ++i) list += " future/stems/part-" + std::to_string(i) + ".bin,";
  const std::string path = "samples/" + std::string(60, 'k') + "/kick.wav";
  const float pathWidth = measureText(path, TextStyle::Body).x;
  for (const auto& [text, room] :
       {std::pair{list, 960.0f}, {"Slot 3 plays " + path + " at 1.5x\nthen", 960.0f}, {path, 200.0f}}) {
    SCOPED_TRACE(text);
    const std::string lines = tooltipLines(text, 320.0f, room);
    std::string rejoined;  // each break a blank where the text had one
    for (std::size_t start = 0, end = 0; start <= lines.size(); start = end + 1) {
      end = std::min(lines.find('\n', start), lines.size());
      const std::string_view line = std::string_view(lines).substr(start, end - start);
      EXPECT_LE(measureText(line, TextStyle::Body).x, std::min(std::max(320.0f, pathWidth), room) + 0.5f);
      rejoined.append(line);
      rejoined.push_back(rejoined.size() < text.size() && text[rejoined.size()] == ' ' ? ' ' : '\n');
    }
    rejoined.pop_back();
    EXPECT_TRUE(room < pathWidth || rejoined == text) << rejoined << " broken where no blank was";
  }
}

TEST(Tooltip, KeepsOffWhatTheFrameKeepsClearAndOtherControls) {
  for (const int keep : {0, 1, 2}) {  // nothing, a value, a button
    SCOPED_TRACE(keep);
    UiHarness harness;
    InteractSpec item;
    item.kind = HitKind::Rectangle;
    item.rect = {100, 100, 200, 40};
    item.tooltip = "A handle that sets a value";
    const Rect readout{160, 112, 80, 14};
    InteractSpec button = item;
    button.rect = readout;
    auto body = [&] {
      interact("handle", item);
      if (keep == 1) keepTooltipClearOf(readout, KeepClear::Always);
      if (keep == 2) interact("button", button);
    };
    harness.movePointer({130, 120});
    harness.frames(kHoverFrames + 2, body);
    ASSERT_TRUE(tooltipShown(harness));
    ContextScope scope(harness.ui());
    const ImGuiWindow* tip = ImGui::FindWindowByName("##Tooltip_00");
    const bool covers = tip->Pos.x < readout.x + readout.width && readout.x < tip->Pos.x + tip->Size.x &&
                        tip->Pos.y < readout.y + readout.height && readout.y < tip->Pos.y + tip->Size.y;
    EXPECT_EQ(covers, keep == 0);
  }
}

}  // namespace interaction_test
}  // namespace orbi::ui
