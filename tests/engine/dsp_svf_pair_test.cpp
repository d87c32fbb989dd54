// The stereo-pair block render of the state-variable filter must give the
// very samples and states of two scalar filters: the voice chain's sound
// may not depend on which of the two paths ran.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/dsp/noise.h"
#include "engine/dsp/svf.h"

namespace dsp_svf_pair_test {

std::uint32_t bits(float v) {
  std::uint32_t u;
  std::memcpy(&u, &v, sizeof u);
  return u;
}

float pick(const ob::SvfOutput& o, ob::SvfMode mode) {
  return mode == ob::SvfMode::kLow ? o.low : (mode == ob::SvfMode::kHigh ? o.high : o.band);
}

void runPair(ob::SvfMode mode, ob::Svf& l, ob::Svf& r, float* a, float* b, int n) {
  switch (mode) {
    case ob::SvfMode::kLow: ob::processPair<ob::SvfMode::kLow>(l, r, a, b, n); break;
    case ob::SvfMode::kHigh: ob::processPair<ob::SvfMode::kHigh>(l, r, a, b, n); break;
    case ob::SvfMode::kBand: ob::processPair<ob::SvfMode::kBand>(l, r, a, b, n); break;
  }
}

// Noise bursts with silent gaps, so the states decay through the flush to
// zero, plus a few extreme samples.
std::vector<float> signal(std::uint32_t seed, int n) {
  std::vector<float> x(n);
  for (int i = 0; i < n; ++i) {
    const float w = ob::whiteNoise(seed);
    x[i] = (i / 2000) % 2 == 0 ? w : 0.0f;
  }
  x[100] = 1.0e30f;
  x[101] = -1.0e-40f;  // a denormal input
  return x;
}

TEST(SvfPair, SamplesAndStatesMatchTwoScalarFilters) {
  const int n = 24000;
  for (ob::SvfMode mode : {ob::SvfMode::kLow, ob::SvfMode::kHigh, ob::SvfMode::kBand}) {
    for (float freq : {30.0f, 1000.0f, 15000.0f}) {
      for (float q : {0.5f, 0.707f, 9.5f}) {
        ob::Svf refL, refR, pairL, pairR;
        refL.setup(freq, q, 48000.0);
        refR.copyCoefficients(refL);
        pairL.copyCoefficients(refL);
        pairR.copyCoefficients(refL);
        refR.ic2eq = pairR.ic2eq = 0.25f;  // a filter switched on mid-signal
        std::vector<float> l = signal(7u, n), r = signal(99u, n);
        std::vector<float> pl = l, pr = r;
        for (int i = 0; i < n; ++i) {
          l[i] = pick(refL.tick(l[i]), mode);
          r[i] = pick(refR.tick(r[i]), mode);
        }
        // Uneven block lengths, as the chunked render uses.
        for (int off = 0, len = 1; off < n; off += len, len = len % 13 + 1) {
          const int m = std::min(len, n - off);
          runPair(mode, pairL, pairR, pl.data() + off, pr.data() + off, m);
        }
        for (int i = 0; i < n; ++i) {
          ASSERT_EQ(bits(l[i]), bits(pl[i])) << "left sample " << i;
          ASSERT_EQ(bits(r[i]), bits(pr[i])) << "right sample " << i;
        }
        EXPECT_EQ(bits(refL.ic1eq), bits(pairL.ic1eq));
        EXPECT_EQ(bits(refL.ic2eq), bits(pairL.ic2eq));
        EXPECT_EQ(bits(refR.ic1eq), bits(pairR.ic1eq));
        EXPECT_EQ(bits(refR.ic2eq), bits(pairR.ic2eq));
      }
    }
  }
}

TEST(SvfPair, NotANumberStaysInItsOwnLane) {
  ob::Svf l, r;
  l.setup(1000.0f, 0.707f, 48000.0);
  r.copyCoefficients(l);
  float a[4] = {std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f, 0.0f};
  float b[4] = {0.5f, 0.0f, 0.0f, 0.0f};
  ob::processPair<ob::SvfMode::kLow>(l, r, a, b, 4);
  EXPECT_TRUE(std::isnan(l.ic1eq));
  EXPECT_TRUE(std::isfinite(r.ic1eq) && std::isfinite(r.ic2eq));
  EXPECT_TRUE(std::isfinite(b[3]));
}

}  // namespace dsp_svf_pair_test
