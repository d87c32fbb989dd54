#pragma once
// Plain popups over Dear ImGui, named by string ids in the current window's
// id scope: opened on one frame, then run every frame by their begin
// function until they close (by the caller, or a click outside).

#include <imgui.h>

#include "ui/geometry.h"

namespace orbi::ui {

// The padding inside each side of an anchored popup, in design units: a
// popup that sizes itself to what it holds adds it twice.
constexpr float kPopupPadding = 10.0f;

void openPopup(const char* id);
// Closes the popup being drawn.
void closePopup();
// Ends a popup whose begin function returned true.
void endPopup();

// True while the popup is open: the caller draws its contents and calls
// endPopup. It shows below the anchor, 4 design pixels from it, when it
// fits there, else above it, and moves in as far as the editor window's
// edges ask. The size (pixels) is given to the popup as it first shows; 0
// in both components leaves it to the contents.
bool beginAnchoredPopup(const char* id, const Rect& anchor, ImVec2 size);

// Places the popup that begins next under the id, at the current popup
// level, for this frame: the pivot's share of its size before the point
// (0, 0: the point is its top-left corner), moved inside the display. Its
// size is the one it gets this frame; a popup that only now opens shows
// hidden while it is measured, and counts the given size until then.
void placeNextPopup(const char* id, ImVec2 point, ImVec2 pivot, ImVec2 openingSize);

}  // namespace orbi::ui
