#pragma once
#include <cstdint>

#include "engine/chain/block_memo.h"
#include "engine/machine/hit_envelope.h"
#include "engine/machine/machine.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

// Plays one pool slot through a start/end window or a slice, once or
// looped, forwards or backwards, with crush, rate reduction, a low-pass,
// window fades and declicks at loop jumps and the one-shot end.
class SampleMachine final : public Machine {
 public:
  // Own parameter indices.
  enum Param : int {
    kSlot = 0,
    kTune,
    kStart,
    kEnd,
    kLoop,
    kReverse,
    kAttack,
    kDecay,
    kLevel,
    kCrush,
    kSrr,
    kNormalize,
    kGain,
    kFadeIn,
    kFadeOut,
    kLp,
    kSlice,
    kWindowMode,
    kParamCount
  };

  SampleMachine();

  void prepare(double sampleRate) override;
  int paramCount() const override;
  ParamInfo paramInfo(int index) const override;
  void trigger(float note, float velocity) override;
  void renderMono(float* out, int frames, const ModLayers& mod) override;
  bool isActive() const override { return active_; }
  void renderStereo(float* left, float* right, int frames, const ModLayers& mod) override;

  // The snapshot record the machine reads: the newest while it is idle and
  // at each hit, then the hit's own until it stops; may be null.
  void setSnapshot(const SamplePoolSnapshot* snapshot) { snapshot_ = snapshot; }

  // The window chosen for the current hit (frames), for tests and views.
  std::int32_t windowStart() const { return start_; }
  std::int32_t windowEnd() const { return end_; }
  double position() const { return position_; }

 private:
  void setUp(const ModLayers& mod);
  template <bool Stereo>
  void render(float* left, float* right, int frames, const ModLayers& mod);

  float value(const ModLayers& mod, int index) const;

  float fallback_[kParamCount] = {};  // row defaults, for non-finite sums
  const SamplePoolSnapshot* snapshot_ = nullptr;
  double rate_ = 44100.0;
  bool active_ = false;
  bool needsSetup_ = false;
  SampleSlotInfo slot_{};
  double position_ = 0.0;
  std::int32_t start_ = 0;
  std::int32_t end_ = 0;
  bool reverse_ = false;
  float gain_ = 1.0f;
  float fadeIn_ = 0.0f;
  float fadeOut_ = 0.0f;
  float smoothing_ = 0.0f;
  bool loopJump_ = false;
  float lastRawL_ = 0.0f;
  float lastRawR_ = 0.0f;
  float declickL_ = 0.0f;
  float declickR_ = 0.0f;
  float velocity_ = 1.0f;
  float note_ = 60.0f;
  HitEnvelope envelope_;
  float heldL_ = 0.0f;
  float heldR_ = 0.0f;
  float holdCounter_ = 0.0f;
  float lpL_ = 0.0f;
  float lpR_ = 0.0f;
  BlockMemo pitchMemo_, lpMemo_;
};

}  // namespace ob
