#pragma once
// The kit's four macros: positions from the envelope's "params", names and
// destinations from the state's "macros" object.

#include "document/diagnostics.h"
#include "document/instance/instance_envelope.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Reads after the voices, so that voice ids and their sounds resolve.
void readStateMacros(const InstanceEnvelope& envelope, Project& project, const SampleSlotTable& samples,
                     Diagnostics& diagnostics);

// The "macros" object; a macro with no name and no destination is left out.
JsonValue writeStateMacros(const Project& project, const SampleSlotTable& samples);

}  // namespace ob
