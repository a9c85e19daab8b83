// The kit's combo box and owner-drawn list box grow linearly with their items: N adds to a
// shown combo box (plain, and owner-drawn with every item measured), N rows a linked
// provider brings, and N items of the owner-drawn list box filled and laid out.
#include "BenchGui.h"
#include "BenchProvider.h"
#include "BvComboBox.h"
#include "BvgListBox.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kCounts[] = {1000, 2000, 5000, 10000};

// N adds to a shown kit combo box; the time per add stays flat as N grows.
void RunComboAdds(benchmark::State& state, bool ownerDrawn) {
    EnsureGui();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TForm(Application);
        auto* combo = new TBvComboBox(form);
        combo->SetParent(form);
        if (ownerDrawn) {
            combo->SetStyle(TComboBoxStyle::csOwnerDrawVariable);
            combo->SetMeasureStyle(TBvComboBoxMeasureStyle::cmsAfterCreate);
            combo->OnMeasureItem = [](TWinControl*, int index, int& height) {
                height = 16 + index % 3;
            };
        }
        form->Show();
        PumpGui();
        state.ResumeTiming();
        for (int i = 0; i < count; ++i)
            combo->Items()->Add("drive " + std::to_string(i));
        if (ownerDrawn)
            combo->MeasureAllItems();
        PumpGui();
        state.PauseTiming();
        delete form;
        PumpGui();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}

void BM_KitComboBoxAdds(benchmark::State& state) {
    RunComboAdds(state, false);
}
void BM_KitComboBoxOwnerDrawnAddsMeasured(benchmark::State& state) {
    RunComboAdds(state, true);
}

void BM_KitComboBoxProviderRows(benchmark::State& state) {
    EnsureGui();
    const int count = static_cast<int>(state.range(0));
    auto provider = TIntf<TBenchProvider>(BvCreate<TBenchProvider>());
    for (int i = 0; i < count; ++i)
        provider->Add("item " + std::to_string(i));
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TForm(Application);
        auto* combo = new TBvComboBox(form);
        combo->SetParent(form);
        combo->SetStyle(TComboBoxStyle::csDropDownList);
        form->Show();
        PumpGui();
        state.ResumeTiming();
        combo->Provider()->SetProvider(provider.Get());
        PumpGui();
        benchmark::DoNotOptimize(combo->Items()->Count());
        state.PauseTiming();
        delete form;
        PumpGui();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}

// N items of the owner-drawn list box, each measured once as the shown box lays them out.
void BM_OwnerDrawnListBoxFill(benchmark::State& state) {
    EnsureGui();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TForm(Application);
        form->SetBounds(0, 0, 300, 400);
        auto* list = new TBvgListBox(form);
        list->SetParent(form);
        list->SetBounds(0, 0, 280, 380);
        list->ItemSelStyle()->Bevel()->SetOuter(TBevelCut::bvRaised);
        form->Show();
        PumpGui();
        state.ResumeTiming();
        list->Items()->BeginUpdate();
        for (int i = 0; i < count; ++i)
            list->Items()->Add("Playlist number " + std::to_string(i));
        list->Items()->EndUpdate();
        PumpGui();
        benchmark::DoNotOptimize(list->ItemRect(count - 1));
        state.PauseTiming();
        delete form;
        PumpGui();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
    state.SetComplexityN(count);
}

void Counts(benchmark::internal::Benchmark* b) {
    for (int n : kCounts)
        b->Arg(n);
    b->Unit(benchmark::kMillisecond)->Complexity();
}

BENCHMARK(BM_KitComboBoxAdds)->Apply(Counts);
BENCHMARK(BM_KitComboBoxOwnerDrawnAddsMeasured)->Apply(Counts);
BENCHMARK(BM_KitComboBoxProviderRows)->Apply(Counts);
BENCHMARK(BM_OwnerDrawnListBoxFill)->Apply(Counts);

} // namespace
