#pragma once
// What a load holds as its text, opened where a member goes into it or its
// members are counted: one level of an object, or of a run of members held
// as their text, each member's value held as its text.

#include <string>
#include <vector>

#include "document/json/json_value.h"

namespace ob {

// The object's members one level down into `out` (an object built, a copy);
// false when the value is no object, or text that reads as none.
bool openedOneLevel(const JsonValue& value, JsonValue& out);

// A value held as its text opened in place, one level; any other (a run of
// members held as their text among them) as it is.
void openInPlace(JsonValue& value);

// The keys of an object's members, built or held as its text.
std::vector<std::string> keysOf(const JsonValue& object);

}  // namespace ob
