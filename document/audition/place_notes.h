#pragma once
// Notes back onto the step grid: each note of an audition clip lands on the
// step of its voice's track that it starts on, the inverse of the notes the
// grid writes; a note that fits no step is reported and left unplayed.

#include <string_view>

#include "document/clip/clip.h"
#include "document/diagnostics.h"
#include "engine/model/project.h"

namespace ob {

// Replaces the whole grid (all eight tracks) with the clip's notes and marks
// the groove edited. path is the clip's place in the document.
void placeNotesOnGrid(const clip::Clip& clip, Project& project, const SampleSlotTable& samples,
                      Diagnostics& diagnostics, std::string_view path);

}  // namespace ob
