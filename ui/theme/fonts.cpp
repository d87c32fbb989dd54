#include "ui/theme/fonts.h"

#include <stb/stb_truetype.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "ui/context.h"
#include "ui/draw/text_style.h"
#include "ui/theme/embedded_resources.h"

namespace orbi::ui {
namespace {

constexpr float kBaseFontPx = 12.0f;

// Latin-1, the general punctuation from the hyphen to the ellipsis, and the
// small down-pointing triangle that marks menus.
const ImWchar kGlyphRanges[] = {0x0020, 0x00FF, 0x2010, 0x2027, 0x25BE, 0x25BE, 0};
// Inter has no U+25BE: its faces take it from JetBrains Mono.
const ImWchar kMergedRanges[] = {0x25BE, 0x25BE, 0};

const EmbeddedResource& fontResource(FontId font) {
  const auto resources = embeddedResources();
  const auto index = static_cast<std::size_t>(font);
  if (index >= resources.size()) throw std::runtime_error("orbi-ui: embedded font missing");
  return resources[index];
}

bool isInter(FontId font) {
  return font == FontId::InterRegular || font == FontId::InterMedium || font == FontId::InterBold;
}

// Every (font, design size) pair to bake: the text styles' pairs and each
// font at 12 px, Inter Regular at 12 px first.
std::vector<BakedFace> facesToBake() {
  std::vector<BakedFace> faces{{FontId::InterRegular, kBaseFontPx, nullptr}};
  auto addOnce = [&faces](FontId font, float px) {
    const bool known = std::any_of(faces.begin(), faces.end(),
                                   [&](const BakedFace& f) { return f.font == font && f.px == px; });
    if (!known) faces.push_back({font, px, nullptr});
  };
  for (int s = 0; s < kTextStyleCount; ++s) {
    const TextStyleSpec desc = textStyleSpec(static_cast<TextStyle>(s));
    addOnce(desc.font, desc.px);
  }
  for (int f = 0; f < kFontCount; ++f) addOnce(static_cast<FontId>(f), kBaseFontPx);
  return faces;
}

ImFont* addFace(ImFontAtlas& atlas, FontId font, float sizePx, bool merge, const ImWchar* ranges) {
  const EmbeddedResource& resource = fontResource(font);
  ImFontConfig config;
  std::snprintf(config.Name, sizeof config.Name, "%s", resource.name);
  // The bytes stay in the program's read-only data; the atlas never frees
  // or writes them.
  config.FontDataOwnedByAtlas = false;
  config.MergeMode = merge;
  return atlas.AddFontFromMemoryTTF(const_cast<std::uint8_t*>(resource.bytes.data()),
                                    static_cast<int>(resource.bytes.size()), sizePx, &config, ranges);
}

}  // namespace

ImFont* FontFaces::face(FontId id, float px) const {
  const BakedFace* best = nullptr;
  for (const BakedFace& f : faces_) {
    if (f.font != id) continue;
    if (!best || std::fabs(f.px - px) < std::fabs(best->px - px)) best = &f;
  }
  return best ? best->face : font(0);
}

ImFont* FontFaces::font(int index) const {
  const FontId id = index >= 0 && index < kFontCount ? static_cast<FontId>(index) : FontId::InterRegular;
  for (const BakedFace& f : faces_)
    if (f.font == id && f.px == kBaseFontPx) return f.face;
  return nullptr;
}

// Dear ImGui asserts, and so aborts the host, on font data it cannot read
// when the atlas is built: each font is read once here first.
void checkFont(const EmbeddedResource& font) {
  const unsigned char* data = font.bytes.data();
  const int offset = font.bytes.size() < 12 ? -1 : stbtt_GetFontOffsetForIndex(data, 0);
  stbtt_fontinfo info;
  if (offset < 0 || !stbtt_InitFont(&info, data, offset))
    throw std::runtime_error(std::string("orbi-ui: embedded font failed to load: ") + font.name);
}

void checkEmbeddedFonts() {
  for (int f = 0; f < kFontCount; ++f) checkFont(fontResource(static_cast<FontId>(f)));
}

FontFaces loadFonts(ImFontAtlas& atlas, float displayScale) {
  FontFaces faces;
  for (BakedFace face : facesToBake()) {
    const float sizePx = std::max(1.0f, face.px * displayScale);
    face.face = addFace(atlas, face.font, sizePx, false, kGlyphRanges);
    if (isInter(face.font)) addFace(atlas, FontId::JetBrainsMono, sizePx, true, kMergedRanges);
    faces.add(face);
  }
  return faces;
}

ImFont* fontFor(int index) { return context().faces().font(index); }

}  // namespace orbi::ui
