#pragma once
// A descriptor that becomes readable once a period: the frame timer of a
// host that offers no timer but watches descriptors. A Linux timerfd on
// the monotonic clock; main thread only.

#include "ui/platform/unique_fd.h"

namespace orbi::ui {

class TickFd {
 public:
  // Starts ticking every periodMs (at least 1); false, with nothing open,
  // when the system gives no timer.
  bool start(int periodMs);
  void stop() { fd_.reset(); }
  // -1 while stopped.
  int fd() const { return fd_.get(); }
  // Takes what made the descriptor readable; true when a period has passed
  // since the last call.
  bool take();

 private:
  UniqueFd fd_;
};

}  // namespace orbi::ui
