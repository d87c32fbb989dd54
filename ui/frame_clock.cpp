#include "ui/frame_clock.h"

#include <chrono>

namespace orbi::ui {

FrameTime FrameClock::tick(std::int64_t nowNs) {
  if (!started_) {
    started_ = true;
    lastNs_ = nowNs;
    time_ = 0.0;
    return {};
  }
  const float dt = static_cast<float>(static_cast<double>(nowNs - lastNs_) / 1e9);
  lastNs_ = nowNs;
  time_ += dt;
  return {time_, dt};
}

double FrameClock::peek(std::int64_t nowNs) const {
  if (!started_) return 0.0;
  return time_ + static_cast<float>(static_cast<double>(nowNs - lastNs_) / 1e9);
}

std::int64_t monotonicNs() {
  using namespace std::chrono;
  return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace orbi::ui
