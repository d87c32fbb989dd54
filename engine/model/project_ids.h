#pragma once
// Unique ids for tracks, sounds and sample slots, made from their names
// ("v-kick", "s-closed-hat", "smp-snare-top"). Existing ids are kept unless an
// earlier entry already holds the same one.

#include "engine/model/project.h"

namespace ob {

// Gives every track in use and every sound such a track plays a unique id;
// returns how many ids were newly made.
int assignPatternIds(Pattern& pattern);

// The same for the sample slots in use (slots below the count with a name).
int assignSampleIds(SampleSlotTable& samples);

}  // namespace ob
