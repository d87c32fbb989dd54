#pragma once
// The frame record's clock: seconds since the first frame, as the running
// sum of the gaps between frames, from a monotonic clock in nanoseconds.

#include <cstdint>

namespace orbi::ui {

struct FrameTime {
  double time = 0.0;  // running sum of dt
  float dt = 0.0f;    // 0 on the first frame
};

class FrameClock {
 public:
  // The time of a frame that starts at nowNs.
  FrameTime tick(std::int64_t nowNs);
  // The time a frame starting at nowNs would have, without starting it.
  double peek(std::int64_t nowNs) const;
  // The next tick is a first frame again.
  void reset() { started_ = false; }

 private:
  bool started_ = false;
  std::int64_t lastNs_ = 0;
  double time_ = 0.0;
};

// CLOCK_MONOTONIC in nanoseconds.
std::int64_t monotonicNs();

}  // namespace orbi::ui
