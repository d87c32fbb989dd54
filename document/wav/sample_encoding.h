#pragma once
// Samples as a WAV file stores them, from the floats they decode to: the
// inverse of the decoder for every value it gives, so that a file its audio
// gives back is written again from that audio, and a decode can tell
// whether it does.

#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/pool/sample_data.h"

namespace ob {

// count samples from `first` on, the channels interleaved (right empty for
// mono), coded as the file stores them into `to`. Runs the widest vectors
// the CPU has (asked once).
void encodeSamplesAs(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                     std::uint64_t first, std::size_t count, std::uint8_t* to);
// The same in the vectors every CPU of the architecture has.
void portableEncodeSamplesAs(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                             std::uint64_t first, std::size_t count, std::uint8_t* to);

}  // namespace ob
