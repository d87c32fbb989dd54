#pragma once
// CRC-32 over a run of bytes, one version for each kind of CPU; crc32.cpp
// chooses among them. Each takes and gives the register as it runs (not
// complemented).
#include <cstddef>
#include <cstdint>

namespace ob::zip::crc {

// Slicing by eight tables: any length.
std::uint32_t portable(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);
#if defined(__x86_64__)
// Folding by carry-less multiplication (cpuHasCarrylessMultiply): a length
// of at least 64, a multiple of 16.
inline constexpr std::size_t kX86FoldMinimum = 64, kX86FoldStep = 16;
std::uint32_t x86Folded(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);
#elif defined(__aarch64__)
// The CRC32 instructions (cpuHasCrc32Instructions): any length.
std::uint32_t armInstructions(std::uint32_t reg, const std::uint8_t* bytes, std::size_t length);
#endif

}  // namespace ob::zip::crc
