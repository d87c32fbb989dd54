#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/chain/space_reverb.h"

namespace chain_space_reverb_test {

using ob::SpaceReverb;

// Impulse response of a configured network, mono sum of both outputs.
std::vector<float> impulseResponse(SpaceReverb& rv, int frames) {
  std::vector<float> in(frames, 0.0f), l(frames), r(frames), out(frames);
  in[0] = 1.0f;
  for (int off = 0; off < frames; off += 64) {
    const int n = std::min(64, frames - off);
    rv.process(in.data() + off, l.data() + off, r.data() + off, n);
  }
  for (int i = 0; i < frames; ++i) out[i] = 0.5f * (l[i] + r[i]);
  return out;
}

// Decay time to -60 dB from the slope of the energy envelope (Schroeder
// backward integration between -5 and -25 dB).
double measureRt60(const std::vector<float>& h, double rate) {
  std::vector<double> edc(h.size() + 1, 0.0);
  for (size_t i = h.size(); i-- > 0;) edc[i] = edc[i + 1] + double(h[i]) * h[i];
  const double total = edc[0];
  int i5 = -1, i25 = -1;
  for (size_t i = 0; i < h.size(); ++i) {
    const double db = 10.0 * std::log10(edc[i] / total + 1e-300);
    if (i5 < 0 && db <= -5.0) i5 = int(i);
    if (i25 < 0 && db <= -25.0) {
      i25 = int(i);
      break;
    }
  }
  EXPECT_GT(i5, 0);
  EXPECT_GT(i25, i5);
  return 3.0 * (i25 - i5) / rate;
}

TEST(RoomDecayTime, MeanLineLengthAndGuards) {
  // 754.5 * s / 44100 for any positive rate, s = 0.45 + 0.55 * size.
  EXPECT_NEAR(ob::roomDecayTime(0.0f, 44100.0), 754.5 * 0.45 / 44100.0, 1e-7);
  EXPECT_NEAR(ob::roomDecayTime(1.0f, 44100.0), 754.5 / 44100.0, 1e-7);
  EXPECT_NEAR(ob::roomDecayTime(1.0f, 96000.0), 754.5 / 44100.0, 1e-7);
  EXPECT_NEAR(ob::roomDecayTime(0.35f, 48000.0), 754.5 * (0.45 + 0.55 * 0.35) / 44100.0, 1e-7);
  // Sizes outside 0..1 clamp; a missing rate never gives zero or less.
  EXPECT_FLOAT_EQ(ob::roomDecayTime(-3.0f, 44100.0), ob::roomDecayTime(0.0f, 44100.0));
  EXPECT_FLOAT_EQ(ob::roomDecayTime(7.0f, 44100.0), ob::roomDecayTime(1.0f, 44100.0));
  EXPECT_FLOAT_EQ(ob::roomDecayTime(0.5f, 0.0), ob::roomDecayTime(0.5f, 44100.0));
  EXPECT_FLOAT_EQ(ob::roomDecayTime(0.5f, -48000.0), ob::roomDecayTime(0.5f, 44100.0));
}

TEST(SpaceReverb, LineLengthsFollowSize) {
  SpaceReverb rv;
  rv.setRate(44100.0);
  EXPECT_FLOAT_EQ(rv.configure(0.0f, 0.0f), 1.0f / 0.55f);
  const int small[4] = {251, 307, 365, 435};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rv.line(k).delay, small[k]) << k;
  EXPECT_FLOAT_EQ(rv.configure(1.0f, 0.0f), 1.0f / 0.93f);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(rv.line(k).delay, SpaceReverb::kBaseLengths[k]) << k;

  // The mean line length is the room decay time, at any rate.
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    for (float size : {0.0f, 0.35f, 0.8f, 1.0f}) {
      rv.setRate(rate);
      rv.configure(size, 0.5f);
      double mean = 0.0;
      for (int k = 0; k < 4; ++k) mean += rv.line(k).delay;
      mean /= 4.0;
      EXPECT_NEAR(mean / rate, ob::roomDecayTime(size, rate), 1.0 / rate) << rate << " " << size;
    }
  }
}

TEST(SpaceReverb, LongestLineCapsAtHighRates) {
  SpaceReverb rv;
  rv.setRate(192000.0);
  rv.configure(1.0f, 0.0f);
  EXPECT_EQ(rv.line(3).delay, 4210);  // 967 / 44100 * 192000
  rv.setRate(200000.0);
  rv.configure(1.0f, 0.0f);
  EXPECT_EQ(rv.line(3).delay, SpaceReverb::kMaxDelay);
  EXPECT_LT(rv.line(2).delay, SpaceReverb::kMaxDelay);
}

TEST(SpaceReverb, ImpulseDecayMatchesRoomTime) {
  const double rate = 48000.0;
  for (float size : {0.0f, 0.35f, 1.0f}) {
    SpaceReverb rv;
    rv.setRate(rate);
    rv.configure(size, 0.0f);
    rv.clear();
    const auto h = impulseResponse(rv, int(rate * 3));
    // Designed: -60 dB after 3 mean line lengths / -log10(loop gain).
    const double g = 0.55 + 0.38 * size;
    const double expected = 3.0 * ob::roomDecayTime(size, rate) / -std::log10(g);
    const double measured = measureRt60(h, rate);
    EXPECT_NEAR(measured, expected, 0.12 * expected) << "size " << size;
  }
}

TEST(SpaceReverb, FirstOutputAfterShortestLine) {
  SpaceReverb rv;
  rv.setRate(44100.0);
  rv.configure(0.0f, 0.5f);
  rv.clear();
  const auto h = impulseResponse(rv, 1000);
  for (int i = 0; i < 251; ++i) ASSERT_EQ(h[i], 0.0f) << i;
  EXPECT_NE(h[251], 0.0f);
}

TEST(SpaceReverb, DampingShortensTheTopEnd) {
  const double rate = 48000.0;
  auto energyAfter = [&](float damp, bool highBand) {
    SpaceReverb rv;
    rv.setRate(rate);
    rv.configure(0.8f, damp);
    rv.clear();
    auto h = impulseResponse(rv, int(rate));
    // Split with a first difference (high) or a running sum (low).
    double e = 0.0, acc = 0.0, prev = 0.0;
    for (size_t i = 0; i < h.size(); ++i) {
      acc = 0.995 * acc + h[i];
      const double v = highBand ? h[i] - prev : acc * 0.005;
      prev = h[i];
      if (i > rate * 0.15) e += v * v;
    }
    return e;
  };
  // With damping the late high band loses far more than the late low band.
  const double highRatio = energyAfter(0.9f, true) / energyAfter(0.0f, true);
  const double lowRatio = energyAfter(0.9f, false) / energyAfter(0.0f, false);
  EXPECT_LT(highRatio, 0.1 * lowRatio);
  EXPECT_GT(lowRatio, 0.05);
}

TEST(SpaceReverb, DampingAboveLimitActsAsLimit) {
  SpaceReverb a, b;
  a.setRate(44100.0);
  b.setRate(44100.0);
  a.configure(0.5f, 0.95f);
  b.configure(0.5f, 3.0f);
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(a.line(k).damping, b.line(k).damping);
    EXPECT_EQ(a.line(k).feedback, b.line(k).feedback);
  }
  // No damping means an unfiltered loop.
  a.configure(0.5f, 0.0f);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(a.line(k).damping, 0.0f);
}

TEST(SpaceReverb, ClearKeepsSettingsAndSilences) {
  SpaceReverb rv;
  rv.setRate(44100.0);
  rv.configure(0.6f, 0.3f);
  auto h = impulseResponse(rv, 2000);
  const int delay = rv.line(0).delay;
  const float fb = rv.line(0).feedback;
  rv.clear();
  EXPECT_EQ(rv.line(0).delay, delay);
  EXPECT_EQ(rv.line(0).feedback, fb);
  std::vector<float> zero(512, 0.0f), l(512), r(512);
  rv.process(zero.data(), l.data(), r.data(), 512);
  for (int i = 0; i < 512; ++i) ASSERT_EQ(l[i] + r[i], 0.0f);
}

TEST(SpaceReverb, SettingTimesDirectlyIsNotHiddenByTheCache) {
  SpaceReverb rv;
  rv.setRate(44100.0);
  rv.configure(1.0f, 0.0f);
  rv.setTimes(0.25f, 0.5f, 0.5f, 4000.0f);
  EXPECT_EQ(rv.line(0).delay, 139);
  rv.configure(1.0f, 0.0f);  // same inputs as before, must restore
  EXPECT_EQ(rv.line(0).delay, 557);
}

}  // namespace chain_space_reverb_test
