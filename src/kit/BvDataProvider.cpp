#include "BvDataProvider.h"

#include "BvDataViewList.h"
#include "Controls.h"
#include "ScopeExit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

// ---- extensible interfaced objects ----

const TClassInfo& TExtensibleInterfacedPersistent::StaticClassInfo() {
    static const TClassInfo info("TExtensibleInterfacedPersistent", &TPersistent::StaticClassInfo(),
                                 {}, "BvDataProvider");
    return info;
}

TExtensibleInterfacedPersistent::~TExtensibleInterfacedPersistent() {
    FreeExtensions();
}

void TExtensibleInterfacedPersistent::FreeExtensions() {
    // Last to first, each slot cleared before its object goes.
    while (!extensions_.empty()) {
        TAggregatedPersistentEx* e = extensions_.back();
        extensions_.pop_back();
        e->Destroy();
    }
}

HRESULT TExtensibleInterfacedPersistent::QueryInterface(const TGUID& iid, void** obj) {
    *obj = nullptr;
    return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
}

int32_t TExtensibleInterfacedPersistent::_AddRef() {
    return ++refCount_;
}

int32_t TExtensibleInterfacedPersistent::_Release() {
    int32_t n = --refCount_;
    if (n == 0)
        Destroy();
    return n;
}

bool TExtensibleInterfacedPersistent::GetOwnInterface(const TGUID& iid, void** obj) {
    if (SameGUID(iid, IInterface::IID)) {
        _AddRef();
        *obj = static_cast<IInterface*>(this);
        return true;
    }
    return false;
}

bool TExtensibleInterfacedPersistent::GetInterface(const TGUID& iid, void** obj) {
    if (GetOwnInterface(iid, obj))
        return true;
    for (size_t i = extensions_.size(); i-- > 0;)
        if (extensions_[i]->GetInterface(iid, obj))
            return true;
    return false;
}

bool TExtensibleInterfacedPersistent::ExtensionIsStreamed(
    const TAggregatedPersistentEx* extension) const {
    return extension && GetBvClass(extension->ClassName()) != nullptr;
}

TAggregatedPersistentEx* TExtensibleInterfacedPersistent::Extension(int index) const {
    if (index < 0 || index >= ExtensionCount())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return extensions_[static_cast<size_t>(index)];
}

TAggregatedPersistentEx*
TExtensibleInterfacedPersistent::FindExtension(const TClassInfo& cls) const {
    for (TAggregatedPersistentEx* e : extensions_)
        if (e->ClassInfo().InheritsFrom(cls))
            return e;
    return nullptr;
}

void TExtensibleInterfacedPersistent::AddExtension(TAggregatedPersistentEx* extension) {
    for (TAggregatedPersistentEx* e : extensions_)
        if (e->ClassInfo().InheritsFrom(extension->ClassInfo()) ||
            extension->ClassInfo().InheritsFrom(e->ClassInfo()))
            throw EBvException("Implementation of that class already exists");
    extensions_.push_back(extension);
}

void TExtensibleInterfacedPersistent::RemoveExtension(TAggregatedPersistentEx* extension) {
    auto it = std::find(extensions_.begin(), extensions_.end(), extension);
    if (it != extensions_.end())
        extensions_.erase(it);
}

void TExtensibleInterfacedPersistent::AfterConstruction() {
    // References taken while the standard extensions are made must not free the object.
    CreateStandardExtensions();
    --refCount_;
}

void TExtensibleInterfacedPersistent::AbandonConstruction() {
    refCount_ = 0;
    Destroy();
}

void TExtensibleInterfacedPersistent::BeforeDestruction() {
    // Freeing an object that is still referenced would leave those references dangling: a
    // programming fault, stopped here in every build rather than thrown from a destructor.
    if (refCount_.load() != 0) {
        std::fprintf(stderr, "%s: object freed while interface references remain\n",
                     ClassName().c_str());
        std::abort();
    }
}

void TExtensibleInterfacedPersistent::Destroy() {
    BeforeDestruction();
    delete this;
}

// ---- aggregated objects ----

const TClassInfo& TAggregatedPersistent::StaticClassInfo() {
    static const TClassInfo info("TAggregatedPersistent", &TPersistent::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

HRESULT TAggregatedPersistent::QueryInterface(const TGUID& iid, void** obj) {
    return controller_->QueryInterface(iid, obj);
}

int32_t TAggregatedPersistent::_AddRef() {
    return controller_->_AddRef();
}

int32_t TAggregatedPersistent::_Release() {
    return controller_->_Release();
}

bool TAggregatedPersistent::GetOwnInterface(const TGUID&, void**) {
    return false;
}

bool TAggregatedPersistent::GetInterface(const TGUID& iid, void** obj) {
    return GetOwnInterface(iid, obj);
}

const TClassInfo& TAggregatedPersistentEx::StaticClassInfo() {
    static const TClassInfo info("TAggregatedPersistentEx",
                                 &TAggregatedPersistent::StaticClassInfo(), {}, "BvDataProvider");
    return info;
}

TAggregatedPersistentEx::TAggregatedPersistentEx(TExtensibleInterfacedPersistent* owner)
    : TAggregatedPersistent(static_cast<IInterface*>(owner)), owner_(owner) {}

void TAggregatedPersistentEx::AfterConstruction() {
    owner_->AddExtension(this);
    added_ = true;
}

void TAggregatedPersistentEx::AbandonConstruction() {
    Destroy();
}

void TAggregatedPersistentEx::BeforeDestruction() {
    if (added_)
        owner_->RemoveExtension(this);
    added_ = false;
}

void TAggregatedPersistentEx::Destroy() {
    BeforeDestruction();
    delete this;
}

// ---- class registry ----

namespace {

struct TClassRegistry {
    std::mutex Lock;
    std::vector<const TClassInfo*> Classes;
};

TClassRegistry& Registry() {
    static TClassRegistry r;
    return r;
}

} // namespace

void RegisterBvClass(const TClassInfo& cls) {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.Lock);
    if (std::find(r.Classes.begin(), r.Classes.end(), &cls) == r.Classes.end())
        r.Classes.push_back(&cls);
}

const TClassInfo* GetBvClass(const std::string& name) {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.Lock);
    for (const TClassInfo* c : r.Classes)
        if (SameText(c->Name(), name))
            return c;
    return nullptr;
}

std::vector<const TClassInfo*> RegisteredBvClasses() {
    TClassRegistry& r = Registry();
    std::lock_guard<std::mutex> hold(r.Lock);
    return r.Classes;
}

// ---- consumer ----

const TClassInfo& TBvDataConsumer::StaticClassInfo() {
    static const TClassInfo info("TBvDataConsumer",
                                 &TExtensibleInterfacedPersistent::StaticClassInfo(),
                                 {StrProp<TBvDataConsumer>("Context", &TBvDataConsumer::Context,
                                                           &TBvDataConsumer::SetContext)},
                                 "BvDataProvider");
    return info;
}

TBvDataConsumer::TBvDataConsumer(TComponent* owner, std::vector<int> attributes) : owner_(owner) {
    for (int a : attributes)
        if (std::find(attributes_.begin(), attributes_.end(), a) == attributes_.end())
            attributes_.push_back(a);
}

bool TBvDataConsumer::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataConsumer>(this, iid, obj) ||
           BvOffer<IBvDataProviderChangeSink>(this, iid, obj) ||
           BvOffer<IBvDataConsumerProviderLink>(this, iid, obj) ||
           BvOffer<IBvDataConsumerLinkServer>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj);
}

void TBvDataConsumer::BeforeDestruction() {
    // A consumer on its way out tells its owner nothing: the owner may be half gone itself.
    destroying_ = true;
    OnSubServiceCreated = nullptr;
    OnCreatingSubService = nullptr;
    OnChanging = nullptr;
    OnChanged = nullptr;
    OnProviderDataChanging = nullptr;
    OnProviderDataChanged = nullptr;
    try {
        SetProvider(nullptr);
    } catch (const std::exception& e) {
        // A provider that raises while letting go must not stop the owner's destruction.
        std::fprintf(stderr, "Data consumer: the provider raised while unlinking: %s\n", e.what());
        provider_ = nullptr;
        context_ = nullptr;
    }
    clients_.clear();
    FreeExtensions();
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

bool TBvDataConsumer::HasAttribute(int attr) {
    for (size_t i = attributes_.size(); i-- > 0;)
        if (attributes_[i] == attr)
            return true;
    return false;
}

bool TBvDataConsumer::OwnerLoading() const {
    return owner_ && owner_->IsLoading();
}

int TBvDataConsumer::SubServiceCount() const {
    return ExtensionCount();
}

TBvDataConsumerAggregatedObject* TBvDataConsumer::SubService(int index) const {
    return static_cast<TBvDataConsumerAggregatedObject*>(Extension(index));
}

TBvDataConsumerViewList* TBvDataConsumer::ViewList() const {
    return FindExtension<TBvDataConsumerViewList>();
}

template <class F> void TBvDataConsumer::EachSubService(F f) {
    // By index with a fresh bound each step: a sub-service may go during the call.
    for (int i = 0; i < SubServiceCount(); ++i)
        f(SubService(i));
}

void TBvDataConsumer::DoChanging(TBvConsumerChangeReason reason) {
    if (OnChanging)
        OnChanging(this, reason);
}

void TBvDataConsumer::DoChanged(TBvConsumerChangeReason reason) {
    if (destroying_)
        return;
    if (auto* control = dynamic_cast<TControl*>(owner_))
        control->Invalidate();
    if (OnChanged)
        OnChanged(this, reason);
}

void TBvDataConsumer::ViewChanged(TBvDataConsumerAggregatedObject* source) {
    EachSubService([&](TBvDataConsumerAggregatedObject* s) {
        if (s != source)
            s->ViewChanged(source);
    });
    DoChanged(TBvConsumerChangeReason::crView);
}

TIntf<IBvDataContext> TBvDataConsumer::DefaultContext() const {
    auto contexts = Supports<IBvDataContexts>(provider_);
    if (contexts && contexts->Count() > 0)
        return contexts->GetContext(0);
    return nullptr;
}

TIntf<IBvDataContext> TBvDataConsumer::ResolveContext(IBvDataProvider* provider,
                                                      const std::string& name) const {
    if (name.empty())
        return nullptr;
    auto contexts = Supports<IBvDataContexts>(provider);
    if (!contexts)
        throw EBvDataConsumer("Provider does not support contexts");
    auto context = contexts->GetContextByName(name);
    if (!context)
        throw EBvDataConsumer(Format("Provider has no context named \"%s\"", {name}));
    return context;
}

void TBvDataConsumer::SetProvider(IBvDataProvider* value) {
    if (value == provider_.Get())
        return;
    TIntf<IBvDataProvider> keep(value);
    // A context waiting for this provider is looked up before anything changes, so a name the
    // provider lacks leaves the consumer linked as it was.
    bool applyPending = !pendingContext_.empty() && value && !OwnerLoading();
    TIntf<IBvDataContext> pending;
    if (applyPending)
        pending = ResolveContext(value, pendingContext_);

    DoChanging(TBvConsumerChangeReason::crProvider);
    if (provider_)
        provider_->UnregisterChangeNotify(this);
    if (!BroadcastsHeld())
        EachSubService([](TBvDataConsumerAggregatedObject* s) { s->ProviderChanging(); });
    provider_ = keep;
    if (provider_)
        provider_->RegisterChangeNotify(this);

    if (applyPending) {
        SetContextIntf(pending.Get());
        pendingContext_.clear();
    } else {
        SetContextIntf(DefaultContext().Get());
    }

    if (!BroadcastsHeld()) {
        for (int i = 0; i < SubServiceCount();) {
            TBvDataConsumerAggregatedObject* s = SubService(i);
            if (!s->NeedFixup() && !s->SurvivesProviderChange()) {
                s->Destroy();
                continue;
            }
            s->ProviderChanged();
            ++i;
        }
        RefreshSubServices();
    }

    bool anyNeedsFixup = false;
    EachSubService([&](TBvDataConsumerAggregatedObject* s) { anyNeedsFixup |= s->NeedFixup(); });
    bool fixups = (fixupPending_ && !OwnerLoading()) || anyNeedsFixup;
    if (!fixups && !(!pendingContext_.empty() && !OwnerLoading())) {
        auto clients = clients_;
        for (auto& c : clients)
            if (auto client = Supports<IBvDataConsumerClient>(c))
                client->ConsumerProviderChanged(this);
    }
    if (fixups) {
        EachSubService([](TBvDataConsumerAggregatedObject* s) { s->Fixup(); });
        fixupPending_ = false;
    }
    ViewChanged(nullptr);
    DoChanged(TBvConsumerChangeReason::crProvider);
}

TBvDataContextID TBvDataConsumer::Context() const {
    return context_ ? context_->Name() : std::string();
}

void TBvDataConsumer::SetContext(const TBvDataContextID& value) {
    if (AnsiSameStr(value, Context()))
        return;
    if (!provider_) {
        if (owner_ && owner_->IsLoading()) {
            pendingContext_ = value;
            return;
        }
        throw EBvDataConsumer("You must specify a provider before setting the context");
    }
    if (value.empty()) {
        SetContextIntf(nullptr);
        return;
    }
    auto context = ResolveContext(provider_.Get(), value);
    SetContextIntf(context.Get());
}

void TBvDataConsumer::SetContextIntf(IBvDataContext* value) {
    if (value == context_.Get())
        return;
    TIntf<IBvDataContext> keep(value);
    if (value) {
        auto contexts = value->Contexts();
        auto provider = contexts ? contexts->Provider() : nullptr;
        if (!SameObject(provider.Get(), provider_.Get()))
            throw EBvDataConsumer("The specified context is not part of the same provider");
    }
    DoChanging(TBvConsumerChangeReason::crContext);
    if (!BroadcastsHeld())
        EachSubService([](TBvDataConsumerAggregatedObject* s) { s->ContextChanging(); });
    context_ = keep;
    if (!BroadcastsHeld()) {
        for (int i = 0; i < SubServiceCount();) {
            TBvDataConsumerAggregatedObject* s = SubService(i);
            if (!s->NeedFixup() && !s->SurvivesContextChange()) {
                s->Destroy();
                continue;
            }
            s->ContextChanged();
            ++i;
        }
        RefreshSubServices();
    }
    DoChanged(TBvConsumerChangeReason::crContext);
}

bool TBvDataConsumer::ContextStored() const {
    auto contexts = Supports<IBvDataContexts>(provider_);
    if (!contexts || contexts->Count() == 0)
        return false;
    return context_.Get() != contexts->GetContext(0).Get();
}

void TBvDataConsumer::Enter() {
    if (!provider_)
        return;
    provider_->SelectConsumer(this);
    TScopeExit undo([this] { provider_->ReleaseConsumer(); });
    provider_->SelectContext(context_.Get());
    undo.Release();
}

void TBvDataConsumer::Leave() {
    if (!provider_)
        return;
    auto previous = provider_->SelectedConsumer();
    provider_->ReleaseConsumer();
    TScopeExit undo([this, &previous] { provider_->SelectConsumer(previous.Get()); });
    provider_->ReleaseContext();
    undo.Release();
}

void TBvDataConsumer::NotifyItemSelected(IBvDataItem* item) {
    EachSubService([&](TBvDataConsumerAggregatedObject* s) { s->ItemSelected(item); });
    if (auto action = Supports<IBvDataItemAction>(item))
        action->Execute(owner_);
}

void TBvDataConsumer::Fixup() {
    if (!pendingContext_.empty()) {
        std::string name = pendingContext_;
        if (provider_) {
            auto context = ResolveContext(provider_.Get(), name);
            pendingContext_.clear();
            SetContextIntf(context.Get());
        }
    }
    if (fixupPending_) {
        EachSubService([](TBvDataConsumerAggregatedObject* s) { s->Fixup(); });
        fixupPending_ = false;
    }
}

void TBvDataConsumer::SubServiceCreated(TBvDataConsumerAggregatedObject* subService) {
    if (OnSubServiceCreated)
        OnSubServiceCreated(this, subService);
    if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(subService))
        view->RebuildView();
}

void TBvDataConsumer::RefreshSubServices() {
    if (!provider_) {
        FreeExtensions();
        return;
    }
    std::vector<const TBvDataConsumerClass*> classes;
    {
        TBvConsumerScope scope(this);
        classes = provider_->ConsumerClasses();
    }
    auto make = [&](const TBvDataConsumerClass* cls, bool viaCreated) {
        if (OnCreatingSubService)
            OnCreatingSubService(this, cls);
        // A handler may swap in a class that is already here.
        if (!cls || FindExtension(cls->Info()))
            return;
        TBvDataConsumerAggregatedObject* s = cls->Create(this);
        if (viaCreated)
            SubServiceCreated(s);
        else if (OnSubServiceCreated)
            OnSubServiceCreated(this, s);
    };
    for (const TBvDataConsumerClass* cls : classes)
        if (cls && !FindExtension(cls->Info()))
            make(cls, false);
    if (HasAttribute(attrDisplaysList) && !ViewList())
        make(ConsumerClassOf<TBvDataConsumerViewList>(), true);
}

void TBvDataConsumer::ProviderChanging(IBvDataProvider* provider, TBvProviderChangeReason reason,
                                       IInterface* source) {
    if (OnProviderDataChanging)
        OnProviderDataChanging(provider, reason, source);
    EachSubService([&](TBvDataConsumerAggregatedObject* s) {
        s->DataProviderChanging(provider, reason, source);
    });
    if (reason == TBvProviderChangeReason::prDestroying)
        SetProvider(nullptr);
}

void TBvDataConsumer::ProviderChanged(IBvDataProvider* provider, TBvProviderChangeReason reason,
                                      IInterface* source) {
    if (OnProviderDataChanged)
        OnProviderDataChanged(provider, reason, source);
    EachSubService([&](TBvDataConsumerAggregatedObject* s) {
        s->DataProviderChanged(provider, reason, source);
    });
    if (reason == TBvProviderChangeReason::prContextDeleted && context_) {
        // The selected context left its list: the consumer moves to the default one.
        auto contexts = context_->Contexts();
        if (!contexts || contexts->IndexOf(context_.Get()) < 0)
            SetContextIntf(DefaultContext().Get());
    }
    if (reason == TBvProviderChangeReason::prRefresh)
        ViewChanged(nullptr);
    else
        DoChanged(TBvConsumerChangeReason::crProviderData);
}

void TBvDataConsumer::LinkNotify(IInterface* a, IInterface* b) {
    EachSubService([&](TBvDataConsumerAggregatedObject* s) { s->LinkNotify(a, b); });
}

void TBvDataConsumer::AddClient(IInterface* client) {
    clients_.push_back(TIntf<IInterface>(client));
}

void TBvDataConsumer::RemoveClient(IInterface* client) {
    for (size_t i = clients_.size(); i-- > 0;)
        if (clients_[i].Get() == client) {
            clients_.erase(clients_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

// ---- scope ----

TBvConsumerScope::TBvConsumerScope(TBvDataConsumer* consumer)
    : uncaught_(std::uncaught_exceptions()) {
    if (consumer && consumer->Provider()) {
        consumer->Enter();
        consumer_ = consumer;
    }
}

TBvConsumerScope::~TBvConsumerScope() noexcept(false) {
    if (!consumer_)
        return;
    if (std::uncaught_exceptions() > uncaught_) {
        // Already unwinding: the first error is the one the caller hears of.
        try {
            consumer_->Leave();
        } catch (...) {
        }
        return;
    }
    consumer_->Leave();
}

// ---- sub-services ----

const TClassInfo& TBvDataConsumerAggregatedObject::StaticClassInfo() {
    static const TClassInfo info("TBvDataConsumerAggregatedObject",
                                 &TAggregatedPersistentEx::StaticClassInfo(), {}, "BvDataProvider");
    return info;
}

TBvDataConsumerAggregatedObject::TBvDataConsumerAggregatedObject(TBvDataConsumer* consumer)
    : TAggregatedPersistentEx(consumer) {}

void TBvDataConsumerAggregatedObject::Changed(TBvConsumerChangeReason reason) {
    needFixup_ = Consumer()->Provider() == nullptr;
    Consumer()->DoChanged(reason);
}

void TBvDataConsumerAggregatedObject::NotifyViewChanged() {
    Consumer()->ViewChanged(this);
}

void TBvDataConsumerAggregatedObject::RequestFixup() {
    Consumer()->SetFixupPending(true);
    needFixup_ = true;
}

TIntf<IBvDataConsumer> TBvDataConsumerAggregatedObject::ConsumerIntf() const {
    return TIntf<IBvDataConsumer>(Consumer());
}

TIntf<IBvDataItems> TBvDataConsumerAggregatedObject::RootItems() const {
    if (auto* select = Consumer()->FindSubService<TBvDataConsumerItemSelect>())
        if (auto item = select->GetItem())
            return Supports<IBvDataItems>(item);
    return Supports<IBvDataItems>(Consumer()->Provider());
}

const TClassInfo& TBvDataConsumerItemSelect::StaticClassInfo() {
    static const TClassInfo info(
        "TBvDataConsumerItemSelect", &TBvDataConsumerAggregatedObject::StaticClassInfo(),
        {StrProp<TBvDataConsumerItemSelect>("Item", &TBvDataConsumerItemSelect::Item,
                                            &TBvDataConsumerItemSelect::SetItemID)},
        "BvDataProvider");
    return info;
}

bool TBvDataConsumerItemSelect::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataConsumerItemSelect>(this, iid, obj) ||
           TBvDataConsumerAggregatedObject::GetOwnInterface(iid, obj);
}

void TBvDataConsumerItemSelect::SetItem(IBvDataItem* value) {
    if (value == selected_.Get())
        return;
    selected_ = TIntf<IBvDataItem>(value);
    NotifyViewChanged();
}

TBvDataItemID TBvDataConsumerItemSelect::Item() const {
    return selected_ ? selected_->GetID() : std::string();
}

void TBvDataConsumerItemSelect::SetItemID(const TBvDataItemID& id) {
    if (id == Item())
        return;
    if (id.empty()) {
        SetItem(nullptr);
        return;
    }
    TBvDataConsumer* c = Consumer();
    if (c->Provider()) {
        TBvConsumerScope scope(c);
        auto search = Supports<IBvDataItemsIDSearch>(c->Provider());
        auto item = search ? search->FindByID(id, true) : nullptr;
        if (!item)
            throw EBvDataConsumer("Item not found in the selected context");
        SetItem(item.Get());
        return;
    }
    if (c->OwnerComponent() && c->OwnerComponent()->IsLoading()) {
        pendingItemID_ = id;
        RequestFixup();
        return;
    }
    throw EBvDataConsumer("You must specify a provider before setting the item");
}

void TBvDataConsumerItemSelect::Fixup() {
    std::string id = pendingItemID_;
    pendingItemID_.clear();
    SetNeedFixup(false);
    SetItemID(id);
}

void TBvDataConsumerItemSelect::DataProviderChanging(IBvDataProvider*,
                                                     TBvProviderChangeReason reason,
                                                     IInterface* source) {
    if (reason != TBvProviderChangeReason::prItemDeleting || !source || !selected_)
        return;
    auto item = Supports<IBvDataItem>(source);
    if (!item)
        return;
    TBvConsumerScope scope(Consumer());
    if (item.Get() == selected_.Get() || item->IsParentOf(selected_.Get(), false)) {
        selected_ = nullptr;
        dropped_ = true;
    }
}

void TBvDataConsumerItemSelect::DataProviderChanged(IBvDataProvider*,
                                                    TBvProviderChangeReason reason, IInterface*) {
    // Once the item has gone, the views that started at it start at the root again.
    if (reason == TBvProviderChangeReason::prItemDeleting && dropped_) {
        dropped_ = false;
        NotifyViewChanged();
    }
}

// ---- string view and routines ----

std::string TBvConsumerStrings::Get(int index) const {
    if (index < 0)
        throw EListError(Format("List index out of bounds (%d)", {index}));
    TBvConsumerScope scope(consumer_);
    auto view = Supports<IBvDataConsumerViewList>(static_cast<IBvDataConsumer*>(consumer_));
    if (!view || index >= view->Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    auto text = Supports<IBvDataItemText>(view->Item(index));
    return text ? text->Caption() : std::string();
}

int TBvConsumerStrings::Count() const {
    TBvConsumerScope scope(consumer_);
    auto view = Supports<IBvDataConsumerViewList>(static_cast<IBvDataConsumer*>(consumer_));
    return view ? view->Count() : 0;
}

bool FindItemsInterface(IBvDataItem* item, const TGUID& iid, void** obj) {
    *obj = nullptr;
    TIntf<IBvDataItem> current(item);
    // A tree whose parents loop back would never end; no real tree is this deep.
    for (int guard = 0; current && guard < 100000; ++guard) {
        auto items = current->Items();
        if (!items)
            return false;
        if (items->QueryInterface(iid, obj) == S_OK && *obj) {
            return true;
        }
        current = items->Parent();
    }
    return false;
}

TIntf<IBvDataItemsRenderer> FindItemsRenderer(IBvDataItem* item) {
    return FindItemsInterface<IBvDataItemsRenderer>(item);
}

TProviderDrawStates ToProviderDrawState(uint16_t state) {
    return static_cast<TProviderDrawStates>(state & 0xFF);
}
