// Real-time rules of the voice chain, the room and the sample, VA and
// granular machines: nothing allocates while rendering, and long tails end
// in exact silence instead of denormal dust.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>
#include <vector>

#include "engine/chain/voice_chain.h"
#include "engine/granular/granular_machine.h"
#include "engine/params/param_tables.h"
#include "engine/sampler/sample_machine.h"
#include "engine/va/va_machine.h"
#include "support/allocation_counter.h"

namespace chain_realtime_test {

constexpr double kRate = 48000.0;

bool subnormal(float v) { return std::fpclassify(v) == FP_SUBNORMAL; }

ob::ModLayers defaultsFor(int machine) {
  ob::ModLayers m;
  for (int i = 0; i < ob::paramCount(machine); ++i) m.layers[0][i] = ob::paramInfo(machine, i).defaultValue;
  return m;
}

struct Material {
  std::vector<float> left = std::vector<float>(48000), right = std::vector<float>(48000);
  ob::SamplePoolSnapshot snap{};
  Material() {
    for (int i = 0; i < 48000; ++i) {
      left[i] = 0.7f * float(std::sin(0.03 * i));
      right[i] = 0.5f * float(std::cos(0.021 * i));
    }
    for (int s = 0; s < 64; ++s) {
      snap[s] = {left.data(), 48000, 44100.0, nullptr, 0, right.data(), 0.7f};
    }
  }
};

TEST(ChainRealtime, MachinesAndChainNeverAllocateWhileRendering) {
  Material mat;
  ob::SampleMachine sampler;
  ob::VaMachine va;
  ob::GranularMachine granular;
  ob::VoiceChain chain;
  sampler.setSnapshot(&mat.snap);
  granular.setSnapshot(&mat.snap);
  sampler.prepare(kRate);
  va.prepare(kRate);
  granular.prepare(kRate);
  chain.prepare(kRate);

  namespace v = ob::voice;
  ob::ModLayers sm = defaultsFor(ob::kMachineSample);
  sm.layers[0][ob::SampleMachine::kLoop] = 1.0f;
  sm.layers[0][ob::SampleMachine::kCrush] = 8.0f;
  sm.layers[0][ob::SampleMachine::kSrr] = 0.2f;
  sm.layers[0][ob::SampleMachine::kLp] = 2000.0f;
  ob::ModLayers vm = defaultsFor(ob::kMachineVa);
  ob::ModLayers gm = defaultsFor(ob::kMachineGranular);
  gm.layers[0][ob::GranularMachine::kSize] = 200.0f;
  gm.layers[0][ob::GranularMachine::kDensity] = 100.0f;
  for (ob::ModLayers* m : {&sm, &vm, &gm}) {
    const int base = m == &sm ? 18 : 12;
    float* c = &m->layers[0][base];
    c[v::kTsAttack] = 0.5f;
    c[v::kAmpAttack] = 0.01f;
    c[v::kFxDrive] = 4.0f;
    c[v::kFxCrush] = 9.0f;
    c[v::kFxSrr] = 0.2f;
    c[v::kFltCutoff] = 1500.0f;
    c[v::kFlt2Cutoff] = 300.0f;
    c[v::kFlt2Type] = 1.0f;
    c[v::kSpaceMix] = 0.4f;
  }

  std::vector<float> l(64), r(64);
  const long before = ob::test::allocationCount();
  for (int hit = 0; hit < 4; ++hit) {
    sampler.trigger(60.0f + hit, 0.8f);
    va.trigger(48.0f + hit, 0.8f);
    granular.trigger(60.0f, 0.8f);
    chain.resetForHit();
    chain.setVelocity(0.8f);
    for (int b = 0; b < 200; ++b) {
      std::fill(l.begin(), l.end(), 0.0f);
      std::fill(r.begin(), r.end(), 0.0f);
      sampler.renderStereo(l.data(), r.data(), 64, sm);
      sampler.renderMono(l.data(), 64, sm);
      va.renderStereo(l.data(), r.data(), 64, vm);
      granular.renderStereo(l.data(), r.data(), 64, gm);
      granular.renderMono(r.data(), 64, gm);
      chain.processStereo(l.data(), r.data(), 64, sm, 18);
      chain.processMono(l.data(), 64, vm, 12);
      chain.updateTail();
    }
  }
  EXPECT_EQ(ob::test::allocationCount(), before);
}

TEST(ChainRealtime, RoomAndFilterTailsEndWithoutDenormals) {
  namespace v = ob::voice;
  ob::ModLayers m = defaultsFor(ob::kMachineVa);
  float* c = &m.layers[0][12];
  c[v::kTsAttack] = 1.0f;
  c[v::kFltCutoff] = 800.0f;
  c[v::kFltReso] = 1.0f;
  c[v::kFlt2Cutoff] = 5000.0f;
  c[v::kFlt2Type] = 2.0f;
  c[v::kSpaceMix] = 1.0f;
  c[v::kSpaceSize] = 1.0f;
  c[v::kSpaceDamp] = 0.2f;
  c[v::kAmpDecay] = 0.3f;
  ob::VoiceChain chain;
  chain.prepare(kRate);
  chain.setVelocity(1.0f);
  std::vector<float> l(64), r(64);
  int subnormals = 0;
  bool endedSilent = false;
  for (int b = 0; b < 48000 * 60 / 64; ++b) {  // a minute
    std::fill(l.begin(), l.end(), 0.0f);
    std::fill(r.begin(), r.end(), 0.0f);
    if (b == 0) l[0] = r[0] = 1.0f;
    chain.processStereo(l.data(), r.data(), 64, m, 12);
    chain.updateTail();
    for (int i = 0; i < 64; ++i) subnormals += subnormal(l[i]) + subnormal(r[i]);
    if (b > 48000 * 30 / 64) {
      endedSilent = true;
      for (int i = 0; i < 64; ++i) endedSilent &= l[i] == 0.0f && r[i] == 0.0f;
      if (!endedSilent) break;
    }
  }
  EXPECT_EQ(subnormals, 0);
  EXPECT_TRUE(endedSilent);
  EXPECT_FALSE(chain.hasTail());
}

TEST(ChainRealtime, LongLoopedSampleStaysNormal) {
  Material mat;
  ob::SampleMachine s;
  s.setSnapshot(&mat.snap);
  s.prepare(kRate);
  ob::ModLayers m = defaultsFor(ob::kMachineSample);
  m.layers[0][ob::SampleMachine::kLoop] = 1.0f;
  m.layers[0][ob::SampleMachine::kDecay] = 0.5f;
  m.layers[0][ob::SampleMachine::kLp] = 300.0f;
  s.trigger(60.0f, 1.0f);
  std::vector<float> l(64), r(64);
  int subnormals = 0, blocks = 0;
  while (s.isActive() && blocks < 48000 * 30 / 64) {
    std::fill(l.begin(), l.end(), 0.0f);
    std::fill(r.begin(), r.end(), 0.0f);
    s.renderStereo(l.data(), r.data(), 64, m);
    for (int i = 0; i < 64; ++i) subnormals += subnormal(l[i]) + subnormal(r[i]);
    ++blocks;
  }
  EXPECT_FALSE(s.isActive());  // the decay ends the loop
  EXPECT_EQ(subnormals, 0);
}

TEST(ChainRealtime, BrokenNumbersDoNotPoisonAVoice) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  namespace v = ob::voice;
  ob::ModLayers m = defaultsFor(ob::kMachineVa);
  float* c = &m.layers[0][12];
  c[v::kFltCutoff] = 900.0f;
  c[v::kFlt2Cutoff] = 4000.0f;
  c[v::kSpaceMix] = 0.5f;
  c[v::kFxDrive] = 3.0f;
  ob::VoiceChain chain;
  chain.prepare(kRate);
  chain.setVelocity(nan);
  std::vector<float> l(64), r(64);
  auto block = [&](float value) {
    for (int i = 0; i < 64; ++i) l[i] = r[i] = value * float(std::sin(0.05 * i));
    chain.processStereo(l.data(), r.data(), 64, m, 12);
    chain.updateTail();
  };
  block(0.5f);
  // A damaged input block and broken parameter sums...
  for (int i = 0; i < 64; ++i) l[i] = r[i] = i == 3 ? nan : 0.5f;
  chain.processStereo(l.data(), r.data(), 64, m, 12);
  m.layers[2][12 + v::kFltReso] = nan;
  m.layers[3][12 + v::kSpaceSize] = inf;
  m.layers[4][12 + v::kFxDrive] = -inf;
  for (int b = 0; b < 200; ++b) block(0.5f);
  // ...are gone once the room has turned over.
  block(0.5f);
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << i;

  ob::SampleMachine s;
  ob::VaMachine va;
  ob::GranularMachine g;
  Material mat;
  s.setSnapshot(&mat.snap);
  g.setSnapshot(&mat.snap);
  for (ob::Machine* machine : std::initializer_list<ob::Machine*>{&s, &va, &g}) {
    machine->prepare(kRate);
    machine->trigger(nan, inf);
    machine->trigger(60.0f, nan);
    ob::ModLayers bad;
    for (int i = 0; i < 12; ++i) bad.layers[i % 8][i] = (i % 2) ? nan : inf;
    bad.layers[0][0] = 0.0f;  // slot 0
    std::fill(l.begin(), l.end(), 0.0f);
    std::fill(r.begin(), r.end(), 0.0f);
    machine->renderStereo(l.data(), r.data(), 64, bad);
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i]));
  }
}

}  // namespace chain_realtime_test
