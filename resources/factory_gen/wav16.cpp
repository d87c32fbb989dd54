#include "resources/factory_gen/wav16.h"

#include "document/little_endian.h"
#include "document/wav/wav_header.h"

namespace gen {

std::vector<std::uint8_t> encodeWav16(const std::vector<std::int16_t>& samples, std::uint32_t rate) {
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  std::vector<std::uint8_t> out;
  out.reserve(ob::kWavHeaderBytes + dataBytes);
  ob::writeWavHeader(out, ob::kWavFormatPcm, 1, rate, 16, dataBytes);
  for (const std::int16_t s : samples) ob::writeU16LE(out, static_cast<std::uint16_t>(s));
  return out;
}

}  // namespace gen
