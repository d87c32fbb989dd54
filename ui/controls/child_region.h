#pragma once
// A Dear ImGui child window placed over a rectangle of the current window.
// Dear ImGui reads a child size of 0 (or less) as "the rest of the window":
// a region given an empty rectangle would then lie, invisible, over the
// widgets below it and take their clicks. Regions are therefore at least
// one pixel in each direction.

#include <imgui.h>

#include "ui/geometry.h"

namespace orbi::ui {

// The child's size for the rectangle: each side at least one pixel.
ImVec2 childRegionSize(const Rect& rect);

// Moves the cursor to the rectangle's top-left corner and begins the child
// named by the id over it, without border. Pair with ImGui::EndChild
// whatever this returns.
bool beginChildRegion(const char* id, const Rect& rect, ImGuiWindowFlags flags);

}  // namespace orbi::ui
