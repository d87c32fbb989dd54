#pragma once
// The anonymous mappings the product holds (its memory fallback's pages),
// seen through the calls it makes for them, linked with -Wl,--wrap: what
// they hold of the machine's memory, and how many there are.
#include <cstddef>
#include <cstdint>

namespace obsession {

// The bytes of the product's anonymous mappings that take memory: their
// pages that are resident (written and not given back).
std::uint64_t mappedBytes();

// The mappings themselves, touched or not, and their length in all.
struct MappingsHeld {
  std::size_t count = 0;
  std::uint64_t bytes = 0;
  bool operator==(const MappingsHeld&) const = default;
};
MappingsHeld mappingsHeld();

// The most the heap and the mappings held together since the last
// markPeak(): the heap's peak between two calls that give mapped pages
// back, with what the mappings then held, which only grows between them.
std::uint64_t heldPeakSinceMark();
void markPeak();

}  // namespace obsession
