// A small data provider for tests: a tree of captioned items, optional contexts, and a log of
// every call a consumer makes on it.
#pragma once

#include "BvDataContexts.h"
#include "BvDataItems.h"
#include "BvDataRenderers.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class TFakeProvider : public TExtensibleInterfacedPersistent, public IBvDataProvider {
public:
    explicit TFakeProvider(bool withContexts = false) : withContexts_(withContexts) {}

    void AfterConstruction() override {
        TExtensibleInterfacedPersistent::AfterConstruction();
        root_ = BvCreate<TBvDataItemsList>(static_cast<IBvDataProvider*>(this));
        rootHold_ = TIntf<IBvDataItems>(root_);
        BvCreate<TBvBaseDataItemsListManagement>(root_);
        BvCreate<TBvCustomDataItemsTextRenderer>(root_);
        if (withContexts_) {
            contexts_ = BvCreate<TBvDataContexts>(static_cast<IBvDataProvider*>(this), nullptr);
            contextsHold_ = TIntf<IBvDataContexts>(contexts_);
        }
    }

    // Adds a captioned item to list (the root list when null) and answers it.
    TBvBaseDataItem* AddItem(const std::string& caption, TBvBaseDataItems* list = nullptr,
                             const std::string& id = "") {
        if (!list)
            list = root_;
        auto* item = BvCreate<TBvBaseDataItem>(static_cast<IBvDataItems*>(list));
        if (!id.empty())
            item->SetID(id);
        BvCreate<TBvDataItemTextImpl>(item)->SetCaption(caption);
        if (auto manage = Supports<IBvDataItemsManagement>(static_cast<IBvDataItems*>(list)))
            manage->Add(item);
        else
            list->AppendItem(item);
        return item;
    }
    // The item's sub-item list, made on first use.
    TBvDataItemsList* SubList(TBvBaseDataItem* item) {
        if (auto* ext = item->FindExtension<TBvBaseDataItemSubItems>())
            return static_cast<TBvDataItemsList*>(ext->List());
        auto* list = BvCreate<TBvDataItemsList>(item);
        BvCreate<TBvBaseDataItemsListManagement>(list);
        return list;
    }
    TBvBaseDataContext* AddContext(const std::string& name, bool fixed = false) {
        TBvBaseDataContext* c =
            fixed ? static_cast<TBvBaseDataContext*>(BvCreate<TBvFixedDataContext>(contexts_, name))
                  : BvCreate<TBvManagedDataContext>(contexts_, name);
        contexts_->Add(c);
        return c;
    }
    TBvDataItemsList* Root() const { return root_; }
    TBvDataContexts* ContextList() const { return contexts_; }
    // As a provider going away tells its consumers.
    void AnnounceDestroying() { Changing(TBvProviderChangeReason::prDestroying, nullptr); }

    // IBvDataProvider
    void RegisterChangeNotify(IBvDataProviderChangeSink* sink) override {
        Log.push_back("Register");
        sinks_.push_back(sink);
    }
    void UnregisterChangeNotify(IBvDataProviderChangeSink* sink) override {
        Log.push_back("Unregister");
        sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
    }
    TIntf<IBvDataItems> GetItems() override { return rootHold_; }
    void Changing(TBvProviderChangeReason reason, IInterface* source) override {
        Log.push_back("Changing " + std::to_string(static_cast<int>(reason)));
        // A copy: a sink may unregister itself while it is told.
        auto sinks = sinks_;
        for (auto* s : sinks)
            if (std::find(sinks_.begin(), sinks_.end(), s) != sinks_.end())
                s->ProviderChanging(this, reason, source);
    }
    void Changed(TBvProviderChangeReason reason, IInterface* source) override {
        Log.push_back("Changed " + std::to_string(static_cast<int>(reason)));
        auto sinks = sinks_;
        for (auto* s : sinks)
            if (std::find(sinks_.begin(), sinks_.end(), s) != sinks_.end())
                s->ProviderChanged(this, reason, source);
    }
    std::vector<const TBvDataConsumerClass*> ConsumerClasses() override {
        Log.push_back("ConsumerClasses");
        return Classes;
    }
    void SelectConsumer(IBvDataConsumer* consumer) override {
        Log.push_back("SelectConsumer");
        consumers_.push_back(TIntf<IBvDataConsumer>(consumer));
    }
    TIntf<IBvDataConsumer> SelectedConsumer() override {
        return consumers_.empty() ? nullptr : consumers_.back();
    }
    void ReleaseConsumer() override {
        Log.push_back("ReleaseConsumer");
        if (!consumers_.empty())
            consumers_.pop_back();
    }
    void SelectContext(IBvDataContext* context) override {
        Log.push_back("SelectContext " + (context ? context->Name() : std::string("-")));
        if (RaiseOnSelectContext)
            throw EBvDataProvider("select context failed");
        contextStack_.push_back(TIntf<IBvDataContext>(context));
    }
    TIntf<IBvDataContext> SelectedContext() override {
        return contextStack_.empty() ? nullptr : contextStack_.back();
    }
    void ReleaseContext() override {
        Log.push_back("ReleaseContext");
        if (RaiseOnReleaseContext)
            throw EBvDataProvider("release context failed");
        if (!contextStack_.empty())
            contextStack_.pop_back();
    }

    int SelectionDepth() const { return static_cast<int>(consumers_.size()); }
    int ContextDepth() const { return static_cast<int>(contextStack_.size()); }
    int SinkCount() const { return static_cast<int>(sinks_.size()); }

    std::vector<std::string> Log;
    std::vector<const TBvDataConsumerClass*> Classes;
    bool RaiseOnSelectContext = false;
    bool RaiseOnReleaseContext = false;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override {
        if (BvOffer<IBvDataProvider>(this, iid, obj) ||
            TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj))
            return true;
        if (SameGUID(iid, IBvDataItems::IID) || SameGUID(iid, IBvDataItemsIDSearch::IID))
            return root_ && root_->GetInterface(iid, obj);
        if (SameGUID(iid, IBvDataContexts::IID))
            return contexts_ && contexts_->GetInterface(iid, obj);
        return false;
    }
    void BeforeDestruction() override {
        TExtensibleInterfacedPersistent::BeforeDestruction();
        consumers_.clear();
        contextStack_.clear();
        contextsHold_ = nullptr;
        rootHold_ = nullptr;
    }

private:
    bool withContexts_;
    TBvDataItemsList* root_ = nullptr;
    TIntf<IBvDataItems> rootHold_;
    TBvDataContexts* contexts_ = nullptr;
    TIntf<IBvDataContexts> contextsHold_;
    std::vector<IBvDataProviderChangeSink*> sinks_;
    std::vector<TIntf<IBvDataConsumer>> consumers_;
    std::vector<TIntf<IBvDataContext>> contextStack_;
};

// A provider made and held by a test.
inline TIntf<TFakeProvider> MakeProvider(bool withContexts = false) {
    return TIntf<TFakeProvider>(BvCreate<TFakeProvider>(withContexts));
}
