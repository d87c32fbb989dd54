#pragma once
// One track of the pattern as a member of the state's "voices" object: level,
// pan, stepping, choke group, LFOs, modulation envelopes and breathe list.

#include <string_view>

#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Index of word in a table of count words, or fallback.
int wordIndex(const char* const* words, int count, std::string_view word, int fallback);

// The combined index of "dest" for machine, or -1 after the warning
// "unknown-param" at path.
int findParamOrWarn(const JsonValue* dest, int machine, Diagnostics& diagnostics, std::string_view path);

// Fills track trackIndex (already default-constructed, with its id and
// soundIndex set) and its mute bit from a voice object.
void readVoice(const JsonValue& voice, Project& project, int trackIndex, Diagnostics& diagnostics,
               std::string_view path);

// Its sound named by the key the sound goes by.
JsonValue writeVoice(const Project& project, int trackIndex, const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
