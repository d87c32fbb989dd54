#include "ui/platform/tick_fd.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace orbi::ui {

bool TickFd::start(int periodMs) {
  UniqueFd fd(timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC));
  if (!fd) return false;
  const long ns = static_cast<long>(std::max(periodMs, 1)) * 1000000L;
  itimerspec spec{};
  spec.it_interval.tv_sec = ns / 1000000000L;
  spec.it_interval.tv_nsec = ns % 1000000000L;
  spec.it_value = spec.it_interval;
  if (timerfd_settime(fd.get(), 0, &spec, nullptr) != 0) return false;
  fd_ = std::move(fd);
  return true;
}

bool TickFd::take() {
  std::uint64_t expirations = 0;
  return fd_ && ::read(fd_.get(), &expirations, sizeof expirations) == sizeof expirations && expirations > 0;
}

}  // namespace orbi::ui
