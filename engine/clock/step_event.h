#pragma once
#include <cstdint>

namespace ob {

struct Step;

// One timed step of the pattern for the current block.
struct StepEvent {
  std::int32_t track = 0;
  const Step* step = nullptr;
  std::uint8_t note = 60;
  float velocity = 0.0f;       // 0..1
  std::int32_t time = 0;       // sample within the block
  std::uint8_t fire = 0;       // 1: a hit; 0: a velocity-0 step carrying locks only
  std::int32_t stepIndex = 0;  // 0..length-1 within the track
  std::uint8_t patternIndex = 0;
  std::uint64_t hash = 0;      // source of every random draw of this step
  std::int64_t trackStep = 0;  // the track's running step counter
  std::int32_t subIndex = 0;   // retrig sub-index
  double beats = 0.0;          // time in beats, after swing and timing
};

// Fixed-capacity output of one clock block; the audio thread never grows it.
class StepEventList {
 public:
  static constexpr int kCapacity = 256;

  void clear() { count_ = 0; }
  bool full() const { return count_ >= kCapacity; }
  bool push(const StepEvent& e) {
    if (count_ >= kCapacity) return false;
    events_[count_++] = e;
    return true;
  }
  int size() const { return count_; }
  bool empty() const { return count_ == 0; }
  const StepEvent& operator[](int i) const { return events_[i]; }
  const StepEvent* begin() const { return events_; }
  const StepEvent* end() const { return events_ + count_; }

 private:
  StepEvent events_[kCapacity];
  int count_ = 0;
};

}  // namespace ob
