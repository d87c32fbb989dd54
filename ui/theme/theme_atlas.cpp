#include "ui/theme/theme_atlas.h"

#include <stdexcept>
#include <utility>

namespace orbi::ui {

ThemeAtlas::ThemeAtlas() : ThemeAtlas((checkEmbeddedFonts(), decodeEmbeddedSkin())) {}

ThemeAtlas::ThemeAtlas(SkinImage skin) : skin_(std::move(skin)) { makeGlow(glow_); }

void ThemeAtlas::build(ImFontAtlas& atlas, float displayScale, AtlasGuest* guest) {
  atlas.Clear();
  faces_ = loadFonts(atlas, displayScale);
  rects_ = addThemeImageRects(atlas, skin_);
  if (guest) guest->reserve(atlas);
  if (!atlas.Build()) throw std::runtime_error("orbi-ui: the font atlas failed to build");
  writeThemeImages(atlas, rects_, skin_, glow_);
  if (guest) guest->write(atlas);
}

}  // namespace orbi::ui
