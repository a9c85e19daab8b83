// The consumer's view list: a provider's tree of items as the flat rows a list box or combo box
// shows, each row with its level and whether it is expanded.
#pragma once

#include "BvDataProvider.h"

#include <cstdint>
#include <string>
#include <vector>

class TBvCustomDataConsumerViewList : public TBvDataConsumerAggregatedObject,
                                      public IBvDataConsumerViewList {
    BV_CLASS_INFO()
public:
    explicit TBvCustomDataConsumerViewList(TBvDataConsumer* consumer);

    int AutoExpandLevel() override { return autoExpandLevel_; }
    void SetAutoExpandLevel(int value) override { autoExpandLevel_ = value; }
    bool ExpandOnNewItem() override { return expandOnNewItem_; }
    void SetExpandOnNewItem(bool value) override { expandOnNewItem_ = value; }
    int LevelIndent() override { return levelIndent_; }
    void SetLevelIndent(int value) override;

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override;

private:
    int autoExpandLevel_ = 0;
    bool expandOnNewItem_ = false;
    int levelIndent_ = 16;
};

class TBvDataConsumerViewList : public TBvCustomDataConsumerViewList {
    BV_CLASS_INFO()
public:
    static constexpr uint32_t LevelMask = 0x00FFFFFF;
    static constexpr uint32_t Expanded = 0x20000000;
    static constexpr uint32_t HasItems = 0x40000000;
    static constexpr uint32_t HasChildren = 0x80000000;

    struct TRow {
        std::string ItemID;
        uint32_t RowFlags = 0;
        // Where the item stood in its list when it was last found; tried first, so that
        // finding a row's item does not search the list. -1 when not known.
        int ListIndex = -1;
    };

    using TBvCustomDataConsumerViewList::TBvCustomDataConsumerViewList;
    void AfterConstruction() override;

    bool SurvivesProviderChange() override { return true; }
    void ViewChanged(TBvDataConsumerAggregatedObject* source) override;
    // The rows follow every change; the consumer's own notice of the change follows these, so
    // they rebuild without announcing it a second time.
    void ProviderChanging() override { ClearView(); }
    void ProviderChanged() override { Rebuild(false); }
    void ContextChanged() override { Rebuild(false); }
    void DataProviderChanging(IBvDataProvider* provider, TBvProviderChangeReason reason,
                              IInterface* source) override;
    void DataProviderChanged(IBvDataProvider* provider, TBvProviderChangeReason reason,
                             IInterface* source) override;

    void AddItem(int parentIndex, IBvDataItem* item, int expandLevel);
    void AddItems(int& index, IBvDataItems* items, int expandLevel);
    void AddChildItem(int parentIndex, IBvDataItem* item);
    void InsertItem(int insertIndex, int parentIndex, IBvDataItem* item);
    void DeleteItem(int index);
    void DeleteItems(int index);
    void UpdateItemFlags(int index, uint32_t value, uint32_t mask);
    void ClearView();
    const std::vector<TRow>& Rows() const { return rows_; }

    // IBvDataConsumerViewList
    void RebuildView() override;
    void ExpandTreeTo(IBvDataItem* item) override;
    void ToggleItem(int index) override;
    int IndexOfItem(IBvDataItem* item) override;
    int IndexOfID(const TBvDataItemID& id) override;
    int ChildIndexOfItem(IBvDataItem* item) override;
    int ChildIndexOfID(const TBvDataItemID& id) override;
    TIntf<IBvDataItem> Item(int index) override;
    int ItemLevel(int index) override;
    bool ItemIsExpanded(int index) override;
    bool ItemHasChildren(int index) override;
    TIntf<IBvDataItem> ItemParent(int index) override;
    int ItemParentIndex(int index) override;
    TIntf<IBvDataItem> ItemSibling(int index) override;
    int ItemSiblingIndex(int index) override;
    TIntf<IBvDataItem> SubItem(IBvDataItem* parent, int index) override;
    TIntf<IBvDataItem> SubItemAt(int parentIndex, int index) override;
    int SubItemIndex(IBvDataItem* parent, int index) override;
    int SubItemIndexAt(int parentIndex, int index) override;
    std::vector<uint32_t> ItemGroupInfo(int index) override;
    int Count() override { return static_cast<int>(rows_.size()); }

private:
    void Rebuild(bool notify);
    bool ValidIndex(int index) const {
        return index >= 0 && index < static_cast<int>(rows_.size());
    }
    bool ItemIsVisible(IBvDataItem* item);
    uint32_t FlagsFor(IBvDataItem* item, uint32_t level);
    int LastDescendant(int index) const;
    // Rows were inserted, removed or had their level changed: the kept parents are stale.
    void RowsMoved() { parentsValid_ = false; }
    // The places in the parent's list of the rows after a list change at position at, by delta.
    void ShiftListIndexes(IBvDataItem* item, int delta);

    std::vector<TRow> rows_;
    // Each row's parent row, found in one pass and kept until the rows move.
    std::vector<int> parents_;
    bool parentsValid_ = false;
    bool rebuilding_ = false;
};

// A consumer that shows a provider's whole tree as one list: every level expanded and new
// items brought into view. The kit's list and combo boxes and the provider link use it.
TBvDataConsumer* CreateListConsumer(TComponent* owner);
