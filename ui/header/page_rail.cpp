#include "ui/header/page_rail.h"

#include <algorithm>
#include <string>

#include "ui/context.h"
#include "ui/controls/rail.h"
#include "ui/draw/text.h"
#include "ui/theme/colour.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kIconPage = 44.0f;
constexpr float kLabelPadding = 28.0f;
constexpr float kRailHeight = 32.0f;
constexpr float kIconSide = 18.0f;

bool hasIcon(std::span<const IconPainter> icons, std::size_t page) {
  return page < icons.size() && static_cast<bool>(icons[page]);
}

float pageWidth(std::span<const std::string_view> labels, std::span<const IconPainter> icons,
                std::size_t page) {
  if (hasIcon(icons, page)) return kIconPage * scale();
  return kLabelPadding * scale() + measureText(labels[page], TextStyle::Body).x;
}

void drawPage(const Rect& pill, std::string_view label, const IconPainter* icon, bool selected,
              std::uint32_t* current, std::uint32_t page) {
  // The label is a tooltip only beside an icon; pills want it terminated.
  const std::string tooltip = icon ? std::string(label) : std::string();
  const PillState state = pillButton("page", pill, selected, icon ? tooltip.c_str() : nullptr);
  if (state.clicked && !selected) *current = page;
  const std::uint32_t colour = pillContentColour(state, selected);
  ImDrawList* dl = ImGui::GetWindowDrawList();
  if (!icon) {
    drawText(dl, pill, label, TextStyle::Body, colour, TextAlign::Centre);
    return;
  }
  const float side = kIconSide * scale();
  (*icon)(dl, {pill.x + (pill.width - side) / 2.0f, pill.y + (pill.height - side) / 2.0f, side, side},
          packColour(colour));
}

}  // namespace

ImVec2 pageRailSize(std::span<const std::string_view> labels, std::span<const IconPainter> icons) {
  float width = 2.0f * railPadding();
  for (std::size_t i = 0; i < labels.size(); ++i) width += pageWidth(labels, icons, i);
  return ImVec2(width, kRailHeight * scale());
}

void drawPageRail(const char* id, const Rect& rect, std::span<const std::string_view> labels,
                  std::uint32_t* current, std::span<const IconPainter> icons) {
  if (labels.empty() || !current) return;
  const Rect rail = railRect(rect, pageRailSize(labels, icons).x);
  drawRailPanel(ImGui::GetWindowDrawList(), rail);
  ImGui::PushID(id);
  const float pad = railPadding();
  // Pills never run past the panel, however narrow it is.
  Rect row{rail.x + pad, rail.y + pad, std::max(0.0f, rail.width - 2.0f * pad),
           std::max(0.0f, rail.height - 2.0f * pad)};
  const std::uint32_t selected = *current;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const Rect pill = row.takeLeft(pageWidth(labels, icons, i));
    ImGui::PushID(static_cast<int>(i));
    drawPage(pill, labels[i], hasIcon(icons, i) ? &icons[i] : nullptr, selected == i, current,
             static_cast<std::uint32_t>(i));
    ImGui::PopID();
  }
  ImGui::PopID();
}

}  // namespace orbi::ui
