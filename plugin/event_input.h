#pragma once
// Helpers of the input-event handling that live outside the instance.
#include <cstdint>

#include "engine/model/host_records.h"

namespace ob::clap {

struct Plugin;

// Queues a timed edit for the engine at a block time; it goes to the engine
// with the piece that holds its time. False when 64 are waiting.
bool queueEdit(Plugin& plugin, const BlockEvent& event);
// A macro value (held to 0..1) as such an edit. False for an index above 3
// or a full list.
bool pushMacroToEngine(Plugin& plugin, int index, double value, std::uint32_t time);

}  // namespace ob::clap
