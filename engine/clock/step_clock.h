#pragma once
#include <cstdint>

#include "engine/clock/step_event.h"
#include "engine/clock/tempo.h"
#include "engine/model/project.h"

namespace ob {

// Plays a pattern sample by sample into timed step events. Each track's next
// step is scheduled one step ahead, so swing, micro timing, retrigs and
// random timing can move a hit either way around its nominal start.
struct StepClock {
  static constexpr int kMaxPending = 128;

  struct Pending {
    StepEvent event;
    double countdown = 0.0;  // samples until due
  };

  struct StepResult {
    bool fire = false;
    double beats = 0.0;
    float velocity = 0.0f;
    std::uint64_t hash = 0;
  };

  struct Playable {
    bool found = false;
    std::int64_t step = 0;
    std::int32_t subIndex = 0;
  };

  double sampleRate = 44100.0;
  const Pattern* pattern = nullptr;
  double samplesPerSixteenth = 5512.5;
  double untilNextStep = 0.0;
  std::int64_t globalStep = 0;
  std::int32_t stepInPattern = 0;
  std::int64_t patternPass = 0;
  double untilTrackStep[kMaxTracks] = {};
  std::int64_t trackStep[kMaxTracks] = {};
  double trackStepLength[kMaxTracks] = {};
  std::uint8_t started[kMaxTracks] = {};
  std::uint64_t seed = 0;
  std::uint8_t patternIndex = 0;
  Pending pending[kMaxPending];
  std::int32_t pendingCount = 0;

  void setSampleRate(double rate);
  // samplesPerSixteenth for a tempo in BPM, held to the engine's range; one
  // that is not positive (or no finite number) leaves it as it is.
  void setTempo(double bpm) {
    const double tempo = tempoInRange(bpm);
    if (tempo > 0.0) samplesPerSixteenth = 60.0 / tempo * 0.25 * sampleRate;
  }
  // Attaches and rewinds to the start.
  void reset(const Pattern* p);
  // Attaches without moving (tempo and step lengths re-read).
  void setKit(const Pattern* p);
  void updateStepLengths();
  // Follows the host's position, in sixteenths.
  void syncTo(double target);
  // Advances one block; events due within it land in out with their time.
  void process(std::int32_t frames, StepEventList& out);
  std::int32_t currentStep() const { return stepInPattern; }
  void setPosition(std::int64_t step);
  // Schedules track step k and its retrigs, offset samples from now.
  void retrigEvents(int track, std::int64_t k, double offset);
  StepResult stepEvent(int track, std::int64_t k, std::int32_t sub) const;
  Playable nextPlayableStep(int track, std::int64_t k, std::int32_t sub) const;
  // First step at or after x (in steps of len samples); offset gets the
  // samples until it.
  static std::int64_t stepsUntil(double x, double len, double& offset);
  // The sample of the next block on which a pending event with this
  // countdown is released (the blocks after counting on from it).
  static std::int32_t releaseSample(double countdown);

 private:
  int activeTracks() const;
  std::int32_t quietSamples(std::int32_t limit, int n) const;
  void skipQuiet(std::int32_t frames, int n);
};

}  // namespace ob
