#pragma once
// Counts the allocations, frees, the largest request and the bytes held at
// the peak of a test program, so a test can show that audio-thread work
// allocates nothing and that untrusted input never decides memory. The counting allocation functions
// replace the global ones in allocation_counter.cpp, which a program links
// once through the ob_allocation_counter library; without it these
// functions do not link, so no test can count nothing by mistake.

#include <cstddef>

namespace ob::test {

long allocationCount();
long freeCount();
std::size_t largestAllocation();
void resetLargestAllocation();
// Bytes held through operator new, as the allocator sized the blocks.
std::size_t liveBytes();
// The most bytes held at once since the last reset.
std::size_t peakLiveBytes();
void resetPeakLiveBytes();
// The same for a step of a run, kept apart: a program measures its steps by
// it while the whole run's peak goes on.
std::size_t stepPeakLiveBytes();
void resetStepPeakLiveBytes();
// Told of each block as it is allocated and as it is about to be freed,
// with the bytes it holds, so that a program can measure what the blocks
// hold with what it holds besides, at the same moment. It must neither
// allocate nor free.
using BlockWatcher = void (*)(const void* block, std::size_t bytes, bool freeing);
void watchBlocks(BlockWatcher watcher);

}  // namespace ob::test
