#pragma once
// What this process holds in memory, read from /proc, for measurements.
#include <cstdint>

namespace orbi::host {

// Resident memory in bytes, now and at its peak since the process began or
// the peak was last reset.
struct Resident {
  std::uint64_t now = 0;
  std::uint64_t peak = 0;
};
Resident residentMemory();
// Starts the peak over from what is resident now.
void resetResidentPeak();

inline double mebibytes(std::uint64_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace orbi::host
