#include "resources/factory_gen/wav16.h"

#include <cstring>

namespace gen {
namespace {

void put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

std::vector<std::uint8_t> encodeWav16(const std::vector<std::int16_t>& samples, std::uint32_t rate) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out(44 + static_cast<std::size_t>(dataBytes));
  std::uint8_t* p = out.data();
  std::memcpy(p, "RIFF", 4);
  put32(p + 4, 36 + dataBytes);
  std::memcpy(p + 8, "WAVEfmt ", 8);
  put32(p + 16, 16);
  put16(p + 20, 1);  // PCM
  put16(p + 22, 1);  // mono
  put32(p + 24, rate);
  put32(p + 28, rate * 2);  // bytes a second
  put16(p + 32, 2);         // bytes a frame
  put16(p + 34, 16);        // bits a sample
  std::memcpy(p + 36, "data", 4);
  put32(p + 40, dataBytes);
  for (std::size_t i = 0; i < samples.size(); ++i)
    put16(p + 44 + 2 * i, static_cast<std::uint16_t>(samples[i]));
  return out;
}

}  // namespace gen
