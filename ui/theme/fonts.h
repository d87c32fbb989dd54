#pragma once
// The five embedded fonts and the faces baked from them. Dear ImGui 1.86
// draws a font only at the sizes it was baked at, so each (font, design
// size) pair the text styles use, and each font at 12 px, is baked at its
// physical size (design size times the display scale) into the context's
// atlas; scaled drawing stretches the nearest face.

#include <imgui.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace orbi::ui {

enum class FontId : std::uint32_t { InterRegular, InterMedium, InterBold, JetBrainsMono, JetBrainsMonoBold };
inline constexpr int kFontCount = 5;

// One baked face: a font at a design size, baked at max(1, px * scale).
struct BakedFace {
  FontId font = FontId::InterRegular;
  float px = 12.0f;
  ImFont* face = nullptr;  // owned by the atlas; gone at its next rebuild
};

// The faces of one atlas build.
class FontFaces {
 public:
  // The face of the font baked at the design size nearest to px.
  ImFont* face(FontId font, float px) const;
  // Font i's 12 px face; any index outside the five gives font 0.
  ImFont* font(int index) const;
  std::span<const BakedFace> all() const { return faces_; }

  void add(const BakedFace& face) { faces_.push_back(face); }
  void clear() { faces_.clear(); }

 private:
  std::vector<BakedFace> faces_;
};

struct EmbeddedResource;

// Throw std::runtime_error "orbi-ui: embedded font failed to load: <name>"
// when the font (or any of the five embedded ones) cannot be read.
void checkFont(const EmbeddedResource& font);
void checkEmbeddedFonts();

// Adds every face to an unlocked, cleared atlas; Build() bakes them. The
// first face added, Inter Regular at 12 px, is Dear ImGui's default font.
FontFaces loadFonts(ImFontAtlas& atlas, float displayScale);

// The current UI context's font i at 12 px (font 0 outside the five).
ImFont* fontFor(int index);

}  // namespace orbi::ui
