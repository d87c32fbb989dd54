#pragma once
// The host position the engine's step clock follows, kept across blocks.
#include <cstdint>

#include "plugin/clap/abi.h"

namespace ob::clap {

// A host's sample position is taken only within this many samples of 0,
// either way (some six million years at 44.1 kHz), so that a block start
// plus the blocks that follow stays within 64 bits.
inline constexpr std::int64_t kHostPositionLimit = 9'200'000'000'000'000'000;

constexpr bool withinHostPositionLimit(std::int64_t p) {
  return p > -kHostPositionLimit && p < kHostPositionLimit;
}

// A host's fixed-point song position in beats, and in seconds.
constexpr double beatsOf(clap_beattime t) { return static_cast<double>(t) / CLAP_BEATTIME_FACTOR; }
constexpr double secondsOf(clap_sectime t) { return static_cast<double>(t) / CLAP_SECTIME_FACTOR; }

struct TransportState {
  double sampleRate = 48000.0;  // the host's rate unchanged once activated
  std::int64_t position = 0;    // sample position of the block start
  std::int64_t expected = 0;    // previous start + previous length while playing
  std::uint8_t valid = 0;       // a position has been established
  std::uint8_t playing = 0;     // the host's playing flag as last seen
  std::uint8_t byEvent = 0;     // a position event arrived; never cleared
  std::uint32_t lastFrames = 0;
};

// Per-block update from the host transport (null when the host gives none).
void updateTransportPosition(TransportState& transport, const clap_event_transport_t* host,
                             std::uint32_t frames);

}  // namespace ob::clap
