#pragma once
// Drives the drum machine as a player would, without it: a modulation block
// at the drum's defaults, hits rendered in blocks and pitch measurement.
#include <algorithm>
#include <cmath>
#include <vector>

#include "dft.h"
#include "engine/drum/drum_machine.h"
#include "engine/drum/drum_params.h"
#include "engine/machine/mod_layers.h"
#include "engine/params/param_tables.h"

namespace drumtest {

inline ob::ModLayers defaultLayers() {
  ob::ModLayers mod;
  for (int i = 0; i < ob::paramCount(ob::kMachineDrum); ++i)
    mod.layers[0][i] = ob::paramInfo(ob::kMachineDrum, i).defaultValue;
  return mod;
}

// Everything silent and clean: no exciters, no body, no drive.
inline ob::ModLayers quietLayers() {
  using namespace ob::drum_param;
  ob::ModLayers mod = defaultLayers();
  mod.layers[0][kExc1Type] = 0;
  mod.layers[0][kExc2Type] = 0;
  mod.layers[0][kResType] = 0;
  mod.layers[0][kDistAmt] = 0;
  mod.layers[0][kLevel] = 1;
  mod.layers[0][kResLevel] = 1;
  return mod;
}

inline void set(ob::ModLayers& mod, int index, float v) { mod.layers[0][index] = v; }

struct Hit {
  std::vector<float> left;
  std::vector<float> right;
  int endFrame = -1;  // frame count at which the voice stopped; -1 if still sounding
};

// Renders a hit in blocks (serial advancing per block, like the engine).
inline Hit renderHit(ob::DrumMachine& m, ob::ModLayers mod, int maxFrames, bool stereo, int block = 8,
                     float note = 60.0f, float velocity = 1.0f) {
  Hit h;
  h.left.assign(maxFrames, 0.0f);
  if (stereo) h.right.assign(maxFrames, 0.0f);
  m.trigger(note, velocity);
  for (int pos = 0; pos < maxFrames; pos += block) {
    const int n = std::min(block, maxFrames - pos);
    mod.serial++;
    mod.rampLength = n;
    if (stereo)
      m.renderStereo(h.left.data() + pos, h.right.data() + pos, n, mod);
    else
      m.renderMono(h.left.data() + pos, n, mod);
    if (!m.isActive()) {
      h.endFrame = pos + n;
      break;
    }
  }
  return h;
}

inline float peakAbs(const std::vector<float>& x, size_t from = 0, size_t to = SIZE_MAX) {
  float p = 0.0f;
  for (size_t i = from; i < std::min(to, x.size()); ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

inline bool allFinite(const std::vector<float>& x) {
  return std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
}

// Hann-windowed DFT magnitude at one frequency.
inline double dftMagnitude(const std::vector<float>& x, size_t from, size_t count, double freq, double rate) {
  return dft::HannStretch(x, from, count).magnitudeAt(freq, rate);
}

// Frequency of the strongest component between lo and hi Hz: a coarse scan
// then a golden-section search around the best point.
inline double peakFrequency(const std::vector<float>& x, size_t from, size_t count, double rate, double lo,
                            double hi) {
  const dft::HannStretch stretch(x, from, count);
  const int steps = 60;
  double best = lo;
  double bestMag = -1.0;
  const double ratio = std::pow(hi / lo, 1.0 / steps);
  double f = lo;
  for (int i = 0; i <= steps; ++i, f *= ratio) {
    const double m = stretch.magnitudeAt(f, rate);
    if (m > bestMag) {
      bestMag = m;
      best = f;
    }
  }
  double a = best / ratio;
  double b = best * ratio;
  const double g = 0.6180339887498949;
  for (int it = 0; it < 30; ++it) {
    const double c = b - g * (b - a);
    const double d = a + g * (b - a);
    if (stretch.magnitudeAt(c, rate) > stretch.magnitudeAt(d, rate))
      b = d;
    else
      a = c;
  }
  return 0.5 * (a + b);
}

inline double cents(double measured, double expected) { return 1200.0 * std::log2(measured / expected); }

}  // namespace drumtest
