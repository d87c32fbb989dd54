#pragma once
#include <cstdint>

#include "engine/chain/block_memo.h"
#include "engine/machine/hit_envelope.h"
#include "engine/machine/machine.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

// A cloud of Hann-windowed grains read from one pool slot, started at a
// steady density around a position, with scatter in place and pitch.
class GranularMachine final : public Machine {
 public:
  enum Param : int {
    kSlot = 0,
    kSize,
    kDensity,
    kPosition,
    kSpray,
    kTune,
    kAttack,
    kDecay,
    kLevel,
    kSpread,
    kNormalize,
    kGain,
    kParamCount
  };
  static constexpr int kMaxGrains = 24;

  struct Grain {
    bool active = false;
    double position = 0.0;  // frames
    double step = 1.0;      // frames per sample
    std::int32_t age = 0;
    std::int32_t length = 1;
  };

  GranularMachine();

  void prepare(double sampleRate) override;
  int paramCount() const override;
  ParamInfo paramInfo(int index) const override;
  void trigger(float note, float velocity) override;
  void renderMono(float* out, int frames, const ModLayers& mod) override;
  bool isActive() const override { return active_; }
  void renderStereo(float* left, float* right, int frames, const ModLayers& mod) override;

  void setSnapshot(const SamplePoolSnapshot* snapshot) { snapshot_ = snapshot; }
  // The engine seeds each track's cloud; 0 would stall the generator.
  void setRandomSeed(std::uint32_t seed) { random_ = seed ? seed : 0x9E3779B9u; }

  const Grain& grain(int i) const { return grains_[i]; }

 private:
  void setUp(const ModLayers& mod);
  float draw();  // uniform in [0, 2)
  template <bool Stereo>
  void render(float* left, float* right, int frames, const ModLayers& mod);

  float value(const ModLayers& mod, int index) const;

  float fallback_[kParamCount] = {};  // row defaults, for non-finite sums
  const SamplePoolSnapshot* snapshot_ = nullptr;
  double rate_ = 44100.0;
  bool active_ = false;
  bool needsSetup_ = false;
  SampleSlotInfo slot_{};
  float velocity_ = 1.0f;
  float note_ = 60.0f;
  HitEnvelope envelope_;
  float gain_ = 1.0f;
  double countdown_ = 0.0;
  Grain grains_[kMaxGrains]{};
  std::uint32_t random_ = 0x9E3779B9u;
  const float* window_ = nullptr;
  BlockMemo pitchMemo_;
};

}  // namespace ob
