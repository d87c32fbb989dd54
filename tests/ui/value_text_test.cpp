// Parameter value text: clamping and the curves, display text per unit,
// typed text with suffixes, choices and the minimum's word, and the same
// texts whatever LC_NUMERIC the host set.
#include "ui/controls/value_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/comma_locale.h"
#include "ui/controls/param.h"

namespace orbi::ui {
namespace value_text_test {

ParamSpec range(float lo, float hi, ParamUnit unit = ParamUnit::Plain) {
  ParamSpec desc;
  desc.min = lo;
  desc.max = hi;
  desc.unit = unit;
  return desc;
}

ParamSpec stepped(ParamSpec desc) {
  desc.stepped = true;
  return desc;
}

ParamSpec tempo() { return stepped(range(40, 240)); }

ParamSpec swing() {
  ParamSpec desc = stepped(range(50, 80, ParamUnit::Custom));
  desc.unitLabel = "%";
  return desc;
}

ParamSpec choice() {
  ParamSpec desc = range(0, 2);
  desc.choices = {"Low", "Band", "High"};
  return desc;
}

ParamSpec withMinText() {
  ParamSpec desc = range(0, 1);
  desc.minText = "off";
  return desc;
}

ParamSpec withDecimals(ParamSpec desc, int decimals) {
  desc.decimals = decimals;
  return desc;
}

ParamSpec curved(float lo, float hi, ParamCurve curve, float exponent = 1.0f) {
  ParamSpec desc = range(lo, hi);
  desc.curve = curve;
  desc.exponent = exponent;
  return desc;
}

TEST(ParamMapping, ClampsWithTheRangeInEitherOrder) {
  for (const ParamSpec& desc : {range(100, 0), range(0, 100)}) {
    SCOPED_TRACE(desc.min);
    EXPECT_EQ(clampToParam(desc, 150), 100);
    EXPECT_EQ(clampToParam(desc, -5), 0);
    EXPECT_EQ(clampToParam(desc, 42.5f), 42.5f);
  }
  // The formula runs from min to max as stored.
  EXPECT_FLOAT_EQ(toNormalized(range(100, 0), 25), 0.75f);
  EXPECT_FLOAT_EQ(toNormalized(range(0, 100), 25), 0.25f);
}

TEST(ParamMapping, SnapsHalvesAwayFromZeroWhenSteppedOrAChoice) {
  ParamSpec wide = stepped(range(-10, 10));
  EXPECT_EQ(clampToParam(wide, 2.5f), 3);
  EXPECT_EQ(clampToParam(wide, -2.5f), -3);
  EXPECT_EQ(clampToParam(wide, 2.49f), 2);
  EXPECT_EQ(clampToParam(choice(), 1.5f), 2);
  EXPECT_EQ(clampToParam(range(-10, 10), 2.5f), 2.5f);
}

TEST(ParamMapping, AnEmptyRangeIsAlwaysAtZeroAndPositionsAreClamped) {
  for (const float v : {-3.0f, 5.0f, 7.0f}) EXPECT_EQ(toNormalized(range(5, 5), v), 0.0f);
  for (const ParamSpec& desc : {range(0, 10), curved(20, 20000, ParamCurve::Logarithmic)}) {
    EXPECT_EQ(fromNormalized(desc, 1.7f), fromNormalized(desc, 1.0f));
    EXPECT_EQ(fromNormalized(desc, -0.5f), fromNormalized(desc, 0.0f));
  }
}

TEST(ParamMapping, CurvesMapBothWays) {
  const ParamSpec log = curved(20, 20000, ParamCurve::Logarithmic);
  EXPECT_NEAR(fromNormalized(log, 0.5f), 632.46f, 0.01f);
  EXPECT_NEAR(toNormalized(log, 2000), 2.0f / 3.0f, 1e-6f);
  const ParamSpec power = curved(0, 1, ParamCurve::Power, 2.0f);
  EXPECT_FLOAT_EQ(fromNormalized(power, 0.5f), 0.25f);
  EXPECT_FLOAT_EQ(toNormalized(power, 0.25f), 0.5f);
  // Round trips over each curve.
  for (const ParamSpec& desc : {range(-3, 9), log, power, curved(10, 2, ParamCurve::Power, 3.0f)}) {
    for (int i = 0; i <= 20; ++i) {
      const float t = static_cast<float>(i) / 20.0f;
      SCOPED_TRACE(testing::Message() << static_cast<int>(desc.curve) << " t " << t);
      EXPECT_NEAR(toNormalized(desc, fromNormalized(desc, t)), t, 1e-5f);
    }
  }
}

TEST(ParamMapping, AnUnknownCurveGivesZeroAndTheStoredMinimum) {
  const ParamSpec desc = curved(3, 9, static_cast<ParamCurve>(7));
  EXPECT_EQ(toNormalized(desc, 6), 0.0f);
  EXPECT_EQ(fromNormalized(desc, 0.5f), 3.0f);
  EXPECT_EQ(fromNormalized(curved(9, 3, static_cast<ParamCurve>(7)), 0.5f), 9.0f);
}

TEST(FormatNumber, MatchesPrintfInTheCLocale) {
  std::mt19937 rng(108);
  std::uniform_real_distribution<float> magnitude(-7.0f, 7.0f);
  std::uniform_int_distribution<int> decimals(0, 9);
  for (int i = 0; i < 5000; ++i) {
    const float v = (i % 2 ? -1.0f : 1.0f) * std::pow(10.0f, magnitude(rng));
    const int d = decimals(rng);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.*f", d, static_cast<double>(v));
    std::string oracle = expected;
    if (oracle.find_first_not_of("-0.") == std::string::npos && oracle[0] == '-') oracle.erase(0, 1);
    SCOPED_TRACE(testing::Message() << v << " with " << d);
    EXPECT_EQ(formatNumber(v, d), oracle);
  }
}

TEST(FormatNumber, NegativeValuesThatShowAsZeroLoseTheirSign) {
  EXPECT_EQ(formatNumber(-0.001f, 2), "0.00");
  EXPECT_EQ(formatNumber(-0.0f, 0), "0");
  EXPECT_EQ(formatNumber(-0.4f, 0), "0");
  EXPECT_EQ(formatNumber(-0.00001f, 3), "0.000");
  EXPECT_EQ(formatNumber(-1.25f, 1).front(), '-');
  EXPECT_EQ(formatNumber(-0.006f, 2), "-0.01");
}

TEST(FormatNumber, IsCutAtSixtyThreeCharacters) {
  const std::string many = formatNumber(1.0f, 100);
  EXPECT_EQ(many.size(), 63u);
  EXPECT_EQ(many.substr(0, 4), "1.00");
  const std::string huge = formatNumber(3e38f, 40);
  EXPECT_EQ(huge.size(), 63u);
  EXPECT_EQ(huge.substr(0, 3), "300");
  EXPECT_EQ(formatNumber(-0.0f, 200), std::string("0.") + std::string(60, '0'));
  // The smallest float still shows a digit within the cut.
  EXPECT_NE(formatNumber(-1e-45f, 200).find('1'), std::string::npos);
}

struct FormatCase {
  const char* what;
  ParamSpec desc;
  float value;
  const char* text;
};

std::vector<FormatCase> formatCases() {
  return {
      {"plain 100+", range(-1000, 1000), 123.456f, "123"},
      {"plain 10+", range(-1000, 1000), 12.345f, "12.3"},
      {"plain small", range(-1000, 1000), 1.2345f, "1.23"},
      {"plain negative", range(-1000, 1000), -150.0f, "-150"},
      {"plain decimals", withDecimals(range(0, 10), 3), 1.5f, "1.500"},
      {"plain clamped, reversed range", range(100, 0), 150.0f, "100"},
      {"tempo", tempo(), 120.4f, "120"},
      {"hertz", range(0, 20000, ParamUnit::Hertz), 440.0f, "440 Hz"},
      {"hertz 10+", range(0, 20000, ParamUnit::Hertz), 44.5f, "44.5 Hz"},
      {"hertz small", range(0, 20000, ParamUnit::Hertz), 4.25f, "4.25 Hz"},
      {"kilohertz", range(0, 20000, ParamUnit::Hertz), 1500.0f, "1.50 kHz"},
      {"kilohertz 10+", range(0, 20000, ParamUnit::Hertz), 12000.0f, "12.0 kHz"},
      {"kilohertz ignores stepping", stepped(range(0, 20000, ParamUnit::Hertz)), 1500.0f, "1.50 kHz"},
      {"milliseconds", range(0, 10, ParamUnit::Seconds), 0.25f, "250 ms"},
      {"milliseconds 10+", range(0, 10, ParamUnit::Seconds), 0.0123f, "12.3 ms"},
      {"seconds", range(0, 10, ParamUnit::Seconds), 1.5f, "1.50 s"},
      {"seconds ignore decimals", withDecimals(range(0, 10, ParamUnit::Seconds), 0), 1.5f, "1.50 s"},
      {"percent", range(0, 1, ParamUnit::Percent), 0.5f, "50%"},
      {"percent rounds", range(0, 1, ParamUnit::Percent), 0.123f, "12%"},
      {"percent decimals", withDecimals(range(0, 1, ParamUnit::Percent), 1), 0.123f, "12.3%"},
      {"decibels", range(-60, 12, ParamUnit::Decibels), -6.0f, "-6.0 dB"},
      {"decibels stepped", stepped(range(-60, 12, ParamUnit::Decibels)), -6.4f, "-6 dB"},
      {"cents", range(-1200, 1200, ParamUnit::Cents), 12.34f, "12.3 ct"},
      {"semitones", range(-24, 24, ParamUnit::Semitones), 7.0f, "7 st"},
      {"semitones decimals", withDecimals(range(-24, 24, ParamUnit::Semitones), 2), 7.0f, "7.00 st"},
      {"custom label", swing(), 55.0f, "55 %"},
      {"custom without label", range(0, 100, ParamUnit::Custom), 55.5f, "55.5"},
      {"unknown unit", range(0, 10, static_cast<ParamUnit>(42)), 1.0f, "1.00"},
      {"unknown unit stepped", stepped(range(0, 10, static_cast<ParamUnit>(42))), 1.0f, "1"},
      {"choice rounds up", choice(), 1.6f, "High"},
      {"choice below", choice(), -3.0f, "Low"},
      {"choice above", choice(), 9.0f, "High"},
      {"min text at the minimum", withMinText(), 0.0f, "off"},
      {"min text below", withMinText(), -0.5f, "off"},
      {"min text above", withMinText(), 0.5f, "0.50"},
      {"negative that shows as zero", withDecimals(range(-1, 1), 2), -0.001f, "0.00"},
  };
}

TEST(FormatParamValue, ShowsEachUnitAsWritten) {
  for (const FormatCase& c : formatCases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(formatParamValue(c.desc, c.value), c.text);
  }
}

struct ParseCase {
  const char* what;
  ParamSpec desc;
  const char* text;
  std::optional<float> value;
};

constexpr float kInf = std::numeric_limits<float>::infinity();

std::vector<ParseCase> parseCases() {
  const ParamSpec hertz = range(0, 20000, ParamUnit::Hertz);
  const ParamSpec seconds = range(0, 10, ParamUnit::Seconds);
  const ParamSpec percent = range(0, 1000, ParamUnit::Percent);
  const ParamSpec wide = range(-10000, 10000);
  return {
      {"tempo above", tempo(), "250", 240.0f},
      {"tempo snaps", tempo(), "99.6", 100.0f},
      {"leading plus", tempo(), "+90", 90.0f},
      {"spaces around", tempo(), " \t 90 \r\n", 90.0f},
      {"reversed range", range(100, 0), "150", 100.0f},
      {"choice in another case", choice(), "BAND", 1.0f},
      {"choice unchanged", choice(), "high", 2.0f},
      {"min text in another case", withMinText(), "OFF", 0.0f},
      {"khz", hertz, "2khz", 2000.0f},
      {"kHz with a space", hertz, "2 kHz", 2000.0f},
      {"k", hertz, "2k", 2000.0f},
      {"hz", hertz, "2000hz", 2000.0f},
      {"k in a plain parameter", wide, "2.5k", std::nullopt},
      {"ms", seconds, "500ms", 0.5f},
      {"ms with a space", seconds, "300 ms", 0.3f},
      {"s", seconds, "2s", 2.0f},
      {"hz in seconds", seconds, "300 Hz", std::nullopt},
      {"ms in hertz", hertz, "300 ms", std::nullopt},
      {"bare percent", percent, "50", 0.5f},
      {"percent sign", percent, "50%", 0.5f},
      {"k in a percent parameter", percent, "0.5k", std::nullopt},
      {"percent sign in a plain fraction", range(0, 1), "50%", 0.5f},
      {"percent sign in a plain number", wide, "50%", std::nullopt},
      {"custom label before the table", swing(), "55%", 55.0f},
      {"custom label with spaces", swing(), " 60 % ", 60.0f},
      {"another unit than the custom label", swing(), "55 ms", std::nullopt},
      {"db", range(-60, 12, ParamUnit::Decibels), "-6db", -6.0f},
      {"ct", range(-100, 100, ParamUnit::Cents), "12 ct", 12.0f},
      {"st", range(-24, 24, ParamUnit::Semitones), "-7st", -7.0f},
      {"st in cents", range(-100, 100, ParamUnit::Cents), "7 st", std::nullopt},
      {"exponent", range(0, 2000), "1e3", 1000.0f},
      {"inf", range(0, 2000), "inf", 2000.0f},
      {"infinity", range(0, 2000), "Infinity", 2000.0f},
      {"minus inf", range(-5, 5), "-inf", -5.0f},
      {"beyond a float", range(0, 2000), "1e300", 2000.0f},
      {"empty", tempo(), "", std::nullopt},
      {"spaces only", tempo(), "   ", std::nullopt},
      {"word", tempo(), "abc", std::nullopt},
      {"bare exponent", tempo(), "1e", std::nullopt},
      {"two signs", tempo(), "--1", std::nullopt},
      {"trailing letters", tempo(), "12abc", std::nullopt},
      {"two numbers", tempo(), "1 2", std::nullopt},
      {"suffix only", hertz, "khz", std::nullopt},
      {"two pluses", tempo(), "++5", std::nullopt},
      {"nan", range(0, 1), "nan", std::nullopt},
      {"nan with a unit", range(0, 1, ParamUnit::Hertz), "NaN Hz", std::nullopt},
      {"beyond a double", range(0, 1), "1e999", std::nullopt},
  };
}

void expectParses(const ParseCase& c) {
  SCOPED_TRACE(testing::Message() << c.what << ": \"" << c.text << "\"");
  const std::optional<float> got = parseParamText(c.desc, c.text);
  ASSERT_EQ(got.has_value(), c.value.has_value());
  if (c.value) {
    EXPECT_FLOAT_EQ(*got, *c.value);
  }
}

TEST(ParseParamText, ReadsTypedTextAsWritten) {
  for (const ParseCase& c : parseCases()) expectParses(c);
}

// A number with a unit the parameter cannot read is refused with the
// units it takes; text that is no number at all, or reads, has no word.
TEST(ParseParamText, AUnitItCannotReadIsRefusedWithAWord) {
  struct Case {
    ParamSpec desc;
    const char* text;
    const char* word;
  };
  const Case cases[] = {
      {range(0, 10, ParamUnit::Seconds), "300 Hz", "s or ms"},
      {range(0, 20000, ParamUnit::Hertz), "2 s", "Hz or kHz"},
      {range(0, 1, ParamUnit::Percent), "5 dB", "in %"},
      {range(-24, 24, ParamUnit::Semitones), "3 ct", "in st"},
      {tempo(), "120 bpm", "a number"},
      {range(0, 1), "0.5 s", "0-1 or %"},
      {tempo(), "120", ""},
      {tempo(), "abc", ""},
      {range(0, 10, ParamUnit::Seconds), "300 ms", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(paramTextRefusal(c.desc, c.text), c.word);
    EXPECT_EQ(parseParamText(c.desc, c.text).has_value(), *c.word == '\0' && c.text != std::string("abc"));
  }
}

// The place value of the last digit the text shows, in the parameter's own
// units: a number shown in kHz, ms or percent is scaled back.
double shownStep(const std::string& text, ParamUnit unit) {
  const std::size_t point = text.find('.');
  const std::size_t numberEnd = text.find_first_not_of("-0123456789.");
  int decimals = 0;
  if (point != std::string::npos)
    decimals = static_cast<int>((numberEnd == std::string::npos ? text.size() : numberEnd) - point - 1);
  double scaleBack = 1.0;
  if (text.ends_with(" kHz")) scaleBack = 1000.0;
  if (text.ends_with(" ms")) scaleBack = 0.001;
  if (unit == ParamUnit::Percent) scaleBack = 0.01;
  return std::pow(10.0, -decimals) * scaleBack;
}

TEST(ValueText, EveryUnitReadsBackItsOwnTextWithinTheShownPrecision) {
  struct Unit {
    const char* what;
    ParamSpec desc;
  };
  ParamSpec bars = range(0, 100, ParamUnit::Custom);
  bars.unitLabel = "bars";
  const Unit units[] = {
      {"plain", range(-1000, 1000)},
      {"hertz", range(20, 20000, ParamUnit::Hertz)},
      {"seconds", range(0.001f, 10, ParamUnit::Seconds)},
      {"percent", range(0, 1, ParamUnit::Percent)},
      {"decibels", range(-60, 12, ParamUnit::Decibels)},
      {"cents", range(-1200, 1200, ParamUnit::Cents)},
      {"semitones", range(-24, 24, ParamUnit::Semitones)},
      {"custom", bars},
      {"custom percent label", swing()},
      {"unknown", range(-5, 5, static_cast<ParamUnit>(99))},
      {"stepped hertz", stepped(range(20, 20000, ParamUnit::Hertz))},
      {"min text", withMinText()},
  };
  std::mt19937 rng(111);
  for (const Unit& unit : units) {
    SCOPED_TRACE(unit.what);
    std::uniform_real_distribution<float> pick(unit.desc.min, unit.desc.max);
    for (int i = 0; i < 500; ++i) {
      const float v = clampToParam(unit.desc, i == 0 ? unit.desc.min : pick(rng));
      const std::string text = formatParamValue(unit.desc, v);
      SCOPED_TRACE(testing::Message() << v << " shown as " << text);
      const std::optional<float> back = parseParamText(unit.desc, text);
      ASSERT_TRUE(back.has_value());
      const double tolerance = 0.5 * shownStep(text, unit.desc.unit) + 1e-6 * std::fabs(v);
      EXPECT_LE(std::fabs(static_cast<double>(*back) - v), tolerance);
    }
  }
}

TEST(ValueText, ACommaDecimalLocaleChangesNoText) {
  const ob::test::CommaDecimalLocale comma;
  if (!comma.active()) GTEST_SKIP() << "no comma-decimal locale available";
  for (const FormatCase& c : formatCases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(formatParamValue(c.desc, c.value), c.text);
  }
  for (const ParseCase& c : parseCases()) expectParses(c);
  // What a host's locale would have written is not a number here.
  EXPECT_FALSE(parseParamText(range(0, 200), "120,5").has_value());
  EXPECT_EQ(parseParamText(range(0, 200), "120.5"), 120.5f);
}

}  // namespace value_text_test
}  // namespace orbi::ui
