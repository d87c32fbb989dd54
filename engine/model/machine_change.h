#pragma once
// What a sound's parameters are called by follows the sound when its machine
// changes. Locks, random depths, velocity routes, macro destinations and the
// LFO and envelope targets hold combined parameter indices, and an index
// means another parameter on another machine (the common parameters begin
// after each machine's own). Each reference moves to the parameter that
// means the same on the new machine (its key, its unit and, for a choice,
// its words: the synthesiser's tune in hertz is not the sampler's in
// semitones), or goes where the new machine has none: nothing is ever aimed
// at a parameter its user did not choose. A value the new parameter's
// narrower range cannot hold is held to it, and listed with what goes.
// The follow is fixed-size work without allocation: the edit applier runs it
// inside the audio callback. What goes is listed, for the editor to say, by
// the functions that take a list, on the main thread only.

#include <cstdint>
#include <vector>

#include "engine/model/project.h"

namespace ob {

// For each combined index of one machine, the index of the parameter that
// means the same on another; kNoParam where the index names no parameter or
// the other machine has none of that key, unit and words.
struct ParamIndexMap {
  std::uint8_t to[kSoundParamSlots];
};
ParamIndexMap paramIndexMap(int fromMachine, int toMachine);

// Machine codes other than 0, 1 and 2 are all the drum.
bool sameMachineKind(int a, int b);

// One reference that went because the new machine lacks its parameter, or
// that stayed with its value held to the new parameter's narrower range; or
// a hit that went with its track.
enum class GoneKind : std::uint8_t {
  Lock,
  StepRandom,
  TrackRandom,
  VelocityRoute,
  MacroDest,
  Lfo,
  ModEnv,
  Hit
};
struct GoneRef {
  GoneKind kind = GoneKind::Lock;
  std::uint8_t machine = 0;       // whose parameter it named
  std::uint8_t param = kNoParam;  // that parameter's combined index; kNoParam for a hit
  std::uint8_t track = kNoTrack;  // the track it was on; kNoTrack for a route
  std::uint8_t where = 0;         // step of a hit, lock or random depth, macro, modulator
  bool held = false;              // stayed, its value (a lock, a macro target) now heldTo
  float heldTo = 0.0f;
  bool operator==(const GoneRef&) const = default;
};

// Steps whose locks and random depths were made for one machine, taken to
// another: entries follow their parameter or are dropped, and a locked
// value is held inside the new parameter's range. Nothing when the kinds
// are equal.
void followStepParams(Step* steps, int count, int fromMachine, int toMachine);
// What that drops or holds of the steps of a track, the first of them being
// step firstStep, appended to gone.
void listStepParamsGone(const Step* steps, int count, int fromMachine, int toMachine, int track,
                        int firstStep, std::vector<GoneRef>& gone);

// Sound `sound` of the pattern has just changed machine: the sound's own
// velocity routes, and the steps, random depths, LFOs and envelopes of every
// track playing it, and the macro destinations on those tracks, follow. An
// LFO or envelope whose target the new machine lacks goes, settings and
// all. Nothing when the kinds are equal or the sound index is not 0..7.
void followMachineChange(Pattern& pattern, int sound, int fromMachine, int toMachine);
// What that change drops or holds of what the tracks in use reach, in the
// order a user meets it: the macros, then each track's modulators, random
// depths and steps, then the sound's routes.
std::vector<GoneRef> machineChangeGoes(const Pattern& pattern, int sound, int toMachine);

}  // namespace ob
