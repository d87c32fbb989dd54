#pragma once
// Frequency content for the sound tests: the energy of each bin of a whole-frame DFT,
// and a Hann-windowed probe at any frequency. The sines come from a table
// or a turning phasor, never a cos() per sample, so a test can afford the
// thousands of probes a pitch search or a centroid takes (more so under the
// sanitizers).
#include <cmath>
#include <cstddef>
#include <vector>

namespace dft {

// |X_k|^2 for the bins k = 0 .. n/2 - 1 of the n-point DFT of x, n being
// x's length; with hann, of x under the window 0.5 - 0.5 cos(2 pi i / n).
inline std::vector<double> binEnergies(const std::vector<float>& x, bool hann) {
  const std::size_t n = x.size();
  std::vector<double> cosines(n);
  std::vector<double> sines(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double a = 2.0 * M_PI * static_cast<double>(i) / static_cast<double>(n);
    cosines[i] = std::cos(a);
    sines[i] = std::sin(a);
  }
  std::vector<double> samples(x.begin(), x.end());
  if (hann)
    for (std::size_t i = 0; i < n; ++i) samples[i] *= 0.5 - 0.5 * cosines[i];
  std::vector<double> energies(n / 2);
  for (std::size_t k = 0; k < n / 2; ++k) {
    double re = 0.0;
    double im = 0.0;
    std::size_t turn = 0;  // k * i mod n: the table's index of this bin's phase
    for (std::size_t i = 0; i < n; ++i) {
      re += samples[i] * cosines[turn];
      im -= samples[i] * sines[turn];
      turn += k;
      if (turn >= n) turn -= n;
    }
    energies[k] = re * re + im * im;
  }
  return energies;
}

// A stretch of a signal under a Hann window, ready to be probed at any
// frequency: the window is applied once for all probes.
class HannStretch {
 public:
  HannStretch(const std::vector<float>& x, std::size_t from, std::size_t count) : samples_(count) {
    for (std::size_t i = 0; i < count; ++i) {
      const double window = 0.5 - 0.5 * std::cos(2.0 * M_PI * (i + 0.5) / count);
      samples_[i] = x[from + i] * window;
    }
  }

  // The magnitude of the windowed DFT at freq (Hz) for a signal at rate.
  double magnitudeAt(double freq, double rate) const {
    const double w = 2.0 * M_PI * freq / rate;
    const double stepRe = std::cos(w);
    const double stepIm = -std::sin(w);
    double re = 0.0;
    double im = 0.0;
    double phaseRe = 1.0;
    double phaseIm = 0.0;
    for (std::size_t i = 0; i < samples_.size(); ++i) {
      re += samples_[i] * phaseRe;
      im += samples_[i] * phaseIm;
      const double turnedRe = phaseRe * stepRe - phaseIm * stepIm;
      phaseIm = phaseRe * stepIm + phaseIm * stepRe;
      phaseRe = turnedRe;
      if ((i & 1023) == 1023) {  // the phasor's length drifts with rounding
        const double length = std::hypot(phaseRe, phaseIm);
        phaseRe /= length;
        phaseIm /= length;
      }
    }
    return std::hypot(re, im);
  }

 private:
  std::vector<double> samples_;
};

}  // namespace dft
