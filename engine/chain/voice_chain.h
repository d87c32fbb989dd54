#pragma once
#include <cstdint>

#include "engine/chain/space_reverb.h"
#include "engine/clock/tempo.h"
#include "engine/dsp/svf.h"
#include "engine/machine/mod_layers.h"
#include "engine/machine/param_ramp.h"

namespace ob {

// Offsets of the 22 common voice parameters after a machine's own ones.
namespace voice {
inline constexpr int kTsAttack = 0;
inline constexpr int kTsSustain = 1;
inline constexpr int kFltCutoff = 2;
inline constexpr int kFltReso = 3;
inline constexpr int kFltType = 4;
inline constexpr int kAmpAttack = 5;
inline constexpr int kAmpHold = 6;
inline constexpr int kAmpDecay = 7;
inline constexpr int kFxDrive = 8;
inline constexpr int kFxShape = 9;
inline constexpr int kFxCrush = 10;
inline constexpr int kFxSrr = 11;
inline constexpr int kFlt2Cutoff = 12;
inline constexpr int kFlt2Reso = 13;
inline constexpr int kFlt2Type = 14;
inline constexpr int kAmpSync = 15;
inline constexpr int kAmpAtkDiv = 16;
inline constexpr int kAmpDecDiv = 17;
inline constexpr int kSpaceSize = 18;
inline constexpr int kSpaceMix = 19;
inline constexpr int kSpaceDamp = 20;
inline constexpr int kVoiceRev = 21;  // read by the track player
}  // namespace voice

// Beats of tempo division code 0..9 (1/32 .. 1/1); codes outside are clamped.
double divisionBeats(int code);

// The per-voice effects after a machine: transient shaper, amplitude
// envelope, drive, bit crush, rate reduction, two filters and the room.
// Processes blocks in place; allocation-free.
class VoiceChain {
 public:
  static constexpr int kCommonParamCount = 22;

  VoiceChain();

  void prepare(double sampleRate);
  // Full reset: new sound or restart.
  void reset();
  // A new hit: envelopes and drive restart, filters and room ring on.
  void resetForHit();
  // Velocity used to divide out around drive and crush (at least 0.001).
  void setVelocity(float velocity);
  // Tempo for the tempo-synced envelope; not positive counts as the default.
  void setTempo(double bpm) { tempo_ = bpm; }

  // base = the machine's own parameter count (where the common rows begin).
  void processMono(float* buffer, int frames, const ModLayers& mod, int base);
  void processStereo(float* left, float* right, int frames, const ModLayers& mod, int base);

  // Once per processed block: updates the tail flag from what was measured.
  void updateTail();
  // True while the chain still rings after its input stopped.
  bool hasTail() const { return tail_; }
  // Empties the filters and the room (the reverse path's fresh start).
  void clearFilters();

  double sampleRate() const { return rate_; }
  const SpaceReverb& space() const { return space_; }

 private:
  struct Params;
  struct FilterCache {
    float cutoff = -1.0f;
    float reso = -1.0f;
    Svf coeffs{};
  };

  template <bool Stereo>
  void process(float* left, float* right, int frames, const ModLayers& mod, int base);
  template <bool Stereo>
  // typeSum is the filter type's parameter sum, rounded only when the filter runs.
  void runFilter(int which, float* left, float* right, int frames, float cutoff, float reso, float typeSum);
  template <bool Stereo>
  void runActiveFilter(int which, float* left, float* right, int frames, float cutoff, float reso,
                       float typeSum);
  template <bool Stereo>
  void runSpace(float* left, float* right, int frames, float wet);

  // Common row defaults, read in place of a non-finite layer sum.
  float fallback_[kCommonParamCount] = {};
  double rate_ = 44100.0;
  double tempo_ = kDefaultTempo;

  // Transient shaper followers and their one-pole coefficients.
  float fast_ = 0.0f;
  float slow_ = 0.0f;
  float fastAttack_ = 0.0f;
  float fastRelease_ = 0.0f;
  float slowAttack_ = 0.0f;
  float slowRelease_ = 0.0f;

  // Amplitude envelope.
  std::int32_t envCounter_ = 0;
  float decayLevel_ = 1.0f;
  bool attackLatched_ = false;
  float latchedAttack_ = 0.0f;
  // The decay multiplier of the last decay time and rate: the exponential
  // is taken again only when one of them changes.
  float decayFactorTime_ = -1.0f;
  double decayFactorRate_ = 0.0;
  float decayFactor_ = 0.0f;

  // Rate reduction.
  float heldL_ = 0.0f;
  float heldR_ = 0.0f;
  float holdCounter_ = 0.0f;

  SpaceReverb space_;

  // Filter 1 left/right, filter 2 left/right.
  Svf filters_[4]{};
  bool filterWasOn_[2] = {false, false};
  float lastInput_[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  FilterCache filterCache_[2]{};

  // Drive.
  bool firstBlock_ = true;
  float driveMix_ = 0.0f;
  float driveCoeff_ = 0.0f;
  ParamRamp driveRamp_{};

  // Velocity divided out around drive and crush.
  float velocity_ = 1.0f;
  float velocityTarget_ = 1.0f;
  float velocityCoeff_ = 0.0f;

  // Tail measurement.
  bool tail_ = false;
  bool measured_ = false;
  float blockPeak_ = 0.0f;
  std::uint32_t sampleCount_ = 0;
  std::int32_t silentCounter_ = 0;
  std::int32_t silenceLimit_ = 1;
  // While the room runs, sound already in its lines reaches the output only
  // after up to its longest line: the silence needed grows by that much.
  std::int32_t roomWait_ = 0;
};

}  // namespace ob
