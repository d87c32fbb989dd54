#pragma once
// The header's status message: the overlay while it has text, else the
// primary, coloured by its tone and cut with an ellipsis to its place; its
// whole, a shortened text or a detail shows as its tooltip.

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/geometry.h"
#include "ui/header/header_model.h"

namespace orbi::ui {

// The message shown: the overlay when its text is not empty.
const StatusMessage& shownStatus(const HeaderStatus& status);

std::uint32_t statusColour(StatusTone tone);

// The shown text's width in the Small style plus 4 design pixels; 0 when
// there is no text.
float statusWidth(const HeaderStatus& status);

// A yielding part keeps at least this many characters, the ellipsis among
// them.
inline constexpr std::size_t kShortestYield = 12;
// The most of a message's text (bytes) that is measured, drawn or put in
// its tooltip; more than any header shows at any scale.
inline constexpr std::size_t kLongestStatusBytes = 2048;

// The message's text as its place shows it: whole when it fits the width
// (pixels, Small style); otherwise with its yielding part cut in the middle
// to an ellipsis, as little as makes it fit and never below kShortestYield
// characters. What still does not fit is cut at its end when drawn.
std::string fitStatusText(const StatusMessage& message, float width);

void drawStatus(const char* id, const Rect& rect, const HeaderStatus& status);

}  // namespace orbi::ui
