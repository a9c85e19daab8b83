// The "Media DB" box with a large library, as a user meets it: the program started on the
// eight library files, the box opened, a letter typed in the search. What the program holds
// for the library above the idle program (the same window with an empty library), against the
// size of the library files; and the longest turn of the event loop for the first letter
// typed after opening, which is the first search over the freshly shown lines.
#include "BenchGui.h"
#include "BenchTracks.h"
#include "Dialogs.h"
#include "Drives.h"
#include "HeapPeak.h"
#include "Main.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <string>
#include <vector>

namespace {

// A row as a real collection has them: tags of ordinary length and a file deep in a user's
// music folder, about 230 bytes a row in the eight files.
TTrackRowSnapshot LongRow(int r) {
    const std::string n = std::to_string(r);
    const std::string artist = "The Artist Called " + std::to_string(r % 997);
    const std::string album = "An Album Title Of Some Length " + std::to_string(r % 101);
    const std::string title = "A Song With A Longer Title Number " + n;
    return {artist,
            title,
            album,
            std::to_string(r % 9) + ":" + std::to_string(10 + r % 50),
            std::to_string(3000000 + r),
            "C:\\Users\\listener\\Music\\" + artist + "\\" + album + "\\" + title + ".mp3",
            "192",
            n};
}

enum TRows { ShortRows, LongRows };

TTrackRowSnapshot RowOf(TRows kind, int r) {
    return kind == LongRows ? LongRow(r) : BenchTrackRow(r);
}

// The folder with the eight files of that many rows, made once per size; its files' size.
struct TLibraryFiles {
    std::string Folder;
    int64_t Bytes = 0;
};

const TLibraryFiles& LibraryFiles(TRows kind, int rows) {
    static std::map<std::pair<int, int>, TLibraryFiles> made;
    if (auto it = made.find({kind, rows}); it != made.end())
        return it->second;
    char name[] = "/tmp/bv-library-bench-XXXXXX";
    TLibraryFiles files;
    files.Folder = mkdtemp(name);
    std::string TTrackRowSnapshot::*const columns[8] = {
        &TTrackRowSnapshot::Artist, &TTrackRowSnapshot::Title,   &TTrackRowSnapshot::Album,
        &TTrackRowSnapshot::Size,   &TTrackRowSnapshot::Time,    &TTrackRowSnapshot::BitRate,
        &TTrackRowSnapshot::UID,    &TTrackRowSnapshot::FileName};
    for (int column = 0; column < 8; ++column) {
        const std::string file = files.Folder + "/MediaDB.db" + std::to_string(column);
        {
            std::ofstream out(file, std::ios::binary);
            for (int r = 0; r < rows; ++r)
                out << RowOf(kind, r).*columns[column] << "\r\n";
        }
        files.Bytes += static_cast<int64_t>(std::filesystem::file_size(file));
    }
    return made.emplace(std::make_pair(int(kind), rows), files).first->second;
}

TForm1* StartWindow(const std::string& folder) {
    EnsureGui();
    SetDialogResponder([](const TDialogRequest&) { return TDialogAnswer{}; });
    TManagerPaths paths;
    paths.ProgramFolder = ToWindowsPath(folder);
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

// Every byte the C and C++ heaps hand out, Qt's included.
int64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<int64_t>(info.uordblks + info.hblkhd);
}

void TypeKey(TForm1* form, int code, const QString& text) {
    QWidget* list = form->MediaDBList->Widget();
    QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
    QApplication::sendEvent(list, &press);
    QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
    QApplication::sendEvent(list, &release);
}

constexpr double MiB = 1024.0 * 1024.0;

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

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

// Opening the box on the started program, once with nothing chosen and once again after
// every third line was chosen and the list scrolled: the longest turn of the event loop from
// the click on the caption until the loop is idle. The chosen lines stay chosen.
void BM_OpenTheLibraryLongestTurn(benchmark::State& state) {
    const bool chosen = state.range(0) != 0;
    const int rows = static_cast<int>(state.range(1));
    const TLibraryFiles& files = LibraryFiles(LongRows, rows);
    double wallMs = 0;
    double cpuMs = 0;
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
        using Clock = std::chrono::steady_clock;
        auto turn = [&](const std::function<void()>& f) {
            const auto wall = Clock::now();
            const double cpu = ThreadCpuMs();
            f();
            wallMs = std::max(
                wallMs, std::chrono::duration<double, std::milli>(Clock::now() - wall).count());
            cpuMs = std::max(cpuMs, ThreadCpuMs() - cpu);
        };
        turn([&] { form->BvGroupMediaDB->Collapse(false); });
        for (int i = 0; i < 3; ++i)
            turn([] { QApplication::processEvents(); });
        state.PauseTiming();
        if (form->MediaDBList->Count() != rows ||
            (chosen && form->MediaDBList->SelectedLines() != lines))
            state.SkipWithError("the library is not shown as it was");
        Free(form);
        state.ResumeTiming();
    }
    state.counters["longest_turn_ms"] = wallMs;
    state.counters["longest_turn_cpu_ms"] = cpuMs;
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
    double wallMs = 0;
    double cpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TForm1* form = StartWindow(files.Folder);
        form->BvGroupMediaDB->Collapse(false);
        PumpGui();
        state.ResumeTiming();
        using Clock = std::chrono::steady_clock;
        auto turn = [&](const std::function<void()>& f) {
            const auto wall = Clock::now();
            const double cpu = ThreadCpuMs();
            f();
            wallMs = std::max(
                wallMs, std::chrono::duration<double, std::milli>(Clock::now() - wall).count());
            cpuMs = std::max(cpuMs, ThreadCpuMs() - cpu);
        };
        turn([&] { TypeKey(form, Qt::Key_Z, "z"); });
        for (int i = 0; i < 3; ++i)
            turn([] { QApplication::processEvents(); });
        state.PauseTiming();
        if (form->EditSearchDB->Caption() != "z")
            state.SkipWithError("the key did not reach the search");
        Free(form);
        state.ResumeTiming();
    }
    state.counters["longest_turn_ms"] = wallMs;
    state.counters["longest_turn_cpu_ms"] = cpuMs;
}
BENCHMARK(BM_FirstSearchKeyAfterOpening)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
