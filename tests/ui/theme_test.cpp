#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/ui/ui_harness.h"
#include "tests/ui/draw_harness.h"
#include "ui/draw/text.h"
#include "ui/theme/colour.h"
#include "ui/theme/embedded_resources.h"
#include "ui/theme/fonts.h"
#include "ui/theme/painters.h"
#include "ui/theme/palette.h"
#include "ui/theme/skin.h"
#include "ui/theme/theme_atlas.h"
#include "ui/theme/theme_style.h"

namespace orbi::ui {
namespace theme_test {

using palette::kAccent;
using palette::kBackground;
using test::verticesDrawnBy;

TEST(Colour, LerpBlendsEachChannelAndClamps) {
  struct Case {
    std::uint32_t a, b;
    float t;
    std::uint32_t expected;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case& c :
       {Case{0xFF000000, 0xFFFFFFFF, 0.5f, 0xFF808080}, Case{0x00000000, 0xFFFFFFFF, 1.0f, 0xFFFFFFFF},
        Case{0x12345678, 0x9ABCDEF0, 0.0f, 0x12345678}, Case{0x12345678, 0x9ABCDEF0, -3.0f, 0x12345678},
        Case{0x12345678, 0x9ABCDEF0, 7.0f, 0x9ABCDEF0}, Case{0x12345678, 0x9ABCDEF0, nan, 0x12345678},
        Case{0xFF000000, 0xFF0000FF, 0.25f, 0xFF000040}, Case{0xFF0000FF, 0xFF000000, 0.25f, 0xFF0000BF}}) {
    SCOPED_TRACE(testing::Message() << std::hex << c.a << " " << c.b << " " << c.t);
    EXPECT_EQ(lerpColor(c.a, c.b, c.t), c.expected);
  }
}

TEST(Colour, PackingSwapsRedAndBlueOnly) {
  EXPECT_EQ(packColour(0x80FF0000), IM_COL32(0xFF, 0, 0, 0x80));
  EXPECT_EQ(packColour(0x11223344), IM_COL32(0x22, 0x33, 0x44, 0x11));
  EXPECT_EQ(unpackColour(packColour(0x11223344)), 0x11223344u);
}

ImGuiStyle themedStyle(float displayScale) {
  UiContext ui;
  ui.setDisplayScale(displayScale);
  ContextScope scope(ui);
  return ImGui::GetStyle();
}

TEST(Theme, SizesFollowTheDisplayScale) {
  const ImGuiStyle one = themedStyle(1.0f), two = themedStyle(2.0f);
  const struct {
    const char* name;
    ImVec2 one, two;
  } sizes[] = {
      {"window padding", one.WindowPadding, two.WindowPadding},
      {"frame padding", one.FramePadding, two.FramePadding},
      {"item spacing", one.ItemSpacing, two.ItemSpacing},
      {"inner spacing", one.ItemInnerSpacing, two.ItemInnerSpacing},
      {"frame and grab rounding",
       {one.FrameRounding, one.GrabRounding},
       {two.FrameRounding, two.GrabRounding}},
      {"popup and tab rounding", {one.PopupRounding, one.TabRounding}, {two.PopupRounding, two.TabRounding}},
      {"scrollbar", {one.ScrollbarSize, one.ScrollbarRounding}, {two.ScrollbarSize, two.ScrollbarRounding}},
  };
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.name);
    EXPECT_FLOAT_EQ(size.two.x, 2.0f * size.one.x);
    EXPECT_FLOAT_EQ(size.two.y, 2.0f * size.one.y);
  }
  EXPECT_GT(one.ScrollbarSize, 0.0f);
}

// WCAG's contrast ratio of two opaque colours.
float contrast(const ImVec4& a, const ImVec4& b) {
  const auto luminance = [](const ImVec4& c) {
    const auto linear = [](float v) {
      return v <= 0.03928f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
    };
    return 0.2126f * linear(c.x) + 0.7152f * linear(c.y) + 0.0722f * linear(c.z);
  };
  const float la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

TEST(Theme, TextReadsOnEveryFillAndEachStateLooksItsOwn) {
  const ImGuiStyle style = themedStyle(1.0f);
  const ImVec4* c = style.Colors;
  for (ImGuiCol fill : {ImGuiCol_FrameBg, ImGuiCol_FrameBgHovered, ImGuiCol_FrameBgActive, ImGuiCol_Button,
                        ImGuiCol_ButtonHovered, ImGuiCol_Header, ImGuiCol_PopupBg, ImGuiCol_TitleBg,
                        ImGuiCol_Tab, ImGuiCol_TabActive}) {
    SCOPED_TRACE(ImGui::GetStyleColorName(fill));
    EXPECT_GE(contrast(c[ImGuiCol_Text], c[fill]), 4.5f);
  }
  // Disabled text is quieter, yet still there, where it appears.
  for (ImGuiCol fill : {ImGuiCol_FrameBg, ImGuiCol_Button, ImGuiCol_PopupBg}) {
    SCOPED_TRACE(ImGui::GetStyleColorName(fill));
    EXPECT_LT(contrast(c[ImGuiCol_TextDisabled], c[fill]), contrast(c[ImGuiCol_Text], c[fill]) / 2.0f);
    EXPECT_GE(contrast(c[ImGuiCol_TextDisabled], c[fill]), 1.5f);
  }
  const auto differ = [](const ImVec4& a, const ImVec4& b) { return a.x != b.x || a.y != b.y || a.z != b.z; };
  for (const auto& states :
       {std::array{ImGuiCol_FrameBg, ImGuiCol_FrameBgHovered, ImGuiCol_FrameBgActive},
        std::array{ImGuiCol_Button, ImGuiCol_ButtonHovered, ImGuiCol_ButtonActive},
        std::array{ImGuiCol_ScrollbarGrab, ImGuiCol_ScrollbarGrabHovered, ImGuiCol_ScrollbarGrabActive}}) {
    SCOPED_TRACE(ImGui::GetStyleColorName(states[0]));
    EXPECT_TRUE(differ(c[states[0]], c[states[1]]));
    EXPECT_TRUE(differ(c[states[1]], c[states[2]]));
  }
  EXPECT_TRUE(differ(c[ImGuiCol_SliderGrab], c[ImGuiCol_SliderGrabActive]));
  // Windows are clear: the skin painted behind the views shows.
  EXPECT_EQ(c[ImGuiCol_WindowBg].w, 0.0f);
  EXPECT_EQ(c[ImGuiCol_ChildBg].w, 0.0f);
}

TEST(Glow, CentreIsFullSymmetricAndCornersNearZero) {
  GlowImage glow;
  makeGlow(glow);
  auto at = [&](int x, int y) { return glow[y * kGlowSize + x]; };
  for (int y = 21; y < 23; ++y)
    for (int x = 21; x < 23; ++x) EXPECT_EQ(at(x, y), 255) << x << "," << y;
  for (int y = 0; y < kGlowSize; ++y)
    for (int x = 0; x < kGlowSize; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      EXPECT_EQ(at(x, y), at(kGlowSize - 1 - x, y));
      EXPECT_EQ(at(x, y), at(x, kGlowSize - 1 - y));
      EXPECT_EQ(at(x, y), at(y, x));
    }
  for (int x = 1; x <= 22; ++x) EXPECT_LE(at(x - 1, 22), at(x, 22)) << "rises towards the centre at " << x;
  EXPECT_EQ(at(0, 0), 0);
  EXPECT_LE(at(0, 22), 1);
  EXPECT_GT(at(8, 22), 16);
}

// A skin whose every pixel is distinct: red and green give its position.
SkinImage numberedSkin(int w, int h) {
  SkinImage skin{w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 4)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = &skin.rgba[(static_cast<std::size_t>(y) * w + x) * 4];
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = 7;
      p[3] = 200;
    }
  return skin;
}

TEST(Skin, SixteenPixelsTakeEighteenWithTheBorderFromTheOppositeEdge) {
  ImFontAtlas atlas;
  ThemeAtlas theme(numberedSkin(16, 16));
  theme.build(atlas, 1.0f);
  const ImFontAtlasCustomRect& rect = atlas.CustomRects[theme.rects().skin];
  EXPECT_EQ(rect.Width, 18);
  EXPECT_EQ(rect.Height, 18);
  EXPECT_TRUE(atlas.TexPixelsUseColors);
  ASSERT_NE(atlas.TexPixelsRGBA32, nullptr);
  auto pixel = [&](int x, int y) {
    return reinterpret_cast<const std::uint8_t*>(
        &atlas.TexPixelsRGBA32[(rect.Y + y) * atlas.TexWidth + rect.X + x]);
  };
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 18; ++x) {
      SCOPED_TRACE(testing::Message() << x << "," << y);
      const int sx = x == 0 ? 15 : (x == 17 ? 0 : x - 1);
      const int sy = y == 0 ? 15 : (y == 17 ? 0 : y - 1);
      EXPECT_EQ(pixel(x, y)[0], sx);
      EXPECT_EQ(pixel(x, y)[1], sy);
      EXPECT_EQ(pixel(x, y)[3], 200);
    }
}

TEST(Skin, EmbeddedSkinDecodesAndItsUvsLeaveOutTheBorder) {
  const SkinImage skin = decodeEmbeddedSkin();
  EXPECT_GT(skin.width, 8);
  EXPECT_GT(skin.height, 8);
  UiContext ui;
  ContextScope scope(ui);
  const ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
  const ImFontAtlasCustomRect& rect = atlas.CustomRects[ui.imageRects().skin];
  EXPECT_EQ(rect.Width, skin.width + 2);
  EXPECT_EQ(rect.Height, skin.height + 2);
  const UvRect uv = skinUv();
  EXPECT_FLOAT_EQ(uv.min.x * atlas.TexWidth, rect.X + 1.0f);
  EXPECT_FLOAT_EQ(uv.max.y * atlas.TexHeight, rect.Y + rect.Height - 1.0f);
  const ImFontAtlasCustomRect& glow = atlas.CustomRects[ui.imageRects().glow];
  EXPECT_EQ(glow.Width, kGlowSize);
  // The glow's pixels are black with the glow as alpha.
  const auto* centre = reinterpret_cast<const std::uint8_t*>(
      &atlas.TexPixelsRGBA32[(glow.Y + 22) * atlas.TexWidth + glow.X + 22]);
  EXPECT_EQ(centre[0], 0);
  EXPECT_EQ(centre[3], 255);
}

TEST(Resources, BrokenFontsAndSkinsThrowWithTheirNames) {
  const std::vector<std::uint8_t> junk(4096, 0x5A);
  const std::vector<std::uint8_t> cut(embeddedResources()[0].bytes.begin(),
                                      embeddedResources()[0].bytes.begin() + 8);
  for (const std::vector<std::uint8_t>* bytes : {&junk, &cut}) {
    try {
      checkFont({"Inter Bold", *bytes});
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "orbi-ui: embedded font failed to load: Inter Bold");
    }
    try {
      decodeSkin(*bytes);
      ADD_FAILURE() << "accepted";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "orbi-ui: embedded orbi-skin.png failed to decode");
    }
  }
  EXPECT_NO_THROW(checkEmbeddedFonts());
  EXPECT_EQ(std::string(embeddedResources()[kFontCount].name), "orbi-skin.png");
}

TEST(Fonts, FontForGivesEachFontAtTwelvePixelsAndFontZeroOutsideTheFive) {
  UiContext ui;
  ContextScope scope(ui);
  const char* names[] = {"Inter Regular", "Inter Medium", "Inter Bold", "JetBrains Mono",
                         "JetBrains Mono Bold"};
  for (int i = 0; i < kFontCount; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(fontFor(i), nullptr);
    EXPECT_EQ(fontFor(i)->FontSize, 12.0f);
    EXPECT_EQ(std::string(fontFor(i)->GetDebugName()), names[i]);
  }
  EXPECT_EQ(fontFor(7), fontFor(0));
  EXPECT_EQ(fontFor(-1), fontFor(0));
  // Dear ImGui's own default font is body text.
  EXPECT_EQ(ImGui::GetIO().Fonts->Fonts[0], fontFor(0));
}

TEST(Fonts, AfterARebuildAtOneAndAHalfEveryStyleFaceHasItsGlyphsAtItsSize) {
  UiHarness harness(1.5f);
  harness.frame([] {
    for (int s = 0; s < kTextStyleCount; ++s) {
      const TextStyle style = static_cast<TextStyle>(s);
      SCOPED_TRACE(s);
      const SizedFont font = styleFont(style);
      ASSERT_NE(font.face, nullptr);
      EXPECT_FLOAT_EQ(font.face->FontSize, textStyleSpec(style).px * 1.5f);
      EXPECT_FLOAT_EQ(font.size, textStyleSpec(style).px * 1.5f);
      for (ImWchar c : {ImWchar{0x2026}, ImWchar{0x2014}, ImWchar{0x25BE}, ImWchar{0x00E9}, ImWchar{'A'}})
        EXPECT_NE(font.face->FindGlyphNoFallback(c), nullptr) << c;
    }
  });
}

// The vertices' distinct colours.
std::set<ImU32> coloursOf(const std::vector<ImDrawVert>& vertices) {
  std::set<ImU32> colours;
  for (const ImDrawVert& v : vertices) colours.insert(v.col);
  return colours;
}

TEST(Gradient, OneStopFillsWithItsColour) {
  UiHarness harness;
  const GradientStop stop{0.3f, 0xFF112233};
  const auto vertices = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    fillVerticalGradient(dl, {10, 20, 100, 60}, 8.0f, {&stop, 1});
  });
  ASSERT_FALSE(vertices.empty());
  EXPECT_EQ(coloursOf(vertices), std::set<ImU32>{packColour(0xFF112233)});
}

TEST(Gradient, RadiusZeroIsAPlainRectangleFromTopToBottom) {
  UiHarness harness;
  const GradientStop stops[] = {{0.0f, 0xFF000000}, {1.0f, 0xFFFFFFFF}};
  const auto vertices = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    fillVerticalGradient(dl, {10, 20, 100, 60}, 0.0f, stops);
  });
  std::set<float> rows;
  for (const ImDrawVert& v : vertices) {
    EXPECT_TRUE(v.pos.x == 10.0f || v.pos.x == 110.0f) << v.pos.x;
    rows.insert(v.pos.y);
  }
  EXPECT_EQ(*rows.begin(), 20.0f);
  EXPECT_EQ(*rows.rbegin(), 80.0f);
  EXPECT_EQ(vertices.front().col, packColour(0xFF000000));
  EXPECT_EQ(vertices.back().col, packColour(0xFFFFFFFF));
}

TEST(Gradient, RoundedEndsNarrowAndStopsGetTheirOwnRows) {
  UiHarness harness;
  const GradientStop stops[] = {{0.0f, 0xCC1C2A14}, {0.5f, 0xCC11190C}, {1.0f, 0xCC0D1309}};
  const auto vertices = verticesDrawnBy(harness, [&](ImDrawList* dl) {
    fillVerticalGradient(dl, {0, 0, 100, 40}, 8.0f, stops);
  });
  ASSERT_GE(vertices.size(), 4u);
  // The top and bottom rows are inset by the whole radius.
  EXPECT_FLOAT_EQ(vertices.front().pos.x, 8.0f);
  EXPECT_FLOAT_EQ(vertices.back().pos.x, 92.0f);
  bool middleRow = false;
  for (std::size_t i = 0; i + 1 < vertices.size(); i += 2) {
    if (vertices[i].pos.y != 20.0f) continue;
    middleRow = true;
    EXPECT_EQ(vertices[i].col, packColour(0xCC11190C));
    EXPECT_EQ(vertices[i].pos.x, 0.0f);
  }
  EXPECT_TRUE(middleRow);
  for (std::size_t i = 2; i < vertices.size(); i += 2) EXPECT_GT(vertices[i].pos.y, vertices[i - 2].pos.y);
}

TEST(Gradient, NothingForAnEmptyRectOrNoStops) {
  UiHarness harness;
  const GradientStop stop{0.0f, 0xFFFFFFFF};
  EXPECT_TRUE(verticesDrawnBy(harness, [&](ImDrawList* dl) {
                fillVerticalGradient(dl, {0, 0, 0, 40}, 4.0f, {&stop, 1});
                fillVerticalGradient(dl, {0, 0, 40, -1}, 4.0f, {&stop, 1});
                fillVerticalGradient(dl, {0, 0, 40, 40}, 4.0f, {});
              }).empty());
}

TEST(FrameDecoration, SixBySixHasNoVisibleBandAndBarsOfThree) {
  UiHarness harness;
  const auto band = verticesDrawnBy(harness, [](ImDrawList* dl) { paintFrameBefore(dl, {0, 0, 6, 6}); });
  ASSERT_EQ(band.size(), 116u);
  for (const ImDrawVert& v : band) {
    EXPECT_EQ(v.pos.x, 3.0f);
    EXPECT_EQ(v.pos.y, 3.0f);
  }
  const auto bars = verticesDrawnBy(harness, [](ImDrawList* dl) { paintFrameAfter(dl, {0, 0, 6, 6}); });
  ASSERT_EQ(bars.size(), 16u);
  EXPECT_EQ(bars[0].pos.y, 0.0f);
  EXPECT_EQ(bars[2].pos.y, 3.0f);  // the top bar, 3 pixels: half the side
  EXPECT_EQ(bars[4].pos.y, 3.0f);
  EXPECT_EQ(bars[6].pos.y, 6.0f);
  for (const ImDrawVert& v : bars) EXPECT_EQ(v.col, packColour(0xFF000000));
}

TEST(FrameDecoration, GlowFadesInwardFromTheFrame) {
  for (bool additive : {false, true}) {
    SCOPED_TRACE(additive);
    UiHarness harness(2.0f);
    if (additive) harness.ui().setAdditiveBlendHook([](const ImDrawList*, const ImDrawCmd*) {});
    const auto band = verticesDrawnBy(harness, [](ImDrawList* dl) {
      paintFrameBefore(dl, {0, 0, 400, 300});
    });
    ASSERT_EQ(band.size(), 116u);
    // The outer ring sits 5 * scale inside the display, the inner one 40 * scale further in.
    EXPECT_EQ(band[0].pos.x, 10.0f);
    EXPECT_EQ(band[112].pos.x, 90.0f);
    const ImU32 outerAlpha = band[0].col >> 24, innerAlpha = band[112].col >> 24;
    EXPECT_EQ(outerAlpha, additive ? 51u : 61u);
    EXPECT_EQ(innerAlpha, 0u);
    for (std::size_t i = 4; i < band.size(); i += 4) EXPECT_LE(band[i].col >> 24, band[i - 4].col >> 24);
    int callbacks = 0;
    for (const ImDrawCmd& cmd : harness.rootDrawList()->CmdBuffer) callbacks += cmd.UserCallback != nullptr;
    EXPECT_EQ(callbacks, additive ? 2 : 0);
  }
}

TEST(Background, TilesTheSkinFromTheTopLeftWhileTilesStartInside) {
  UiHarness harness;
  const auto vertices = verticesDrawnBy(harness, [](ImDrawList* dl) {
    paintBackground(dl, {0, 0, 960, 940});
  });
  const int columns = static_cast<int>(std::ceil(960.0f / 76.0f)),
            rows = static_cast<int>(std::ceil(940.0f / 76.0f));
  ASSERT_EQ(vertices.size(), 4u + 4u * columns * rows);
  EXPECT_EQ(vertices[0].col, packColour(kBackground));
  EXPECT_EQ(vertices[4].pos.x, 0.0f);
  EXPECT_EQ(vertices[6].pos.x, 76.0f);
  EXPECT_EQ(vertices[4].col, IM_COL32_WHITE);
}

TEST(Shadow, NinePatchesTintedByTheStrength) {
  UiHarness harness;
  const auto vertices = verticesDrawnBy(harness, [](ImDrawList* dl) {
    drawShadow(dl, {100, 100, 200, 100}, 0.45f, 2);
  });
  ASSERT_EQ(vertices.size(), 36u);
  EXPECT_EQ(vertices[0].pos.x, 88.0f);
  EXPECT_EQ(vertices[0].pos.y, 90.0f);
  for (const ImDrawVert& v : vertices) EXPECT_EQ(v.col >> 24, 115u);
  // A rect that shrinks the shadow to nothing draws nothing.
  EXPECT_TRUE(verticesDrawnBy(harness, [](ImDrawList* dl) {
                drawShadow(dl, {0, 0, -30, -30}, 1.0f, 0);
              }).empty());
}

}  // namespace theme_test
}  // namespace orbi::ui
