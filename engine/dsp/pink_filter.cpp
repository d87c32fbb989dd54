#include "engine/dsp/pink_filter.h"

#include <cmath>
#include <complex>

#include "engine/dsp/fast_math.h"

namespace ob {

void PinkFilter::setup(double rate) {
  const std::complex<double> zInv = std::polar(1.0, -kTwoPi * 1000.0 / rate);
  std::complex<double> h(1.0, 0.0);
  for (int k = 0; k < kSections; ++k) {
    const double fk = 5.0 * std::ldexp(1.0, k);
    const double p = std::exp(-kTwoPi * fk / rate);
    const double z = std::exp(-kTwoPi * std::sqrt(2.0) * fk / rate);
    poles[k] = static_cast<float>(p);
    zeros[k] = static_cast<float>(z);
    h *= (1.0 - z * zInv) / (1.0 - p * zInv);
  }
  const double mag = std::abs(h);
  gain = static_cast<float>(std::sqrt(rate / 44100.0) / (mag > 1e-30 ? mag : 1e-30));
  clear();
}

void PinkFilter::clear() {
  for (int k = 0; k < kSections; ++k) prevIn[k] = prevOut[k] = 0.0f;
}

}  // namespace ob
