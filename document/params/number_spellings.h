#pragma once
#include "document/json/json_value.h"

namespace ob {

// Walks a written value against a loaded one (objects by key, arrays of the
// same non-zero length by index). Where both are numbers and the written
// value equals the loaded one, or is exactly a float and equals the loaded
// value rounded to float, the written number takes the loaded value and its
// text. NaN never matches.
void adoptNumberSpellings(JsonValue& written, const JsonValue& loaded);

// Leaves of loaded only what adoptNumberSpellings against written takes
// from it: its numbers where written has numbers, and the objects and
// arrays that lead to them. What a load keeps for its saves' spellings then
// costs no more than the numbers it rewrote.
void keepNumberSpellings(JsonValue& loaded, const JsonValue& written);

}  // namespace ob
