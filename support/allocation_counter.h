#pragma once
// Counts the allocations, frees and the largest request of a test program,
// so a test can show that audio-thread work allocates nothing and that
// untrusted sizes never decide memory. The counting allocation functions
// replace the global ones in allocation_counter.cpp, which a program links
// once through the ob_allocation_counter library; without it these
// functions do not link, so no test can count nothing by mistake.

#include <cstddef>

namespace ob::test {

long allocationCount();
long freeCount();
std::size_t largestAllocation();
void resetLargestAllocation();

}  // namespace ob::test
