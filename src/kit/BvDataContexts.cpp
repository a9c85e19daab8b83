#include "BvDataContexts.h"

void CheckContextName(const std::string& name) {
    // A name with a separator could never be found again: a lookup splits it into a path.
    if (name.find_first_of("\\/") != std::string::npos)
        throw EBvDataContexts(Format("Invalid context name \"%s\"", {name}));
}

const TClassInfo& TBvBaseDataContexts::StaticClassInfo() {
    static const TClassInfo info("TBvBaseDataContexts",
                                 &TExtensibleInterfacedPersistent::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvBaseDataContexts::TBvBaseDataContexts(IBvDataProvider* provider, IBvDataContext* parentContext)
    : provider_(provider), parent_(parentContext) {}

bool TBvBaseDataContexts::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataContexts>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj);
}

int TBvBaseDataContexts::IndexOf(IBvDataContext* context) {
    for (int i = Count(); i-- > 0;)
        if (GetContext(i).Get() == context)
            return i;
    return -1;
}

TIntf<IBvDataContext> TBvBaseDataContexts::GetContextByName(const std::string& name) {
    size_t sep = name.find_first_of("\\/");
    std::string first = name.substr(0, sep);
    bool hasRest = sep != std::string::npos;
    std::string rest = hasRest ? name.substr(sep + 1) : std::string();
    if (first == "..") {
        if (!parent_)
            return nullptr;
        auto contexts = parent_->Contexts();
        return contexts ? contexts->GetContextByName(rest) : nullptr;
    }
    if (first.empty() && parent_ && hasRest) {
        auto top = Supports<IBvDataContexts>(provider_);
        return top ? top->GetContextByName(rest) : nullptr;
    }
    for (int i = Count(); i-- > 0;) {
        auto context = GetContext(i);
        if (!context || !AnsiSameText(context->Name(), first))
            continue;
        if (!hasRest)
            return context;
        auto sub = Supports<IBvDataContexts>(context);
        return sub ? sub->GetContextByName(rest) : nullptr;
    }
    return nullptr;
}

const TClassInfo& TBvDataContexts::StaticClassInfo() {
    static const TClassInfo info("TBvDataContexts", &TBvBaseDataContexts::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TIntf<IBvDataContext> TBvDataContexts::GetContext(int index) {
    if (index < 0 || index >= Count())
        throw EBvDataContexts(Format("List index out of bounds (%d)", {index}));
    return contexts_[static_cast<size_t>(index)];
}

void TBvDataContexts::Add(IBvDataContext* context) {
    if (!context)
        return;
    std::string name = context->Name();
    CheckContextName(name);
    for (auto& c : contexts_)
        if (AnsiSameText(c->Name(), name)) {
            if (c.Get() == context)
                return;
            throw EBvDataContexts("A context with that name already exists");
        }
    TIntf<IBvDataContext> keep(context);
    auto provider = Provider();
    if (provider)
        provider->Changing(TBvProviderChangeReason::prContextAdded, ParentContext().Get());
    contexts_.push_back(keep);
    if (provider)
        provider->Changed(TBvProviderChangeReason::prContextAdded, context);
}

void TBvDataContexts::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    TIntf<IBvDataContext> context = contexts_[static_cast<size_t>(index)];
    if (!context->CanDelete())
        return;
    auto provider = Provider();
    if (provider)
        provider->Changing(TBvProviderChangeReason::prContextDeleted, context.Get());
    // The provider may have changed the list while it was told.
    for (size_t i = contexts_.size(); i-- > 0;)
        if (contexts_[i] == context) {
            contexts_.erase(contexts_.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    if (provider)
        provider->Changed(TBvProviderChangeReason::prContextDeleted, ParentContext().Get());
}

void TBvDataContexts::Remove(IBvDataContext* context) {
    int index = IndexOf(context);
    if (index >= 0)
        Delete(index);
}

void TBvDataContexts::Clear() {
    for (int i = Count(); i-- > 0;)
        if (i < Count())
            Delete(i);
}

void TBvDataContexts::BeforeDestruction() {
    TBvBaseDataContexts::BeforeDestruction();
    // Contexts still held elsewhere no longer point at this list.
    for (auto& c : contexts_)
        if (auto* object = static_cast<TBvBaseDataContext*>(c->ImplementingObject()))
            object->DetachFromContexts();
    contexts_.clear();
}

const TClassInfo& TBvBaseDataContext::StaticClassInfo() {
    static const TClassInfo info("TBvBaseDataContext",
                                 &TExtensibleInterfacedPersistent::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvBaseDataContext::TBvBaseDataContext(TBvBaseDataContexts* contexts, const std::string& name)
    : contexts_(contexts) {
    if (!contexts)
        throw EBvDataContexts("Cannot create a context without a context list owner");
    CheckContextName(name);
}

bool TBvBaseDataContext::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataContext>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj);
}

TIntf<IBvDataContexts> TBvBaseDataContext::Contexts() {
    return TIntf<IBvDataContexts>(contexts_);
}

void TBvBaseDataContext::SetName(const std::string& value) {
    if (value == GetName())
        return;
    CheckContextName(value);
    if (contexts_) {
        auto other = contexts_->GetContextByName(value);
        if (other && other.Get() != static_cast<IBvDataContext*>(this))
            throw EBvDataContexts("A context with that name already exists");
    }
    DoSetName(value);
}

const TClassInfo& TBvDataContext::StaticClassInfo() {
    static const TClassInfo info("TBvDataContext", &TBvBaseDataContext::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvDataContext::TBvDataContext(TBvBaseDataContexts* contexts, const std::string& name)
    : TBvBaseDataContext(contexts, name), name_(name) {}

const TClassInfo& TBvManagedDataContext::StaticClassInfo() {
    static const TClassInfo info("TBvManagedDataContext", &TBvDataContext::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

bool TBvManagedDataContext::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvManagedDataContext>(this, iid, obj) ||
           TBvDataContext::GetOwnInterface(iid, obj);
}

const TClassInfo& TBvFixedDataContext::StaticClassInfo() {
    static const TClassInfo info("TBvFixedDataContext", &TBvDataContext::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}
