// The velocity tile's three menus: on a route, anywhere else, and on a zone.

#include <algorithm>
#include <cmath>

#include "editor/widgets/bench/velocity_tile.h"
#include "ui/popups/menu.h"

namespace orbi {
namespace {

constexpr const char* kRoutePopup = "velocity.route";
constexpr const char* kAddPopup = "velocity.add";
constexpr const char* kZonePopup = "velocity.zone";
constexpr float kNewRouteAmount = 0.25f;

}  // namespace

void VelocityTile::buildRouteMenu(Hit at) {
  const auto& routes = model_.routes;
  if (at.kind == kRoute && at.index >= 0 && static_cast<std::size_t>(at.index) < routes.size()) {
    selectedRoute_ = at.index;
    selectedParam_ = routes[static_cast<std::size_t>(at.index)].param;
    routeMenu = {ui::MenuEntry("Type a value...", kTypeValue),
                 ui::MenuEntry("Remove this route", kRemoveRoute)};
    pendingPopup_ = kRouteMenu;
    return;
  }
  std::vector<ui::MenuEntry> unrouted;
  for (std::size_t c = 0; c < model_.candidates.size(); ++c) {
    const Candidate& candidate = model_.candidates[c];
    const bool routed =
        std::any_of(routes.begin(), routes.end(), [&](const Route& r) { return r.param == candidate.param; });
    if (!routed)
      unrouted.emplace_back(candidate.label + "##" + std::to_string(c),
                            kFirstCandidate + static_cast<std::uint32_t>(c));
  }
  const bool empty = unrouted.empty();
  addMenu = {ui::MenuEntry("Add velocity route", std::move(unrouted))};
  addMenu[0].enabled = !empty;
  if (model_.sampleBased) {
    addMenu.push_back(ui::MenuEntry::separator());
    addMenu.emplace_back("Add a layer split", kAddSplit, false, zones() < kMaxZones);
    addMenu.emplace_back("Remove a layer split", kRemoveSplit, false, zones() > 0);
  }
  pendingPopup_ = kAddMenu;
}

void VelocityTile::buildZoneMenu() {
  zoneMenu.clear();
  const int current = model_.zoneSlots[static_cast<std::size_t>(pressedZone_)];
  for (std::size_t p = 0; p < model_.slotNames.size(); ++p) {
    const int slot = static_cast<int>(p);
    zoneMenu.emplace_back(slotLabel(slot) + "##" + std::to_string(slot), static_cast<std::uint32_t>(slot + 1),
                          current == slot);
  }
  popupZone_ = pressedZone_;
  pendingPopup_ = kZoneMenu;
}

void VelocityTile::runPopups() {
  switch (pendingPopup_) {
    case kRouteMenu: ui::openPopupAt(kRoutePopup); break;
    case kAddMenu: ui::openPopupAt(kAddPopup); break;
    case kZoneMenu: ui::openPopupAt(kZonePopup); break;
    default: break;
  }
  pendingPopup_ = kNoPopup;
  runRouteMenu();
  runAddMenu();
  runZoneMenu();
}

void VelocityTile::runRouteMenu() {
  const ui::MenuChoice choice = ui::popupMenu(kRoutePopup, routeMenu);
  if (!choice.command) return;
  const auto& routes = model_.routes;
  if (*choice.command == kTypeValue && selectedRoute_ >= 0 &&
      static_cast<std::size_t>(selectedRoute_) < routes.size()) {
    const Route& route = routes[static_cast<std::size_t>(selectedRoute_)];
    NumberEntry::Request request;
    request.id = route.param;
    request.value = route.amount * 100.0f;
    request.lo = -100.0f;
    request.hi = 100.0f;
    request.label = route.label.c_str();
    request.unit = "%";
    entry.open(shownHandlePoint(selectedRoute_), request);
  } else if (*choice.command == kRemoveRoute && onRoute) {
    onRoute(selectedParam_, 0.0f);
  }
}

void VelocityTile::runAddMenu() {
  const ui::MenuChoice choice = ui::popupMenu(kAddPopup, addMenu);
  if (!choice.command) return;
  const std::uint32_t command = *choice.command;
  if (command == kAddSplit && onLayers) {
    onLayers(zones() + 1, model_.layerMode);
  } else if (command == kRemoveSplit && onLayers) {
    onLayers(std::max(zones() - 1, 0), model_.layerMode);
  } else if (command >= kFirstCandidate && command - kFirstCandidate < model_.candidates.size() && onRoute) {
    onRoute(model_.candidates[command - kFirstCandidate].param, kNewRouteAmount);
  }
}

void VelocityTile::runZoneMenu() {
  const ui::MenuChoice choice = ui::popupMenu(kZonePopup, zoneMenu);
  if (choice.command && *choice.command > 0 && onZoneSlot)
    onZoneSlot(popupZone_, static_cast<int>(*choice.command) - 1);
}

}  // namespace orbi
