#include "document/wav/sample_encoding.h"

#include <cstring>
#include <limits>

namespace ob {
namespace {

// One sample as the file stores it: the inverse of the decoder for every
// value it gives, PCM left-justified in its container.
template <SampleCoding kCoding>
void encodeSample(float x, std::uint8_t* to) {
  constexpr std::uint32_t kBytes = codedSampleBytes(kCoding);
  std::uint64_t word = 0;
  if constexpr (kCoding == SampleCoding::Float32) {
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    word = bits;
  } else if constexpr (kCoding == SampleCoding::Float64) {
    const double wide = x;
    std::memcpy(&word, &wide, sizeof word);
  } else {
    // Decoded PCM is a whole multiple of 2^-31 in [-1, 1).
    const std::int32_t whole = !(x >= -1.0f) ? std::numeric_limits<std::int32_t>::min()
                               : x >= 1.0f   ? std::numeric_limits<std::int32_t>::max()
                                             : static_cast<std::int32_t>(x * 2147483648.0f);
    word = static_cast<std::uint32_t>(whole) >> (32 - 8 * kBytes);
    if constexpr (kBytes == 1) word ^= 0x80u;
  }
  for (std::uint32_t b = 0; b < kBytes; ++b) to[b] = static_cast<std::uint8_t>(word >> (8 * b));
}

// count samples from `first` on, the channels interleaved.
template <SampleCoding kCoding>
void encodeSamples(std::span<const float> left, std::span<const float> right, std::uint64_t first,
                   std::size_t count, std::uint8_t* to) {
  constexpr std::uint32_t kBytes = codedSampleBytes(kCoding);
  if (right.empty()) {
    for (std::size_t k = 0; k < count; ++k) encodeSample<kCoding>(left[first + k], to + k * kBytes);
    return;
  }
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint64_t sample = first + k;
    encodeSample<kCoding>(((sample & 1u) != 0 ? right : left)[sample / 2], to + k * kBytes);
  }
}

}  // namespace

void encodeSamplesAs(SampleCoding coding, std::span<const float> left, std::span<const float> right,
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

}  // namespace ob
