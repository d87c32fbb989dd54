#pragma once
// The kit's four macros: positions from the envelope's "params", names and
// destinations from the state's "macros" object.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "document/diagnostics.h"
#include "document/instance/instance_envelope.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Beside a macro's "dests": destinations a save kept apart, which no load
// applies (kept_placement.h).
inline constexpr const char* kDestsOffKey = "destsOff";

// Of each macro, the key of the member each destination was read from.
using MacroDestKeys = std::array<std::vector<std::string>, kMacroCount>;

// Reads after the voices, so that voice ids and their sounds resolve.
void readStateMacros(const InstanceEnvelope& envelope, Project& project, const SampleSlotTable& samples,
                     Diagnostics& diagnostics, MacroDestKeys* keys = nullptr);

// The key a destination is written under (its voice's id, a colon and the
// parameter's key), or none when it is not written (no track in use, or
// one without a sound).
std::optional<std::string> macroDestKey(const Pattern& pattern, const MacroDest& dest);

// Whether a destination member names a voice, parameter and target of the
// kit, as a load applies one while its macro has room.
bool macroDestResolves(const JsonValue& dest, const Pattern& pattern, const SampleSlotTable& samples);

// The "macros" object; a macro with no name and no destination is left out.
JsonValue writeStateMacros(const Project& project, const SampleSlotTable& samples);

}  // namespace ob
