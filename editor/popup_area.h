#pragma once
// The content rectangle of a popup of a fixed size. Dear ImGui fits a
// popup's window to what was laid out in it, but the editor's popups draw
// into rectangles: the area reserves the whole rectangle when it ends, so
// that the window keeps the size it was opened with. Inside a popup.

#include <imgui.h>

#include <algorithm>

#include "ui/geometry.h"
#include "ui/imgui_adapter.h"

namespace orbi {

class PopupArea {
 public:
  // size: the popup's outer size in pixels, padding included.
  explicit PopupArea(ImVec2 size) : origin_(ImGui::GetCursorScreenPos()) {
    const ImVec2 pad = ui::windowPadding();
    rect_ = {origin_.x, origin_.y, std::max(size.x - 2.0f * pad.x, 0.0f),
             std::max(size.y - 2.0f * pad.y, 0.0f)};
  }
  ~PopupArea() {
    ImGui::SetCursorScreenPos(origin_);
    ImGui::Dummy(ImVec2(rect_.width, rect_.height));
  }
  PopupArea(const PopupArea&) = delete;
  PopupArea& operator=(const PopupArea&) = delete;

  const ui::Rect& rect() const { return rect_; }

 private:
  ImVec2 origin_;
  ui::Rect rect_;
};

}  // namespace orbi
