#pragma once
// What a node graph shows: one half of a modelled drum (a hit or the body),
// its shape values and one node for each parameter the half exposes. The
// bench controller builds the model; the graph only reads it. Main thread.

#include <array>
#include <cstdint>
#include <vector>

namespace orbi::graph {

// Where a node's handle sits and how a drag maps to its value.
enum class NodeKind : int {
  kLength = 1,     // decay or length of the half, on the time axis
  kColour = 2,     // hit colour, the tone band
  kFrequency = 3,  // pitch, centre, cutoff, brightness or tune
  kDrop = 4,       // pitch drop in semitones
  kDropTime = 5,
  kDropSpeed = 6,
  kResonance = 7,
  kSnap = 8,
  kHold = 9,
  kBrightness = 10,  // body brightness, the tone band
  kBlip = 11,
  kBlipTime = 12,
  kInharmonic = 13,
  kSampleSlot = 14,  // choice chip of sample slots
  kRate = 15,
  kSpread = 16,
  kChoice = 17,  // choice chip of labelled choices
  kShimmer = 18,
  kRatio = 19,
  kBrightTime = 20,
  kPosition = 21,
  kDetune = 22,
  kReverse = 23,  // the direction band
  kWidth = 24,
};

// Hit (exciter) and body (resonator) type values, as the drum machine's
// half-type parameters hold them.
namespace hit_type {
inline constexpr int kClick = 1, kKnock = 2, kBandPass = 3, kRecorded = 4, kClap = 5, kHighPass = 6;
}
namespace body_type {
inline constexpr int kSine = 1, kShell = 2, kModal = 3, kRecorded = 4, kMetal = 5, kString = 6, kFm = 7,
                     kWavetable = 8;
}

// tune (Hz, 0 for a hit), tone, aux1, aux2, decay (s), in parameter units.
struct Shape {
  float tune = 55.0f;
  float tone = 0.0f;
  float aux1 = 0.0f;
  float aux2 = 0.0f;
  float decay = 0.35f;
};

struct Node {
  int id = -1;  // parameter index its edits carry; negative never edits
  int kind = 0;
  float value = 0.0f;
  float paramLo = 0.0f;
  float paramHi = 1.0f;
  float displayLo = 0.0f;
  float displayHi = 1.0f;
  const char* label = nullptr;  // kept valid by the controller; null cannot be typed
  const char* unit = nullptr;
  std::uint8_t fixedPitch = 0;
  const char* const* choices = nullptr;
  int choiceCount = 0;
  float sampleSeconds = 0.0f;
  std::uint8_t hasLfo = 0;
  float lfoAmount = 0.0f;  // swing width, normalised
  std::uint8_t hasModEnvelope = 0;
  float modEnvelopeAmount = 0.0f;  // signed depth, normalised
  std::uint8_t hasMacro = 0;
  float macroAmount = 0.0f;
  std::uint8_t hasLive = 0;
  float liveAmount = 0.0f;  // current 0..1 position
  std::uint8_t hasBreathe = 0;
  float breatheAmount = 0.0f;
  int lfo = -1;
  int lfoShape = 0;
  int lfoTrig = 0;
  std::uint8_t lfoSynced = 0;
  int lfoDivision = 5;
  float lfoRateHz = 1.0f;

  NodeKind nodeKind() const { return static_cast<NodeKind>(kind); }
};

struct Model {
  bool body = true;
  int mode = 0;
  Shape shape;
  std::vector<Node> nodes;
};

}  // namespace orbi::graph
