#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/granular/grain_window.h"
#include "engine/granular/granular_machine.h"
#include "engine/params/param_tables.h"

namespace granular_machine_test {

using ob::GranularMachine;
using ob::ModLayers;

constexpr double kRate = 48000.0;

struct Source {
  std::vector<float> left, right;
  ob::SamplePoolSnapshot snap{};
  void publish(int slot = 0) {
    ob::SampleSlotInfo& s = snap[slot];
    s.left = left.data();
    s.right = right.empty() ? nullptr : right.data();
    s.frames = static_cast<std::int32_t>(left.size());
    s.sampleRate = kRate;
    s.peak = 1.0f;
  }
};

Source tone(int frames) {
  Source s;
  s.left.resize(frames);
  for (int i = 0; i < frames; ++i) s.left[i] = 0.5f * float(std::sin(2.0 * M_PI * 220.0 * i / kRate));
  s.publish();
  return s;
}

ModLayers defaults() {
  ModLayers m;
  for (int i = 0; i < GranularMachine::kParamCount; ++i) {
    m.layers[0][i] = ob::ownParamInfo(ob::kMachineGranular, i).defaultValue;
  }
  m.layers[0][GranularMachine::kDecay] = 8.0f;
  m.layers[0][GranularMachine::kAttack] = 0.0f;
  return m;
}

GranularMachine triggered(const ob::SamplePoolSnapshot* snap, std::uint32_t seed = 1234) {
  GranularMachine g;
  g.prepare(kRate);
  g.setSnapshot(snap);
  g.setRandomSeed(seed);
  g.trigger(60.0f, 1.0f);
  return g;
}

// The grains playing now.
int activeGrains(const GranularMachine& g) {
  int n = 0;
  for (int i = 0; i < GranularMachine::kMaxGrains; ++i) n += g.grain(i).active ? 1 : 0;
  return n;
}

TEST(GrainWindow, HannTableWithGuardPoint) {
  const float* w = ob::grainWindowTable();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w, ob::grainWindowTable());  // one table for the program
  EXPECT_FLOAT_EQ(w[0], 0.0f);
  EXPECT_NEAR(w[1023], 1.0f, 1e-5f);
  EXPECT_NEAR(w[2047], 0.0f, 1e-6f);
  EXPECT_EQ(w[2048], w[2047]);
  for (int i = 1; i < 1023; ++i) ASSERT_NEAR(w[i], w[2047 - i], 1e-6f);
  std::vector<float> mine(ob::kGrainWindowSize);
  ob::makeHannWindow(mine.data());
  for (int i = 0; i < ob::kGrainWindowSize; ++i) ASSERT_EQ(mine[i], w[i]);
}

TEST(GranularMachine, NeverMoreThan24Grains) {
  Source src = tone(96000);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kSize] = 200.0f;
  mod.layers[0][GranularMachine::kDensity] = 100.0f;
  mod.layers[0][GranularMachine::kSpray] = 0.5f;
  mod.layers[0][GranularMachine::kPosition] = 0.3f;
  mod.layers[1][GranularMachine::kDensity] = 300.0f;  // modulated past its range
  GranularMachine g = triggered(&src.snap);
  std::vector<float> out(1, 0.0f);
  int most = 0;
  for (int i = 0; i < 48000; ++i) {
    g.renderMono(out.data(), 1, mod);
    most = std::max(most, activeGrains(g));
    ASSERT_LE(activeGrains(g), GranularMachine::kMaxGrains);
  }
  EXPECT_EQ(most, GranularMachine::kMaxGrains);
  EXPECT_TRUE(g.isActive());
}

TEST(GranularMachine, DensityZeroStartsOneGrainASecondSilentBetween) {
  Source src = tone(96000);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kDensity] = 0.0f;
  mod.layers[0][GranularMachine::kSize] = 50.0f;
  GranularMachine g = triggered(&src.snap);
  std::vector<float> out(2 * 48000, 0.0f);
  for (int off = 0; off < int(out.size()); off += 64) g.renderMono(out.data() + off, 64, mod);
  auto loudness = [&](int from, int to) {
    double e = 0.0;
    for (int i = from; i < to; ++i) e += std::fabs(out[i]);
    return e;
  };
  EXPECT_GT(loudness(0, 2400), 1.0);              // the first grain
  EXPECT_EQ(loudness(2400, 48000), 0.0);          // nothing until the next one
  EXPECT_GT(loudness(48000, 48000 + 2400), 1.0);  // one second later
  EXPECT_EQ(loudness(48000 + 2400, 96000), 0.0);
}

TEST(GranularMachine, FirstSampleStartsAGrainAtEnvelopeZero) {
  Source src = tone(48000);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kPosition] = 0.25f;
  GranularMachine g = triggered(&src.snap);
  std::vector<float> out(1, 0.0f);
  g.renderMono(out.data(), 1, mod);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(activeGrains(g), 1);
  // No spray, no spread: at the position, at the base pitch.
  EXPECT_DOUBLE_EQ(g.grain(0).position, 12000.0 + 1.0);
  EXPECT_DOUBLE_EQ(g.grain(0).step, 1.0);
  EXPECT_EQ(g.grain(0).length, 2400);
}

TEST(GranularMachine, GrainsAtTheEndAreShortened) {
  Source src = tone(4800);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kPosition] = 1.0f;  // starts on the last frame
  GranularMachine g = triggered(&src.snap);
  std::vector<float> out(64, 0.0f);
  g.renderMono(out.data(), 1, mod);
  EXPECT_EQ(g.grain(0).length, 1);
  EXPECT_EQ(activeGrains(g), 0);  // read nothing and ended

  mod.layers[0][GranularMachine::kPosition] = 0.984375f;  // starts at 4725 of 4800
  GranularMachine h = triggered(&src.snap);
  h.renderMono(out.data(), 1, mod);
  EXPECT_EQ(h.grain(0).length, 74);
}

TEST(GranularMachine, TooShortSlotsEndTheVoice) {
  Source one;
  one.left = {0.7f};
  one.publish(5);
  for (float slot : {5.0f, 6.0f, 64.0f}) {
    ModLayers mod = defaults();
    mod.layers[0][GranularMachine::kSlot] = slot;
    GranularMachine g = triggered(&one.snap);
    std::vector<float> out(64, 0.0f);
    g.renderMono(out.data(), 64, mod);
    EXPECT_FALSE(g.isActive());
    for (float v : out) ASSERT_EQ(v, 0.0f);
  }
  GranularMachine none = triggered(nullptr);
  std::vector<float> out(64, 0.0f);
  none.renderMono(out.data(), 64, defaults());
  EXPECT_FALSE(none.isActive());
}

TEST(GranularMachine, SprayAndSpreadScatterReproducibly) {
  Source src = tone(96000);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kSpray] = 1.0f;
  mod.layers[0][GranularMachine::kSpread] = 1.0f;
  mod.layers[0][GranularMachine::kPosition] = 0.5f;
  auto run = [&](std::uint32_t seed, std::vector<double>* starts, std::vector<double>* steps) {
    GranularMachine g = triggered(&src.snap, seed);
    std::vector<float> out(48000, 0.0f);
    int seen = 0;
    for (int i = 0; i < 48000; ++i) {
      g.renderMono(out.data() + i, 1, mod);
      for (int k = 0; k < GranularMachine::kMaxGrains; ++k) {
        const auto& gr = g.grain(k);
        if (gr.active && gr.age == 1 && starts) {
          starts->push_back(gr.position - gr.step);
          steps->push_back(gr.step);
          ++seen;
        }
      }
    }
    return out;
  };
  std::vector<double> starts, steps;
  const auto a = run(99, &starts, &steps);
  EXPECT_EQ(a, run(99, nullptr, nullptr));
  EXPECT_NE(a, run(100, nullptr, nullptr));
  ASSERT_GT(starts.size(), 10u);
  double lo = 1e9, hi = -1e9, slo = 1e9, shi = -1e9;
  for (size_t i = 0; i < starts.size(); ++i) {
    lo = std::min(lo, starts[i]);
    hi = std::max(hi, starts[i]);
    slo = std::min(slo, steps[i]);
    shi = std::max(shi, steps[i]);
  }
  EXPECT_LT(hi - lo, 96000.0);
  EXPECT_GT(hi - lo, 30000.0);  // full spray reaches far around the position
  EXPECT_GE(slo, std::exp2(-7.0 / 12.0) - 1e-9);
  EXPECT_LE(shi, std::exp2(7.0 / 12.0));
  EXPECT_GT(shi / slo, 1.5);
}

TEST(GranularMachine, StereoReadsEachSide) {
  Source src = tone(48000);
  src.right = src.left;
  for (float& v : src.right) v *= -2.0f;
  src.publish();
  GranularMachine g = triggered(&src.snap);
  std::vector<float> l(4096, 0.0f), r(4096, 0.0f);
  for (int off = 0; off < 4096; off += 8) g.renderStereo(l.data() + off, r.data() + off, 8, defaults());
  double energy = 0.0;
  for (int i = 0; i < 4096; ++i) {
    ASSERT_NEAR(r[i], -2.0f * l[i], 1e-6f);
    energy += l[i] * l[i];
  }
  EXPECT_GT(energy, 1.0);
}

TEST(GranularMachine, DecayEndsTheCloud) {
  Source src = tone(48000);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kDecay] = 0.02f;
  GranularMachine g = triggered(&src.snap);
  std::vector<float> out(48000, 0.0f);
  int off = 0;
  for (; off < 48000 && g.isActive(); off += 64) g.renderMono(out.data() + off, 64, mod);
  EXPECT_FALSE(g.isActive());
  EXPECT_NEAR(off, 0.02 * kRate * std::log(10000.0), 128);
}

// The cloud's own floors: no attack starts it at full level at once, and
// no decay falls with a 0.1 ms time constant.
TEST(GranularMachine, NoAttackAndNoDecayPlayAsItsFloors) {
  Source src = tone(48000);
  ModLayers mod = defaults();
  mod.layers[0][GranularMachine::kDecay] = 0.0f;
  GranularMachine g = triggered(&src.snap);
  int samples = 0;
  for (float out = 0.0f; samples < 48000 && g.isActive(); ++samples) g.renderMono(&out, 1, mod);
  EXPECT_NEAR(samples, 1 + 0.0001 * kRate * std::log(10000.0), 1.0);
}

TEST(GranularMachine, InRangeParametersNeverGiveNanOrInf) {
  Source src = tone(20000);
  std::uint32_t seed = 31337;
  auto rnd = [&]() {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return float(seed) * 0x1.0p-32f;
  };
  for (int trial = 0; trial < 60; ++trial) {
    ModLayers mod;
    for (int i = 0; i < GranularMachine::kParamCount; ++i) {
      const ob::ParamInfo pi = ob::ownParamInfo(ob::kMachineGranular, i);
      float u = rnd();
      if (trial % 3 == 0) u = u < 0.5f ? 0.0f : 1.0f;
      mod.layers[0][i] = pi.min + (pi.max - pi.min) * u;
    }
    mod.layers[0][GranularMachine::kSlot] = 0.0f;
    GranularMachine g = triggered(&src.snap, 1 + trial);
    std::vector<float> l(4096, 0.0f), r(4096, 0.0f);
    for (int off = 0; off < 4096; off += 8) g.renderStereo(l.data() + off, r.data() + off, 8, mod);
    for (int i = 0; i < 4096; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << trial;
  }
}

}  // namespace granular_machine_test
