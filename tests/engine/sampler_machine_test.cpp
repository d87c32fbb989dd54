#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "engine/params/param_tables.h"
#include "engine/sampler/sample_machine.h"

namespace sampler_machine_test {

using ob::ModLayers;
using ob::SampleMachine;

constexpr double kRate = 44100.0;

struct Fixture {
  std::vector<float> left, right;
  std::vector<float> slices;
  ob::SamplePoolSnapshot snap{};

  void publish(int slot = 0) {
    ob::SampleSlotInfo& s = snap[slot];
    s.left = left.data();
    s.right = right.empty() ? nullptr : right.data();
    s.frames = static_cast<std::int32_t>(left.size());
    s.sampleRate = kRate;
    s.slices = slices.empty() ? nullptr : slices.data();
    s.sliceCount = static_cast<std::int32_t>(slices.size());
    float peak = 0.0f;
    for (float v : left) peak = std::max(peak, std::fabs(v));
    s.peak = peak > 0.0f ? peak : 1.0f;
  }
};

ModLayers defaults() {
  ModLayers m;
  for (int i = 0; i < SampleMachine::kParamCount; ++i) {
    m.layers[0][i] = ob::ownParamInfo(ob::kMachineSample, i).defaultValue;
  }
  m.layers[0][SampleMachine::kLevel] = 1.0f;
  m.layers[0][SampleMachine::kAttack] = 0.0f;
  return m;
}

std::vector<float> sine(int n, double hz, float amp) {
  std::vector<float> out(n);
  for (int i = 0; i < n; ++i) out[i] = amp * float(std::sin(2.0 * M_PI * hz * i / kRate));
  return out;
}

// Renders until the voice ends or max frames, in 64-frame blocks.
std::vector<float> renderMono(SampleMachine& m, const ModLayers& mod, int maxFrames) {
  std::vector<float> out(maxFrames, 0.0f);
  for (int off = 0; off < maxFrames && m.isActive(); off += 64) {
    m.renderMono(out.data() + off, std::min(64, maxFrames - off), mod);
  }
  return out;
}

SampleMachine triggered(const ob::SamplePoolSnapshot* snap, float note = 60.0f) {
  SampleMachine m;
  m.prepare(kRate);
  m.setSnapshot(snap);
  m.trigger(note, 1.0f);
  return m;
}

// Envelope with no attack: 0 on the first sample, then 1 decaying by df.
float envAt(int n, float decaySeconds) {
  if (n == 0) return 0.0f;
  const float df = float(std::exp(-1.0 / (decaySeconds * kRate)));
  float e = 1.0f;
  for (int i = 1; i < n; ++i) e *= df;
  return e;
}

TEST(SampleMachine, ParameterTableIsTheSamplers) {
  SampleMachine m;
  EXPECT_EQ(m.paramCount(), 18);
  EXPECT_STREQ(m.paramInfo(17).id, "window_mode");
  EXPECT_STREQ(m.paramInfo(0).id, "slot");
}

TEST(SampleMachine, LoopedWindowWrapsWithoutAClick) {
  Fixture fx;
  fx.left = sine(44100, 441.0, 0.8f);
  fx.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kLoop] = 1.0f;
  // A window of 0.237 s: the jump back lands mid-cycle, a big raw step.
  mod.layers[0][SampleMachine::kStart] = 0.1f;
  mod.layers[0][SampleMachine::kEnd] = 0.337f;
  SampleMachine m = triggered(&fx.snap);
  const auto out = renderMono(m, mod, 44100);
  EXPECT_TRUE(m.isActive());
  const int s = m.windowStart(), e = m.windowEnd();
  ASSERT_GT(std::fabs(fx.left[e - 1] - fx.left[s]), 0.5f);  // the raw jump

  const float ownStep = 0.8f * float(2.0 * M_PI * 441.0 / kRate);
  float largest = 0.0f;
  for (int i = 2; i < 44100; ++i) largest = std::max(largest, std::fabs(out[i] - out[i - 1]));
  EXPECT_LT(largest, 1.3f * ownStep);
  EXPECT_GT(largest, 0.8f * ownStep);
}

TEST(SampleMachine, StartAndEndSwappedPlayTheSameWindow) {
  Fixture fx;
  fx.left = sine(20000, 300.0, 0.5f);
  fx.publish();
  ModLayers a = defaults(), b = defaults();
  a.layers[0][SampleMachine::kStart] = 0.2f;
  a.layers[0][SampleMachine::kEnd] = 0.6f;
  b.layers[0][SampleMachine::kStart] = 0.6f;
  b.layers[0][SampleMachine::kEnd] = 0.2f;
  SampleMachine ma = triggered(&fx.snap), mb = triggered(&fx.snap);
  const auto oa = renderMono(ma, a, 20000), ob = renderMono(mb, b, 20000);
  EXPECT_EQ(ma.windowStart(), 4000);
  EXPECT_EQ(ma.windowEnd(), 12000);
  EXPECT_EQ(oa, ob);
  EXPECT_FALSE(ma.isActive());  // a one-shot ends at its window's end
}

TEST(SampleMachine, ReversePlaysTheWindowBackwards) {
  Fixture fx;
  fx.left.resize(10000);
  for (int i = 0; i < 10000; ++i) fx.left[i] = float(i) / 10000.0f;
  fx.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kStart] = 0.25f;
  mod.layers[0][SampleMachine::kEnd] = 0.75f;
  mod.layers[0][SampleMachine::kReverse] = 1.0f;
  SampleMachine m = triggered(&fx.snap);
  const auto out = renderMono(m, mod, 6000);
  ASSERT_EQ(m.windowStart(), 2500);
  ASSERT_EQ(m.windowEnd(), 7500);
  // Middle of the window, clear of the end fade.
  for (int n = 1; n < 4800; ++n) {
    const float expected = envAt(n, 8.0f) * fx.left[7499 - n];
    ASSERT_NEAR(out[n], expected, 2e-5f) << n;
  }
  EXPECT_FALSE(m.isActive());
  // The one-shot fades into its start instead of stopping with a step.
  EXPECT_LT(std::fabs(out[4999]), 0.01f);
  EXPECT_EQ(out[5000], 0.0f);
}

TEST(SampleMachine, CrushToOneBitGivesTwoLevels) {
  Fixture fx;
  fx.left.resize(4000);
  for (int i = 0; i < 4000; ++i) fx.left[i] = 0.999f * float(i % 400) / 400.0f;
  fx.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kCrush] = 1.0f;
  mod.layers[0][SampleMachine::kLoop] = 1.0f;
  SampleMachine m = triggered(&fx.snap);
  const auto out = renderMono(m, mod, 4000);
  std::set<int> levels;
  for (int n = 1; n < 4000; ++n) levels.insert(int(std::lround(out[n] / envAt(n, 8.0f) * 1000.0f)));
  EXPECT_EQ(levels, (std::set<int>{0, 1000}));
}

TEST(SampleMachine, EmptyWindowRendersSilenceAndReturns) {
  Fixture fx;
  fx.left = sine(1000, 440.0, 0.9f);
  fx.publish();
  for (bool reverse : {false, true}) {
    ModLayers mod = defaults();
    mod.layers[0][SampleMachine::kStart] = 1.0f;
    mod.layers[0][SampleMachine::kEnd] = 1.0f;
    mod.layers[0][SampleMachine::kLoop] = 1.0f;
    mod.layers[0][SampleMachine::kReverse] = reverse ? 1.0f : 0.0f;
    SampleMachine m = triggered(&fx.snap);
    std::vector<float> out(64, 0.0f);
    m.renderMono(out.data(), 64, mod);
    EXPECT_FALSE(m.isActive());
    for (float v : out) ASSERT_EQ(v, 0.0f);
  }
}

TEST(SampleMachine, OneFrameLoopAtHighPitchKeepsPace) {
  Fixture fx;
  fx.left = sine(1000, 440.0, 0.9f);
  fx.publish();
  for (bool reverse : {false, true}) {
    ModLayers mod = defaults();
    mod.layers[0][SampleMachine::kStart] = 0.5f;
    mod.layers[0][SampleMachine::kEnd] = 0.5f;
    mod.layers[0][SampleMachine::kLoop] = 1.0f;
    mod.layers[0][SampleMachine::kTune] = 24.0f;
    mod.layers[0][SampleMachine::kReverse] = reverse ? 1.0f : 0.0f;
    SampleMachine m = triggered(&fx.snap, 127.0f);
    const auto out = renderMono(m, mod, 44100);
    EXPECT_TRUE(m.isActive());
    EXPECT_EQ(m.windowEnd() - m.windowStart(), 1);
    EXPECT_GE(m.position(), 500.0);
    EXPECT_LT(m.position(), 501.0);
    for (float v : out) ASSERT_TRUE(std::isfinite(v));
  }
}

TEST(SampleMachine, UnusableSlotsEndTheVoiceSilently) {
  Fixture fx;
  fx.left = sine(1000, 440.0, 0.9f);
  fx.publish(3);
  struct Case {
    const ob::SamplePoolSnapshot* snap;
    float slot;
  };
  for (Case c : {Case{nullptr, 3.0f}, Case{&fx.snap, 64.0f}, Case{&fx.snap, 2.0f}, Case{&fx.snap, -1.0f}}) {
    ModLayers mod = defaults();
    mod.layers[0][SampleMachine::kSlot] = c.slot;
    SampleMachine m = triggered(c.snap);
    std::vector<float> l(64, 0.0f), r(64, 0.0f);
    m.renderStereo(l.data(), r.data(), 64, mod);
    EXPECT_FALSE(m.isActive()) << c.slot;
    for (int i = 0; i < 64; ++i) ASSERT_EQ(l[i] + r[i], 0.0f);
  }
  // Slot 2.6 rounds to 3, which has audio.
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kSlot] = 2.6f;
  SampleMachine m = triggered(&fx.snap);
  std::vector<float> out(64, 0.0f);
  m.renderMono(out.data(), 64, mod);
  EXPECT_TRUE(m.isActive());
}

TEST(SampleMachine, SliceModeChoosesTheSegment) {
  Fixture fx;
  fx.left.resize(8000, 0.5f);
  fx.slices = {0.0f, 0.25f, 0.5f, 0.75f};
  fx.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kWindowMode] = 1.0f;
  mod.layers[0][SampleMachine::kStart] = 0.9f;  // ignored in slice mode
  auto window = [&](float slice) {
    ModLayers m2 = mod;
    m2.layers[0][SampleMachine::kSlice] = slice;
    SampleMachine m = triggered(&fx.snap);
    std::vector<float> out(64, 0.0f);
    m.renderMono(out.data(), 64, m2);
    return std::pair<int, int>(m.windowStart(), m.windowEnd());
  };
  EXPECT_EQ(window(1.0f), (std::pair<int, int>(2000, 4000)));
  EXPECT_EQ(window(3.0f), (std::pair<int, int>(6000, 8000)));   // last runs to the end
  EXPECT_EQ(window(40.0f), (std::pair<int, int>(6000, 8000)));  // limited to the table
  fx.slices.clear();
  fx.publish();
  EXPECT_EQ(window(1.0f), (std::pair<int, int>(0, 8000)));
}

TEST(SampleMachine, OneShotFadesBeforeItsEnd) {
  Fixture fx;
  fx.left.assign(2000, 0.5f);
  fx.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kTune] = 12.0f;  // step 2: 3 ms of output = 264.6 frames
  SampleMachine m = triggered(&fx.snap);
  const auto out = renderMono(m, mod, 2000);
  EXPECT_FALSE(m.isActive());
  // 1000 samples of output; the last 132 ramp down to zero.
  EXPECT_NEAR(out[860], 0.5f * envAt(860, 8.0f), 1e-5f);
  EXPECT_NEAR(out[900], 0.5f * envAt(900, 8.0f) * 200.0f / 264.6f, 1e-5f);
  EXPECT_LT(out[999], 0.5f * 2.0f / 264.6f + 1e-5f);
  for (int n = 869; n < 1000; ++n) ASSERT_LT(out[n], out[n - 1]) << n;
  EXPECT_EQ(out[1000], 0.0f);

  // A very short window fades over a quarter of its length.
  fx.left.assign(80, 0.5f);
  fx.publish();
  SampleMachine s = triggered(&fx.snap);
  const auto shortOut = renderMono(s, defaults(), 128);
  EXPECT_NEAR(shortOut[70], 0.5f * envAt(70, 8.0f) * 10.0f / 20.0f, 1e-5f);
}

TEST(SampleMachine, LowPassOffAboveLimitAndDarkerBelow) {
  Fixture fx;
  fx.left.resize(8000);
  std::uint32_t x = 99;
  for (float& v : fx.left) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    v = float(x) * 0x1.0p-32f - 0.5f;
  }
  fx.publish();
  auto run = [&](float lp) {
    ModLayers mod = defaults();
    mod.layers[0][SampleMachine::kLp] = lp;
    SampleMachine m = triggered(&fx.snap);
    return renderMono(m, mod, 8000);
  };
  const auto open = run(20000.0f), limit = run(19000.0f), dark = run(500.0f);
  EXPECT_EQ(open, limit);
  auto diffEnergy = [](const std::vector<float>& y) {
    double e = 0.0;
    for (size_t i = 1; i < y.size(); ++i) e += double(y[i] - y[i - 1]) * (y[i] - y[i - 1]);
    return e;
  };
  EXPECT_LT(diffEnergy(dark), 0.05 * diffEnergy(open));
}

TEST(SampleMachine, GainNormaliseAndFades) {
  Fixture fx;
  fx.left.assign(10000, 0.25f);
  fx.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kNormalize] = 1.0f;
  mod.layers[0][SampleMachine::kGain] = -6.0f;
  mod.layers[0][SampleMachine::kFadeIn] = 0.5f;
  mod.layers[0][SampleMachine::kFadeOut] = 0.25f;
  SampleMachine m = triggered(&fx.snap);
  const auto out = renderMono(m, mod, 10000);
  const float g = std::pow(10.0f, -0.3f);
  EXPECT_NEAR(out[2500], g * 0.5f * envAt(2500, 8.0f), 1e-5f);  // halfway up the fade-in
  EXPECT_NEAR(out[6000], g * envAt(6000, 8.0f), 1e-5f);         // full level, normalised
  EXPECT_NEAR(out[8750], g * 0.5f * envAt(8750, 8.0f), 1e-5f);  // halfway down the fade-out
}

TEST(SampleMachine, StereoReadsBothSidesAndMonoServesBoth) {
  Fixture fx;
  fx.left.assign(4000, 0.5f);
  fx.right.assign(4000, -0.25f);
  fx.publish();
  SampleMachine m = triggered(&fx.snap);
  std::vector<float> l(256, 0.0f), r(256, 0.0f);
  m.renderStereo(l.data(), r.data(), 256, defaults());
  for (int i = 1; i < 256; ++i) ASSERT_FLOAT_EQ(r[i], -0.5f * l[i]);

  fx.right.clear();
  fx.publish();
  SampleMachine mono = triggered(&fx.snap);
  std::fill(l.begin(), l.end(), 0.0f);
  std::fill(r.begin(), r.end(), 0.0f);
  mono.renderStereo(l.data(), r.data(), 256, defaults());
  EXPECT_EQ(l, r);
}

// The sampler's own floors: no attack plays the second sample at full
// level, and no decay falls with a 0.1 ms time constant.
TEST(SampleMachine, NoAttackAndNoDecayPlayAsItsFloors) {
  Fixture f;
  f.left.assign(44100, 0.5f);
  f.publish();
  ModLayers mod = defaults();
  mod.layers[0][SampleMachine::kDecay] = 0.0f;
  SampleMachine m = triggered(&f.snap);
  std::vector<float> out;
  for (float sample = 0.0f; out.size() < 44100 && m.isActive(); out.push_back(sample)) {
    sample = 0.0f;
    m.renderMono(&sample, 1, mod);
  }
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_EQ(out[1], 0.5f);
  EXPECT_NEAR(out[2], 0.5f * envAt(2, 0.0001f), 1e-7f);
  EXPECT_NEAR(static_cast<double>(out.size()), 1 + 0.0001 * kRate * std::log(10000.0), 1.0);
}

TEST(SampleMachine, InRangeParametersNeverGiveNanOrInf) {
  Fixture fx;
  fx.left = sine(3000, 700.0, 1.0f);
  fx.right = sine(3000, 500.0, 1.0f);
  fx.slices = {0.0f, 0.3f, 0.31f, 0.99f};
  fx.publish();
  std::uint32_t seed = 4242;
  auto rnd = [&]() {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return float(seed) * 0x1.0p-32f;
  };
  for (int trial = 0; trial < 200; ++trial) {
    ModLayers mod;
    for (int i = 0; i < SampleMachine::kParamCount; ++i) {
      const ob::ParamInfo pi = ob::ownParamInfo(ob::kMachineSample, i);
      float u = rnd();
      if (trial % 3 == 0) u = u < 0.5f ? 0.0f : 1.0f;
      mod.layers[0][i] = pi.min + (pi.max - pi.min) * u;
    }
    mod.layers[0][SampleMachine::kSlot] = 0.0f;
    SampleMachine m = triggered(&fx.snap, 20.0f + 100.0f * rnd());
    std::vector<float> l(4096, 0.0f), r(4096, 0.0f);
    for (int off = 0; off < 4096 && m.isActive(); off += 8)
      m.renderStereo(l.data() + off, r.data() + off, 8, mod);
    for (int i = 0; i < 4096; ++i) ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << trial;
  }
}

}  // namespace sampler_machine_test
