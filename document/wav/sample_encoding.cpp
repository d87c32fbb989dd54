#include "document/wav/sample_encoding.h"

#include "document/archive/cpu_features.h"
#include "document/wav/coded_sample.h"

namespace ob {
namespace {

template <SampleCoding kCoding>
inline void encodeSample(float x, std::uint8_t* to) {
  coded::store<kCoding>(to, coded::coded<kCoding>(x));
}

inline void encodePcm24Group(float a, float b, float c, float d, std::uint8_t* to) {
  const std::uint32_t words[4] = {coded::coded<SampleCoding::Pcm24>(a), coded::coded<SampleCoding::Pcm24>(b),
                                  coded::coded<SampleCoding::Pcm24>(c), coded::coded<SampleCoding::Pcm24>(d)};
  coded::storePcm24Group(to, words);
}

// count samples from `first` on, the channels interleaved: a whole run of
// frames in a loop the compiler widens, a frame the run's ends cut one
// sample at a time.
template <SampleCoding kCoding>
void encodeSamples(std::span<const float> left, std::span<const float> right, std::uint64_t first,
                   std::size_t count, std::uint8_t* to) {
  constexpr std::uint32_t kBytes = codedSampleBytes(kCoding);
  if (right.empty()) {
    const float* from = left.data() + first;
    std::size_t k = 0;
    if constexpr (kCoding == SampleCoding::Pcm24) {
      for (; k + 4 <= count; k += 4)
        encodePcm24Group(from[k], from[k + 1], from[k + 2], from[k + 3], to + k * kBytes);
    }
    for (; k < count; ++k) encodeSample<kCoding>(from[k], to + k * kBytes);
    return;
  }
  const auto one = [&](std::uint64_t sample) {
    encodeSample<kCoding>(((sample & 1u) != 0 ? right : left)[sample / 2], to + (sample - first) * kBytes);
  };
  std::uint64_t sample = first;
  const std::uint64_t end = first + count;
  if ((sample & 1u) != 0 && sample < end) one(sample++);
  const std::size_t frames = static_cast<std::size_t>((end - sample) / 2);
  const float* l = left.data() + sample / 2;
  const float* r = right.data() + sample / 2;
  std::uint8_t* out = to + (sample - first) * kBytes;
  std::size_t f = 0;
  if constexpr (kCoding == SampleCoding::Pcm24) {
    for (; f + 2 <= frames; f += 2) encodePcm24Group(l[f], r[f], l[f + 1], r[f + 1], out + 2 * f * kBytes);
  }
  for (; f < frames; ++f) {
    encodeSample<kCoding>(l[f], out + 2 * f * kBytes);
    encodeSample<kCoding>(r[f], out + (2 * f + 1) * kBytes);
  }
  sample += 2 * std::uint64_t(frames);
  if (sample < end) one(sample);
}

inline void encodeAnyCoding(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                            std::uint64_t first, std::size_t count, std::uint8_t* to) {
  switch (coding) {
    case SampleCoding::Pcm8: return encodeSamples<SampleCoding::Pcm8>(left, right, first, count, to);
    case SampleCoding::Pcm16: return encodeSamples<SampleCoding::Pcm16>(left, right, first, count, to);
    case SampleCoding::Pcm24: return encodeSamples<SampleCoding::Pcm24>(left, right, first, count, to);
    case SampleCoding::Pcm32: return encodeSamples<SampleCoding::Pcm32>(left, right, first, count, to);
    case SampleCoding::Float32: return encodeSamples<SampleCoding::Float32>(left, right, first, count, to);
    case SampleCoding::Float64: return encodeSamples<SampleCoding::Float64>(left, right, first, count, to);
  }
}

using Encoder = void (*)(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                         std::uint64_t first, std::size_t count, std::uint8_t* to);

#if defined(__x86_64__)
// The same loops, every call in them inlined, built for vectors twice as
// wide.
__attribute__((target("avx2"), flatten)) void wideEncodeSamplesAs(SampleCoding coding,
                                                                  std::span<const float> left,
                                                                  std::span<const float> right,
                                                                  std::uint64_t first, std::size_t count,
                                                                  std::uint8_t* to) {
  encodeAnyCoding(coding, left, right, first, count, to);
}
#endif

Encoder chooseEncoder() {
#if defined(__x86_64__)
  if (cpuHasWideVectors()) return wideEncodeSamplesAs;
#endif
  return portableEncodeSamplesAs;
}

}  // namespace

void encodeSamplesAs(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                     std::uint64_t first, std::size_t count, std::uint8_t* to) {
  static const Encoder encoder = chooseEncoder();
  encoder(coding, left, right, first, count, to);
}

void portableEncodeSamplesAs(SampleCoding coding, std::span<const float> left, std::span<const float> right,
                             std::uint64_t first, std::size_t count, std::uint8_t* to) {
  encodeAnyCoding(coding, left, right, first, count, to);
}

}  // namespace ob
