#pragma once
// Plain popups over Dear ImGui, named by string ids in the current window's
// id scope: opened on one frame, then run every frame by their begin
// function until they close (by the caller, or a click outside).

#include <imgui.h>

#include "ui/geometry.h"

namespace orbi::ui {

void openPopup(const char* id);
// Closes the popup being drawn.
void closePopup();
// Ends a popup whose begin function returned true.
void endPopup();

// True while the popup is open: the caller draws its contents and calls
// endPopup. It first shows below the anchor, 4 design pixels from it, when
// it fits there, else above it. The size (pixels) is given to the popup
// as it first shows; 0 in both components leaves it to the contents.
bool beginAnchoredPopup(const char* id, const Rect& anchor, ImVec2 size);

}  // namespace orbi::ui
