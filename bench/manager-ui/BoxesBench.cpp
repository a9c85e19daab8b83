// The main window's lists at sizes a large collection reaches: refreshing the track view,
// adding a folder through the window, a key press in the library search, and dropping many
// lines onto a playlist. Each should grow no worse than n log n.
#include "BenchGui.h"
#include "BenchTracks.h"
#include "Dialogs.h"
#include "Drives.h"
#include "Main.h"
#include "TrackTableRows.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

namespace {

namespace fs = std::filesystem;

TBenchFolder& Home() {
    static TBenchFolder folder;
    return folder;
}

struct TWindow {
    TWindow() {
        EnsureGui();
        TManagerPaths paths;
        paths.ProgramFolder = ToWindowsPath(Home().Path) + "\\";
        paths.DataFolder = paths.ProgramFolder;
        Form = new TForm1(Application, paths);
        Form->AfterConstruction();
        Form->Manager->OptionsFormCreate();
        Form->SetBounds(0, 0, 1024, 700);
        Form->Show();
        PumpGui();
    }
    ~TWindow() {
        delete Form;
        PumpGui();
    }
    TTrackManager& M() { return *Form->Manager; }
    void Tracks(int n) {
        for (int r = 0; r < n; ++r)
            M().Model.AppendTrack(BenchTrackRow(r));
        M().Model.SyncAllMusic();
        M().ListBoxPlayLists.ItemIndex = 0;
        M().RefreshTrackView();
        PumpGui();
    }
    TForm1* Form = nullptr;
};

void BM_RefreshTrackView(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TWindow w;
    w.Tracks(n);
    for (int line = 0; line < n; line += 97)
        w.M().BvPlaylist.Select(line);
    w.M().BvPlaylist.TopIndex = n / 2;
    for (auto _ : state) {
        w.M().RefreshTrackView();
        PumpGui();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_RefreshTrackView)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

// A folder of n copies of a small tagged MP3, made once per size.
std::string MusicFolder(int n) {
    static std::map<int, std::string> made;
    if (auto it = made.find(n); it != made.end())
        return it->second;
    const std::string folder = Home().Path + "/music" + std::to_string(n);
    const std::string fixture = std::string(BV_TEST_DATA_DIR) + "/tags/v23_latin1_cbr.mp3";
    for (int i = 0; i < n; ++i) {
        const fs::path sub = fs::path(folder) / ("cd" + std::to_string(i / 500));
        fs::create_directories(sub);
        fs::copy_file(fixture, sub / ("Artist " + std::to_string(i) + " - Song.mp3"));
    }
    made[n] = folder;
    return folder;
}

void BM_AddFolderThroughTheWindow(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string folder = MusicFolder(n);
    TWindow w;
    w.M().ListBoxPlayLists.ItemIndex = 0;
    SetDialogResponder([folder](const TDialogRequest&) {
        TDialogAnswer a;
        a.Accepted = true;
        a.Paths = {folder};
        return a;
    });
    for (auto _ : state) {
        state.PauseTiming();
        w.M().Model.ClearTracks();
        w.M().RefreshTrackView();
        PumpGui();
        state.ResumeTiming();
        w.Form->Adddirectory2->Click();
        PumpGui();
        if (w.Form->BvPlaylist->Items()->Count() != n)
            state.SkipWithError("not every file is shown");
    }
    SetDialogResponder({});
    state.SetComplexityN(n);
}
BENCHMARK(BM_AddFolderThroughTheWindow)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Complexity();

// A letter typed in the library list that matches no line, so the search reads every line.
void BM_LibrarySearchKeyPress(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TWindow w;
    for (int r = 0; r < n; ++r)
        AppendTableRow(w.M().Model.MediaDB, BenchTrackRow(r));
    w.Form->BvGroupMediaDB->Collapse(false);
    PumpGui();
    QWidget* list = w.Form->MediaDBList->Widget();
    auto key = [&](int code, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QApplication::sendEvent(list, &press);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(list, &release);
        PumpGui();
    };
    for (auto _ : state) {
        key(Qt::Key_Q, "q");
        state.PauseTiming();
        key(Qt::Key_Backspace, "");
        state.ResumeTiming();
    }
    if (w.Form->MediaDBList->Items()->Count() != n)
        state.SkipWithError("the library is not shown");
    state.SetComplexityN(n);
}
BENCHMARK(BM_LibrarySearchKeyPress)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// n selected lines dropped on a playlist name.
void BM_DropLinesOnAPlaylist(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TWindow w;
    w.M().ListBoxPlayLists.Items.Add("Mine");
    w.M().NotifyView(TViewId::PlaylistBox);
    w.Tracks(n);
    w.Form->BvPlaylist->SelectAll();
    PumpGui();
    const TRect target = w.Form->ListBoxPlayLists->ItemRect(1);
    for (auto _ : state) {
        state.PauseTiming();
        w.M().Model.PlaylistTracks[1].Clear();
        state.ResumeTiming();
        w.Form->ReadSelections();
        w.M().BeginDrag(TDragSource::TrackView);
        w.Form->ListBoxPlayLists->OnDragDrop(w.Form->ListBoxPlayLists, w.Form->BvPlaylist,
                                             target.Left + 5, target.Top + 3);
        PumpGui();
        if (w.M().Model.PlaylistTracks[1].Count() != n)
            state.SkipWithError("lines lost");
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_DropLinesOnAPlaylist)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
