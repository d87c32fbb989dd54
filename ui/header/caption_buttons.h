#pragma once
// The caption buttons of a host window that has controls of its own:
// minimise, maximise or restore, and close. The embedded editor has none
// and draws nothing here. Main thread, inside a frame.

#include "ui/draw/icons.h"
#include "ui/geometry.h"
#include "ui/view.h"

namespace orbi::ui {

// Draws the three buttons at the area's right end, acting on the frame's
// window controls. Returns the width used: 3 * 32 design pixels, or 0
// without window controls.
float drawCaptionButtons(const FrameInfo& frame, const Rect& area);

// One caption button; true when released over it without a drag.
bool captionButton(const char* id, const Rect& rect, const IconPainter& glyph, const char* tooltip,
                   bool danger);

}  // namespace orbi::ui
