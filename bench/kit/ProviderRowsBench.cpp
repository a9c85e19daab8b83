// A provider's rows as the kit boxes read them: Item(i) over every row of a flat list and of a
// tree (parents with many children), and one screen painted by a list box linked to a provider
// of 10,000 and 100,000 items, at its top and at its end. A row's item is found again from its ID,
// so this shows whether that search costs the list's length on every call.
#include "BenchGui.h"
#include "BenchProvider.h"
#include "BvDataViewList.h"
#include "BvListBox.h"

#include <QAbstractScrollArea>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <string>

namespace {

// Every row read once through Item; the consumer is made and linked outside the timing.
void ItemOverAllRows(benchmark::State& state, bool tree) {
    const int count = static_cast<int>(state.range(0));
    auto provider = TIntf<TBenchProvider>(BvCreate<TBenchProvider>());
    if (tree) {
        // Ten parents, each with a tenth of the items.
        for (int p = 0; p < 10; ++p) {
            auto* list = provider->SubList(provider->Add("folder " + std::to_string(p)));
            for (int i = 0; i < count / 10; ++i)
                provider->Add("item " + std::to_string(i), list);
        }
    } else {
        for (int i = 0; i < count; ++i)
            provider->Add("item " + std::to_string(i));
    }
    TComponent owner(nullptr);
    auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    consumer->SetProvider(provider.Get());
    auto* view = consumer->ViewList();
    view->SetAutoExpandLevel(-1);
    view->RebuildView();
    for (auto _ : state)
        for (int i = 0; i < view->Count(); ++i)
            benchmark::DoNotOptimize(view->Item(i).Get());
    state.SetItemsProcessed(state.iterations() * view->Count());
    state.SetComplexityN(count);
    consumer->Destroy();
}

void BM_ViewListItemOverAllRows(benchmark::State& state) {
    ItemOverAllRows(state, false);
}
void BM_ViewListItemOverAllRowsOfATree(benchmark::State& state) {
    ItemOverAllRows(state, true);
}

// One screen of a list box whose rows come from a provider, scrolled to the top or the end.
void BM_ProviderListBoxPaintOneScreen(benchmark::State& state) {
    EnsureGui();
    const int kRows = static_cast<int>(state.range(0));
    const bool atEnd = state.range(1) != 0;
    auto provider = TIntf<TBenchProvider>(BvCreate<TBenchProvider>());
    for (int i = 0; i < kRows; ++i)
        provider->Add("Artist " + std::to_string(i % 97) + " - Title " + std::to_string(i));
    auto* form = new TForm(Application);
    form->SetBounds(0, 0, 420, 440);
    auto* box = new TBvListBox(form);
    box->SetParent(form);
    box->SetBounds(0, 0, 400, 400);
    box->Provider()->SetProvider(provider.Get());
    form->Show();
    PumpGui();
    if (box->Count() != kRows)
        state.SkipWithError("rows missing");
    box->SetTopIndex(atEnd ? kRows - 1 : 0);
    PumpGui();
    auto* area = dynamic_cast<QAbstractScrollArea*>(box->Widget());
    QWidget* view = area ? area->viewport() : box->Widget();
    for (auto _ : state)
        view->repaint();
    delete form;
    PumpGui();
}

} // namespace

BENCHMARK(BM_ViewListItemOverAllRows)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_ViewListItemOverAllRowsOfATree)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_ProviderListBoxPaintOneScreen)
    ->ArgNames({"rows", "at_end"})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);
