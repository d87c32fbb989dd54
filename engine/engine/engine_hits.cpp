// Hits at their exact sample: clock steps and host triggers, layer zones,
// choke groups, slides and the host notes whose ends go back to the host.

#include <algorithm>
#include <cmath>

#include "engine/engine/engine.h"
#include "engine/engine/output_gains.h"
#include "engine/fnv.h"
#include "engine/params/param_tables.h"

namespace ob {

namespace {
constexpr std::uint64_t kGolden = 0x9e3779b97f4a7c15ull;
constexpr std::uint64_t kHitSalt = 0x33c745108483198dull;

// Unit value of draw k of a hit hash.
double unitDraw(std::uint64_t hash, std::uint64_t k) {
  return static_cast<double>(splitMix64(hash + k * kGolden) >> 11) * 0x1.0p-53;
}

bool hasParam(const TriggerValue* list, int count, int param) {
  for (int i = 0; i < count; ++i)
    if (list[i].param == param) return true;
  return false;
}

int listCount(std::uint8_t n) { return std::min<int>(n, kListCapacity); }
}  // namespace

void Engine::clearLockLayer(PlayerModulation& player) {
  std::fill_n(player.mod().layers[layer::kHit], kParams, 0.0f);
}

int Engine::pickLayerZone(const Sound& sound, float velocity, std::uint8_t& counter) {
  if (sound.zoneCount == 0 || (sound.machine != kMachineSample && sound.machine != kMachineGranular))
    return -1;
  const int n = std::min<int>(sound.zoneCount, kListCapacity);
  const float v = std::isfinite(velocity) ? velocity : 0.0f;
  const int q = std::clamp(static_cast<int>(std::trunc(std::clamp(v, -1.0f, 2.0f) * 127.0f + 0.5f)), 0, 127);
  int velocityZone = n - 1;
  for (int i = 0; i + 1 < n; ++i) {
    if (q <= sound.velMax[i]) {
      velocityZone = i;
      break;
    }
  }
  int zone = velocityZone;
  if (sound.mode == 1 || sound.mode == 2) {
    zone = sound.mode == 1 ? counter % n : (counter + velocityZone) % n;
    counter = static_cast<std::uint8_t>((counter + 1) % n);
  }
  return sound.slot[zone];
}

void Engine::writeLayerZone(PlayerModulation& player, const Sound& sound, float velocity,
                            std::uint8_t& counter) {
  const int slot = pickLayerZone(sound, velocity, counter);
  if (slot < 0) return;
  ModLayers& mod = player.mod();
  mod.layers[layer::kHit][0] = static_cast<float>(slot) - mod.layers[layer::kBase][0];
}

void Engine::chokeOthers(int t) {
  const std::uint8_t group = pattern().tracks[t].chokeGroup;
  if (group == kNoChokeGroup) return;
  const int tracks = activeTrackCount();
  for (int u = 0; u < tracks; ++u) {
    if (u == t || pattern().tracks[u].chokeGroup != group) continue;
    active_[u]->choke();
    spare_[u]->choke();
  }
}

void Engine::stepHit(const StepEvent& e) {
  const int t = e.track;
  if (t < 0 || t >= activeTrackCount()) return;
  if (e.patternIndex != currentPattern_ && e.patternIndex < project_.patternCount) {
    currentPattern_ = e.patternIndex;
    std::fill(std::begin(boundSound_), std::end(boundSound_), static_cast<std::int8_t>(-1));
  }
  const Pattern& pat = pattern();
  const Track& track = pat.tracks[t];
  active_[t]->stopGlide();
  const int s = track.soundIndex;
  if (s >= 0 && s < kMaxTracks && s != boundSound_[t]) rebindTrack(t, s);
  TrackPlayer& player = *active_[t];

  bool lockOnSlot = false;
  if (e.step) {
    const Step& step = *e.step;
    lockOnSlot = writeStepLocks(player, step, track, e.hash);
    float pan = stepPan(step, track);
    if (step.randPan > 0.0f) pan += static_cast<float>(2.0 * unitDraw(e.hash, 3) - 1.0) * step.randPan;
    hitPan_[t] = pan - track.pan;
  }

  if (!e.fire) return;
  const int bound = boundSound_[t];
  // A track without a sound plays nothing.
  if (bound < 0) return;
  writeStepRoutes(player, pat.kit.sounds[bound], e.velocity, lockOnSlot, roundRobin_[t]);
  const int index = playerIndex(player);
  flushNoteEnd(index);
  startPlayerHit(player, static_cast<float>(e.note), e.velocity);
  // The player takes it only when it was made for exactly this hit.
  if (prerenders_[t].active()) player.offerPrerender(&prerenders_[t]);
  chokeOthers(t);
  if (e.step && e.step->slide) slide(e);
}

bool Engine::writeStepLocks(PlayerModulation& player, const Step& step, const Track& track,
                            std::uint64_t hash) {
  ModLayers& mod = player.mod();
  bool lockOnSlot = false;
  clearLockLayer(player);
  for (int i = 0; i < listCount(step.lockCount); ++i) {
    const ParamLock& lock = step.locks[i];
    if (lock.param >= kParams) continue;
    mod.layers[layer::kHit][lock.param] = lock.value - mod.layers[layer::kBase][lock.param];
    lockOnSlot |= lock.param == 0;
  }
  player.applyHitModulation(step.rands, listCount(step.randCount), hash, track.trackRands,
                            listCount(track.trackRandCount));
  return lockOnSlot;
}

void Engine::writeStepRoutes(PlayerModulation& player, const Sound& sound, float velocity, bool lockOnSlot,
                             std::uint8_t& counter) {
  player.applyVelocityDests(velocity, sound.velDests, listCount(sound.velDestCount));
  if (!lockOnSlot) writeLayerZone(player, sound, velocity, counter);
}

void Engine::slide(const StepEvent& e) {
  if (e.track < 0 || e.track >= kMaxTracks) return;
  glideToNextStep(*active_[e.track], e);
}

void Engine::glideToNextStep(PlayerModulation& player, const StepEvent& e) {
  const int t = e.track;
  const StepClock::Playable next = clock_.nextPlayableStep(t, e.trackStep, e.subIndex);
  if (!next.found) return;
  const Track& track = pattern().tracks[t];
  const int len = std::min<int>(track.length, kStepsPerTrack);
  if (len <= 0) return;
  const Step& target = track.steps[((next.step % len) + len) % len];
  const ModLayers& mod = player.mod();
  float targets[kParams] = {};
  for (int i = 0; i < listCount(target.lockCount); ++i) {
    const ParamLock& lock = target.locks[i];
    if (lock.param < kParams) targets[lock.param] = lock.value - mod.layers[layer::kBase][lock.param];
  }
  const double perBeat = 4.0 * clock_.samplesPerSixteenth;
  const double b1 = clock_.stepEvent(t, next.step, next.subIndex).beats;
  const double samples = std::floor(perBeat * b1 + 0.5) - std::floor(perBeat * e.beats + 0.5);
  const double bounded = std::isfinite(samples) ? std::clamp(samples, -1.0, 2147483647.0) : 0.0;
  player.glideTo(targets, static_cast<int>(bounded));
}

void Engine::fireHit(const Trigger& tr) {
  const int t = tr.track;
  const int tracks = activeTrackCount();
  if (t >= tracks) {
    logTrigger(tr.noteRef);
    return;
  }
  const Pattern& pat = pattern();
  const Track& track = pat.tracks[t];
  const int s = tr.sound < kMaxTracks ? tr.sound : track.soundIndex;
  if (s < 0 || s >= kMaxTracks) {
    logTrigger(tr.noteRef);
    return;
  }
  if (s != boundSound_[t]) rebindTrack(t, s);
  TrackPlayer& player = *active_[t];
  player.stopGlide();

  std::uint64_t hash = tr.seed;
  if (!tr.hasSeed) {
    const std::uint64_t a = splitMix64((project_.seed ^ kHitSalt) + kGolden);
    hash = splitMix64(a + (hitCounter_ + 1) * kGolden);
    ++hitCounter_;
  }

  ModLayers& mod = player.mod();
  clearLockLayer(player);
  const int absCount = listCount(tr.absoluteCount);
  for (int i = 0; i < absCount; ++i) {
    const TriggerValue& v = tr.absolute[i];
    if (v.param < kParams) mod.layers[layer::kHit][v.param] = v.value - mod.layers[layer::kBase][v.param];
  }
  for (int i = 0; i < listCount(tr.offsetCount); ++i) {
    const TriggerValue& v = tr.offsets[i];
    if (v.param < kParams) mod.layers[layer::kHit][v.param] += v.value;
  }

  const Sound& sound = pat.kit.sounds[s];
  player.applyVelocityDests(tr.gain, sound.velDests, listCount(sound.velDestCount));
  ParamLock randoms[kListCapacity];
  const int randomCount = listCount(tr.randomCount);
  for (int i = 0; i < randomCount; ++i) randoms[i] = ParamLock{tr.randoms[i].param, tr.randoms[i].amount};
  player.applyHitModulation(randoms, randomCount, hash, track.trackRands, listCount(track.trackRandCount));

  float pan = tr.hasPan ? tr.pan : track.pan;
  if (tr.panSpread > 0.0f) pan += static_cast<float>(2.0 * unitDraw(hash, 3) - 1.0) * tr.panSpread;
  hitPan_[t] = pan - track.pan;

  if (!hasParam(tr.absolute, absCount, 0)) {
    if (tr.hasLayer && sound.zoneCount > 0) {
      // A host-chosen layer is used once and does not move the track's counter.
      std::uint8_t once = static_cast<std::uint8_t>(
          tr.layer % static_cast<std::uint64_t>(std::min<int>(sound.zoneCount, kListCapacity)));
      writeLayerZone(player, sound, tr.gain, once);
    } else {
      writeLayerZone(player, sound, tr.gain, roundRobin_[t]);
    }
  }

  const int index = playerIndex(player);
  flushNoteEnd(index);
  pendingNoteEnd_[index] = tr.noteRef;
  startPlayerHit(player, static_cast<float>(tr.note) + tr.pitchOffset, tr.gain);
  chokeOthers(t);

  if (tr.hasSecond) {
    float targets[kParams] = {};
    for (int i = 0; i < listCount(tr.secondAbsoluteCount); ++i) {
      const TriggerValue& v = tr.secondAbsolute[i];
      if (v.param < kParams) targets[v.param] = v.value - mod.layers[layer::kBase][v.param];
    }
    for (int i = 0; i < listCount(tr.secondOffsetCount); ++i) {
      const TriggerValue& v = tr.secondOffsets[i];
      if (v.param < kParams) targets[v.param] += v.value;
    }
    const std::uint32_t delay = std::min<std::uint32_t>(tr.secondDelay, 0x7fffffffu);
    player.glideTo(targets, static_cast<int>(delay));
  }
}

void Engine::logTrigger(const NoteRef& ref) {
  if (ref.isNone() || noteEndCount >= kMaxNoteEnds) return;
  NoteEnd& end = noteEnds[noteEndCount++];
  end.time = pieceBase_ + noteEndTime_;
  end.noteRef = ref;
}

void Engine::flushNoteEnd(int playerIndex) {
  if (playerIndex < 0 || playerIndex >= kPlayers) return;
  NoteRef& ref = pendingNoteEnd_[playerIndex];
  if (!ref.isNone()) logTrigger(ref);
  ref.clear();
}

void Engine::flushEndedNotes() {
  for (int i = 0; i < kPlayers; ++i)
    if (!players_[i].isSounding() && !pendingNoteEnd_[i].isNone()) flushNoteEnd(i);
}

}  // namespace ob
