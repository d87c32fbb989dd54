#pragma once
// Drop zones: a widget asks, for its rectangle and the file endings it
// takes, whether matching files hover over it or were just dropped on it.
// Every zone that matches in the frame of a drop sees it; a drop that no
// zone takes is gone after that frame.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/geometry.h"

namespace orbi::ui {

struct DropZoneResult {
  bool hovering = false;           // matching files are over the zone, not yet dropped
  bool dropped = false;            // matching files were dropped on it this frame
  std::vector<std::string> paths;  // the matching paths, in drag order
};

// Endings carry their dot (".wav") and match any letter case; none given
// takes every file. The rectangle is half-open: its right and bottom edges
// are outside. A hovered zone shows a focus ring.
DropZoneResult dropZone(const Rect& rect, std::span<const std::string_view> endings);
DropZoneResult dropZone(const Rect& rect, std::initializer_list<std::string_view> endings);

// Called by the root window after the view: decides the acceptance shown
// while dragging and discards a drop that this frame offered.
void endDropFrame();

}  // namespace orbi::ui
