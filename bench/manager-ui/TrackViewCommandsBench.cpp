// The track view's commands through the window at 1,000 to 100,000 lines, each with the
// selection that makes it costly (every other line selected, so the view holds as many runs
// of selected lines as it can): select all, invert, select none, a sort with every line
// selected, Remove of tracks that also sit in a playlist, Copy to playlist and Move Down.
// Each should grow no worse than n log n. The long commands (adding a folder, opening the
// "Media DB" box, Remove of many tracks) report the longest turn of the event loop too, as
// wall time and as the GUI thread's processor time.
#include "BenchGui.h"
#include "BenchTracks.h"
#include "Dialogs.h"
#include "Drives.h"
#include "LongestTurn.h"
#include "Main.h"
#include "TrackTableRows.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

#include <functional>

namespace {

TBenchFolder& Scratch() {
    static TBenchFolder folder;
    return folder;
}

struct TView {
    TView() {
        EnsureGui();
        TManagerPaths paths;
        paths.ProgramFolder = ToWindowsPath(Scratch().Path) + "\\";
        paths.DataFolder = paths.ProgramFolder;
        Form = new TForm1(Application, paths);
        Form->AfterConstruction();
        Form->Manager->OptionsFormCreate();
        Form->SetBounds(0, 0, 1024, 700);
        Form->Show();
        PumpGui();
    }
    ~TView() {
        delete Form;
        PumpGui();
    }
    TTrackManager& M() { return *Form->Manager; }
    // n tracks in the master list and, with `inPlaylist`, all of them in the user playlist
    // "Mine" too.
    void Tracks(int n, bool inPlaylist = false) {
        M().Model.ClearTracks();
        for (int r = 0; r < n; ++r)
            M().Model.AppendTrack(BenchTrackRow(r));
        M().Model.SyncAllMusic();
        if (M().ListBoxPlayLists.Items.Count() < 2) {
            M().ListBoxPlayLists.Items.Add("Mine");
            M().NotifyView(TViewId::PlaylistBox);
        }
        if (inPlaylist)
            M().Model.PlaylistTracks[1].Assign(M().Model.PlaylistTracks[0]);
        M().ListBoxPlayLists.ItemIndex = 0;
        M().RefreshTrackView();
        PumpGui();
    }
    // Every other line selected, the focus on the middle one, shown as the window shows
    // any selection the manager holds.
    void SelectEveryOther() {
        TListView& view = M().BvPlaylist;
        view.Selected.clear();
        for (int i = 0; i < view.Count(); i += 2)
            view.Selected.insert(view.Selected.end(), i);
        view.ItemIndex = view.Count() / 2;
        M().NotifyView(TViewId::TrackView);
        PumpGui();
    }
    int Selected() const { return Form->BvPlaylist->SelCount(); }
    TForm1* Form = nullptr;
};

void Sizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
}

void BM_SelectAll(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    for (auto _ : state) {
        state.PauseTiming();
        w.SelectEveryOther();
        state.ResumeTiming();
        w.Form->Selectall1->Click();
        PumpGui();
    }
    if (w.Selected() != n)
        state.SkipWithError("not every line is selected");
    state.SetComplexityN(n);
}
BENCHMARK(BM_SelectAll)->Apply(Sizes);

void BM_InvertSelection(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    w.SelectEveryOther();
    for (auto _ : state) {
        w.Form->Inverseselection1->Click();
        PumpGui();
    }
    if (w.Selected() != n / 2)
        state.SkipWithError("the selection was not inverted");
    state.SetComplexityN(n);
}
BENCHMARK(BM_InvertSelection)->Apply(Sizes);

void BM_SelectNone(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    for (auto _ : state) {
        state.PauseTiming();
        w.SelectEveryOther();
        state.ResumeTiming();
        w.Form->Selectnone1->Click();
        PumpGui();
    }
    if (w.Selected() != 0)
        state.SkipWithError("lines stay selected");
    state.SetComplexityN(n);
}
BENCHMARK(BM_SelectNone)->Apply(Sizes);

// Sorted by artist and by title in turn, so every sort moves the lines and their selection.
void BM_SortWithEveryOtherLineSelected(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    w.SelectEveryOther();
    int k = 0;
    for (auto _ : state) {
        w.Form->TracklistSortItems[static_cast<size_t>(k++ % 2)]->Click();
        PumpGui();
    }
    if (w.Selected() != (n + 1) / 2)
        state.SkipWithError("the selection did not follow the sort");
    state.SetComplexityN(n);
}
BENCHMARK(BM_SortWithEveryOtherLineSelected)->Apply(Sizes);

// Remove of every other track, each also in a user playlist; no file lies on the card, so
// nothing is asked. The counter is the longest turn of the event loop.
void BM_RemoveTracksInAPlaylist(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        w.Tracks(n, true);
        w.SelectEveryOther();
        state.ResumeTiming();
        LongestTurn(
            longest, [&] { w.Form->Removeselected1->Click(); }, [&] { return !w.M().IsBusy(); });
        if (w.Form->BvPlaylist->Items()->Count() != n / 2)
            state.SkipWithError("the tracks were not removed");
    }
    Report(state, longest);
    state.SetComplexityN(n);
}
BENCHMARK(BM_RemoveTracksInAPlaylist)->Apply(Sizes)->Iterations(2);

// Remove of every track, each also in a user playlist, all selected; the
// removed tracks fill the deleted list. The counter is the longest turn of the event loop.
void BM_RemoveAllTracksLongestTurn(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        ClearTable(w.M().Model.DeletedHolder);
        w.Tracks(n, true);
        w.Form->Selectall1->Click();
        PumpGui();
        state.ResumeTiming();
        LongestTurn(
            longest, [&] { w.Form->Removeselected1->Click(); }, [&] { return !w.M().IsBusy(); });
        if (w.Form->BvPlaylist->Items()->Count() != 0 || w.Form->DeletedList->Items()->Count() != n)
            state.SkipWithError("the tracks were not removed");
    }
    Report(state, longest);
    state.SetComplexityN(n);
}
BENCHMARK(BM_RemoveAllTracksLongestTurn)->Apply(Sizes)->Iterations(2);

void BM_CopyToPlaylist(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    w.SelectEveryOther();
    for (auto _ : state) {
        state.PauseTiming();
        w.M().Model.PlaylistTracks[1].Clear();
        state.ResumeTiming();
        w.Form->TrackListMenu->OnPopup(w.Form->TrackListMenu);
        w.Form->CopyToPlaylist1->Items(1)->Click();
        PumpGui();
    }
    if (w.M().Model.PlaylistTracks[1].Count() != (n + 1) / 2)
        state.SkipWithError("the lines were not copied");
    state.SetComplexityN(n);
}
BENCHMARK(BM_CopyToPlaylist)->Apply(Sizes);

// Move Down with every other line selected: the focused line moves, the selection stays.
void BM_MoveDownWithManySelected(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    w.SelectEveryOther();
    for (auto _ : state) {
        w.Form->MoveDown2->Click();
        PumpGui();
    }
    if (w.Selected() < n / 2)
        state.SkipWithError("the selection was lost");
    state.SetComplexityN(n);
}
BENCHMARK(BM_MoveDownWithManySelected)->Apply(Sizes);

// ---- Long commands: the longest turn of the event loop ---------------------------------

void BM_AddDirectoryLongestTurn(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string folder = BenchMusicFolder(Scratch().Path, n);
    TView w;
    w.Tracks(0);
    SetDialogResponder([folder](const TDialogRequest&) {
        TDialogAnswer a;
        a.Accepted = true;
        a.Paths = {folder};
        return a;
    });
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        w.Tracks(0);
        state.ResumeTiming();
        LongestTurn(
            longest, [&] { w.Form->Adddirectory2->Click(); },
            [&] { return !w.M().IsBusy() && w.Form->BvPlaylist->Items()->Count() == n; });
    }
    SetDialogResponder({});
    Report(state, longest);
    state.SetComplexityN(n);
}
BENCHMARK(BM_AddDirectoryLongestTurn)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

void BM_ExpandMediaDBLongestTurn(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    for (int r = 0; r < n; ++r)
        AppendTableRow(w.M().Model.MediaDB, BenchTrackRow(r));
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        w.Form->BvGroupMediaDB->Collapse(true);
        PumpGui();
        state.ResumeTiming();
        LongestTurn(
            longest, [&] { w.Form->BvGroupMediaDB->Collapse(false); },
            [&] { return w.Form->MediaDBList->Count() == n; });
    }
    Report(state, longest);
    state.SetComplexityN(n);
}
BENCHMARK(BM_ExpandMediaDBLongestTurn)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// The track view with every third line chosen (each line its own run), the focus in the
// middle and in sight: the longest turn of the event loop that a refresh, Select all,
// Invert selection, a click, Ctrl+click, Shift+click and the Down key take through the window.
enum class TScatteredStep { Refresh, SelectAll, Invert, Click, CtrlClick, ShiftClick, Down };

void ScatteredTrackView(benchmark::State& state, TScatteredStep step) {
    const int n = static_cast<int>(state.range(0));
    TView w;
    w.Tracks(n);
    TBvPlaylist* box = w.Form->BvPlaylist;
    auto* area = dynamic_cast<QAbstractScrollArea*>(box->Widget());
    QWidget* viewport = area ? area->viewport() : box->Widget();
    const auto click = [&](int below, Qt::KeyboardModifiers modifiers) {
        const TRect r = box->ItemRect(box->TopIndex() + below);
        const QPointF at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        const QPointF global = viewport->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          modifiers);
        QApplication::sendEvent(viewport, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            modifiers);
        QApplication::sendEvent(viewport, &release);
    };
    TLongestTurn longest;
    for (auto _ : state) {
        state.PauseTiming();
        TListView& view = w.M().BvPlaylist;
        view.Selected.clear();
        for (int i = 0; i < view.Count(); i += 3)
            view.Selected.insert(view.Selected.end(), i);
        view.ItemIndex = n / 2;
        w.M().NotifyView(TViewId::TrackView);
        box->SetTopIndex(n / 2 - 1);
        box->Widget()->setFocus();
        PumpGui();
        state.ResumeTiming();
        LongestTurn(
            longest,
            [&] {
                switch (step) {
                case TScatteredStep::Refresh:
                    w.M().RefreshTrackView();
                    break;
                case TScatteredStep::SelectAll:
                    w.Form->Selectall1->Click();
                    break;
                case TScatteredStep::Invert:
                    w.Form->Inverseselection1->Click();
                    break;
                case TScatteredStep::Click:
                    click(4, Qt::NoModifier);
                    break;
                case TScatteredStep::CtrlClick:
                    click(4, Qt::ControlModifier);
                    break;
                case TScatteredStep::ShiftClick:
                    click(8, Qt::ShiftModifier);
                    break;
                case TScatteredStep::Down: {
                    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
                    QApplication::sendEvent(box->Widget(), &press);
                    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
                    QApplication::sendEvent(box->Widget(), &release);
                    break;
                }
                }
            },
            [] { return true; });
    }
    const int third = (n + 2) / 3;
    const int expected[] = {third, n, n - third, 1, third + 1, -1, 1};
    const int want = expected[static_cast<int>(step)];
    if (want >= 0 ? w.Selected() != want : w.Selected() < 1)
        state.SkipWithError("the selection is not what the step makes");
    Report(state, longest);
}
#define BV_SCATTERED_TRACK_VIEW(name, step)                                                        \
    BENCHMARK_CAPTURE(ScatteredTrackView, name, step)                                              \
        ->Arg(1000)                                                                                \
        ->Arg(10000)                                                                               \
        ->Arg(100000)                                                                              \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(3)
BV_SCATTERED_TRACK_VIEW(refresh, TScatteredStep::Refresh);
BV_SCATTERED_TRACK_VIEW(select_all, TScatteredStep::SelectAll);
BV_SCATTERED_TRACK_VIEW(invert, TScatteredStep::Invert);
BV_SCATTERED_TRACK_VIEW(click, TScatteredStep::Click);
BV_SCATTERED_TRACK_VIEW(ctrl_click, TScatteredStep::CtrlClick);
BV_SCATTERED_TRACK_VIEW(shift_click, TScatteredStep::ShiftClick);
BV_SCATTERED_TRACK_VIEW(down_key, TScatteredStep::Down);

} // namespace
