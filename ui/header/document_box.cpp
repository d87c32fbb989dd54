#include "ui/header/document_box.h"

#include <imgui.h>

#include <algorithm>

#include "ui/context.h"
#include "ui/controls/buttons.h"
#include "ui/draw/icons.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"
#include "ui/theme/palette.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kRow = 24.0f;
constexpr float kButton = 24.0f;
constexpr float kButtonGap = 4.0f;
constexpr float kLongestName = 260.0f;
constexpr float kNamePadding = 28.0f;
constexpr float kNameInset = 8.0f;
constexpr float kNameRightRoom = 12.0f;
constexpr float kDotOffset = 6.0f;
constexpr float kDotRadius = 3.0f;

constexpr std::uint32_t kNameHeld = palette::kGreenDeep;
constexpr std::uint32_t kNameHovered = palette::kGreenHover;
constexpr std::uint32_t kName = palette::kLight;
constexpr std::uint32_t kUntitled = palette::kMuted;
constexpr std::uint32_t kDot = palette::kAccent;

std::string_view shownName(const DocumentBoxState& state) {
  return state.name.empty() ? std::string_view("Untitled") : state.name;
}

// A button from the right end of the row, with its gap to the left.
bool rowButton(const char* id, Rect& row, const IconPainter& glyph, const char* tooltip) {
  const float s = scale();
  const Rect slot = row.takeRight(kButton * s);
  row.takeRight(kButtonGap * s);
  return painterButton(id, slot, glyph, tooltip, false, {});
}

void drawName(const Rect& area, const DocumentBoxState& state) {
  const float s = scale();
  const Rect text{area.x + kNameInset * s, area.y,
                  std::max(0.0f, area.width - (2.0f * kNameInset + kNameRightRoom) * s), area.height};
  const std::string_view name = shownName(state);
  ImDrawList* dl = ImGui::GetWindowDrawList();
  drawText(dl, text, name, TextStyle::Body, state.name.empty() ? kUntitled : kName);
  if (!state.dirty) return;
  const float end = text.x + std::min(measureText(name, TextStyle::Body).x, text.width);
  fillCircle(dl, ImVec2(end + kDotOffset * s, area.y + area.height / 2.0f), kDotRadius * s, kDot);
}

}  // namespace

float documentBoxWidth(const DocumentBoxState& state) {
  const float s = scale();
  const float name = kLongestName * s;
  const int buttons = (state.showNav ? 2 : 0) + (state.showSave ? 1 : 0);
  return name + kNamePadding * s + (kButton + kButtonGap) * s * static_cast<float>(buttons);
}

DocumentBoxResult drawDocumentBox(const char* id, const Rect& rect, const DocumentBoxState& state) {
  const float s = scale();
  DocumentBoxResult result;
  ImGui::PushID(id);
  const float height = std::max(0.0f, std::min(kRow * s, rect.height));
  Rect row{rect.x, rect.y + (rect.height - height) / 2.0f, std::max(0.0f, rect.width), height};
  if (state.showSave) result.save = rowButton("save", row, paintSave, state.dirty ? "Save changes" : "Save");
  if (state.showNav) {
    result.next = rowButton("next", row, paintChevronRight, "Next");
    result.previous = rowButton("previous", row, paintChevronLeft, "Previous");
  }
  InteractSpec desc;
  desc.kind = HitKind::Rectangle;
  desc.rect = row;
  desc.cursor = ImGuiMouseCursor_Hand;
  desc.tooltip = state.nameTooltip;
  const Interaction it = interact("name", desc);
  if (it.hovered || it.held)
    fillRect(ImGui::GetWindowDrawList(), row, it.held ? kNameHeld : kNameHovered, 6.0f);
  drawName(row, state);
  result.nameClicked = it.clicked && it.hovered;
  ImGui::PopID();
  return result;
}

}  // namespace orbi::ui
