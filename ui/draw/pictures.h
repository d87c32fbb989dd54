#pragma once
// PNG pictures drawn from the UI context's font atlas. Dear ImGui 1.86 can
// add to an atlas only when it is built, so a picture is decoded on first
// use and waits; the context's next prepareFrame rebuilds the atlas with it
// and it shows from the next frame on. Each picture keeps its pixels and is
// copied in again after every rebuild (a new display scale).
//
// Pictures are known by the address of their bytes: pass only bytes that
// live as long as the plug-in (embedded resources), never a buffer that is
// freed or reused.

#include <imgui.h>

#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "ui/geometry.h"
#include "ui/store_map.h"
#include "ui/theme/theme_atlas.h"

namespace orbi::ui {

inline constexpr std::uint32_t kNoAtlasRect = 0xFFFFFFFF;

struct Picture {
  std::uint32_t atlasRect =
      kNoAtlasRect;        // the atlas custom-rectangle id; none until packed, or after a failure
  std::int32_t width = 0;  // pixels
  std::int32_t height = 0;
};

// The pictures of one UI context, kept in its store under 'PICT' and used
// on the main thread only. Each PNG
// is tried once: a failure is printed to standard error once and leaves an
// entry that draws nothing.
class Pictures : public AtlasGuest {
 public:
  Pictures();

  const Picture& load(std::span<const std::uint8_t> png);

  bool waiting() const override { return waiting_; }
  void reserve(ImFontAtlas& atlas) override;
  void write(ImFontAtlas& atlas) override;

 private:
  struct Entry {
    Picture picture;
    std::vector<std::uint8_t> rgba;  // kept for every rebuild; empty after a failure
    int reserved = -1;               // the rectangle asked for in the build under way
  };

  std::unordered_map<const std::uint8_t*, Entry> entries_;
  bool waiting_ = false;
};

inline constexpr std::uint32_t kPicturesKey = fourCc("PICT");

// The current context's picture of the PNG; decoded on first use. The
// bytes must live as long as the plug-in (an embedded resource).
const Picture& loadPicture(std::span<const std::uint8_t> png);

// Draws the picture as large as it fits in the rect, its aspect ratio kept,
// centred. Nothing until it is packed, nor for an empty rect. The bytes
// must live as long as the plug-in, as for loadPicture.
void drawPicture(ImDrawList* dl, const Rect& rect, std::span<const std::uint8_t> png);

}  // namespace orbi::ui
