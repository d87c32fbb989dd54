#pragma once
// The notes of a loaded audition that no load placed on the grid (of a
// voice the kit lacks, between steps or past them, on a step another note
// held, unreadable) go back after the notes a save writes anew, as read,
// while they still take no step there: a load placing the saved notes
// places what it places without them.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "document/clip/clip.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// How many notes at the end of an audition's list a save kept back there
// unplayed, as the grid beside them says ("unplayed"): none when it says
// nothing, or says more than the list holds.
std::size_t notesKeptBack(const JsonValue& audition);
// Says so in the grid a save writes, or nothing when it kept none back.
void markNotesKeptBack(JsonValue& groove, std::size_t count);

// Hands `keep` each of the loaded audition's notes, as read and as a load
// reads it, that goes back after `written` (the notes a save writes, in
// their order): when its load placed the notes,
// each one the placement left off the grid; when it read the grid, each
// past the first `played` (as many as that grid played), the ones an
// earlier save put back. A note of a voice the load found (voices, by
// their keys) and the project has no longer went with the voice.
using KeptNoteTaker = std::function<void(const JsonValue& value, const clip::Note& note)>;
void notesKeptUnplayed(const JsonValue& loaded, bool gridRead, std::size_t played,
                       const std::vector<clip::Note>& written, const std::vector<std::string>& voices,
                       const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys,
                       const KeptNoteTaker& keep);

}  // namespace ob
