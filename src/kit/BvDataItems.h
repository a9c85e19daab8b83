// The building blocks of a provider's tree: data items with a text ID, their caption and image
// extensions, item lists with ID and path lookups, and the list-management extension.
#pragma once

#include "BvDataProvider.h"

#include <string>
#include <vector>

class TBvBaseDataItems;
class TBvBaseDataItemSubItems;

class TBvBaseDataItem : public TExtensibleInterfacedPersistent, public IBvDataItem {
    BV_CLASS_INFO()
public:
    explicit TBvBaseDataItem(IBvDataItems* owner);

    // Items of a list that owns them outright are not counted.
    int32_t _AddRef() override;
    int32_t _Release() override;

    TIntf<IBvDataItems> Items() override { return TIntf<IBvDataItems>(items_); }
    int GetIndex() override;
    void* ImplementingObject() override { return this; }
    TBvDataItemID GetID() override { return id_; }
    void ContextGoing(IBvDataContext* context) override;
    bool IsParentOf(IBvDataItem* item, bool directParentOnly) override;
    bool CanDelete() override;

    std::string ID() const { return id_; }
    // Replaces the ID without checks.
    void SetID(const std::string& value) { id_ = value; }
    void AfterConstruction() override;
    // The list forgets its items before it goes, so late references do not reach it.
    void DetachFromList() { items_ = nullptr; }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
    virtual void MakeID();

private:
    friend class TBvBaseDataItems;
    IBvDataItems* items_; // not counted: the list holds the item
    bool counted_;
    std::string id_;
};

// A new ID: the 16 bytes of a fresh random GUID as 32 upper-case hexadecimal digits.
std::string NewDataItemID();

// An item extension answers its own interfaces and otherwise the item's, except the hooks the
// item asks of its extensions.
class TBvDataItemAggregatedObject : public TAggregatedPersistentEx {
    BV_CLASS_INFO()
public:
    explicit TBvDataItemAggregatedObject(TBvBaseDataItem* item) : TAggregatedPersistentEx(item) {}
    TBvBaseDataItem* Item() const { return static_cast<TBvBaseDataItem*>(Owner()); }
    HRESULT QueryInterface(const TGUID& iid, void** obj) override;

protected:
    // Changing, store, Changed: the provider hears of the item's change.
    void ItemChanging();
    void ItemChanged();
};

class TBvDataItemTextImpl : public TBvDataItemAggregatedObject, public IBvDataItemText {
    BV_CLASS_INFO()
public:
    using TBvDataItemAggregatedObject::TBvDataItemAggregatedObject;
    std::string Caption() override { return caption_; }
    void SetCaption(const std::string& value) override;
    bool Editable() override { return true; }
    std::string GetCaption() const { return caption_; }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;

private:
    std::string caption_;
};

class TBvDataItemImageImpl : public TBvDataItemAggregatedObject, public IBvDataItemImage {
    BV_CLASS_INFO()
public:
    using TBvDataItemAggregatedObject::TBvDataItemAggregatedObject;
    TAlignment Alignment() override { return alignment_; }
    void SetAlignment(TAlignment value) override;
    int ImageIndex() override { return imageIndex_; }
    void SetImageIndex(int value) override;
    int SelectedIndex() override { return selectedIndex_; }
    void SetSelectedIndex(int value) override;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;

private:
    template <class T> void Store(T& field, T value);
    TAlignment alignment_ = TAlignment::taLeftJustify;
    int imageIndex_ = 0;
    int selectedIndex_ = 0;
};

class TBvBaseDataItems : public TExtensibleInterfacedPersistent,
                         public IBvDataItems,
                         public IBvDataItemsIDSearch {
    BV_CLASS_INFO()
public:
    TBvBaseDataItems() = default;
    explicit TBvBaseDataItems(IBvDataProvider* provider);
    // A sub-item list: the parent item answers IBvDataItems through it from now on.
    explicit TBvBaseDataItems(TBvBaseDataItem* parent);

    int Count() override = 0;
    TIntf<IBvDataItem> GetItem(int index) override = 0;
    TIntf<IBvDataItem> ItemAtPath(const std::string& path) override;
    TIntf<IBvDataItem> ItemAtIndexPath(const std::vector<int>& indexes) override;
    TIntf<IBvDataItem> Parent() override { return TIntf<IBvDataItem>(parent_); }
    TIntf<IBvDataProvider> Provider() override { return TIntf<IBvDataProvider>(provider_); }
    void* ImplementingObject() override { return this; }
    bool ItemsCounted() override { return true; }
    void ContextGoing(IBvDataContext* context) override;
    TIntf<IBvDataItem> FindByID(const TBvDataItemID& id, bool recursive) override;

    virtual void AppendItem(TBvBaseDataItem* item) = 0;
    virtual void RemoveItemAt(int index) = 0;
    bool ItemIsStreamed(TBvBaseDataItem* item) const;
    // Changing and Changed through the provider, when there is one.
    void NotifyChanging(TBvProviderChangeReason reason, IInterface* source);
    void NotifyChanged(TBvProviderChangeReason reason, IInterface* source);
    void AfterConstruction() override;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
    void BeforeDestruction() override;

private:
    friend class TBvBaseDataItemSubItems;
    TIntf<IBvDataItem> FindHere(const std::string& id);
    IBvDataItem* parent_ = nullptr; // not counted: the parent's extension holds this list
    TBvBaseDataItem* parentObject_ = nullptr;
    TBvBaseDataItemSubItems* subItemsExt_ = nullptr;
    // Not counted: the provider owns its tree, and a counted reference back would keep both
    // alive for ever.
    IBvDataProvider* provider_ = nullptr;
};

// The list the items are stored in; it owns them and frees them with itself.
class TBvDataItemsList : public TBvBaseDataItems {
    BV_CLASS_INFO()
public:
    using TBvBaseDataItems::TBvBaseDataItems;
    int Count() override { return static_cast<int>(items_.size()); }
    TIntf<IBvDataItem> GetItem(int index) override;
    bool ItemsCounted() override { return false; }
    void AppendItem(TBvBaseDataItem* item) override;
    void RemoveItemAt(int index) override;
    // Removes and frees every item.
    void ClearItems();
    TBvBaseDataItem* ItemObject(int index) const;

protected:
    void BeforeDestruction() override;

private:
    std::vector<TBvBaseDataItem*> items_;
};

// On a parent item: answers IBvDataItems (and the ID search) through the item's sub-item list.
class TBvBaseDataItemSubItems : public TBvDataItemAggregatedObject {
    BV_CLASS_INFO()
public:
    TBvBaseDataItemSubItems(TBvBaseDataItem* item, TBvBaseDataItems* list);
    bool GetInterface(const TGUID& iid, void** obj) override;
    TBvBaseDataItems* List() const { return list_; }

protected:
    void BeforeDestruction() override;

private:
    TBvBaseDataItems* list_;
    TIntf<IBvDataItems> hold_; // the item owns its sub-item list
};

class TBvBaseDataItemsListManagement : public TAggregatedPersistentEx,
                                       public IBvDataItemsManagement {
    BV_CLASS_INFO()
public:
    explicit TBvBaseDataItemsListManagement(TBvDataItemsList* list)
        : TAggregatedPersistentEx(list) {}
    TBvDataItemsList* List() const { return static_cast<TBvDataItemsList*>(Owner()); }
    TIntf<IBvDataItem> Add(IBvDataItem* item) override;
    // A plain item with a caption extension, appended.
    TIntf<IBvDataItem> New() override;
    void Clear() override;
    // Raises EBvDataItems "Item cannot be deleted" for an item that refuses.
    void Delete(int index) override;
    void Remove(TIntf<IBvDataItem>& item) override;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;
};
