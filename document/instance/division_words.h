#pragma once
// Note divisions of tempo-synced times as document words ("1-16t").

#include "document/json/json_value.h"

namespace ob {

// A number to the nearest index (halves away from zero) clamped to 0..9; a
// division word to its index; null, any other word or kind: fallback.
int readDivision(const JsonValue* value, int fallback);

// The word of the index clamped to 0..9, as a string value.
JsonValue writeDivision(int index);

}  // namespace ob
