#pragma once
// The header's status message: the overlay while it has text, else the
// primary, coloured by its tone and fitted to its place, on two lines where
// one does not hold it; its whole, a shortened text or a detail shows as
// its tooltip.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// The lines the message shows in a place of the width (pixels, Small
// style) with room for `rows` lines (at least 1): the first of the text and
// its shorter forms that shows its kept part whole, on one line where it
// fits with its yielding part cut in the middle to an ellipsis, as little
// as makes it fit and never below kShortestYield characters, or else broken
// between words over the rows; the last form so when none does. What still
// does not fit is cut at the end of the last line, between whole words and
// never inside one of the message's names, and an ellipsis follows.
std::vector<std::string> statusLines(const StatusMessage& message, float width, int rows);

// The same on one line.
std::string fitStatusText(const StatusMessage& message, float width);

void drawStatus(const char* id, const Rect& rect, const HeaderStatus& status);

}  // namespace orbi::ui
