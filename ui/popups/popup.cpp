#include "ui/popups/popup.h"

#include <algorithm>

#include "ui/context.h"
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

}  // namespace

void openPopup(const char* id) { ImGui::OpenPopup(id); }

void closePopup() { ImGui::CloseCurrentPopup(); }

void endPopup() { ImGui::EndPopup(); }

bool beginAnchoredPopup(const char* id, const Rect& anchor, ImVec2 size) {
  if (!ImGui::IsPopupOpen(id)) return false;
  const float gap = kAnchorGap * scale();
  if (fitsBelow(anchor, size.y, ImGui::GetIO().DisplaySize.y))
    ImGui::SetNextWindowPos(ImVec2(anchor.x, anchor.y + anchor.height + gap), ImGuiCond_Appearing);
  else
    ImGui::SetNextWindowPos(ImVec2(anchor.x, anchor.y - gap), ImGuiCond_Appearing, ImVec2(0.0f, 1.0f));
  // A component of 0 leaves that side to the contents.
  if (size.x > 0.0f || size.y > 0.0f)
    ImGui::SetNextWindowSize(ImVec2(std::max(size.x, 0.0f), std::max(size.y, 0.0f)), ImGuiCond_Appearing);
  const StyleVarScope style(10.0f, 8.0f);
  return ImGui::BeginPopup(id);
}

}  // namespace orbi::ui
