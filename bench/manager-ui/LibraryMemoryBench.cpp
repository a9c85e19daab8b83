// What the program holds for a large library above the idle program (the same window with an
// empty library), against the size of the eight library files. A program of its own: every
// allocation here is counted, which would slow the timings of the other library benchmarks.
#include "HeapPeak.h"
#include "LibraryBench.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

using namespace LibraryBench;

// Every byte the C and C++ heaps hand out, Qt's included.
int64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

constexpr double MiB = 1024.0 * 1024.0;

// The program with its library open and searched, less the same program with an empty
// library, against the eight files' size. "peak" is the most the C++ heap held above the
// idle program from the start on the files to the search.
void BM_LibraryMemoryAboveIdle(benchmark::State& state) {
    const TRows kind = static_cast<TRows>(state.range(0));
    const int rows = static_cast<int>(state.range(1));
    const TLibraryFiles& files = LibraryFiles(kind, rows);
    const TLibraryFiles& empty = LibraryFiles(kind, 0);
    double above = 0;
    double peak = 0;
    for (auto _ : state) {
        TForm1* idle = StartWindow(empty.Folder);
        idle->BvGroupMediaDB->Collapse(false);
        PumpGui();
        const int64_t idleHeap = HeapInUse();
        const int64_t idleNew = HeapNow();
        Free(idle);
        malloc_trim(0);
        ResetHeapPeak();
        TForm1* form = StartWindow(files.Folder);
        form->BvGroupMediaDB->Collapse(false);
        PumpGui();
        TypeKey(form, Qt::Key_Q, "q");
        PumpGui();
        if (form->MediaDBList->ItemIndex() < -1 || form->Manager->MediaDBList.Count() != rows)
            state.SkipWithError("the library is not shown");
        above = static_cast<double>(HeapInUse() - idleHeap) / MiB;
        peak = HeapPeakGrowthMB(idleNew);
        Free(form);
        malloc_trim(0);
    }
    state.counters["files_MiB"] = static_cast<double>(files.Bytes) / MiB;
    state.counters["above_idle_MiB"] = above;
    state.counters["above_idle_x_files"] = above / (static_cast<double>(files.Bytes) / MiB);
    state.counters["peak_new_MiB"] = peak;
}
BENCHMARK(BM_LibraryMemoryAboveIdle)
    ->Args({ShortRows, 10000})
    ->Args({ShortRows, 100000})
    ->Args({LongRows, 10000})
    ->Args({LongRows, 100000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
