#pragma once
// The process-wide hook through which documents fetch the WAV bytes of a
// factory sample by name. Installed at library load (and again at plug-in
// init) by the factory content; resolved on the main thread during reads.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ob {

using SampleResolver = std::function<std::vector<std::uint8_t>(const std::string& name)>;

// The hook's storage, created empty on first use (thread-safe).
SampleResolver& sampleResolver();

// Replaces the installed function; the previous one is destroyed.
void setSampleResolver(SampleResolver fn);

// The installed function's bytes for name, or empty bytes when none is set.
std::vector<std::uint8_t> resolveSample(const std::string& name);

}  // namespace ob
