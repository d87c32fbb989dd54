#include "editor/widgets/bench/velocity_tile.h"

#include <algorithm>
#include <cmath>

#include "editor/widgets/drag_sweep.h"
#include "editor/widgets/widget_support.h"
#include "ui/context.h"
#include "ui/draw/text.h"
#include "ui/interact/interaction.h"

namespace orbi {
namespace {

constexpr float kSide = 5.0f;
constexpr float kTopBottom = 3.0f;
constexpr float kHeader = 11.0f;
constexpr float kFoldedTitle = 48.0f;  // "VELOCITY" and a gap, left of a folded graph
constexpr float kFoldedScale = 64.0f;  // "soft ....... hard" and a gap, right of it
constexpr float kScaleGap = 6.0f;      // left of a longer scale
constexpr float kMinGraph = 8.0f;
constexpr float kHandleReach = 8.0f;
constexpr float kChipApart = 6.0f;    // between the folded graph and the chip: past a divider's reach
constexpr float kChipWidth = 58.0f;   // at least
constexpr float kChipPadding = 8.0f;  // around its longest word
constexpr float kHandleLift = 3.0f;   // above the tile's bottom for a route below it
constexpr int kMaxVelocity = 127;

constexpr const char* kSoftToHard = "soft ....... hard";
constexpr const char* kHelp =
    "VELOCITY - what changes as the hit gets harder (soft on the left, hard on the right).\n"
    "drag a ramp handle: how much a param opens with force  /  right-click empty: add a route\n"
    "samplers: drag a divider to move a layer split  /  click a zone: pick its sample";

ImGuiMouseCursor cursorFor(int kind) {
  switch (kind) {
    case VelocityTile::kRoute: return ImGuiMouseCursor_ResizeNS;
    case VelocityTile::kDivider: return ImGuiMouseCursor_ResizeEW;
    case VelocityTile::kZone:
    case VelocityTile::kModeChip: return ImGuiMouseCursor_Hand;
    default: return ImGuiMouseCursor_Arrow;
  }
}

}  // namespace

VelocityTile::VelocityTile() {
  entry.onCommit = [this](int id, float typed) { commitTyped(id, typed); };
}

void VelocityTile::draw(const ui::Rect& r) {
  ImGui::PushID(this);
  rect = r;
  handleInput();
  paint(ImGui::GetWindowDrawList());
  runPopups();
  entry.draw(r);
  ImGui::PopID();
}

void VelocityTile::setModel(Model m) {
  model_ = std::move(m);
  hoverKind_ = kNothing;
  hoverIndex_ = -1;
}

int VelocityTile::zones() const {
  const auto sized = std::min(model_.zoneVelMax.size(), model_.zoneSlots.size());
  return std::max(0, std::min(model_.zoneCount, static_cast<int>(std::min<std::size_t>(sized, kMaxZones))));
}

// Room for the longest scale of the sound's modes: the graph and the chip
// stay put while the chip cycles them.
float VelocityTile::legendRoom() const {
  const float s = ui::scale();
  float scale = ui::measureText(legend(), ui::TextStyle::Caption).x;
  if (layered()) {
    for (const int mode : {kVelocity, kRoundRobin, kVelocityRoundRobin})
      scale = std::max(scale, ui::measureText(layeredLegend(mode), ui::TextStyle::Caption).x);
  }
  return std::max(kFoldedScale * s, scale + kScaleGap * s);
}

float VelocityTile::chipWidth() {
  const float s = ui::scale();
  float widest = 0.0f;
  for (const int mode : {kVelocity, kRoundRobin, kVelocityRoundRobin})
    widest = std::max(widest, ui::measureText(modeWord(mode), ui::TextStyle::Caption).x);
  return std::max(kChipWidth * s, widest + kChipPadding * s);
}

// Folded, the line holds the title, the graph, the chip and the scale;
// else the title, chip and scale head the graph. The chip never lies over
// the graph, so no divider goes under it.
ui::Rect VelocityTile::graphRect() const {
  const float s = ui::scale();
  ui::Rect g = rect.inset(kSide * s, kTopBottom * s);
  if (!folded()) {
    g.takeTop(kHeader * s);
    return g;
  }
  g.takeLeft(kFoldedTitle * s);
  g.takeRight(legendRoom());
  if (layered()) g.takeRight(chipWidth() + kChipApart * s);
  return g;
}

const char* VelocityTile::modeWord(int mode) {
  switch (mode) {
    case kRoundRobin: return "ROUND-ROBIN";
    case kVelocityRoundRobin: return "VEL + RR";
    default: return "VELOCITY";
  }
}

const char* VelocityTile::layeredLegend(int mode) {
  switch (mode) {
    case kRoundRobin: return "layers in turn, hit by hit";
    case kVelocityRoundRobin: return "soft ... hard, then in turn";
    default: return kSoftToHard;
  }
}

const char* VelocityTile::legend() const { return layered() ? layeredLegend(model_.layerMode) : kSoftToHard; }

ui::Rect VelocityTile::modeChip() const {
  const float s = ui::scale();
  const float width = chipWidth();
  const ui::Rect g = graphRect();
  if (folded()) return {g.x + g.width + kChipApart * s, g.y, width, kHeader * s};
  // In the header, just left of the scale.
  const float right = rect.x + rect.width - kSide * s - legendRoom();
  return {right - width, rect.y, width, std::min(kHeader * s, std::max(rect.height, 0.0f))};
}

float VelocityTile::xOfVelocity(int v) const {
  const ui::Rect g = graphRect();
  return g.x + g.width * clamp01NanTo0(static_cast<float>(v) / kMaxVelocity);
}

ImVec2 VelocityTile::handlePoint(int j) const {
  const ui::Rect g = graphRect();
  return {g.x + g.width, g.y + g.height - g.height * model_.routes[static_cast<std::size_t>(j)].amount};
}

ImVec2 VelocityTile::shownHandlePoint(int j) const {
  ImVec2 p = handlePoint(j);
  const float bottom = rect.y + rect.height;
  if (p.y > bottom) p.y = bottom - kHandleLift * ui::scale();
  return p;
}

VelocityTile::Hit VelocityTile::hitTest(ImVec2 p) const {
  const float s = ui::scale();
  const ui::Rect g = graphRect();
  if (g.width < kMinGraph * s) return {};
  const int n = zones();
  // Handles first, each the nearest of its kind: a divider dragged onto
  // its neighbour is still taken at its own bar.
  Hit nearest;
  float best = kHandleReach * s;
  for (std::size_t j = 0; j < model_.routes.size(); ++j) {
    const ImVec2 h = shownHandlePoint(static_cast<int>(j));
    const float d = std::hypot(p.x - h.x, p.y - h.y);
    if (d < best) {
      nearest = {kRoute, static_cast<int>(j)};
      best = d;
    }
  }
  if (nearest.kind != kNothing) return nearest;
  if (!layered()) return {};
  best = kDividerReach * s;
  for (int i = 0; i + 1 < n; ++i) {
    const float d = std::fabs(p.x - xOfVelocity(model_.zoneVelMax[static_cast<std::size_t>(i)]));
    if (d < best) {
      nearest = {kDivider, i};
      best = d;
    }
  }
  if (nearest.kind != kNothing) return nearest;
  if (modeChip().contains(p)) return {kModeChip, 0};
  if (!g.contains(p)) return {};
  float left = g.x;
  for (int z = 0; z < n; ++z) {
    const float end = xOfVelocity(model_.zoneVelMax[static_cast<std::size_t>(z)]);
    if (p.x >= left && p.x <= end) return {kZone, z};
    left = end;
  }
  return {};
}

std::string VelocityTile::slotLabel(int slot) const {
  if (slot >= 0 && static_cast<std::size_t>(slot) < model_.slotNames.size() &&
      !model_.slotNames[static_cast<std::size_t>(slot)].empty())
    return model_.slotNames[static_cast<std::size_t>(slot)];
  return "slot " + std::to_string(slot);
}

// A missing limit counts as the top; a hit of velocity 0 plays nothing.
std::string VelocityTile::velocityRange(int z) const {
  const auto limit = [this](int i) {
    return i >= 0 && static_cast<std::size_t>(i) < model_.zoneVelMax.size()
               ? std::clamp(model_.zoneVelMax[static_cast<std::size_t>(i)], 0, 127)
               : 127;
  };
  const int lo = z > 0 ? std::min(limit(z - 1) + 1, 127) : 1;
  return "vel " + std::to_string(lo) + "\u2013" + std::to_string(std::max(limit(z), lo));
}

void VelocityTile::handleInput() {
  const ImVec2 pointer = ImGui::GetIO().MousePos;
  const Hit under = rect.contains(pointer) ? hitTest(pointer) : Hit{};
  help = kHelp;
  ui::InteractSpec desc;
  desc.kind = ui::HitKind::Rectangle;
  desc.rect = rect;
  desc.axis = ui::DragAxis::Free;
  desc.cursor = cursorFor(under.kind);
  desc.tooltip = help.c_str();
  const ui::Interaction it = ui::interact("velocity", desc);
  if (!it.held) {
    hoverKind_ = it.hovered ? under.kind : kNothing;
    hoverIndex_ = it.hovered ? under.index : -1;
  }
  if (it.rightClicked) buildRouteMenu(under);
  if (it.pressed) press(it.pressPos);
  // The second press of a double-click is no press, but the chip counts
  // every click.
  if (it.doubleClicked && hitTest(it.pressPos).kind == kModeChip && onLayers)
    onLayers(zones(), (model_.layerMode + 1) % 3);
  if (it.held && !it.pressed && (it.delta.x != 0.0f || it.delta.y != 0.0f)) drag(it);
  if (it.released) release(it.clicked);
}

void VelocityTile::press(ImVec2 at) {
  const Hit pk = hitTest(at);
  dragKind_ = kNothing;
  dragIndex_ = -1;
  pressedZone_ = -1;
  switch (pk.kind) {
    case kModeChip:
      if (onLayers) onLayers(zones(), (model_.layerMode + 1) % 3);
      break;
    case kZone: pressedZone_ = pk.index; break;
    case kDivider:
      // Taken where it is: the drag moves it as far as the pointer moves.
      dragKind_ = kDivider;
      dragIndex_ = pk.index;
      if (pk.index >= 0 && pk.index <= zones() - 2)
        grabDx_ = xOfVelocity(model_.zoneVelMax[static_cast<std::size_t>(pk.index)]) - at.x;
      break;
    case kRoute:
      // A route is dragged from where it was, so a handle held at the
      // tile's edge does not jump to the pointer; a press sends nothing.
      dragKind_ = kRoute;
      dragIndex_ = pk.index;
      amountAtPress_ = model_.routes[static_cast<std::size_t>(pk.index)].amount;
      break;
    default: break;
  }
}

void VelocityTile::drag(const ui::Interaction& it) {
  if (dragKind_ == kRoute && dragIndex_ >= 0 && static_cast<std::size_t>(dragIndex_) < model_.routes.size()) {
    // The amount runs from -1 to 1 over twice the graph's height, and no
    // faster than the least sweep allows.
    const float h = graphRect().height;
    if (h > 0.0f)
      setRouteAmount(
          dragIndex_,
          clampTo(amountAtPress_ - 2.0f * it.total.y / sweepLength(2.0f * h, ui::scale()), -1.0f, 1.0f));
  } else if (dragKind_ == kDivider && dragIndex_ >= 0 && dragIndex_ <= zones() - 2) {
    moveDivider(dragIndex_, it.pressPos.x + grabDx_ + sweptBy(it.total.x, graphRect().width, ui::scale()));
  }
}

void VelocityTile::release(bool click) {
  if (click && pressedZone_ >= 0 && pressedZone_ < zones()) buildZoneMenu();
  dragKind_ = kNothing;
  dragIndex_ = -1;
  pressedZone_ = -1;
}

void VelocityTile::setRouteAmount(int j, float amount) {
  Route& route = model_.routes[static_cast<std::size_t>(j)];
  route.amount = amount;
  const int param = route.param;
  if (onRoute) onRoute(param, amount);
}

void VelocityTile::moveDivider(int i, float x) {
  const ui::Rect g = graphRect();
  const auto at = [this](int k) { return model_.zoneVelMax[static_cast<std::size_t>(k)]; };
  const float t = g.width > 0.0f ? clamp01NanTo0((x - g.x) / g.width) : 0.0f;
  int v = static_cast<int>(std::lround(t * kMaxVelocity));
  const int lo = i > 0 ? at(i - 1) + 1 : 1;
  const int hi = i + 1 < zones() ? at(i + 1) - 1 : kMaxVelocity - 1;
  v = std::min(std::max(v, lo), std::max(lo, hi));
  // Only a new limit is an edit: a drag resting between two velocities
  // would otherwise send the same one every frame.
  if (v == at(i)) return;
  model_.zoneVelMax[static_cast<std::size_t>(i)] = v;
  if (onZoneLimit) onZoneLimit(i, v);
}

void VelocityTile::commitTyped(int id, float typed) {
  if (onRoute) onRoute(id, clampTo(typed / 100.0f, -1.0f, 1.0f));
}

}  // namespace orbi
