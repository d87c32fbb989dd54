#include "engine/model/machine_change.h"

#include <memory>

#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

int machineKind(int machine) { return machine >= 0 && machine <= 2 ? machine : kMachineDrum; }

std::uint8_t mapped(const ParamIndexMap& map, std::uint8_t param) {
  return param < kSoundParamSlots ? map.to[param] : kNoParam;
}

// An absolute value (a lock, a macro target) kept inside the new range.
float withinRange(int machine, int param, float value) {
  const ParamInfo row = paramInfo(machine, param);
  return value < row.min ? row.min : (value > row.max ? row.max : value);
}

// Whether holding the value to the range moved it (a NaN, never held, did
// not move).
bool heldElsewhere(int machine, int param, float value) {
  const float held = withinRange(machine, param, value);
  return held != value && held == held;
}

// Keeps the entries whose parameter the map knows, in order and renumbered;
// the entries left behind go back to empty.
void followList(ParamLock* list, std::uint8_t& count, const ParamIndexMap& map, int clampMachine) {
  const int n = entriesInUse(count);
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    ParamLock entry = list[i];
    entry.param = mapped(map, entry.param);
    if (entry.param == kNoParam) continue;
    if (clampMachine >= 0) entry.value = withinRange(clampMachine, entry.param, entry.value);
    list[kept++] = entry;
  }
  for (int i = kept; i < n; ++i) std::construct_at(&list[i]);
  count = static_cast<std::uint8_t>(kept);
}

// The entries of a list that followList drops, each as `gone` with its
// parameter, and, for a list of values held within valueMachine's ranges,
// those it holds there.
void listGone(const ParamLock* list, std::uint8_t count, const ParamIndexMap& map, GoneRef gone,
              std::vector<GoneRef>& out, int valueMachine = -1) {
  for (int i = 0; i < entriesInUse(count); ++i) {
    const std::uint8_t to = mapped(map, list[i].param);
    gone.param = list[i].param;
    gone.held = to != kNoParam;
    if (gone.held && (valueMachine < 0 || !heldElsewhere(valueMachine, to, list[i].value))) continue;
    gone.heldTo = gone.held ? withinRange(valueMachine, to, list[i].value) : 0.0f;
    out.push_back(gone);
  }
}

void followSteps(Step* steps, int count, const ParamIndexMap& map, int toMachine) {
  for (int s = 0; s < count; ++s) {
    followList(steps[s].locks, steps[s].lockCount, map, toMachine);
    followList(steps[s].rands, steps[s].randCount, map, -1);
  }
}

void listStepsGone(const Step* steps, int count, const ParamIndexMap& map, int toMachine, GoneRef at,
                   int firstStep, std::vector<GoneRef>& out) {
  for (int s = 0; s < count; ++s) {
    if (!steps[s].active) continue;  // a step switched off holds nothing
    at.where = static_cast<std::uint8_t>(firstStep + s);
    at.kind = GoneKind::Lock;
    listGone(steps[s].locks, steps[s].lockCount, map, at, out, toMachine);
    at.kind = GoneKind::StepRandom;
    listGone(steps[s].rands, steps[s].randCount, map, at, out);
  }
}

// An LFO or envelope aims at one parameter; without it on the new machine
// it would move whatever now sits at its index, switched on or once switched
// on again, so it goes, as a fresh one. One that holds nothing is fresh.
template <class Modulator>
void followTarget(Modulator& modulator, const ParamIndexMap& map) {
  const std::uint8_t to = mapped(map, modulator.dest);
  if (to == kNoParam || !holdsSomething(modulator))
    std::construct_at(&modulator);
  else
    modulator.dest = to;
}

template <class Modulator>
bool goesWithSomething(const Modulator& modulator, const ParamIndexMap& map) {
  return mapped(map, modulator.dest) == kNoParam && holdsSomething(modulator);
}

void followTrack(Track& track, const ParamIndexMap& map, int toMachine) {
  followSteps(track.steps, kStepsPerTrack, map, toMachine);
  followList(track.trackRands, track.trackRandCount, map, -1);
  for (Lfo& lfo : track.lfos) followTarget(lfo, map);
  for (ModEnv& env : track.modEnvs) followTarget(env, map);
}

void listTrackGone(const Track& track, const ParamIndexMap& map, int toMachine, GoneRef at,
                   std::vector<GoneRef>& out) {
  for (int i = 0; i < 2; ++i) {
    at.where = static_cast<std::uint8_t>(i);
    at.kind = GoneKind::Lfo;
    at.param = track.lfos[i].dest;
    if (goesWithSomething(track.lfos[i], map)) out.push_back(at);
    at.kind = GoneKind::ModEnv;
    at.param = track.modEnvs[i].dest;
    if (goesWithSomething(track.modEnvs[i], map)) out.push_back(at);
  }
  at.kind = GoneKind::TrackRandom;
  at.where = 0;
  listGone(track.trackRands, track.trackRandCount, map, at, out);
  listStepsGone(track.steps, kStepsPerTrack, map, toMachine, at, 0, out);
}

bool playsSound(const Pattern& pattern, int track, int sound) {
  return track < kMaxTracks && pattern.tracks[track].soundIndex == sound;
}

void followMacro(Macro& macro, const Pattern& pattern, int sound, const ParamIndexMap& map, int toMachine) {
  const int n = entriesInUse(macro.destCount);
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    MacroDest d = macro.dests[i];
    if (playsSound(pattern, d.track, sound)) {
      d.param = mapped(map, d.param);
      if (d.param == kNoParam) continue;
      d.target = withinRange(toMachine, d.param, d.target);
    }
    macro.dests[kept++] = d;
  }
  for (int i = kept; i < n; ++i) std::construct_at(&macro.dests[i]);
  macro.destCount = static_cast<std::uint8_t>(kept);
}

}  // namespace

ParamIndexMap paramIndexMap(int fromMachine, int toMachine) {
  ParamIndexMap map;
  for (std::uint8_t& to : map.to) to = kNoParam;
  const int n = paramCount(fromMachine) < kSoundParamSlots ? paramCount(fromMachine) : kSoundParamSlots;
  for (int i = 0; i < n; ++i) {
    const ParamInfo from = paramInfo(fromMachine, i);
    const int j = findParamIndex(toMachine, from.id);
    if (j >= 0 && j < kSoundParamSlots && meanTheSame(from, paramInfo(toMachine, j)))
      map.to[i] = static_cast<std::uint8_t>(j);
  }
  return map;
}

bool sameMachineKind(int a, int b) { return machineKind(a) == machineKind(b); }

void followStepParams(Step* steps, int count, int fromMachine, int toMachine) {
  if (sameMachineKind(fromMachine, toMachine)) return;
  followSteps(steps, count, paramIndexMap(fromMachine, toMachine), toMachine);
}

void listStepParamsGone(const Step* steps, int count, int fromMachine, int toMachine, int track,
                        int firstStep, std::vector<GoneRef>& gone) {
  if (sameMachineKind(fromMachine, toMachine)) return;
  GoneRef at;
  at.machine = static_cast<std::uint8_t>(machineKind(fromMachine));
  at.track = static_cast<std::uint8_t>(track);
  listStepsGone(steps, count, paramIndexMap(fromMachine, toMachine), toMachine, at, firstStep, gone);
}

void followMachineChange(Pattern& pattern, int sound, int fromMachine, int toMachine) {
  if (sound < 0 || sound >= kMaxTracks || sameMachineKind(fromMachine, toMachine)) return;
  const ParamIndexMap map = paramIndexMap(fromMachine, toMachine);
  Sound& changed = pattern.kit.sounds[sound];
  followList(changed.velDests, changed.velDestCount, map, -1);
  for (Macro& macro : pattern.kit.macros) followMacro(macro, pattern, sound, map, toMachine);
  for (Track& track : pattern.tracks)
    if (track.soundIndex == sound) followTrack(track, map, toMachine);
}

std::vector<GoneRef> machineChangeGoes(const Pattern& pattern, int sound, int toMachine) {
  std::vector<GoneRef> gone;
  if (sound < 0 || sound >= kMaxTracks) return gone;
  const Sound& changing = pattern.kit.sounds[sound];
  if (sameMachineKind(changing.machine, toMachine)) return gone;
  const ParamIndexMap map = paramIndexMap(changing.machine, toMachine);
  GoneRef at;
  at.machine = static_cast<std::uint8_t>(machineKind(changing.machine));
  at.kind = GoneKind::MacroDest;
  for (int m = 0; m < kMacroCount; ++m) {
    const Macro& macro = pattern.kit.macros[m];
    for (int i = 0; i < entriesInUse(macro.destCount); ++i) {
      const MacroDest& d = macro.dests[i];
      if (!reachesMacroDest(pattern, d) || !playsSound(pattern, d.track, sound)) continue;
      const std::uint8_t to = mapped(map, d.param);
      at.held = to != kNoParam;
      if (at.held && !heldElsewhere(toMachine, to, d.target)) continue;
      at.heldTo = at.held ? withinRange(toMachine, to, d.target) : 0.0f;
      at.track = d.track;
      at.where = static_cast<std::uint8_t>(m);
      at.param = d.param;
      gone.push_back(at);
    }
  }
  for (int t = 0; t < tracksInUse(pattern); ++t) {
    if (!playsSound(pattern, t, sound)) continue;
    at.track = static_cast<std::uint8_t>(t);
    at.held = false;
    at.heldTo = 0.0f;
    listTrackGone(pattern.tracks[t], map, toMachine, at, gone);
  }
  at.kind = GoneKind::VelocityRoute;
  at.track = kNoTrack;
  at.where = 0;
  listGone(changing.velDests, changing.velDestCount, map, at, gone);
  return gone;
}

}  // namespace ob
