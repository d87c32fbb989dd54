#pragma once
// Who made each sample set and under which licence; row 0 stands for audio
// the user imported, rows 1 to 4 for the factory sets. The set ids are
// stored in documents as a sample's source and never change.

#include <cstddef>
#include <cstdint>

namespace ob {

struct SampleCreditRow {
  const char* setName;
  const char* author;
  const char* licence;
  const char* licenceLink;
  std::uint32_t attributionRequired;
  const char* setId;
};

inline constexpr std::size_t kSampleCreditRowCount = 5;

extern const SampleCreditRow sampleCreditsTable[kSampleCreditRowCount];

}  // namespace ob
