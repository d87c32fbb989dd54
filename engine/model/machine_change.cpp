#include "engine/model/machine_change.h"

#include <memory>

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

// Keeps the entries whose parameter the map knows, in order and renumbered;
// the entries left behind go back to empty.
void followList(ParamLock* list, std::uint8_t& count, const ParamIndexMap& map, int clampMachine) {
  const int n = count < kListCapacity ? count : kListCapacity;
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

void followSteps(Step* steps, int count, const ParamIndexMap& map, int toMachine) {
  for (int s = 0; s < count; ++s) {
    followList(steps[s].locks, steps[s].lockCount, map, toMachine);
    followList(steps[s].rands, steps[s].randCount, map, -1);
  }
}

// An LFO or envelope aims at one parameter; without it on the new machine
// it would move whatever now sits at its index, so it stops instead.
template <class Modulator>
void followTarget(Modulator& modulator, const ParamIndexMap& map) {
  const std::uint8_t to = mapped(map, modulator.dest);
  if (to == kNoParam) {
    modulator.enabled = 0;
    modulator.dest = 0;
  } else {
    modulator.dest = to;
  }
}

void followTrack(Track& track, const ParamIndexMap& map, int toMachine) {
  followSteps(track.steps, kStepsPerTrack, map, toMachine);
  followList(track.trackRands, track.trackRandCount, map, -1);
  for (Lfo& lfo : track.lfos) followTarget(lfo, map);
  for (ModEnv& env : track.modEnvs) followTarget(env, map);
}

void followMacro(Macro& macro, const Pattern& pattern, int sound, const ParamIndexMap& map, int toMachine) {
  const int n = macro.destCount < kListCapacity ? macro.destCount : kListCapacity;
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    MacroDest d = macro.dests[i];
    if (d.track < kMaxTracks && pattern.tracks[d.track].soundIndex == sound) {
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
    const int j = findParamIndex(toMachine, paramInfo(fromMachine, i).id);
    if (j >= 0 && j < kSoundParamSlots) map.to[i] = static_cast<std::uint8_t>(j);
  }
  return map;
}

bool sameMachineKind(int a, int b) { return machineKind(a) == machineKind(b); }

void followStepParams(Step* steps, int count, int fromMachine, int toMachine) {
  if (sameMachineKind(fromMachine, toMachine)) return;
  followSteps(steps, count, paramIndexMap(fromMachine, toMachine), toMachine);
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

}  // namespace ob
