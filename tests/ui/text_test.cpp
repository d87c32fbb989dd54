#include "ui/draw/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/draw_harness.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/utf8.h"

namespace orbi::ui {
namespace text_test {

using test::verticesDrawnBy;

const std::string kEllipsis = "\xE2\x80\xA6";

// One glyph's width measured straight from its face, independent of the
// text functions.
float glyphAdvance(const ImFont* face, float size, const std::string& c) {
  return face->CalcTextSizeA(size, FLT_MAX, 0.0f, c.data(), c.data() + c.size()).x;
}

// The glyph quads a text drew: four vertices each. Dear ImGui puts each run
// of text at whole pixels, rounding its origin down.
struct Quad {
  ImVec2 min, max, uvMin;
};
std::vector<Quad> quads(const std::vector<ImDrawVert>& vertices) {
  std::vector<Quad> out;
  for (std::size_t i = 0; i + 3 < vertices.size(); i += 4)
    out.push_back({vertices[i].pos, vertices[i + 2].pos, vertices[i].uv});
  return out;
}

bool sameUv(ImVec2 uv, const ImFontGlyph* glyph) { return glyph && uv.x == glyph->U0 && uv.y == glyph->V0; }

TEST(Utf8, CharactersRunAsTheirLeadByteSaysAndStopAtTheEnd) {
  EXPECT_EQ(utf8CharLength("a", 0), 1u);
  EXPECT_EQ(utf8CharLength("\xC3\xA9", 0), 2u);
  EXPECT_EQ(utf8CharLength("\xE2\x80\xA6", 0), 3u);
  EXPECT_EQ(utf8CharLength("\xF0\x9F\x98\x80", 0), 4u);
  EXPECT_EQ(utf8CharLength("\x80", 0), 1u);                           // a stray continuation byte
  EXPECT_EQ(utf8CharLength("\xFF", 0), 1u);                           // no lead byte at all
  EXPECT_EQ(utf8CharLength(std::string_view("\xE2\x80", 2), 0), 2u);  // cut at the end
  std::vector<std::size_t> lengths;
  forEachUtf8Char("a\xC3\xA9\xE2\x80\xA6z", [&](std::size_t, std::size_t n) { lengths.push_back(n); });
  EXPECT_EQ(lengths, (std::vector<std::size_t>{1, 2, 3, 1}));
}

TEST(Text, HeadingMacrosIsDrawnInCapitalsWithFiveTrackings) {
  UiHarness harness(1.5f);
  harness.frame([] {
    const SizedFont font = styleFont(TextStyle::Heading);
    float letters = 0.0f;
    for (std::string c : {"M", "A", "C", "R", "O", "S"}) letters += glyphAdvance(font.face, 21.0f, c);
    EXPECT_FLOAT_EQ(measureText("Macros", TextStyle::Heading).x, letters + 5 * 1.1f * 1.5f);
    EXPECT_EQ(measureText("Macros", TextStyle::Heading).y, 21.0f);
  });
  const auto vertices = verticesDrawnBy(harness, [](ImDrawList* dl) {
    drawTextAt(dl, {100, 50}, "Macros", TextStyle::Heading, 0xFFFFFFFF);
  });
  harness.frame([&] {
    const ImFont* face = styleFont(TextStyle::Heading).face;
    const auto drawn = quads(vertices);
    ASSERT_EQ(drawn.size(), 6u);
    EXPECT_TRUE(sameUv(drawn[0].uvMin, face->FindGlyph('M')));
    EXPECT_TRUE(sameUv(drawn[5].uvMin, face->FindGlyph('S')));
    // Each letter starts one advance plus the tracking after the last.
    const float secondOrigin = 100.0f + glyphAdvance(face, 21.0f, "M") + 1.1f * 1.5f;
    EXPECT_NEAR(drawn[1].min.x, std::floor(secondOrigin) + face->FindGlyph('A')->X0, 1e-3f);
  });
}

TEST(Text, TextWidthAddsTrackingBetweenCharactersOnly) {
  UiHarness harness;
  harness.frame([] {
    const SizedFont font = styleFont(TextStyle::Body);
    const float a = textWidth(font, "a", 0.0f), b = textWidth(font, "b", 0.0f);
    EXPECT_FLOAT_EQ(textWidth(font, "ab", 3.0f), a + b + 3.0f);
    EXPECT_FLOAT_EQ(textWidth(font, "a", 3.0f), a);
    EXPECT_EQ(textWidth(font, "", 3.0f), 0.0f);
    // Below one pixel the width shrinks with the size.
    EXPECT_FLOAT_EQ(textWidth({font.face, 0.5f}, "ab", 0.0f),
                    textWidth({font.face, 1.0f}, "ab", 0.0f) * 0.5f);
  });
}

TEST(Text, FitKeepsTextThatIsAtMostHalfAPixelTooWide) {
  UiHarness harness;
  harness.frame([] {
    for (TextStyle style : {TextStyle::Body, TextStyle::Heading, TextStyle::MonoLarge}) {
      SCOPED_TRACE(static_cast<int>(style));
      const std::string text = "Sample rate";
      const float w = measureText(text, style).x;
      const TextFit inside = fitTextToWidth(text, style, w - 0.45f);
      EXPECT_EQ(inside.bytes, text.size());
      EXPECT_FALSE(inside.truncated);
      const TextFit cut = fitTextToWidth(text, style, w - 0.55f);
      EXPECT_TRUE(cut.truncated);
      EXPECT_LT(cut.bytes, text.size());
    }
  });
}

// Random labels of one-, two-, three- and four-byte characters.
std::string randomLabel(std::mt19937& rng) {
  static const char* pieces[] = {
      "a", "W", " ", "\xC3\xA9", "\xC3\x9F", "\xE2\x80\x94", "\xE2\x96\xBE", "\xF0\x9F\x98\x80", "i"};
  std::uniform_int_distribution<int> length(0, 24), pick(0, 8);
  std::string s;
  for (int n = length(rng); n > 0; --n) s += pieces[pick(rng)];
  return s;
}

TEST(Text, FitNeverSplitsACharacterAndThePrefixPlusEllipsisFits) {
  UiHarness harness;
  harness.frame([] {
    std::mt19937 rng(2024);
    std::uniform_real_distribution<float> widths(-5.0f, 200.0f);
    for (int trial = 0; trial < 2000; ++trial) {
      const TextStyle style = static_cast<TextStyle>(trial % kTextStyleCount);
      const std::string text = randomLabel(rng);
      const float width = widths(rng);
      SCOPED_TRACE(testing::Message()
                   << "style " << static_cast<int>(style) << " width " << width << " text " << text);
      const TextFit fit = fitTextToWidth(text, style, width);
      // Wrapped, each line shows whole (or is one character) from the start
      // of a character, and only blanks are dropped.
      std::string kept, blankless = text;
      for (const std::string_view line : wrapText(text, style, width)) {
        EXPECT_TRUE(!fitTextToWidth(line, style, width).truncated || utf8CharLength(line, 0) == line.size());
        EXPECT_NE(static_cast<unsigned char>(line[0]) & 0xC0u, 0x80u);
        kept += line;
      }
      std::erase(kept, ' ');
      std::erase(blankless, ' ');
      EXPECT_EQ(kept, blankless);
      ASSERT_LE(fit.bytes, text.size());
      if (fit.bytes < text.size()) {
        ASSERT_NE(static_cast<unsigned char>(text[fit.bytes]) & 0xC0u, 0x80u);
      }
      if (!fit.truncated) {
        EXPECT_EQ(fit.bytes, text.size());
        EXPECT_LE(measureText(text, style).x, width + 0.5f);
        continue;
      }
      const std::string prefix = text.substr(0, fit.bytes);
      if (!prefix.empty()) {
        EXPECT_LE(measureText(prefix + kEllipsis, style).x, width + 1e-3f);
      }
      // One character more would not fit.
      const std::size_t next = fit.bytes + utf8CharLength(text, fit.bytes);
      EXPECT_GT(measureText(text.substr(0, next) + kEllipsis, style).x, width);
    }
  });
}

TEST(Text, DrawTextEndsACutTextInAnEllipsisWithinTheRect) {
  UiHarness harness;
  const Rect rect{100, 100, 80, 20};
  const std::string text = "A rather long label that cannot fit";
  const auto vertices = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    drawText(dl, rect, text, TextStyle::Body, 0xFFFFFFFF, TextAlign::Right);
  });
  harness.frame([&] {
    const ImFont* face = styleFont(TextStyle::Body).face;
    const auto drawn = quads(vertices);
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_TRUE(sameUv(drawn.back().uvMin, face->FindGlyph(0x2026)));
    EXPECT_TRUE(sameUv(drawn.front().uvMin, face->FindGlyph('A')));
    // Right-aligned: the prefix and its ellipsis end at the rect's right edge.
    const TextFit fit = fitTextToWidth(text, TextStyle::Body, rect.width);
    const float shown = measureText(text.substr(0, fit.bytes) + kEllipsis, TextStyle::Body).x;
    EXPECT_LE(shown, rect.width);
    const std::string prefix = text.substr(0, fit.bytes);
    const auto blanks = static_cast<std::size_t>(std::count(prefix.begin(), prefix.end(), ' '));
    EXPECT_EQ(drawn.size(), prefix.size() - blanks + 1);  // blanks draw no quad
    EXPECT_NEAR(drawn.front().min.x, std::floor(rect.x + rect.width - shown) + face->FindGlyph('A')->X0,
                1e-3f);
  });
  const auto tiny = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    drawText(dl, {100, 100, 2, 20}, "Label", TextStyle::Body, 0xFFFFFFFF);
  });
  harness.frame([&] {
    const auto drawn = quads(tiny);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_TRUE(sameUv(drawn[0].uvMin, styleFont(TextStyle::Body).face->FindGlyph(0x2026)));
  });
}

TEST(Text, DrawTextAlignsAcrossAndCentresDown) {
  UiHarness harness(2.0f);
  const Rect rect{10, 20, 300, 60};
  for (TextAlign align : {TextAlign::Left, TextAlign::Centre, TextAlign::Right, static_cast<TextAlign>(9)}) {
    SCOPED_TRACE(static_cast<int>(align));
    const auto vertices = verticesDrawnBy(
        harness, [&](ImDrawList* dl) { drawText(dl, rect, "Lo", TextStyle::Title, 0xFFFFFFFF, align); });
    harness.frame([&] {
      const ImFont* face = styleFont(TextStyle::Title).face;
      const float w = measureText("Lo", TextStyle::Title).x;
      const float x = align == TextAlign::Centre  ? rect.x + (rect.width - w) / 2
                      : align == TextAlign::Right ? rect.x + rect.width - w
                                                  : rect.x;
      const float y = rect.y + (rect.height - 44.0f) / 2;
      const ImFontGlyph* l = face->FindGlyph('L');
      const auto drawn = quads(vertices);
      ASSERT_EQ(drawn.size(), 2u);
      EXPECT_NEAR(drawn[0].min.x, std::floor(x) + l->X0, 1e-3f);
      EXPECT_NEAR(drawn[0].min.y, std::floor(y) + l->Y0, 1e-3f);
    });
  }
}

TEST(Text, TrackedTextBelowOnePixelOrEmptyDrawsNothing) {
  UiHarness harness;
  EXPECT_TRUE(verticesDrawnBy(harness, [](ImDrawList* dl) {
                const SizedFont font = styleFont(TextStyle::Body);
                drawTrackedText(dl, {font.face, 0.9f}, {0, 0}, "abc", 0.0f, IM_COL32_WHITE);
                drawTrackedText(dl, font, {0, 0}, "", 2.0f, IM_COL32_WHITE);
              }).empty());
  const auto log = harness.drawLog().find(DrawOp::TrackedText);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0]->fontSize, 0.9f);
  EXPECT_EQ(log[0]->colour, 0xFFFFFFFFu);
}

TEST(Text, PushedStyleRendersAtItsSizeUnderAScaleFactorAndPopRestores) {
  UiHarness harness(1.5f);
  harness.frame([&] {
    const ImFont* face = styleFont(TextStyle::Title).face;
    pushTextStyle(TextStyle::Title);
    EXPECT_EQ(ImGui::GetFont(), face);
    EXPECT_FLOAT_EQ(ImGui::GetFontSize(), 33.0f);
    harness.ui().pushScale(0.5f);
    pushTextStyle(TextStyle::Title);
    EXPECT_FLOAT_EQ(ImGui::GetFontSize(), 16.5f);
    harness.ui().pushScale(0.01f);
    pushTextStyle(TextStyle::Title);
    EXPECT_FLOAT_EQ(ImGui::GetFontSize(), 1.0f);  // never below one pixel
    popTextStyle();
    harness.ui().popScale();
    EXPECT_FLOAT_EQ(face->Scale, 0.5f);
    popTextStyle();
    harness.ui().popScale();
    EXPECT_FLOAT_EQ(face->Scale, 1.0f);
    EXPECT_FLOAT_EQ(ImGui::GetFontSize(), 33.0f);
    popTextStyle();
    EXPECT_EQ(ImGui::GetFont(), fontFor(0));
    popTextStyle();  // one pop too many does nothing
    EXPECT_EQ(ImGui::GetFont(), fontFor(0));
  });
}

TEST(Text, DrawLogKeepsTheCallersTextStyleAndAlignment) {
  UiHarness harness;
  harness.frame([] {
    drawText(ImGui::GetWindowDrawList(), {1, 2, 30, 40}, "Gain", TextStyle::MonoValue, 0xFF8DC63F,
             TextAlign::Centre);
  });
  const auto texts = harness.drawLog().find(DrawOp::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, "Gain");
  EXPECT_EQ(texts[0]->style, TextStyle::MonoValue);
  EXPECT_EQ(texts[0]->alignment, TextAlign::Centre);
  EXPECT_EQ(texts[0]->colour, 0xFF8DC63Fu);
  EXPECT_EQ(texts[0]->rect.height, 40.0f);
}

}  // namespace text_test
}  // namespace orbi::ui
