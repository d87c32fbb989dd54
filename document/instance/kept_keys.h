#pragma once
// A record a load kept unread keeps its key through every save, also when
// the project comes to hold one the writer would write under that key (a
// track added, a sample imported, a macro destination set, after the load):
// the save writes that one under another, and the kept one goes back where
// it was. A record gets another id, which every reference to it follows,
// since the writer writes references from ids; a destination, which nothing
// refers to, another key.

#include <vector>

#include "document/foreign_member.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Gives each track in use, sound and sample slot of `project` whose key in
// a written document (its id, or the key it was loaded by) a kept member of
// its list holds (for a sample, of "assets" too) another id, which no
// record, kept member or key as loaded of that list holds; so too each
// track whose id names the voice of a macro destination kept, which no
// voice of `loaded`, the document the load played, held.
void keepIdsOffKeptKeys(Project& project, const std::vector<ForeignMember>& kept, const KeysAsLoaded& keys,
                        const JsonValue& loaded);

// Moves each macro destination of a written document whose key a kept
// member holds to another key.
void keepDestsOffKeptKeys(JsonValue& written, const std::vector<ForeignMember>& kept);

}  // namespace ob
