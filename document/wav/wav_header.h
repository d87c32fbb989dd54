#pragma once
// The 44-byte head of a plain WAV file: "RIFF" and its size, "WAVE", a
// 16-byte "fmt " chunk and the "data" chunk's tag and size. The codec writes
// float files with it, the factory samples and test recordings PCM ones,
// of any depth in whole-byte containers.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/little_endian.h"

namespace ob {

inline constexpr std::size_t kWavHeaderBytes = 44;
inline constexpr std::uint16_t kWavFormatPcm = 1;
inline constexpr std::uint16_t kWavFormatFloat = 3;

// Appends the header of dataBytes of interleaved samples; the byte rate and
// block align follow from the channels and the bytes each sample takes,
// its bits' own unless a wider container is given (12 bits in 2 bytes).
// Sizes wrap at 32 bits, so a caller keeps dataBytes within them.
inline void writeWavHeader(std::vector<std::uint8_t>& out, std::uint16_t format, std::uint16_t channels,
                           std::uint32_t sampleRate, std::uint16_t bitsPerSample, std::uint32_t dataBytes,
                           std::uint16_t containerBytes = 0) {
  const auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
  const std::uint32_t sampleBytes = containerBytes != 0 ? containerBytes : bitsPerSample / 8u;
  const std::uint32_t blockAlign = static_cast<std::uint32_t>(channels) * sampleBytes;
  tag("RIFF");
  writeU32LE(out, 36 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  writeU32LE(out, 16);
  writeU16LE(out, format);
  writeU16LE(out, channels);
  writeU32LE(out, sampleRate);
  writeU32LE(out, sampleRate * blockAlign);
  writeU16LE(out, static_cast<std::uint16_t>(blockAlign));
  writeU16LE(out, bitsPerSample);
  tag("data");
  writeU32LE(out, dataBytes);
}

}  // namespace ob
