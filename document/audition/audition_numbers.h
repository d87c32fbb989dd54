#pragma once
// Number conversions shared by the groove reader and the note placement: a
// document number becomes a model field only through these, so no value
// outside the field's range (or NaN) ever reaches the project.

#include <cstdint>
#include <optional>
#include <string_view>

#include "document/json/json_value.h"

namespace ob::audition {

// Nearest integer (halves away from zero) pinned to lo..hi; NaN gives the
// fallback.
std::int32_t roundClamp(double v, std::int32_t lo, std::int32_t hi, std::int32_t fallback);

// v pinned to lo..hi as a float; NaN gives the fallback.
float clampToFloat(double v, float lo, float hi, float fallback);

// The member's number when the value is an object holding a number there.
std::optional<double> numberMember(const JsonValue& object, std::string_view key);

// True only when the member is the boolean true.
bool isTrueMember(const JsonValue& object, std::string_view key);

}  // namespace ob::audition
