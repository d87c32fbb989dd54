#pragma once
// Taking a kit's pattern into the project without losing the user's groove.

#include <vector>

#include "engine/model/machine_change.h"
#include "engine/model/project.h"

namespace ob {

// Copies the kit, the track count and every track's sound design from the
// source; the steps, lengths, swing, tempo and seed only while the project's
// groove is unedited and the source has an active step. Steps that stay keep
// their locks and random depths on the parameters that mean the same, where
// the kit's sound of the track has another machine (a track without a sound
// plays as a drum); those the kit's sound lacks go, and the hits of tracks
// past the source's count go with them, listed in gone when given, with the
// locks held to a narrower range. Then assigns ids.
void copyPatternIntoProject(Project& project, const Pattern& source, std::vector<GoneRef>* gone = nullptr);

}  // namespace ob
