#include "engine/model/pattern_copy.h"

#include <cstring>

#include "engine/model/machine_change.h"
#include "engine/model/project_ids.h"
#include "engine/params/param_info.h"

namespace ob {
namespace {

// The machine the track plays: its sound's, the drum's for a track without
// one.
int machineOf(const Pattern& pattern, int track) {
  const int s = pattern.tracks[track].soundIndex;
  return s >= 0 && s < kMaxTracks ? pattern.kit.sounds[s].machine : kMachineDrum;
}

// The hits of tracks keptTracks..usedTracks-1, which a pattern of fewer
// tracks leaves out: they go with their tracks.
void listHitsPast(const Pattern& pattern, int keptTracks, int usedTracks, std::vector<GoneRef>& gone) {
  GoneRef hit;
  hit.kind = GoneKind::Hit;
  for (int t = keptTracks; t < usedTracks && t < kMaxTracks; ++t)
    for (int s = 0; s < kStepsPerTrack; ++s) {
      if (!pattern.tracks[t].steps[s].active) continue;
      hit.track = static_cast<std::uint8_t>(t);
      hit.where = static_cast<std::uint8_t>(s);
      gone.push_back(hit);
    }
}

}  // namespace

void copyPatternIntoProject(Project& project, const Pattern& source, std::vector<GoneRef>* gone) {
  Pattern& dest = project.patterns[0];
  if (&dest != &source) {
    int machinesBefore[kMaxTracks];
    for (int t = 0; t < kMaxTracks; ++t) machinesBefore[t] = machineOf(dest, t);
    const bool keepsSteps = dest.grooveEdited != 0 || countSetSteps(source) == 0;
    const int usedBefore = dest.numTracks;
    dest.kit = source.kit;
    dest.numTracks = source.numTracks;
    for (int t = 0; t < kMaxTracks; ++t) {
      Track& to = dest.tracks[t];
      const Track& from = source.tracks[t];
      std::memcpy(to.id, from.id, sizeof to.id);
      to.soundIndex = from.soundIndex;
      to.rate = from.rate;
      to.chromatic = from.chromatic;
      to.swing = from.swing;
      to.gain = from.gain;
      to.pan = from.pan;
      to.chokeGroup = from.chokeGroup;
      to.lfos[0] = from.lfos[0];
      to.lfos[1] = from.lfos[1];
      to.modEnvs[0] = from.modEnvs[0];
      to.modEnvs[1] = from.modEnvs[1];
      to.trackRandCount = from.trackRandCount;
      for (int i = 0; i < kListCapacity; ++i) to.trackRands[i] = from.trackRands[i];
    }
    if (!keepsSteps) {
      for (int t = 0; t < kMaxTracks; ++t) {
        for (int s = 0; s < kStepsPerTrack; ++s) dest.tracks[t].steps[s] = source.tracks[t].steps[s];
        dest.tracks[t].length = source.tracks[t].length;
      }
      dest.length = source.length;
      dest.swing = source.swing;
      dest.bpm = source.bpm;
      dest.seed = source.seed;
    } else {
      // The user's steps stay, and their locks now play the kit's sounds.
      for (int t = 0; t < kMaxTracks; ++t) {
        const int after = machineOf(dest, t);
        if (gone != nullptr && t < dest.numTracks)
          listStepParamsGone(dest.tracks[t].steps, kStepsPerTrack, machinesBefore[t], after, t, 0, *gone);
        followStepParams(dest.tracks[t].steps, kStepsPerTrack, machinesBefore[t], after);
      }
      if (gone != nullptr) listHitsPast(dest, dest.numTracks, usedBefore, *gone);
    }
  }
  assignPatternIds(dest);
}

}  // namespace ob
