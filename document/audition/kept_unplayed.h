#pragma once
// What a load of an audition kept unplayed: of its grid the voices the kit
// lacks, the entries that are no steps, and what steps carry that their
// sound cannot take (locks and random amounts of parameters it lacks,
// members no reader knows), and the swing entries no load plays; decided
// at the load, against the project as loaded (audition_kept.h). Nothing
// that would play is kept: a member is kept only where the project reads
// it as it reads without it. Besides, what an audition written anew takes
// of the loaded one's form: its declarations and its points.

#include <functional>
#include <string>
#include <vector>

#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "document/reading/extension_id.h"
#include "engine/model/project.h"

namespace ob {

// Where a member kept goes, by its keys from the grid (at), each after the
// member its afters name (empty: in front), as a save writes them.
using KeptMemberSink = std::function<void(const std::vector<std::string>& at, JsonValue value,
                                          const std::vector<std::string>& afters)>;

// Hands the sink each member of a loaded grid that the grid the project
// writes in its place (groove) lacks and a load of it kept unplayed: a load
// decides it, of the grid it read, with the project as it loaded it.
void keepUnplayedInGroove(const JsonValue& groove, const JsonValue& loaded,
                          const std::vector<std::string>& voices, const Project& project,
                          const SampleSlotTable& samples, const KeysAsLoaded& keys,
                          const KeptMemberSink& sink);

// The swing entries of loaded that no load plays: of no bar the pattern
// has, failing their check, or of a voice the kit lacks. Voices go by
// their keys.
std::vector<JsonValue> swingKeptUnplayed(const JsonValue& loaded, const Project& project,
                                         const KeysAsLoaded& keys);

// What a written audition takes of the loaded one's form, the project
// aside: the extensions declared as loaded and then its own, and its
// tempo and meter points as loaded, the written one in place of the one a
// load reads, spelled as it was.
void keepAsLoaded(JsonValue& written, JsonValue& loaded);

// Appends to a list of declared extensions each id whose name it lacks.
void appendUndeclared(JsonValue& declared, const std::vector<ExtensionId>& ids);

}  // namespace ob
