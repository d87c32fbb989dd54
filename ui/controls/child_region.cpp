#include "ui/controls/child_region.h"

#include <algorithm>

namespace orbi::ui {

ImVec2 childRegionSize(const Rect& rect) {
  // std::max keeps its first argument for NaN.
  return ImVec2(std::max(1.0f, rect.width), std::max(1.0f, rect.height));
}

bool beginChildRegion(const char* id, const Rect& rect, ImGuiWindowFlags flags) {
  ImGui::SetCursorScreenPos(ImVec2(rect.x, rect.y));
  return ImGui::BeginChild(id, childRegionSize(rect), false, flags);
}

}  // namespace orbi::ui
