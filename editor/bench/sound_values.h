#pragma once
// Reading a sound's parameters by key, as the panel builders do: a key the
// sound's machine lacks reads as 0.

#include <algorithm>
#include <cmath>
#include <string_view>

#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace orbi {

inline float soundValue(const ob::Sound& sound, std::string_view key) {
  const int i = ob::findParamIndex(sound.machine, key);
  return i >= 0 ? sound.params[i] : 0.0f;
}

// Stored choices and half types are read to the nearest whole number.
inline int nearestWhole(float v) { return static_cast<int>(std::lround(v)); }

// The sound as a step plays it: its locks in place of the sound's values.
// A lock on the sample slot (the first parameter) plays that slot rather
// than the sound's velocity layers, as the step's hit does.
inline ob::Sound withStepLocks(ob::Sound sound, const ob::Step& step) {
  for (int i = 0; i < std::min<int>(step.lockCount, ob::kListCapacity); ++i) {
    const ob::ParamLock& lock = step.locks[i];
    if (lock.param >= ob::kSoundParamSlots) continue;
    sound.params[lock.param] = lock.value;
    if (lock.param == 0) sound.zoneCount = 0;
  }
  return sound;
}

}  // namespace orbi
