#pragma once
// Runs a callback body so that no exception reaches the host: the host is C
// and cannot unwind C++ frames. Main-thread failures are reported on the
// console; the audio thread stays silent.
#include <exception>
#include <string>
#include <type_traits>

#include "plugin/host_log.h"

namespace ob::clap {

inline void reportFailure(const char* what, const char* why) noexcept {
  try {
    std::string line(what);
    line.append(" failed: ").append(why);
    logToConsole(line.c_str());
  } catch (...) {
    logToConsole(what);
  }
}

template <typename R, typename F>
R guarded(const char* what, R fallback, F&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& e) {
    reportFailure(what, e.what());
  } catch (...) {
    reportFailure(what, "unknown exception");
  }
  return fallback;
}

template <typename F>
void guardedVoid(const char* what, F&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    reportFailure(what, e.what());
  } catch (...) {
    reportFailure(what, "unknown exception");
  }
}

}  // namespace ob::clap
