#pragma once
// A record a load kept unread keeps its key through every save, also when
// the project comes to hold one the writer would write under that key (a
// track added, a sample imported, a kit loaded, after the load): the save
// writes that one under another, and the kept one goes back where it was.
// A record gets another id, which every reference to it follows, since the
// writer writes references from ids.

#include "document/instance/keys_as_loaded.h"
#include "document/project/kept_record.h"
#include "engine/model/project.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace ob {

// The first of key + "-2", key + "-3", ... that `taken` lacks, the key cut
// so that each fits a field of `field` bytes (0: no field).
std::string keyOfItsOwn(std::string_view key, const KeptKeys& taken, std::size_t field = 0);

// Gives each track in use, sound and sample slot of `project` whose key in
// a written document (its id, or the key it was loaded by) the load kept
// (`kept`) another id, which no record, kept key or key as loaded of that
// list holds.
void keepIdsOffKeptKeys(Project& project, const KeptIds& kept, const KeysAsLoaded& keys);

}  // namespace ob
