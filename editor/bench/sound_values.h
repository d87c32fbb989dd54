#pragma once
// Reading a sound's parameters by key, as the panel builders do: a key the
// sound's machine lacks reads as 0.

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

}  // namespace orbi
