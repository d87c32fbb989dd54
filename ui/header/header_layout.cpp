#include "ui/header/header_layout.h"

#include <algorithm>

#include "ui/context.h"

namespace orbi::ui {
namespace {

// Design pixels.
constexpr float kFreeRoom = 48.0f;
constexpr float kNarrowestField = 120.0f;

}  // namespace

HeaderRowShares shareHeaderRow(const HeaderRowWidths& widths, float rowWidth, bool document) {
  const float s = scale();
  const float free = kFreeRoom * s;
  const float rest = rowWidth - (widths.menu + widths.label + widths.field + widths.undoRedo);
  HeaderRowShares shares{widths.field, std::min(widths.status, std::max(0.0f, rest - free))};
  const float remainder = rest - shares.status;
  if (remainder < free && document) {
    // Never grown, and never cut below the narrowest it may be.
    const float floor = std::min(widths.field, kNarrowestField * s);
    shares.field = std::max(floor, widths.field - (free - remainder));
  }
  return shares;
}

}  // namespace orbi::ui
