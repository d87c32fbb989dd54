// Reversed step hits rendered ahead. The clock schedules each track's next
// step one step early; while the track's machine rests until that hit (its
// last hit played reversed, or has ended), the hit's modulators are
// forecast and its pre-render is started on copies, then advanced a slice a
// block so that it is done by the block before the hit. The player checks
// at the hit that the forecast was exact; anything that changes the hit in
// between (an edit, a tempo change, a jump, an earlier host note) makes the
// forecast again and, when it differs, starts over with the notice left.
//
// The first step after the transport starts has no notice of its own: while
// the transport is stopped, the hits of the step the clock would start on
// are forecast and rendered ahead the same way, a slice a block. A start
// from another position (a host that relocates) finds other hits and
// renders them in place.

#include <algorithm>

#include "engine/engine/engine.h"

namespace ob {

void Engine::setSpreadReverse(bool on) {
  spreadReverse_ = on ? 1 : 0;
  if (!on) cancelReverseHits();
}

void Engine::cancelReverseHits() {
  for (int t = 0; t < kMaxTracks; ++t) {
    prerenders_[t].cancel();
    reverseTargets_[t] = ReverseTarget{};
  }
  startProbed_ = 0;
}

namespace {

// A slice of a pre-render for the start, per track and stopped block, in
// block lengths: what a reversed hit on every sixteenth costs while playing
// (a second of pre-render in a sixteenth at 120 BPM).
constexpr int kStartSliceBlocks = 8;
// The due sample of a start hit, which moves with the stopped blocks.
constexpr std::int64_t kDueAtStart = -1;

}  // namespace

bool Engine::nextStepHit(const StepClock& clock, const StepEventList& events, int firstEvent, int t,
                         int frames, StepEvent& hit, std::int64_t& at) {
  // The block's events come in time order and before every pending one.
  for (int i = firstEvent; i < events.size(); ++i) {
    const StepEvent& e = events[i];
    if (e.track != t || !e.fire) continue;
    hit = e;
    at = e.time;
    return true;
  }
  // Pending events of a track need not be in time order (micro timing,
  // random timing): the earliest one.
  bool found = false;
  for (int p = 0; p < clock.pendingCount; ++p) {
    const StepClock::Pending& pending = clock.pending[p];
    if (pending.event.track != t || !pending.event.fire) continue;
    const std::int64_t when = frames + static_cast<std::int64_t>(StepClock::releaseSample(pending.countdown));
    if (found && when >= at) continue;
    found = true;
    hit = pending.event;
    at = when;
  }
  return found;
}

bool Engine::hostNoteFirst(int t, std::int64_t at) const {
  for (int i = nextTrigger_; i < triggerCount; ++i)
    if (triggers[i].track == t && static_cast<std::int64_t>(triggers[i].time) - pieceBase_ <= at) return true;
  return false;
}

bool Engine::forecastStepHit(int t, const StepEvent& e, std::int64_t at, bool timed) {
  const TrackPlayer& player = *active_[t];
  PlayerModulation& m = hitForecast_;
  m = player;
  // The steps stepHit and startHit take, on the copy.
  if (timed) m.advanceControlRate(player.controlPhase(), at);
  m.stopGlide();
  const Track& track = pattern().tracks[t];
  bool lockOnSlot = false;
  if (e.step) lockOnSlot = writeStepLocks(m, *e.step, track, e.hash);
  std::uint8_t counter = roundRobin_[t];
  writeStepRoutes(m, pattern().kit.sounds[boundSound_[t]], e.velocity, lockOnSlot, counter);
  m.restartForHit();
  if (!m.wantsReverse()) return false;
  if (e.step && e.step->slide) glideToNextStep(m, e);
  // The hit's first render brings the held parameters up to date first.
  m.keepHeldParams();
  return true;
}

void Engine::prepareReverseHits(int frames) {
  startProbed_ = 0;
  if (!spreadReverse_ || frames < 1) return;
  const bool recheck = reverseRecheck_ != 0;
  reverseRecheck_ = 0;
  const int tracks = activeTrackCount();
  for (int t = 0; t < kMaxTracks; ++t) {
    ReversePrerender& prerender = prerenders_[t];
    ReverseTarget& target = reverseTargets_[t];
    StepEvent e;
    std::int64_t at = 0;
    if (t >= tracks || !nextStepHit(clock_, stepEvents_, nextStepEvent_, t, frames, e, at) ||
        hostNoteFirst(t, at)) {
      prerender.cancel();
      target = ReverseTarget{};
      continue;
    }
    const TrackPlayer& player = *active_[t];
    const std::int64_t due = hostPosition_ + at;
    const bool sameHit = target.known && target.trackStep == e.trackStep && target.subIndex == e.subIndex &&
                         target.patternIndex == e.patternIndex && target.due == due;
    const bool machineMoved = prerender.active() && !prerender.stillFor(player);
    if (!sameHit || recheck || machineMoved) {
      target = ReverseTarget{};
      const int bound = boundSound_[t];
      // The hit rebinds first, or its machine still plays: nothing to copy yet.
      if (!player.machineFrozen() || bound < 0 || bound != pattern().tracks[t].soundIndex ||
          (e.patternIndex != currentPattern_ && e.patternIndex < project_.patternCount)) {
        prerender.cancel();
        continue;
      }
      target = ReverseTarget{1, e.trackStep, e.subIndex, e.patternIndex, due};
      // Only an LFO on the switch makes the time of the hit decide; the
      // exact walk of the modulators up to it is needed only then and for
      // a hit that plays reversed.
      const bool reversed = (player.reverseFollowsTime() || forecastStepHit(t, e, at, false)) &&
                            forecastStepHit(t, e, at, true);
      if (!reversed) {
        prerender.cancel();
        continue;
      }
      const TrackPlayer::HitInput input = player.hitInput(static_cast<float>(e.note), e.velocity);
      if (!prerender.startedFrom(player, hitForecast_, input))
        prerender.begin(player, hitForecast_, input, true);
    }
    // An equal share for each block before the hit's own, which then only
    // plays it; a hit in this block takes the rest now.
    if (prerender.active() && !prerender.complete()) prerender.renderShare(at / frames);
  }
}

void Engine::prepareStartHits(int frames, double tempo) {
  if (!spreadReverse_ || frames < 1) return;
  const bool recheck = reverseRecheck_ != 0 || startProbed_ == 0 || tempo != reverseTempo_;
  reverseRecheck_ = 0;
  if (recheck) {
    // The clock does not move while stopped: what its first sample would
    // bring stays the same until something changes the pattern or tempo.
    reverseTempo_ = tempo;
    startProbed_ = 1;
    startClock_ = clock_;
    startClock_.setTempo(tempo);
    startClock_.process(1, startEvents_);
  }
  const int tracks = activeTrackCount();
  for (int t = 0; t < kMaxTracks; ++t) {
    ReversePrerender& prerender = prerenders_[t];
    if (t >= tracks) {
      prerender.cancel();
      reverseTargets_[t] = ReverseTarget{};
      continue;
    }
    if (recheck || !reverseTargets_[t].known || startEpoch_[t] != active_[t]->machineEpoch())
      forecastStartHit(t, tempo);
    if (prerender.active() && !prerender.complete()) prerender.renderAhead(kStartSliceBlocks * frames);
  }
}

void Engine::forecastStartHit(int t, double tempo) {
  ReversePrerender& prerender = prerenders_[t];
  ReverseTarget& target = reverseTargets_[t];
  TrackPlayer& player = *active_[t];
  startEpoch_[t] = player.machineEpoch();
  // Known, with nothing ahead, unless a reversed hit turns up below.
  target = ReverseTarget{1, -1, 0, 0, kDueAtStart};
  // Modulators that run while stopped make the hit depend on when the
  // start comes: it is rendered in place then.
  const bool timeless = !player.glideActive() && !player.anyLfoRunning() && !player.anyModEnvRunning();
  const int bound = boundSound_[t];
  StepEvent e;
  std::int64_t at = 0;
  if (!timeless || !player.machineFrozen() || bound < 0 || bound != pattern().tracks[t].soundIndex ||
      !nextStepHit(startClock_, startEvents_, 0, t, 1, e, at) ||
      (e.patternIndex != currentPattern_ && e.patternIndex < project_.patternCount)) {
    prerender.cancel();
    return;
  }
  // As the start's block will give it.
  player.setTempo(tempo);
  if (!forecastStepHit(t, e, at, false)) {
    prerender.cancel();
    return;
  }
  target = ReverseTarget{1, e.trackStep, e.subIndex, e.patternIndex, kDueAtStart};
  const TrackPlayer::HitInput input = player.hitInput(static_cast<float>(e.note), e.velocity);
  if (!prerender.startedFrom(player, hitForecast_, input)) prerender.begin(player, hitForecast_, input, true);
}

}  // namespace ob
