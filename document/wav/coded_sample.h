#pragma once
// One sample of each coding both ways: as its file stores it, a word of its
// bytes little-endian, and as the pool holds it, a float. The decoder and
// the encoder are made of these, inline, so that their loops over many
// samples widen to the machine's vectors, and so that a decode can code
// each sample again as it goes, to tell whether its audio gives the file
// back.

#include <bit>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "document/little_endian.h"
#include "engine/pool/sample_coding.h"
#include "engine/pool/sample_limits.h"

namespace ob::coded {

// The word a sample's bytes make: 24-bit PCM in the low bytes of 32 bits.
template <SampleCoding kCoding>
using Word = std::conditional_t<
    codedSampleBytes(kCoding) == 1, std::uint8_t,
    std::conditional_t<codedSampleBytes(kCoding) == 2, std::uint16_t,
                       std::conditional_t<codedSampleBytes(kCoding) <= 4, std::uint32_t, std::uint64_t>>>;

template <SampleCoding kCoding>
inline Word<kCoding> load(const std::uint8_t* p) {
  if constexpr (kCoding == SampleCoding::Pcm8) {
    return p[0];
  } else if constexpr (kCoding == SampleCoding::Pcm24) {
    return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16;
  } else {
    return loadLE<Word<kCoding>>(p);
  }
}

template <SampleCoding kCoding>
inline void store(std::uint8_t* p, Word<kCoding> word) {
  if constexpr (kCoding == SampleCoding::Pcm8) {
    p[0] = word;
  } else if constexpr (kCoding == SampleCoding::Pcm24) {
    for (int b = 0; b < 3; ++b) p[b] = static_cast<std::uint8_t>(word >> (8 * b));
  } else {
    storeLE(p, word);
  }
}

// Four 24-bit samples as the three little-endian words they fill, both
// ways, where three bytes at a time would not widen.
inline void loadPcm24Group(const std::uint8_t* p, std::uint32_t words[4]) {
  const std::uint32_t w0 = loadLE<std::uint32_t>(p), w1 = loadLE<std::uint32_t>(p + 4),
                      w2 = loadLE<std::uint32_t>(p + 8);
  words[0] = w0 & 0xFFFFFFu;
  words[1] = w0 >> 24 | (w1 & 0xFFFFu) << 8;
  words[2] = w1 >> 16 | (w2 & 0xFFu) << 16;
  words[3] = w2 >> 8;
}
inline void storePcm24Group(std::uint8_t* p, const std::uint32_t words[4]) {
  storeLE(p, words[0] | words[1] << 24);
  storeLE(p + 4, words[1] >> 8 | words[2] << 16);
  storeLE(p + 8, words[2] >> 16 | words[3] << 8);
}

// Which bits of PCM left-justified in 32 carry its value: those below the
// valid ones are padding.
inline std::uint32_t pcmMask(std::uint32_t validBits) {
  return validBits >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> validBits);
}

inline constexpr std::uint32_t kLimitBits = std::bit_cast<std::uint32_t>(kMaxSampleMagnitude);

// The sample a word holds, PCM left-justified in its container (8-bit PCM
// unsigned). A float that is no number decodes as silence; one past the
// limit too, and sets `past`, since its file is then refused whole.
template <SampleCoding kCoding>
inline float decoded(Word<kCoding> word, std::uint32_t pcmMask, std::uint32_t& past) {
  if constexpr (kCoding == SampleCoding::Float32) {
    const std::uint32_t magnitude = word & 0x7FFFFFFFu;
    past |= std::uint32_t(magnitude > kLimitBits) & std::uint32_t(magnitude <= 0x7F800000u);
    return std::bit_cast<float>(magnitude <= kLimitBits ? word : 0u);
  } else if constexpr (kCoding == SampleCoding::Float64) {
    const double x = std::bit_cast<double>(word);
    const double magnitude = x < 0.0 ? -x : x;  // no number is neither within the limit nor past it
    past |= std::uint32_t(magnitude > static_cast<double>(kMaxSampleMagnitude));
    // Narrowed only within the limit: narrowing is undefined past the
    // float range.
    return static_cast<float>(magnitude <= static_cast<double>(kMaxSampleMagnitude) ? x : 0.0);
  } else {
    constexpr std::uint32_t kShift = 32 - 8 * codedSampleBytes(kCoding);
    std::uint32_t v = (static_cast<std::uint32_t>(word) << kShift) & pcmMask;
    if constexpr (kCoding == SampleCoding::Pcm8) v ^= 0x80000000u;
    return static_cast<float>(static_cast<std::int32_t>(v)) * (1.0f / 2147483648.0f);
  }
}

// The word a sample is stored as: the inverse of `decoded` for every value
// it gives. Decoded PCM is a whole multiple of 2^-31 in [-1, 1).
template <SampleCoding kCoding>
inline Word<kCoding> coded(float x) {
  if constexpr (kCoding == SampleCoding::Float32) {
    return std::bit_cast<std::uint32_t>(x);
  } else if constexpr (kCoding == SampleCoding::Float64) {
    return std::bit_cast<std::uint64_t>(static_cast<double>(x));
  } else {
    const auto whole = static_cast<std::uint32_t>(!(x >= -1.0f) ? std::numeric_limits<std::int32_t>::min()
                                                  : x >= 1.0f   ? std::numeric_limits<std::int32_t>::max()
                                                              : static_cast<std::int32_t>(x * 2147483648.0f));
    std::uint32_t word = whole >> (32 - 8 * codedSampleBytes(kCoding));
    if constexpr (kCoding == SampleCoding::Pcm8) word ^= 0x80u;
    return static_cast<Word<kCoding>>(word);
  }
}

}  // namespace ob::coded
