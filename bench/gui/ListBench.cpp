// One change to a long list box costs the same whatever the list's length: the view hears
// of the one row, keeps the selection and measures only a new or changed item. Each
// benchmark runs at 1,000, 10,000 and 100,000 items; the time per change should not grow
// with the count. The combo box's adds grow linearly with their number.
#include "BenchGui.h"
#include "StdCtrls.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

enum class TChange { Add, Delete, Change };

struct TListFixture {
    TForm* Form;
    TListBox* List;
    int Measured = 0;
    TListFixture(int count, bool variable) {
        EnsureGui();
        Form = new TForm(Application);
        Form->SetBounds(0, 0, 300, 400);
        List = new TListBox(Form);
        List->SetParent(Form);
        List->SetBounds(0, 0, 280, 380);
        List->SetMultiSelect(true);
        if (variable) {
            List->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
            List->OnMeasureItem = [this](TWinControl*, int index, int& height) {
                ++Measured;
                height = 16 + index % 3;
            };
        }
        List->Items()->BeginUpdate();
        for (int i = 0; i < count; ++i)
            List->Items()->Add("item " + std::to_string(i));
        List->Items()->EndUpdate();
        Form->Show();
        PumpGui();
        List->SetSelected(count / 2, true);
        List->SetItemIndex(count / 2);
        PumpGui();
        Measured = 0;
    }
    ~TListFixture() {
        delete Form;
        PumpGui();
    }
};

// Each iteration makes one change and lets the view catch up (layout and paint), then
// checks that the selected item is still selected.
void RunListChange(benchmark::State& state, TChange change, bool variable) {
    const int count = static_cast<int>(state.range(0));
    TListFixture f(count, variable);
    TStrings* items = f.List->Items();
    int changes = 0;
    for (auto _ : state) {
        switch (change) {
        case TChange::Add:
            items->Add("added");
            break;
        case TChange::Delete:
            items->Delete(items->Count() - 1);
            state.PauseTiming();
            items->Add("refill");
            PumpGui();
            state.ResumeTiming();
            break;
        case TChange::Change:
            items->Put(count / 4, "changed " + std::to_string(changes));
            break;
        }
        ++changes;
        PumpGui();
        if (!f.List->Selected(count / 2)) {
            state.SkipWithError("the selection was lost");
            break;
        }
    }
    state.counters["measured_per_change"] =
        benchmark::Counter(static_cast<double>(f.Measured) / std::max(1, changes));
}

void BM_ListBoxAdd(benchmark::State& s) {
    RunListChange(s, TChange::Add, false);
}
void BM_ListBoxDelete(benchmark::State& s) {
    RunListChange(s, TChange::Delete, false);
}
void BM_ListBoxChange(benchmark::State& s) {
    RunListChange(s, TChange::Change, false);
}
void BM_VariableListAdd(benchmark::State& s) {
    RunListChange(s, TChange::Add, true);
}
void BM_VariableListDelete(benchmark::State& s) {
    RunListChange(s, TChange::Delete, true);
}
void BM_VariableListChange(benchmark::State& s) {
    RunListChange(s, TChange::Change, true);
}

BENCHMARK(BM_ListBoxAdd)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListBoxDelete)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListBoxChange)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VariableListAdd)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VariableListDelete)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VariableListChange)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// N adds to a shown combo box; the time per add stays flat as N grows.
void BM_ComboBoxAdds(benchmark::State& state) {
    EnsureGui();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TForm(Application);
        auto* combo = new TComboBox(form);
        combo->SetParent(form);
        form->Show();
        PumpGui();
        state.ResumeTiming();
        for (int i = 0; i < count; ++i)
            combo->Items()->Add("drive " + std::to_string(i));
        PumpGui();
        state.PauseTiming();
        delete form;
        PumpGui();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}
BENCHMARK(BM_ComboBoxAdds)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
