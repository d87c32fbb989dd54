#pragma once
// What a mono render of stereo material takes at each frame: whichever
// side is louder there. A mono render is a picture, and a picture of a
// recording quiet on one side must show what the other side plays. Pure.

#include <cmath>

namespace ob {

inline float louderSide(float left, float right) { return std::fabs(right) > std::fabs(left) ? right : left; }

}  // namespace ob
