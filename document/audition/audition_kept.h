#pragma once
// What a load of an audition kept unplayed, decided at the load against the
// project as it loaded it, as records (kept_record.h): of the grid it read,
// the locks and random amounts a step's sound could not take and a step's
// members no reader knows (each with its step), a voice's entries that are
// no steps (with its voice), the voices the kit lacked and the grid's
// members no reader knows; the notes it left off the grid, each with the
// step of its voice's grid it would take (or that grid), and the swing
// entries no load plays. A lock or member the load applied is never kept.

#include <vector>

#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "document/project/kept_record.h"
#include "engine/model/project.h"

namespace ob {

// The records of the audition a load read (its "audition" member) into
// the project, taking the grid beside its notes where gridRead (as
// readAudition said), its voices and samples found by the keys they go
// by, appended to `out`; the voices any of them names that the project
// lacks, and the samples a lock of them names, go into `ids`.
void keepAuditionUnplayed(const JsonValue& audition, bool gridRead, const Project& project,
                          const KeysAsLoaded& keys, std::vector<KeptRecord>& out, KeptIds& ids);

// Notes kept (a run of them, the record's value), which its audition's
// writer writes after its own notes.
bool isKeptNote(const KeptRecord& record);
// Swing entries kept, which go after the entries a save writes.
bool isKeptSwingEntry(const KeptRecord& record);

}  // namespace ob
