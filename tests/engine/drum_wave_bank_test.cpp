// The shared wave tables: layout, normalisation, guard points, partial
// content, and one build shared by every caller.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "engine/drum/wave_bank.h"

namespace drum_wave_bank_test {

// Amplitude of partial k in a 1024-point table (exact DFT bin).
double partial(const float* t, int k) {
  double re = 0.0;
  double im = 0.0;
  for (int i = 0; i < ob::kWavePoints; ++i) {
    const double a = 2.0 * M_PI * k * i / ob::kWavePoints;
    re += t[i] * std::cos(a);
    im += t[i] * std::sin(a);
  }
  return 2.0 * std::sqrt(re * re + im * im) / ob::kWavePoints;
}

TEST(DrumWaveBank, LayoutNormalisationAndGuardPoints) {
  const float* bank = ob::drumWaveBank();
  ASSERT_NE(bank, nullptr);
  EXPECT_EQ(ob::kWaveBankFloats, 3u * 4u * 9u * 1025u);
  EXPECT_EQ(ob::waveTableOffset(2, 3, 8), ob::kWaveBankFloats - 1025u);
  for (int b = 0; b < ob::kWaveBanks; ++b) {
    for (int w = 0; w < ob::kWavesPerBank; ++w) {
      for (int l = 0; l < ob::kWaveLevels; ++l) {
        const float* t = bank + ob::waveTableOffset(b, w, l);
        float peak = 0.0f;
        for (int i = 0; i < ob::kWavePoints; ++i) {
          ASSERT_TRUE(std::isfinite(t[i]));
          peak = std::max(peak, std::fabs(t[i]));
        }
        EXPECT_NEAR(peak, 1.0f, 1e-6f) << b << "/" << w << "/" << l;
        EXPECT_EQ(t[ob::kWavePoints], t[0]);
      }
    }
  }
}

TEST(DrumWaveBank, PartialContentPerWaveAndLevel) {
  const float* bank = ob::drumWaveBank();
  // Bank 0 sine: a single partial.
  const float* sine = bank + ob::waveTableOffset(0, 0, 0);
  EXPECT_NEAR(partial(sine, 1), 1.0, 1e-5);
  EXPECT_NEAR(partial(sine, 2), 0.0, 1e-5);
  // Bank 0 saw at level 4 (32 partials): 1/k up to 32, nothing above.
  const float* saw = bank + ob::waveTableOffset(0, 2, 4);
  const double s1 = partial(saw, 1);
  EXPECT_NEAR(partial(saw, 3) / s1, 1.0 / 3.0, 1e-4);
  EXPECT_NEAR(partial(saw, 32) / s1, 1.0 / 32.0, 1e-4);
  EXPECT_NEAR(partial(saw, 33), 0.0, 1e-5);
  // Square: odd partials only; triangle: odd partials falling as 1/k^2.
  const float* square = bank + ob::waveTableOffset(0, 3, 3);
  EXPECT_NEAR(partial(square, 2), 0.0, 1e-5);
  EXPECT_NEAR(partial(square, 5) / partial(square, 1), 0.2, 1e-4);
  const float* tri = bank + ob::waveTableOffset(0, 1, 2);
  EXPECT_NEAR(partial(tri, 3) / partial(tri, 1), 1.0 / 9.0, 1e-4);
  // Bank 1 wave 1: three partials whatever the level allows.
  const float* three = bank + ob::waveTableOffset(1, 1, 0);
  EXPECT_NEAR(partial(three, 3) / partial(three, 1), 1.0 / 3.0, 1e-4);
  EXPECT_NEAR(partial(three, 4), 0.0, 1e-5);
  // Bank 2 duty 0.5: even partials vanish.
  const float* pulse = bank + ob::waveTableOffset(2, 3, 2);
  EXPECT_NEAR(partial(pulse, 2) / partial(pulse, 1), 0.0, 1e-4);
  // Level 8 keeps two partials.
  const float* top = bank + ob::waveTableOffset(0, 2, 8);
  EXPECT_NEAR(partial(top, 2) / partial(top, 1), 0.5, 1e-4);
  EXPECT_NEAR(partial(top, 3), 0.0, 1e-5);
}

TEST(DrumWaveBank, BuiltOnceForAllThreads) {
  std::atomic<const float*> seen[4] = {};
  std::vector<std::thread> threads;
  for (auto& s : seen) threads.emplace_back([&s] { s = ob::drumWaveBank(); });
  for (auto& t : threads) t.join();
  for (auto& s : seen) EXPECT_EQ(s.load(), ob::drumWaveBank());
}

}  // namespace drum_wave_bank_test
