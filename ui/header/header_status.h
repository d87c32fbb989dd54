#pragma once
// The header's status message: the overlay while it has text, else the
// primary, coloured by its tone and cut with an ellipsis to its place; a
// shortened text or a detail shows as its tooltip.

#include <cstdint>

#include "ui/geometry.h"
#include "ui/header/header_model.h"

namespace orbi::ui {

// The message shown: the overlay when its text is not empty.
const StatusMessage& shownStatus(const HeaderStatus& status);

std::uint32_t statusColour(StatusTone tone);

// The shown text's width in the Small style plus 4 design pixels; 0 when
// there is no text.
float statusWidth(const HeaderStatus& status);

void drawStatus(const char* id, const Rect& rect, const HeaderStatus& status);

}  // namespace orbi::ui
