#pragma once
// Value text: the display text of a parameter value with its unit, and the
// reading of what a user types (unit suffixes, choice labels, the text at
// the minimum). Numbers are written and read in the C locale whatever the
// host set: a host with a comma-decimal locale must still read back the
// text it was shown.

#include <optional>
#include <string>
#include <string_view>

#include "ui/controls/param.h"

namespace orbi::ui {

// v in fixed notation with that many decimals (6 when negative), at most
// 63 characters. A negative value that shows as zero shows without its
// sign: -0.001 with 2 decimals is 0.00.
std::string formatNumber(float v, int decimals);

// The display text of v: a choice's label, the desc's minText at the lower
// bound, or the number with the unit's decimals and suffix.
std::string formatParamValue(const ParamSpec& desc, float v);

// The value of a typed text, clamped and snapped; nothing for text that is
// not a number (nor a choice label or the minText), and nothing for nan.
// A unit after the number is read against the desc's unit (typed_unit.h):
// its own, one that scales it, or % where the desc is a plain fraction;
// any other gives nothing.
std::optional<float> parseParamText(const ParamSpec& desc, std::string_view text);

// For a number typed with a unit the desc cannot read, the words the entry
// shows instead ("s or ms"); empty for any other text.
std::string paramTextRefusal(const ParamSpec& desc, std::string_view text);

}  // namespace orbi::ui
