#pragma once
#include <cstdint>

#include "engine/drum/drum_body.h"
#include "engine/drum/drum_distortion.h"
#include "engine/drum/drum_exciter.h"
#include "engine/drum/drum_params.h"
#include "engine/dsp/dc_blocker.h"
#include "engine/machine/machine.h"
#include "engine/machine/param_ramp.h"
#include "engine/pool/sample_pool_snapshot.h"

namespace ob {

// The modelled drum (machine type 3): two exciters (the "hit") strike a
// resonator body (the "body"); the two halves are summed, optionally
// driven inside the body or after the mix, DC-blocked and scaled.
class DrumMachine final : public Machine {
 public:
  static constexpr std::uint32_t kDefaultSeed = 0x9E3779B9u;
  static constexpr std::uint32_t kSecondNoiseSeed = 0x6C8E9CF5u;

  DrumMachine() = default;

  void prepare(double sampleRate) override;
  int paramCount() const override;
  ParamInfo paramInfo(int index) const override;
  void trigger(float note, float velocity) override;
  void renderMono(float* out, int frames, const ModLayers& mod) override;
  bool isActive() const override { return active_; }
  void renderStereo(float* left, float* right, int frames, const ModLayers& mod) override;

  // Noise seed; takes effect at the next prepare.
  void setSeed(std::uint32_t seed) { seed_ = seed; }
  std::uint32_t seed() const { return seed_; }
  // Sample memory for the recorded hit and body; may be null.
  void setSampleSnapshot(const SamplePoolSnapshot* snapshot) { snapshot_ = snapshot; }
  double sampleRate() const { return sampleRate_; }

  // The drive curve: amount a, bias c, fold f.
  static float distort(float x, float a, float c, float f);

 private:
  // What a render call fixes for all its samples.
  struct BlockSetup {
    float bleed = 0.0f;
    bool postMix = false;
    bool inBody = false;
    int moving = 0;  // samples until every glide has landed
  };

  template <bool Stereo>
  void render(float* left, float* right, int frames, const ModLayers& layers);
  template <bool Stereo, bool Wide, int Body>
  void renderSamples(float* left, float* right, int frames, const BlockSetup& b);

  double sampleRate_ = 44100.0;
  bool active_ = false;
  ParamRamp levelRamp_;
  ParamRamp bodyLevelRamp_;
  ParamRamp amountRamp_;
  ParamRamp biasRamp_;
  ParamRamp foldRamp_;
  DrumDistortion dist_;
  float velocity_ = 0.0f;
  float note_ = 60.0f;
  std::uint32_t seed_ = kDefaultSeed;
  std::uint32_t noise1_ = kDefaultSeed;
  std::uint32_t noise2_ = kSecondNoiseSeed;
  DrumExciter exc_[2];
  DrumBody body_;
  const SamplePoolSnapshot* snapshot_ = nullptr;
  static constexpr int kRamps = 5;
  // What the last render call's set-up was made from, and what it decided.
  // Most calls see the very same parameter sums again; then the exciters'
  // and body's set-up would write back the values they already hold.
  struct SetupMemo {
    bool valid = false;  // cleared by prepare and trigger
    bool stereo = false;
    float note = 0.0f;
    const SamplePoolSnapshot* snapshot = nullptr;
    float sums[drum_param::kOwnCount] = {};
    bool wide = false;
    BlockSetup block;
    float rampTargets[kRamps] = {};  // level, body level, amount, bias, fold
  } memo_;
  DcBlocker dcLeft_;
  DcBlocker dcRight_;
};

}  // namespace ob
