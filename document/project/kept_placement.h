#pragma once
// The one rule by which a save puts back what its load kept. Each record
// goes where it was read, under its owner's key as loaded, after the member
// it followed, into the objects below its owner's that the save did not
// write, made where they stood; an element after the elements the save
// writes; a value read otherwise over what the load's rewrite wrote in its
// place. A record of a list a load takes in turn goes after every record
// the save writes there, those of a list read by "order" numbered before
// it, and a written one whose key it holds is written under another; a
// voice or a macro destination that a load of the save would take goes to
// the list's "...Off" sibling instead, under its key, or one of its own
// where that holds one already: one ordered pass over the list decides it.
// Where its owner's place is not in the document, the edit that took the
// owner let the record go: a save decides nothing.

#include <cstddef>
#include <vector>

#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "document/project/kept_record.h"
#include "engine/model/project.h"

namespace ob {

// Places each record into `root`, whose value stands at the first `skip`
// tokens of the records' paths (the document: none; its audition: one).
// `written` is the project the document was written of, ids as written,
// which a load of it plays, its records under the keys they go by (keys).
void placeKeptRecords(JsonValue& root, const std::vector<const KeptRecord*>& records, const Project& written,
                      const KeysAsLoaded& keys, std::size_t skip = 0);

// The records of kept that are not the audition's, which its writer places.
std::vector<const KeptRecord*> documentRecords(const KeptRecords& kept);
// The audition's.
std::vector<const KeptRecord*> auditionRecords(const KeptRecords& kept);

}  // namespace ob
