// Small DSP pieces: the state-variable filter, the pinking filter, the
// noise source, the DC blocker and the fast sine.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/dsp/dc_blocker.h"
#include "engine/dsp/fast_math.h"
#include "engine/dsp/noise.h"
#include "engine/dsp/pink_filter.h"
#include "engine/dsp/svf.h"
#include "engine/dsp/unit_range.h"

namespace dsp_filters_test {

enum class Out { Low, Band, High };

// Steady-state gain for a sine at freq.
template <class Process>
double sineGain(Process process, double freq, double rate) {
  const int settle = static_cast<int>(rate);  // long enough for 5 Hz poles
  const int measure = static_cast<int>(rate / 2);
  double peak = 0.0;
  for (int i = 0; i < settle + measure; ++i) {
    const double y = process(static_cast<float>(std::sin(2.0 * M_PI * freq * i / rate)));
    if (i >= settle) peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

double svfGain(float cutoff, float q, double freq, double rate, Out out) {
  ob::Svf f;
  f.setup(cutoff, q, rate);
  return sineGain(
      [&](float x) {
        const ob::SvfOutput o = f.tick(x);
        return out == Out::Low ? o.low : (out == Out::Band ? o.band : o.high);
      },
      freq, rate);
}

double db(double g) { return 20.0 * std::log10(g); }

TEST(Svf, ResponsesAtCutoffAndFarFromIt) {
  for (double rate : {44100.0, 48000.0}) {
    const float q = static_cast<float>(1.0 / std::sqrt(2.0));
    EXPECT_NEAR(db(svfGain(1000.0f, q, 1000.0, rate, Out::Low)), -3.01, 0.1);
    EXPECT_NEAR(db(svfGain(1000.0f, q, 1000.0, rate, Out::High)), -3.01, 0.1);
    EXPECT_NEAR(svfGain(1000.0f, q, 50.0, rate, Out::Low), 1.0, 0.01);
    EXPECT_LT(db(svfGain(1000.0f, q, 50.0, rate, Out::High)), -40.0);
    EXPECT_LT(db(svfGain(1000.0f, q, 10000.0, rate, Out::Low)), -35.0);
    // The band output peaks at the centre with a gain of Q and falls off around it.
    const double centre = svfGain(2000.0f, 5.0f, 2000.0, rate, Out::Band);
    EXPECT_NEAR(centre, 5.0, 0.05);
    EXPECT_LT(svfGain(2000.0f, 5.0f, 1000.0, rate, Out::Band), 0.2 * centre);
    EXPECT_LT(svfGain(2000.0f, 5.0f, 4000.0, rate, Out::Band), 0.2 * centre);
  }
}

TEST(Svf, CoefficientsAndSilentStates) {
  ob::Svf f;
  f.setup(1000.0f, 2.0f, 48000.0);
  EXPECT_FLOAT_EQ(f.g, std::tan(static_cast<float>(M_PI * 1000.0 / 48000.0)));
  EXPECT_FLOAT_EQ(f.k, 0.5f);
  EXPECT_FLOAT_EQ(f.a1, 1.0f / (1.0f + f.g * (f.g + f.k)));
  EXPECT_FLOAT_EQ(f.a2, f.g * f.a1);
  EXPECT_FLOAT_EQ(f.a3, f.g * f.a2);
  for (int i = 0; i < 100; ++i) f.tick(1.0f);
  for (int i = 0; i < 200000; ++i) f.tick(0.0f);
  // A silent filter settles to exact zeros, never to denormals.
  EXPECT_EQ(f.ic1eq, 0.0f);
  EXPECT_EQ(f.ic2eq, 0.0f);
}

TEST(PinkFilter, GainAtOneKilohertzAndSlope) {
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    ob::PinkFilter p;
    p.setup(rate);
    const double g1k = sineGain([&](float x) { return p.process(x); }, 1000.0, rate);
    EXPECT_NEAR(g1k, std::sqrt(rate / 44100.0), 0.01 * std::sqrt(rate / 44100.0)) << rate;
    p.clear();
    const double g100 = sineGain([&](float x) { return p.process(x); }, 100.0, rate);
    p.clear();
    const double g10k = sineGain([&](float x) { return p.process(x); }, 10000.0, rate);
    // About -3 dB an octave: +10 dB a decade down, -10 dB a decade up.
    EXPECT_NEAR(db(g100 / g1k), 10.0, 1.0) << rate;
    EXPECT_NEAR(db(g10k / g1k), -10.0, 1.0) << rate;
  }
}

TEST(Noise, RangeMeanAndSequence) {
  std::uint32_t s = 0x9E3779B9u;
  double sum = 0.0;
  double sq = 0.0;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    const float v = ob::whiteNoise(s);
    ASSERT_GE(v, -1.0f);
    ASSERT_LE(v, 1.0f);
    sum += v;
    sq += v * v;
  }
  EXPECT_NEAR(sum / n, 0.0, 0.01);
  EXPECT_NEAR(sq / n, 1.0 / 3.0, 0.01);  // uniform on [-1, 1]
  // xorshift32 (13, 17, 5) from 1.
  std::uint32_t one = 1;
  ob::whiteNoise(one);
  EXPECT_EQ(one, 270369u);
}

TEST(DcBlocker, RemovesOffsetKeepsAudio) {
  const double rate = 48000.0;
  ob::DcBlocker dc;
  dc.setRate(rate);
  EXPECT_FLOAT_EQ(dc.pole, static_cast<float>(1.0 - 10.0 * M_PI / rate));
  float y = 0.0f;
  for (int i = 0; i < 48000; ++i) y = dc.process(0.5f);
  EXPECT_LT(std::fabs(y), 1e-6f);
  dc.clear();
  EXPECT_NEAR(sineGain([&](float x) { return dc.process(x); }, 100.0, rate), 1.0, 0.01);
  // Silence decays to exact zeros.
  dc.clear();
  dc.process(1.0f);
  for (int i = 0; i < 1000000; ++i) y = dc.process(0.0f);
  EXPECT_EQ(y, 0.0f);
  EXPECT_EQ(dc.prevOut, 0.0f);
}

TEST(FastMath, SineAndPhaseWrap) {
  double worst = 0.0;
  EXPECT_DOUBLE_EQ(ob::wrapPhase(ob::kTwoPi + 0.5), 0.5);
  EXPECT_DOUBLE_EQ(ob::wrapPhase(1.0), 1.0);
  const double big = ob::wrapPhase(1000.0);
  EXPECT_GE(big, 0.0);
  EXPECT_LT(big, ob::kTwoPi);
  EXPECT_NEAR(std::sin(big), std::sin(1000.0), 1e-9);
  // Oscillator phases on [0, 2 pi], one at a time and four at a time.
  worst = 0.0;
  for (double x = 0.0; x <= ob::kTwoPi; x += 0.0001) {
    const float f = static_cast<float>(x);
    const float one = ob::fastSinPhase(f);
    const ob::Float4 four = ob::fastSinPhase4(ob::Float4{f, f, f, f});
    ASSERT_EQ(one, four[0]);
    ASSERT_EQ(one, four[3]);
    worst = std::max(worst, std::fabs(double(one) - std::sin(double(f))));
  }
  EXPECT_LT(worst, 5e-7);
  worst = 0.0;
  for (double x = -12.0; x < 12.0; x += 0.0003)
    worst = std::max(worst, std::fabs(double(ob::fastTanh(float(x))) - std::tanh(double(float(x)))));
  EXPECT_LT(worst, 1e-6);
  EXPECT_LE(ob::fastTanh(100.0f), 1.0f);
  EXPECT_GE(ob::fastTanh(-100.0f), -1.0f);
  EXPECT_NEAR(ob::decayFactor(0.01f, 48000.0), std::exp(-1.0 / 480.0), 1e-7);
  EXPECT_EQ(ob::decayFactor(-1.0f, 48000.0), ob::decayFactor(0.0001f, 48000.0));
}

// Host values, file values and modulation sums: NaN must read as 0, while
// the plain clamp is kept for values already known to be numbers.
template <class T>
void expectUnitClamps() {
  const T nan = std::numeric_limits<T>::quiet_NaN();
  const T inf = std::numeric_limits<T>::infinity();
  const struct {
    T in, want;
  } cases[] = {{T(-2), T(0)}, {T(0), T(0)}, {T(0.25), T(0.25)}, {T(1), T(1)},
               {T(7), T(1)},  {-inf, T(0)}, {inf, T(1)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ob::clamp01NanTo0(c.in), c.want);
    EXPECT_EQ(ob::clamp01(c.in), c.want);
  }
  EXPECT_EQ(ob::clamp01NanTo0(nan), T(0));
  EXPECT_EQ(ob::clamp01NanTo0(-nan), T(0));
  EXPECT_TRUE(std::isnan(ob::clamp01(nan)));
}

TEST(UnitRange, ClampsAndReadsNanAsZero) {
  expectUnitClamps<float>();
  expectUnitClamps<double>();
}

}  // namespace dsp_filters_test
