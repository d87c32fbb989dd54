#include "ui/draw/focus_ring.h"

#include "ui/context.h"
#include "ui/draw/shapes.h"

namespace orbi::ui {

void focusRing(ImDrawList* dl, const Rect& rect) {
  const float s = scale();
  fillRect(dl, rect, 0x1F8DC63F, 4.0f);
  strokeRect(dl, rect.inset(s, s), 0xFF8DC63F, 4.0f, 1.5f);
}

}  // namespace orbi::ui
