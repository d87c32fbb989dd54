#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dft.h"
#include "engine/params/param_tables.h"
#include "engine/va/va_machine.h"

namespace va_machine_test {

using ob::ModLayers;
using ob::VaMachine;

constexpr double kRate = 44100.0;

ModLayers defaults() {
  ModLayers m;
  for (int i = 0; i < VaMachine::kParamCount; ++i) {
    m.layers[0][i] = ob::ownParamInfo(ob::kMachineVa, i).defaultValue;
  }
  return m;
}

std::vector<float> render(const ModLayers& mod, int frames, float note = 60.0f) {
  VaMachine m;
  m.prepare(kRate);
  m.trigger(note, 1.0f);
  std::vector<float> out(frames, 0.0f);
  for (int off = 0; off < frames; off += 8) m.renderMono(out.data() + off, std::min(8, frames - off), mod);
  return out;
}

// Share of the energy that lies off the harmonics of a tone with a whole
// number of cycles in the frame (bin spacing rate / n).
double aliasShare(const std::vector<float>& x, int cycles) {
  const std::vector<double> energies = dft::binEnergies(x, false);
  double off = 0.0, total = 0.0;
  for (std::size_t k = 1; k < energies.size(); ++k) {
    total += energies[k];
    if (k % cycles != 0) off += energies[k];
  }
  return off / total;
}

double centroidHz(const std::vector<float>& x) {
  const std::vector<double> energies = dft::binEnergies(x, false);
  double num = 0.0, den = 0.0;
  for (std::size_t k = 1; k < energies.size(); ++k) {
    num += k * energies[k];
    den += energies[k];
  }
  return num / den * kRate / x.size();
}

TEST(VaOscillators, PolyBlepAliasesFarLessThanNaive) {
  // 1230 Hz: 123 whole cycles in 4410 samples, harmonics every 123 bins;
  // everything folded back from above Nyquist lands between them.
  const int n = 4410, cycles = 123;
  const double dt = 1230.0 / kRate;
  std::vector<float> blepSaw(n), naiveSaw(n), blepPulse(n), naivePulse(n), blepTri(n), naiveTri(n);
  double p = 0.0;
  for (int i = 0; i < n; ++i) {
    blepSaw[i] = ob::vaSaw(p, dt);
    naiveSaw[i] = float(2.0 * p - 1.0);
    blepPulse[i] = ob::vaPulse(p, dt, 0.5);
    naivePulse[i] = p < 0.5 ? 1.0f : -1.0f;
    blepTri[i] = ob::vaTriangle(p, dt);
    naiveTri[i] = float(2.0 * std::fabs(2.0 * p - 1.0) - 1.0);
    p += dt;
    p -= std::floor(p);
  }
  const double saw = aliasShare(blepSaw, cycles), sawNaive = aliasShare(naiveSaw, cycles);
  EXPECT_LT(saw, 0.1 * sawNaive) << saw << " vs " << sawNaive;
  EXPECT_LT(aliasShare(blepPulse, cycles), 0.1 * aliasShare(naivePulse, cycles));
  EXPECT_LT(aliasShare(blepTri, cycles), 0.1 * aliasShare(naiveTri, cycles));
}

TEST(VaOscillators, ShapesAwayFromEdgesAreTheNaiveOnes) {
  const double dt = 0.001;
  EXPECT_NEAR(ob::vaSaw(0.25, dt), -0.5f, 1e-6f);
  EXPECT_NEAR(ob::vaPulse(0.25, dt, 0.5), 1.0f, 1e-6f);
  EXPECT_NEAR(ob::vaPulse(0.75, dt, 0.5), -1.0f, 1e-6f);
  EXPECT_NEAR(ob::vaTriangle(0.25, dt), 0.0f, 1e-6f);
  EXPECT_NEAR(ob::vaTriangle(0.5, dt), -1.0f + 8.0 * dt / 6.0, 1e-6f);
  // A stopped oscillator gets no correction.
  EXPECT_FLOAT_EQ(ob::vaSaw(0.0, 0.0), -1.0f);
  EXPECT_EQ(ob::vaOscillator(1, 0.25, dt), ob::vaPulse(0.25, dt, 0.5));
  EXPECT_EQ(ob::vaOscillator(2, 0.25, dt), ob::vaTriangle(0.25, dt));
  EXPECT_EQ(ob::vaOscillator(7, 0.25, dt), ob::vaSaw(0.25, dt));
}

TEST(VaMachine, CutoffMovesTheCentroid) {
  auto centroidAt = [](float cutoff, float mode) {
    ModLayers mod = defaults();
    mod.layers[0][VaMachine::kCutoff] = cutoff;
    mod.layers[0][VaMachine::kMode] = mode;
    mod.layers[0][VaMachine::kEnvAmt] = 0.0f;
    mod.layers[0][VaMachine::kDecay] = 4.0f;
    auto x = render(mod, 6144);
    return centroidHz(std::vector<float>(x.begin() + 2048, x.end()));
  };
  const double low = centroidAt(400.0f, 0.0f), mid = centroidAt(2000.0f, 0.0f),
               high = centroidAt(8000.0f, 0.0f);
  EXPECT_LT(low, mid);
  EXPECT_LT(mid, high);
  EXPECT_GT(centroidAt(2000.0f, 1.0f), mid);  // high-pass is brighter
}

TEST(VaMachine, EnvelopeAmountOpensTheCutoff) {
  ModLayers closed = defaults(), open = defaults();
  closed.layers[0][VaMachine::kEnvAmt] = 0.0f;
  open.layers[0][VaMachine::kEnvAmt] = 1.0f;
  closed.layers[0][VaMachine::kCutoff] = open.layers[0][VaMachine::kCutoff] = 300.0f;
  const auto a = render(closed, 3072), b = render(open, 3072);
  EXPECT_GT(centroidHz(std::vector<float>(b.begin() + 1024, b.end())),
            1.5 * centroidHz(std::vector<float>(a.begin() + 1024, a.end())));
}

TEST(VaMachine, StereoCarriesTheSameVoiceOnBothSides) {
  ModLayers mod = defaults();
  VaMachine m;
  m.prepare(kRate);
  m.trigger(64.0f, 0.8f);
  std::vector<float> l(512, 0.0f), r(512, 0.0f);
  for (int off = 0; off < 512; off += 8) m.renderStereo(l.data() + off, r.data() + off, 8, mod);
  EXPECT_EQ(l, r);
  // The right side gains only this voice, not what the left already held.
  VaMachine m2;
  m2.prepare(kRate);
  m2.trigger(64.0f, 0.8f);
  std::vector<float> l2(512, 1.0f), r2(512, 0.0f);
  for (int off = 0; off < 512; off += 8) m2.renderStereo(l2.data() + off, r2.data() + off, 8, mod);
  for (int i = 0; i < 512; ++i) ASSERT_NEAR(l2[i] - 1.0f, r2[i], 1e-6f);
}

int zeroCrossings(const std::vector<float>& x, int from, int to) {
  int n = 0;
  for (int i = from + 1; i < to; ++i) n += (x[i - 1] < 0.0f) != (x[i] < 0.0f);
  return n;
}

TEST(VaMachine, TuneClampsAndPitchSweepStartsHigh) {
  ModLayers a = defaults(), b = defaults();
  a.layers[0][VaMachine::kTune] = 5.0f;
  b.layers[0][VaMachine::kTune] = 20.0f;
  EXPECT_EQ(render(a, 2048), render(b, 2048));
  a.layers[0][VaMachine::kTune] = 9000.0f;
  b.layers[0][VaMachine::kTune] = 2000.0f;
  EXPECT_EQ(render(a, 2048), render(b, 2048));

  ModLayers s = defaults();
  s.layers[0][VaMachine::kTune] = 441.0f;
  s.layers[0][VaMachine::kDetune] = 0.0f;
  s.layers[0][VaMachine::kWave1] = s.layers[0][VaMachine::kWave2] = 2.0f;  // triangle
  s.layers[0][VaMachine::kCutoff] = 18000.0f;
  s.layers[0][VaMachine::kEnvAmt] = 0.0f;
  s.layers[0][VaMachine::kPitchEnv] = 12.0f;
  const auto x = render(s, 22050);
  // First 10 ms near 882 Hz (sweep barely moved), at 0.4 s back at 441 Hz.
  const int early = zeroCrossings(x, 0, 441), late = zeroCrossings(x, 17640, 18081);
  EXPECT_NEAR(early, 2 * 8.4, 2.0);
  EXPECT_NEAR(late, 2 * 4.41, 1.5);
}

TEST(VaMachine, FirstSampleCarriesOneAttackStep) {
  ModLayers mod = defaults();
  mod.layers[0][VaMachine::kWave1] = mod.layers[0][VaMachine::kWave2] = 2.0f;  // triangle
  mod.layers[0][VaMachine::kEnvAmt] = 0.0f;
  mod.layers[0][VaMachine::kAttack] = 0.01f;
  mod.layers[0][VaMachine::kLevel] = 0.5f;
  VaMachine m;
  m.prepare(kRate);
  m.trigger(60.0f, 0.75f);
  float out = 0.0f;
  m.renderMono(&out, 1, mod);
  // Both triangles start at their peak; one pass through the filter.
  const double f = 110.0 * std::exp2(0.0);
  const float x =
      0.5f * (ob::vaTriangle(0.0, f * std::exp2(0.1 / 12.0) / kRate) + ob::vaTriangle(0.0, f / kRate));
  ob::Svf svf;
  svf.setCoefficients(std::tan(2000.0f * float(M_PI / kRate)), 1.0f / (9.5f * 0.2f + 0.5f));
  const float env = float(1.0 / (kRate * 0.01));
  EXPECT_NEAR(out, env * svf.tick(x).low * 0.5f * 0.75f, 1e-9f);
  EXPECT_NE(out, 0.0f);
}

TEST(VaMachine, DecaysToSilenceAndEnds) {
  ModLayers mod = defaults();
  mod.layers[0][VaMachine::kDecay] = 0.05f;
  VaMachine m;
  m.prepare(kRate);
  m.trigger(60.0f, 1.0f);
  std::vector<float> out(44100, 0.0f);
  int off = 0;
  for (; off < 44100 && m.isActive(); off += 8) m.renderMono(out.data() + off, 8, mod);
  EXPECT_FALSE(m.isActive());
  // The 5 ms attack, then -80 dB of decay.
  EXPECT_NEAR(off, 0.005 * kRate + 0.05 * kRate * std::log(10000.0), 64);
  EXPECT_EQ(m.paramCount(), 12);
  EXPECT_STREQ(m.paramInfo(6).id, "mode");
}

// The synthesiser's own floors: no attack still rises over 0.1 ms, and no
// decay falls with a 1 ms time constant.
TEST(VaMachine, NoAttackAndNoDecayPlayAsItsFloors) {
  ModLayers mod = defaults();
  mod.layers[0][VaMachine::kAttack] = 0.0f;
  mod.layers[0][VaMachine::kDecay] = 0.0f;
  VaMachine m;
  m.prepare(kRate);
  m.trigger(60.0f, 1.0f);
  int samples = 0;
  for (float out = 0.0f; samples < 44100 && m.isActive(); ++samples) m.renderMono(&out, 1, mod);
  EXPECT_NEAR(samples, std::ceil(0.0001 * kRate) + 0.001 * kRate * std::log(10000.0), 1.0);
}

TEST(VaMachine, InRangeParametersNeverGiveNanOrInf) {
  std::uint32_t seed = 777;
  auto rnd = [&]() {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return float(seed) * 0x1.0p-32f;
  };
  for (int trial = 0; trial < 100; ++trial) {
    ModLayers mod;
    for (int i = 0; i < VaMachine::kParamCount; ++i) {
      const ob::ParamInfo pi = ob::ownParamInfo(ob::kMachineVa, i);
      float u = rnd();
      if (trial % 3 == 0) u = u < 0.5f ? 0.0f : 1.0f;
      mod.layers[0][i] = pi.min + (pi.max - pi.min) * u;
    }
    const auto x = render(mod, 4096, 127.0f * rnd());
    for (float v : x) ASSERT_TRUE(std::isfinite(v)) << trial;
  }
}

}  // namespace va_machine_test
