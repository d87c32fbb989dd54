#include "engine/model/reach.h"

#include <cstring>
#include <memory>

namespace ob {
namespace {

// Each entry of a list past its count, empty.
void emptyPast(ParamLock* list, std::uint8_t count) {
  for (int i = entriesInUse(count); i < kListCapacity; ++i) std::construct_at(&list[i]);
}

// Each destination kept is moved whole, padding and all, so that copies
// compare bytewise.
void forgetUnreachedDests(Macro& macro, const Pattern& pattern) {
  int kept = 0;
  for (int i = 0; i < entriesInUse(macro.destCount); ++i)
    if (reachesMacroDest(pattern, macro.dests[i]))
      std::memmove(static_cast<void*>(&macro.dests[kept++]), &macro.dests[i], sizeof(MacroDest));
  for (int i = kept; i < kListCapacity; ++i) std::construct_at(&macro.dests[i]);
  macro.destCount = static_cast<std::uint8_t>(kept);
}

}  // namespace

void forgetUnreached(Step& step) {
  if (!reachesStep(step)) std::construct_at(&step);
  if (!reachesStepPan(step)) step.panValue = Step{}.panValue;
  emptyPast(step.locks, step.lockCount);
  emptyPast(step.rands, step.randCount);
}

void forgetUnreached(Lfo& lfo) {
  if (!reachesDivision(lfo)) lfo.rateDiv = Lfo{}.rateDiv;
  if (!reachesModulator(lfo)) std::construct_at(&lfo);
}

void forgetUnreached(ModEnv& env) {
  if (!reachesDivisions(env)) {
    env.atkDiv = ModEnv{}.atkDiv;
    env.decDiv = ModEnv{}.decDiv;
  }
  if (!reachesModulator(env)) std::construct_at(&env);
}

void forgetZonesPastCount(Sound& sound) {
  const Sound fresh;
  for (int z = zonesInUse(sound); z < kListCapacity; ++z) {
    sound.slot[z] = fresh.slot[z];
    sound.velMax[z] = fresh.velMax[z];
  }
}

void forgetUnreached(Sound& sound) {
  forgetZonesPastCount(sound);
  emptyPast(sound.velDests, sound.velDestCount);
}

void forgetUnreached(Track& track) {
  for (Step& step : track.steps) forgetUnreached(step);
  emptyPast(track.trackRands, track.trackRandCount);
  for (Lfo& lfo : track.lfos) forgetUnreached(lfo);
  for (ModEnv& env : track.modEnvs) forgetUnreached(env);
}

void forgetUnreached(Pattern& pattern) {
  const int tracks = tracksInUse(pattern);
  pattern.muteMask = static_cast<std::uint8_t>(pattern.muteMask & ((1u << tracks) - 1u));
  for (int t = 0; t < tracks; ++t) forgetUnreached(pattern.tracks[t]);
  for (Sound& sound : pattern.kit.sounds) forgetUnreached(sound);
  for (Macro& macro : pattern.kit.macros) forgetUnreachedDests(macro, pattern);
}

}  // namespace ob
