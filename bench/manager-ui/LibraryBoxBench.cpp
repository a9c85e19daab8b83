// The "Media DB" box opened on a large library and the first letter typed in its search: the
// longest turn of the event loop each takes, as the wall clock and as the GUI thread's own
// processor time (which a loaded machine does not stretch).
#include "LibraryBench.h"
#include "LongestTurn.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace LibraryBench;

// Opening the box on the started program, once with nothing chosen and once again after
// every third line was chosen and the list scrolled: the longest turn of the event loop from
// the click on the caption until the loop is idle. The chosen lines stay chosen.
void BM_OpenTheLibraryLongestTurn(benchmark::State& state) {
    const bool chosen = state.range(0) != 0;
    const int rows = static_cast<int>(state.range(1));
    const TLibraryFiles& files = LibraryFiles(LongRows, rows);
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        TForm1* form = StartWindow(files.Folder);
        std::vector<int> lines;
        if (chosen) {
            form->BvGroupMediaDB->Collapse(false);
            PumpGui();
            for (int line = 0; line < rows; line += 3)
                lines.push_back(line);
            form->MediaDBList->SetSelection(lines, rows / 2);
            form->MediaDBList->SetTopIndex(rows / 2);
            form->ReadSelections();
            // One box of the column is always open: opening another closes the library's.
            form->bvGroupPlaylists->Collapse(false);
            PumpGui();
            if (!form->BvGroupMediaDB->Collapsed())
                state.SkipWithError("the library's box did not close");
        }
        state.ResumeTiming();
        TimeTurn(longest, [&] { form->BvGroupMediaDB->Collapse(false); });
        for (int i = 0; i < 3; ++i)
            TimeTurn(longest, [] { QApplication::processEvents(); });
        state.PauseTiming();
        if (form->MediaDBList->Count() != rows ||
            (chosen && form->MediaDBList->SelectedLines() != lines))
            state.SkipWithError("the library is not shown as it was");
        Free(form);
        state.ResumeTiming();
    }
    Report(state, longest);
}
BENCHMARK(BM_OpenTheLibraryLongestTurn)
    ->ArgsProduct({{0, 1}, {1000, 10000, 100000}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The first letter typed after the box opened: the longest turn of the event loop from the
// key until the loop is idle, as the wall clock and as the GUI thread's processor time.
void BM_FirstSearchKeyAfterOpening(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const TLibraryFiles& files = LibraryFiles(LongRows, rows);
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        TForm1* form = StartWindow(files.Folder);
        form->BvGroupMediaDB->Collapse(false);
        PumpGui();
        state.ResumeTiming();
        TimeTurn(longest, [&] { TypeKey(form, Qt::Key_Z, "z"); });
        for (int i = 0; i < 3; ++i)
            TimeTurn(longest, [] { QApplication::processEvents(); });
        state.PauseTiming();
        if (form->EditSearchDB->Caption() != "z")
            state.SkipWithError("the key did not reach the search");
        Free(form);
        state.ResumeTiming();
    }
    Report(state, longest);
}
BENCHMARK(BM_FirstSearchKeyAfterOpening)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
