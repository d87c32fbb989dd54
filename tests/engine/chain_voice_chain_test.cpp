#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "dft.h"
#include "engine/chain/fade_out_ramp.h"
#include "engine/chain/voice_chain.h"
#include "engine/params/param_tables.h"

namespace chain_voice_chain_test {

using ob::ModLayers;
using ob::VoiceChain;
namespace v = ob::voice;

constexpr double kRate = 48000.0;
constexpr int kBase = 18;  // the sampler's own count: common rows start here

ModLayers defaults() {
  ModLayers m;
  for (int j = 0; j < ob::commonParamCount(); ++j) {
    m.layers[0][kBase + j] = ob::commonParamInfo(j).defaultValue;
  }
  return m;
}

void set(ModLayers& m, int common, float value) { m.layers[0][kBase + common] = value; }

std::vector<float> noise(int n, std::uint32_t seed, float amp = 0.5f) {
  std::vector<float> out(n);
  for (int i = 0; i < n; ++i) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    out[i] = amp * (float(seed) * 0x1.0p-32f * 2.0f - 1.0f);
  }
  return out;
}

std::vector<float> sine(int n, double hz, float amp = 0.5f) {
  std::vector<float> out(n);
  for (int i = 0; i < n; ++i) out[i] = amp * float(std::sin(2.0 * M_PI * hz * i / kRate));
  return out;
}

// Runs a mono signal through a chain in blocks, one tail update per block.
void runMono(VoiceChain& c, std::vector<float>& x, const ModLayers& m, int block = 8) {
  for (size_t off = 0; off < x.size(); off += block) {
    const int n = int(std::min<size_t>(block, x.size() - off));
    c.processMono(x.data() + off, n, m, kBase);
    c.updateTail();
  }
}

VoiceChain prepared() {
  VoiceChain c;
  c.prepare(kRate);
  c.setVelocity(1.0f);
  return c;
}

double rms(const std::vector<float>& x, size_t from = 0, size_t to = SIZE_MAX) {
  to = std::min(to, x.size());
  double e = 0.0;
  for (size_t i = from; i < to; ++i) e += double(x[i]) * x[i];
  return std::sqrt(e / double(to - from));
}

TEST(VoiceChain, DefaultsPassBitExactWithoutTail) {
  const ModLayers m = defaults();
  VoiceChain c = prepared();
  const auto in = noise(4000, 7);
  auto mono = in;
  runMono(c, mono, m);
  EXPECT_EQ(mono, in);
  EXPECT_FALSE(c.hasTail());

  VoiceChain s = prepared();
  auto l = in, r = noise(4000, 99);
  const auto r0 = r;
  for (size_t off = 0; off < l.size(); off += 64) {
    const int n = int(std::min<size_t>(64, l.size() - off));
    s.processStereo(l.data() + off, r.data() + off, n, m, kBase);
    s.updateTail();
    EXPECT_FALSE(s.hasTail());
  }
  EXPECT_EQ(l, in);
  EXPECT_EQ(r, r0);
}

TEST(VoiceChain, DriveMixBlendsBetweenCleanAndShaped) {
  for (float drive : {1.25f, 1.125f}) {
    ModLayers m = defaults();
    set(m, v::kFxDrive, drive);
    set(m, v::kFxShape, 1.0f);  // tanh
    VoiceChain c = prepared();
    auto x = sine(480, 200.0, 0.8f);
    const auto in = x;
    runMono(c, x, m);
    const float mix = std::min((drive - 1.0f) * 4.0f, 1.0f);
    for (size_t i = 0; i < x.size(); ++i) {
      const float shaped = std::tanh(drive * in[i]) / std::tanh(drive);
      ASSERT_NEAR(x[i], in[i] + (shaped - in[i]) * mix, 2e-5f) << i << " drive " << drive;
    }
  }
}

TEST(VoiceChain, DriveCharacterDoesNotFollowVelocity) {
  ModLayers m = defaults();
  set(m, v::kFxDrive, 8.0f);
  auto render = [&](float vel) {
    VoiceChain c = prepared();
    c.setVelocity(vel);
    auto x = sine(960, 100.0, 0.9f * vel);
    runMono(c, x, m);
    for (float& s : x) s /= vel;
    return x;
  };
  const auto loud = render(1.0f), soft = render(0.25f);
  for (size_t i = 0; i < loud.size(); ++i) ASSERT_NEAR(loud[i], soft[i], 1e-4f);
}

TEST(VoiceChain, CrushAt16IsOffAndBelowQuantises) {
  ModLayers m = defaults();
  set(m, v::kFxCrush, 16.0f);
  VoiceChain c = prepared();
  const auto in = noise(1000, 3);
  auto x = in;
  runMono(c, x, m);
  EXPECT_EQ(x, in);

  set(m, v::kFxCrush, 15.9f);
  VoiceChain d = prepared();
  x = in;
  runMono(d, x, m);
  const float levels = std::exp2(15.9f) * 0.5f;
  bool changed = false;
  for (size_t i = 0; i < x.size(); ++i) {
    ASSERT_NEAR(x[i], std::round(in[i] * levels) / levels, 1e-6f);
    changed |= x[i] != in[i];
  }
  EXPECT_TRUE(changed);

  set(m, v::kFxCrush, 2.0f);  // four steps a unit: -0.5, -0.25, ... only
  VoiceChain e = prepared();
  x = in;
  runMono(e, x, m);
  for (float s : x) ASSERT_FLOAT_EQ(s * 2.0f, std::round(s * 2.0f));
}

TEST(VoiceChain, RateReductionHoldsSamples) {
  ModLayers m = defaults();
  set(m, v::kFxSrr, 1.0f);  // hold 50 samples
  VoiceChain c = prepared();
  auto x = noise(500, 11);
  const auto in = x;
  runMono(c, x, m);
  for (int i = 0; i < 500; ++i) ASSERT_EQ(x[i], in[(i / 50) * 50]) << i;
}

TEST(VoiceChain, FilterSwitchedOnStartsFromLastSample) {
  ModLayers m = defaults();
  VoiceChain c = prepared();
  std::vector<float> dc(64, 0.5f);
  c.processMono(dc.data(), 64, m, kBase);
  set(m, v::kFltCutoff, 1000.0f);
  std::vector<float> next(64, 0.5f);
  c.processMono(next.data(), 64, m, kBase);
  // A low-pass on DC stays at the DC level with no dip to zero.
  for (float s : next) ASSERT_NEAR(s, 0.5f, 1e-3f);

  // A filter switched on from an empty chain starts from zero instead.
  VoiceChain fresh = prepared();
  std::vector<float> dc2(64, 0.5f);
  fresh.processMono(dc2.data(), 64, m, kBase);
  EXPECT_LT(dc2[0], 0.1f);
}

// In bins of the Hann-windowed frame.
double centroid(const std::vector<float>& x) {
  const std::vector<double> energies = dft::binEnergies(x, true);
  double num = 0.0, den = 0.0;
  for (std::size_t k = 1; k < energies.size(); ++k) {
    num += k * energies[k];
    den += energies[k];
  }
  return num / den;
}

TEST(VoiceChain, FilterTypesShapeTheSpectrum) {
  const auto in = noise(4096, 21);
  auto filtered = [&](int which, float cutoff, float type) {
    ModLayers m = defaults();
    set(m, which == 1 ? v::kFltCutoff : v::kFlt2Cutoff, cutoff);
    set(m, which == 1 ? v::kFltType : v::kFlt2Type, type);
    VoiceChain c = prepared();
    auto x = in;
    runMono(c, x, m, 64);
    return std::vector<float>(x.begin() + 2048, x.end());
  };
  const double raw = centroid(std::vector<float>(in.begin() + 2048, in.end()));
  for (int which : {1, 2}) {
    const double lowLow = centroid(filtered(which, 500.0f, 0.0f));
    const double lowHigh = centroid(filtered(which, 4000.0f, 0.0f));
    const double high = centroid(filtered(which, 4000.0f, 1.0f));
    EXPECT_LT(lowLow, lowHigh) << which;
    EXPECT_LT(lowHigh, raw) << which;
    EXPECT_GT(high, raw) << which;
  }
}

TEST(VoiceChain, AttackIsLatchedPerHit) {
  ModLayers m = defaults();
  set(m, v::kAmpAttack, 1.0f / 128.0f);  // 375 samples
  VoiceChain c = prepared();
  std::vector<float> x(960, 1.0f);
  c.processMono(x.data(), 8, m, kBase);
  set(m, v::kAmpAttack, 1.0f / 1024.0f);  // ignored until the next hit
  c.processMono(x.data() + 8, 952, m, kBase);
  EXPECT_FLOAT_EQ(x[150], 0.4f);
  EXPECT_FLOAT_EQ(x[374], 374.0f / 375.0f);
  EXPECT_FLOAT_EQ(x[600], 1.0f);

  c.resetForHit();
  std::vector<float> y(96, 1.0f);
  c.processMono(y.data(), 96, m, kBase);
  EXPECT_FLOAT_EQ(y[23], 0.5f);  // 46 samples
}

TEST(VoiceChain, TempoSyncedAttack) {
  ModLayers m = defaults();
  set(m, v::kAmpSync, 1.0f);
  set(m, v::kAmpAtkDiv, 2.0f);  // 1/16 at 120 BPM = 0.125 s
  set(m, v::kAmpDecDiv, 9.0f);
  VoiceChain c = prepared();
  c.setTempo(120.0);
  std::vector<float> x(12000, 1.0f);
  runMono(c, x, m, 64);
  EXPECT_NEAR(x[3000], 0.5f, 1e-4f);
  EXPECT_NEAR(x[5999], 1.0f, 1e-3f);
  EXPECT_EQ(ob::divisionBeats(2), 0.25);
  EXPECT_EQ(ob::divisionBeats(42), 4.0);
}

TEST(VoiceChain, HoldThenDecay) {
  ModLayers m = defaults();
  set(m, v::kAmpHold, 1.0f / 128.0f);  // 375 samples
  set(m, v::kAmpDecay, 0.05f);
  VoiceChain c = prepared();
  std::vector<float> x(48000, 1.0f);
  runMono(c, x, m, 64);
  EXPECT_FLOAT_EQ(x[374], 1.0f);
  EXPECT_LT(x[375], 1.0f);
  // -60 dB takes ln(1000) time constants.
  const int t60 = 374 + int(0.05 * kRate * std::log(1000.0));
  EXPECT_NEAR(x[t60], 0.001f, 1e-5f);
  EXPECT_LT(x[47999], 1e-8f);
}

TEST(VoiceChain, TransientShaperEmphasisesTheOnset) {
  std::vector<float> burst(4800, 0.0f);
  for (int i = 0; i < 2400; ++i) burst[i] = 0.5f * float(std::sin(2.0 * M_PI * 150.0 * i / kRate));
  auto run = [&](float atk, float sus) {
    ModLayers m = defaults();
    set(m, v::kTsAttack, atk);
    set(m, v::kTsSustain, sus);
    VoiceChain c = prepared();
    auto x = burst;
    runMono(c, x, m);
    return x;
  };
  const auto flat = run(0.0f, 0.0f), punch = run(1.0f, 0.0f), soft = run(-1.0f, 0.0f);
  const auto sustain = run(0.0f, 1.0f);
  EXPECT_GT(rms(punch, 0, 240), 1.2 * rms(flat, 0, 240));
  EXPECT_LT(rms(soft, 0, 240), 0.8 * rms(flat, 0, 240));
  EXPECT_NEAR(rms(punch, 1800, 2400), rms(flat, 1800, 2400), 0.05 * rms(flat, 1800, 2400));
  EXPECT_NEAR(rms(sustain, 0, 48), rms(flat, 0, 48), 0.05 * rms(flat, 0, 48));
}

TEST(VoiceChain, RoomKeepsTailAliveUntilSilent) {
  ModLayers m = defaults();
  set(m, v::kSpaceMix, 0.5f);
  VoiceChain c = prepared();
  std::vector<float> hit(64, 0.0f);
  hit[0] = 1.0f;
  c.processMono(hit.data(), 64, m, kBase);
  c.updateTail();
  EXPECT_TRUE(c.hasTail());
  // A silent machine: the room alone keeps the tail while it rings.
  int blocks = 0;
  std::vector<float> silence(64);
  bool sawWet = false;
  while (c.hasTail() && blocks < 48000) {
    std::fill(silence.begin(), silence.end(), 0.0f);
    c.processMono(silence.data(), 64, m, kBase);
    c.updateTail();
    for (float s : silence) sawWet |= std::fabs(s) > 1e-4f;
    ++blocks;
  }
  EXPECT_TRUE(sawWet);
  EXPECT_FALSE(c.hasTail());
  EXPECT_LT(blocks, 48000);
  EXPECT_GT(blocks * 64, int(0.05 * kRate));
}

// Decay time to -60 dB from the backward-integrated energy between -5 and
// -25 dB.
double rt60(const std::vector<float>& h) {
  std::vector<double> edc(h.size() + 1, 0.0);
  for (size_t i = h.size(); i-- > 0;) edc[i] = edc[i + 1] + double(h[i]) * h[i];
  int a = -1, b = -1;
  for (size_t i = 0; i < h.size(); ++i) {
    const double db = 10.0 * std::log10(edc[i] / edc[0] + 1e-300);
    if (a < 0 && db <= -5.0) a = int(i);
    if (db <= -25.0) {
      b = int(i);
      break;
    }
  }
  return 3.0 * (b - a) / kRate;
}

TEST(VoiceChain, RoomDecayFollowsTheRoomSize) {
  double previous = 0.0;
  for (float size : {0.1f, 0.5f, 0.9f}) {
    ModLayers m = defaults();
    set(m, v::kSpaceMix, 1.0f);
    set(m, v::kSpaceSize, size);
    set(m, v::kSpaceDamp, 0.0f);
    VoiceChain c = prepared();
    std::vector<float> x(int(kRate * 2), 0.0f);
    x[0] = 1.0f;
    runMono(c, x, m, 64);
    x[0] = 0.0f;  // the dry impulse; keep the room alone
    const double measured = rt60(x);
    const double expected = 3.0 * ob::roomDecayTime(size, kRate) / -std::log10(0.55 + 0.38 * size);
    EXPECT_NEAR(measured, expected, 0.12 * expected) << size;
    EXPECT_GT(measured, previous);
    previous = measured;
  }
}

TEST(VoiceChain, StereoRoomSpreadsAMonoInput) {
  ModLayers m = defaults();
  set(m, v::kSpaceMix, 1.0f);
  set(m, v::kSpaceSize, 0.7f);
  VoiceChain c = prepared();
  std::vector<float> l(4800, 0.0f), r(4800, 0.0f);
  l[0] = r[0] = 1.0f;
  for (int off = 0; off < 4800; off += 64) c.processStereo(l.data() + off, r.data() + off, 64, m, kBase);
  double diff = 0.0;
  for (int i = 1; i < 4800; ++i) diff += std::fabs(l[i] - r[i]);
  EXPECT_GT(diff, 0.1);
}

TEST(VoiceChain, InRangeParametersNeverGiveNanOrInf) {
  std::uint32_t seed = 12345;
  auto rnd = [&]() {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    return float(seed) * 0x1.0p-32f;
  };
  for (int trial = 0; trial < 40; ++trial) {
    ModLayers m;
    for (int j = 0; j < 21; ++j) {
      const ob::ParamInfo pi = ob::commonParamInfo(j);
      float u = rnd();
      if (trial % 4 == 0) u = u < 0.5f ? 0.0f : 1.0f;  // the corners
      m.layers[0][kBase + j] = pi.min + (pi.max - pi.min) * u;
    }
    VoiceChain c = prepared();
    c.setVelocity(rnd());
    auto l = noise(2048, 1000 + trial, 1.0f), r = noise(2048, 77 + trial, 1.0f);
    for (int off = 0; off < 2048; off += 8) {
      if (trial & 1) {
        c.processStereo(l.data() + off, r.data() + off, 8, m, kBase);
      } else {
        c.processMono(l.data() + off, 8, m, kBase);
      }
      c.updateTail();
    }
    for (int i = 0; i < 2048; ++i) {
      ASSERT_TRUE(std::isfinite(l[i]) && std::isfinite(r[i])) << trial << " " << i;
    }
  }
}

TEST(FadeOutRamp, ReachesSilenceInThreeMilliseconds) {
  ob::FadeOutRamp f;
  std::vector<float> x(512, 1.0f);
  ob::fadeOutRamp(f, x.data(), nullptr, 512);  // not running: untouched
  EXPECT_EQ(x[511], 1.0f);

  f.start(kRate);
  EXPECT_TRUE(f.running);
  const int fadeLen = int(0.003 * kRate);  // 144 samples
  std::vector<float> l(512, 1.0f), r(512, -1.0f);
  for (int off = 0; off < 512; off += 8) ob::fadeOutRamp(f, l.data() + off, r.data() + off, 8);
  EXPECT_FALSE(f.running);
  EXPECT_TRUE(f.finished);
  EXPECT_EQ(f.gain, 0.0f);
  EXPECT_FLOAT_EQ(l[0], 1.0f);
  for (int i = 1; i < fadeLen; ++i) ASSERT_LT(l[i], l[i - 1]);
  EXPECT_LT(l[fadeLen], 1e-5f);
  // The rest of the finishing block is silent; later blocks are the
  // caller's, which stops the voice once the fade has finished.
  for (int i = fadeLen + 1; i < 152; ++i) ASSERT_EQ(l[i], 0.0f) << i;
  EXPECT_EQ(l[152], 1.0f);
  for (int i = 0; i < 152; ++i) ASSERT_FLOAT_EQ(r[i], -l[i]);
  // Finishes within the block that reaches zero, even at its last sample.
  ob::FadeOutRamp g;
  g.start(kRate);
  g.step = 0.25f;
  std::vector<float> four(4, 1.0f);
  ob::fadeOutRamp(g, four.data(), nullptr, 4);
  EXPECT_TRUE(g.finished);
  EXPECT_FLOAT_EQ(four[3], 0.25f);
}

}  // namespace chain_voice_chain_test
