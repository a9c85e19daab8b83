// The heap a benchmark's work takes at its peak. A program that links this has every
// allocation counted: HeapPeakGrowthMB tells the most the heap held above `start`
// (a HeapNow taken before the work) since the last ResetHeapPeak.
#pragma once

#include <cstdint>

int64_t HeapNow();
void ResetHeapPeak();
double HeapPeakGrowthMB(int64_t start);

// The memory the system holds for the process (heap or not, freed to the allocator or
// not): resident now and at its peak since the last ResetRssPeak, in MiB. ResetRssPeak
// first gives the system back what the allocator holds freed, so a run measured after it
// starts from what the idle program holds, not from the leftovers of the runs before.
double RssNowMB();
void ResetRssPeak();
double RssPeakMB();
