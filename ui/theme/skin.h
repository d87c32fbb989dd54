#pragma once
// The theme's two images, packed into the font atlas beside the glyphs: the
// tiled skin texture, stored with a one-pixel border copied from the
// opposite edge so bilinear sampling wraps, and the glow, a blurred rounded
// square used for soft shadows.

#include <imgui.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace orbi::ui {

struct SkinImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // width * height pixels, 4 bytes each
};

// Decodes a PNG into RGBA; throws std::runtime_error "orbi-ui: embedded
// orbi-skin.png failed to decode" when it cannot.
SkinImage decodeSkin(std::span<const std::uint8_t> png);
SkinImage decodeEmbeddedSkin();

inline constexpr int kGlowSize = 44;
using GlowImage = std::array<std::uint8_t, kGlowSize * kGlowSize>;

// Coverage of the square [20, 24]^2 grown by a radius of 8, blurred by a
// Gaussian of standard deviation 3; row by row, 0 to 255.
void makeGlow(GlowImage& out);

// Writes the skin with its border into width + 2 by height + 2 pixels at
// dest, whose rows are destStride bytes apart.
void copyTileWithBorder(const SkinImage& skin, std::uint8_t* dest, int destStride);

struct ThemeImageRects {
  int skin = -1;  // atlas custom-rectangle ids; -1 before the first build
  int glow = -1;
};

// Before Build: reserves the two rectangles. Throws std::runtime_error
// "orbi-ui: no room in the font atlas for the theme images" when they
// cannot be added.
ThemeImageRects addThemeImageRects(ImFontAtlas& atlas, const SkinImage& skin);

// After Build: turns the atlas into coloured RGBA pixels and writes both
// images into their rectangles.
void writeThemeImages(ImFontAtlas& atlas, ThemeImageRects rects, const SkinImage& skin,
                      const GlowImage& glow);

struct UvRect {
  ImVec2 min;
  ImVec2 max;
};

// In the current UI context's atlas: the skin without its border, and the
// whole glow.
UvRect skinUv();
UvRect glowUv();

}  // namespace orbi::ui
