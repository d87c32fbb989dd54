#include "ui/popups/popup.h"

#include <algorithm>

#include "ui/context.h"
#include "ui/imgui_internals.h"
#include "ui/layout/keep_inside.h"
#include "ui/style_scope.h"

namespace orbi::ui {
namespace {

constexpr float kAnchorGap = 4.0f;

// Whether a popup of this height (0: not known) goes below the anchor.
bool fitsBelow(const Rect& anchor, float height, float displayHeight) {
  const float below = displayHeight - (anchor.y + anchor.height);
  // Without a height: wherever there is more room, below on a tie.
  return height > 0.0f ? below >= height + kAnchorGap * scale() : below >= anchor.y;
}

// The size the popup under the id will have when it begins this frame, at
// the current level: what its contents measured last frame. Before it has
// shown, the opening size.
ImVec2 comingSize(ImGuiID id, ImVec2 openingSize) {
  const ImGuiContext& g = *GImGui;
  const int level = g.BeginPopupStack.Size;
  if (level >= g.OpenPopupStack.Size) return openingSize;
  const ImGuiPopupData& popup = g.OpenPopupStack[level];
  if (popup.PopupId != id || !popup.Window || popup.Window->LastFrameActive < g.FrameCount - 1)
    return openingSize;
  return ImGui::CalcWindowNextAutoFitSize(popup.Window);
}

}  // namespace

void placeNextPopup(const char* id, ImVec2 point, ImVec2 pivot, ImVec2 openingSize) {
  const ImVec2 size = comingSize(ImGui::GetID(id), openingSize);
  const ImVec2 corner(point.x - pivot.x * size.x, point.y - pivot.y * size.y);
  ImGui::SetNextWindowPos(keepInside(corner, size, ImGui::GetIO().DisplaySize), ImGuiCond_Always);
}

void openPopup(const char* id) { ImGui::OpenPopup(id); }

void closePopup() { ImGui::CloseCurrentPopup(); }

void endPopup() { ImGui::EndPopup(); }

bool beginAnchoredPopup(const char* id, const Rect& anchor, ImVec2 size) {
  if (!ImGui::IsPopupOpen(id)) return false;
  const float gap = kAnchorGap * scale();
  if (fitsBelow(anchor, size.y, ImGui::GetIO().DisplaySize.y))
    placeNextPopup(id, ImVec2(anchor.x, anchor.y + anchor.height + gap), ImVec2(0.0f, 0.0f), size);
  else
    placeNextPopup(id, ImVec2(anchor.x, anchor.y - gap), ImVec2(0.0f, 1.0f), size);
  // A component of 0 leaves that side to the contents.
  if (size.x > 0.0f || size.y > 0.0f)
    ImGui::SetNextWindowSize(ImVec2(std::max(size.x, 0.0f), std::max(size.y, 0.0f)), ImGuiCond_Appearing);
  const StyleVarScope style(kPopupPadding, 8.0f);
  return ImGui::BeginPopup(id);
}

}  // namespace orbi::ui
