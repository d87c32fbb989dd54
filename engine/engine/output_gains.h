#pragma once
// How loud a track's sound reaches each side of the main output. Playback
// mixes every track's stem with these gains, and the editor's audition of a
// track's sound plays through the same ones, so that a sound is heard at
// one level whichever way it is played. Pure; any thread.

#include "engine/model/project.h"

namespace ob {

struct OutputGains {
  float left = 1.0f;
  float right = 1.0f;
};

// The loudest a track's own gain plays: +6 dB over unity, above every
// factory kit's. A document may hold any finite gain; it is held here, where
// it reaches the output.
inline constexpr float kMaxTrackGain = 2.0f;

// A track's stem gains for a hit at pan (-1..1, clamped; not finite is the
// centre) and the track's gain (0..kMaxTrackGain, clamped; not finite is
// silence): constant power, with the mix's headroom for eight tracks.
OutputGains trackOutputGains(float pan, float gain);

// The pan a step's hit starts from before its random spread: its lock,
// else the track's own.
float stepPan(const Step& step, const Track& track);

}  // namespace ob
