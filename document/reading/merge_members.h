#pragma once
#include "document/json/json_value.h"

namespace ob {

// Last step of every record writer: each kept member replaces the target's
// member of that key in place, or is appended; then the numbers whose values
// did not change take back the spelling they were loaded with.
void mergeMembers(JsonValue& target, const JsonValue& kept, const JsonValue& loaded);

}  // namespace ob
