#include "ui/header/caption_buttons.h"

#include <algorithm>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/interact/interaction.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr float kButton = 32.0f;  // design pixels, square
constexpr float kGlyph = 10.0f;
constexpr std::uint32_t kDangerFill = palette::kDanger;
constexpr std::uint32_t kFill = palette::kGreenHover;
constexpr std::uint32_t kGlyphLit = palette::kLight;
constexpr std::uint32_t kGlyphDim = palette::kMuted;

// The next button from the right end of what is left of the area.
Rect nextFromRight(Rect& area, float side) {
  const Rect column = area.takeRight(side);
  return {column.x, area.y + (area.height - side) / 2.0f, column.width, side};
}

}  // namespace

bool captionButton(const char* id, const Rect& rect, const IconPainter& glyph, const char* tooltip,
                   bool danger) {
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = rect;
  desc.cursor = ImGuiMouseCursor_Arrow;
  desc.tooltip = tooltip;
  const Interaction it = interact(id, desc);
  ImDrawList* dl = ImGui::GetWindowDrawList();
  if (it.hovered || it.held) {
    const std::uint32_t fill = danger ? kDangerFill : kFill;
    fillRect(dl, rect, it.held ? lerpColor(fill, palette::kWhite, 0.1f) : fill, 4.0f);
  }
  const float side = kGlyph * scale();
  if (glyph)
    glyph(dl, {rect.x + (rect.width - side) / 2.0f, rect.y + (rect.height - side) / 2.0f, side, side},
          packColour(it.hovered ? kGlyphLit : kGlyphDim));
  return it.clicked && it.hovered;
}

float drawCaptionButtons(const FrameInfo& frame, const Rect& area) {
  WindowControls* controls = frame.windowControls;
  if (!controls) return 0.0f;
  const float b = kButton * scale();
  Rect left = area;
  if (captionButton("##orbi.caption.close", nextFromRight(left, b), paintClose, "Close", true))
    controls->close();
  const bool restore = controls->isMaximised() || controls->isFullscreen();
  if (captionButton("##orbi.caption.max", nextFromRight(left, b), restore ? paintRestore : paintMaximise,
                    restore ? "Restore" : "Maximise", false))
    controls->toggleMaximise();
  if (captionButton("##orbi.caption.min", nextFromRight(left, b), paintMinimise, "Minimise", false))
    controls->minimise();
  return 3.0f * b;
}

}  // namespace orbi::ui
