#pragma once
// When a window draws. Each tick it asks whether a frame is due: one is
// after something woke it (input, an expose, a resize, a new scale, a
// change the view reports between frames), or when a frame asked for one
// at a time that has come. Woken, it draws at least kSettleFrames frames,
// since Dear ImGui takes a frame or two to settle after input, and then as
// long as each frame asks for the next (ui/frame_requests.h). Times are
// the frame clock's seconds.

#include <algorithm>
#include <limits>

#include "ui/frame_requests.h"

namespace orbi::ui {

class FrameDemand {
 public:
  static constexpr int kSettleFrames = 2;

  void wake() { owed_ = std::max(owed_, kSettleFrames); }
  bool due(double now) const { return owed_ > 0 || now >= at_; }
  // A frame that started at `now` was drawn; it said this of the next. A
  // time asked for earlier and not yet come still stands; of two, the
  // earlier, and the frame at it asks again for whatever still waits.
  void drawn(const NextFrameRequest& next, double now) {
    owed_ = std::max(owed_ - 1, next.again ? 1 : 0);
    at_ = at_ > now ? std::min(at_, next.at) : next.at;
  }
  // Nothing asks for a frame, now or later.
  bool idle() const { return owed_ == 0 && at_ == std::numeric_limits<double>::infinity(); }

 private:
  int owed_ = 0;
  double at_ = std::numeric_limits<double>::infinity();
};

}  // namespace orbi::ui
