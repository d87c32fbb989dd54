#pragma once
// WAV files chunk by chunk, as other programs write them: any chunks in any
// order around the audio, and "fmt " bodies plain or extensible.

#include <cstdint>
#include <utility>
#include <vector>

#include "document/little_endian.h"

namespace obtest {

// A RIFF/WAVE file of these chunks, each padded to an even length.
inline std::vector<std::uint8_t> riffOf(
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>>& chunks) {
  std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const auto& [tag, body] : chunks) {
    file.insert(file.end(), tag, tag + 4);
    ob::writeU32LE(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) file.push_back(0);
  }
  const auto size = static_cast<std::uint32_t>(file.size() - 8);
  for (int b = 0; b < 4; ++b) file[4 + b] = static_cast<std::uint8_t>(size >> (8 * b));
  return file;
}

// A "fmt " body of 48 kHz samples in containers of `bytes`; extensible, with
// its valid bits and sub-format, for the tag 0xFFFE.
inline std::vector<std::uint8_t> fmtOf(std::uint16_t tag, std::uint16_t channels, std::uint16_t bytes,
                                       std::uint16_t validBits = 0, std::uint16_t subFormat = 1) {
  std::vector<std::uint8_t> body;
  for (const std::uint32_t field : {tag, channels}) ob::writeU16LE(body, static_cast<std::uint16_t>(field));
  ob::writeU32LE(body, 48000);
  ob::writeU32LE(body, 48000u * channels * bytes);
  ob::writeU16LE(body, static_cast<std::uint16_t>(channels * bytes));
  ob::writeU16LE(body, static_cast<std::uint16_t>(8 * bytes));
  if (tag != 0xFFFE) return body;
  for (const std::uint32_t field : {22u, std::uint32_t(validBits), 0u, 0u, std::uint32_t(subFormat)})
    ob::writeU16LE(body, static_cast<std::uint16_t>(field));
  body.resize(body.size() + 14, 0x11);  // the rest of the sub-format's GUID
  return body;
}

}  // namespace obtest
