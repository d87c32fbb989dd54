#pragma once
// What a sound's parameters are called by follows the sound when its machine
// changes. Locks, random depths, velocity routes, macro destinations and the
// LFO and envelope targets hold combined parameter indices, and an index
// means another parameter on another machine (the common parameters begin
// after each machine's own). Each reference moves to the parameter of the
// same key on the new machine, or goes where the new machine has none:
// nothing is ever aimed at a parameter its user did not choose.
// The follow is fixed-size work without allocation: the edit applier runs it
// inside the audio callback. What goes is listed, for the editor to say, by
// the functions that take a list, on the main thread only.

#include <cstdint>
#include <vector>

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

// One reference that went because the new machine lacks its parameter.
enum class GoneKind : std::uint8_t { Lock, StepRandom, TrackRandom, VelocityRoute, MacroDest, Lfo, ModEnv };
struct GoneRef {
  GoneKind kind = GoneKind::Lock;
  std::uint8_t machine = 0;       // whose parameter it named
  std::uint8_t param = kNoParam;  // that parameter's combined index
  std::uint8_t track = kNoTrack;  // the track it was on; kNoTrack for a route
  std::uint8_t where = 0;         // step of a lock or random depth, macro, modulator
  bool operator==(const GoneRef&) const = default;
};

// Steps whose locks and random depths were made for one machine, taken to
// another: entries follow their key or are dropped, and a locked value is
// kept inside the new parameter's range. Nothing when the kinds are equal.
void followStepParams(Step* steps, int count, int fromMachine, int toMachine);
// What that drops of the steps of a track, the first of them being step
// firstStep, appended to gone.
void listStepParamsGone(const Step* steps, int count, int fromMachine, int toMachine, int track,
                        int firstStep, std::vector<GoneRef>& gone);

// Sound `sound` of the pattern has just changed machine: the sound's own
// velocity routes, and the steps, random depths, LFOs and envelopes of every
// track playing it, and the macro destinations on those tracks, follow. An
// LFO or envelope whose target the new machine lacks goes, settings and
// all. Nothing when the kinds are equal or the sound index is not 0..7.
void followMachineChange(Pattern& pattern, int sound, int fromMachine, int toMachine);
// What that change drops of what the tracks in use reach, in the order a
// user meets it: the macros, then each track's modulators, random depths
// and steps, then the sound's routes.
std::vector<GoneRef> machineChangeGoes(const Pattern& pattern, int sound, int toMachine);

}  // namespace ob
