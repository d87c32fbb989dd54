#include "editor/widgets/graph/bank_wave.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace orbi::graph {
namespace {

constexpr int kSpectra = 4;
using Spectrum = std::array<float, kBankHarmonics>;  // amplitude of harmonic k + 1
using Bank = std::array<Spectrum, kSpectra>;

Bank classicBank() {
  Bank bank{};
  bank[0][0] = 1.0f;  // sine
  for (int k = 1; k <= kBankHarmonics; ++k) {
    const float fk = static_cast<float>(k);
    if (k % 2 == 1) {
      bank[1][k - 1] = (((k - 1) / 2) % 2 == 1 ? -1.0f : 1.0f) / (fk * fk);  // triangle
      bank[3][k - 1] = 1.0f / fk;                                            // square
    }
    bank[2][k - 1] = 1.0f / fk;  // saw
  }
  return bank;
}

Bank harmonicBank() {
  constexpr int counts[kSpectra] = {1, 3, 8, 20};
  Bank bank{};
  for (int i = 0; i < kSpectra; ++i) {
    for (int k = 1; k <= counts[i]; ++k) bank[i][k - 1] = 1.0f / static_cast<float>(k);
  }
  return bank;
}

Bank pulseBank() {
  constexpr float widths[kSpectra] = {0.1f, 0.25f, 0.4f, 0.5f};
  Bank bank{};
  for (int i = 0; i < kSpectra; ++i) {
    for (int k = 1; k <= kBankHarmonics; ++k) {
      bank[i][k - 1] = std::fabs(std::sin(std::numbers::pi_v<float> * k * widths[i])) / static_cast<float>(k);
    }
  }
  return bank;
}

const std::array<Bank, kBankCount>& banks() {
  static const std::array<Bank, kBankCount> tables{classicBank(), harmonicBank(), pulseBank()};
  return tables;
}

}  // namespace

float bankWave(int bank, float morph, float phase) {
  const Bank& spectra = banks()[std::clamp(bank, 0, kBankCount - 1)];
  const float scaled = std::clamp(morph, 0.0f, 1.0f) * 3.0f;
  const int i = std::clamp(static_cast<int>(std::floor(scaled)), 0, kSpectra - 1);
  const float f = scaled - static_cast<float>(i);
  const Spectrum& a = spectra[i];
  const Spectrum& b = spectra[std::min(i + 1, kSpectra - 1)];
  const float w = 2.0f * std::numbers::pi_v<float> * phase;
  float sum = 0.0f;
  for (int k = 0; k < kBankHarmonics; ++k) {
    const float amplitude = a[k] + (b[k] - a[k]) * f;
    if (amplitude != 0.0f) sum += amplitude * std::sin(w * static_cast<float>(k + 1));
  }
  return sum;
}

}  // namespace orbi::graph
