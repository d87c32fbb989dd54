#pragma once
// Keeping a floating box (a popup, a menu, the number entry, a tooltip)
// inside the editor window, whose edge would otherwise cut off what lies
// past it.

#include <imgui.h>

#include "ui/geometry.h"

namespace orbi::ui {

// The top-left corner for a box of the size that wants its corner at the
// point, moved in by as little as it takes to lie within the display; a box
// larger than the display keeps its top or left edge at the display's.
ImVec2 keepInside(ImVec2 topLeft, ImVec2 size, const Rect& display);
// The same for a display of that width and height from the origin.
ImVec2 keepInside(ImVec2 topLeft, ImVec2 size, ImVec2 display);

}  // namespace orbi::ui
