#pragma once
// The wavetable body's bank waves: three banks of four spectra of 48
// harmonics, morphed between neighbouring spectra. The spectra are
// constant tables made once; a frame only sums them.

namespace orbi::graph {

inline constexpr int kBankCount = 3;
inline constexpr int kBankHarmonics = 48;

// The wave of bank b (kept within the banks) at morph 0..1 and phase 0..1.
float bankWave(int bank, float morph, float phase);

}  // namespace orbi::graph
