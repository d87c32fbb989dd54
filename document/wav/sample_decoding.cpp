#include "document/wav/sample_decoding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "document/little_endian.h"
#include "engine/pool/sample_limits.h"

namespace ob {
namespace {

constexpr std::uint32_t kLimit32 = std::bit_cast<std::uint32_t>(kMaxSampleMagnitude);
constexpr std::uint32_t kInfinity32 = 0x7F800000u;
constexpr double kLimit64 = kMaxSampleMagnitude;

// One sample, from its bits alone, so that the loops over them widen:
// `past` gathers whether any was past the limit.
template <SampleCoding kCoding>
inline float decodeSample(const std::uint8_t* p, std::uint32_t pcmMask, std::uint32_t& past);

// PCM left-justified in 32 bits, the padding below its valid bits cleared.
inline float pcmValue(std::uint32_t v, std::uint32_t pcmMask) {
  return static_cast<float>(static_cast<std::int32_t>(v & pcmMask)) * (1.0f / 2147483648.0f);
}

template <>
inline float decodeSample<SampleCoding::Pcm8>(const std::uint8_t* p, std::uint32_t pcmMask, std::uint32_t&) {
  return pcmValue((static_cast<std::uint32_t>(p[0]) << 24 & pcmMask) ^ 0x80000000u, 0xFFFFFFFFu);
}
template <>
inline float decodeSample<SampleCoding::Pcm16>(const std::uint8_t* p, std::uint32_t pcmMask, std::uint32_t&) {
  return pcmValue(static_cast<std::uint32_t>(loadLE<std::uint16_t>(p)) << 16, pcmMask);
}
template <>
inline float decodeSample<SampleCoding::Pcm24>(const std::uint8_t* p, std::uint32_t pcmMask, std::uint32_t&) {
  return pcmValue(
      (p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16) << 8, pcmMask);
}
template <>
inline float decodeSample<SampleCoding::Pcm32>(const std::uint8_t* p, std::uint32_t pcmMask, std::uint32_t&) {
  return pcmValue(loadLE<std::uint32_t>(p), pcmMask);
}
template <>
inline float decodeSample<SampleCoding::Float32>(const std::uint8_t* p, std::uint32_t, std::uint32_t& past) {
  const std::uint32_t bits = loadLE<std::uint32_t>(p);
  const std::uint32_t magnitude = bits & 0x7FFFFFFFu;
  past |= std::uint32_t(magnitude > kLimit32) & std::uint32_t(magnitude <= kInfinity32);
  return std::bit_cast<float>(magnitude <= kLimit32 ? bits : 0u);
}
template <>
inline float decodeSample<SampleCoding::Float64>(const std::uint8_t* p, std::uint32_t, std::uint32_t& past) {
  const double x = std::bit_cast<double>(loadLE<std::uint64_t>(p));
  const double magnitude = std::fabs(x);  // no number is neither within the limit nor past it
  past |= std::uint32_t(magnitude > kLimit64);
  // Narrowed only within the limit, since narrowing is undefined past
  // the float range.
  return static_cast<float>(magnitude <= kLimit64 ? x : 0.0);
}

// Four 24-bit samples from the three little-endian words they fill, so
// that a run of them widens where three bytes at a time would not.
inline void decodePcm24Group(const std::uint8_t* p, std::uint32_t pcmMask, float out[4]) {
  const std::uint32_t w0 = loadLE<std::uint32_t>(p), w1 = loadLE<std::uint32_t>(p + 4),
                      w2 = loadLE<std::uint32_t>(p + 8);
  out[0] = pcmValue(w0 << 8, pcmMask);
  out[1] = pcmValue((w0 >> 16 & 0xFF00u) | w1 << 16, pcmMask);
  out[2] = pcmValue((w1 >> 8 & 0xFFFF00u) | w2 << 24, pcmMask);
  out[3] = pcmValue(w2 & 0xFFFFFF00u, pcmMask);
}

template <SampleCoding kCoding>
bool decodeRun(const std::uint8_t* from, std::size_t count, float* to, std::uint32_t pcmMask) {
  constexpr std::size_t kBytes = codedSampleBytes(kCoding);
  std::uint32_t past = 0;
  std::size_t k = 0;
  if constexpr (kCoding == SampleCoding::Pcm24) {
    for (; k + 4 <= count; k += 4) decodePcm24Group(from + k * kBytes, pcmMask, to + k);
  }
  for (; k < count; ++k) to[k] = decodeSample<kCoding>(from + k * kBytes, pcmMask, past);
  return past == 0;
}

template <SampleCoding kCoding>
bool decodeRunApart(const std::uint8_t* from, std::size_t frames, float* left, float* right,
                    std::uint32_t pcmMask) {
  constexpr std::size_t kBytes = codedSampleBytes(kCoding);
  std::uint32_t past = 0;
  std::size_t f = 0;
  if constexpr (kCoding == SampleCoding::Pcm24) {
    for (; f + 2 <= frames; f += 2) {
      float group[4];
      decodePcm24Group(from + 2 * f * kBytes, pcmMask, group);
      left[f] = group[0];
      right[f] = group[1];
      left[f + 1] = group[2];
      right[f + 1] = group[3];
    }
  }
  for (; f < frames; ++f) {
    left[f] = decodeSample<kCoding>(from + 2 * f * kBytes, pcmMask, past);
    right[f] = decodeSample<kCoding>(from + (2 * f + 1) * kBytes, pcmMask, past);
  }
  return past == 0;
}

std::uint32_t pcmMaskOf(const StoredSamples& stored) {
  return stored.validBits >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> stored.validBits);
}

}  // namespace

bool decodeSamples(const StoredSamples& stored, const std::uint8_t* from, std::size_t count, float* to) {
  const std::uint32_t mask = pcmMaskOf(stored);
  switch (stored.coding) {
    case SampleCoding::Pcm8: return decodeRun<SampleCoding::Pcm8>(from, count, to, mask);
    case SampleCoding::Pcm16: return decodeRun<SampleCoding::Pcm16>(from, count, to, mask);
    case SampleCoding::Pcm24: return decodeRun<SampleCoding::Pcm24>(from, count, to, mask);
    case SampleCoding::Pcm32: return decodeRun<SampleCoding::Pcm32>(from, count, to, mask);
    case SampleCoding::Float32: return decodeRun<SampleCoding::Float32>(from, count, to, mask);
    case SampleCoding::Float64: return decodeRun<SampleCoding::Float64>(from, count, to, mask);
  }
  return true;
}

bool decodeFramesApart(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames, float* left,
                       float* right) {
  const std::uint32_t mask = pcmMaskOf(stored);
  switch (stored.coding) {
    case SampleCoding::Pcm8: return decodeRunApart<SampleCoding::Pcm8>(from, frames, left, right, mask);
    case SampleCoding::Pcm16: return decodeRunApart<SampleCoding::Pcm16>(from, frames, left, right, mask);
    case SampleCoding::Pcm24: return decodeRunApart<SampleCoding::Pcm24>(from, frames, left, right, mask);
    case SampleCoding::Pcm32: return decodeRunApart<SampleCoding::Pcm32>(from, frames, left, right, mask);
    case SampleCoding::Float32: return decodeRunApart<SampleCoding::Float32>(from, frames, left, right, mask);
    case SampleCoding::Float64: return decodeRunApart<SampleCoding::Float64>(from, frames, left, right, mask);
  }
  return true;
}

double magnitudePastLimit(SampleCoding coding, const std::uint8_t* from, std::size_t count) {
  double peak = 0.0;
  for (std::size_t k = 0; k < count; ++k) {
    double magnitude = 0.0;
    if (coding == SampleCoding::Float32) {
      float x;
      std::memcpy(&x, from + 4 * k, sizeof x);
      magnitude = std::abs(static_cast<double>(x));
    } else if (coding == SampleCoding::Float64) {
      std::memcpy(&magnitude, from + 8 * k, sizeof magnitude);
      magnitude = std::abs(magnitude);
    }
    // No number is silence, not a sample past the limit.
    if (magnitude > static_cast<double>(kMaxSampleMagnitude)) peak = std::max(peak, magnitude);
  }
  return peak;
}

}  // namespace ob
