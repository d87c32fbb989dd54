#pragma once
#include <array>
#include <cstdint>

namespace ob {

// Mean delay-line length of the room, in seconds, for a room size 0..1.
// The editor's room tile draws its decay tail from the same number.
float roomDecayTime(float size, double rate);

// A small room: four delay lines mixed by a 4x4 Hadamard matrix, each with
// a one-pole low-pass in its loop so the top end dies faster than the body.
class SpaceReverb {
 public:
  static constexpr int kLines = 4;
  static constexpr int kLineSize = 4224;
  static constexpr int kMinDelay = 8;
  static constexpr int kMaxDelay = kLineSize - 1;
  // Line lengths at 44.1 kHz; they scale with the rate.
  static constexpr std::array<int, kLines> kBaseLengths{557, 683, 811, 967};

  struct Line {
    std::array<float, kLineSize> buffer{};
    std::int32_t writeIndex = 0;
    std::int32_t delay = kMinDelay;
    float feedback = 0.0f;
    float damping = 0.0f;
    float state = 0.0f;
  };

  SpaceReverb() = default;

  // Stores the rate (44.1 kHz when not positive) and forces the next
  // setTimes to recompute.
  void setRate(double rate);
  double rate() const { return rate_; }

  // Sets the room from the voice's size and damping and returns the wet
  // make-up gain. Cached: costs only compares while nothing changes.
  float configure(float size, float damp);

  // Line lengths, loop gains and damping for a size scale, the low and
  // high decay times (seconds, -60 dB) and the crossover frequency.
  void setTimes(float sizeScale, float lowDecay, float highDecay, float crossover);

  // Empties the lines; lengths, gains and damping stay.
  void clear();

  // Runs the network over frames samples of a mono input.
  void process(const float* input, float* outLeft, float* outRight, int frames);

  const Line& line(int k) const { return lines_[k]; }
  // False once a non-finite input has reached the loop filters.
  bool finite() const;

 private:
  double rate_ = 44100.0;
  std::array<Line, kLines> lines_{};
  float cachedSizeScale_ = -1.0f;
  float cachedLowDecay_ = 0.0f;
  float cachedHighDecay_ = 0.0f;
  float cachedCrossover_ = 0.0f;
  // configure() inputs and result, so the logarithms run only on change.
  bool configured_ = false;
  float configSize_ = 0.0f;
  float configDamp_ = 0.0f;
  float configGain_ = 1.0f;
};

}  // namespace ob
