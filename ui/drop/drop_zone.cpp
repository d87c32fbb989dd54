#include "ui/drop/drop_zone.h"

#include <algorithm>

#include "ui/ascii.h"
#include "ui/draw/focus_ring.h"
#include "ui/drop/drop_state.h"
#include "ui/store.h"

namespace orbi::ui {
namespace {

bool takes(std::string_view path, std::span<const std::string_view> endings) {
  if (endings.empty()) return true;
  return std::any_of(endings.begin(), endings.end(),
                     [&](std::string_view ending) { return endsWithIgnoringCase(path, ending); });
}

}  // namespace

void DropState::enter() {
  paths.clear();
  point = ImVec2(-FLT_MAX, -FLT_MAX);
  over = true;
  dropped = false;
}

void DropState::leave() {
  paths.clear();
  over = dropped = accepted = false;
}

DropState& dropState(UiContext& ui) { return store<DropState>(ui, kDropStateKey); }

DropZoneResult dropZone(const Rect& rect, std::span<const std::string_view> endings) {
  DropZoneResult result;
  DropState& drop = dropState(context());
  if (!drop.over || !rect.contains(drop.point)) return result;
  for (const std::string& path : drop.paths)
    if (takes(path, endings)) result.paths.push_back(path);
  if (result.paths.empty()) return result;
  drop.acceptedNow = true;
  result.dropped = drop.dropped;
  result.hovering = !drop.dropped;
  if (result.hovering) focusRing(ImGui::GetWindowDrawList(), rect);
  return result;
}

DropZoneResult dropZone(const Rect& rect, std::initializer_list<std::string_view> endings) {
  return dropZone(rect, std::span<const std::string_view>(endings.begin(), endings.size()));
}

void endDropFrame() {
  DropState& drop = dropState(context());
  drop.accepted = drop.over && drop.acceptedNow;
  const bool taken = drop.acceptedNow;
  drop.acceptedNow = false;
  if (!drop.dropped) return;
  drop.outcome = taken ? DropOutcome::Taken : DropOutcome::Ignored;
  drop.leave();
}

}  // namespace orbi::ui
