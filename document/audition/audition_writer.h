#pragma once
// The pattern as an audition clip: the notes the step grid plays over one
// pattern length, in plain clip terms any clip player understands, with the
// exact grid beside them under the clip's "ext".

#include <vector>

#include "document/clip/clip.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Seed written for a pattern whose own seed is 0 (the default seed).
inline constexpr std::uint64_t kAuditionDefaultSeed = kDefaultPatternSeed;

// The audition clip document of the project's pattern, groove included.
JsonValue writeAudition(const Project& project, const SampleSlotTable& samples);

// Appends the notes of one track over a clip of the given length in beats:
// steps walked at the track's rate, with nudge, accent, retrigs, locks, pan
// and random amounts.
void gridToNotes(const Project& project, int track, double clipLength, std::vector<clip::Note>& notes);
// As above with the sample table for lock values that name pool samples.
void gridToNotes(const Project& project, const SampleSlotTable& samples, int track, double clipLength,
                 std::vector<clip::Note>& notes);

}  // namespace ob
