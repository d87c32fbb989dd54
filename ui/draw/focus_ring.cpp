#include "ui/draw/focus_ring.h"

#include "ui/context.h"
#include "ui/draw/shapes.h"
#include "ui/theme/palette.h"

namespace orbi::ui {

void focusRing(ImDrawList* dl, const Rect& rect) {
  const float s = scale();
  fillRect(dl, rect, palette::withAlphaByte(palette::kAccent, 0x1F), 4.0f);
  strokeRect(dl, rect.inset(s, s), palette::kAccent, 4.0f, 1.5f);
}

}  // namespace orbi::ui
