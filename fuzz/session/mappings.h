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

// A heap block of at least this many bytes, which the allocator maps
// apart, is counted by its pages written.
inline constexpr std::size_t kLargeBlock = 1u << 20;

// The most the heap and the mappings held at one moment since the last
// markPeak(), a large heap block counted by its pages written as a mapping
// is. The two are sampled together as the heap is about to fall, and as
// mappings give pages back: between those moments the mappings only grow
// and the heap stays or grows, so the most they held together is at one
// of them, or now.
std::uint64_t heldPeakSinceMark();
void markPeak();
// The heap watch's calls (outside.h): a block allocated, and one about to
// be freed while the heap (heapWatched()) holds `watched`.
void heapBlockAllocated(const void* block, std::size_t bytes);
void heapBlockFreeing(const void* block, std::size_t bytes, std::int64_t watched);

}  // namespace obsession
