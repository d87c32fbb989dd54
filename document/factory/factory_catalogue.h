#pragma once
// The factory-sample catalogue. Documents refer to its rows by name and set,
// so it lives here; the embedded files it names are the content library's.

#include <cstddef>
#include <cstdint>

namespace ob {

struct FactorySampleRow {
  const char* sourcePath;  // path within its sample set
  const char* fileName;    // embedded file: a stem followed by ".wav"
  const char* displayName;
  const char* tags;  // words separated by blanks
  std::uint32_t hatOrCymbal;
  std::uint32_t sampleSet;  // 1..4
  std::uint32_t split;      // also stored as "_hit" and "_body" halves
  std::uint32_t lengthMs;
};

inline constexpr std::size_t kFactorySampleRowCount = 68;

extern const FactorySampleRow kFactorySampleCatalogue[kFactorySampleRowCount];

}  // namespace ob
