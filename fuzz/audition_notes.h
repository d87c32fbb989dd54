#pragma once
// The notes a save writes beside its step grid play that grid: placed back
// on the grid without it, as a load places notes it cannot trust the grid
// for, they give the tempo, the swing and every step a single hit plays,
// with its velocity, timing, note, slide, locks, pan and random amounts.
// What a note cannot carry is not asked of it: a step's length and
// retriggers, an accent's velocity, a muted track.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "document/audition/audition_reader.h"
#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/json/json_write.h"
#include "document/params/param_values.h"
#include "engine/clock/step_rate.h"
#include "engine/model/project.h"
#include "engine/model/reach.h"

namespace obfuzz {

// The value as it plays: a parameter that selects a sample plays the slot
// it names, which a note carries by the slot's id.
inline float asPlayed(const ob::Sound* sound, int param, float value) {
  const int kind = sound != nullptr ? ob::sampleParamKind(*sound, param) : 0;
  if (kind == 0 || !std::isfinite(value)) return value;
  return std::floor((kind == 1 ? value : std::clamp(value, 0.0f, 1.0f) * 63.0f) + 0.5f);
}

inline bool sameList(const ob::ParamLock* a, int countA, const ob::ParamLock* b, int countB,
                     const ob::Sound* sound = nullptr) {
  const int n = std::min(countA, ob::kListCapacity);
  if (n != std::min(countB, ob::kListCapacity)) return false;
  for (int i = 0; i < n; ++i)
    if (a[i].param != b[i].param ||
        asPlayed(sound, a[i].param, a[i].value) != asPlayed(sound, b[i].param, b[i].value))
      return false;
  return true;
}

// The swing a track plays, in percent.
inline float swingOf(const ob::Pattern& pattern, const ob::Track& track) {
  return track.swing >= 0.0f ? track.swing : pattern.swing;
}

// Whether the step `placed` holds what a note of `step` carries.
inline bool placedAsPlayed(const ob::Pattern& pattern, const ob::Track& track, const ob::Step& step,
                           const ob::Step& placed) {
  const ob::Sound* sound = track.soundIndex >= 0 && track.soundIndex < ob::kMaxTracks
                               ? &pattern.kit.sounds[track.soundIndex]
                               : nullptr;
  const bool accented = pattern.accentAmount > 0.0f && pattern.accentEvery != 0;
  const bool tuned = track.chromatic != 0;
  return placed.active && (accented || step.count > 1 || placed.velocity == step.velocity) &&
         placed.micro == step.micro && placed.slide == step.slide &&
         // Untuned, a note's tune plays nothing: it may say the step's note or none.
         (placed.note == step.note || (!tuned && placed.note == 60)) &&
         sameList(placed.locks, placed.lockCount, step.locks, step.lockCount, sound) &&
         placed.panLocked == step.panLocked && (!step.panLocked || placed.panValue == step.panValue) &&
         placed.randVel == step.randVel && placed.randTime == step.randTime &&
         placed.randPan == step.randPan &&
         sameList(placed.rands, placed.randCount, step.rands, step.randCount);
}

// Whether a later hit of an earlier step's retrigger falls on step j, whose
// place it then takes.
inline bool retriggeredOnto(const ob::Track& track, int j) {
  for (int i = 0; i < j; ++i) {
    const ob::Step& s = track.steps[i];
    for (int k = 1; s.active && k < s.count; ++k)
      if (k * ob::retrigTicks(s) == (j - i) * ob::kTicksPerStep) return true;
  }
  return false;
}

// Whether the notes of the saved document's audition, placed on the grid of
// `project` (what a load of that document built, whose records go by keys),
// play what it plays, whether the save wrote them anew or back as its load
// read them.
inline bool notesPlayTheGrid(const ob::JsonValue& saved, const ob::Project& project,
                             const ob::KeysAsLoaded& keys) {
  const ob::JsonValue* audition = saved.find("audition");
  if (audition == nullptr || !audition->isObject()) return true;
  ob::JsonValue notesAlone = *audition;
  std::erase_if(notesAlone.members, [](const ob::JsonMember& m) { return m.key == "ext"; });
  std::unique_ptr<ob::Project> placed = std::make_unique<ob::Project>(project);
  ob::Diagnostics unused = ob::Diagnostics::dropping();
  ob::readAudition(notesAlone, *placed, placed->samples, unused, "/audition", keys);
  const ob::Pattern& was = project.patterns[0];
  const ob::Pattern& is = placed->patterns[0];
  constexpr float kSwingTolerance = 1e-3f;  // percent, through a fraction in double
  if (is.bpm != was.bpm || std::fabs(is.swing - was.swing) > kSwingTolerance) return false;
  for (int t = 0; t < ob::tracksInUse(was); ++t) {
    const ob::Track& track = was.tracks[t];
    if ((was.muteMask >> t) & 1u) continue;
    if (std::fabs(swingOf(is, is.tracks[t]) - swingOf(was, track)) > kSwingTolerance) return false;
    // The steps the clip plays, each first where it was set.
    const double end = was.length * 0.25 - 1e-9;
    for (int j = 0;
         j < std::min<int>(track.length, ob::kStepsPerTrack) && j * ob::rateBeats(track.rate) < end; ++j) {
      const ob::Step& step = track.steps[j];
      if (step.active && !step.muted && step.velocity > 0 && !retriggeredOnto(track, j) &&
          !placedAsPlayed(was, track, step, is.tracks[t].steps[j]))
        return false;
    }
  }
  return true;
}

}  // namespace obfuzz
