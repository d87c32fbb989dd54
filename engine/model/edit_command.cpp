#include "engine/model/edit_command.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "engine/dsp/unit_range.h"
#include "engine/model/machine_change.h"
#include "engine/model/project_ids.h"
#include "engine/model/reach.h"
#include "engine/params/param_tables.h"

namespace ob {
namespace {

// Clamp, then truncate toward zero into an integer field.
template <class T>
T clampTrunc(float v, float lo, float hi) {
  return static_cast<T>(clampf(v, lo, hi));
}

std::uint8_t toFlag(float v) { return v > 0.5f ? 1 : 0; }

bool paramIndexOk(std::int64_t p) { return p >= 0 && p < kSoundParamSlots; }

int findEntry(const ParamLock* list, std::uint8_t count, int param) {
  const int n = entriesInUse(count);
  for (int i = 0; i < n; ++i)
    if (list[i].param == param) return i;
  return -1;
}

// Moves the entries after i down one place; the vacated entry is left as is.
void removeEntry(ParamLock* list, std::uint8_t& count, int i) {
  const int n = entriesInUse(count);
  for (int j = i; j + 1 < n; ++j) list[j] = list[j + 1];
  count = static_cast<std::uint8_t>(n - 1);
}

void setOrAppend(ParamLock* list, std::uint8_t& count, int param, float value) {
  if (!paramIndexOk(param)) return;
  const int i = findEntry(list, count, param);
  if (i >= 0) {
    list[i].value = value;
    return;
  }
  const int n = entriesInUse(count);
  if (n >= kListCapacity) return;
  list[n].param = static_cast<std::uint8_t>(param);
  list[n].value = value;
  count = static_cast<std::uint8_t>(n + 1);
}

void removeParam(ParamLock* list, std::uint8_t& count, int param) {
  const int i = findEntry(list, count, param);
  if (i >= 0) removeEntry(list, count, i);
}

// A step switched on with velocity 0 would be silent: give it a playable note.
void primeSilentStep(Step& step) {
  if (!step.active && step.velocity == 0) {
    step.note = 60;
    step.velocity = 100;
    step.lengthTicks = 6;
  }
}

// A hit removed goes whole: what was set for it, or came with a kit, would
// wait unseen in a step that plays nothing, and a save would keep it.
void toggleStep(Step& step) {
  if (step.active) {
    step.active = 0;
    forgetUnreached(step);
    return;
  }
  primeSilentStep(step);
  step.active = 1;
}

// The zones in use become `count`: one that comes into use plays the
// sound's own sample until another is chosen for it, and one that goes out
// of use goes whole, as no control reaches it any more.
void layOutZones(Sound& sound, std::uint8_t count, int mode) {
  const int slotParam = findParamIndex(sound.machine, "slot");
  const float own = slotParam >= 0 && slotParam < kSoundParamSlots ? sound.params[slotParam] : 0.0f;
  const auto ownSlot = static_cast<std::uint8_t>(clampf(std::floor(own + 0.5f), 0.0f, kSampleSlots - 1.0f));
  const int inUse = zonesInUse(sound);
  for (int z = inUse; z < std::min<int>(count, kListCapacity); ++z) sound.slot[z] = ownSlot;
  sound.zoneCount = count;
  forgetZonesPastCount(sound);
  sound.mode = static_cast<std::uint8_t>(mode);
}

// A zone past the count plays nothing and no control shows it: an edit of
// one is refused, as it would set what no save keeps.
bool zoneInUse(const Sound& sound, std::int32_t zone) {
  return zone >= 0 && zone < zonesInUse(sound);
}

bool isGrooveEdit(std::uint8_t kind) {
  switch (kind) {
    case kEditToggleStep:
    case kEditSetStepLock:
    case kEditRemoveStepLock:
    case kEditStepField:
    case kEditStepRandom:
    case kEditRemoveStepRandom:
    case kEditTrackLength:
    case kEditEuclid: return true;
    default: return false;
  }
}

Sound* soundOf(Pattern& pattern, const Track& track) {
  if (track.soundIndex < 0 || track.soundIndex >= kMaxTracks) return nullptr;
  return &pattern.kit.sounds[track.soundIndex];
}

// How many parameters the track's sound has (a track without one plays as
// a drum): an edit of any other would set a value nothing plays, and no
// save could name it.
int paramsOf(const Pattern& pattern, const Track& track) {
  const bool sounded = track.soundIndex >= 0 && track.soundIndex < kMaxTracks;
  const int count = paramCount(sounded ? pattern.kit.sounds[track.soundIndex].machine : kMachineDrum);
  return count < kSoundParamSlots ? count : kSoundParamSlots;
}

// The kit sound a new track at index n gets: sound n, unless a track in use
// already plays it (documents may pair tracks and sounds freely); then the
// lowest sound no track in use plays. With fewer than eight tracks in use
// one is always free.
int soundForNewTrack(const Pattern& pattern, int n) {
  bool used[kMaxTracks] = {};
  for (int i = 0; i < n; ++i) {
    const int s = pattern.tracks[i].soundIndex;
    if (s >= 0 && s < kMaxTracks) used[s] = true;
  }
  if (!used[n]) return n;
  for (int s = 0; s < kMaxTracks; ++s)
    if (!used[s]) return s;
  return -1;
}

void copyCommandText(char* dest, std::size_t capacity, const EditCommand& cmd) {
  char text[sizeof cmd.text + 1];
  std::memcpy(text, cmd.text, sizeof cmd.text);
  text[sizeof cmd.text] = '\0';
  copyBoundedString(dest, text, capacity);
}

// A track that comes into use starts with no macro moving it: a destination
// left on its index named a parameter of no sound, and would land on
// whatever the new sound has there.
void dropMacroDests(Pattern& pattern, int track) {
  for (Macro& macro : pattern.kit.macros) {
    const int count = entriesInUse(macro.destCount);
    int kept = 0;
    for (int i = 0; i < count; ++i)
      if (macro.dests[i].track != track) macro.dests[kept++] = macro.dests[i];
    for (int i = kept; i < count; ++i) std::construct_at(&macro.dests[i]);
    macro.destCount = static_cast<std::uint8_t>(kept);
  }
}

void addTrack(Pattern& pattern, const EditCommand& cmd) {
  const int n = pattern.numTracks;
  if (n >= kMaxTracks) return;
  const int soundIndex = soundForNewTrack(pattern, n);
  if (soundIndex < 0) return;
  const std::uint32_t requested = static_cast<std::uint32_t>(cmd.param);
  const int machine = requested > 3 ? 3 : static_cast<int>(requested);

  Track& track = pattern.tracks[n];
  initTracks(&track, 1);
  track.soundIndex = static_cast<std::int8_t>(soundIndex);

  Sound& sound = pattern.kit.sounds[soundIndex];
  initSounds(&sound, 1);
  initSoundParams(sound, machine);
  if (cmd.text[0] != '\0')
    copyCommandText(sound.name, sizeof sound.name, cmd);
  else
    copyText(sound.name, machineTypeName(machine));

  dropMacroDests(pattern, n);
  pattern.numTracks = static_cast<std::uint8_t>(n + 1);
  assignPatternIds(pattern);
}

void removeTrack(Pattern& pattern, std::uint32_t t) {
  if (t > kMaxTracks - 1) return;
  if (trackRemovalStatus(pattern, static_cast<int>(t)).status != 0) return;
  const int n = tracksInUse(pattern);
  const int s = pattern.tracks[t].soundIndex;

  for (int i = static_cast<int>(t); i + 1 < n; ++i) pattern.tracks[i] = pattern.tracks[i + 1];
  initTracks(&pattern.tracks[n - 1], 1);

  if (s >= 0 && s < kMaxTracks) {
    for (int i = s; i + 1 < kMaxTracks; ++i) pattern.kit.sounds[i] = pattern.kit.sounds[i + 1];
    initSounds(&pattern.kit.sounds[kMaxTracks - 1], 1);
  }
  pattern.numTracks = static_cast<std::uint8_t>(n - 1);
  if (s >= 0) {
    for (Track& track : pattern.tracks)
      if (track.soundIndex > s) --track.soundIndex;
  }

  const unsigned mask = pattern.muteMask;
  const unsigned below = mask & ((1u << t) - 1u);
  const unsigned above = (mask >> (t + 1)) << t;
  pattern.muteMask = static_cast<std::uint8_t>(below | above);

  for (Macro& macro : pattern.kit.macros) {
    const int count = entriesInUse(macro.destCount);
    int kept = 0;
    for (int i = 0; i < count; ++i) {
      MacroDest d = macro.dests[i];
      if (d.track == t) continue;
      if (d.track > t && d.track < kNoTrack) --d.track;
      macro.dests[kept++] = d;
    }
    for (int i = kept; i < kListCapacity; ++i) std::construct_at(&macro.dests[i]);
    macro.destCount = static_cast<std::uint8_t>(kept);
  }
}

void duplicateTrack(Pattern& pattern, std::uint32_t t) {
  const int n = pattern.numTracks;
  if (n > kMaxTracks - 1 || t >= static_cast<std::uint32_t>(n)) return;
  const int soundIndex = soundForNewTrack(pattern, n);
  if (soundIndex < 0) return;

  Track& source = pattern.tracks[t];
  Track& copy = pattern.tracks[n];
  copy = source;
  copy.soundIndex = static_cast<std::int8_t>(soundIndex);
  copy.id[0] = '\0';  // the copy gets a fresh id; the source keeps its own

  Sound& sound = pattern.kit.sounds[soundIndex];
  if (const Sound* from = soundOf(pattern, source))
    sound = *from;
  else
    initSounds(&sound, 1);
  sound.id[0] = '\0';

  if (source.chokeGroup == kNoChokeGroup) {
    bool used[kChokeGroups] = {};
    for (int i = 0; i < n; ++i)
      if (pattern.tracks[i].chokeGroup < kChokeGroups) used[pattern.tracks[i].chokeGroup] = true;
    for (int g = 0; g < kChokeGroups; ++g) {
      if (!used[g]) {
        source.chokeGroup = static_cast<std::uint8_t>(g);
        copy.chokeGroup = static_cast<std::uint8_t>(g);
        break;
      }
    }
  }
  dropMacroDests(pattern, n);
  pattern.numTracks = static_cast<std::uint8_t>(n + 1);
  assignPatternIds(pattern);
}

void setMacroDest(Macro& macro, std::uint32_t track, std::uint32_t param, float target) {
  // A destination is a track 0..7 and a parameter 0..63; anything else
  // would be cut to a byte and land on the wrong track or parameter.
  if (track > kMaxTracks - 1 || param >= kSoundParamSlots) return;
  const int n = entriesInUse(macro.destCount);
  for (int i = 0; i < n; ++i) {
    if (macro.dests[i].track == track && macro.dests[i].param == param) {
      macro.dests[i].target = target;
      return;
    }
  }
  if (n >= kListCapacity) return;
  macro.dests[n].track = static_cast<std::uint8_t>(track);
  macro.dests[n].param = static_cast<std::uint8_t>(param);
  macro.dests[n].target = target;
  macro.destCount = static_cast<std::uint8_t>(n + 1);
}

void removeMacroDest(Macro& macro, std::uint32_t track, std::uint32_t param) {
  const int n = entriesInUse(macro.destCount);
  for (int i = 0; i < n; ++i) {
    if (macro.dests[i].track == track && macro.dests[i].param == param) {
      for (int j = i; j + 1 < n; ++j) macro.dests[j] = macro.dests[j + 1];
      macro.destCount = static_cast<std::uint8_t>(n - 1);
      return;
    }
  }
}

void setAccent(Pattern& pattern, std::int32_t field, float v) {
  switch (field) {
    case 0: pattern.accentAmount = clampf(v, 0.0f, 1.0f); break;
    case 1: pattern.accentEvery = clampTrunc<std::uint8_t>(v, 1.0f, 16.0f); break;
    case 2: pattern.accentCurve = clampf(v, 0.0f, 1.0f); break;
    default: break;
  }
}

void setLfoField(Lfo& lfo, std::uint8_t kind, float v) {
  switch (kind) {
    case kEditLfoEnabled: lfo.enabled = toFlag(v); break;
    case kEditLfoShape: lfo.shape = clampTrunc<std::uint8_t>(v, 0.0f, 5.0f); break;
    case kEditLfoDest: lfo.dest = clampTrunc<std::uint8_t>(v, 0.0f, 63.0f); break;
    case kEditLfoRate: lfo.rate = clampf(v, 0.01f, 50.0f); break;
    case kEditLfoDepth: lfo.depth = clampf(v, -1.0f, 1.0f); break;
    case kEditLfoMode: lfo.trig = clampTrunc<std::uint8_t>(v, 0.0f, 4.0f); break;
    case kEditLfoSync: lfo.sync = toFlag(v); break;
    case kEditLfoRateDiv: lfo.rateDiv = clampTrunc<std::uint8_t>(v, 0.0f, 9.0f); break;
    default: break;
  }
}

void setEnvField(ModEnv& env, std::uint8_t kind, float v) {
  switch (kind) {
    case kEditEnvEnabled: env.enabled = toFlag(v); break;
    case kEditEnvDest: env.dest = clampTrunc<std::uint8_t>(v, 0.0f, 63.0f); break;
    case kEditEnvAttack: env.attack = clampf(v, 0.0f, 8.0f); break;
    case kEditEnvHold: env.hold = clampf(v, 0.0f, 8.0f); break;
    case kEditEnvDecay: env.decay = clampf(v, 0.0f, 16.0f); break;
    case kEditEnvDepth: env.depth = clampf(v, -1.0f, 1.0f); break;
    case kEditEnvSync: env.sync = toFlag(v); break;
    case kEditEnvAtkDiv: env.atkDiv = clampTrunc<std::uint8_t>(v, 0.0f, 9.0f); break;
    case kEditEnvDecDiv: env.decDiv = clampTrunc<std::uint8_t>(v, 0.0f, 9.0f); break;
    default: break;
  }
}

// Kinds addressed by a track index 0..7 (tracks not in use included).
void applyTrackCommand(Pattern& pattern, const EditCommand& cmd) {
  Track& track = pattern.tracks[cmd.track];
  const float v = cmd.value;
  const std::int32_t p = cmd.param;
  const std::uint32_t s = cmd.step;
  const bool paramOk = p >= 0 && p < paramsOf(pattern, track);

  switch (cmd.kind) {
    case kEditToggleStep:
      if (s > 15) return;
      toggleStep(track.steps[s]);
      return;
    case kEditSoundParam:
      // Held within the parameter's range, where a load holds it too.
      if (!paramOk || !std::isfinite(v)) return;
      if (Sound* sound = soundOf(pattern, track)) {
        const ParamInfo row = paramInfo(sound->machine, p);
        sound->params[p] = clampf(v, std::min(row.min, row.max), std::max(row.min, row.max));
      }
      return;
    case kEditSetStepLock:
      if (s > 15 || !paramOk) return;
      setStepLock(track.steps[s], p, v);
      return;
    case kEditRemoveStepLock:
      if (s > 15 || !paramIndexOk(p)) return;
      removeParam(track.steps[s].locks, track.steps[s].lockCount, p);
      return;
    case kEditTrackGain: track.gain = v; return;
    case kEditTrackPan: track.pan = v; return;
    case kEditBpm: pattern.bpm = clampf(v, kMinBpm, kMaxBpm); return;
    case kEditPatternSwing: pattern.swing = clampf(v, 50.0f, 80.0f); return;
    case kEditStepField:
      if (s > 15) return;
      setStepField(track.steps[s], p & 0xff, v);
      return;
    case kEditMachine:
      if (p < 0 || p > 3) return;
      if (Sound* sound = soundOf(pattern, track)) {
        const int before = sound->machine;
        initSoundParams(*sound, p);
        followMachineChange(pattern, track.soundIndex, before, p);
      }
      return;
    case kEditStepRandom:
      if (s > 15 || !paramOk) return;
      setParamListEntry(track.steps[s].rands, track.steps[s].randCount, p, v);
      return;
    case kEditRemoveStepRandom:
      if (s > 15 || !paramIndexOk(p)) return;
      removeParam(track.steps[s].rands, track.steps[s].randCount, p);
      return;
    case kEditTrackRandom:
      if (!paramOk) return;
      setParamListEntry(track.trackRands, track.trackRandCount, p, v);
      return;
    case kEditTrackRate: track.rate = clampTrunc<std::uint8_t>(v, 0.0f, kTrackRateCount - 1.0f); return;
    case kEditTrackLength: track.length = clampTrunc<std::uint16_t>(v, 1.0f, 16.0f); return;
    case kEditTrackChromatic: track.chromatic = toFlag(v); return;
    case kEditTrackSwing: track.swing = v < 0.0f ? -1.0f : clampf(v, 50.0f, 80.0f); return;
    case kEditEuclid:
      euclidFill(track.steps, track.length == 0 ? kStepsPerTrack : track.length, p,
                 static_cast<std::int32_t>(s));
      return;
    case kEditChokeGroup: {
      // Rounded half up; a negative value or one that rounds past the last
      // group is no group.
      const float rounded = std::trunc(v + 0.5f);
      track.chokeGroup =
          (v >= 0.0f && rounded < kChokeGroups) ? static_cast<std::uint8_t>(rounded) : kNoChokeGroup;
      return;
    }
    case kEditZoneLayout:
      if (Sound* sound = soundOf(pattern, track))
        layOutZones(*sound, clampTrunc<std::uint8_t>(v, 0.0f, kListCapacity), p < 0 ? 0 : (p > 2 ? 2 : p));
      return;
    case kEditZoneSlot:
      if (Sound* sound = soundOf(pattern, track); sound && zoneInUse(*sound, p))
        sound->slot[p] = clampTrunc<std::uint8_t>(v, 0.0f, 63.0f);
      return;
    case kEditZoneVelMax:
      if (Sound* sound = soundOf(pattern, track); sound && zoneInUse(*sound, p))
        sound->velMax[p] = clampTrunc<std::uint8_t>(v, 0.0f, 127.0f);
      return;
    case kEditVelocityDest:
      if (!paramOk) return;
      if (Sound* sound = soundOf(pattern, track)) {
        if (v == 0.0f)
          removeParam(sound->velDests, sound->velDestCount, p);
        else
          setOrAppend(sound->velDests, sound->velDestCount, p, clampf(v, -1.0f, 1.0f));
      }
      return;
    default: break;
  }
  if ((cmd.kind == kEditLfoDest || cmd.kind == kEditEnvDest) && !(v < paramsOf(pattern, track))) return;
  if (cmd.kind >= kEditLfoEnabled && cmd.kind <= kEditLfoRateDiv) {
    if (p == 0 || p == 1) setLfoField(track.lfos[p], cmd.kind, v);
  } else if (cmd.kind >= kEditEnvEnabled && cmd.kind <= kEditEnvDecDiv) {
    if (p == 0 || p == 1) setEnvField(track.modEnvs[p], cmd.kind, v);
  }
}

}  // namespace

void setStepLock(Step& step, int param, float value) {
  setOrAppend(step.locks, step.lockCount, param, value);
}

void setParamListEntry(ParamLock* list, std::uint8_t& count, int param, float value) {
  if (value > 0.0f)
    setOrAppend(list, count, param, value);
  else
    removeParam(list, count, param);
}

void setStepField(Step& step, int subField, float v) {
  switch (subField) {
    case kStepVelocity: step.velocity = clampTrunc<std::uint8_t>(v, 0.0f, 127.0f); break;
    case kStepNote: step.note = clampTrunc<std::uint8_t>(v, 0.0f, 127.0f); break;
    case kStepLengthTicks: step.lengthTicks = clampTrunc<std::uint16_t>(v, 1.0f, 1536.0f); break;
    case kStepMicro: step.micro = clampTrunc<std::int8_t>(v, -64.0f, 63.0f); break;
    case kStepSlide: step.slide = toFlag(v); break;
    case kStepRetrigCount: step.count = clampTrunc<std::uint8_t>(v, 0.0f, 32.0f); break;
    case kStepRateTicks: step.rateTicks = clampTrunc<std::uint16_t>(v, 1.0f, 192.0f); break;
    case kStepVelCurve: step.velCurve = clampTrunc<std::int8_t>(v, -128.0f, 127.0f); break;
    case kStepMuted: step.muted = toFlag(v); break;
    case kStepRandVel: step.randVel = clampf(v, 0.0f, 1.0f); break;
    case kStepRandTime: step.randTime = clampf(v, 0.0f, 1.0f); break;
    case kStepRandPan: step.randPan = clampf(v, 0.0f, 1.0f); break;
    case kStepPanLocked: step.panLocked = toFlag(v); break;
    case kStepPanValue: step.panValue = clampf(v, -1.0f, 1.0f); break;
    default: break;
  }
}

TrackRemovalStatus trackRemovalStatus(const Pattern& pattern, int track) {
  const int n = tracksInUse(pattern);
  if (track < 0 || track >= n) return {1, -1};
  if (n <= 1) return {2, -1};
  const int sound = pattern.tracks[track].soundIndex;
  if (sound >= 0) {
    for (int i = 0; i < n; ++i)
      if (i != track && pattern.tracks[i].soundIndex == sound) return {3, i};
  }
  return {0, -1};
}

int bjorklund(int length, int hits, std::uint8_t* out) {
  const int n = length < 0 ? 0 : (length > kStepsPerTrack ? kStepsPerTrack : length);
  if (n < 1) return 0;
  const int k = hits < 0 ? 0 : (hits > n ? n : hits);
  if (k == 0 || k == n) {
    for (int i = 0; i < n; ++i) out[i] = k == n ? 1 : 0;
    return n;
  }

  int counts[kStepsPerTrack + 2] = {};
  int remainders[kStepsPerTrack + 2] = {};
  remainders[0] = k;
  int divisor = n - k;
  int level = 0;
  do {
    counts[level] = divisor / remainders[level];
    remainders[level + 1] = divisor % remainders[level];
    divisor = remainders[level];
    ++level;
  } while (remainders[level] > 1);
  counts[level] = divisor;

  std::uint8_t built[kStepsPerTrack];
  int size = 0;
  // Recursion depth is bounded by the level count (a few for 16 steps).
  auto build = [&](auto& self, int lvl) -> void {
    if (lvl == -1) {
      if (size < n) built[size++] = 0;
    } else if (lvl == -2) {
      if (size < n) built[size++] = 1;
    } else {
      for (int i = 0; i < counts[lvl]; ++i) self(self, lvl - 1);
      if (remainders[lvl] != 0) self(self, lvl - 2);
    }
  };
  build(build, level);
  for (int i = size; i < n; ++i) built[i] = 0;

  int first = 0;
  while (first < n && !built[first]) ++first;
  if (first == n) first = 0;
  for (int i = 0; i < n; ++i) out[i] = built[(i + first) % n];
  return n;
}

void euclidFill(Step* steps, int length, int hits, int rotation) {
  if (length < 1) return;
  std::uint8_t pattern[kStepsPerTrack];
  const int n = bjorklund(length, hits, pattern);
  if (n < 1) return;
  const int shift = static_cast<int>(((static_cast<std::int64_t>(rotation) % n) + n) % n);
  for (int i = 0; i < n; ++i) {
    Step& step = steps[(i + shift) % n];
    if (pattern[i]) primeSilentStep(step);
    step.active = pattern[i];
  }
}

void markGrooveEdited(Pattern& pattern) { pattern.grooveEdited = 1; }

void applyEditCommand(Project& project, const EditCommand& cmd) {
  // A NaN or infinity would pass every clamp unchanged (or turn into an
  // undefined integer conversion); such a command changes nothing at all.
  if (!std::isfinite(cmd.value)) return;
  Pattern& pattern = project.patterns[0];
  if (isGrooveEdit(cmd.kind)) markGrooveEdited(pattern);

  const std::int32_t p = cmd.param;
  switch (cmd.kind) {
    case kEditMacroValue:
      if (p >= 0 && p < kMacroCount) pattern.kit.macros[p].value = cmd.value;
      return;
    case kEditMuteTrack:
      if (cmd.track > kMaxTracks - 1) return;
      if (cmd.value > 0.5f)
        pattern.muteMask = static_cast<std::uint8_t>(pattern.muteMask | (1u << cmd.track));
      else
        pattern.muteMask = static_cast<std::uint8_t>(pattern.muteMask & ~(1u << cmd.track));
      return;
    case kEditMuteMask: pattern.muteMask = clampTrunc<std::uint8_t>(cmd.value, 0.0f, 255.0f); return;
    case kEditAddTrack: addTrack(pattern, cmd); return;
    case kEditRemoveTrack: removeTrack(pattern, cmd.track); return;
    case kEditDuplicateTrack: duplicateTrack(pattern, cmd.track); return;
    case kEditMacroName:
      if (p >= 0 && p < kMacroCount) {
        Macro& macro = pattern.kit.macros[p];
        copyCommandText(macro.name, sizeof macro.name, cmd);
      }
      return;
    case kEditMacroDest:
      if (p >= 0 && p < kMacroCount && cmd.track < kMaxTracks &&
          cmd.step < static_cast<std::uint32_t>(paramsOf(pattern, pattern.tracks[cmd.track])))
        setMacroDest(pattern.kit.macros[p], cmd.track, cmd.step, cmd.value);
      return;
    case kEditRemoveMacroDest:
      if (p >= 0 && p < kMacroCount) removeMacroDest(pattern.kit.macros[p], cmd.track, cmd.step);
      return;
    case kEditAccent: setAccent(pattern, p, cmd.value); return;
    default: break;
  }
  if (cmd.kind >= kEditKindCount || cmd.track > kMaxTracks - 1) return;
  applyTrackCommand(pattern, cmd);
}

}  // namespace ob
