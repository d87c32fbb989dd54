#pragma once
// What a sound's parameters are called by follows the sound when its machine
// changes. Locks, random depths, velocity routes, macro destinations and the
// LFO and envelope targets hold combined parameter indices, and an index
// means another parameter on another machine (the common parameters begin
// after each machine's own). Each reference moves to the parameter of the
// same key on the new machine, or goes where the new machine has none.
// Fixed-size work without allocation: the edit applier runs it inside the
// audio callback.

#include <cstdint>

#include "engine/model/project.h"

namespace ob {

// For each combined index of one machine, the index of the parameter of the
// same key on another; kNoParam where the index names no parameter or the
// other machine has no such key.
struct ParamIndexMap {
  std::uint8_t to[kSoundParamSlots];
};
ParamIndexMap paramIndexMap(int fromMachine, int toMachine);

// Machine codes other than 0, 1 and 2 are all the drum.
bool sameMachineKind(int a, int b);

// Steps whose locks and random depths were made for one machine, taken to
// another: entries follow their key or are dropped, and a locked value is
// kept inside the new parameter's range. Nothing when the kinds are equal.
void followStepParams(Step* steps, int count, int fromMachine, int toMachine);

// Sound `sound` of the pattern has just changed machine: the sound's own
// velocity routes, and the steps, random depths, LFOs and envelopes of every
// track playing it, and the macro destinations on those tracks, follow. An
// LFO or envelope whose target the new machine lacks is switched off.
// Nothing when the kinds are equal or the sound index is not 0..7.
void followMachineChange(Pattern& pattern, int sound, int fromMachine, int toMachine);

}  // namespace ob
