#include "ui/theme/skin.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "ui/context.h"
#include "ui/theme/embedded_resources.h"
#include "ui/theme/fonts.h"

namespace orbi::ui {
namespace {

constexpr int kGlowKernelRadius = 9;

// Distance from a point to the glow's core square [20, 24]^2 (0 inside).
double distanceToCore(double x, double y) {
  const double dx = std::max({20.0 - x, 0.0, x - 24.0});
  const double dy = std::max({20.0 - y, 0.0, y - 24.0});
  return std::sqrt(dx * dx + dy * dy);
}

// Taps that fall outside the grid are skipped, not renormalised.
void blurPass(const std::array<double, kGlowSize * kGlowSize>& in,
              std::array<double, kGlowSize * kGlowSize>& out,
              const std::array<double, 2 * kGlowKernelRadius + 1>& kernel, int stepX, int stepY) {
  for (int y = 0; y < kGlowSize; ++y) {
    for (int x = 0; x < kGlowSize; ++x) {
      double sum = 0.0;
      for (int i = -kGlowKernelRadius; i <= kGlowKernelRadius; ++i) {
        const int sx = x + i * stepX, sy = y + i * stepY;
        if (sx < 0 || sy < 0 || sx >= kGlowSize || sy >= kGlowSize) continue;
        sum += kernel[i + kGlowKernelRadius] * in[sy * kGlowSize + sx];
      }
      out[y * kGlowSize + x] = sum;
    }
  }
}

UvRect rectUv(int id, int inset) {
  const ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
  if (id < 0 || id >= atlas.CustomRects.Size) return {};
  const ImFontAtlasCustomRect& r = atlas.CustomRects[id];
  const ImVec2 texel = atlas.TexUvScale;
  return {ImVec2((r.X + inset) * texel.x, (r.Y + inset) * texel.y),
          ImVec2((r.X + r.Width - inset) * texel.x, (r.Y + r.Height - inset) * texel.y)};
}

}  // namespace

SkinImage decodeSkin(std::span<const std::uint8_t> png) {
  int width = 0, height = 0, channels = 0;
  std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4),
      stbi_image_free);
  if (!pixels || width < 1 || height < 1)
    throw std::runtime_error("orbi-ui: embedded orbi-skin.png failed to decode");
  SkinImage skin{width, height, {}};
  skin.rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * 4);
  return skin;
}

// The skin follows the five fonts in the embedded table.
SkinImage decodeEmbeddedSkin() {
  const auto resources = embeddedResources();
  const auto skinIndex = static_cast<std::size_t>(kFontCount);
  return decodeSkin(resources.size() > skinIndex ? resources[skinIndex].bytes
                                                 : std::span<const std::uint8_t>());
}

void makeGlow(GlowImage& out) {
  std::array<double, kGlowSize * kGlowSize> coverage{}, across{}, blurred{};
  for (int y = 0; y < kGlowSize; ++y)
    for (int x = 0; x < kGlowSize; ++x) {
      const double d = distanceToCore(x + 0.5, y + 0.5);
      coverage[y * kGlowSize + x] = std::clamp(0.5 - (d - 8.0), 0.0, 1.0);
    }
  std::array<double, 2 * kGlowKernelRadius + 1> kernel{};
  double total = 0.0;
  for (int i = -kGlowKernelRadius; i <= kGlowKernelRadius; ++i)
    total += kernel[i + kGlowKernelRadius] = std::exp(-static_cast<double>(i * i) / 18.0);
  for (double& w : kernel) w /= total;
  blurPass(coverage, across, kernel, 1, 0);
  blurPass(across, blurred, kernel, 0, 1);
  for (int i = 0; i < kGlowSize * kGlowSize; ++i)
    out[i] = static_cast<std::uint8_t>(std::lround(std::clamp(blurred[i], 0.0, 1.0) * 255.0));
}

void copyTileWithBorder(const SkinImage& skin, std::uint8_t* dest, int destStride) {
  const int w = skin.width, h = skin.height;
  for (int y = -1; y <= h; ++y) {
    std::uint8_t* row = dest + static_cast<std::ptrdiff_t>(y + 1) * destStride;
    const int sy = (y + h) % h;
    for (int x = -1; x <= w; ++x) {
      const int sx = (x + w) % w;
      std::copy_n(&skin.rgba[(static_cast<std::size_t>(sy) * w + sx) * 4], 4, row + (x + 1) * 4);
    }
  }
}

ThemeImageRects addThemeImageRects(ImFontAtlas& atlas, const SkinImage& skin) {
  // Dear ImGui asserts on rectangles it cannot hold: refuse them here.
  constexpr int kMaxSide = 0xFFFF;
  if (skin.width < 1 || skin.height < 1 || skin.width + 2 > kMaxSide || skin.height + 2 > kMaxSide)
    throw std::runtime_error("orbi-ui: no room in the font atlas for the theme images");
  ThemeImageRects rects;
  rects.skin = atlas.AddCustomRectRegular(skin.width + 2, skin.height + 2);
  rects.glow = atlas.AddCustomRectRegular(kGlowSize, kGlowSize);
  return rects;
}

void writeThemeImages(ImFontAtlas& atlas, ThemeImageRects rects, const SkinImage& skin,
                      const GlowImage& glow) {
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  atlas.GetTexDataAsRGBA32(&pixels, &width, &height);
  atlas.TexPixelsUseColors = true;
  const ImFontAtlasCustomRect& skinRect = atlas.CustomRects[rects.skin];
  const ImFontAtlasCustomRect& glowRect = atlas.CustomRects[rects.glow];
  if (!pixels || !skinRect.IsPacked() || !glowRect.IsPacked())
    throw std::runtime_error("orbi-ui: no room in the font atlas for the theme images");
  const int stride = width * 4;
  copyTileWithBorder(skin, pixels + skinRect.Y * stride + skinRect.X * 4, stride);
  for (int y = 0; y < kGlowSize; ++y)
    for (int x = 0; x < kGlowSize; ++x) {
      std::uint8_t* p = pixels + (glowRect.Y + y) * stride + (glowRect.X + x) * 4;
      p[0] = p[1] = p[2] = 0;
      p[3] = glow[y * kGlowSize + x];
    }
}

UvRect skinUv() { return rectUv(context().imageRects().skin, 1); }

UvRect glowUv() { return rectUv(context().imageRects().glow, 0); }

}  // namespace orbi::ui
