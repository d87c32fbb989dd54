#pragma once
// 16-bit PCM mono WAV files for the factory samples (the document codec
// writes float only).

#include <cstdint>
#include <vector>

namespace gen {

std::vector<std::uint8_t> encodeWav16(const std::vector<std::int16_t>& samples, std::uint32_t rate);

}  // namespace gen
