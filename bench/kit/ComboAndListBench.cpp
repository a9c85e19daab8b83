// The kit's combo box and owner-drawn list box grow linearly with their items: N adds to a
// shown combo box (plain, and owner-drawn with every item measured), N rows a linked
// provider brings, and N items of the owner-drawn list box filled and laid out.
#include "BenchGui.h"
#include "BvComboBox.h"
#include "BvDataItems.h"
#include "BvDataRenderers.h"
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

// A provider of N items linked to a shown combo box: the box's rows follow.
class TBenchProvider : public TExtensibleInterfacedPersistent, public IBvDataProvider {
public:
    void AfterConstruction() override {
        TExtensibleInterfacedPersistent::AfterConstruction();
        root_ = BvCreate<TBvDataItemsList>(static_cast<IBvDataProvider*>(this));
        hold_ = TIntf<IBvDataItems>(root_);
        BvCreate<TBvCustomDataItemsTextRenderer>(root_);
    }
    void Add(const std::string& caption) {
        auto* item = BvCreate<TBvBaseDataItem>(static_cast<IBvDataItems*>(root_));
        BvCreate<TBvDataItemTextImpl>(item)->SetCaption(caption);
        root_->AppendItem(item);
    }
    void RegisterChangeNotify(IBvDataProviderChangeSink* sink) override { sinks_.push_back(sink); }
    void UnregisterChangeNotify(IBvDataProviderChangeSink* sink) override {
        std::erase(sinks_, sink);
    }
    TIntf<IBvDataItems> GetItems() override { return hold_; }
    void Changing(TBvProviderChangeReason, IInterface*) override {}
    void Changed(TBvProviderChangeReason, IInterface*) override {}
    std::vector<const TBvDataConsumerClass*> ConsumerClasses() override { return {}; }
    void SelectConsumer(IBvDataConsumer* consumer) override {
        consumers_.push_back(TIntf<IBvDataConsumer>(consumer));
    }
    TIntf<IBvDataConsumer> SelectedConsumer() override {
        return consumers_.empty() ? nullptr : consumers_.back();
    }
    void ReleaseConsumer() override {
        if (!consumers_.empty())
            consumers_.pop_back();
    }
    void SelectContext(IBvDataContext*) override {}
    TIntf<IBvDataContext> SelectedContext() override { return nullptr; }
    void ReleaseContext() override {}

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override {
        if (BvOffer<IBvDataProvider>(this, iid, obj) ||
            TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj))
            return true;
        if (SameGUID(iid, IBvDataItems::IID) || SameGUID(iid, IBvDataItemsIDSearch::IID))
            return root_ && root_->GetInterface(iid, obj);
        return false;
    }
    void BeforeDestruction() override {
        TExtensibleInterfacedPersistent::BeforeDestruction();
        consumers_.clear();
        hold_ = nullptr;
    }

private:
    TBvDataItemsList* root_ = nullptr;
    TIntf<IBvDataItems> hold_;
    std::vector<IBvDataProviderChangeSink*> sinks_;
    std::vector<TIntf<IBvDataConsumer>> consumers_;
};

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
