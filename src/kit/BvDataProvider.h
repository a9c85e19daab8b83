// The data consumer: a list-like control's link to an optional data provider, with the
// extensible interfaced objects the whole provider family is built from, the consumer's
// sub-services and the routines the controls call.
#pragma once

#include "BvDataProviderIntf.h"
#include "Component.h"
#include "ScopeExit.h"

#include <atomic>
#include <exception>
#include <functional>
#include <string>
#include <vector>

BV_DECLARE_EXCEPTION(EBvDataProvider, EBvException);
BV_DECLARE_EXCEPTION(EBvDataConsumer, EBvDataProvider);
BV_DECLARE_EXCEPTION(EBvDataItems, EBvDataProvider);
BV_DECLARE_EXCEPTION(EBvDataContexts, EBvDataProvider);

// Offers interface I of self when iid asks for it, as a counted reference: whoever answers an
// interface counts it through that interface, so a list that answers for its parent item counts
// the list, not the item.
template <class I, class T> bool BvOffer(T* self, const TGUID& iid, void** obj) {
    if (!SameGUID(iid, I::IID))
        return false;
    I* p = static_cast<I*>(self);
    p->_AddRef();
    *obj = p;
    return true;
}

// Takes over the counted reference an interface lookup handed out.
template <class I> TIntf<I> AdoptIntf(void* obj) {
    if (!obj)
        return nullptr;
    TIntf<I> result(static_cast<I*>(obj));
    static_cast<I*>(obj)->_Release();
    return result;
}

// The create step: C++ constructors cannot reach the overrides that run after construction,
// so every object of the family is made through BvCreate, which runs AfterConstruction; an
// object whose after-construction step raises is destroyed again.
template <class T, class... A> T* BvCreate(A&&... args) {
    T* obj = new T(std::forward<A>(args)...);
    TScopeExit abandon([obj] { obj->AbandonConstruction(); });
    obj->AfterConstruction();
    abandon.Release();
    return obj;
}

class TAggregatedPersistentEx;

// The base of every object of the family: counted through its interfaces, with extension
// objects that add interfaces to it. A new object's count drops to 0 after its create step;
// the first counted reference taken then owns it.
class TExtensibleInterfacedPersistent : public TPersistent, public virtual IInterface {
    BV_CLASS_INFO()
public:
    HRESULT QueryInterface(const TGUID& iid, void** obj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;
    int32_t RefCount() const { return refCount_.load(); }

    // Own interfaces first, then the extensions from the last added to the first; what it
    // answers is counted.
    virtual bool GetInterface(const TGUID& iid, void** obj);
    bool ExtensionIsStreamed(const TAggregatedPersistentEx* extension) const;

    int ExtensionCount() const { return static_cast<int>(extensions_.size()); }
    TAggregatedPersistentEx* Extension(int index) const;
    // The first extension of that class or of a class descending from it.
    TAggregatedPersistentEx* FindExtension(const TClassInfo& cls) const;
    template <class T> T* FindExtension() const {
        return static_cast<T*>(FindExtension(T::StaticClassInfo()));
    }
    void AddExtension(TAggregatedPersistentEx* extension);
    void RemoveExtension(TAggregatedPersistentEx* extension);

    virtual void AfterConstruction();
    void AbandonConstruction();
    // The destroy step; an object still referenced through its interfaces is a programming
    // fault, caught by an assertion here and never thrown from a destructor.
    void Destroy();

protected:
    TExtensibleInterfacedPersistent() = default;
    ~TExtensibleInterfacedPersistent() override;
    virtual bool GetOwnInterface(const TGUID& iid, void** obj);
    virtual void CreateStandardExtensions() {}
    virtual void BeforeDestruction();
    void FreeExtensions();

    std::atomic<int32_t> refCount_{1};

private:
    std::vector<TAggregatedPersistentEx*> extensions_;
};

// An object that extends another: its interfaces count and answer for the object it extends.
class TAggregatedPersistent : public TPersistent, public virtual IInterface {
    BV_CLASS_INFO()
public:
    explicit TAggregatedPersistent(IInterface* controller) : controller_(controller) {}
    HRESULT QueryInterface(const TGUID& iid, void** obj) override;
    int32_t _AddRef() override;
    int32_t _Release() override;
    IInterface* Controller() const { return controller_; }
    // This object's own interfaces only.
    virtual bool GetInterface(const TGUID& iid, void** obj);

protected:
    virtual bool GetOwnInterface(const TGUID& iid, void** obj);

private:
    IInterface* controller_; // not counted: the controller owns this object
};

class TAggregatedPersistentEx : public TAggregatedPersistent {
    BV_CLASS_INFO()
public:
    explicit TAggregatedPersistentEx(TExtensibleInterfacedPersistent* owner);
    TExtensibleInterfacedPersistent* Owner() const { return owner_; }
    virtual void AfterConstruction();
    void AbandonConstruction();
    void Destroy();
    virtual ~TAggregatedPersistentEx() = default;

protected:
    virtual void BeforeDestruction();

private:
    TExtensibleInterfacedPersistent* owner_;
    bool added_ = false;
};

// A class reference for consumer sub-services: the class's table and how to make one.
class TBvDataConsumerClass {
public:
    const TClassInfo& (*Info)();
    TBvDataConsumerAggregatedObject* (*Create)(TBvDataConsumer* consumer);
};

template <class T> const TBvDataConsumerClass* ConsumerClassOf() {
    static const TBvDataConsumerClass cls{
        &T::StaticClassInfo,
        [](TBvDataConsumer* c) -> TBvDataConsumerAggregatedObject* { return BvCreate<T>(c); }};
    return &cls;
}

// The class registry: a registered class's extensions and items are the ones a form streams.
void RegisterBvClass(const TClassInfo& cls);
// Null when no class of that name (without regard to case) is registered.
const TClassInfo* GetBvClass(const std::string& name);
std::vector<const TClassInfo*> RegisteredBvClasses();
// The data-provider family's classes, in their fixed order; once per run.
void RegisterDataProviderClasses();

class TBvDataConsumerViewList;

class TBvDataConsumer : public TExtensibleInterfacedPersistent,
                        public IBvDataConsumer,
                        public IBvDataProviderChangeSink,
                        public IBvDataConsumerProviderLink,
                        public IBvDataConsumerLinkServer {
    BV_CLASS_INFO()
public:
    TBvDataConsumer(TComponent* owner, std::vector<int> attributes);

    // The consumer lives exactly as long as its owner; references do not count.
    int32_t _AddRef() override { return -1; }
    int32_t _Release() override { return -1; }

    // IBvDataConsumer
    TComponent* OwnerComponent() override { return owner_; }
    bool HasAttribute(int attr) override;
    // IBvDataProviderChangeSink
    void ProviderChanging(IBvDataProvider* provider, TBvProviderChangeReason reason,
                          IInterface* source) override;
    void ProviderChanged(IBvDataProvider* provider, TBvProviderChangeReason reason,
                         IInterface* source) override;
    TIntf<IBvDataConsumer> Consumer() override { return TIntf<IBvDataConsumer>(this); }
    // IBvDataConsumerProviderLink
    TIntf<IBvDataProvider> ProviderIntf() override { return provider_; }
    // IBvDataConsumerLinkServer
    void LinkNotify(IInterface* a, IInterface* b) override;
    void AddClient(IInterface* client) override;
    void RemoveClient(IInterface* client) override;

    IBvDataProvider* Provider() const { return provider_.Get(); }
    void SetProvider(IBvDataProvider* value);
    TIntf<IBvDataContext> ContextIntf() const { return context_; }
    void SetContextIntf(IBvDataContext* value);
    TBvDataContextID Context() const;
    void SetContext(const TBvDataContextID& value);
    // Whether a form would store Context: only a context other than the provider's first.
    bool ContextStored() const;
    const std::string& PendingContext() const { return pendingContext_; }
    bool FixupPending() const { return fixupPending_; }
    void SetFixupPending(bool value) { fixupPending_ = value; }

    // Around every access to provider data; use TBvConsumerScope rather than calling the two.
    void Enter();
    void Leave();
    void NotifyItemSelected(IBvDataItem* item);
    // After the owner has finished loading.
    void Fixup();

    int SubServiceCount() const;
    TBvDataConsumerAggregatedObject* SubService(int index) const;
    template <class T> T* FindSubService() const { return FindExtension<T>(); }
    TBvDataConsumerViewList* ViewList() const;
    // The view-changed broadcast: every sub-service but source, then DoChanged(crView).
    void ViewChanged(TBvDataConsumerAggregatedObject* source);
    virtual void DoChanging(TBvConsumerChangeReason reason);
    virtual void DoChanged(TBvConsumerChangeReason reason);
    virtual void SubServiceCreated(TBvDataConsumerAggregatedObject* subService);
    virtual void RefreshSubServices();

    std::function<void(TBvDataConsumer*, TBvDataConsumerAggregatedObject*)> OnSubServiceCreated;
    // The handler may change the class or set it to null to suppress the sub-service.
    std::function<void(TBvDataConsumer*, const TBvDataConsumerClass*&)> OnCreatingSubService;
    std::function<void(TBvDataConsumer*, TBvConsumerChangeReason)> OnChanging;
    std::function<void(TBvDataConsumer*, TBvConsumerChangeReason)> OnChanged;
    std::function<void(IBvDataProvider*, TBvProviderChangeReason, IInterface*)>
        OnProviderDataChanging;
    std::function<void(IBvDataProvider*, TBvProviderChangeReason, IInterface*)>
        OnProviderDataChanged;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
    void BeforeDestruction() override;

private:
    bool OwnerLoading() const;
    bool BroadcastsHeld() const { return fixupPending_ || !pendingContext_.empty(); }
    TIntf<IBvDataContext> DefaultContext() const;
    TIntf<IBvDataContext> ResolveContext(IBvDataProvider* provider, const std::string& name) const;
    template <class F> void EachSubService(F f);

    TComponent* owner_;
    std::vector<int> attributes_;
    TIntf<IBvDataProvider> provider_;
    TIntf<IBvDataContext> context_;
    bool fixupPending_ = false;
    std::string pendingContext_;
    std::vector<TIntf<IInterface>> clients_;
    bool destroying_ = false;
};

// Enter on construction, Leave on every way out of the scope: a raise between them still
// gives the provider its selection back. Nothing happens without a linked provider.
class TBvConsumerScope {
public:
    explicit TBvConsumerScope(TBvDataConsumer* consumer);
    ~TBvConsumerScope() noexcept(false);
    TBvConsumerScope(const TBvConsumerScope&) = delete;
    TBvConsumerScope& operator=(const TBvConsumerScope&) = delete;

private:
    TBvDataConsumer* consumer_ = nullptr;
    int uncaught_;
};

class TBvDataConsumerAggregatedObject : public TAggregatedPersistentEx {
    BV_CLASS_INFO()
public:
    explicit TBvDataConsumerAggregatedObject(TBvDataConsumer* consumer);
    TBvDataConsumer* Consumer() const { return static_cast<TBvDataConsumer*>(Owner()); }
    bool NeedFixup() const { return needFixup_; }
    void SetNeedFixup(bool value) { needFixup_ = value; }

    virtual void DataProviderChanging(IBvDataProvider*, TBvProviderChangeReason, IInterface*) {}
    virtual void DataProviderChanged(IBvDataProvider*, TBvProviderChangeReason, IInterface*) {}
    virtual void Fixup() {}
    virtual bool SurvivesProviderChange() { return false; }
    virtual bool SurvivesContextChange() { return true; }
    virtual void ViewChanged(TBvDataConsumerAggregatedObject*) {}
    virtual void ItemSelected(IBvDataItem*) {}
    virtual void LinkNotify(IInterface*, IInterface*) {}
    virtual void ProviderChanging() {}
    virtual void ProviderChanged() {}
    virtual void ContextChanging() {}
    virtual void ContextChanged() {}

    void Changed(TBvConsumerChangeReason reason);
    void NotifyViewChanged();
    void RequestFixup();
    TIntf<IBvDataConsumer> ConsumerIntf() const;
    // Where a list view starts: the selected item's sub-items, else the provider's root items.
    TIntf<IBvDataItems> RootItems() const;

private:
    bool needFixup_ = false;
};

class TBvDataConsumerItemSelect : public TBvDataConsumerAggregatedObject,
                                  public IBvDataConsumerItemSelect {
    BV_CLASS_INFO()
public:
    using TBvDataConsumerAggregatedObject::TBvDataConsumerAggregatedObject;
    TIntf<IBvDataItem> GetItem() override { return selected_; }
    void SetItem(IBvDataItem* value) override;
    TBvDataItemID Item() const;
    void SetItemID(const TBvDataItemID& id);
    const std::string& PendingItemID() const { return pendingItemID_; }

    void Fixup() override;
    void DataProviderChanging(IBvDataProvider* provider, TBvProviderChangeReason reason,
                              IInterface* source) override;
    void DataProviderChanged(IBvDataProvider* provider, TBvProviderChangeReason reason,
                             IInterface* source) override;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;

private:
    bool dropped_ = false;
    std::string pendingItemID_;
    TIntf<IBvDataItem> selected_;
};

// The read-only text view a list box hands out as its items while a provider is linked.
class TBvConsumerStrings {
public:
    explicit TBvConsumerStrings(TBvDataConsumer* consumer) : consumer_(consumer) {}
    // Raises EListError "List index out of bounds (%d)" outside 0..Count-1.
    std::string Get(int index) const;
    int Count() const;
    void Clear() {}
    void Delete(int) {}
    void Insert(int, const std::string&) {}

private:
    TBvDataConsumer* consumer_;
};

// Asks the item's list, then the lists of its parents upwards, for iid.
bool FindItemsInterface(IBvDataItem* item, const TGUID& iid, void** obj);
template <class I> TIntf<I> FindItemsInterface(IBvDataItem* item) {
    void* obj = nullptr;
    if (!FindItemsInterface(item, I::IID, &obj))
        return nullptr;
    return AdoptIntf<I>(obj);
}
TIntf<IBvDataItemsRenderer> FindItemsRenderer(IBvDataItem* item);
// The framework's owner-draw state (16 bits) to the provider's: the low eight bits.
TProviderDrawStates ToProviderDrawState(uint16_t state);
