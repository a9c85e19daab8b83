// The heap a benchmark's work takes at its peak. A program that links this has every
// allocation counted: HeapPeakGrowthMB tells the most the heap held above `start`
// (a HeapNow taken before the work) since the last ResetHeapPeak.
#pragma once

#include <cstdint>

int64_t HeapNow();
void ResetHeapPeak();
double HeapPeakGrowthMB(int64_t start);
