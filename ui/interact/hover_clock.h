#pragma once
// When a tooltip may show. Dear ImGui 1.86 has no hover delays, so each UI
// context keeps this clock in its store: an item's tooltip shows once the
// item has been hovered for the theme's hover delay and the pointer has
// rested on it for the stationary delay (having rested, it may move again).
// Hovering another item, or a frame in which the item is not hovered,
// starts the count again.

#include <imgui.h>

#include <cstdint>

#include "ui/store_map.h"

namespace orbi::ui {

class HoverClock {
 public:
  // Called in each frame the item is hovered (more calls in one frame
  // change nothing), with Dear ImGui's frame count and time and the
  // pointer's movement since the previous frame. True once the tooltip may
  // show.
  bool hovered(ImGuiID item, int frame, double now, ImVec2 pointerMoved);
  // While the last call said no: when the tooltip shows if the pointer
  // stays at rest on the item.
  double readyAt() const;

 private:
  ImGuiID item_ = 0;
  int lastFrame_ = -2;     // the frame of the last call
  double hoverStart_ = 0;  // when the item's hover began
  double restStart_ = 0;   // when the pointer last moved over it
  bool rested_ = false;    // it has rested long enough on this item
  bool ready_ = false;     // the last call's answer
};

inline constexpr std::uint32_t kHoverClockKey = fourCc("HOVR");

}  // namespace orbi::ui
