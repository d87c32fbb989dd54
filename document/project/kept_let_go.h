#pragma once
// What an edit lets go of what a load kept: each record whose owner the
// edit took away or replaced goes with it. A voice goes with its track; a
// step's records with the step (cleared, or pasted over), with its track,
// and when the track's sound changes machine (what a lock or member names
// means another thing there), a note's too when its track's rate moves it
// on its grid; a sound's with the sound, when its machine changes, and a
// value read otherwise when the user sets that value (a macro's name, when
// the user names the macro); and a kit that comes
// in takes the voices', steps', sounds' and macros' records, as it takes
// their place. Decided here alone, from the project before the edit and
// after it; the editor says what went and its undo history brings it back.

#include <utility>
#include <vector>

#include "document/project/kept_record.h"
#include "engine/model/project.h"

namespace ob {

// What an edit put in the place of an owner wholesale, which comparing the
// project before and after does not tell.
struct ReplacedOwners {
  bool kit = false;                        // a kit's sounds, voices and macros came in
  std::vector<std::pair<int, int>> steps;  // steps pasted over: track (after the edit) and step

  bool any() const { return kit || !steps.empty(); }
};

struct KeptLetGo {
  SharedKeptRecords kept;        // what stays held: the same records when nothing went
  std::vector<KeptRecord> gone;  // what went, in the order held
};

KeptLetGo letGoOnEdit(const SharedKeptRecords& kept, const Project& before, const Project& after,
                      const ReplacedOwners& replaced);

// Whether any record has an owner an edit can let go.
bool anyOwned(const KeptRecords& kept);

}  // namespace ob
