#include "engine/engine/engine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "engine/clock/tempo.h"
#include "engine/engine/denormal_guard.h"
#include "engine/engine/output_gains.h"
#include "engine/model/demo_project.h"
#include "engine/model/reach.h"

namespace ob {

namespace {
constexpr double kDefaultRate = 44100.0;
constexpr int kDefaultBlock = 512;
constexpr int kSignalPeriod = 32;

// Stable insertion sort by time; the lists hold at most 64 entries.
template <typename T, typename TimeOf>
void sortByTime(T* items, int count, TimeOf timeOf) {
  for (int i = 1; i < count; ++i) {
    T item = items[i];
    int j = i - 1;
    while (j >= 0 && timeOf(items[j]) > timeOf(item)) {
      items[j + 1] = items[j];
      --j;
    }
    items[j + 1] = item;
  }
}

std::int32_t clampTime(std::int32_t t, int frames) { return std::clamp(t, 0, std::max(0, frames - 1)); }
}  // namespace

Engine::Engine() {
  followerDecay_ = static_cast<float>(std::exp(-1.0 / (sampleRate_ * 0.05)));
  for (int t = 0; t < kMaxTracks; ++t) {
    active_[t] = &players_[t];
    spare_[t] = &players_[t + kMaxTracks];
  }
  std::fill(std::begin(lastSent_), std::end(lastSent_), -1.0f);
  std::fill(std::begin(boundSound_), std::end(boundSound_), static_cast<std::int8_t>(-1));
  for (auto& row : modDisplay_)
    for (auto& v : row) v.store(0.0f, std::memory_order_relaxed);
  sizeBuffers();
}

void Engine::sizeBuffers() {
  scratchL_.assign(static_cast<std::size_t>(maxBlock_), 0.0f);
  scratchR_.assign(static_cast<std::size_t>(maxBlock_), 0.0f);
  followerInput_.assign(static_cast<std::size_t>(kMaxTracks) * static_cast<std::size_t>(maxBlock_), 0.0f);
  controlSignals_.assign(static_cast<std::size_t>((maxBlock_ / kSignalPeriod + 1) * kMaxTracks),
                         ControlSignal{});
}

Engine::~Engine() {
  delete projectMailbox_.exchange(nullptr, std::memory_order_acq_rel);
  drainRetired();
}

// ---- Main thread

void Engine::prepare(double sampleRate, int maxBlock) {
  sampleRate_ = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : kDefaultRate;
  maxBlock_ = maxBlock > 0 ? maxBlock : kDefaultBlock;
  sizeBuffers();
  followerDecay_ = static_cast<float>(std::exp(-1.0 / (sampleRate_ * 0.05)));
  clock_.setSampleRate(sampleRate_);
  carryPendingNoteEnds();
  preparePlayers();
  for (ReversePrerender& prerender : prerenders_)
    prerender.prepare(sampleRate_, players_[0].reverseCapacity());
  cancelReverseHits();
  buildDemoProject(project_);
  loadProject(project_);
  // The players started over: the records their hits read are let go.
  reportReading();
}

void Engine::preparePlayers() {
  // At the rate they were sized for, the players only start over: the
  // host's reset reaches here on the audio thread and allocates nothing.
  for (int i = 0; i < kPlayers; ++i) {
    const int t = i % kMaxTracks;
    players_[i].setRandomSeeds(static_cast<std::uint32_t>(t + 809),
                               static_cast<std::uint32_t>(t + 405) ^ 0x9e3779b9u);
    players_[i].prepare(sampleRate_);
    stopFade_[i].clear();
  }
}

void Engine::loadProject(const Project& project) {
  if (&project != &project_) project_ = project;
  // Superseded by this copy; applying them again would double adds,
  // removals and toggles, and a macro flushed before the last deactivate
  // would override what a later state load set.
  commandRing_.clear();
  hostRing_.clear();
  delete projectMailbox_.exchange(nullptr, std::memory_order_acq_rel);
  triggerCount = 0;
  blockEventCount = 0;
  selectPattern(false);
}

void Engine::enableControlSignals(bool on) {
  controlSignalsOn_ = on ? 1 : 0;
  std::fill(std::begin(follower_), std::end(follower_), 0.0f);
  std::fill(std::begin(lastSent_), std::end(lastSent_), -1.0f);
}

bool Engine::postCommand(const EditCommand& command) { return commandRing_.push(command); }

bool Engine::postHostCommand(const EditCommand& command) { return hostRing_.push(command); }

void Engine::postProject(const Project& project, bool keepPosition) {
  auto post = std::make_unique<PostedProject>();
  post->project = project;
  post->keepPosition = keepPosition ? 1 : 0;
  post->commandMark = commandRing_.writeIndex();
  delete projectMailbox_.exchange(post.release(), std::memory_order_acq_rel);
}

int Engine::drainRetired() {
  int freed = 0;
  std::int32_t r = retireRead_.load(std::memory_order_relaxed);
  while (r != retireWrite_.load(std::memory_order_acquire)) {
    delete retireRing_[r];
    retireRing_[r] = nullptr;
    r = (r + 1) % kRetireSlots;
    retireRead_.store(r, std::memory_order_release);
    ++freed;
  }
  return freed;
}

void Engine::handOverSeed(std::uint64_t seed) {
  seedValue_.store(seed, std::memory_order_relaxed);
  seedPending_.store(1, std::memory_order_release);
}

float Engine::modulatedParam(std::uint32_t track, std::uint32_t param) const {
  if (track >= kMaxTracks || param >= kParams) return 0.0f;
  return modDisplay_[track][param].load(std::memory_order_relaxed);
}

// ---- Audio thread: hand-over steps

bool Engine::takeMailbox() {
  if (!projectMailbox_.load(std::memory_order_acquire)) return true;
  const std::int32_t w = retireWrite_.load(std::memory_order_relaxed);
  const std::int32_t next = (w + 1) % kRetireSlots;
  // No room to hand the copy back: leave it in the mailbox for a later block.
  if (next == retireRead_.load(std::memory_order_acquire)) return false;
  PostedProject* post = projectMailbox_.exchange(nullptr, std::memory_order_acq_rel);
  if (!post) return true;
  project_ = post->project;
  commandRing_.skipTo(post->commandMark);
  selectPattern(post->keepPosition != 0);
  retireRing_[w] = post;
  retireWrite_.store(next, std::memory_order_release);
  return true;
}

void Engine::takeSeed() {
  if (seedPending_.load(std::memory_order_relaxed) == 0) return;
  if (seedPending_.exchange(0, std::memory_order_acq_rel) == 0) return;
  takenSeed_ = seedValue_.load(std::memory_order_relaxed);
  seedSet_ = 1;
  project_.seed = takenSeed_;
  clock_.seed = takenSeed_;
  hitCounter_ = 0;
}

void Engine::applySeedRule() {
  if (seedSet_) project_.seed = takenSeed_;
  clock_.seed = project_.seed;
}

void Engine::checkSampleSet() {
  // A pre-render is of a hit to come, which plays the newest samples.
  if (sampleSet_.takeGeneration()) cancelReverseHits();
  // A machine that plays keeps the record of its hit; the others read
  // nothing until their next hit, which gives them the newest anyway.
  for (TrackPlayer& player : players_)
    if (player.machineFrozen()) giveSnapshot(player);
  reportReading();
}

void Engine::reportReading() {
  // A machine reads through the record it was given, always the one the
  // block took, which the word names; after that block it is named here
  // for as long as the machine may read. A frozen machine reads nothing,
  // and is given the newest before it is triggered again.
  std::uint32_t records = 0;
  for (const TrackPlayer& player : players_)
    if (!player.machineFrozen()) records |= sampleSet_.recordBit(player.sampleSnapshot());
  for (const ReversePrerender& prerender : prerenders_)
    if (prerender.active()) records |= sampleSet_.recordBit(prerender.sampleSnapshot());
  sampleSet_.report(records);
}

void Engine::giveSnapshot(TrackPlayer& player) { player.setSampleSnapshot(sampleSet_.current()); }

void Engine::drainCommands() {
  EditCommand command;
  // The flush's ring first: host values land on top of whatever project is
  // current, and they never travel in a posted project.
  while (hostRing_.pop(command)) applyEdit(command);
  for (;;) {
    // A command is only applied once every project posted before it has
    // been taken: seeing its index means seeing such a post too.
    const bool ready = commandRing_.ready();
    if (!takeMailbox()) break;
    if (!ready) break;
    if (!commandRing_.pop(command)) break;
    applyEdit(command);
  }
  applyMacros();
}

// ---- Audio thread: block processing

bool Engine::queueTrigger(const Trigger& trigger) {
  if (triggerCount >= kMaxTriggers) return false;
  triggers[triggerCount++] = trigger;
  return true;
}

bool Engine::queueBlockEvent(const BlockEvent& event) {
  if (blockEventCount >= kMaxBlockEvents) return false;
  blockEvents[blockEventCount++] = event;
  return true;
}

void Engine::processBlock(float* const* channels, int pairCount, int frames, const RenderInfo& info) {
  if (!channels || pairCount <= 0) return;
  trackOutputs_ = channels;
  trackOutputCount_ = pairCount;
  process(nullptr, nullptr, frames, info);
  trackOutputs_ = nullptr;
  trackOutputCount_ = 0;
}

int Engine::process(float* left, float* right, int frames, const RenderInfo& info) {
  // Before anything else: from here a fence on the main thread fails, or
  // this block comes after it and takes the newest publication at its
  // sample-set check. A fence lets the record taken last block go unless a
  // machine holds it, so until that check nothing reads sample memory: the
  // mailbox's rebinds only point frozen players at that record, and the
  // check gives them the newest before any hit or render.
  sampleSet_.enterBlock();
  const DenormalGuard denormals;
  noteEndCount = 0;
  controlSignalCount = 0;
  noteEndTime_ = 0;
  pieceBase_ = 0;
  for (int i = 0; i < carriedCount_; ++i) logTrigger(carriedNoteEnds_[i]);
  carriedCount_ = 0;
  if (frames < 0) frames = 0;

  triggerCount = std::clamp(triggerCount, 0, kMaxTriggers);
  blockEventCount = std::clamp(blockEventCount, 0, kMaxBlockEvents);
  for (int i = 0; i < triggerCount; ++i)
    triggers[i].time =
        static_cast<std::uint32_t>(clampTime(static_cast<std::int32_t>(triggers[i].time), frames));
  for (int i = 0; i < blockEventCount; ++i) blockEvents[i].time = clampTime(blockEvents[i].time, frames);
  sortByTime(blockEvents, blockEventCount, [](const BlockEvent& e) { return e.time; });
  sortByTime(triggers, triggerCount, [](const Trigger& t) { return t.time; });
  nextTrigger_ = 0;
  nextBlockEvent_ = 0;

  // Longer blocks than prepared are split; nothing writes past a buffer.
  int base = 0;
  bool first = true;
  do {
    const int n = std::min(frames - base, maxBlock_);
    runPiece(left ? left + base : nullptr, right ? right + base : nullptr, base, n, info, first);
    first = false;
    base += n;
  } while (base < frames);

  triggerCount = 0;
  blockEventCount = 0;
  publishDisplay(frames);
  // Again with the block's hits: what a fence finds until the next block.
  reportReading();
  sampleSet_.leaveBlock();
  return frames;
}

void Engine::runPiece(float* left, float* right, int base, int frames, const RenderInfo& info, bool first) {
  pieceBase_ = base;
  noteEndTime_ = 0;
  const int end = base + frames;
  if (controlSignalsOn_ && frames > 0)
    for (int t = 0; t < kMaxTracks; ++t)
      std::fill_n(followerInput_.data() + static_cast<std::size_t>(t) * maxBlock_, frames, 0.0f);

  if (first) {
    takeMailbox();
    takeSeed();
    // Before any hit or render of the block: see process.
    checkSampleSet();
    if (info.hasPosition) {
      hostPosition_ = info.position;
      const int phase = static_cast<int>(((info.position % 8) + 8) % 8);
      for (TrackPlayer& p : players_) p.setControlPhase(phase);
    }
    drainCommands();
    if (!info.playing && wasPlaying_) {
      stopPlayers();
      flushEndedNotes();
    }
    wasPlaying_ = info.playing ? 1 : 0;
  }

  const Pattern& pat = pattern();
  // The host's tempo, held to the engine's range, else the pattern's.
  const double hostTempo = tempoInRange(info.tempo);
  const double tempo = hostTempo > 0.0 ? hostTempo : static_cast<double>(pat.bpm);
  const double playerTempo = effectiveTempo(tempo);
  stepEvents_.clear();
  nextStepEvent_ = 0;
  const bool clockRuns =
      info.clockRunning && (info.internalPlay || !auditionMode_.load(std::memory_order_relaxed));
  if (clockRuns) {
    clock_.setTempo(tempo);
    if (first && info.hasBeats) clock_.syncTo(info.beats * 4.0);
    clock_.process(frames, stepEvents_);
    playheadStep_.store(clock_.currentStep(), std::memory_order_relaxed);
    playheadPass_.store(clock_.patternPass, std::memory_order_relaxed);
  } else {
    prepareStartHits(frames, playerTempo);
    bool anySounding = false;
    for (const TrackPlayer& p : players_) anySounding |= p.isSounding();
    const bool triggerHere =
        nextTrigger_ < triggerCount && static_cast<int>(triggers[nextTrigger_].time) < end;
    if (!triggerHere && !anySounding) {
      clearOutputs(left, right, frames);
      for (TrackPlayer& p : players_) p.advanceIdle(frames);
      while (nextBlockEvent_ < blockEventCount && blockEvents[nextBlockEvent_].time < end) {
        applyEdit(blockEvents[nextBlockEvent_++].command);
        applyMacros();
      }
      flushEndedNotes();
      sendControlSignals(base, frames);
      hostPosition_ += frames;
      return;
    }
  }

  clearOutputs(left, right, frames);
  for (TrackPlayer& p : players_) p.setTempo(playerTempo);
  if (clockRuns) {
    if (playerTempo != reverseTempo_) reverseRecheck_ = 1;
    reverseTempo_ = playerTempo;
    prepareReverseHits(frames);
  }

  int cursor = 0;
  while (cursor < frames) {
    int next = frames;
    if (nextStepEvent_ < stepEvents_.size()) next = std::min(next, stepEvents_[nextStepEvent_].time);
    if (nextTrigger_ < triggerCount)
      next = std::min(next, static_cast<int>(triggers[nextTrigger_].time) - base);
    if (nextBlockEvent_ < blockEventCount) next = std::min(next, blockEvents[nextBlockEvent_].time - base);
    next = std::clamp(next, cursor, frames);
    if (next > cursor) {
      renderSegment(left, right, cursor, next);
      noteEndTime_ = next - 1;
      flushEndedNotes();
    }
    noteEndTime_ = next;
    if (next >= frames) break;
    while (nextBlockEvent_ < blockEventCount && blockEvents[nextBlockEvent_].time - base == next) {
      applyEdit(blockEvents[nextBlockEvent_++].command);
      applyMacros();
    }
    while (nextTrigger_ < triggerCount && static_cast<int>(triggers[nextTrigger_].time) - base == next)
      fireHit(triggers[nextTrigger_++]);
    while (nextStepEvent_ < stepEvents_.size() && stepEvents_[nextStepEvent_].time == next)
      stepHit(stepEvents_[nextStepEvent_++]);
    cursor = next;
  }
  // Step events of a damaged clock past the block end would otherwise be lost
  // silently; they are simply not played.
  sendControlSignals(base, frames);
  hostPosition_ += frames;
}

int Engine::activeTrackCount() const { return tracksInUse(pattern()); }

void Engine::renderSegment(float* left, float* right, int from, int to) {
  const int n = to - from;
  const int tracks = activeTrackCount();
  const Pattern& pat = pattern();
  for (int t = 0; t < kMaxTracks; ++t) {
    TrackPlayer& a = *active_[t];
    TrackPlayer& s = *spare_[t];
    if (t >= tracks) {
      a.advanceIdle(n);
      s.advanceIdle(n);
      continue;
    }
    if (a.isSounding()) {
      const Track& track = pat.tracks[t];
      const OutputGains gains = trackOutputGains(hitPan_[t] + track.pan, track.gain);
      activeGainL_[t] = gains.left;
      activeGainR_[t] = gains.right;
      renderTrack(a, t, activeGainL_[t], activeGainR_[t], left ? left + from : nullptr,
                  right ? right + from : nullptr, n, from);
    } else {
      a.advanceIdle(n);
    }
    if (s.isSounding())
      renderTrack(s, t, spareGainL_[t], spareGainR_[t], left ? left + from : nullptr,
                  right ? right + from : nullptr, n, from);
    else
      s.advanceIdle(n);
  }
}

void Engine::renderTrack(TrackPlayer& player, int t, float gainL, float gainR, float* left, float* right,
                         int frames, int offset) {
  if (frames <= 0) return;
  float* sl = scratchL_.data();
  float* sr = scratchR_.data();
  player.renderBlock(sl, sr, frames);
  fadeAfterStop(player, sl, sr, frames);
  if (controlSignalsOn_) {
    float* row = followerInput_.data() + static_cast<std::size_t>(t) * maxBlock_ + offset;
    for (int i = 0; i < frames; ++i) row[i] = std::max({row[i], std::fabs(sl[i]), std::fabs(sr[i])});
  }
  if (trackOutputs_) {
    if (t >= trackOutputCount_) return;
    float* cl = trackOutputs_[2 * t];
    float* cr = trackOutputs_[2 * t + 1];
    const int at = pieceBase_ + offset;
    if (cl)
      for (int i = 0; i < frames; ++i) cl[at + i] += gainL * sl[i];
    if (cr)
      for (int i = 0; i < frames; ++i) cr[at + i] += gainR * sr[i];
    return;
  }
  if (left)
    for (int i = 0; i < frames; ++i) left[i] += gainL * sl[i];
  if (right)
    for (int i = 0; i < frames; ++i) right[i] += gainR * sr[i];
}

void Engine::clearOutputs(float* left, float* right, int frames) {
  if (frames <= 0) return;
  const std::size_t bytes = sizeof(float) * static_cast<std::size_t>(frames);
  if (trackOutputs_) {
    for (int c = 0; c < 2 * trackOutputCount_; ++c)
      if (trackOutputs_[c]) std::memset(trackOutputs_[c] + pieceBase_, 0, bytes);
    return;
  }
  if (left) std::memset(left, 0, bytes);
  if (right) std::memset(right, 0, bytes);
}

void Engine::sendControlSignals(int base, int frames) {
  if (!controlSignalsOn_ || frames < 1) return;
  const int tracks = activeTrackCount();
  const int capacity = static_cast<int>(controlSignals_.size());
  for (int i = 0; i < frames; ++i) {
    const bool due = ((hostPosition_ + i) % kSignalPeriod) == 0;
    for (int t = 0; t < tracks; ++t) {
      const float in = followerInput_[static_cast<std::size_t>(t) * maxBlock_ + i];
      float f = std::max(follower_[t] * followerDecay_, in);
      if (f < 0.001f) f = 0.0f;
      follower_[t] = f;
      if (!due) continue;
      const float v = std::min(1.0f, f);
      if (v != lastSent_[t] && controlSignalCount < capacity) {
        ControlSignal& s = controlSignals_[static_cast<std::size_t>(controlSignalCount++)];
        s.time = static_cast<std::uint32_t>(base + i);
        s.track = static_cast<std::uint8_t>(t);
        s.value = v;
        lastSent_[t] = v;
      }
    }
  }
}

void Engine::publishDisplay(int frames) {
  // The editor redraws about every 16 ms: a few milliseconds of staleness
  // cost nothing there, while summing every layer each small block would.
  displayFrames_ += frames;
  if (!displayDirty_ && displayFrames_ < kDisplayPeriod) return;
  displayFrames_ = 0;
  displayDirty_ = 0;
  const int tracks = activeTrackCount();
  float sums[kParams];
  for (int t = 0; t < kMaxTracks; ++t) {
    if (t < tracks)
      active_[t]->mod().sumFirst(sums);
    else
      std::fill(std::begin(sums), std::end(sums), 0.0f);  // no such track
    for (int p = 0; p < kParams; ++p) modDisplay_[t][p].store(sums[p], std::memory_order_relaxed);
  }
}

void Engine::reset() {
  carryPendingNoteEnds();
  preparePlayers();
  triggerCount = 0;
  blockEventCount = 0;
  wasPlaying_ = 0;
  cancelReverseHits();
  selectPattern(false);
  std::fill(std::begin(follower_), std::end(follower_), 0.0f);
  std::fill(std::begin(lastSent_), std::end(lastSent_), -1.0f);
  reportReading();
}

void Engine::endVoices() {
  // Counted as a block, so a fence on the main thread either comes after
  // it and sees no voice hold anything, or before it, keeping what the
  // voices held until a later pass.
  sampleSet_.enterBlock();
  carryPendingNoteEnds();
  for (TrackPlayer& player : players_) resetPlayer(player);
  cancelReverseHits();
  reportReading();
  sampleSet_.leaveBlock();
}

void Engine::carryPendingNoteEnds() {
  // Outside a block nothing reaches the host: its notes are told at the
  // next block instead of never.
  for (NoteRef& ref : pendingNoteEnd_) {
    if (!ref.isNone() && carriedCount_ < kPlayers) carriedNoteEnds_[carriedCount_++] = ref;
    ref.clear();
  }
}

void Engine::resetPlayer(TrackPlayer& player) {
  player.reset();
  stopFade_[playerIndex(player)].clear();
}

void Engine::startPlayerHit(TrackPlayer& player, float note, float velocity) {
  const int index = playerIndex(player);
  // A hit while a stop fades the player out starts from silence.
  if (stopFade_[index].running) resetPlayer(player);
  // Every hit plays the newest samples the block took.
  giveSnapshot(player);
  player.startHit(note, velocity);
}

void Engine::stopPlayers() {
  // A cut would click and chop the rooms off: a sounding player fades out
  // over the choke fade's 3 ms and stops when it ends, its host note with it.
  for (int i = 0; i < kPlayers; ++i) {
    if (!players_[i].isSounding())
      resetPlayer(players_[i]);
    else if (!stopFade_[i].running)
      stopFade_[i].start(sampleRate_);
  }
}

void Engine::fadeAfterStop(TrackPlayer& player, float* left, float* right, int frames) {
  FadeOutRamp& fade = stopFade_[playerIndex(player)];
  if (!fade.running) return;
  fadeOutRamp(fade, left, right, frames);
  if (fade.finished) resetPlayer(player);
}

// ---- Edits and binding

void Engine::applyEdit(const EditCommand& c) {
  const int tracksBefore = pattern().numTracks;
  applyEditCommand(project_, c);
  displayDirty_ = 1;
  reverseRecheck_ = 1;
  Pattern& pat = project_.patterns[0];
  if (c.kind == kEditRemoveTrack && pat.numTracks + 1 == tracksBefore &&
      c.track < static_cast<std::uint32_t>(tracksBefore))
    followTrackRemoval(static_cast<int>(c.track), tracksBefore - 1);
  if (pat.numTracks < tracksBefore) stopTracksFrom(pat.numTracks);

  if (c.pattern != currentPattern_ || c.track >= static_cast<std::uint32_t>(kMaxTracks)) return;
  const int t = static_cast<int>(c.track);
  const Track& track = pat.tracks[t];
  TrackPlayer& player = *active_[t];
  switch (c.kind) {
    case kEditSoundParam:
      if (c.param >= 0 && c.param < kParams && track.soundIndex >= 0 && track.soundIndex < kMaxTracks)
        player.mod().layers[layer::kBase][c.param] = pat.kit.sounds[track.soundIndex].params[c.param];
      break;
    case kEditBpm: clock_.setTempo(pat.bpm); break;
    case kEditMachine:
      // Every track playing the sound takes the new machine, not only the
      // one the command named: their references moved with it.
      if (track.soundIndex >= 0 && track.soundIndex < kMaxTracks) {
        rebindTrack(t, track.soundIndex);
        for (int u = 0; u < activeTrackCount(); ++u)
          if (u != t && pat.tracks[u].soundIndex == track.soundIndex) rebindTrack(u, track.soundIndex);
      }
      break;
    case kEditTrackChromatic:
      if (track.soundIndex >= 0) player.setChromatic(track.chromatic);
      break;
    case kEditAddTrack:
    case kEditRemoveTrack:
    case kEditDuplicateTrack:
      // Tracks and sounds may have moved: a sound index no longer names what
      // a player holds, so every track binds afresh at its next hit.
      for (int u = 0; u < kMaxTracks; ++u) boundSound_[u] = -1;
      break;
    default:
      if (c.kind >= kEditLfoEnabled && c.kind <= kEditLfoRateDiv && (c.param == 0 || c.param == 1)) {
        player.bindLfo(c.param, track.lfos[c.param]);
        player.advanceLfos(0);
      } else if (c.kind >= kEditEnvEnabled && c.kind <= kEditEnvDecDiv && (c.param == 0 || c.param == 1)) {
        player.bindModEnv(c.param, track.modEnvs[c.param]);
        player.advanceModEnvs(0);
      }
      break;
  }
}

void Engine::applyMacros() {
  const int tracks = activeTrackCount();
  for (int t = 0; t < tracks; ++t) std::fill_n(active_[t]->mod().layers[layer::kMacro], kParams, 0.0f);
  for (const Macro& macro : pattern().kit.macros) {
    const float v = std::clamp(std::isfinite(macro.value) ? macro.value : 0.0f, 0.0f, 1.0f);
    if (v == 0.0f) continue;
    const int n = std::min<int>(macro.destCount, kListCapacity);
    for (int i = 0; i < n; ++i) {
      const MacroDest& d = macro.dests[i];
      if (d.track >= tracks || d.param >= kParams) continue;
      ModLayers& mod = active_[d.track]->mod();
      mod.layers[layer::kMacro][d.param] += (d.target - mod.layers[layer::kBase][d.param]) * v;
    }
  }
}

void Engine::selectPattern(bool keepPosition) {
  displayDirty_ = 1;
  reverseRecheck_ = 1;
  applySeedRule();
  const Pattern* pat = &project_.patterns[0];
  if (keepPosition) {
    if (currentPattern_ < 0 || currentPattern_ >= project_.patternCount) currentPattern_ = 0;
    rebuildPlayers();
    applyMacros();
    clock_.setKit(pat);
  } else {
    currentPattern_ = 0;
    hitCounter_ = 0;
    rebuildPlayers();
    applyMacros();
    clock_.reset(pat);
  }
  clock_.seed = project_.seed;
  clock_.patternIndex = static_cast<std::uint8_t>(currentPattern_);
}

void Engine::rebuildPlayers() {
  std::fill(std::begin(boundSound_), std::end(boundSound_), static_cast<std::int8_t>(-1));
  std::fill(std::begin(roundRobin_), std::end(roundRobin_), static_cast<std::uint8_t>(0));
  std::fill(std::begin(hitPan_), std::end(hitPan_), 0.0f);
  const int tracks = activeTrackCount();
  for (int t = 0; t < tracks; ++t) {
    const int s = pattern().tracks[t].soundIndex;
    if (s >= 0 && s < kMaxTracks) rebindTrack(t, s);
  }
  stopTracksFrom(tracks);
}

void Engine::followTrackRemoval(int removed, int last) {
  // The tracks after the removed one move down; their voices move with them
  // and the removed track's voices end up last, where they are stopped.
  auto shift = [&](auto* a) { std::rotate(a + removed, a + removed + 1, a + last + 1); };
  shift(active_);
  shift(spare_);
  shift(activeGainL_);
  shift(activeGainR_);
  shift(spareGainL_);
  shift(spareGainR_);
  shift(hitPan_);
  shift(roundRobin_);
}

void Engine::stopTracksFrom(int firstTrack) {
  // A track that no longer exists is not rendered: its voices must end now,
  // with their host notes, rather than hang and resume if a track returns.
  for (int t = std::max(0, firstTrack); t < kMaxTracks; ++t) {
    for (TrackPlayer* p : {active_[t], spare_[t]}) {
      resetPlayer(*p);
      flushNoteEnd(playerIndex(*p));
    }
    boundSound_[t] = -1;
  }
}

void Engine::rebindTrack(int t, int s) {
  if (t < 0 || t >= kMaxTracks || s < 0 || s >= kMaxTracks) return;
  if (active_[t]->isSounding()) {
    std::swap(active_[t], spare_[t]);
    spareGainL_[t] = activeGainL_[t];
    spareGainR_[t] = activeGainR_[t];
    resetPlayer(*active_[t]);
  }
  TrackPlayer& player = *active_[t];
  flushNoteEnd(playerIndex(player));
  const Track& track = pattern().tracks[t];
  player.loadSound(pattern().kit.sounds[s]);
  giveSnapshot(player);
  player.setRandomSeeds(static_cast<std::uint32_t>(t + 809),
                        static_cast<std::uint32_t>(t + 405) ^ 0x9e3779b9u);
  for (int i = 0; i < 2; ++i) {
    player.bindLfo(i, track.lfos[i]);
    player.bindModEnv(i, track.modEnvs[i]);
  }
  player.advanceLfos(0);
  player.advanceModEnvs(0);
  player.setChromatic(track.chromatic);
  boundSound_[t] = static_cast<std::int8_t>(s);
}

}  // namespace ob
