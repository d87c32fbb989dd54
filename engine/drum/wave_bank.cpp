#include "engine/drum/wave_bank.h"

#include <cmath>
#include <memory>
#include <vector>

#include "engine/dsp/fast_math.h"

namespace ob {
namespace {

double partialAmplitude(int bank, int wave, int k) {
  switch (bank) {
    case 0:
      switch (wave) {
        case 0: return k == 1 ? 1.0 : 0.0;
        case 1: return (k % 2 == 1) ? (((k - 1) / 2) % 2 == 0 ? 1.0 : -1.0) / (double(k) * k) : 0.0;
        case 2: return 1.0 / k;
        default: return (k % 2 == 1) ? 1.0 / k : 0.0;
      }
    case 1: {
      static constexpr int kMaxPartials[kWavesPerBank] = {1, 3, 8, 20};
      return k <= kMaxPartials[wave] ? 1.0 / k : 0.0;
    }
    default: {
      static constexpr double kDuty[kWavesPerBank] = {0.1, 0.25, 0.4, 0.5};
      return std::fabs(std::sin(k * kPi * kDuty[wave])) / k;
    }
  }
}

std::unique_ptr<float[]> buildBank() {
  auto bank = std::make_unique<float[]>(kWaveBankFloats);
  // sin(k 2pi i / N) depends only on k i mod N, so one period of the sine
  // serves every partial.
  std::vector<double> sine(kWavePoints);
  for (int i = 0; i < kWavePoints; ++i) sine[i] = std::sin(kTwoPi * i / kWavePoints);
  std::vector<double> acc(kWavePoints);
  for (int b = 0; b < kWaveBanks; ++b) {
    for (int w = 0; w < kWavesPerBank; ++w) {
      for (int level = 0; level < kWaveLevels; ++level) {
        const int partials = 512 >> level;
        std::fill(acc.begin(), acc.end(), 0.0);
        for (int k = 1; k <= partials; ++k) {
          const double a = partialAmplitude(b, w, k);
          if (a == 0.0) continue;
          for (int i = 0, idx = 0; i < kWavePoints; ++i, idx = (idx + k) & (kWavePoints - 1))
            acc[i] += a * sine[idx];
        }
        double peak = 1e-9;
        for (double v : acc) peak = std::fmax(peak, std::fabs(v));
        float* table = bank.get() + waveTableOffset(b, w, level);
        for (int i = 0; i < kWavePoints; ++i) table[i] = static_cast<float>(acc[i] / peak);
        table[kWavePoints] = table[0];
      }
    }
  }
  return bank;
}

}  // namespace

const float* drumWaveBank() {
  // Freed with the library: a host that unloads the plug-in deactivates it
  // first, so no audio thread can still be reading.
  static const std::unique_ptr<float[]> bank = buildBank();
  return bank.get();
}

}  // namespace ob
