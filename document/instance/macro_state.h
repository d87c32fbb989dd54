#pragma once
// The kit's four macros: positions from the envelope's "params", names and
// destinations from the state's "macros" object.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "document/diagnostics.h"
#include "document/instance/instance_envelope.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Beside a macro's "dests": destinations a save kept apart, which no load
// applies (kept_placement.h).
inline constexpr const char* kDestsOffKey = "destsOff";

// Of each macro, the key of the member each destination was read from.
using MacroDestKeys = std::array<std::vector<std::string>, kMacroCount>;

// Reads after the voices, so that voices, their sounds and samples resolve
// by the keys they go by (keys). A macro applies the first destination of
// a voice and param, the one a save writes; each later one is kept, said,
// and not applied. destKeys, when given, gets the key of each applied.
void readStateMacros(const InstanceEnvelope& envelope, Project& project, const SampleSlotTable& samples,
                     Diagnostics& diagnostics, MacroDestKeys* destKeys = nullptr,
                     const KeysAsLoaded& keys = KeysAsLoaded::none());

// The key a destination is written under (the key its voice goes by, a
// colon and the parameter's key), or none when it is not written: one no
// user reaches (reachesMacroDest).
std::optional<std::string> macroDestKey(const Pattern& pattern, const MacroDest& dest,
                                        const KeysAsLoaded& keys);

// The destination a member names, resolved against the kit as a load
// resolves it (its voice by the key it goes by), or none: a load applies it
// while its macro has room and no earlier one has its voice and param.
std::optional<MacroDest> resolveMacroDest(const JsonValue& dest, const Pattern& pattern,
                                          const SampleSlotTable& samples, const KeysAsLoaded& keys);

// The "macros" object; a macro with no name and no destination is left out.
JsonValue writeStateMacros(const Project& project, const SampleSlotTable& samples,
                           const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
