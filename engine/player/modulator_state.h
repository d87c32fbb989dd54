#pragma once
// Runtime copies of a track's LFOs and modulation envelopes, and the pure
// arithmetic that turns their state into output values.

#include <cstdint>

namespace ob {

// LFO modes.
inline constexpr std::uint8_t kLfoFree = 0;
inline constexpr std::uint8_t kLfoTrig = 1;
inline constexpr std::uint8_t kLfoHold = 2;
inline constexpr std::uint8_t kLfoOne = 3;
inline constexpr std::uint8_t kLfoHalf = 4;

// LFO shapes.
inline constexpr std::uint8_t kLfoSine = 0;
inline constexpr std::uint8_t kLfoTri = 1;
inline constexpr std::uint8_t kLfoSawUp = 2;
inline constexpr std::uint8_t kLfoSawDown = 3;
inline constexpr std::uint8_t kLfoSquare = 4;
inline constexpr std::uint8_t kLfoRandom = 5;

inline constexpr std::uint32_t kLfoRandomSeed = 0x2545F491u;

struct LfoState {
  std::uint8_t enabled = 0;
  std::uint32_t dest = 0;  // combined parameter index
  double increment = 0.0;  // cycles per sample
  float amplitude = 0.0f;  // depth x range x 0.5
  std::uint8_t shape = 0;
  std::uint8_t mode = 0;
  std::uint8_t sync = 0;
  std::uint8_t rateDiv = 5;
  double phase = 0.0;  // cycles
  std::uint8_t running = 1;
  float heldOutput = 0.0f;                     // sample-and-hold output of the hold mode
  float randomValue = 0.0f;                    // current value of the random shape, -1..1
  std::uint32_t randomState = kLfoRandomSeed;  // set once at construction

  bool operator==(const LfoState&) const = default;
};

struct ModEnvState {
  std::uint8_t enabled = 0;
  std::int32_t dest = 0;
  float scale = 0.0f;   // depth x range
  float attack = 0.0f;  // seconds
  float hold = 0.0f;
  float decay = 0.2f;
  std::uint8_t sync = 0;
  std::uint8_t atkDiv = 2;
  std::uint8_t decDiv = 5;
  std::uint32_t counter = 0;  // samples since the last restart
  std::uint8_t running = 0;
  float output = 0.0f;  // level x scale

  bool operator==(const ModEnvState&) const = default;
};

// Value of an LFO shape at a phase in cycles; the random shape gives its
// current value, an unknown shape 0.
float lfoShapeValue(int shape, double phase, float randomValue);

// One xorshift32 step; the LFO's random shape draws from it.
std::uint32_t xorshift32(std::uint32_t x);

// Seconds of a tempo division code (codes above 9 count as 9).
double divisionSeconds(int code, double bpm);

// Envelope level at its counter for a sample rate and tempo. Reports through
// `ended` when the decay has fallen below the floor (level 0).
float modEnvLevel(const ModEnvState& env, double sampleRate, double bpm, bool& ended);

}  // namespace ob
