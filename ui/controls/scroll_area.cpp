#include "ui/controls/scroll_area.h"

#include <algorithm>

#include "ui/controls/child_region.h"

namespace orbi::ui {

ScrollArea::ScrollArea(const char* id, const Rect& rect, float contentHeight) {
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
  began_ = beginChildRegion(id, rect, ImGuiWindowFlags_NoBackground);
  ImGui::PopStyleVar();
  window_.began();
  origin_ = ImGui::GetCursorScreenPos();
  width_ = std::max(0.0f, ImGui::GetContentRegionAvail().x);
  height_ = std::max(0.0f, contentHeight);
}

ScrollArea::~ScrollArea() {
  if (window_.unwinding()) {
    window_.endAfterException();
    return;
  }
  if (began_) {
    ImGui::SetCursorScreenPos(origin_);
    ImGui::Dummy(ImVec2(width_, height_));
  }
  ImGui::EndChild();
}

}  // namespace orbi::ui
