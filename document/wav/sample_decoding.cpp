#include "document/wav/sample_decoding.h"

#include <algorithm>
#include <cmath>

#include "document/archive/cpu_features.h"
#include "document/wav/coded_sample.h"
#include "engine/pool/sample_data.h"

namespace ob {
namespace {

// What the loops gather, as words, so that they widen.
struct Gathered {
  std::uint32_t past = 0;     // a sample was past the limit
  std::uint32_t differs = 0;  // a sample coded again differs from its bytes
  DecodedRun run() const { return {past != 0, differs == 0}; }
};

template <SampleCoding kCoding>
inline float decodeWord(coded::Word<kCoding> word, std::uint32_t pcmMask, Gathered& gathered) {
  const float x = coded::decoded<kCoding>(word, pcmMask, gathered.past);
  gathered.differs |= std::uint32_t(coded::coded<kCoding>(x) != word);
  return x;
}

template <SampleCoding kCoding>
inline float decodeAt(const std::uint8_t* p, std::uint32_t pcmMask, Gathered& gathered) {
  return decodeWord<kCoding>(coded::load<kCoding>(p), pcmMask, gathered);
}

inline void decodePcm24Group(const std::uint8_t* p, std::uint32_t pcmMask, Gathered& gathered, float out[4]) {
  std::uint32_t words[4];
  coded::loadPcm24Group(p, words);
  for (int i = 0; i < 4; ++i) out[i] = decodeWord<SampleCoding::Pcm24>(words[i], pcmMask, gathered);
}

template <SampleCoding kCoding>
DecodedRun decodeMono(const std::uint8_t* from, std::size_t count, float* to, std::uint32_t pcmMask) {
  constexpr std::size_t kBytes = codedSampleBytes(kCoding);
  Gathered gathered;
  std::size_t k = 0;
  if constexpr (kCoding == SampleCoding::Pcm24) {
    for (; k + 4 <= count; k += 4) decodePcm24Group(from + k * kBytes, pcmMask, gathered, to + k);
  }
  for (; k < count; ++k) to[k] = decodeAt<kCoding>(from + k * kBytes, pcmMask, gathered);
  return gathered.run();
}

template <SampleCoding kCoding>
DecodedRun decodeApart(const std::uint8_t* from, std::size_t frames, float* left, float* right,
                       std::uint32_t pcmMask) {
  constexpr std::size_t kBytes = codedSampleBytes(kCoding);
  Gathered gathered;
  std::size_t f = 0;
  if constexpr (kCoding == SampleCoding::Pcm24) {
    for (; f + 2 <= frames; f += 2) {
      float group[4];
      decodePcm24Group(from + 2 * f * kBytes, pcmMask, gathered, group);
      left[f] = group[0];
      right[f] = group[1];
      left[f + 1] = group[2];
      right[f + 1] = group[3];
    }
  }
  for (; f < frames; ++f) {
    left[f] = decodeAt<kCoding>(from + 2 * f * kBytes, pcmMask, gathered);
    right[f] = decodeAt<kCoding>(from + (2 * f + 1) * kBytes, pcmMask, gathered);
  }
  return gathered.run();
}

template <SampleCoding kCoding>
inline DecodedRun decodeRun(const std::uint8_t* from, std::size_t frames, float* left, float* right,
                            std::uint32_t pcmMask) {
  return right == nullptr ? decodeMono<kCoding>(from, frames, left, pcmMask)
                          : decodeApart<kCoding>(from, frames, left, right, pcmMask);
}

inline DecodedRun decodeRunOf(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                              float* left, float* right) {
  const std::uint32_t mask = coded::pcmMask(stored.validBits);
  switch (stored.coding) {
    case SampleCoding::Pcm8: return decodeRun<SampleCoding::Pcm8>(from, frames, left, right, mask);
    case SampleCoding::Pcm16: return decodeRun<SampleCoding::Pcm16>(from, frames, left, right, mask);
    case SampleCoding::Pcm24: return decodeRun<SampleCoding::Pcm24>(from, frames, left, right, mask);
    case SampleCoding::Pcm32: return decodeRun<SampleCoding::Pcm32>(from, frames, left, right, mask);
    case SampleCoding::Float32: return decodeRun<SampleCoding::Float32>(from, frames, left, right, mask);
    case SampleCoding::Float64: return decodeRun<SampleCoding::Float64>(from, frames, left, right, mask);
  }
  return {};
}

// The run, measured while it is still at hand.
inline DecodedRun decodeAnyCoding(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                                  float* left, float* right) {
  DecodedRun run = decodeRunOf(stored, from, frames, left, right);
  std::uint32_t peak = peakBitsOf({left, frames});
  if (right != nullptr) peak = std::max(peak, peakBitsOf({right, frames}));
  run.peak = std::bit_cast<float>(peak);
  return run;
}

using Decoder = DecodedRun (*)(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                               float* left, float* right);

#if defined(__x86_64__)
// The same loops, every call in them inlined, built for vectors twice as
// wide.
__attribute__((target("avx2"), flatten)) DecodedRun wideDecodeFrames(const StoredSamples& stored,
                                                                     const std::uint8_t* from,
                                                                     std::size_t frames, float* left,
                                                                     float* right) {
  return decodeAnyCoding(stored, from, frames, left, right);
}
#endif

Decoder chooseDecoder() {
#if defined(__x86_64__)
  if (cpuHasWideVectors()) return wideDecodeFrames;
#endif
  return portableDecodeFrames;
}

}  // namespace

DecodedRun decodeFrames(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                        float* left, float* right) {
  static const Decoder decoder = chooseDecoder();
  return decoder(stored, from, frames, left, right);
}

DecodedRun portableDecodeFrames(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                                float* left, float* right) {
  return decodeAnyCoding(stored, from, frames, left, right);
}

double magnitudePastLimit(SampleCoding coding, const std::uint8_t* from, std::size_t count) {
  double peak = 0.0;
  for (std::size_t k = 0; k < count; ++k) {
    double magnitude = 0.0;
    if (coding == SampleCoding::Float32)
      magnitude = std::abs(static_cast<double>(std::bit_cast<float>(loadLE<std::uint32_t>(from + 4 * k))));
    else if (coding == SampleCoding::Float64)
      magnitude = std::abs(std::bit_cast<double>(loadLE<std::uint64_t>(from + 8 * k)));
    // No number is silence, not a sample past the limit.
    if (magnitude > static_cast<double>(kMaxSampleMagnitude)) peak = std::max(peak, magnitude);
  }
  return peak;
}

}  // namespace ob
