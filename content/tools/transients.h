#pragma once
// Chop markers for a pool sample: positions 0..1 along it, at most 64.

#include <cstdint>

namespace ob {

// Writes a marker at 0 and one at each onset found by comparing a 3 ms and a
// 50 ms envelope follower (30 ms hold-off; after an onset the detector waits
// until the slow follower has overtaken the fast one). Returns the number of
// positions written, 0 for missing or empty input.
std::int32_t detectTransients(const float* samples, std::int32_t frames, double sampleRate, float* positions,
                              std::int32_t capacity);

// Writes `wanted` equal markers i / wanted (wanted limited to 1..64) and
// their count. `positions` needs room for 64; when it is null the count is 0.
void divideSlices(float* positions, std::int32_t* count, std::int32_t wanted);

}  // namespace ob
