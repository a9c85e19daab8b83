// The kit's list box and playlist box with 100,000 lines: filling, a rebuild in place after
// one entry changed, painting one screen, paging down to the end and deleting half the lines
// selected. A paint draws the visible lines only ("drawn" counts the lines drawn per paint),
// and nothing grows with the square of the count.
#include "BenchGui.h"
#include "BvListBox.h"
#include "BvPlaylist.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kLines = 100000;

std::string Entry(int i) {
    return "C:\\Music\\Artist " + std::to_string(i % 97) + " - Title " + std::to_string(i) +
           " (3:" + std::to_string(i % 60) + ").mp3";
}

struct TBoxFixture {
    TForm* Form;
    TBvListBox* Box;
    TBvPlaylist* Playlist = nullptr;
    int Drawn = 0;
    explicit TBoxFixture(bool playlist, bool multiLine) {
        EnsureGui();
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 420, 440);
        if (playlist) {
            Playlist = new TBvPlaylist(Form);
            Playlist->SetShowNumbers(true);
            Box = Playlist;
        } else {
            Box = new TBvListBox(Form);
        }
        Box->SetParent(Form);
        Box->SetBounds(0, 0, 400, 400);
        Box->SetMultiSelect(true);
        Box->SetMultiLine(multiLine);
        Box->OnGetText = [this](TObject*, int, std::string&) { ++Drawn; };
        Form->Show();
        PumpGui();
    }
    ~TBoxFixture() {
        delete Form;
        PumpGui();
    }
    void Fill(int count) {
        if (Playlist) {
            TStrings* entries = Playlist->Items();
            entries->BeginUpdate();
            for (int i = 0; i < count; ++i)
                entries->Add(Entry(i));
            entries->EndUpdate();
        } else {
            TStrings* lines = Box->Items();
            lines->BeginUpdate();
            for (int i = 0; i < count; ++i)
                lines->Add(Entry(i));
            lines->EndUpdate();
        }
        PumpGui();
    }
    QWidget* Viewport() const {
        auto* area = dynamic_cast<QAbstractScrollArea*>(Box->Widget());
        return area ? area->viewport() : Box->Widget();
    }
};

void Fill(benchmark::State& state, bool playlist, bool multiLine) {
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<TBoxFixture>(playlist, multiLine);
        state.ResumeTiming();
        f->Fill(kLines);
        state.PauseTiming();
        if (f->Box->Count() != kLines)
            state.SkipWithError("lines missing");
        f.reset();
        state.ResumeTiming();
    }
}

void RebuildAfterOneChange(benchmark::State& state, bool playlist, bool multiLine) {
    TBoxFixture f(playlist, multiLine);
    f.Fill(kLines);
    int n = 0;
    for (auto _ : state) {
        std::string changed = "changed " + std::to_string(n++);
        if (playlist)
            f.Playlist->Items()->Put(kLines / 2, changed);
        else
            f.Box->Items()->Put(kLines / 2, changed);
        PumpGui();
    }
}

void PaintOneScreen(benchmark::State& state, bool playlist, bool multiLine) {
    TBoxFixture f(playlist, multiLine);
    f.Fill(kLines);
    f.Box->SetTopIndex(kLines / 2);
    PumpGui();
    QWidget* view = f.Viewport();
    f.Drawn = 0;
    for (auto _ : state)
        view->repaint();
    state.counters["drawn"] =
        benchmark::Counter(static_cast<double>(f.Drawn) / static_cast<double>(state.iterations()));
}

void PageDownToTheEnd(benchmark::State& state, bool playlist, bool multiLine) {
    const int lines = static_cast<int>(state.range(0));
    TBoxFixture f(playlist, multiLine);
    f.Fill(lines);
    QWidget* view = f.Box->Widget();
    int pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.Box->SetItemIndex(0);
        f.Box->SetTopIndex(0);
        PumpGui();
        pages = 0;
        state.ResumeTiming();
        while (f.Box->ItemIndex() < lines - 1 && pages < lines) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(view, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier);
            QApplication::sendEvent(view, &release);
            view->repaint();
            ++pages;
        }
    }
    state.counters["pages"] = pages;
    // The time of one page, which must not grow with the length of the list.
    state.counters["per_page"] = benchmark::Counter(static_cast<double>(pages),
                                                    benchmark::Counter::kIsIterationInvariantRate |
                                                        benchmark::Counter::kInvert);
    if (f.Box->ItemIndex() != lines - 1)
        state.SkipWithError("the end was not reached");
}

void DeleteHalfSelected(benchmark::State& state, bool playlist, bool multiLine) {
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<TBoxFixture>(playlist, multiLine);
        f->Fill(kLines);
        for (int i = 0; i < kLines; i += 2)
            f->Box->SetSelected(i, true);
        PumpGui();
        state.ResumeTiming();
        f->Box->DeleteSelected();
        PumpGui();
        state.PauseTiming();
        if (f->Box->Count() != kLines / 2)
            state.SkipWithError("wrong count left");
        f.reset();
        state.ResumeTiming();
    }
}

} // namespace

// Each benchmark for a plain list box, a multi-line (owner-drawn, variable-height) one and a
// playlist box; a run that rebuilds its box each time runs once.
#define BV_BOX_BENCH(fn, iterations)                                                               \
    BENCHMARK_CAPTURE(fn, list_box, false, false)                                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations);                                                                  \
    BENCHMARK_CAPTURE(fn, list_box_multi_line, false, true)                                        \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations);                                                                  \
    BENCHMARK_CAPTURE(fn, playlist_box, true, false)                                               \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(iterations)

BV_BOX_BENCH(Fill, 1);
BV_BOX_BENCH(RebuildAfterOneChange, 20);
BV_BOX_BENCH(PaintOneScreen, 50);
BENCHMARK_CAPTURE(PageDownToTheEnd, list_box, false, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(10000)
    ->Arg(kLines);
BENCHMARK_CAPTURE(PageDownToTheEnd, list_box_multi_line, false, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(10000)
    ->Arg(kLines);
BENCHMARK_CAPTURE(PageDownToTheEnd, playlist_box, true, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Arg(10000)
    ->Arg(kLines);
BV_BOX_BENCH(DeleteHalfSelected, 1);
