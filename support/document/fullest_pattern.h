#pragma once
// This build's fullest pattern: the demo's kit on eight tracks at 1/32T,
// every step locked, randomised, panned and retriggered 32 times. Its
// document is about 11 MB, its audition 12,224 notes, near all an
// audition's reader reads.

#include <cstdint>

#include "engine/model/demo_project.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"

namespace obtest {

inline void buildFullestPattern(ob::Project& project) {
  ob::buildDemoProject(project);
  ob::Pattern& pattern = project.patterns[0];
  pattern.numTracks = ob::kMaxTracks;
  for (int t = 0; t < ob::kMaxTracks; ++t) {
    ob::Track& track = pattern.tracks[t];
    track.soundIndex = static_cast<std::int8_t>(t);
    if (t >= 6) ob::initSoundParams(pattern.kit.sounds[t], ob::kMachineDrum);
    track.rate = 5;
    for (ob::Step& step : track.steps) {
      step.active = 1;
      step.micro = 3;
      step.slide = 1;
      step.count = 32;
      step.rateTicks = 1;
      step.lockCount = step.randCount = ob::kListCapacity;
      for (int i = 0; i < ob::kListCapacity; ++i) {
        step.locks[i] = {static_cast<std::uint8_t>(i), 0.3f};
        step.rands[i] = {static_cast<std::uint8_t>(i), 0.2f};
      }
      step.randVel = step.randTime = step.randPan = 0.1f;
      step.panLocked = 1;
      step.panValue = 0.2f;
    }
  }
}

}  // namespace obtest
