#include "ui/draw/pictures.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/store.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// Larger pictures would grow the shared atlas past what GPUs take.
constexpr int kLargestSide = 2048;
// The narrowest texture Dear ImGui chooses by itself.
constexpr int kNarrowestAtlas = 512;

void reportDecodeFailure(const char* reason) {
  std::fprintf(stderr, "orbi-ui: a PNG did not decode: %s\n", reason);
}

void reportNoRoom(int width, int height) {
  std::fprintf(stderr, "orbi-ui: no room in the atlas for a %d x %d PNG\n", width, height);
}

// The atlas rectangle of a packed picture, or null when the atlas no longer
// knows it.
const ImFontAtlasCustomRect* atlasRectOf(const ImFontAtlas& atlas, const Picture& picture) {
  if (picture.atlasRect == kNoAtlasRect ||
      picture.atlasRect >= static_cast<std::uint32_t>(atlas.CustomRects.Size))
    return nullptr;
  const ImFontAtlasCustomRect& r = atlas.CustomRects[static_cast<int>(picture.atlasRect)];
  return r.IsPacked() ? &r : nullptr;
}

}  // namespace

Pictures::Pictures() : entries_(8) { entries_.max_load_factor(1.0f); }

const Picture& Pictures::load(std::span<const std::uint8_t> png) {
  const auto [it, added] = entries_.try_emplace(png.data());
  Entry& entry = it->second;
  if (!added) return entry.picture;
  if (png.empty()) {
    reportDecodeFailure("no bytes");
    return entry.picture;
  }
  if (png.size() > static_cast<std::size_t>(INT_MAX)) {
    reportDecodeFailure("too large");
    return entry.picture;
  }
  int width = 0, height = 0, channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels, 4),
      stbi_image_free);
  if (!pixels) {
    reportDecodeFailure(stbi_failure_reason());
    return entry.picture;
  }
  if (width > kLargestSide || height > kLargestSide) {
    reportNoRoom(width, height);
    return entry.picture;
  }
  entry.picture.width = width;
  entry.picture.height = height;
  entry.rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * 4);
  waiting_ = true;
  return entry.picture;
}

void Pictures::reserve(ImFontAtlas& atlas) {
  int widest = 0;
  for (auto& [bytes, entry] : entries_) {
    entry.reserved = -1;
    if (entry.rgba.empty()) continue;
    entry.reserved = atlas.AddCustomRectRegular(entry.picture.width, entry.picture.height);
    widest = std::max(widest, entry.picture.width);
  }
  // Dear ImGui picks the texture's width from the glyphs alone, as narrow
  // as 512 pixels; a wider picture would find no room in it.
  atlas.TexDesiredWidth =
      widest > kNarrowestAtlas ? static_cast<int>(std::bit_ceil(static_cast<unsigned>(widest))) : 0;
}

void Pictures::write(ImFontAtlas& atlas) {
  waiting_ = false;
  const int stride = atlas.TexWidth * 4;
  for (auto& [bytes, entry] : entries_) {
    Picture& picture = entry.picture;
    picture.atlasRect = kNoAtlasRect;
    if (entry.reserved < 0) continue;
    const ImFontAtlasCustomRect& r = atlas.CustomRects[entry.reserved];
    if (!r.IsPacked() || !atlas.TexPixelsRGBA32) {
      reportNoRoom(picture.width, picture.height);
      entry.rgba = {};
      continue;
    }
    const std::size_t row = static_cast<std::size_t>(picture.width) * 4;
    for (int y = 0; y < picture.height; ++y)
      std::memcpy(reinterpret_cast<std::uint8_t*>(atlas.TexPixelsRGBA32) + (r.Y + y) * stride + r.X * 4,
                  entry.rgba.data() + y * row, row);
    picture.atlasRect = static_cast<std::uint32_t>(entry.reserved);
  }
}

const Picture& loadPicture(std::span<const std::uint8_t> png) {
  return store<Pictures>(context(), kPicturesKey).load(png);
}

void drawPicture(ImDrawList* dl, const Rect& rect, std::span<const std::uint8_t> png) {
  const Picture& picture = loadPicture(png);
  if (!(rect.width > 0.0f && rect.height > 0.0f)) return;
  ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
  const ImFontAtlasCustomRect* packed = atlasRectOf(atlas, picture);
  if (!packed) return;
  const float f = std::min(rect.height / picture.height, rect.width / picture.width);
  const Rect drawn{rect.x + (rect.width - picture.width * f) / 2.0f,
                   rect.y + (rect.height - picture.height * f) / 2.0f, picture.width * f, picture.height * f};
  logDraw(DrawOp::Picture, palette::kWhite, [&](DrawRecord& r) { r.rect = drawn; });
  ImVec2 uv0, uv1;
  atlas.CalcCustomRectUV(packed, &uv0, &uv1);
  dl->AddImage(atlas.TexID, ImVec2(drawn.x, drawn.y), ImVec2(drawn.x + drawn.width, drawn.y + drawn.height),
               uv0, uv1, IM_COL32_WHITE);
}

}  // namespace orbi::ui
