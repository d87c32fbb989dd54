#include "ui/draw/waveform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/draw_harness.h"
#include "ui/draw/draw_log.h"

namespace orbi::ui {
namespace waveform_test {

constexpr double kRate = 48000.0;
constexpr Rect kRect{0, 0, 480, 200};  // centre line at y 100, half height 100

std::vector<float> noise(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> value(-1.0f, 1.0f);
  std::vector<float> samples(n);
  for (float& s : samples) s = value(rng);
  return samples;
}

Axis linearSeconds(float lo, float hi, const Rect& rect = kRect) {
  return {AxisKind::Linear, lo, hi, rect.x, rect.x + rect.width};
}

// What one drawWaveform call put in the draw log.
struct Drawn {
  std::vector<DrawRecord> records;

  std::vector<const DrawRecord*> of(DrawOp op) const {
    std::vector<const DrawRecord*> found;
    for (const DrawRecord& r : records)
      if (r.op == op) found.push_back(&r);
    return found;
  }
  // A copy: binding it to a reference keeps it alive past the Drawn.
  DrawRecord only(DrawOp op) const {
    const auto found = of(op);
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? DrawRecord{} : *found[0];
  }
};

Drawn draw(UiHarness& harness, const Rect& rect, const Axis& axis, const WaveOverview& overview,
           const WaveformStyle& style) {
  Drawn drawn;
  harness.frame([&] { drawWaveform(ImGui::GetWindowDrawList(), rect, axis, overview, style); });
  drawn.records.assign(harness.drawLog().records().begin(), harness.drawLog().records().end());
  return drawn;
}

class Waveform : public testing::Test {
 protected:
  UiHarness harness;
  std::vector<float> second = noise(48000, 7);
  WaveOverview overview{second, kRate};
  WaveformStyle style;

  Drawn drawOn(const Axis& axis) { return draw(harness, kRect, axis, overview, style); }
};

float yOf(float value) { return 100.0f - value * 100.0f; }
// Pixels: the drawing computes in double, the expectations in float.
constexpr float kPixelTolerance = 1e-4f;

TEST_F(Waveform, OneSecondOverFourHundredEightyPixelsGivesColumnsOfAHundredSamples) {
  const DrawRecord& band = drawOn(linearSeconds(0, 1)).only(DrawOp::FillBand);
  ASSERT_EQ(band.points.size(), 480u);
  EXPECT_EQ(band.width, 1.0f);
  for (std::size_t x = 0; x < 480; ++x) {
    SCOPED_TRACE(x);
    const auto first = second.begin() + 100 * x;
    const auto [lo, hi] = std::minmax_element(first, first + 100);
    EXPECT_EQ(band.points[x].x, static_cast<float>(x));
    EXPECT_NEAR(band.points[x].y, yOf(*hi), kPixelTolerance);
    EXPECT_NEAR(band.partners[x].y, yOf(*lo), kPixelTolerance);
  }
}

TEST_F(Waveform, FiveMillisecondsOverFourHundredEightyPixelsIsALineThroughEverySample) {
  const DrawRecord& line = drawOn(linearSeconds(0, 0.005f)).only(DrawOp::Polyline);
  ASSERT_EQ(line.points.size(), 241u);
  EXPECT_EQ(line.width, 1.5f);
  for (std::size_t i = 0; i < 241; ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(line.points[i].x, 2.0f * i, 1e-3f);
    EXPECT_NEAR(line.points[i].y, yOf(second[i]), kPixelTolerance);
  }
}

// What a drawing reports as its ink is what it drew: the columns, or the
// line when zoomed in; nothing when it drew nothing.
TEST_F(Waveform, TheInkReportedIsWhatWasDrawn) {
  for (const float seconds : {1.0f, 0.005f}) {
    SCOPED_TRACE(seconds);
    WaveformInk ink;
    ink.line = {ImVec2(1.0f, 1.0f)};  // what an earlier drawing left
    harness.frame([&] {
      drawWaveform(ImGui::GetWindowDrawList(), kRect, linearSeconds(0, seconds), overview, style, &ink);
    });
    const auto bands = harness.drawLog().find(DrawOp::FillBand);
    const auto lines = harness.drawLog().find(DrawOp::Polyline);
    ASSERT_EQ(bands.size() + lines.size(), 1u);
    if (!bands.empty()) {
      EXPECT_TRUE(ink.line.empty());
      ASSERT_EQ(ink.tops.size(), bands[0]->points.size());
      ASSERT_EQ(ink.bottoms.size(), bands[0]->partners.size());
      EXPECT_EQ(ink.x0, bands[0]->points[0].x);
      for (std::size_t i = 0; i < ink.tops.size(); ++i) {
        EXPECT_EQ(ink.tops[i], bands[0]->points[i].y);
        EXPECT_EQ(ink.bottoms[i], bands[0]->partners[i].y);
      }
    } else {
      EXPECT_TRUE(ink.tops.empty());
      ASSERT_EQ(ink.line.size(), lines[0]->points.size());
      for (std::size_t i = 0; i < ink.line.size(); ++i) {
        EXPECT_EQ(ink.line[i].x, lines[0]->points[i].x);
        EXPECT_EQ(ink.line[i].y, lines[0]->points[i].y);
      }
    }
  }
  WaveformInk none;
  none.tops = {1.0f};
  harness.frame(
      [&] { drawWaveform(ImGui::GetWindowDrawList(), kRect, linearSeconds(5, 6), overview, style, &none); });
  EXPECT_TRUE(none.tops.empty() && none.line.empty());
}

TEST_F(Waveform, SpeedAndStartTimeMoveAndShrinkTheSpan) {
  struct Case {
    double speed, startTime;
    float firstColumn;
    std::size_t columns;
  };
  for (const Case& c : {Case{2.0, 0.0, 0, 240}, Case{1.0, 0.25, 120, 360}, Case{4.0, 0.5, 240, 120}}) {
    SCOPED_TRACE(testing::Message() << "speed " << c.speed << " start " << c.startTime);
    style.speed = c.speed;
    style.startTime = c.startTime;
    const DrawRecord& band = drawOn(linearSeconds(0, 1)).only(DrawOp::FillBand);
    ASSERT_EQ(band.points.size(), c.columns);
    EXPECT_EQ(band.points[0].x, c.firstColumn);
    // Each column holds 100 x speed samples from the start.
    const auto perColumn = static_cast<std::size_t>(100.0 * c.speed);
    const auto [lo, hi] = std::minmax_element(second.begin(), second.begin() + perColumn);
    EXPECT_NEAR(band.points[0].y, yOf(*hi), kPixelTolerance);
    EXPECT_NEAR(band.partners[0].y, yOf(*lo), kPixelTolerance);
  }
}

TEST_F(Waveform, ASpanOutsideTheRectDrawsNothing) {
  for (const double start : {1.0, 2.0, -1.0, -5.0}) {
    SCOPED_TRACE(start);
    style.startTime = start;
    EXPECT_TRUE(drawOn(linearSeconds(0, 1)).records.empty());
  }
}

TEST_F(Waveform, NothingForAnEmptyRangeAndTheEndIsCutAtTheCount) {
  style.from = 100;
  style.to = 100;
  EXPECT_TRUE(drawOn(linearSeconds(0, 1)).records.empty());
  style.from = 60000;
  style.to = 70000;
  EXPECT_TRUE(drawOn(linearSeconds(0, 1)).records.empty());

  style.from = 0;
  style.to = 48000;
  const Drawn whole = drawOn(linearSeconds(0, 2));
  style.to = 1000000;
  const Drawn cut = drawOn(linearSeconds(0, 2));
  const DrawRecord& a = whole.only(DrawOp::FillBand);
  const DrawRecord& b = cut.only(DrawOp::FillBand);
  ASSERT_EQ(a.points.size(), 240u);
  ASSERT_EQ(b.points.size(), 240u);
  for (std::size_t i = 0; i < 240; ++i) {
    EXPECT_EQ(a.points[i].y, b.points[i].y);
    EXPECT_EQ(a.partners[i].y, b.partners[i].y);
  }
}

TEST_F(Waveform, NothingWithoutSamplesRateSpeedOrRoom) {
  const WaveOverview empty;
  EXPECT_TRUE(draw(harness, kRect, linearSeconds(0, 1), empty, style).records.empty());
  const WaveOverview noRate(second, 0.0);
  EXPECT_TRUE(draw(harness, kRect, linearSeconds(0, 1), noRate, style).records.empty());
  for (const double speed : {0.0, -1.0}) {
    style.speed = speed;
    EXPECT_TRUE(drawOn(linearSeconds(0, 1)).records.empty());
  }
  style.speed = 1.0;
  EXPECT_TRUE(draw(harness, {0, 0, 0, 200}, linearSeconds(0, 1), overview, style).records.empty());
  EXPECT_TRUE(draw(harness, {0, 0, 480, -5}, linearSeconds(0, 1), overview, style).records.empty());
}

TEST_F(Waveform, SamplesBeyondFullScaleAreClippedToTheRect) {
  std::vector<float> loud(48000);
  for (std::size_t i = 0; i < loud.size(); ++i) loud[i] = (i % 2 ? 3.0f : -2.5f);
  const WaveOverview louder(loud, kRate);
  const DrawRecord& band = draw(harness, kRect, linearSeconds(0, 1), louder, style).only(DrawOp::FillBand);
  for (std::size_t x = 0; x < band.points.size(); ++x) {
    EXPECT_EQ(band.points[x].y, kRect.y);
    EXPECT_EQ(band.partners[x].y, kRect.y + kRect.height);
  }
  const DrawRecord& line =
      draw(harness, kRect, linearSeconds(0, 0.005f), louder, style).only(DrawOp::Polyline);
  for (const ImVec2& p : line.points) EXPECT_TRUE(p.y == kRect.y || p.y == kRect.y + kRect.height) << p.y;
}

TEST_F(Waveform, SilenceDrawsOnePixelColumnsOnTheCentreLine) {
  const std::vector<float> silence(48000, 0.0f);
  const WaveOverview quiet(silence, kRate);
  std::vector<ImDrawVert> vertices;
  harness.frame([&] {
    ImDrawList* dl = ImGui::GetWindowDrawList();
    const int before = dl->VtxBuffer.Size;
    drawWaveform(dl, kRect, linearSeconds(0, 1), quiet, style);
    vertices.assign(dl->VtxBuffer.Data + before, dl->VtxBuffer.Data + dl->VtxBuffer.Size);
  });
  ASSERT_EQ(vertices.size(), 480u * 4);
  for (std::size_t c = 0; c < 480; ++c) {
    const ImVec2 top = vertices[4 * c].pos, bottom = vertices[4 * c + 2].pos;
    EXPECT_EQ(bottom.y - top.y, 1.0f);
    EXPECT_EQ((bottom.y + top.y) / 2.0f, 100.0f);
    EXPECT_EQ(bottom.x - top.x, 1.0f);
  }
}

TEST_F(Waveform, AReversedAxisDrawsTheMirrorImage) {
  // Columns: the reversed axis' column x is the forward axis' column 479 - x.
  const Drawn forward = drawOn(linearSeconds(0, 1));
  const Drawn reversed = drawOn(linearSeconds(1, 0));
  const DrawRecord& f = forward.only(DrawOp::FillBand);
  const DrawRecord& r = reversed.only(DrawOp::FillBand);
  ASSERT_EQ(f.points.size(), 480u);
  ASSERT_EQ(r.points.size(), 480u);
  for (std::size_t x = 0; x < 480; ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(r.points[x].y, f.points[479 - x].y);
    EXPECT_EQ(r.partners[x].y, f.partners[479 - x].y);
  }
  // Lines: the same points, x mirrored about the centre of the rect.
  const DrawRecord& fl = drawOn(linearSeconds(0, 0.005f)).only(DrawOp::Polyline);
  const DrawRecord rl = drawOn(linearSeconds(0.005f, 0)).only(DrawOp::Polyline);
  ASSERT_EQ(fl.points.size(), rl.points.size());
  for (std::size_t i = 0; i < fl.points.size(); ++i) {
    EXPECT_NEAR(rl.points[i].x, 480.0f - fl.points[i].x, 1e-3f);
    EXPECT_EQ(rl.points[i].y, fl.points[i].y);
  }
}

TEST_F(Waveform, OutlineModeDrawsATranslucentBandAndItsTwoEdges) {
  style.mode = WaveformMode::Outline;
  style.colour = 0xFF8DC63F;
  const Drawn drawn = drawOn(linearSeconds(0, 1));
  const DrawRecord& fill = drawn.only(DrawOp::FillBetween);
  EXPECT_EQ(fill.colour, 0x598DC63Fu);  // alpha 255 x 0.35, rounded
  const auto edges = drawn.of(DrawOp::Polyline);
  ASSERT_EQ(edges.size(), 2u);
  ASSERT_EQ(fill.points.size(), 480u);
  for (std::size_t x = 0; x < 480; ++x) {
    EXPECT_EQ(fill.points[x].x, x + 0.5f);
    EXPECT_EQ(edges[0]->points[x].y, fill.points[x].y);
    EXPECT_EQ(edges[1]->points[x].y, fill.partners[x].y);
  }
  EXPECT_EQ(edges[0]->width, 1.0f);
  EXPECT_EQ(edges[0]->colour, 0xFF8DC63Fu);
}

TEST_F(Waveform, GainAndTheGainCurveScaleTheAmplitude) {
  std::vector<float> half(48000, 0.5f);
  const WaveOverview steady(half, kRate);
  style.height = 0.8f;
  style.gain = 2.0f;
  // Silent after a quarter of a second of sample time.
  style.gainAt = [](double seconds) { return seconds < 0.25 ? 1.0f : 0.0f; };
  style.speed = 0.5;  // the quarter second of sample lands at half a second on the axis
  const DrawRecord& band = draw(harness, kRect, linearSeconds(0, 1), steady, style).only(DrawOp::FillBand);
  ASSERT_EQ(band.points.size(), 480u);
  EXPECT_FLOAT_EQ(band.points[10].y, 100.0f - 0.5f * 2.0f * 100.0f * 0.8f);
  EXPECT_FLOAT_EQ(band.points[470].y, 100.0f);
  EXPECT_FLOAT_EQ(band.points[238].y, band.points[10].y);
  EXPECT_FLOAT_EQ(band.points[242].y, 100.0f);
}

TEST_F(Waveform, ALogarithmicAxisOfTenSecondsDrawsEverySampleOfItsLine) {
  const std::vector<float> tenSeconds = noise(480000, 11);
  const WaveOverview longer(tenSeconds, kRate);
  const Rect rect{0, 0, 500, 200};
  const Axis axis{AxisKind::Logarithmic, 0.001f, 10.0f, 0.0f, 500.0f};
  ImDrawList* dl = nullptr;
  harness.frame([&] {
    dl = ImGui::GetWindowDrawList();
    drawWaveform(dl, rect, axis, longer, style);
  });
  const auto lines = harness.drawLog().find(DrawOp::Polyline);
  ASSERT_EQ(lines.size(), 1u);
  // Samples 48 (at 1 ms, the left edge) to the last one, 479,999.
  const auto& points = lines[0]->points;
  ASSERT_EQ(points.size(), 479952u);
  EXPECT_NEAR(points.front().x, 0.0f, 1e-3f);
  EXPECT_NEAR(points.back().x, 500.0f, 1e-3f);
  for (std::size_t i = 1; i < points.size(); i += 997) EXPECT_GE(points[i].x, points[i - 1].x);
  // Every vertex of the line is reached by an index, none past the end.
  const test::IndexReach reach = test::indexReach(*dl);
  EXPECT_EQ(reach.pastTheEnd, 0);
  EXPECT_EQ(std::count(reach.perVertex.begin(), reach.perVertex.end(), 0), 0);
}

TEST(Axis, MapsValuesToPixelsAndBackOnBothKinds) {
  const Axis axes[] = {
      {AxisKind::Linear, 0.0f, 2.0f, 10.0f, 410.0f},
      {AxisKind::Linear, 2.0f, 0.0f, 10.0f, 410.0f},
      {AxisKind::Logarithmic, 0.001f, 10.0f, 0.0f, 500.0f},
      {AxisKind::Logarithmic, 20000.0f, 20.0f, 300.0f, 0.0f},
  };
  for (const Axis& axis : axes) {
    SCOPED_TRACE(testing::Message() << axis.lo << ".." << axis.hi);
    EXPECT_NEAR(valueToPixel(axis, axis.lo), axis.pixelLo, 1e-3);
    EXPECT_NEAR(valueToPixel(axis, axis.hi), axis.pixelHi, 1e-3);
    for (int i = 0; i <= 20; ++i) {
      const double p = axis.pixelLo + (axis.pixelHi - axis.pixelLo) * i / 20.0;
      EXPECT_NEAR(valueToPixel(axis, positionToValue(axis, p)), p, 1e-3);
    }
    // Positions beyond the span clamp to the ends, whichever end is larger.
    const double beyondLo = axis.pixelLo - (axis.pixelHi - axis.pixelLo);
    const double beyondHi = axis.pixelHi + (axis.pixelHi - axis.pixelLo);
    EXPECT_FLOAT_EQ(static_cast<float>(positionToValue(axis, beyondLo)), axis.lo);
    EXPECT_FLOAT_EQ(static_cast<float>(positionToValue(axis, beyondHi)), axis.hi);
  }
  const Axis flat{AxisKind::Linear, 3.0f, 3.0f, 0.0f, 100.0f};
  EXPECT_EQ(valueToUnit(flat, 7.0), 0.0);
  const Axis noSpan{AxisKind::Linear, 1.0f, 4.0f, 50.0f, 50.0f};
  EXPECT_EQ(positionToValue(noSpan, 80.0), 1.0);
  // The logarithmic axis takes 0 as 1e-12, not as minus infinity.
  EXPECT_TRUE(std::isfinite(valueToUnit(axes[2], 0.0)));
}

}  // namespace waveform_test
}  // namespace orbi::ui
