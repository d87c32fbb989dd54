#pragma once
// How a file stores each sample of its audio.

#include <cstdint>

namespace ob {

// PCM in a container of one to four bytes (one byte unsigned), or IEEE
// float.
enum class SampleCoding : std::uint8_t { Pcm8, Pcm16, Pcm24, Pcm32, Float32, Float64 };

constexpr std::uint32_t codedSampleBytes(SampleCoding coding) {
  switch (coding) {
    case SampleCoding::Pcm8: return 1;
    case SampleCoding::Pcm16: return 2;
    case SampleCoding::Pcm24: return 3;
    case SampleCoding::Pcm32:
    case SampleCoding::Float32: return 4;
    case SampleCoding::Float64: return 8;
  }
  return 0;
}

}  // namespace ob
