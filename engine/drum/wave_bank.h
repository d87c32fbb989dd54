#pragma once
#include <cstddef>

namespace ob {

// The drum's band-limited wave tables: 3 banks x 4 waves x 9 levels, each
// 1024 points plus a guard point equal to point 0. Level l holds 512 >> l
// partials. Shared read-only by every drum machine.
inline constexpr int kWaveBanks = 3;
inline constexpr int kWavesPerBank = 4;
inline constexpr int kWaveLevels = 9;
inline constexpr int kWavePoints = 1024;
inline constexpr int kWaveTableStride = kWavePoints + 1;
inline constexpr std::size_t kWaveBankFloats =
    static_cast<std::size_t>(kWaveBanks) * kWavesPerBank * kWaveLevels * kWaveTableStride;

// Builds the tables on the first call (thread-safe; later callers wait for
// it) and returns them. Call from the main thread, never from a render: the
// drum machine does so in prepare and keeps the pointer.
const float* drumWaveBank();

inline std::size_t waveTableOffset(int bank, int wave, int level) {
  return static_cast<std::size_t>((bank * kWavesPerBank + wave) * kWaveLevels + level) * kWaveTableStride;
}

}  // namespace ob
