#pragma once
#include <cstdint>
#include <optional>

namespace ob {

// Every narrowing of a document number goes through these: a double that is
// NaN, infinite or outside the target's range has no defined conversion, so
// it is refused (optional forms) or pinned to the range (saturating forms).

// The double rounded to a float; nothing for NaN, infinities and magnitudes
// beyond the largest float.
std::optional<float> narrowToFloat(double v);

// The double truncated toward zero; nothing for NaN, infinities and values
// whose truncation does not fit a signed 32-bit integer.
std::optional<std::int32_t> truncToInt32(double v);

// The double truncated toward zero and pinned to lo..hi; NaN gives lo.
std::int32_t saturateToInt32(double v, std::int32_t lo, std::int32_t hi);

}  // namespace ob
