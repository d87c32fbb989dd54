#pragma once
// Clamping to a range, and to 0..1 in the two ways callers need it.

namespace ob {

// v within lo..hi, for a value already known to be a number: NaN passes
// through unchanged.
constexpr float clampf(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

// For a value already known to be a number: NaN passes through unchanged.
template <class T>
constexpr T clamp01(T v) {
  return v < T(0) ? T(0) : (v > T(1) ? T(1) : v);
}

// For a value straight from a host, a file or modulation: NaN reads as 0,
// so nothing undefined reaches the sound.
template <class T>
constexpr T clamp01NanTo0(T v) {
  return !(v >= T(0)) ? T(0) : (v >= T(1) ? T(1) : v);
}

}  // namespace ob
