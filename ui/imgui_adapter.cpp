#include "ui/imgui_adapter.h"

#include "ui/imgui_internals.h"

namespace orbi::ui {

static_assert(kMostTableColumns == IMGUI_TABLE_MAX_COLUMNS);

ImVec2 windowPadding() { return ImGui::GetCurrentWindow()->WindowPadding; }

ImGuiID lastItemId() { return GImGui->LastItemData.ID; }

Rect lastItemRect() {
  const ImRect& r = GImGui->LastItemData.Rect;
  return {r.Min.x, r.Min.y, r.Max.x - r.Min.x, r.Max.y - r.Min.y};
}

ImGuiID lastItemKey() {
  const ImGuiLastItemData& item = GImGui->LastItemData;
  return item.ID != 0 ? item.ID : ImHashData(&item.Rect, sizeof item.Rect);
}

int fontStackDepth() { return GImGui->FontStack.Size; }

void scrollNextWindowToTop() { ImGui::SetNextWindowScroll(ImVec2(-1.0f, 0.0f)); }

OwnerIdScope::OwnerIdScope(const void* owner) { ImGui::PushOverrideID(ImHashData(&owner, sizeof owner)); }

OwnerIdScope::~OwnerIdScope() { ImGui::PopID(); }

}  // namespace orbi::ui
