// A plain data provider for the kit benchmarks: a root list of captioned items, each of which
// may carry its own list of sub-items.
#pragma once

#include "BvDataItems.h"
#include "BvDataRenderers.h"

#include <string>
#include <vector>

class TBenchProvider : public TExtensibleInterfacedPersistent, public IBvDataProvider {
public:
    void AfterConstruction() override {
        TExtensibleInterfacedPersistent::AfterConstruction();
        root_ = BvCreate<TBvDataItemsList>(static_cast<IBvDataProvider*>(this));
        hold_ = TIntf<IBvDataItems>(root_);
        BvCreate<TBvCustomDataItemsTextRenderer>(root_);
    }
    // Adds a captioned item to list (the root list when null) and answers it.
    TBvBaseDataItem* Add(const std::string& caption, TBvDataItemsList* list = nullptr) {
        if (!list)
            list = root_;
        auto* item = BvCreate<TBvBaseDataItem>(static_cast<IBvDataItems*>(list));
        BvCreate<TBvDataItemTextImpl>(item)->SetCaption(caption);
        list->AppendItem(item);
        return item;
    }
    // A new, empty list of sub-items for item.
    TBvDataItemsList* SubList(TBvBaseDataItem* item) { return BvCreate<TBvDataItemsList>(item); }
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
