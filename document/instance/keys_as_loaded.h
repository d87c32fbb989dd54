#pragma once
// Members a load takes under one key and the state writer writes under
// another (an id cut to its field, a macro destination keyed otherwise than
// by its voice and parameter) go back under the key they were loaded by:
// else a save of what was loaded would rename them, and the loaded key, then
// foreign to the rewrite, would be kept beside them and read twice.

#include "document/json/json_value.h"

namespace ob {

// Renames, in a written instance document, each member of the state's
// samples, sounds and voices, of the assets and of each macro's
// destinations that the loaded document lacks, to the one loaded member it
// was read from; a member two loaded ones could stand for keeps its key.
void keepKeysAsLoaded(JsonValue& written, const JsonValue& loaded);

}  // namespace ob
