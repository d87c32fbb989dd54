#pragma once
// What of a pattern a user reaches: what plays, or shows where a control
// sets it again. What no user reaches is held as a fresh record holds it:
// an edit that puts something out of reach leaves it so, a save writes
// none of it, and a load of that save has none of it either.
#include <cstdint>

#include "engine/model/project.h"

namespace ob {

// Of a list of `count` entries, those in use.
inline int entriesInUse(std::uint8_t count) { return count < kListCapacity ? count : kListCapacity; }

// Tracks 0..tracksInUse-1 play and show; none past the count does.
inline int tracksInUse(const Pattern& pattern) {
  return pattern.numTracks < kMaxTracks ? pattern.numTracks : kMaxTracks;
}

// A macro destination is reached on a track in use with a sound of the
// kit, whose parameter key a save names it by; on any other track it is
// written by no save.
inline bool reachesMacroDest(const Pattern& pattern, const MacroDest& dest) {
  if (dest.track >= tracksInUse(pattern)) return false;
  const int sound = pattern.tracks[dest.track].soundIndex;
  return sound >= 0 && sound < kMaxTracks;
}

// A step switched off plays nothing and shows nothing: a hit removed goes
// whole. Its pan plays only locked, and no control reaches it otherwise.
inline bool reachesStep(const Step& step) { return step.active != 0; }
inline bool reachesStepPan(const Step& step) { return step.panLocked != 0; }

// A division is reached only while sync times it.
inline bool reachesDivision(const Lfo& lfo) { return lfo.sync != 0; }
inline bool reachesDivisions(const ModEnv& env) { return env.sync != 0; }

// An LFO switched off keeps what was set for it, which a reach switches on
// again with it, bar its aim; an envelope switched off is reached by no
// control.
inline bool reachesModulator(const Lfo& lfo) { return holdsSomething(lfo); }
inline bool reachesModulator(const ModEnv& env) { return env.enabled != 0; }

// The zones past a sound's count: one that comes into use plays the
// sound's own sample.
inline int zonesInUse(const Sound& sound) { return entriesInUse(sound.zoneCount); }

// Each as a fresh record holds what of it no user reaches.
void forgetUnreached(Step& step);
void forgetUnreached(Lfo& lfo);
void forgetUnreached(ModEnv& env);
void forgetZonesPastCount(Sound& sound);
void forgetUnreached(Sound& sound);
void forgetUnreached(Track& track);
// The tracks in use and every sound of the kit, the mutes of tracks in use
// only and the macro destinations reached, in order; the tracks past the
// count as they are.
void forgetUnreached(Pattern& pattern);

}  // namespace ob
