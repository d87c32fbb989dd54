#include "engine/player/track_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/dsp/fast_math.h"
#include "engine/model/project.h"
#include "engine/params/param_tables.h"
#include "engine/player/reverse_prerender.h"
#include "engine/player/reverse_render.h"

namespace ob {

namespace {
constexpr float kTailFloor = 0.000001f;
constexpr double kDefaultRate = 44100.0;

void zero(float* p, int n) { std::memset(p, 0, sizeof(float) * static_cast<std::size_t>(n)); }

// Adds a decaying constant to a channel; it becomes exactly 0 once it is
// below audibility, so the player can go quiet.
void addTailLoop(float* out, int frames, float& tail, float coeff) {
  for (int i = 0; i < frames && tail != 0.0f; ++i) {
    out[i] += tail;
    tail *= coeff;
    if (std::fabs(tail) < kTailFloor) tail = 0.0f;
  }
}

// Almost every chunk has no tail: the test stays inline, only the loop is a call.
inline void addTail(float* out, int frames, float& tail, float coeff) {
  if (tail != 0.0f && out) addTailLoop(out, frames, tail, coeff);
}
}  // namespace

TrackPlayer::TrackPlayer() {
  machines_.prepare(kDefaultRate);
  active_ = &machines_.of(machineType_);
  ownCount_ = ob::ownParamCount(machineType_);
}

TrackPlayer::~TrackPlayer() = default;

void TrackPlayer::prepare(double sampleRate) {
  const double rate = (sampleRate > 0.0 && std::isfinite(sampleRate)) ? sampleRate : kDefaultRate;
  // A prepared player starts from nothing, as a new one does: no modulator
  // or offset left from an earlier hit, the control clock at its start.
  static_cast<PlayerModulation&>(*this) = PlayerModulation{};
  setModulationRate(rate);
  active_ = &machines_.of(machineType_);
  ownCount_ = ob::ownParamCount(machineType_);
  controlPhase_ = 0;
  updateCounter_ = 0;
  machines_.prepare(rate);
  chain_.prepare(rate);
  reverseChain_.prepare(rate);
  declickCoeff_ = tailCoeff_ = static_cast<float>(std::exp(-1.0 / (rate * 0.003)));
  holdL_ = holdR_ = declickL_ = declickR_ = 0.0f;
  reverseTailL_ = reverseTailR_ = 0.0f;
  // Only a new rate needs new memory. Each pre-render writes what it plays,
  // so a prepare at the same rate (the host's reset) leaves the buffers be.
  const std::size_t size = static_cast<std::size_t>(std::trunc(rate + 0.5));
  if (reverseLeft_.size() != size) {
    reverseLeft_.assign(size, 0.0f);
    reverseRight_.assign(size, 0.0f);
  }
  started_ = stopped_ = sounding_ = 0;
  silentSamples_ = 0;
  chokeFade_.clear();
  chokePending_ = 0;
  endFade_.clear();
  clearReverse();
  tempoTimes();
  ++machineEpoch_;
}

// ---- Binding

void TrackPlayer::bindSound(std::uint8_t machineType) {
  bindModulation(machineType);
  active_ = &machines_.of(machineType_);
  ownCount_ = ob::ownParamCount(machineType);
  chain_.reset();
  clearReverse();
  ++machineEpoch_;
}

void TrackPlayer::loadSound(const Sound& sound) {
  bindSound(sound.machine);
  setBaseParams(sound.params, kSoundParamSlots);
}

void TrackPlayer::setBaseParams(const float* values, int count) {
  if (!values) return;
  const int n = std::min({count, paramCount(machineType_), kSlots});
  for (int p = 0; p < n; ++p) mod_.layers[layer::kBase][p] = values[p];
  // A bind is not a knob move: the values take effect without smoothing.
  refreshResolvedParams();
}

void TrackPlayer::setSampleSnapshot(const SamplePoolSnapshot* snapshot) {
  // The engine hands the same snapshot over every block: only a new one
  // changes what the machines play.
  if (snapshot != snapshot_) ++machineEpoch_;
  snapshot_ = snapshot;
  machines_.drum.setSampleSnapshot(snapshot);
  machines_.sampler.setSnapshot(snapshot);
  machines_.granular.setSnapshot(snapshot);
}

void TrackPlayer::setRandomSeeds(std::uint32_t drumSeed, std::uint32_t granularSeed) {
  machines_.drum.setSeed(drumSeed);
  machines_.granular.setRandomSeed(granularSeed);
  ++machineEpoch_;
}

// ---- Hits

TrackPlayer::HitInput TrackPlayer::hitInput(float note, float velocity) const {
  return {chromatic_ ? note : 60.0f, finiteOr0(velocity)};
}

void TrackPlayer::startHit(float note, float velocity) {
  const HitInput input = hitInput(note, velocity);
  velocity = input.velocity;
  offered_ = nullptr;
  chain_.resetForHit();
  chain_.setVelocity(std::max(0.001f, velocity));
  chain_.setTempo(tempo_);
  if (sounding_) {
    // The new hit starts where the old output left off and decays from there.
    declickL_ = holdL_;
    declickR_ = holdR_;
  } else {
    declickL_ = declickR_ = holdL_ = holdR_ = 0.0f;
  }
  chokeFade_.clear();
  chokePending_ = 0;
  endFade_.clear();
  restartForHit();
  triggerEpoch_ = machineEpoch_++;
  lastTrigger_ = input;
  activeMachine().trigger(input.note, input.velocity);
  started_ = 1;
  stopped_ = 0;
  sounding_ = 1;
  silentSamples_ = 0;
  checkReverse(velocity);
}

void TrackPlayer::checkReverse(float velocity) {
  if (reversePlaying_) {
    // The cut playback decays from its last value instead of stopping dead.
    reverseTailL_ += reverseLastL_;
    reverseTailR_ += reverseLastR_;
  }
  stopReversePlayback();
  reverseVelocity_ = finiteOr0(velocity);
  reverseRequested_ = wantsReverse() ? 1 : 0;
}

void TrackPlayer::choke() {
  if (reversePlaying_ && !reverseFading_) {
    reverseFading_ = 1;
    reverseFadeLevel_ = 1.0f;
    reverseFadeStep_ = static_cast<float>(1.0 / std::max(1.0, sampleRate_ * 0.003));
  }
  if (!chokePending_ && !stopped_ && started_ && activeMachine().isActive()) {
    chokeFade_.start(sampleRate_);
    chokePending_ = 1;
  }
}

void TrackPlayer::reset() {
  started_ = stopped_ = sounding_ = 0;
  silentSamples_ = 0;
  holdL_ = holdR_ = declickL_ = declickR_ = 0.0f;
  chokeFade_.clear();
  chokePending_ = 0;
  endFade_.clear();
  clearReverse();
  reverseTailL_ = reverseTailR_ = 0.0f;
  chain_.reset();
}

void TrackPlayer::stopReversePlayback() {
  reversePlaying_ = 0;
  reverseFading_ = 0;
  reverseFadeLevel_ = 1.0f;
  reverseFadeStep_ = 0.0f;
  reverseLastL_ = reverseLastR_ = 0.0f;
}

void TrackPlayer::clearReverse() {
  stopReversePlayback();
  offered_ = nullptr;
  reverseRequested_ = 0;
  reverseStereo_ = 0;
  reverseLength_ = 0;
  reversePosition_ = 0;
}

// ---- Rendering

void TrackPlayer::setControlPhase(int phase) {
  controlPhase_ = ((phase % kControlBlock) + kControlBlock) % kControlBlock;
}

void TrackPlayer::beginBlock() {
  keepHeldParams();
  chain_.setTempo(tempo_);
}

template <bool Stereo>
void TrackPlayer::renderChunkImpl(float* left, float* right, int frames) {
  if (!sounding_ || frames < 1) return;
  const bool machineOn = machineSounding();
  if (machineOn) ++machineEpoch_;
  if (started_ && !stopped_) {
    Machine& machine = activeMachine();
    if (Stereo)
      machine.renderStereo(left, right, frames, mod_);
    else
      machine.renderMono(left, frames, mod_);
  }
  addTail(left, frames, declickL_, declickCoeff_);
  if (Stereo) addTail(right, frames, declickR_, declickCoeff_);
  if (chokeFade_.running) fadeOutRamp(chokeFade_, left, Stereo ? right : nullptr, frames);
  holdL_ = left[frames - 1];
  holdR_ = Stereo ? right[frames - 1] : holdL_;
  if (!Stereo) declickR_ = declickL_;

  if (Stereo)
    chain_.processStereo(left, right, frames, mod_, ownCount_);
  else
    chain_.processMono(left, frames, mod_, ownCount_);

  silentSamples_ = machineOn ? 0 : silentSamples_ + frames;
  if (endFade_.running) fadeOutRamp(endFade_, left, Stereo ? right : nullptr, frames);
}

void TrackPlayer::renderChunk(float* left, float* right, int frames) {
  renderChunkImpl<true>(left, right, frames);
}

void TrackPlayer::renderChunkMono(float* out, int frames) { renderChunkImpl<false>(out, nullptr, frames); }

void TrackPlayer::renderReverseHit(bool stereo) {
  reverseRequested_ = 0;
  const std::int32_t capacity = reverseCapacity();
  if (capacity < 1) return;

  // The render advances the modulators of the hit; the live player goes on
  // from where they were.
  saveModulators(save_);
  ReverseRender render;
  render.begin(activeMachine(), reverseChain_, *this, reverseLeft_.data(), reverseRight_.data(), capacity,
               stereo, reverseVelocity_, updateCounter_);
  render.renderUntil(capacity);
  restoreModulators(save_);
  updateCounter_ += render.chunks();
  ++machineEpoch_;
  ++reverseHitsInPlace_;
  render.fade(sampleRate_);
  startReversePlayback(render.length(), stereo);
}

void TrackPlayer::startReverse(bool stereo) {
  ReversePrerender* prerender = offered_;
  offered_ = nullptr;
  if (prerender && prerender->fits(*this, stereo))
    adoptPrerender(*prerender);
  else
    renderReverseHit(stereo);
}

void TrackPlayer::adoptPrerender(ReversePrerender& prerender) {
  reverseRequested_ = 0;
  prerender.finish();
  // The machine ends where the render left it, as if it had rendered here.
  machines_.copyState(machineType_, prerender.machines());
  updateCounter_ += prerender.chunks();
  ++machineEpoch_;
  ++reverseHitsAhead_;
  const std::int32_t length = prerender.length();
  const bool stereo = prerender.stereo();
  prerender.handOver(reverseLeft_, reverseRight_);
  startReversePlayback(length, stereo);
}

void TrackPlayer::startReversePlayback(std::int32_t length, bool stereo) {
  reverseLength_ = length;
  reversePosition_ = 0;
  reversePlaying_ = length > 0 ? 1 : 0;
  reverseStereo_ = stereo ? 1 : 0;
  stopped_ = 1;
}

void TrackPlayer::playReverse(float* left, float* right, int frames) {
  if (frames < 1 || !left) return;
  if (reversePlaying_) {
    const std::int32_t remaining = reverseLength_ - static_cast<std::int32_t>(reversePosition_);
    const int k = std::max(0, std::min(remaining, frames));
    const float* srcL = reverseLeft_.data();
    const float* srcR = reverseStereo_ ? reverseRight_.data() : srcL;
    for (int i = 0; i < k; ++i) {
      const std::int32_t source = remaining - 1 - i;
      float gain = 1.0f;
      if (reverseFading_) {
        gain = std::max(reverseFadeLevel_, 0.0f);
        reverseFadeLevel_ -= reverseFadeStep_;
      }
      const float l = gain * srcL[source];
      const float r = gain * srcR[source];
      left[i] += l;
      if (right) right[i] += r;
      reverseLastL_ = l;
      reverseLastR_ = r;
    }
    reversePosition_ += static_cast<std::uint32_t>(k);
    if (static_cast<std::int32_t>(reversePosition_) >= reverseLength_ ||
        (reverseFading_ && reverseFadeLevel_ <= 0.0f))
      stopReversePlayback();
  }
  // The tail of a cut playback sounds whether or not a new one runs.
  addTail(left, frames, reverseTailL_, tailCoeff_);
  if (right)
    addTail(right, frames, reverseTailR_, tailCoeff_);
  else if (reverseTailR_ != 0.0f) {
    // Mono output: the right tail decays unheard at the same pace.
    reverseTailR_ *= static_cast<float>(std::pow(static_cast<double>(tailCoeff_), frames));
    if (std::fabs(reverseTailR_) < kTailFloor) reverseTailR_ = 0.0f;
  }
}

void TrackPlayer::controlTick() {
  flushPending();
  if (smoothingActive_) decaySmoothing(controlBlock_);
  ++updateCounter_;

  if (chokePending_ && (chokeFade_.finished || chokeFade_.gain <= 0.0f || !activeMachine().isActive())) {
    stopped_ = 1;
    chokeFade_.clear();
    chokePending_ = 0;
  }
  if (endFade_.finished) {
    endFade_.clear();
    chain_.reset();
  }
  chain_.updateTail();

  const bool machineOn = machineSounding();
  if (!machineOn) {
    // Nothing new comes from the machine: the declick start is only what is
    // left of the tail.
    if (!reversePlaying_) {
      holdL_ = declickL_;
      holdR_ = declickR_;
    }
    if (chain_.hasTail()) {
      const std::int64_t limit = static_cast<std::int64_t>(std::trunc(sampleRate_ * 10.0));
      if (silentSamples_ >= limit && !endFade_.running) endFade_.start(sampleRate_);
    } else {
      silentSamples_ = 0;
    }
  }
  sounding_ = (machineOn || chain_.hasTail() || chokeFade_.running || endFade_.running || reversePlaying_ ||
               declickL_ != 0.0f || declickR_ != 0.0f || reverseTailL_ != 0.0f || reverseTailR_ != 0.0f)
                  ? 1
                  : 0;
}

void TrackPlayer::advanceIdle(int frames) {
  if (frames <= 0) return;
  if (!glideActive_ && !anyLfoRunning() && !anyModEnvRunning()) {
    if (controlPhase_ + frames < controlBlock_) {
      pending_ += frames;
      controlPhase_ += frames;
    } else {
      controlPhase_ = pending_ = (controlPhase_ + frames) % controlBlock_;
    }
    return;
  }
  int left = frames;
  while (left > 0) {
    const int k = std::min(left, controlBlock_ - controlPhase_);
    controlPhase_ += k;
    pending_ += k;
    left -= k;
    if (controlPhase_ >= controlBlock_) {
      controlPhase_ = 0;
      if (pending_ > 0) {
        glide(pending_);
        if (anyLfoRunning()) advanceLfos(pending_);
        if (anyModEnvRunning()) advanceModEnvs(pending_);
      }
      pending_ = 0;
    }
  }
}

template <bool Stereo>
void TrackPlayer::renderBlockImpl(float* left, float* right, int frames) {
  if (frames < 1) return;
  beginBlock();
  // Chunks only add into their own span, so one clear serves the whole segment.
  zero(left, frames);
  if (Stereo) zero(right, frames);
  int done = 0;
  while (done < frames) {
    const int untilBoundary = controlBlock_ - controlPhase_;
    const int n = std::min(frames - done, untilBoundary);
    mod_.serial = updateCounter_;
    mod_.rampLength = untilBoundary;
    if (reverseRequested_) startReverse(Stereo);
    renderChunkImpl<Stereo>(left + done, Stereo ? right + done : nullptr, n);
    // Usually nothing plays backwards and no cut playback still rings.
    if (reversePlaying_ || reverseTailL_ != 0.0f || reverseTailR_ != 0.0f)
      playReverse(left + done, Stereo ? right + done : nullptr, n);
    pending_ += n;
    controlPhase_ += n;
    done += n;
    if (controlPhase_ >= controlBlock_) {
      controlPhase_ = 0;
      controlTick();
    }
  }
}

void TrackPlayer::renderBlock(float* left, float* right, int frames) {
  renderBlockImpl<true>(left, right, frames);
}

void TrackPlayer::renderBlockMono(float* out, int frames) { renderBlockImpl<false>(out, nullptr, frames); }

}  // namespace ob
