#pragma once
// Taking the pattern back from an instance document's audition clip: the
// saved step grid when the notes beside it are unchanged, else the notes
// placed on the grid.

#include <string_view>

#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Fills the project's pattern (tempo, seed, grid) from the audition value,
// replacing all of it that an audition gives, so that the result depends on
// the audition and the kit alone; findings go to diagnostics under path
// ("/audition"). Its voices and samples are found by the keys they go by
// (keys). True when the grid came from beside the notes, which were then
// passed over.
bool readAudition(const JsonValue& audition, Project& project, const SampleSlotTable& samples,
                  Diagnostics& diagnostics, std::string_view path,
                  const KeysAsLoaded& keys = KeysAsLoaded::none());

// The same for an audition read before, whose grid that read took or not
// (gridHolds, as readAudition said): a question of the audition alone,
// which a long list of notes makes costly, is not asked again.
bool readAuditionAgain(const JsonValue& audition, bool gridHolds, Project& project,
                       const SampleSlotTable& samples, Diagnostics& diagnostics, std::string_view path,
                       const KeysAsLoaded& keys);

}  // namespace ob
