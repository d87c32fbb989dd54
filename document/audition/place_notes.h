#pragma once
// Notes back onto the step grid: each note of an audition clip lands on the
// step of its voice's track that it starts on, the inverse of the notes the
// grid writes; a note that fits no step is reported and left unplayed.

#include <cstddef>
#include <string>
#include <string_view>

#include "document/clip/clip.h"
#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "engine/model/project.h"

namespace ob {

// Replaces the whole grid (all eight tracks) with the clip's notes and marks
// the groove edited. path is the clip's place in the document; voices and
// samples are found by the keys they go by (keys).
void placeNotesOnGrid(const clip::Clip& clip, Project& project, const SampleSlotTable& samples,
                      Diagnostics& diagnostics, std::string_view path,
                      const KeysAsLoaded& keys = KeysAsLoaded::none());

// The step of the track's grid a note at `at` (beats) lands on; -1 when
// it is on none.
int gridStepOf(const Track& track, double at);

// The same a note at a time, as a clip is read (clip::readClipToPlay): made
// before the first note, which it empties the grid for, given each note in
// the clip's order, and finished with the clip, whose length and swing the
// pattern takes. The project, samples, keys and list outlive it.
class NotePlacer {
 public:
  NotePlacer(Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys,
             Diagnostics& diagnostics, std::string_view path);
  // Whether the note took a step; one that did not was said.
  bool place(const clip::Note& note, std::size_t index);
  void finish(const clip::Clip& clip);

 private:
  Project& project_;
  const SampleSlotTable& samples_;
  const KeysAsLoaded& keys_;
  Diagnostics& diagnostics_;
  std::string notesPath_;
};

}  // namespace ob
