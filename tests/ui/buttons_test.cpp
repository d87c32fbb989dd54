// Buttons: natural sizes, fitting and placing in the reserved rect, the
// colours of every variant and state, toggles and their flag, painter
// faces, and disabled buttons that ignore the pointer.

#include "ui/controls/buttons.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

#include "support/ui/ui_harness.h"
#include "tests/ui/rect_check.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/text.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace buttons_test {

using test::expectRect;

constexpr ImGuiMouseButton kLeft = ImGuiMouseButton_Left;

class ButtonSizes : public testing::TestWithParam<float> {};

TEST_P(ButtonSizes, FollowTheLabelWithAMinimumAndTheLayoutsHeight) {
  const float s = GetParam();
  UiHarness harness(s);
  harness.frame([s] {
    ButtonStyle normal, compact;
    compact.compact = true;
    const ImVec2 empty = iconButtonSize("", normal);
    EXPECT_FLOAT_EQ(empty.x, 64.0f * s);
    EXPECT_FLOAT_EQ(empty.y, 24.0f * s);
    const ImVec2 emptyCompact = iconButtonSize("", compact);
    EXPECT_FLOAT_EQ(emptyCompact.x, 44.0f * s);
    EXPECT_FLOAT_EQ(emptyCompact.y, 18.0f * s);

    // Labels past the minimum: 14 design pixels of room on each side.
    for (const std::string label : {"A much longer label", "Save changes before closing"}) {
      SCOPED_TRACE(label);
      const float body = measureText(label, TextStyle::Body).x;
      const float small = measureText(label, TextStyle::Small).x;
      ASSERT_GT(small, 36.0f * s);
      EXPECT_FLOAT_EQ(iconButtonSize(label, normal).x, body + 28.0f * s);
      EXPECT_FLOAT_EQ(iconButtonSize(label, compact).x, small + 28.0f * s);
    }
    EXPECT_FLOAT_EQ(iconButtonSize("OK", normal).x, 64.0f * s);
  });
}

INSTANTIATE_TEST_SUITE_P(Scales, ButtonSizes, testing::Values(1.0f, 2.0f));

// What one frame of a button painted.
struct Painted {
  const DrawRecord* fill = nullptr;
  const DrawRecord* outline = nullptr;
  const DrawRecord* label = nullptr;
};

Painted paintedButton(const DrawLog& log) {
  Painted p;
  const auto fills = log.find(DrawOp::FillRect);
  const auto outlines = log.find(DrawOp::StrokeRect);
  const auto labels = log.find(DrawOp::Text);
  if (fills.size() == 1) p.fill = fills[0];
  if (outlines.size() == 1) p.outline = outlines[0];
  if (labels.size() == 1) p.label = labels[0];
  return p;
}

TEST(ButtonPlacement, AButtonIsFittedIntoItsRectAndPlacedByItsAlignment) {
  struct Case {
    SizeRule width;
    Align align;
    Rect rect;
    Rect button;
  };
  const Case cases[] = {
      {{SizeMode::Natural, 0}, Align::Start, {10, 10, 200, 24}, {10, 10, 64, 24}},
      {{SizeMode::Natural, 0}, Align::Centre, {10, 10, 200, 24}, {78, 10, 64, 24}},
      {{SizeMode::Natural, 0}, Align::End, {10, 10, 200, 24}, {146, 10, 64, 24}},
      // Twice the natural size each way: the button doubles.
      {{SizeMode::Natural, 0}, Align::Centre, {10, 10, 128, 48}, {10, 10, 128, 48}},
      // Vertically always centred.
      {{SizeMode::Natural, 0}, Align::Start, {10, 10, 64, 40}, {10, 18, 64, 24}},
      {{SizeMode::Fill, 0}, Align::Start, {10, 10, 200, 40}, {10, 18, 200, 24}},
      {{SizeMode::Fixed, 90}, Align::End, {10, 10, 200, 24}, {120, 10, 90, 24}},
      {{SizeMode::Fraction, 0.25f}, Align::Centre, {10, 10, 200, 24}, {85, 10, 50, 24}},
  };
  UiHarness harness;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.width.mode) << " align "
                                    << static_cast<int>(c.align) << " in " << c.rect.width << "x"
                                    << c.rect.height);
    ButtonStyle style;
    style.width = c.width;
    style.align = c.align;
    harness.frame([&] { iconButton("b", c.rect, "", style); });
    const Painted p = paintedButton(harness.drawLog());
    ASSERT_TRUE(p.fill && p.outline && p.label);
    expectRect(p.fill->rect, c.button);
    expectRect(p.outline->rect, c.button);
    expectRect(harness.drawLog().findItem("b")->hitArea, c.button);
  }
}

TEST(ButtonPlacement, AtHalfItsNaturalSizeAButtonIsDrawnAtHalfScale) {
  UiHarness harness(2.0f);
  // The natural text button is 128 x 48 at scale 2.
  harness.frame([] { iconButton("half", {100, 100, 64, 24}, "", {}); });
  const Painted p = paintedButton(harness.drawLog());
  ASSERT_TRUE(p.fill && p.label);
  expectRect(p.fill->rect, {100, 100, 64, 24});
  // The label's margins shrink with it: 6 design pixels at scale 1.
  expectRect(p.label->rect, {106, 100, 52, 24});

  // A painter draws inside the fitted scale, into 0.6 of the button.
  float scaleInside = 0.0f;
  Rect box;
  harness.frame([&] {
    painterButton("icon", {100, 100, 24, 24},
                  [&](ImDrawList*, const Rect& b, std::uint32_t) {
                    scaleInside = scale();
                    box = b;
                  },
                  nullptr, false, {});
  });
  EXPECT_FLOAT_EQ(scaleInside, 1.0f);
  expectRect(box, {104.8f, 104.8f, 14.4f, 14.4f});
  EXPECT_FLOAT_EQ(harness.ui().scale(), 2.0f);
}

// A button in one state: where the pointer is and whether it is down.
enum class Pointer { Away, Over, Held };

struct ColourCase {
  const char* name;
  ButtonVariant variant;
  bool toggled;
  Pointer pointer;
  bool disabled;
  std::uint32_t fill, text, outline;
};

class ButtonColours : public testing::TestWithParam<ColourCase> {};

TEST_P(ButtonColours, FollowTheVariantAndState) {
  const ColourCase& c = GetParam();
  UiHarness harness;
  ButtonStyle style;
  style.variant = c.variant;
  style.disabled = c.disabled;
  const Rect rect{100, 100, 64, 24};
  bool flag = c.toggled;
  std::uint32_t painterColour = 0;
  auto body = [&] {
    iconToggle("toggle", rect, "Label", flag, style);
    painterButton(
        "icon", {300, 100, 24, 24},
        [&](ImDrawList*, const Rect&, std::uint32_t colour) { painterColour = colour; }, nullptr, c.toggled,
        style);
  };
  if (c.pointer != Pointer::Away) harness.movePointer({130, 110});
  harness.frames(2, body);
  if (c.pointer == Pointer::Held) {
    harness.setButton(kLeft, true);
    harness.frame(body);
  }
  const DrawLog& log = harness.drawLog();
  const auto fills = log.find(DrawOp::FillRect);
  const auto outlines = log.find(DrawOp::StrokeRect);
  const auto labels = log.find(DrawOp::Text);
  ASSERT_EQ(fills.size(), 2u);
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(fills[0]->colour, c.fill);
  EXPECT_EQ(labels[0]->colour, c.text);
  EXPECT_EQ(outlines[0]->colour, c.outline);
  EXPECT_EQ(outlines[0]->width, 1.0f);
  EXPECT_EQ(fills[0]->radius, 6.0f);
  EXPECT_EQ(labels[0]->style, TextStyle::Body);
  EXPECT_EQ(labels[0]->alignment, TextAlign::Centre);
  // The painter button (away from the pointer) gets the same face colour
  // in the draw list's byte order.
  EXPECT_EQ(painterColour, packColour(c.text));
  EXPECT_EQ(flag, c.toggled);
}

INSTANTIATE_TEST_SUITE_P(
    States, ButtonColours,
    testing::Values(ColourCase{"Normal", ButtonVariant::Normal, false, Pointer::Away, false, 0xFF25331A,
                               0xFFF0EED8, 0xFF2A3520},
                    ColourCase{"Accent", ButtonVariant::Accent, false, Pointer::Away, false, 0xFF3E5827,
                               0xFF8DC63F, 0xFF2A3520},
                    // The warning red 0xFFC84830 blended 0.55 of the way to the normal fill.
                    ColourCase{"Danger", ButtonVariant::Danger, false, Pointer::Away, false, 0xFF6E3C24,
                               0xFFF0EED8, 0xFF2A3520},
                    ColourCase{"NormalHovered", ButtonVariant::Normal, false, Pointer::Over, false,
                               0xFF36432C, 0xFFF0EED8, 0xFF2A3520},
                    ColourCase{"NormalHeld", ButtonVariant::Normal, false, Pointer::Held, false, 0xFF3E5827,
                               0xFFF0EED8, 0xFF2A3520},
                    ColourCase{"Toggled", ButtonVariant::Danger, true, Pointer::Away, false, 0xFF8DC63F,
                               0xFF0E1208, 0xFF5A8A1A},
                    ColourCase{"ToggledHeld", ButtonVariant::Normal, true, Pointer::Held, false, 0xFF5A8A1A,
                               0xFF0E1208, 0xFF5A8A1A},
                    ColourCase{"Disabled", ButtonVariant::Normal, false, Pointer::Held, true, 0x8025331A,
                               0x80F0EED8, 0xFF2A3520},
                    ColourCase{"DisabledToggled", ButtonVariant::Accent, true, Pointer::Over, true,
                               0x808DC63F, 0x800E1208, 0xFF5A8A1A}),
    [](const testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

TEST(ButtonColours, HoveringBlendsTowardsWhiteKeepingTheFillsAlpha) {
  UiHarness harness;
  ButtonStyle style;
  style.compact = true;
  harness.movePointer({130, 110});
  bool flag = true;
  harness.frames(2, [&] { iconToggle("t", {100, 100, 64, 20}, "", flag, style); });
  const Painted p = paintedButton(harness.drawLog());
  ASSERT_TRUE(p.fill && p.label);
  EXPECT_EQ(p.fill->colour, lerpColor(0xFF8DC63F, 0xFFFFFFFF, 0.08f));
  EXPECT_EQ(p.fill->radius, 4.0f);
  EXPECT_EQ(p.label->style, TextStyle::Small);
}

// Steps a frame at a time with the pointer over one button, counting what
// the button returned.
class Clicks {
 public:
  explicit Clicks(std::function<bool()> button) : button_(std::move(button)) { harness_.frame(); }
  UiHarness& harness() { return harness_; }
  int step() {
    harness_.frame([&] { returned_ += button_() ? 1 : 0; });
    return returned_;
  }
  // Waits out the double-click time first: a second press within it is a
  // double-click, whose release clicks nothing.
  int click(ImVec2 at) {
    harness_.movePointer(at);
    for (int i = 0; i < 30; ++i) step();
    harness_.setButton(kLeft, true);
    step();
    harness_.setButton(kLeft, false);
    return step();
  }

 private:
  UiHarness harness_;
  std::function<bool()> button_;
  int returned_ = 0;
};

TEST(Buttons, AClickReturnsTrueOnceOnTheRelease) {
  Clicks clicks([] { return iconButton("b", {100, 100, 64, 24}, "Go", {}); });
  clicks.harness().movePointer({130, 110});
  clicks.step();
  clicks.harness().setButton(kLeft, true);
  EXPECT_EQ(clicks.step(), 0);
  clicks.harness().setButton(kLeft, false);
  EXPECT_EQ(clicks.step(), 1);
  EXPECT_EQ(clicks.step(), 1);
  // Released away from the button: no click.
  clicks.step();
  clicks.harness().setButton(kLeft, true);
  clicks.step();
  clicks.harness().movePointer({500, 500});
  clicks.step();
  clicks.harness().setButton(kLeft, false);
  EXPECT_EQ(clicks.step(), 1);
}

TEST(Buttons, AToggleFlipsItsFlagBeforeItIsPainted) {
  bool flag = false;
  Clicks clicks([&] { return iconToggle("t", {100, 100, 64, 24}, "Loop", flag, {}); });
  EXPECT_EQ(clicks.click({130, 110}), 1);
  EXPECT_TRUE(flag);
  // The release frame already painted it toggled (and hovered).
  EXPECT_EQ(paintedButton(clicks.harness().drawLog()).fill->colour, lerpColor(0xFF8DC63F, 0xFFFFFFFF, 0.08f));
  EXPECT_EQ(clicks.click({130, 110}), 2);
  EXPECT_FALSE(flag);
}

TEST(Buttons, ADisabledToggleIgnoresClicksAndKeepsItsFlag) {
  bool flag = true;
  ButtonStyle style;
  style.disabled = true;
  style.tooltip = "Loop";
  Clicks clicks([&] { return iconToggle("t", {100, 100, 64, 24}, "Loop", flag, style); });
  EXPECT_EQ(clicks.click({130, 110}), 0);
  EXPECT_TRUE(flag);
  EXPECT_EQ(clicks.harness().drawLog().findItem("t"), nullptr);
  EXPECT_EQ(paintedButton(clicks.harness().drawLog()).fill->colour, 0x808DC63Fu);
}

TEST(Buttons, APainterButtonTakesItsTooltipFromTheArgument) {
  UiHarness harness;
  ButtonStyle style;
  style.tooltip = "from the style";
  harness.frame([&] {
    painterButton("play", {0, 0, 24, 24}, paintPlay, "Play", false, style);
    iconButton("text", {40, 0, 64, 24}, "Text", style);
  });
  EXPECT_EQ(harness.drawLog().findItem("play")->tooltip, "Play");
  EXPECT_EQ(harness.drawLog().findItem("text")->tooltip, "from the style");
  EXPECT_EQ(harness.drawLog().findItem("play")->cursor, ImGuiMouseCursor_Hand);
}

}  // namespace buttons_test
}  // namespace orbi::ui
