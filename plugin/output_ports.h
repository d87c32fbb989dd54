#pragma once
// The plug-in's audio outputs: port 0 the main stereo sum, then one stereo
// stem a track, track k on port k + 1. The host's test stand-in lays out
// its buffers by the same numbers.
#include "engine/model/project.h"

namespace ob::clap {

inline constexpr int kOutputPorts = 1 + kMaxTracks;
inline constexpr int kStemChannels = 2 * kMaxTracks;  // left and right of each stem

}  // namespace ob::clap
