#pragma once
// A borderless region over a rectangle that scrolls a content of known
// height. The content is drawn from origin() while the ScrollArea lives;
// the scroll position is kept by Dear ImGui under the region's id.

#include <imgui.h>

#include "ui/frame_recovery.h"
#include "ui/geometry.h"

namespace orbi::ui {

class ScrollArea {
 public:
  // Begins the region in the current window, in its id scope. Negative
  // content heights count as 0.
  ScrollArea(const char* id, const Rect& rect, float contentHeight);
  // Reserves the content's size, so the scroll range matches it, and ends
  // the region; left by an exception, it only ends the region, after what
  // was pushed in it.
  ~ScrollArea();
  ScrollArea(const ScrollArea&) = delete;
  ScrollArea& operator=(const ScrollArea&) = delete;

  // The content's top-left corner; it moves up as the region scrolls.
  ImVec2 origin() const { return origin_; }
  float contentWidth() const { return width_; }
  float contentHeight() const { return height_; }
  // False when Dear ImGui skips the region (clipped away): nothing drawn
  // into it shows.
  bool began() const { return began_; }

 private:
  ImVec2 origin_;
  float width_ = 0.0f;
  float height_ = 0.0f;
  bool began_ = false;
  ScopeWindow window_;
};

}  // namespace orbi::ui
