#pragma once
// One kit sound as a member of the state's "sounds" object: machine,
// parameter values, velocity routes and the layer zones in use with their
// mode (also a mode set before any zone is). Zones past the count, which
// an earlier build wrote as "zonesOff", are kept as read but not applied.

#include <string_view>

#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Layer mode words, index 0..2; null beyond.
const char* layerModeWord(int mode);

// Reads one sound into a record fresh from the project constructor. False
// (the machine is unknown) leaves the record untouched; path is the sound's
// JSON pointer. Samples are found by the keys they go by (keys).
bool readSound(std::string_view key, const JsonValue& value, Sound& sound, const SampleSlotTable& samples,
               Diagnostics& diagnostics, std::string_view path,
               const KeysAsLoaded& keys = KeysAsLoaded::none());

// Samples named by the keys they go by.
JsonValue writeSound(const Sound& sound, const SampleSlotTable& samples,
                     const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
