#pragma once
// How much decoded audio the pool takes, whatever brought it (an import, a
// drop, a state, a project, a kit or a package). Counted in decoded memory,
// 32-bit floats over every channel, since that is what a sample costs while
// it is held, whatever the file's own bit depth.
#include <cstdint>

namespace ob {

// One sample: over twelve minutes of stereo at 44.1 kHz, far above any drum
// sound or recording to split.
inline constexpr std::uint64_t kMaxSampleDecodedBytes = std::uint64_t(256) << 20;
// Every slot of the pool together: four samples at the limit.
inline constexpr std::uint64_t kPoolDecodedBudgetBytes = std::uint64_t(1) << 30;

// The largest sample magnitude the pool holds: +24 dBFS. Float files a
// little over full scale play as they are; a sample far past it is damage,
// not sound, and must never reach the output.
inline constexpr float kMaxSampleMagnitude = 16.0f;

}  // namespace ob
