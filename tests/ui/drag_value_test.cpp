// The drag value: vertical drags over continuous and stepped values, fine
// steps, bounds, read-only fields, the double-click's typed entry, the
// label and unit text, and the field's look.
#include "ui/controls/drag_value.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/fake_param.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace drag_value_test {

using test::EditCall;
using test::FakeParam;

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

ParamSpec range(float lo, float hi) {
  ParamSpec desc;
  desc.min = lo;
  desc.max = hi;
  return desc;
}

ParamSpec tempoSpec() {
  ParamSpec desc = range(40, 240);
  desc.name = "BPM";
  desc.stepped = true;
  desc.defaultValue = 100.0f;
  return desc;
}

ParamSpec swingSpec() {
  ParamSpec desc = range(50, 80);
  desc.stepped = true;
  desc.unit = ParamUnit::Custom;
  desc.unitLabel = "%";
  return desc;
}

// A drag value "field" over a param, at its natural size (64 x 24 design
// pixels) unless a test gives another rect, stepped a frame at a time.
class DragRig {
 public:
  DragRig(ParamSpec desc, float value, float displayScale = 1.0f)
      : harness(displayScale), param(std::move(desc), value), s(displayScale) {
    rect = {100.0f * s, 100.0f * s, 64.0f * s, 24.0f * s};
    harness.frame();
  }

  DragValueResult step() {
    harness.frame([&] { last = dragValue("field", rect, param, options); });
    return last;
  }
  ImVec2 centre() const { return ImVec2(rect.x + rect.width / 2.0f, rect.y + rect.height / 2.0f); }
  void hover() {
    at = centre();
    harness.movePointer(at);
    step();
  }
  DragValueResult press() {
    hover();
    harness.setButton(kLeft, true);
    return step();
  }
  // Moves in pieces of at most `piece` pixels, one frame each; returns the
  // results of those frames.
  std::vector<DragValueResult> moveBy(float dy, float piece = 10.0f) {
    std::vector<DragValueResult> frames;
    float left = dy;
    while (left != 0.0f) {
      const float d = left > 0.0f ? std::min(piece, left) : std::max(-piece, left);
      at.y += d;
      left -= d;
      harness.movePointer(at);
      frames.push_back(step());
    }
    return frames;
  }
  DragValueResult release() {
    harness.setButton(kLeft, false);
    return step();
  }
  DragValueResult doubleClick() {
    hover();
    for (int i = 0; i < 2; ++i) {
      harness.setButton(kLeft, true);
      step();
      harness.setButton(kLeft, false);
      step();
    }
    return last;
  }
  // The text records of the last frame in the style.
  std::vector<const DrawRecord*> texts(TextStyle style) const {
    std::vector<const DrawRecord*> out;
    for (const DrawRecord* r : harness.drawLog().find(DrawOp::Text))
      if (r->style == style) out.push_back(r);
    return out;
  }
  const DrawRecord* valueText() const {
    const auto all = texts(options.large ? TextStyle::Title : TextStyle::MonoValue);
    return all.empty() ? nullptr : all.front();
  }

  UiHarness harness;
  FakeParam param;
  DragValueOptions options;
  Rect rect;
  DragValueResult last;
  float s;
  ImVec2 at;
};

class DragScale : public testing::TestWithParam<float> {};

TEST_P(DragScale, AHundredDesignPixelsUpFromTheBottomReachTheMiddle) {
  const float s = GetParam();
  ParamSpec log = range(20, 20000);
  log.curve = ParamCurve::Logarithmic;
  for (const ParamSpec& desc : {range(0, 1), range(-12, 36), log}) {
    SCOPED_TRACE(desc.max);
    for (const bool fine : {false, true}) {
      SCOPED_TRACE(fine ? "with Shift" : "plain");
      DragRig rig(desc, desc.min, s);
      rig.press();
      if (fine) rig.harness.setMods(kModShift);
      rig.moveBy(-100.0f * s);
      rig.release();
      EXPECT_NEAR(toNormalized(desc, rig.param.value()), fine ? 0.05f : 0.5f, 1e-4f);
    }
  }
}

TEST_P(DragScale, ASteppedTempoRisesOneBeatPerSixPixelsStopsAtTheTopAndFallsAtOnce) {
  const float s = GetParam();
  DragRig rig(tempoSpec(), 120.0f, s);
  rig.press();
  rig.moveBy(-30.0f * s);
  EXPECT_EQ(rig.param.value(), 125.0f);
  for (int i = 1; i <= 5; ++i) {
    const std::vector<DragValueResult> frame = rig.moveBy(-6.0f * s, 6.0f * s);
    EXPECT_TRUE(frame.back().changed);
    EXPECT_EQ(rig.param.value(), 125.0f + static_cast<float>(i));
  }
  rig.moveBy(-2000.0f * s, 100.0f * s);
  EXPECT_EQ(rig.param.value(), 240.0f);
  rig.moveBy(6.0f * s, 6.0f * s);
  EXPECT_EQ(rig.param.value(), 239.0f);
  rig.release();
  // With Shift, sixty pixels make one step.
  rig.press();
  rig.harness.setMods(kModShift);
  rig.moveBy(60.0f * s, 6.0f * s);
  EXPECT_EQ(rig.param.value(), 238.0f);
}

INSTANTIATE_TEST_SUITE_P(Scales, DragScale, testing::Values(1.0f, 2.0f));

TEST(DragValue, AGestureIsBracketedByBeginAndEnd) {
  DragRig rig(tempoSpec(), 120.0f);
  EXPECT_FALSE(rig.press().changed);
  EXPECT_EQ(rig.param.calls, std::vector<EditCall>{EditCall::Begin});
  for (const DragValueResult& r : rig.moveBy(-12.0f, 6.0f)) EXPECT_TRUE(r.changed && r.held);
  const DragValueResult up = rig.release();
  EXPECT_FALSE(up.held);
  EXPECT_EQ(rig.param.calls,
            (std::vector<EditCall>{EditCall::Begin, EditCall::Set, EditCall::Set, EditCall::End}));
  EXPECT_EQ(rig.param.values, (std::vector<float>{121.0f, 122.0f}));
}

// The field goes while held: its page closes, it turns read-only, or it is
// left out for a frame and comes back under the still-held button.
TEST(DragValue, AnEditThatBeganEndsOnceWhenTheFieldStopsBeingDrawnWhileHeld) {
  struct Case {
    const char* name;
    std::function<void(DragRig&)> whileHeld;
  };
  const Case cases[] = {
      {"never drawn again", [](DragRig& rig) { rig.harness.frames(3); }},
      {"read-only",
       [](DragRig& rig) {
         rig.options.readOnly = true;
         rig.moveBy(-12.0f, 6.0f);
       }},
      {"left out for a frame",
       [](DragRig& rig) {
         rig.harness.frame();
         rig.moveBy(-12.0f, 6.0f);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DragRig rig(tempoSpec(), 120.0f);
    rig.press();
    rig.moveBy(-6.0f, 6.0f);
    c.whileHeld(rig);
    rig.release();
    rig.harness.frames(2);
    rig.step();
    EXPECT_EQ(rig.param.calls, (std::vector<EditCall>{EditCall::Begin, EditCall::Set, EditCall::End}));
    // The field takes a new gesture (past the double-click time) as before.
    rig.options.readOnly = false;
    rig.param.reset(rig.param.value());
    rig.harness.frames(30);
    rig.press();
    rig.moveBy(-6.0f, 6.0f);
    rig.release();
    EXPECT_EQ(rig.param.calls, (std::vector<EditCall>{EditCall::Begin, EditCall::Set, EditCall::End}));
  }
}

TEST(DragValue, NoSetValueAtABound) {
  for (const float start : {240.0f, 40.0f}) {
    SCOPED_TRACE(start);
    DragRig rig(tempoSpec(), start);
    rig.press();
    for (const DragValueResult& r : rig.moveBy(start == 240.0f ? -60.0f : 60.0f)) EXPECT_FALSE(r.changed);
    EXPECT_FALSE(rig.release().changed);
    EXPECT_EQ(rig.param.calls, (std::vector<EditCall>{EditCall::Begin, EditCall::End}));
  }
  DragRig continuous(range(0, 1), 1.0f);
  continuous.press();
  continuous.moveBy(-40.0f);
  continuous.release();
  EXPECT_EQ(continuous.param.calls, (std::vector<EditCall>{EditCall::Begin, EditCall::End}));
}

TEST(DragValue, ReadOnlyIgnoresClicksDragsAndDoubleClicks) {
  DragRig rig(tempoSpec(), 120.0f);
  rig.options.readOnly = true;
  const DragValueResult down = rig.press();
  EXPECT_FALSE(down.hovered || down.held || down.changed);
  for (const DragValueResult& r : rig.moveBy(-60.0f)) EXPECT_FALSE(r.held || r.changed);
  rig.release();
  rig.doubleClick();
  rig.step();
  EXPECT_TRUE(rig.param.calls.empty());
  EXPECT_EQ(rig.param.value(), 120.0f);
  EXPECT_EQ(rig.harness.ui().numberEntryState().entryId, 0u);
  ASSERT_NE(rig.valueText(), nullptr);
  EXPECT_EQ(rig.valueText()->colour, 0xFF5D5F4Au);
  const ItemRecord* item = rig.harness.drawLog().findItem("field");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->cursor, ImGuiMouseCursor_Arrow);
}

TEST(DragValue, NeitherTheWheelNorTheKeyboardChangesIt) {
  DragRig rig(tempoSpec(), 120.0f);
  rig.hover();
  rig.harness.scrollWheel(3.0f);
  rig.step();
  rig.harness.scrollWheel(-5.0f);
  rig.step();
  for (const Key key : {Key::Up, Key::Down, Key::PageUp, Key::Enter, Key::Digit5, Key::Backspace}) {
    rig.harness.setKey(key, true);
    rig.step();
    rig.harness.setKey(key, false);
    rig.step();
  }
  EXPECT_TRUE(rig.param.calls.empty());
  EXPECT_EQ(rig.param.value(), 120.0f);
}

TEST(DragValue, ADoubleClickOpensTypedEntryAboveTheCentreInsteadOfTheDefault) {
  DragRig rig(tempoSpec(), 120.0f, 2.0f);
  rig.doubleClick();
  const UiContext::NumberEntryState& entry = rig.harness.ui().numberEntryState();
  EXPECT_NE(entry.entryId, 0u);
  EXPECT_STREQ(entry.entryText, "120");
  EXPECT_FLOAT_EQ(entry.anchor.x, rig.centre().x);
  EXPECT_FLOAT_EQ(entry.anchor.y, rig.centre().y - 4.0f * 2.0f);  // its top 16 above the centre
  EXPECT_EQ(rig.param.value(), 120.0f);
  EXPECT_TRUE(rig.param.values.empty());

  rig.step();
  rig.harness.typeText("150");
  rig.step();
  rig.harness.setKey(Key::Enter, true);
  EXPECT_TRUE(rig.step().changed);
  rig.harness.setKey(Key::Enter, false);
  EXPECT_EQ(rig.param.value(), 150.0f);
  EXPECT_FALSE(rig.step().changed);
}

TEST(DragValue, TheUnitGivesWayToALabel) {
  struct Case {
    const char* label;
    const char* unitLabel;
    const char* formatted;
    const char* shown;
  };
  for (const Case& c : {Case{nullptr, "%", "55 %", "55 %"}, Case{"SWING", "%", "55 %", "55"},
                        Case{"BARS", "bars", "12 bars", "12"}, Case{"BARS", "bars", "1bars", "1bars"},
                        Case{"EMPTY", "", "55", "55"}}) {
    SCOPED_TRACE(c.formatted);
    ParamSpec desc = swingSpec();
    desc.unitLabel = c.unitLabel;
    DragRig rig(desc, 55.0f);
    rig.param.formatter = [&](float) { return std::string(c.formatted); };
    rig.options.label = c.label;
    rig.rect.height = 40.0f;
    rig.step();
    ASSERT_NE(rig.valueText(), nullptr);
    EXPECT_EQ(rig.valueText()->text, c.shown);
    const auto captions = rig.texts(TextStyle::Caption);
    ASSERT_EQ(captions.size(), c.label ? 1u : 0u);
    if (c.label) {
      EXPECT_EQ(captions[0]->text, c.label);
      EXPECT_EQ(captions[0]->colour, 0xFF8A8870u);
      // The caption sits in the bottom 12 pixels, the value above it.
      EXPECT_FLOAT_EQ(captions[0]->rect.y + captions[0]->rect.height, rig.rect.y + rig.rect.height - 4.0f);
      EXPECT_FLOAT_EQ(captions[0]->rect.height, 12.0f);
      EXPECT_FLOAT_EQ(rig.valueText()->rect.y + rig.valueText()->rect.height, captions[0]->rect.y);
    }
  }
}

// The last frame's fill and border records of the field.
struct FieldLook {
  std::vector<const DrawRecord*> fills;
  std::vector<const DrawRecord*> borders;
};

FieldLook look(const DragRig& rig) {
  return {rig.harness.drawLog().find(DrawOp::FillRect), rig.harness.drawLog().find(DrawOp::StrokeRect)};
}

TEST(DragValue, FillBorderAndTextFollowTheState) {
  DragRig rig(tempoSpec(), 120.0f);
  rig.harness.pointerAway();
  rig.step();
  FieldLook idle = look(rig);
  ASSERT_EQ(idle.fills.size(), 1u);
  ASSERT_EQ(idle.borders.size(), 1u);
  EXPECT_EQ(idle.fills[0]->colour, 0xFF25331Au);
  EXPECT_EQ(idle.fills[0]->radius, 6.0f);
  EXPECT_EQ(idle.borders[0]->colour, 0xFF2A3520u);
  EXPECT_EQ(idle.borders[0]->width, 1.0f);
  EXPECT_EQ(rig.valueText()->colour, 0xFFF0EED8u);

  rig.hover();
  EXPECT_EQ(look(rig).fills[0]->colour, 0xFF2F4121u);
  rig.press();
  const FieldLook held = look(rig);
  EXPECT_EQ(held.fills[0]->colour, 0xFF2F4121u);
  EXPECT_EQ(held.borders[0]->colour, 0xFF5A8A1Au);
  EXPECT_EQ(rig.valueText()->colour, 0xFF8DC63Fu);
  rig.release();

  // A flash started on the field's id lights the border towards green.
  rig.harness.pointerAway();
  rig.harness.frame([&] {
    context().animations()[ImGui::GetID("field")] = ImGui::GetTime();
    dragValue("field", rig.rect, rig.param, rig.options);
  });
  const std::uint32_t flashed = look(rig).borders[0]->colour;
  EXPECT_NE(flashed, 0xFF2A3520u);
  EXPECT_EQ(flashed, lerpColor(0xFF2A3520u, 0xFF8DC63Fu, 1.0f));
}

TEST(DragValue, ABareFieldOnlyHighlightsWhileHoveredOrHeld) {
  DragRig rig(tempoSpec(), 120.0f);
  rig.options.bare = true;
  rig.harness.pointerAway();
  rig.step();
  EXPECT_TRUE(look(rig).fills.empty());
  EXPECT_TRUE(look(rig).borders.empty());
  rig.hover();
  const FieldLook hovered = look(rig);
  ASSERT_EQ(hovered.fills.size(), 1u);
  EXPECT_EQ(hovered.fills[0]->colour, 0x992F4121u);
  EXPECT_FLOAT_EQ(hovered.fills[0]->radius, 12.0f);  // half the height: a pill
  EXPECT_TRUE(hovered.borders.empty());
}

TEST(DragValue, TheFieldIsFittedIntoItsRect) {
  DragRig rig(tempoSpec(), 120.0f);
  rig.rect = {100.0f, 100.0f, 400.0f, 48.0f};
  rig.options.align = Align::Centre;
  rig.step();
  const Rect field = look(rig).fills[0]->rect;
  EXPECT_FLOAT_EQ(field.width, 128.0f);
  EXPECT_FLOAT_EQ(field.height, 48.0f);
  EXPECT_FLOAT_EQ(field.x, 100.0f + (400.0f - 128.0f) / 2.0f);
  EXPECT_FLOAT_EQ(field.y, 100.0f);
  rig.options.align = Align::End;
  rig.step();
  EXPECT_FLOAT_EQ(look(rig).fills[0]->rect.x, 500.0f - 128.0f);
}

TEST(DragValue, TheLargeLayoutPutsTheCaptionBesideTheValue) {
  DragRig rig(tempoSpec(), 120.0f);
  rig.options.large = true;
  rig.options.bare = true;
  rig.options.label = "BPM";
  rig.rect = {100.0f, 100.0f, 92.0f, 26.0f};
  rig.step();
  const DrawRecord* value = rig.valueText();
  const auto captions = rig.texts(TextStyle::Caption);
  ASSERT_NE(value, nullptr);
  ASSERT_EQ(captions.size(), 1u);
  EXPECT_EQ(value->text, "120");
  EXPECT_FLOAT_EQ(captions[0]->rect.x, value->rect.x + value->rect.width + 4.0f);
  // The pair is centred in the field inset by 4.
  const float left = value->rect.x - 104.0f;
  const float right = 188.0f - (captions[0]->rect.x + captions[0]->rect.width);
  EXPECT_NEAR(left, right, 0.01f);
}

TEST(DragValue, TheTooltipIsTheOptionsOrElseTheHelp) {
  ParamSpec desc = tempoSpec();
  desc.help = "BPM - drag to set the tempo, double-click to type";
  for (const char* given : {static_cast<const char*>(nullptr), "Tempo from the host"}) {
    DragRig rig(desc, 120.0f);
    rig.options.tooltip = given;
    rig.step();
    const ItemRecord* item = rig.harness.drawLog().findItem("field");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->tooltip, given ? given : desc.help);
    EXPECT_EQ(item->cursor, ImGuiMouseCursor_ResizeNS);
  }
  DragRig none(tempoSpec(), 120.0f);
  none.step();
  EXPECT_EQ(none.harness.drawLog().findItem("field")->tooltip, "");
}

}  // namespace drag_value_test
}  // namespace orbi::ui
