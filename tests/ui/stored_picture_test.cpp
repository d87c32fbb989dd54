// The stored-picture policy on pictures made here: the software renderer's
// rounding passes, a handle moved by a few pixels or a missing label fails,
// and renewing stores the picture that is compared next.
#include "support/ui/stored_picture.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>

#include "support/ui/ui_harness.h"
#include "ui/draw/text.h"

namespace orbi::ui {
namespace stored_picture_test {

using test::checkStoredPicture;
using test::comparePictures;
using test::matchesStoredPicture;
using test::withinPolicy;

constexpr int kWidth = 240, kHeight = 120;
constexpr std::uint8_t kPanel[3] = {32, 44, 25};
constexpr std::uint8_t kInk[3] = {240, 238, 216};

FramePixels panel() {
  FramePixels p{kWidth, kHeight,
                std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth) * kHeight * 4, 255)};
  for (std::size_t i = 0; i < p.rgba.size(); i += 4)
    for (int c = 0; c < 3; ++c) p.rgba[i + c] = kPanel[c];
  return p;
}

// Ink over the pixel, at the given coverage (0..1).
void blend(FramePixels& p, int x, int y, float coverage) {
  if (x < 0 || y < 0 || x >= p.width || y >= p.height || coverage <= 0.0f) return;
  std::uint8_t* px = &p.rgba[(static_cast<std::size_t>(y) * p.width + x) * 4];
  for (int c = 0; c < 3; ++c)
    px[c] = static_cast<std::uint8_t>(std::lround(px[c] + (kInk[c] - px[c]) * coverage));
}

// A round handle with an antialiased rim, as the editor draws them.
void handle(FramePixels& p, float cx, float cy, float radius = 5.0f) {
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      blend(p, x, y, std::clamp(radius + 0.5f - d, 0.0f, 1.0f));
    }
}

// Text in the body style, from the glyphs of the framework's own atlas.
void label(FramePixels& p, const char* text, int x, int y) {
  UiHarness harness;
  harness.frame([&] {
    const SizedFont font = styleFont(TextStyle::Body);
    const ImFontAtlas& atlas = *font.face->ContainerAtlas;
    ASSERT_NE(atlas.TexPixelsRGBA32, nullptr);
    float penX = static_cast<float>(x);
    for (const char* c = text; *c; ++c) {
      const ImFontGlyph* g = font.face->FindGlyph(static_cast<ImWchar>(*c));
      ASSERT_NE(g, nullptr);
      const int u0 = static_cast<int>(g->U0 * atlas.TexWidth), v0 = static_cast<int>(g->V0 * atlas.TexHeight);
      const int w = static_cast<int>(std::lround((g->U1 - g->U0) * atlas.TexWidth));
      const int h = static_cast<int>(std::lround((g->V1 - g->V0) * atlas.TexHeight));
      for (int gy = 0; gy < h; ++gy)
        for (int gx = 0; gx < w; ++gx) {
          const ImU32 texel = atlas.TexPixelsRGBA32[(v0 + gy) * atlas.TexWidth + u0 + gx];
          blend(p, static_cast<int>(penX + g->X0) + gx, y + static_cast<int>(g->Y0) + gy,
                (texel >> 24) / 255.0f);
        }
      penX += g->AdvanceX;
    }
  });
}

// What a picture with a label and two handles looks like.
FramePixels picture(float handleX = 150.0f, bool withLabel = true) {
  FramePixels p = panel();
  if (withLabel) label(p, "Decay", 20, 20);
  handle(p, handleX, 60.0f);
  handle(p, 200.0f, 90.0f);
  return p;
}

TEST(StoredPicture, TheSamePicturePasses) {
  const test::PictureDifference d = comparePictures(picture(), picture());
  EXPECT_EQ(d.changedPixels, 0u);
  EXPECT_TRUE(withinPolicy(d));
}

TEST(StoredPicture, RenderingNoisePasses) {
  // Every channel a little off, and lone pixels further off along the
  // edges, as another rasteriser's rounding leaves them.
  FramePixels noisy = picture();
  std::mt19937 random(7);
  std::uniform_int_distribution<int> small(-test::kPictureChannelTolerance, test::kPictureChannelTolerance);
  for (std::uint8_t& channel : noisy.rgba)
    channel = static_cast<std::uint8_t>(std::clamp(channel + small(random), 0, 255));
  for (int y = 1; y < kHeight; y += 3)
    for (int x = 1; x < kWidth; x += 3)
      noisy.rgba[(static_cast<std::size_t>(y) * kWidth + x) * 4 + 1] ^= 0x40;
  const test::PictureDifference d = comparePictures(noisy, picture());
  EXPECT_GT(d.changedPixels, 1000u);
  EXPECT_EQ(d.largestPatch, 1u);
  EXPECT_TRUE(withinPolicy(d));
}

TEST(StoredPicture, AMovedHandleOrAMissingLabelFails) {
  struct Case {
    const char* name;
    FramePixels drawn;
  };
  for (const Case& c :
       {Case{"handle moved by 3 pixels", picture(153.0f)}, Case{"no label", picture(150.0f, false)}}) {
    SCOPED_TRACE(c.name);
    const test::PictureDifference d = comparePictures(c.drawn, picture());
    EXPECT_GT(d.largestPatch, test::kLargestChangedPatch);
    EXPECT_FALSE(withinPolicy(d));
  }
}

TEST(StoredPicture, AnotherSizeFails) {
  FramePixels wider = picture();
  wider.width = kWidth / 2;
  wider.height = kHeight * 2;
  EXPECT_FALSE(withinPolicy(comparePictures(wider, picture())));
}

class StoredPictureFile : public testing::Test {
 protected:
  StoredPictureFile() {
    char pattern[] = "/tmp/orbi-pictures-XXXXXX";
    folder_ = mkdtemp(pattern);
  }
  ~StoredPictureFile() override {
    unsetenv("ORBI_REWRITE_SNAPSHOTS");
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  std::filesystem::path folder_;
};

TEST_F(StoredPictureFile, RenewingStoresWhatIsComparedNext) {
  const std::filesystem::path stored = folder_ / "pictures" / "picture.png";
  const std::string missing = checkStoredPicture(picture(), stored, folder_);
  EXPECT_NE(missing.find("no stored picture"), std::string::npos) << missing;

  setenv("ORBI_REWRITE_SNAPSHOTS", "1", 1);
  EXPECT_TRUE(matchesStoredPicture(picture(153.0f), stored));
  unsetenv("ORBI_REWRITE_SNAPSHOTS");
  EXPECT_TRUE(matchesStoredPicture(picture(153.0f), stored));

  // A failure names the change and keeps the drawn picture and the marks.
  const std::string failure = checkStoredPicture(picture(), stored, folder_);
  EXPECT_NE(failure.find("touching around"), std::string::npos) << failure;
  EXPECT_TRUE(std::filesystem::exists(folder_ / "picture.drawn.png"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "picture.diff.png"));
}

}  // namespace stored_picture_test
}  // namespace orbi::ui
