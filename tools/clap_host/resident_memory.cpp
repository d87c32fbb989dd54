#include "tools/clap_host/resident_memory.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace orbi::host {

Resident residentMemory() {
  Resident r;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    unsigned long long kb = 0;
    if (std::sscanf(line.c_str(), "VmRSS: %llu kB", &kb) == 1) r.now = kb * 1024;
    if (std::sscanf(line.c_str(), "VmHWM: %llu kB", &kb) == 1) r.peak = kb * 1024;
  }
  return r;
}

void resetResidentPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace orbi::host
