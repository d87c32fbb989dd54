#pragma once
// The ring that marks a focused or targeted area: a faint accent fill and
// an accent outline just inside the rectangle.

#include <imgui.h>

#include "ui/geometry.h"

namespace orbi::ui {

void focusRing(ImDrawList* dl, const Rect& rect);

}  // namespace orbi::ui
