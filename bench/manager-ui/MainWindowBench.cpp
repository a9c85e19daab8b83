// The main window with a media library of 1,000 to 100,000 rows: from the program's start to the
// shown window (the eight library files read, the window built and shown), opening the
// "Media DB" box (the library list filled), and closing (the settings and the eight files
// written). Each grows about in step with the rows.
#include "BenchGui.h"
#include "BenchTracks.h"
#include "Dialogs.h"
#include "Drives.h"
#include "LibraryBench.h"
#include "Main.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

// A folder with the eight library files of the given number of rows, made once per size.
const std::string& LibraryFolder(int rows) {
    static std::map<int, std::string> folders;
    auto found = folders.find(rows);
    if (found != folders.end())
        return found->second;
    char name[] = "/tmp/bv-main-bench-XXXXXX";
    std::string folder = mkdtemp(name);
    LibraryBench::RemoveAtExit(folder);
    WriteBenchLibrary(folder, rows);
    return folders.emplace(rows, folder).first->second;
}

TForm1* StartWindow(int rows) {
    return LibraryBench::StartWindow(LibraryFolder(rows));
}

using LibraryBench::Free;

void BM_StartUpToShownWindow(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    LibraryFolder(rows);
    for (auto _ : state) {
        TForm1* form = StartWindow(rows);
        benchmark::DoNotOptimize(form->Manager->Model.MediaDB.StringsByName("Artist").Count());
        state.PauseTiming();
        Free(form);
        state.ResumeTiming();
    }
    state.SetComplexityN(rows);
}
BENCHMARK(BM_StartUpToShownWindow)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_OpenTheMediaDBBox(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TForm1* form = StartWindow(rows);
        state.ResumeTiming();
        form->BvGroupMediaDB->Collapse(false);
        PumpGui();
        benchmark::DoNotOptimize(form->MediaDBList->Count());
        state.PauseTiming();
        Free(form);
        state.ResumeTiming();
    }
    state.SetComplexityN(rows);
}
BENCHMARK(BM_OpenTheMediaDBBox)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_CloseWritingTheLibrary(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TForm1* form = StartWindow(rows);
        state.ResumeTiming();
        form->Close();
        PumpGui();
        state.PauseTiming();
        Free(form);
        state.ResumeTiming();
    }
    state.SetComplexityN(rows);
}
BENCHMARK(BM_CloseWritingTheLibrary)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
