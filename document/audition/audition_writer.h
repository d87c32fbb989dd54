#pragma once
// The pattern as an audition clip: the notes the step grid plays over one
// pattern length, in plain clip terms any clip player understands, with the
// exact grid beside them under the clip's "ext".

#include <optional>
#include <vector>

#include "document/audition/kept_unplayed.h"
#include "document/clip/clip.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "document/project/kept_record.h"
#include "engine/model/project.h"

namespace ob {

// Seed written for a pattern whose own seed is 0 (the default seed).
inline constexpr std::uint64_t kAuditionDefaultSeed = kDefaultPatternSeed;

// The audition clip document of the project's pattern, groove included,
// its voices and samples named by the keys they go by (keys); so are those
// of every audition below.
JsonValue writeAudition(const Project& project, const SampleSlotTable& samples,
                        const KeysAsLoaded& keys = KeysAsLoaded::none());

// The audition a load read, the keys of the voices the project then had,
// and what of it that load kept unplayed (its records) that a save holds
// still; whole while that is all it kept.
struct LoadedAudition {
  const JsonValue& audition;
  const std::vector<std::string>& voices;
  // The machine each of those voices played then: what a read of its grid
  // applies of a step depends on it.
  const std::vector<std::uint8_t>& machines;
  const std::vector<const KeptRecord*>& kept;
  bool whole = true;
  bool gridRead = false;  // whether its load took the grid beside its notes
};

// The machine of each voice auditionVoices gives, in its order.
std::vector<std::uint8_t> auditionMachines(const Project& project, const KeysAsLoaded& keys);

// The audition a document is written with: the one it was loaded with
// (loaded; null when none), whole and as read, while that still plays what
// the project's pattern plays with this kit and holds no more than the
// save keeps of what its load kept, so that a load and a save change
// nothing of it; else the audition of the pattern, its numbers spelled as
// loaded where they did not change and its form as loaded (keepAsLoaded),
// with what the load kept unplayed placed back into it, the notes after its
// own: nothing that would play is carried over from a loaded audition into
// a new one. One whose grid played in place of its notes goes back with the
// notes the grid plays when its own say otherwise, all else of it as read,
// so that what a save writes says what plays. The notes of a written
// audition are held as their compact text, made, compared and
// fingerprinted a note at a time, so that writing one costs its text.
JsonValue auditionToWrite(const Project& project, const SampleSlotTable& samples,
                          const LoadedAudition* loaded, const KeysAsLoaded& keys);
// The same decision alone: nothing while the loaded audition (read again
// from what `as` holds) goes back as it is held, else the audition to
// write in its place.
std::optional<JsonValue> auditionAnew(const Project& project, const SampleSlotTable& samples,
                                      JsonValue loaded, const LoadedAudition& as, const KeysAsLoaded& keys);

// The notes the project's pattern plays, as a save writes them.
std::vector<clip::Note> patternNotes(const Project& project, const SampleSlotTable& samples,
                                     const KeysAsLoaded& keys);

// Whether the audition's notes are, one by one as a save writes them, the
// notes the project's pattern plays, and no other.
bool auditionNotesArePlayed(const JsonValue& audition, const Project& project, const SampleSlotTable& samples,
                            const KeysAsLoaded& keys);
// Whether its swing entries give the swing the project's pattern plays.
bool auditionSwingIsPlayed(const JsonValue& audition, const Project& project, const SampleSlotTable& samples,
                           const KeysAsLoaded& keys);

// The audition of the pattern that a load compares the loaded audition
// with: stand-ins in place of its notes, its grid and its lists of points
// and swing entries, the parts a save writes whole (as loaded, or anew with
// what the load kept unplayed), so that the comparison finds nothing of
// them to carry member by member, and none of them is made.
JsonValue auditionBeside(const Project& project, const SampleSlotTable& samples, const KeysAsLoaded& keys);

// Appends the notes of one track over a clip of the given length in beats:
// steps walked at the track's rate, with nudge, accent, retrigs, locks, pan
// and random amounts.
void gridToNotes(const Project& project, int track, double clipLength, std::vector<clip::Note>& notes);
// As above with the sample table for lock values that name pool samples,
// and the keys records go by.
void gridToNotes(const Project& project, const SampleSlotTable& samples, int track, double clipLength,
                 std::vector<clip::Note>& notes, const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
