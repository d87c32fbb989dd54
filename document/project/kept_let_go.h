#pragma once
// What an edit lets go of what a load kept: each record whose owner the
// edit took away or replaced goes with it. A voice goes with its track; a
// step's records with the step (cleared, or pasted over), with its track,
// and when the track's sound changes machine (what a lock or member names
// means another thing there), a note's too when its track's rate moves it
// on its grid; a sound's with the sound, and when its machine changes; any
// record whose place the edit changed in what a save writes: a value read
// otherwise, where the save writes another value now (the user set it, or
// set what it is written after, as a hit's type decides how its sample is
// written), a member whose objects the save no longer writes, or whose key
// its owner now writes itself; and a kit that comes in takes the voices',
// steps', sounds' and macros' records, as it takes their place. Decided
// here alone, from the project before the edit and after it: a save puts
// each record back where it stood and decides nothing; the editor says
// what went and its undo history brings it back.

#include <utility>
#include <vector>

#include "document/instance/keys_as_loaded.h"
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

// `keys`: the keys the records' owners go by, which a save writes them under.
KeptLetGo letGoOnEdit(const SharedKeptRecords& kept, const Project& before, const Project& after,
                      const ReplacedOwners& replaced, const KeysAsLoaded& keys);

// Whether any record has an owner an edit can let go.
bool anyOwned(const KeptRecords& kept);

}  // namespace ob
