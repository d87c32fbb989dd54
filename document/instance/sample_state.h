#pragma once
// The project's sample table as the state's "samples" object: one member per
// slot, keyed by the slot id, in slot order.

#include <string>
#include <string_view>
#include <vector>

#include "document/diagnostics.h"
#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"
#include "engine/model/project.h"

namespace ob {

// Set id of a sample source (0 "user", 1..4 the factory sets); null beyond.
const char* sampleSourceWord(int source);
// The factory set 1..4 a set id names; 0 for "user" and anything else.
int parseSampleSource(std::string_view word);

// Reads "samples" into a table fresh from the project constructor. Appends
// each loaded sample's whole key to loadedIds, in slot order.
void readSamplePool(const JsonValue& samples, SampleSlotTable& table, std::vector<std::string>& loadedIds,
                    Diagnostics& diagnostics);

// The "samples" object, each slot under the key it goes by; empty when no
// slot has an id.
JsonValue writeSamplePool(const SampleSlotTable& table, const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
