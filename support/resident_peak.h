#pragma once
// The resident memory of the process at its peak, as the system counts it:
// every way code holds memory (realloc and mappings too, which the
// allocation counter does not see), for a benchmark to measure a step by.
// Header only.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace ob::test {

// A /proc/self/status field in bytes ("VmRSS", "VmHWM"); 0 when absent.
inline std::uint64_t statusBytes(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string word; status >> word;)
    if (word == field + ":") {
      std::uint64_t kib = 0;
      status >> kib;
      return kib * 1024;
    }
  return 0;
}

// What `step` raised the resident peak to beyond what was resident before
// it. The peak starts over from what is resident now.
template <typename Step>
std::uint64_t residentPeakOf(Step&& step) {
  std::ofstream("/proc/self/clear_refs") << "5";
  const std::uint64_t before = statusBytes("VmRSS");
  step();
  return statusBytes("VmHWM") - before;
}

}  // namespace ob::test
