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
// Called as the bytes held start to fall from a peak (the first free after
// an allocation), with the bytes then held, so that a program measuring
// more than the heap can sample the rest at that moment. It must neither
// allocate nor free.
using PeakWatcher = void (*)(std::size_t held);
void watchPeaks(PeakWatcher watcher);

}  // namespace ob::test
