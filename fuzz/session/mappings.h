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

// The most the heap and the mappings held at one moment since the last
// markPeak(). The heap is sampled with the mappings as it starts to fall
// from each peak, and the mappings as they give pages back: between those
// moments the mappings only grow and the heap stays or grows, so the most
// the two held together is at one of them, or now.
std::uint64_t heldPeakSinceMark();
void markPeak();
// The watch's call as the heap starts to fall from a peak, with what it
// holds then (heapWatched()).
void heapFalling(std::int64_t watched);

}  // namespace obsession
