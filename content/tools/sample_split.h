#pragma once
// The hit and body split applied to a pool sample: the halves become two new
// pool slots with records in the project's sample table. Main thread only;
// publishing the changed pool is the caller's business.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/pool/sample_data.h"

namespace ob {

class SamplePool;
struct Project;
struct SampleSlot;

struct SplitResult {
  std::int32_t hitSlot = -1;
  std::int32_t bodySlot = -1;
  std::int32_t bodyStart = 0;  // source frame at which the body's first frame lies
};

// Splits pool slot `source` with the default analysis. On failure returns
// {-1, -1, 0}, sets *error (when given) to a short lower-case reason (the
// pool's refusal when the halves would pass its limits) and leaves the pool
// and the project as they were. The halves' audio goes into the pool as it
// was rendered, with no file of its own: a save writes each as a 32-bit
// float WAV.
SplitResult splitSampleIntoHitAndBody(SamplePool& pool, Project& project, std::int32_t source,
                                      std::string* error = nullptr);

// The loading step: puts the two halves into new pool slots (hit first) and
// writes their records, named after the source's record. All or nothing:
// when the pool refuses the body, the hit is taken out again.
SplitResult addHitBodySlots(SamplePool& pool, Project& project, std::int32_t source, SampleAudio hit,
                            SampleAudio body, std::int32_t bodyStart, std::string* error = nullptr);

// The source's name without a final ".wav" (any case) when the name is longer
// than that suffix.
std::string splitBaseName(const SampleSlot& source);

// Writes the record of a new half at `slot`: "<base> <word>", the source's
// tags plus the word, the source's origin. Returns slot + 1.
std::int32_t writeSplitHalfSlot(std::string_view baseName, const SampleSlot& source, Project& project,
                                std::int32_t slot, std::string_view word);

}  // namespace ob
