#pragma once
// The one pass that makes a loaded project safe to play: every count, index,
// code and amount is pulled into the range the model allows, every text
// field is terminated inside its capacity and UTF-8 (what is not reads as
// U+FFFD), and every float is finite. Runs
// after every load, whatever the format, so no document can make the audio
// thread read past an array. A project that is already in range is left
// byte for byte as it was.

#include "engine/model/project.h"

namespace ob {

// Returns how many fields were changed.
int sanitizeProject(Project& project);
int sanitizePattern(Pattern& pattern);

}  // namespace ob
