#pragma once
// A view that fails frame after frame. The first few failures in a row are
// each tried again at the next tick; from then on the window backs off: it
// draws again only once a wait has passed, whatever asks for a frame
// meanwhile (input, the view, the last frame), and the wait doubles from a
// quarter of a second up to a second. A frame that draws whole ends the
// run. Times are the frame clock's seconds.

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "ui/frame_requests.h"

namespace orbi::ui {

class FrameFailures {
 public:
  static constexpr int kTriedAtOnce = 3;
  static constexpr double kFirstWait = 0.25;
  static constexpr double kLongestWait = 1.0;

  // A frame that started at `now` failed: what it says of the next.
  NextFrameRequest failed(double now) {
    ++inARow_;
    if (inARow_ < kTriedAtOnce) return {true};
    const int doublings = std::min(inARow_ - kTriedAtOnce, 8);
    retryAt_ = now + std::min(std::ldexp(kFirstWait, doublings), kLongestWait);
    return {false, retryAt_};
  }
  // A frame drew whole; how many had failed in a row before it.
  int succeeded() {
    retryAt_ = -std::numeric_limits<double>::infinity();
    return std::exchange(inARow_, 0);
  }
  // No frame is to start at `now`.
  bool holdsOff(double now) const { return now < retryAt_; }
  int inARow() const { return inARow_; }
  // The run of failures has reached the back-off (the moment to say so is
  // when inARow() is kTriedAtOnce).
  bool backingOff() const { return inARow_ >= kTriedAtOnce; }

 private:
  int inARow_ = 0;
  double retryAt_ = -std::numeric_limits<double>::infinity();
};

}  // namespace orbi::ui
