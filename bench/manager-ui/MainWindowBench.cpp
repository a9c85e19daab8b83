// The main window with a media library of 1,000 to 100,000 rows: from the program's start to the
// shown window (the eight library files read, the window built and shown), opening the
// "Media DB" box (the library list filled), and closing (the settings and the eight files
// written). Each grows about in step with the rows.
#include "BenchGui.h"
#include "Dialogs.h"
#include "Drives.h"
#include "Main.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
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
    const char* artists[] = {"Ada Vane", "Brisk Ensemble", "Cora Lind", "Dune Street"};
    for (int column = 0; column < 8; ++column) {
        std::ofstream out(folder + "/MediaDB.db" + std::to_string(column), std::ios::binary);
        for (int r = 0; r < rows; ++r) {
            switch (column) {
            case 0:
                out << artists[r % 4];
                break;
            case 1:
                out << "Title " << r;
                break;
            case 2:
                out << "Album " << r / 12;
                break;
            case 3:
                out << 3000000 + r;
                break;
            case 4:
                out << 3 + r % 4 << ":" << 10 + r % 50;
                break;
            case 5:
                out << "192";
                break;
            case 6:
                out << r;
                break;
            case 7:
                out << "C:\\music\\" << artists[r % 4] << " - Title " << r << ".mp3";
                break;
            }
            out << "\r\n";
        }
    }
    return folders.emplace(rows, folder).first->second;
}

TForm1* StartWindow(int rows) {
    EnsureGui();
    SetDialogResponder([](const TDialogRequest&) { return TDialogAnswer{}; });
    TManagerPaths paths;
    paths.ProgramFolder = ToWindowsPath(LibraryFolder(rows));
    paths.DataFolder = paths.ProgramFolder;
    auto* form = new TForm1(Application, paths);
    form->AfterConstruction();
    form->Manager->OptionsFormCreate();
    form->SetBounds(0, 0, 1024, 700);
    form->Show();
    while (!form->Widget()->isVisible())
        PumpGui();
    PumpGui();
    return form;
}

void Free(TForm1* form) {
    delete form;
    PumpGui();
}

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
        benchmark::DoNotOptimize(form->MediaDBList->Lines()->Count());
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
