#pragma once
#include <cstddef>
#include <cstdint>

namespace ob::zip {

// CRC-32 as zip stores it: reflected polynomial 0xEDB88320, register
// started at all ones, result complemented. An empty span gives 0. Given
// the CRC of the bytes before them, gives that of all of them, so a file
// may be checked a piece at a time. Runs the CPU's own instructions where
// it has them (asked once).
std::uint32_t crc32(const std::uint8_t* bytes, std::size_t length, std::uint32_t before = 0);
// The same by the tables alone, as any CPU runs it.
std::uint32_t portableCrc32(const std::uint8_t* bytes, std::size_t length, std::uint32_t before = 0);

}  // namespace ob::zip
