// The helpers every widget shares: alpha bytes, parameter and display
// units, the value text and its reading back under any LC_NUMERIC, and
// where a label may go.
#include "editor/widgets/widget_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "editor/widgets/drag_sweep.h"
#include "support/comma_locale.h"

namespace orbi {
namespace widget_support_test {

TEST(WidgetSupport, AlphaFactorsBecomeTheNearestByte) {
  struct Case {
    float alpha;
    int byte;
  };
  // The palette's own: 0.2 is 0x33, 0.55 is 0x8C, 0.7 is 0xB3, 0.75 is 0xBF.
  for (const Case& c : {Case{0.0f, 0}, Case{0.2f, 0x33}, Case{0.3f, 0x4D}, Case{0.55f, 0x8C},
                        Case{0.7f, 0xB3}, Case{0.75f, 0xBF}, Case{1.0f, 0xFF}, Case{-0.5f, 0},
                        Case{1.5f, 0xFF}, Case{std::numeric_limits<float>::quiet_NaN(), 0}}) {
    SCOPED_TRACE(c.alpha);
    EXPECT_EQ(alphaByte(c.alpha), c.byte);
  }
  EXPECT_EQ(withAlpha(palette::kLfoBlue, 0.55f), 0x8C4A9EFFu);
  EXPECT_EQ(withAlpha(0x12345678u, 1.0f), 0xFF345678u);
}

TEST(WidgetSupport, DisplayValuesRoundTripThroughParameterUnits) {
  // A 0..1 parameter shown as 20..20000 Hz, and one shown reversed.
  for (const DisplayRange range :
       {DisplayRange{0.0f, 1.0f, 20.0f, 20000.0f}, DisplayRange{-2.0f, 6.0f, 100.0f, 0.0f}}) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> t(0.0f, 1.0f);
    for (int i = 0; i < 200; ++i) {
      const float value = range.paramLo + (range.paramHi - range.paramLo) * t(random);
      SCOPED_TRACE(value);
      EXPECT_NEAR(range.fromShown(range.shown(value)), value, 1e-4f * (range.paramHi - range.paramLo));
    }
    // Outside the ranges values stop at the ends.
    EXPECT_EQ(range.shown(range.paramHi + 10.0f), range.displayHi);
    EXPECT_EQ(range.fromShown(range.displayLo - (range.displayHi - range.displayLo)), range.paramLo);
  }
  const DisplayRange point{0.0f, 10.0f, 3.0f, 3.0f};
  EXPECT_EQ(point.fromShown(3.0f), 0.0f);
  EXPECT_EQ(point.fromShown(99.0f), 0.0f);
  // An empty parameter range shows its display bottom.
  EXPECT_EQ((DisplayRange{5.0f, 5.0f, 0.0f, 1.0f}).shown(4.0f), 0.0f);
}

TEST(WidgetSupport, ValueTextTakesItsDecimalsFromTheSpan) {
  struct Case {
    float v, span;
    const char* unit;
    const char* text;
  };
  for (const Case& c :
       {Case{250, 2000, "ms", "250 ms"}, Case{250, 50, "ms", "250.0 ms"}, Case{0.5f, 1, "", "0.500"},
        Case{12.345f, 100, "", "12"}, Case{12.345f, -100, "", "12"}, Case{12.25f, 5, "st", "12.2 st"},
        Case{1.0f, 4.99f, "x", "1.000 x"}, Case{-0.0001f, 1, "", "0.000"}}) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(valueText(c.v, c.span, c.unit), c.text);
  }
}

TEST(WidgetSupport, LeadingNumbersAreReadAsStrtofReadsThemInTheCLocale) {
  struct Case {
    const char* text;
    std::optional<float> number;
  };
  const Case cases[] = {
      {"250 ms", 250.0f},     {" \t-1.5e1", -15.0f}, {"+.25", 0.25f},       {"0x1p4", 16.0f},
      {"3,5", 3.0f},          {"1e-50", 0.0f},       {"abc", std::nullopt}, {"", std::nullopt},
      {"-", std::nullopt},    {"+-1", std::nullopt}, {"inf", std::nullopt}, {"NaN", std::nullopt},
      {"1e39", std::nullopt},
  };
  const auto check = [&] {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.text);
      EXPECT_EQ(readLeadingNumber(c.text), c.number);
    }
  };
  check();
  const ob::test::CommaDecimalLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale available";
  check();
  EXPECT_EQ(valueText(250.0f, 50.0f, "ms"), "250.0 ms");
}

// A handle follows the pointer while its range lies over 100 pixels
// (times the scale) or more, and moves slower over fewer, so that whatever
// the span a whole sweep takes 100 at least.
TEST(DragSweep, AWholeRangeTakesAHundredPixelsAtLeast) {
  for (const float s : {1.0f, 1.5f, 2.0f}) {
    SCOPED_TRACE(s);
    for (const float span : {0.0f, 6.0f * s, 40.0f * s, 99.0f * s, 100.0f * s, 300.0f * s}) {
      SCOPED_TRACE(span);
      const float sweep = sweepLength(span, s);
      EXPECT_GE(sweep, 100.0f * s);
      EXPECT_GE(sweep, span);
      // The movement that sweeps the whole range moves the handle over it.
      EXPECT_NEAR(sweptBy(sweep, span, s), span, 1e-3f * s);
      EXPECT_NEAR(sweptBy(-0.5f * sweep, span, s), -0.5f * span, 1e-3f * s);
    }
    EXPECT_EQ(sweptBy(12.0f, 300.0f * s, s), 12.0f);
    const float endless = std::numeric_limits<float>::infinity();
    EXPECT_EQ(sweptBy(12.0f, endless, s), 12.0f);
    EXPECT_EQ(sweptBy(ImVec2(12.0f, 12.0f), ImVec2(endless, 50.0f * s), s).x, 12.0f);
    EXPECT_FLOAT_EQ(sweptBy(ImVec2(12.0f, 12.0f), ImVec2(endless, 50.0f * s), s).y, 6.0f);
    EXPECT_EQ(sweepLength(std::numeric_limits<float>::quiet_NaN(), s), 100.0f * s);
  }
}

}  // namespace widget_support_test
}  // namespace orbi
