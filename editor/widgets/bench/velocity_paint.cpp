#include <algorithm>
#include <cmath>
#include <string>

#include "editor/widgets/bench/velocity_tile.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/draw_log.h"
#include "ui/draw/shapes.h"
#include "ui/draw/text.h"
#include "ui/interact/tooltip.h"

namespace orbi {
namespace {

constexpr std::uint32_t kZoneFill = palette::withAlphaByte(palette::kAccent, 0x0F);
constexpr std::uint32_t kZoneLabel = palette::withAlphaByte(palette::kMuted, 0xCC);
constexpr std::uint32_t kDividerColour = palette::withAlphaByte(palette::kAccent, 0xCC);
constexpr std::uint32_t kChipHovered = palette::withAlphaByte(palette::kAccent, 0x40);
constexpr std::uint32_t kBaseLine = palette::withAlphaByte(palette::kBorder, 0xCC);
constexpr std::uint32_t kRouteColour = palette::withAlphaByte(palette::kAccent, 0xD9);
constexpr std::uint32_t kSoftHard = palette::withAlphaByte(palette::kMuted, 0x99);
constexpr std::uint32_t kEmptyHint = palette::withAlphaByte(palette::kMuted, 0x80);
constexpr float kHeader = 11.0f;
constexpr float kReadoutClear = 8.0f;  // a hovered route's readout keeps left of the route handles

}  // namespace

void VelocityTile::paint(ImDrawList* dl) const {
  const float s = ui::scale();
  // Routes below the graph reach past the tile; nothing is drawn outside it.
  dl->PushClipRect(ImVec2(rect.x, rect.y),
                   ImVec2(rect.x + std::max(rect.width, 0.0f), rect.y + std::max(rect.height, 0.0f)), true);
  ui::fillRect(dl, rect, palette::kTilePanel, 4.0f);
  ui::strokeRect(dl, rect.inset(0.5f * s, 0.5f * s), palette::kBorder, 4.0f, 1.0f);
  // Folded, the title and the scale share the one line with the graph.
  const float header =
      folded() ? std::max(rect.height, 0.0f) : std::min(kHeader * s, std::max(rect.height, 0.0f));
  ui::drawText(dl, {rect.x + 5.0f * s, rect.y, std::max(rect.width - 5.0f * s, 0.0f), header}, "VELOCITY",
               ui::TextStyle::Caption, palette::kMuted);
  ui::drawText(dl, {rect.x, rect.y, std::max(rect.width - 4.0f * s, 0.0f), header}, legend(),
               ui::TextStyle::Caption, kSoftHard, ui::TextAlign::Right);
  const ui::Rect g = graphRect();
  if (g.width >= 8.0f * s && g.height >= 8.0f * s) {
    if (layered()) paintZones(dl, g);
    ui::drawLine(dl, {g.x, g.y + g.height}, {g.x + g.width, g.y + g.height}, kBaseLine, 1.0f);
    paintRoutes(dl, g);
    if (model_.routes.empty() && !layered())
      ui::drawText(dl, g, "right-click to add a velocity route", ui::TextStyle::Caption, kEmptyHint,
                   ui::TextAlign::Centre);
  }
  dl->PopClipRect();
}

void VelocityTile::paintZones(ImDrawList* dl, const ui::Rect& g) const {
  const float s = ui::scale();
  const int n = zones();
  const float bottom = g.y + g.height;
  const ui::Rect chip = modeChip();
  const float namesEnd = g.x + g.width;
  float left = g.x;
  for (int z = 0; z < n; ++z) {
    const float right = xOfVelocity(model_.zoneVelMax[static_cast<std::size_t>(z)]);
    const ui::Rect span{left, g.y, std::max(right - left, 0.0f), g.height};
    if (z % 2 == 0) ui::fillRect(dl, span, kZoneFill);
    const float nameWidth = std::min(span.x + span.width, namesEnd) - span.x;
    const ui::Rect nameBox{span.x, span.y, std::max(nameWidth, 0.0f), kHeader * s};
    // Beside a divider that is pointed at or dragged, the zones it parts
    // show the velocities each plays instead of their names.
    const int hot = dragKind_ == kDivider ? dragIndex_ : hoverKind_ == kDivider ? hoverIndex_ : -1;
    if (hot >= 0 && (z == hot || z == hot + 1)) {
      ui::drawReadout(dl, nameBox, velocityRange(z), ui::TextStyle::Caption, palette::kLight,
                      ui::TextAlign::Centre);
    } else if (nameWidth > 0.0f) {
      ui::drawText(dl, nameBox, slotLabel(model_.zoneSlots[static_cast<std::size_t>(z)]),
                   ui::TextStyle::Caption, kZoneLabel, ui::TextAlign::Centre);
    }
    left = right;
  }
  for (int i = 0; i + 1 < n; ++i) {
    const float x = xOfVelocity(model_.zoneVelMax[static_cast<std::size_t>(i)]);
    const bool hot = hoverKind_ == kDivider && hoverIndex_ == i;
    const std::uint32_t colour = hot ? palette::kAccentHovered : kDividerColour;
    ui::fillRect(dl, {x - s, g.y, 2.0f * s, g.height}, colour);
    ui::fillCircle(dl, {x, bottom}, 3.0f * s, colour);
    ui::logHandle(this, "zone limit " + std::to_string(i + 1), {x, 0.5f * (g.y + bottom)}, ui::kAlongX,
                  dragKind_ == kDivider && dragIndex_ == i);
  }
  const bool chipHot = hoverKind_ == kModeChip;
  ui::fillRect(dl, chip, chipHot ? kChipHovered : palette::kTrackFill, 4.0f);
  ui::drawText(dl, chip, modeWord(model_.layerMode), ui::TextStyle::Caption,
               chipHot ? palette::kAccent : palette::kMuted, ui::TextAlign::Centre);
}

void VelocityTile::paintRoutes(ImDrawList* dl, const ui::Rect& g) const {
  const float s = ui::scale();
  const ImVec2 origin{g.x, g.y + g.height};
  for (std::size_t j = 0; j < model_.routes.size(); ++j) {
    const int index = static_cast<int>(j);
    const bool hot = hoverKind_ == kRoute && hoverIndex_ == index;
    const std::uint32_t colour = hot ? palette::kAccentHovered : kRouteColour;
    // The ramp runs to the true point; the clip cuts what lies below.
    ui::drawLine(dl, origin, handlePoint(index), colour, hot ? 2.0f : 1.4f);
    ui::fillCircle(dl, shownHandlePoint(index), 3.0f * s, colour);
    ui::logHandle(this, "route " + std::to_string(index + 1), shownHandlePoint(index), ui::kAlongY,
                  dragKind_ == kRoute && dragIndex_ == index);
    if (!hot) continue;
    const Route& r = model_.routes[j];
    const std::string label = r.label + "  " + std::to_string(std::lround(r.amount * 100.0f)) + "%";
    // Left of the handles on the graph's right edge.
    const float end = g.x + g.width - kReadoutClear * s;
    ui::drawReadout(dl, {g.x, g.y, std::max(end - g.x, 0.0f), kHeader * s}, label, ui::TextStyle::Caption,
                    palette::kLight, ui::TextAlign::Right);
  }
}

}  // namespace orbi
