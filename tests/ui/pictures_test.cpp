#include "ui/draw/pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/ui/test_png.h"
#include "support/ui/ui_harness.h"
#include "ui/draw/draw_log.h"

namespace orbi::ui {
namespace pictures_test {

using test::encodeTestPng;
using test::testPixelAt;

// Pictures are known by their bytes' address: these live for the whole
// test program, as embedded resources live for the plug-in's.
const std::vector<std::uint8_t>& widePng() {
  static const std::vector<std::uint8_t> png = encodeTestPng(40, 20);
  return png;
}
const std::vector<std::uint8_t>& brokenPng() {
  static const std::vector<std::uint8_t> png = [] {
    std::vector<std::uint8_t> bytes = encodeTestPng(8, 8);
    bytes.resize(bytes.size() / 2);
    return bytes;
  }();
  return png;
}

// The atlas holds the picture's pixels at the place its texture
// coordinates name.
void expectAtlasHoldsPicture(UiHarness& harness, const Picture& picture) {
  ContextScope scope(harness.ui());
  const ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
  ASSERT_NE(picture.atlasRect, kNoAtlasRect);
  const ImFontAtlasCustomRect& r = atlas.CustomRects[static_cast<int>(picture.atlasRect)];
  ASSERT_EQ(r.Width, picture.width);
  ASSERT_EQ(r.Height, picture.height);
  const auto* texels = reinterpret_cast<const std::uint8_t*>(atlas.TexPixelsRGBA32);
  ASSERT_NE(texels, nullptr);
  int wrong = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      const std::uint8_t* t = texels + ((r.Y + y) * atlas.TexWidth + r.X + x) * 4;
      const std::uint32_t argb = static_cast<std::uint32_t>(t[3]) << 24 |
                                 static_cast<std::uint32_t>(t[0]) << 16 |
                                 static_cast<std::uint32_t>(t[1]) << 8 | t[2];
      if (argb != testPixelAt(x, y)) ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

const DrawRecord* pictureDrawn(const UiHarness& harness) {
  const auto found = harness.drawLog().find(DrawOp::Picture);
  return found.empty() ? nullptr : found[0];
}

TEST(Pictures, APictureFirstUsedInOneFrameDrawsFromTheNextKeepingItsShape) {
  UiHarness harness;
  harness.frame();
  const int uploads = harness.atlasUploads();
  const std::span<const std::uint8_t> png = widePng();
  auto body = [&] { drawPicture(ImGui::GetWindowDrawList(), {100, 100, 300, 300}, png); };

  harness.frame(body);
  EXPECT_EQ(pictureDrawn(harness), nullptr);

  harness.frame(body);
  EXPECT_EQ(harness.atlasUploads(), uploads + 1);
  const DrawRecord* drawn = pictureDrawn(harness);
  ASSERT_NE(drawn, nullptr);
  // 40 x 20 into 300 x 300: 300 x 150, centred.
  EXPECT_FLOAT_EQ(drawn->rect.x, 100.0f);
  EXPECT_FLOAT_EQ(drawn->rect.y, 175.0f);
  EXPECT_FLOAT_EQ(drawn->rect.width, 300.0f);
  EXPECT_FLOAT_EQ(drawn->rect.height, 150.0f);
  const Picture* picture = nullptr;
  harness.frame([&] { picture = &loadPicture(png); });
  EXPECT_EQ(picture->width, 40);
  EXPECT_EQ(picture->height, 20);
  expectAtlasHoldsPicture(harness, *picture);
  EXPECT_EQ(harness.atlasUploads(), uploads + 1);  // nothing new waits: no further rebuild

  // A new scale rebuilds the atlas; the picture comes back with it.
  harness.ui().setDisplayScale(2.0f);
  harness.frame(body);
  EXPECT_EQ(harness.atlasUploads(), uploads + 2);
  drawn = pictureDrawn(harness);
  ASSERT_NE(drawn, nullptr);
  EXPECT_FLOAT_EQ(drawn->rect.width / drawn->rect.height, 2.0f);
  expectAtlasHoldsPicture(harness, *picture);
}

TEST(Pictures, DrawnIntoATallRectTheWidthLimits) {
  UiHarness harness;
  const std::span<const std::uint8_t> png = widePng();
  harness.frames(2, [&] { drawPicture(ImGui::GetWindowDrawList(), {0, 0, 80, 400}, png); });
  const DrawRecord* drawn = pictureDrawn(harness);
  ASSERT_NE(drawn, nullptr);
  EXPECT_FLOAT_EQ(drawn->rect.width, 80.0f);
  EXPECT_FLOAT_EQ(drawn->rect.height, 40.0f);
  EXPECT_FLOAT_EQ(drawn->rect.y, 180.0f);
  // Nothing for an empty rect.
  harness.frame([&] { drawPicture(ImGui::GetWindowDrawList(), {0, 0, 0, 400}, png); });
  EXPECT_EQ(pictureDrawn(harness), nullptr);
  harness.frame([&] { drawPicture(ImGui::GetWindowDrawList(), {0, 0, 80, -1}, png); });
  EXPECT_EQ(pictureDrawn(harness), nullptr);
}

TEST(Pictures, APngIsDecodedOnceAndItsEntryKept) {
  UiHarness harness;
  const std::span<const std::uint8_t> png = widePng();
  const Picture* first = nullptr;
  const Picture* again = nullptr;
  testing::internal::CaptureStderr();
  harness.frame([&] { first = &loadPicture(png); });
  harness.frames(3, [&] { again = &loadPicture(png); });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(first, again);
}

TEST(Pictures, ABrokenPngIsReportedOncePerContextAndNeverTriedAgain) {
  struct Case {
    const char* name;
    std::span<const std::uint8_t> bytes;
    std::string message;
  };
  static const std::vector<std::uint8_t> tooLarge = encodeTestPng(4096, 1);
  const Case cases[] = {
      {"truncated", brokenPng(), "orbi-ui: a PNG did not decode: "},
      {"empty", std::span<const std::uint8_t>(brokenPng().data(), 0),
       "orbi-ui: a PNG did not decode: no bytes\n"},
      {"too large", tooLarge, "orbi-ui: no room in the atlas for a 4096 x 1 PNG\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (int context = 0; context < 2; ++context) {
      UiHarness harness;
      harness.frame();
      const int uploads = harness.atlasUploads();
      testing::internal::CaptureStderr();
      harness.frames(5, [&] { drawPicture(ImGui::GetWindowDrawList(), {0, 0, 100, 100}, c.bytes); });
      const std::string printed = testing::internal::GetCapturedStderr();
      EXPECT_EQ(printed.rfind(c.message, 0), 0u) << printed;
      EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
      EXPECT_EQ(pictureDrawn(harness), nullptr);
      EXPECT_EQ(harness.atlasUploads(), uploads);  // nothing waits for the atlas
      harness.frame([&] { EXPECT_EQ(loadPicture(c.bytes).atlasRect, kNoAtlasRect); });
    }
  }
}

TEST(Pictures, PicturesWaitingTogetherArePackedInOneRebuild) {
  UiHarness harness;
  harness.frame();
  const int uploads = harness.atlasUploads();
  static const std::vector<std::uint8_t> square = encodeTestPng(16, 16);
  static const std::vector<std::uint8_t> tall = encodeTestPng(10, 30);
  harness.frame([&] {
    loadPicture(widePng());
    loadPicture(square);
    loadPicture(tall);
  });
  harness.frame([&] {
    for (const auto* png : {&widePng(), &square, &tall}) {
      const Picture& p = loadPicture(*png);
      EXPECT_NE(p.atlasRect, kNoAtlasRect);
    }
  });
  EXPECT_EQ(harness.atlasUploads(), uploads + 1);
  harness.frame([&] { expectAtlasHoldsPicture(harness, loadPicture(tall)); });
}

TEST(Pictures, APictureWiderThanTheGlyphsNeedStillFindsRoom) {
  // At scale 1 the glyphs fit a texture 512 pixels wide.
  static const std::vector<std::uint8_t> banner = encodeTestPng(1500, 12);
  UiHarness harness;
  testing::internal::CaptureStderr();
  harness.frames(2, [&] { drawPicture(ImGui::GetWindowDrawList(), {0, 0, 750, 100}, banner); });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(pictureDrawn(harness), nullptr);
  EXPECT_FLOAT_EQ(pictureDrawn(harness)->rect.height, 6.0f);
}

}  // namespace pictures_test
}  // namespace orbi::ui
