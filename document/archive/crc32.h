#pragma once
#include <cstddef>
#include <cstdint>

namespace ob::zip {

// CRC-32 as zip stores it: reflected polynomial 0xEDB88320, register
// started at all ones, result complemented. An empty span gives 0.
std::uint32_t crc32(const std::uint8_t* bytes, std::size_t length);

}  // namespace ob::zip
