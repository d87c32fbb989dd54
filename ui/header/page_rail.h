#pragma once
// The page rail: one pill a page in a rail panel, the current page lit.
// Main thread, inside a frame.

#include <imgui.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "ui/draw/icons.h"
#include "ui/geometry.h"

namespace orbi::ui {

// Draws the rail at the rectangle's left, centred down it, and sets the
// current page to a page clicked. A page with a painter shows its icon (and
// its label as tooltip); icons past the end of the span count as none. No
// labels: nothing is drawn.
void drawPageRail(const char* id, const Rect& rect, std::span<const std::string_view> labels,
                  std::uint32_t* current, std::span<const IconPainter> icons = {});

// The rail's natural size in pixels.
ImVec2 pageRailSize(std::span<const std::string_view> labels, std::span<const IconPainter> icons = {});

}  // namespace orbi::ui
