#pragma once
// Keeping a floating box (a popup, a menu, the number entry) inside the
// editor window, whose edge would otherwise cut off what lies past it.

#include <imgui.h>

namespace orbi::ui {

// The top-left corner for a box of the size that wants its corner at the
// point, moved in by as little as it takes to lie within the display's
// width and height; a box larger than the display keeps its top or left
// edge at the display's.
ImVec2 keepInside(ImVec2 topLeft, ImVec2 size, ImVec2 display);

}  // namespace orbi::ui
