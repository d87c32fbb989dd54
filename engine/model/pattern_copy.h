#pragma once
// Taking a kit's pattern into the project without losing the user's groove.

#include "engine/model/project.h"

namespace ob {

// Copies the kit, the track count and every track's sound design from the
// source; the steps, lengths, swing, tempo and seed only while the project's
// groove is unedited and the source has an active step. Steps that stay keep
// their locks and random depths on the same parameters by key, where the
// kit's sound of the track has another machine. Then assigns ids.
void copyPatternIntoProject(Project& project, const Pattern& source);

}  // namespace ob
