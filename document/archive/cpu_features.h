#pragma once

namespace ob {

// What the CPU this runs on can do beyond the instructions every build
// assumes, asked once: code built for those instructions is called only
// where these say so, so one binary runs on every CPU of its architecture.
bool cpuHasSha256Instructions();  // x86 SHA extensions with SSE4.1, or ARMv8 SHA2
bool cpuHasCarrylessMultiply();   // x86 PCLMULQDQ with SSE4.1
bool cpuHasCrc32Instructions();   // ARMv8 CRC32
bool cpuHasWideVectors();         // x86 AVX2, with the system saving its registers

}  // namespace ob
