#pragma once
// One track's voice: the four machines (one of them plays), the voice chain,
// the modulation block and its modulators, the declick and fades, and the
// reverse path that pre-renders a hit and plays it backwards.
//
// The engine drives a player like this:
//   prepare(rate)                      at activate (sizes the reverse buffers)
//                                      and at the host's reset (same rate)
//   loadSound(sound) / bindLfo / bindModEnv / setChromatic
//   setSampleSnapshot: the newest record at each hit and every block it is
//                      idle; a sounding player keeps its hit's
//   per hit: layer 1 and applyHitModulation / applyVelocityDests, startHit
//   per block: setTempo, then isSounding() ? renderBlock(...) : advanceIdle(n)
// renderBlock runs the control-rate loop (8-sample chunks aligned to the
// host timeline through setControlPhase, reverse pre-render and playback,
// controlTick at each boundary). A reversed hit's pre-render is either made
// ahead by the engine and handed over (offerPrerender) or rendered in place
// at the hit's first chunk. Audio thread only after prepare; nothing
// allocates there.

#include <cstdint>
#include <vector>

#include "engine/chain/fade_out_ramp.h"
#include "engine/chain/voice_chain.h"
#include "engine/player/machine_set.h"
#include "engine/player/player_modulation.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

class ReversePrerender;
struct Sound;

class TrackPlayer : public PlayerModulation {
 public:
  // What the machine is triggered with.
  struct HitInput {
    float note = 60.0f;
    float velocity = 0.0f;
  };

  TrackPlayer();
  ~TrackPlayer();
  TrackPlayer(const TrackPlayer&) = delete;
  TrackPlayer& operator=(const TrackPlayer&) = delete;

  // Rate for every machine and both chains; the player starts over as a new
  // one would. Sizes the reverse buffers to one second, allocating only for
  // a new rate (the audio thread's reset prepares at the same one). A rate
  // that is not positive counts as 44100.
  void prepare(double sampleRate);

  // ---- Binding
  void bindSound(std::uint8_t machineType);
  // bindSound with the sound's machine, then layer 0 = its first values
  // (own parameters and the common ones).
  void loadSound(const Sound& sound);
  // Layer 0 = values[0..count) within the bound machine's parameters.
  void setBaseParams(const float* values, int count);
  void setSampleSnapshot(const SamplePoolSnapshot* snapshot);
  const SamplePoolSnapshot* sampleSnapshot() const { return snapshot_; }
  // Drum noise seed (takes effect at the next prepare) and granular seed.
  void setRandomSeeds(std::uint32_t drumSeed, std::uint32_t granularSeed);

  // Resolved at bind time: the render path asks for it several times a chunk.
  Machine& activeMachine() { return *active_; }
  const Machine& activeMachine() const { return *active_; }
  // Index where the common voice parameters begin.
  int ownCount() const { return ownCount_; }

  // ---- Hits
  // Starts a hit: note is used when the player is chromatic, else 60.
  void startHit(float note, float velocity);
  // The machine's trigger for startHit(note, velocity).
  HitInput hitInput(float note, float velocity) const;
  void checkReverse(float velocity);
  // Lends the hit just started a pre-render made ahead of it. The hit's
  // first chunk takes it when it is exactly this hit's (same machine state,
  // trigger and modulators), else renders in place as without it.
  void offerPrerender(ReversePrerender* prerender) { offered_ = prerender; }
  // A choke group cuts this player: reverse and choke fades over 3 ms.
  void choke();
  // Stops the player and clears its voice state (transport stop, reset).
  void reset();

  // ---- Rendering
  // Samples into the current control block, 0..7.
  void setControlPhase(int phase);
  int controlPhase() const { return controlPhase_; }
  std::uint32_t updateCounter() const { return updateCounter_; }
  // Once per rendered segment, before the chunks.
  void beginBlock();
  // One chunk of a sounding player into zeroed buffers (machine, declick,
  // choke fade, chain, end fade). Modulator time is counted by the caller.
  void renderChunk(float* left, float* right, int frames);
  void renderChunkMono(float* out, int frames);
  // The whole pre-render of the hit at once, on the player's own machine.
  void renderReverseHit(bool stereo);
  // Adds reversed playback and the tail of a cut one; right may be null.
  void playReverse(float* left, float* right, int frames);
  void controlTick();
  // A silent player's control-rate clock.
  void advanceIdle(int frames);

  // The whole control-rate loop for a segment; writes (not adds) frames
  // samples.
  void renderBlock(float* left, float* right, int frames);
  void renderBlockMono(float* out, int frames);

  // ---- State for the engine
  // Something is still to be heard: rendering required.
  bool isSounding() const { return sounding_ != 0; }
  bool isStarted() const { return started_ != 0; }
  bool isStopped() const { return stopped_ != 0; }
  bool chokeFading() const { return chokePending_ != 0; }
  // The machine is not rendered again before its next trigger.
  bool machineFrozen() const { return !machineSounding(); }
  // Counts every change of the playing machine's state: triggers, renders
  // while it sounds, binds, prepares, new sample memory or seeds. A copy
  // taken at one count is the machine as long as the count stays.
  std::uint32_t machineEpoch() const { return machineEpoch_; }
  // The count just before the last trigger, and that trigger.
  std::uint32_t triggerEpoch() const { return triggerEpoch_; }
  HitInput lastTrigger() const { return lastTrigger_; }
  float reverseVelocity() const { return reverseVelocity_; }
  // Reversed hits played from a pre-render made ahead, and rendered in place.
  std::uint32_t reverseHitsAhead() const { return reverseHitsAhead_; }
  std::uint32_t reverseHitsInPlace() const { return reverseHitsInPlace_; }
  bool reverseRequested() const { return reverseRequested_ != 0; }
  bool reversePlaying() const { return reversePlaying_ != 0; }
  bool reverseStereo() const { return reverseStereo_ != 0; }
  std::int32_t reverseLength() const { return reverseLength_; }
  std::int32_t reverseCapacity() const { return static_cast<std::int32_t>(reverseLeft_.size()); }
  const float* reverseLeft() const { return reverseLeft_.data(); }
  const float* reverseRight() const { return reverseRight_.data(); }
  float reverseTailLeft() const { return reverseTailL_; }
  float reverseTailRight() const { return reverseTailR_; }

  const MachineSet& machines() const { return machines_; }
  VoiceChain& chain() { return chain_; }

 private:
  template <bool Stereo>
  void renderChunkImpl(float* left, float* right, int frames);
  template <bool Stereo>
  void renderBlockImpl(float* left, float* right, int frames);
  // The drum is asked directly: a call the compiler can see through.
  bool machineSounding() const {
    return started_ && !stopped_ &&
           (active_ == &machines_.drum ? machines_.drum.isActive() : active_->isActive());
  }
  void clearReverse();
  void stopReversePlayback();
  // At a reversed hit's first chunk: the lent pre-render, or one in place.
  void startReverse(bool stereo);
  void adoptPrerender(ReversePrerender& prerender);
  void startReversePlayback(std::int32_t length, bool stereo);

  MachineSet machines_;
  VoiceChain chain_;
  Machine* active_ = &machines_.drum;
  int ownCount_ = 30;

  // Hit state.
  std::uint8_t started_ = 0;
  std::uint8_t stopped_ = 0;
  std::uint8_t sounding_ = 0;
  std::int64_t silentSamples_ = 0;  // samples rendered with the machine silent

  // Declick: the last output before the chain, and the tails that carry it
  // across a restart.
  float declickCoeff_ = 0.0f;
  float holdL_ = 0.0f;
  float holdR_ = 0.0f;
  float declickL_ = 0.0f;
  float declickR_ = 0.0f;

  FadeOutRamp chokeFade_{};
  std::uint8_t chokePending_ = 0;
  FadeOutRamp endFade_{};  // a tail that never ends is faded after ten seconds

  // Control rate.
  std::int32_t controlBlock_ = kControlBlock;
  std::int32_t controlPhase_ = 0;
  std::uint32_t updateCounter_ = 0;

  // Reverse path.
  std::vector<float> reverseLeft_;
  std::vector<float> reverseRight_;
  std::int32_t reverseLength_ = 0;
  std::uint32_t reversePosition_ = 0;
  std::uint8_t reverseRequested_ = 0;
  std::uint8_t reversePlaying_ = 0;
  std::uint8_t reverseStereo_ = 0;
  float reverseVelocity_ = 1.0f;
  std::uint8_t reverseFading_ = 0;
  float reverseFadeLevel_ = 1.0f;
  float reverseFadeStep_ = 0.0f;
  float reverseLastL_ = 0.0f;
  float reverseLastR_ = 0.0f;
  float reverseTailL_ = 0.0f;
  float reverseTailR_ = 0.0f;
  float tailCoeff_ = 0.0f;

  VoiceChain reverseChain_;
  ModulatorSave save_{};

  // Pre-renders made ahead (audio thread): the check that one is this hit's.
  const SamplePoolSnapshot* snapshot_ = nullptr;
  std::uint32_t machineEpoch_ = 0;
  std::uint32_t triggerEpoch_ = 0;
  HitInput lastTrigger_{};
  ReversePrerender* offered_ = nullptr;  // lent by the engine until the hit's first chunk
  std::uint32_t reverseHitsAhead_ = 0;
  std::uint32_t reverseHitsInPlace_ = 0;
};

}  // namespace ob
