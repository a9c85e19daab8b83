// "Select all", "Invert selection" and "Select none" on 1,000, 10,000 and 100,000 lines of
// the list box and the playlist box, each followed by the paint that shows it. Each starts
// from a selection the user could have made: runs of five lines every fifty lines for
// Select all and Invert (2,000 runs at 100,000 lines), the whole list for Select none. The time
// must grow no faster than the lines.
#include "BenchGui.h"
#include "BvListBox.h"
#include "BvPlaylist.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

enum class TCommand { SelectAll, Invert, SelectNone };

struct TSelectionFixture {
    TForm* Form;
    TBvListBox* Box;
    TSelectionFixture(bool playlist, int lines) {
        EnsureGui();
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 420, 440);
        Box = playlist ? new TBvPlaylist(Form) : new TBvListBox(Form);
        Box->SetParent(Form);
        Box->SetBounds(0, 0, 400, 400);
        Box->SetMultiSelect(true);
        TStrings* items = Box->Items();
        items->BeginUpdate();
        for (int i = 0; i < lines; ++i)
            items->Add("Artist " + std::to_string(i % 97) + " - Title " + std::to_string(i) +
                       " (3:" + std::to_string(i % 60) + ")");
        items->EndUpdate();
        Form->Show();
        PumpGui();
    }
    ~TSelectionFixture() {
        delete Form;
        PumpGui();
    }
    void RunsSelected() {
        Box->Perform(LB_SETSEL, 0, -1);
        for (int i = 0; i < Box->Count(); i += 50)
            Box->SetSelectedRange(i, i + 4, true);
    }
};

void Selection(benchmark::State& state, bool playlist, TCommand command) {
    const int lines = static_cast<int>(state.range(0));
    TSelectionFixture f(playlist, lines);
    int expected = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (command == TCommand::SelectNone)
            f.Box->SelectAll();
        else
            f.RunsSelected();
        PumpGui();
        const int before = f.Box->SelCount();
        state.ResumeTiming();
        switch (command) {
        case TCommand::SelectAll:
            f.Box->SelectAll();
            expected = lines;
            break;
        case TCommand::Invert:
            f.Box->InvertSelection();
            expected = lines - before;
            break;
        case TCommand::SelectNone:
            f.Box->Perform(LB_SETSEL, 0, -1);
            expected = 0;
            break;
        }
        PumpGui();
    }
    if (f.Box->SelCount() != expected)
        state.SkipWithError("wrong selection");
    state.SetComplexityN(lines);
}

} // namespace

#define BV_SELECTION_BENCH(name, playlist, command)                                                \
    BENCHMARK_CAPTURE(Selection, name, playlist, command)                                          \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(10)                                                                           \
        ->Arg(1000)                                                                                \
        ->Arg(10000)                                                                               \
        ->Arg(100000)                                                                              \
        ->Complexity()

BV_SELECTION_BENCH(select_all_list_box, false, TCommand::SelectAll);
BV_SELECTION_BENCH(select_all_playlist_box, true, TCommand::SelectAll);
BV_SELECTION_BENCH(invert_list_box, false, TCommand::Invert);
BV_SELECTION_BENCH(invert_playlist_box, true, TCommand::Invert);
BV_SELECTION_BENCH(select_none_list_box, false, TCommand::SelectNone);
BV_SELECTION_BENCH(select_none_playlist_box, true, TCommand::SelectNone);
