#pragma once
// Everything one UI context packs into its Dear ImGui font atlas: the baked
// faces and the two theme images. Dear ImGui 1.86 can only rebuild an atlas
// wholesale, so a new display scale means clearing it and building it
// again; the images are decoded once and copied in after every build.

#include <imgui.h>

#include "ui/theme/fonts.h"
#include "ui/theme/skin.h"

namespace orbi::ui {

// Images of others packed into the same atlas, such as pictures: given
// their rectangles before each build and their pixels after it.
class AtlasGuest {
 public:
  virtual ~AtlasGuest() = default;
  // Images wait that the atlas does not hold yet.
  virtual bool waiting() const = 0;
  virtual void reserve(ImFontAtlas& atlas) = 0;
  // The atlas holds RGBA pixels by now.
  virtual void write(ImFontAtlas& atlas) = 0;
};

class ThemeAtlas {
 public:
  // Checks the embedded fonts and decodes the embedded skin; throws
  // std::runtime_error with the message of the resource that failed.
  ThemeAtlas();
  // Takes another skin; tests pack a small one.
  explicit ThemeAtlas(SkinImage skin);

  // Clears the atlas and builds it again at the scale, with the guest's
  // images when there is one. The atlas must not be locked (Dear ImGui
  // locks it between NewFrame and Render). Throws std::runtime_error when
  // the atlas cannot be built.
  void build(ImFontAtlas& atlas, float displayScale, AtlasGuest* guest = nullptr);

  const FontFaces& faces() const { return faces_; }
  ThemeImageRects rects() const { return rects_; }

 private:
  SkinImage skin_;
  GlowImage glow_{};
  FontFaces faces_;
  ThemeImageRects rects_;
};

}  // namespace orbi::ui
