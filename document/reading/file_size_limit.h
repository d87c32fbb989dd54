#pragma once
// The largest file this process may write (its RLIMIT_FSIZE), which a host
// may run under. The system answers a write past it with SIGXFSZ, which
// ends the host: every file the plug-in writes stays within it, meeting it
// as a full disk is met. Read anew at every check, since the host may
// change it. Main thread.

#include <cstdint>
#include <string>

namespace ob {

// Whether a file may reach `end` bytes under the limit.
bool withinFileSizeLimit(std::uint64_t end);

// Why a file that would pass the limit was not written, naming it.
std::string fileSizeLimitText();

}  // namespace ob
