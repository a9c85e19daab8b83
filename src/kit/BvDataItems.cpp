#include "BvDataItems.h"

#include "RtSysUtils.h"

#include <algorithm>
#include <random>

std::string NewDataItemID() {
    // Random bits from a generator seeded once per thread from the system's entropy.
    thread_local std::mt19937_64 gen{[] {
        std::random_device rd;
        std::seed_seq seq{rd(), rd(), rd(), rd(), rd(), rd(), rd(), rd()};
        return std::mt19937_64(seq);
    }()};
    uint64_t a = gen(), b = gen();
    // A version 4 GUID's marks, as a freshly created GUID carries them.
    a = (a & ~uint64_t{0xF000}) | 0x4000;
    b = (b & ~(uint64_t{0xC0} << 56)) | (uint64_t{0x80} << 56);
    TGUID g{};
    g.D1 = static_cast<uint32_t>(a >> 32);
    g.D2 = static_cast<uint16_t>(a >> 16);
    g.D3 = static_cast<uint16_t>(a);
    for (int i = 0; i < 8; ++i)
        g.D4[i] = static_cast<uint8_t>(b >> (56 - 8 * i));
    // The bytes in memory order: D1, D2 and D3 are little-endian there.
    const uint8_t bytes[16] = {static_cast<uint8_t>(g.D1),
                               static_cast<uint8_t>(g.D1 >> 8),
                               static_cast<uint8_t>(g.D1 >> 16),
                               static_cast<uint8_t>(g.D1 >> 24),
                               static_cast<uint8_t>(g.D2),
                               static_cast<uint8_t>(g.D2 >> 8),
                               static_cast<uint8_t>(g.D3),
                               static_cast<uint8_t>(g.D3 >> 8),
                               g.D4[0],
                               g.D4[1],
                               g.D4[2],
                               g.D4[3],
                               g.D4[4],
                               g.D4[5],
                               g.D4[6],
                               g.D4[7]};
    static const char digits[] = "0123456789ABCDEF";
    std::string id;
    for (uint8_t byte : bytes) {
        id += digits[byte >> 4];
        id += digits[byte & 15];
    }
    return id;
}

// ---- items ----

const TClassInfo& TBvBaseDataItem::StaticClassInfo() {
    static const TClassInfo info(
        "TBvBaseDataItem", &TExtensibleInterfacedPersistent::StaticClassInfo(),
        {StrProp<TBvBaseDataItem>("ID", &TBvBaseDataItem::ID, &TBvBaseDataItem::SetID)},
        "BvDataProvider");
    return info;
}

TBvBaseDataItem::TBvBaseDataItem(IBvDataItems* owner)
    : items_(owner), counted_(owner ? owner->ItemsCounted() : true) {}

void TBvBaseDataItem::AfterConstruction() {
    MakeID();
    TExtensibleInterfacedPersistent::AfterConstruction();
}

void TBvBaseDataItem::MakeID() {
    id_ = NewDataItemID();
}

int32_t TBvBaseDataItem::_AddRef() {
    return counted_ ? TExtensibleInterfacedPersistent::_AddRef() : -1;
}

int32_t TBvBaseDataItem::_Release() {
    return counted_ ? TExtensibleInterfacedPersistent::_Release() : -1;
}

bool TBvBaseDataItem::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItem>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj);
}

int TBvBaseDataItem::GetIndex() {
    if (!items_)
        return -1;
    for (int i = items_->Count(); i-- > 0;)
        if (items_->GetItem(i).Get() == static_cast<IBvDataItem*>(this))
            return i;
    return -1;
}

void TBvBaseDataItem::ContextGoing(IBvDataContext* context) {
    for (int i = 0; i < ExtensionCount(); ++i) {
        void* obj = nullptr;
        if (Extension(i)->GetInterface(IBvDataItemExtensionHooks::IID, &obj))
            AdoptIntf<IBvDataItemExtensionHooks>(obj)->ContextGoing(context);
    }
    if (auto sub = Supports<IBvDataItems>(static_cast<IBvDataItem*>(this)))
        sub->ContextGoing(context);
}

bool TBvBaseDataItem::CanDelete() {
    for (int i = 0; i < ExtensionCount(); ++i) {
        void* obj = nullptr;
        if (Extension(i)->GetInterface(IBvDataItemExtensionHooks::IID, &obj) &&
            !AdoptIntf<IBvDataItemExtensionHooks>(obj)->CanDeleteItem())
            return false;
    }
    return true;
}

bool TBvBaseDataItem::IsParentOf(IBvDataItem* item, bool directParentOnly) {
    if (!item)
        return false;
    auto list = item->Items();
    auto parent = list ? list->Parent() : nullptr;
    // A tree cannot be deeper than it has items; the guard stops a loop of parents.
    for (int guard = 0; parent && guard < 100000; ++guard) {
        if (parent.Get() == static_cast<IBvDataItem*>(this))
            return true;
        if (directParentOnly)
            return false;
        list = parent->Items();
        parent = list ? list->Parent() : nullptr;
    }
    return false;
}

// ---- item extensions ----

const TClassInfo& TBvDataItemAggregatedObject::StaticClassInfo() {
    static const TClassInfo info("TBvDataItemAggregatedObject",
                                 &TAggregatedPersistentEx::StaticClassInfo(), {}, "BvDataProvider");
    return info;
}

HRESULT TBvDataItemAggregatedObject::QueryInterface(const TGUID& iid, void** obj) {
    *obj = nullptr;
    if (GetInterface(iid, obj))
        return S_OK;
    if (SameGUID(iid, IBvDataItemExtensionHooks::IID))
        return E_NOINTERFACE;
    return TAggregatedPersistentEx::QueryInterface(iid, obj);
}

void TBvDataItemAggregatedObject::ItemChanging() {
    if (auto* list = Item()->Items().Get())
        if (auto* owner = static_cast<TBvBaseDataItems*>(list->ImplementingObject()))
            owner->NotifyChanging(TBvProviderChangeReason::prItemChanged,
                                  static_cast<IBvDataItem*>(Item()));
}

void TBvDataItemAggregatedObject::ItemChanged() {
    if (auto* list = Item()->Items().Get())
        if (auto* owner = static_cast<TBvBaseDataItems*>(list->ImplementingObject()))
            owner->NotifyChanged(TBvProviderChangeReason::prItemChanged,
                                 static_cast<IBvDataItem*>(Item()));
}

const TClassInfo& TBvDataItemTextImpl::StaticClassInfo() {
    static const TClassInfo info(
        "TBvDataItemTextImpl", &TBvDataItemAggregatedObject::StaticClassInfo(),
        {StrProp<TBvDataItemTextImpl>("Caption", &TBvDataItemTextImpl::GetCaption,
                                      &TBvDataItemTextImpl::SetCaption)},
        "BvDataProvider");
    return info;
}

bool TBvDataItemTextImpl::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItemText>(this, iid, obj) ||
           TBvDataItemAggregatedObject::GetOwnInterface(iid, obj);
}

void TBvDataItemTextImpl::SetCaption(const std::string& value) {
    if (value == caption_)
        return;
    ItemChanging();
    caption_ = value;
    ItemChanged();
}

const TClassInfo& TBvDataItemImageImpl::StaticClassInfo() {
    static const TClassInfo info("TBvDataItemImageImpl",
                                 &TBvDataItemAggregatedObject::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

bool TBvDataItemImageImpl::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItemImage>(this, iid, obj) ||
           TBvDataItemAggregatedObject::GetOwnInterface(iid, obj);
}

template <class T> void TBvDataItemImageImpl::Store(T& field, T value) {
    if (field == value)
        return;
    ItemChanging();
    field = value;
    ItemChanged();
}

void TBvDataItemImageImpl::SetAlignment(TAlignment value) {
    Store(alignment_, value);
}

void TBvDataItemImageImpl::SetImageIndex(int value) {
    Store(imageIndex_, value);
}

void TBvDataItemImageImpl::SetSelectedIndex(int value) {
    Store(selectedIndex_, value);
}

// ---- item lists ----

const TClassInfo& TBvBaseDataItems::StaticClassInfo() {
    static const TClassInfo info("TBvBaseDataItems",
                                 &TExtensibleInterfacedPersistent::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvBaseDataItems::TBvBaseDataItems(IBvDataProvider* provider) : provider_(provider) {}

TBvBaseDataItems::TBvBaseDataItems(TBvBaseDataItem* parent)
    : parent_(parent), parentObject_(parent) {
    if (parent && parent->Items())
        provider_ = parent->Items()->Provider().Get();
}

void TBvBaseDataItems::AfterConstruction() {
    TExtensibleInterfacedPersistent::AfterConstruction();
    if (parentObject_)
        subItemsExt_ = BvCreate<TBvBaseDataItemSubItems>(parentObject_, this);
}

bool TBvBaseDataItems::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItems>(this, iid, obj) || BvOffer<IBvDataItemsIDSearch>(this, iid, obj) ||
           TExtensibleInterfacedPersistent::GetOwnInterface(iid, obj);
}

void TBvBaseDataItems::BeforeDestruction() {
    TExtensibleInterfacedPersistent::BeforeDestruction();
}

void TBvBaseDataItems::NotifyChanging(TBvProviderChangeReason reason, IInterface* source) {
    if (provider_)
        provider_->Changing(reason, source);
}

void TBvBaseDataItems::NotifyChanged(TBvProviderChangeReason reason, IInterface* source) {
    if (provider_)
        provider_->Changed(reason, source);
}

bool TBvBaseDataItems::ItemIsStreamed(TBvBaseDataItem* item) const {
    if (!item)
        return false;
    const TClassInfo* cls = GetBvClass(item->ClassName());
    return cls && cls->InheritsFrom(TBvBaseDataItem::StaticClassInfo());
}

void TBvBaseDataItems::ContextGoing(IBvDataContext* context) {
    for (int i = 0; i < ExtensionCount(); ++i) {
        void* obj = nullptr;
        if (Extension(i)->GetInterface(IBvDataItemExtensionHooks::IID, &obj))
            AdoptIntf<IBvDataItemExtensionHooks>(obj)->ContextGoing(context);
    }
    for (int i = 0; i < Count(); ++i)
        if (auto item = GetItem(i))
            item->ContextGoing(context);
}

TIntf<IBvDataItem> TBvBaseDataItems::FindHere(const std::string& id) {
    for (int i = Count(); i-- > 0;) {
        auto item = GetItem(i);
        if (item && AnsiSameText(item->GetID(), id))
            return item;
    }
    return nullptr;
}

TIntf<IBvDataItem> TBvBaseDataItems::FindByID(const TBvDataItemID& id, bool recursive) {
    if (auto item = FindHere(id))
        return item;
    if (!recursive)
        return nullptr;
    for (int i = Count(); i-- > 0;) {
        auto search = Supports<IBvDataItemsIDSearch>(GetItem(i));
        if (search)
            if (auto found = search->FindByID(id, true))
                return found;
    }
    return nullptr;
}

TIntf<IBvDataItem> TBvBaseDataItems::ItemAtPath(const std::string& path) {
    if (path.empty())
        return nullptr;
    bool startHasParent = parent_ != nullptr;
    TIntf<IBvDataItems> list(static_cast<IBvDataItems*>(this));
    std::string rest = path;
    for (;;) {
        size_t sep = rest.find_first_of("\\/");
        std::string part = rest.substr(0, sep);
        bool more = sep != std::string::npos;
        rest = more ? rest.substr(sep + 1) : std::string();
        if (part.empty() && startHasParent) {
            auto provider = list->Provider();
            list = provider ? provider->GetItems() : nullptr;
        } else if (part == "..") {
            auto parent = list->Parent();
            list = parent ? parent->Items() : nullptr;
        } else {
            auto search = Supports<IBvDataItemsIDSearch>(list);
            auto item = search ? search->FindByID(part, false) : nullptr;
            // A component that is not there ends the search: a namesake further up is another
            // item.
            if (!item)
                return nullptr;
            if (!more)
                return item;
            list = Supports<IBvDataItems>(item);
        }
        if (!list || !more)
            return nullptr;
    }
}

TIntf<IBvDataItem> TBvBaseDataItems::ItemAtIndexPath(const std::vector<int>& indexes) {
    TIntf<IBvDataItems> list(static_cast<IBvDataItems*>(this));
    TIntf<IBvDataItem> item;
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (!list || indexes[i] < 0 || indexes[i] >= list->Count())
            return nullptr;
        item = list->GetItem(indexes[i]);
        if (i + 1 < indexes.size())
            list = Supports<IBvDataItems>(item);
    }
    return item;
}

const TClassInfo& TBvDataItemsList::StaticClassInfo() {
    static const TClassInfo info("TBvDataItemsList", &TBvBaseDataItems::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TIntf<IBvDataItem> TBvDataItemsList::GetItem(int index) {
    if (index < 0 || index >= Count())
        throw EBvDataItems(Format("List index out of bounds (%d)", {index}));
    return TIntf<IBvDataItem>(items_[static_cast<size_t>(index)]);
}

TBvBaseDataItem* TBvDataItemsList::ItemObject(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size()))
        throw EBvDataItems(Format("List index out of bounds (%d)", {index}));
    return items_[static_cast<size_t>(index)];
}

void TBvDataItemsList::AppendItem(TBvBaseDataItem* item) {
    items_.push_back(item);
}

void TBvDataItemsList::RemoveItemAt(int index) {
    TBvBaseDataItem* item = ItemObject(index);
    items_.erase(items_.begin() + index);
    item->DetachFromList();
    item->Destroy();
}

void TBvDataItemsList::ClearItems() {
    while (!items_.empty()) {
        TBvBaseDataItem* item = items_.back();
        items_.pop_back();
        item->DetachFromList();
        item->Destroy();
    }
}

void TBvDataItemsList::BeforeDestruction() {
    TBvBaseDataItems::BeforeDestruction();
    ClearItems();
}

// ---- sub-items ----

const TClassInfo& TBvBaseDataItemSubItems::StaticClassInfo() {
    static const TClassInfo info("TBvBaseDataItemSubItems",
                                 &TBvDataItemAggregatedObject::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvBaseDataItemSubItems::TBvBaseDataItemSubItems(TBvBaseDataItem* item, TBvBaseDataItems* list)
    : TBvDataItemAggregatedObject(item), list_(list), hold_(static_cast<IBvDataItems*>(list)) {}

bool TBvBaseDataItemSubItems::GetInterface(const TGUID& iid, void** obj) {
    if (!list_)
        return false;
    if (SameGUID(iid, IBvDataItems::IID) || SameGUID(iid, IBvDataItemsIDSearch::IID))
        return list_->GetInterface(iid, obj);
    return false;
}

void TBvBaseDataItemSubItems::BeforeDestruction() {
    TBvDataItemAggregatedObject::BeforeDestruction();
    // The list forgets its parent item, which is going; it goes too unless someone holds it.
    if (list_) {
        list_->parent_ = nullptr;
        list_->parentObject_ = nullptr;
        list_->subItemsExt_ = nullptr;
    }
    list_ = nullptr;
    hold_ = nullptr;
}

// ---- list management ----

const TClassInfo& TBvBaseDataItemsListManagement::StaticClassInfo() {
    static const TClassInfo info("TBvBaseDataItemsListManagement",
                                 &TAggregatedPersistentEx::StaticClassInfo(), {}, "BvDataProvider");
    return info;
}

bool TBvBaseDataItemsListManagement::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataItemsManagement>(this, iid, obj) ||
           TAggregatedPersistentEx::GetOwnInterface(iid, obj);
}

TIntf<IBvDataItem> TBvBaseDataItemsListManagement::Add(IBvDataItem* item) {
    if (!item)
        return nullptr;
    auto* object = static_cast<TBvBaseDataItem*>(item->ImplementingObject());
    List()->NotifyChanging(TBvProviderChangeReason::prItemAdded, nullptr);
    List()->AppendItem(object);
    TIntf<IBvDataItem> result(item);
    List()->NotifyChanged(TBvProviderChangeReason::prItemAdded, item);
    return result;
}

TIntf<IBvDataItem> TBvBaseDataItemsListManagement::New() {
    auto* item = BvCreate<TBvBaseDataItem>(static_cast<IBvDataItems*>(List()));
    BvCreate<TBvDataItemTextImpl>(item);
    return Add(item);
}

void TBvBaseDataItemsListManagement::Clear() {
    IInterface* self = static_cast<IBvDataItems*>(List());
    List()->NotifyChanging(TBvProviderChangeReason::prListChanged, self);
    List()->ClearItems();
    List()->NotifyChanged(TBvProviderChangeReason::prListChanged, self);
}

void TBvBaseDataItemsListManagement::Delete(int index) {
    auto item = List()->GetItem(index);
    if (!item->CanDelete())
        throw EBvDataItems("Item cannot be deleted");
    List()->NotifyChanging(TBvProviderChangeReason::prItemDeleting, item.Get());
    // The provider may have changed the list while it was told.
    int at = item->GetIndex();
    item = nullptr;
    if (at >= 0)
        List()->RemoveItemAt(at);
    List()->NotifyChanged(TBvProviderChangeReason::prItemDeleting, nullptr);
}

void TBvBaseDataItemsListManagement::Remove(TIntf<IBvDataItem>& item) {
    if (!item)
        return;
    if (!item->CanDelete())
        throw EBvDataItems("Item cannot be deleted");
    int index = item->GetIndex();
    if (!List()->ItemsCounted()) {
        // The list owns its items outright: removing one deletes it.
        item = nullptr;
        if (index >= 0)
            Delete(index);
        return;
    }
    auto* object = static_cast<TBvBaseDataItem*>(item->ImplementingObject());
    // Besides the caller's reference, the list holds one; anything more stays.
    bool othersHold = object->RefCount() > 2;
    item = nullptr;
    if (!othersHold && index >= 0)
        Delete(index);
}
