#pragma once
// The unit typed after a number in a value box, read against the unit the
// box shows its value in. The box's own unit (in any case) or none reads
// as the number; a unit that scales the box's own is honoured (ms and s;
// Hz, kHz and k; % in a box that shows a fraction); any other unit is one
// the box cannot read, and the box says which units it takes rather than
// take a value off by a factor of 1,000.

#include <optional>
#include <string>
#include <string_view>

namespace orbi::ui {

// The factor that brings a number typed with the unit into the box's unit
// (shown, as the box writes it after its numbers; empty for none); none
// when the box cannot read the unit. A box without a unit shows a
// fraction when it says so: its 50% is 0.5. The typed unit is trimmed.
std::optional<double> typedUnitFactor(std::string_view shown, std::string_view typed, bool fraction);

// The few words a box shows in place of text whose unit it cannot read:
// the units it takes ("s or ms", "Hz or kHz", "in st").
std::string unitRefusal(std::string_view shown, bool fraction);

// Whether a range, as a box without a unit shows it, is a fraction: both
// ends within -1 and 1.
bool isFractionRange(float lo, float hi);

}  // namespace orbi::ui
