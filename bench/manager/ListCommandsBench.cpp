// The list commands on many selected lines: removing them from the track list,
// copying them to a playlist, copying library lines that are already listed to the
// track list, and a refresh of the track view that keeps its selection. Each should
// grow no worse than n log n.
#include "BenchTracks.h"
#include "Drives.h"
#include "NullUi.h"
#include "TrackManager.h"
#include "TrackTableRows.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// A manager with n tracks in the master list, shown, and a user playlist "Mine".
std::unique_ptr<TTrackManager> MakeManager(TNullUi& ui, int n) {
    static TBenchFolder folder;
    const std::string home = ToWindowsPath(folder.Path) + "\\";
    auto m = std::make_unique<TTrackManager>(ui, TManagerPaths{home, home});
    m->ListBoxPlayLists.Items.Add("All music");
    m->ListBoxPlayLists.Items.Add("Mine");
    m->ListBoxPlayLists.ItemIndex = 0;
    m->Model.PhoneDrive = 'E';
    for (int r = 0; r < n; ++r)
        m->Model.AppendTrack(BenchTrackRow(r));
    m->Model.SyncAllMusic();
    m->RefreshTrackView();
    return m;
}

void BM_RemoveSelectedLines(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TNullUi ui;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = MakeManager(ui, n);
        m->Selectall1Click();
        state.ResumeTiming();
        m->btnRemoveClick();
        state.PauseTiming();
        if (m->Model.TrackCount() != 0)
            state.SkipWithError("rows left");
        m.reset();
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_RemoveSelectedLines)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_CopyToPlaylist(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TNullUi ui;
    auto m = MakeManager(ui, n);
    m->Selectall1Click();
    m->TrackListMenuPopup();
    for (auto _ : state) {
        state.PauseTiming();
        m->Model.PlaylistTracks[1].Clear();
        state.ResumeTiming();
        m->CopyToPlayListPopup1Click(0);
        if (m->Model.PlaylistTracks[1].Count() != n)
            state.SkipWithError("entries lost");
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_CopyToPlaylist)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Every library line names a file the track list holds, so each is looked up and skipped.
void BM_CopyListedLinesToTrackList(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TNullUi ui;
    auto m = MakeManager(ui, n);
    for (int r = 0; r < n; ++r)
        AppendTableRow(m->Model.MediaDB, BenchTrackRow(r));
    m->RefreshMediaDBList();
    m->MediaDBList.SelectAll();
    for (auto _ : state) {
        m->Copytotracklist1Click();
        if (m->Model.TrackCount() != n)
            state.SkipWithError("a listed file was added again");
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_CopyListedLinesToTrackList)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The track view rebuilt with a selection and a scroll position to keep.
void BM_RefreshTrackViewKeepingTheSelection(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TNullUi ui;
    auto m = MakeManager(ui, n);
    for (int line = 0; line < n; line += 3)
        m->BvPlaylist.Select(line);
    m->BvPlaylist.TopIndex = n / 2;
    for (auto _ : state)
        m->RefreshTrackView();
    state.SetComplexityN(n);
}
BENCHMARK(BM_RefreshTrackViewKeepingTheSelection)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
