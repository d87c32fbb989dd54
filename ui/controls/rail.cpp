#include "ui/controls/rail.h"

#include <algorithm>

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/interact/interaction.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

constexpr std::uint32_t kRailFill = palette::kTrackFill;
constexpr std::uint32_t kRailBorder = palette::withAlphaByte(palette::kAccentDim, 0x8C);
constexpr std::uint32_t kPillSelected = palette::kGreenDeep;
constexpr std::uint32_t kPillHovered = palette::withAlphaByte(palette::kGreenHover, 0x99);

// Corner rounding of half the rectangle's height, in the design units the
// primitives take.
float pillRounding(const Rect& rect) { return rect.height * 0.5f / scale(); }

}  // namespace

void drawRailPanel(ImDrawList* dl, const Rect& rect) {
  const float rounding = pillRounding(rect);
  fillRect(dl, rect, kRailFill, rounding);
  strokeRect(dl, rect, kRailBorder, rounding, 1.0f);
}

std::uint32_t railBorderColour() { return kRailBorder; }

float railPadding() { return 3.0f * scale(); }

Rect railRect(const Rect& rect, float width) {
  const float b = std::min(32.0f * scale(), rect.height);
  return {rect.x, rect.y + (rect.height - b) / 2.0f, std::max(std::min(rect.width, width), 0.0f),
          std::max(b, 0.0f)};
}

PillState pillButton(const char* id, const Rect& rect, bool selected, const char* tooltip) {
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = rect;
  desc.reach = 8.0f;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = tooltip;
  const Interaction it = interact(id, desc);
  if (selected || it.hovered || it.held)
    fillRect(ImGui::GetWindowDrawList(), rect, selected ? kPillSelected : kPillHovered, pillRounding(rect));
  return {it.clicked && it.hovered, it.hovered, it.held};
}

std::uint32_t pillContentColour(PillState state, bool selected) {
  if (selected) return palette::kAccent;
  return state.hovered ? palette::kLight : palette::kMuted;
}

}  // namespace orbi::ui
