#pragma once
// WAV files as a user's recorder writes them, for import tests and
// benchmarks: 16-bit or 24-bit PCM or 32-bit float, one or two channels.

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

enum class WavFormat { Pcm16, Pcm24, Float32 };

// Interleaved frames: channels values per frame, each -1..1.
inline std::vector<std::uint8_t> wavBytes(const std::vector<float>& interleaved, int channels, double rate,
                                          WavFormat format) {
  const int bytes = format == WavFormat::Pcm16 ? 2 : format == WavFormat::Pcm24 ? 3 : 4;
  const std::uint32_t data = static_cast<std::uint32_t>(interleaved.size() * bytes);
  std::vector<std::uint8_t> out;
  ob::writeWavHeader(out, format == WavFormat::Float32 ? ob::kWavFormatFloat : ob::kWavFormatPcm,
                     static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate),
                     static_cast<std::uint16_t>(bytes * 8), data);
  for (const float v : interleaved) {
    const float c = std::clamp(v, -1.0f, 1.0f);
    if (format == WavFormat::Float32) {
      std::uint32_t bits;
      std::memcpy(&bits, &c, 4);
      ob::writeU32LE(out, bits);
      continue;
    }
    const double full = format == WavFormat::Pcm16 ? 32767.0 : 8388607.0;
    const auto q = static_cast<std::int32_t>(std::lround(c * full));
    for (int i = 0; i < bytes; ++i)
      out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(q) >> (8 * i)));
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
