#pragma once
// The drag value: a field showing a Param's text, changed by dragging up
// or down (Shift for fine steps); a double-click opens the number entry
// over it. The tempo and swing fields of the transport are drag values.
// A press begins an edit of the Param that ends exactly once: at the
// release, or when the field is no longer drawn (ui/controls/held_edits.h).
// Main thread, inside a frame.

#include <cstdint>

#include "ui/controls/param.h"
#include "ui/geometry.h"
#include "ui/layout/scale_to_fit.h"

namespace orbi::ui {

struct DragValueOptions {
  Align align = Align::Start;     // where the fitted field sits across its rect
  const char* label = nullptr;    // a caption with the value; null for none
  bool large = false;             // the value in 22 px type beside the caption
  bool bare = false;              // no frame: only a highlight while hovered or held
  bool readOnly = false;          // shows the value, takes no input
  const char* tooltip = nullptr;  // null: the desc's help, when it has one
};

struct DragValueResult {
  bool changed = false;  // set this frame by a drag or a typed commit
  bool hovered = false;
  bool held = false;
};

DragValueResult dragValue(const char* id, const Rect& rect, Param& param,
                          const DragValueOptions& options = {});

}  // namespace orbi::ui
