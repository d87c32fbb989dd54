#pragma once
// What every drawn widget of the editor shares: the palette, colours in the
// draw list's byte order, alpha factors, a clamp for bounds that may cross,
// the mapping between parameter and display units, and the value text.
// Numbers are written and read in the C locale whatever the host set: a
// host whose toolkit switched LC_NUMERIC to a comma locale must still see
// "250.0 ms" and have a typed "0.5" read as one half. Main thread.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ui/clamp.h"
#include "ui/theme/colour.h"
#include "ui/theme/palette.h"

namespace orbi {

// The palette the framework and the editor share.
namespace palette = ui::palette;

// 0xAARRGGBB to the byte order of Dear ImGui's draw list, for widgets that
// draw through it directly.
using ui::packColour;

// An alpha factor (kept within 0..1) as the byte 255 x a, to the nearest
// integer.
std::uint8_t alphaByte(float alpha);
// The colour's red, green and blue with that alpha.
std::uint32_t withAlpha(std::uint32_t colour, float alpha);

// The framework's clamps: lo for crossed bounds and for a value that is
// not a number; clampBetween takes its bounds in either order.
using ui::clamp01NanTo0;
using ui::clampBetween;
using ui::clampTo;

// A parameter range and the range it is shown and typed in.
struct DisplayRange {
  float paramLo = 0.0f;
  float paramHi = 1.0f;
  float displayLo = 0.0f;
  float displayHi = 1.0f;

  // Where the value sits in the parameter range, 0..1.
  float position(float value) const;
  // The value in display units.
  float shown(float value) const;
  // A typed or dragged display value back in parameter units; the bottom
  // of the range when the display range is a single point.
  float fromShown(float shownValue) const;
};

// The decimals a value is shown with over a span: 0 from 100 up, 1 from 5
// up, else 3.
int spanDecimals(float span);

// v with the span's decimals, then a blank and the unit when it is not
// empty: 250 over 0..2000 in ms is "250 ms", over 0..50 "250.0 ms".
std::string valueText(float v, float span, std::string_view unit);

// The number at the start of the text, read as strtof reads it in the C
// locale (leading white space, a sign, decimal, exponent and hexadecimal
// forms); what follows it is ignored, so a shown "250 ms" reads back as
// 250. Nothing when no number starts the text or it is not finite. The
// text after the number goes to rest when it is given.
std::optional<float> readLeadingNumber(std::string_view text, std::string_view* rest = nullptr);

}  // namespace orbi
