#pragma once
// WAV files as a user's recorder writes them, for import tests and
// benchmarks: 16-bit or 24-bit PCM or 32-bit float, or the odd depths
// converters write (12 bits in 16-bit containers, 20 in 24, plain or as
// WAVE_FORMAT_EXTENSIBLE with their valid bits), one or two channels.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/little_endian.h"
#include "document/wav/wav_header.h"

namespace orbi::test {

enum class WavFormat { Pcm16, Pcm24, Float32, Pcm12, Pcm20, Extensible20 };

struct WavDepth {
  int containerBytes;
  int bits;  // of the container that carry the value, from the top
};

inline WavDepth wavDepth(WavFormat format) {
  switch (format) {
    case WavFormat::Pcm16: return {2, 16};
    case WavFormat::Pcm24: return {3, 24};
    case WavFormat::Float32: return {4, 32};
    case WavFormat::Pcm12: return {2, 12};
    case WavFormat::Pcm20:
    case WavFormat::Extensible20: return {3, 20};
  }
  return {2, 16};
}

// The head of an extensible file: a 40-byte "fmt " chunk naming the
// container, the valid bits, the speakers and the PCM sub-format.
inline void writeExtensibleHeader(std::vector<std::uint8_t>& out, std::uint16_t channels, std::uint32_t rate,
                                  WavDepth depth, std::uint32_t dataBytes) {
  const auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
  const auto blockAlign = static_cast<std::uint16_t>(channels * depth.containerBytes);
  tag("RIFF");
  ob::writeU32LE(out, 4 + 48 + 8 + dataBytes);
  tag("WAVE");
  tag("fmt ");
  ob::writeU32LE(out, 40);
  ob::writeU16LE(out, 0xFFFE);
  ob::writeU16LE(out, channels);
  ob::writeU32LE(out, rate);
  ob::writeU32LE(out, rate * blockAlign);
  ob::writeU16LE(out, blockAlign);
  ob::writeU16LE(out, static_cast<std::uint16_t>(8 * depth.containerBytes));
  ob::writeU16LE(out, 22);
  ob::writeU16LE(out, static_cast<std::uint16_t>(depth.bits));
  ob::writeU32LE(out, channels == 2 ? 3u : 4u);  // front left and right, or centre
  ob::writeU16LE(out, ob::kWavFormatPcm);
  const std::uint8_t guidRest[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                     0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  out.insert(out.end(), guidRest, guidRest + 14);
  tag("data");
  ob::writeU32LE(out, dataBytes);
}

// Interleaved frames: channels values per frame, each -1..1. Integer
// samples sit at the top of their containers, as the format asks.
inline std::vector<std::uint8_t> wavBytes(const std::vector<float>& interleaved, int channels, double rate,
                                          WavFormat format) {
  const WavDepth depth = wavDepth(format);
  const std::uint32_t data = static_cast<std::uint32_t>(interleaved.size() * depth.containerBytes);
  const auto wide = static_cast<std::uint16_t>(channels);
  std::vector<std::uint8_t> out;
  if (format == WavFormat::Extensible20)
    writeExtensibleHeader(out, wide, static_cast<std::uint32_t>(rate), depth, data);
  else
    ob::writeWavHeader(out, format == WavFormat::Float32 ? ob::kWavFormatFloat : ob::kWavFormatPcm, wide,
                       static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(depth.bits), data,
                       static_cast<std::uint16_t>(depth.containerBytes));
  for (const float v : interleaved) {
    const float c = std::clamp(v, -1.0f, 1.0f);
    if (format == WavFormat::Float32) {
      std::uint32_t bits;
      std::memcpy(&bits, &c, 4);
      ob::writeU32LE(out, bits);
      continue;
    }
    const double full = static_cast<double>((1 << (depth.bits - 1)) - 1);
    const auto q = static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(c * full)))
                   << (8 * depth.containerBytes - depth.bits);
    for (int i = 0; i < depth.containerBytes; ++i) out.push_back(static_cast<std::uint8_t>(q >> (8 * i)));
  }
  return out;
}

inline void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A drum hit: a bright click decaying fast over a ringing low body.
inline std::vector<float> drumHit(double rate, double seconds) {
  const int frames = static_cast<int>(rate * seconds);
  std::vector<float> out(frames);
  std::uint32_t noise = 12345;
  for (int i = 0; i < frames; ++i) {
    const double t = i / rate;
    noise = noise * 1664525u + 1013904223u;
    const double click = (static_cast<double>(noise >> 8) / 8388608.0 - 1.0) * std::exp(-t * 400.0);
    const double body = std::sin(2.0 * M_PI * 90.0 * t) * std::exp(-t * 6.0);
    out[i] = static_cast<float>(0.6 * click + 0.5 * body);
  }
  return out;
}

// A sine of the length, on every channel.
inline std::vector<float> tone(double rate, double seconds, int channels, double hz = 220.0) {
  const int frames = static_cast<int>(rate * seconds);
  std::vector<float> out(static_cast<std::size_t>(frames) * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      out[static_cast<std::size_t>(i) * channels + c] =
          static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * i / rate));
  return out;
}

}  // namespace orbi::test
