#pragma once
// The framed, titled box the editor's pages are laid out in. The frame is
// painted at once; the content drawn while a Panel lives is clipped to the
// box's inner rectangle, for drawing and for hit testing alike.

#include <imgui.h>

#include <string_view>

#include "ui/geometry.h"

namespace orbi::ui {

// Paints the shadow, body, border and (when not empty) the title of a panel
// over the rect and returns the rectangle left for its content.
Rect paintPanelFrame(ImDrawList* dl, const Rect& rect, std::string_view title);

// Where a titled panel over the rect draws its title, and the height its
// title strip and padding add to its content.
Rect panelTitleRect(const Rect& rect);
float titledPanelChrome();

class Panel {
 public:
  // Inside a frame, in the window whose draw list it paints into.
  Panel(const Rect& rect, std::string_view title);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  const Rect& rect() const { return rect_; }
  const Rect& content() const { return content_; }
  ImDrawList* drawList() const { return drawList_; }

 private:
  Rect rect_;
  Rect content_;
  ImDrawList* drawList_;
};

}  // namespace orbi::ui
