#pragma once
// The modulation half of a track player: the eight-layer block and the
// modulators that fill it (LFOs, envelopes, random offsets of a hit,
// velocity routes, parameter smoothing and slide glide). Audio thread only;
// nothing here allocates.

#include <cstdint>

#include "engine/clock/tempo.h"
#include "engine/machine/mod_layers.h"
#include "engine/model/project.h"
#include "engine/player/modulator_state.h"

namespace ob {

// Layer owners of a player's modulation block.
namespace layer {
inline constexpr int kBase = 0;
inline constexpr int kHit = 1;
inline constexpr int kLfo = 2;
inline constexpr int kMacro = 3;
inline constexpr int kRandom = 4;
inline constexpr int kModEnv = 5;
inline constexpr int kVelocity = 6;
inline constexpr int kSmoothing = 7;
}  // namespace layer

// Everything the reverse pre-render must leave exactly as it found it.
struct ModulatorSave {
  ModLayers mod{};
  LfoState lfos[2]{};
  ModEnvState envs[2]{};
  float glideTargets[ModLayers::kSlots] = {};
  float smoothingTargets[ModLayers::kSlots] = {};
  std::int32_t glideRemaining = 0;
  std::uint8_t glideActive = 0;
  std::uint8_t smoothingActive = 0;
};

class PlayerModulation {
 public:
  static constexpr int kSlots = ModLayers::kSlots;
  // Samples per control-rate update: modulator time is applied in these.
  static constexpr int kControlBlock = 8;

  ModLayers& mod() { return mod_; }
  const ModLayers& mod() const { return mod_; }
  std::uint8_t machineType() const { return machineType_; }
  double sampleRate() const { return sampleRate_; }
  double tempo() const { return tempo_; }
  std::uint8_t chromatic() const { return chromatic_; }
  void setChromatic(std::uint8_t on) { chromatic_ = on ? 1 : 0; }

  // Range (max - min) of the parameter row at a combined index for the bound
  // machine; 1 where the index names no parameter.
  float paramRange(int index) const;

  // Tempo the engine gives each block; a change re-times the synced LFOs.
  void setTempo(double bpm);
  void tempoTimes();

  void bindLfo(int index, const Lfo& lfo);
  void bindModEnv(int index, const ModEnv& env);
  const LfoState& lfo(int index) const { return lfos_[index & 1]; }
  const ModEnvState& modEnv(int index) const { return envs_[index & 1]; }

  void advanceLfos(int n);
  void advanceModEnvs(int n);
  // Asked at every control tick: inline.
  bool anyLfoRunning() const {
    return (lfos_[0].enabled && lfos_[0].running) || (lfos_[1].enabled && lfos_[1].running);
  }
  bool anyModEnvRunning() const {
    return (envs_[0].enabled && envs_[0].running) || (envs_[1].enabled && envs_[1].running);
  }
  // Glide, then the LFOs, then the envelopes; nothing for n <= 0.
  void advance(int n);
  // Modulator time owed since the last update.
  void addPending(int n) { pending_ += n; }
  std::int32_t pendingAdvance() const { return pending_; }
  // Every control tick: inline, the work is in advance.
  void flushPending() {
    const std::int32_t n = pending_;
    pending_ = 0;
    advance(n);
  }

  void retriggerLfos();
  void retriggerModEnvs();
  // The modulators' restart at a hit: pending time applied, smoothing
  // resolved, LFOs and envelopes retriggered.
  void restartForHit();
  // The reverse switch (the layer sum of voice_rev) is on.
  bool wantsReverse() const;
  // An LFO moves the reverse switch: whether a hit plays reversed then
  // depends on when it falls, not only on the hit.
  bool reverseFollowsTime() const;
  // Modulator time over frames samples from a control phase, as the
  // player's control loop applies it: gathered, and applied at every
  // control-block boundary (what is left stays pending).
  void advanceControlRate(int phase, std::int64_t frames);

  // Random offsets of a hit: list B first, then list A, so an entry of A
  // overrides the entry of B for the same parameter.
  void applyHitModulation(const ParamLock* listA, int countA, std::uint64_t seed, const ParamLock* listB,
                          int countB);
  void applyVelocityDests(float velocity, const ParamLock* dests, int count);

  void refreshResolvedParams();
  void keepHeldParams();
  void decaySmoothing(int n);
  bool smoothingActive() const { return smoothingActive_ != 0; }
  bool smoothingFlag(int p) const { return p >= 0 && p < kSlots && smoothFlags_[p] != 0; }

  void glide(int n);
  // Layer 1 glides to the targets over the samples (at once for 1 or less).
  void glideTo(const float* targets, int samples);
  void stopGlide() { glideActive_ = 0; }
  bool glideActive() const { return glideActive_ != 0; }
  std::int32_t glideRemaining() const { return glideRemaining_; }

  void saveModulators(ModulatorSave& out) const;
  void restoreModulators(const ModulatorSave& in);
  // Bit for bit the same state for a reverse pre-render: everything it
  // reads or advances (the block's serial, ramp length and pending time,
  // which it sets or never reads, left out).
  bool sameRenderState(const PlayerModulation& other) const;

  // Something moves the parameters between updates (the reverse
  // pre-render then works in control blocks).
  bool modulatorsMoving() const;

 protected:
  void setModulationRate(double sampleRate) { sampleRate_ = sampleRate; }
  // Machine type, cleared layers and defaults, smoothing flags and the
  // modulators back to unbound.
  void bindModulation(std::uint8_t machineType);
  void rebuildLfoLayer();
  void refreshLfoSlots();
  void rebuildModEnvLayer();

  ModLayers mod_{};
  std::uint8_t machineType_ = 3;
  double sampleRate_ = 44100.0;
  double tempo_ = kDefaultTempo;
  std::uint8_t chromatic_ = 0;
  float glideTargets_[kSlots] = {};
  std::int32_t glideRemaining_ = 0;
  std::uint8_t glideActive_ = 0;
  std::uint8_t smoothFlags_[kSlots] = {};
  // The same flags as all-ones words, for the vectorised no-change test.
  std::uint32_t smoothMask_[kSlots] = {};
  float smoothingTargets_[kSlots] = {};
  std::uint8_t smoothingActive_ = 0;
  std::int32_t pending_ = 0;
  LfoState lfos_[2]{};
  ModEnvState envs_[2]{};

 private:
  double lfoFrequency(const LfoState& lfo, float rateHz) const;
  void updateEnvOutput(ModEnvState& env);
  void writeRandomOffsets(const ParamLock* list, int count, std::uint64_t seed);
};

}  // namespace ob
