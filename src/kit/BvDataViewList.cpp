#include "BvDataViewList.h"
#include "ScopeExit.h"

#include <algorithm>

const TClassInfo& TBvCustomDataConsumerViewList::StaticClassInfo() {
    static const TClassInfo info("TBvCustomDataConsumerViewList",
                                 &TBvDataConsumerAggregatedObject::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

TBvCustomDataConsumerViewList::TBvCustomDataConsumerViewList(TBvDataConsumer* consumer)
    : TBvDataConsumerAggregatedObject(consumer) {}

bool TBvCustomDataConsumerViewList::GetOwnInterface(const TGUID& iid, void** obj) {
    return BvOffer<IBvDataConsumerViewList>(this, iid, obj) ||
           TBvDataConsumerAggregatedObject::GetOwnInterface(iid, obj);
}

void TBvCustomDataConsumerViewList::SetLevelIndent(int value) {
    if (value == levelIndent_)
        return;
    levelIndent_ = value;
    Changed(TBvConsumerChangeReason::crOption);
}

const TClassInfo& TBvDataConsumerViewList::StaticClassInfo() {
    static const TClassInfo info("TBvDataConsumerViewList",
                                 &TBvCustomDataConsumerViewList::StaticClassInfo(), {},
                                 "BvDataProvider");
    return info;
}

void TBvDataConsumerViewList::AfterConstruction() {
    TBvCustomDataConsumerViewList::AfterConstruction();
    if (Consumer()->Provider())
        Rebuild(false);
}

void TBvDataConsumerViewList::ViewChanged(TBvDataConsumerAggregatedObject*) {
    // The broadcast that brings this ends with its own view notice.
    if (!rebuilding_)
        Rebuild(false);
}

bool TBvDataConsumerViewList::ItemIsVisible(IBvDataItem* item) {
    int answer = 3;
    if (auto items = item->Items())
        if (auto provider = items->Provider())
            if (auto filter = Supports<IBvDataConsumerItemFilter>(provider->SelectedConsumer()))
                answer = filter->ItemVisibility(item);
    if (answer == 2 || answer == 3)
        if (auto own = Supports<IBvDataItemVisibility>(item))
            answer = own->Visibility();
    return answer != 0;
}

uint32_t TBvDataConsumerViewList::FlagsFor(IBvDataItem* item, uint32_t level) {
    uint32_t flags = level & LevelMask;
    if (auto sub = Supports<IBvDataItems>(item)) {
        flags |= HasItems;
        if (sub->Count() > 0)
            flags |= HasChildren;
    }
    return flags;
}

void TBvDataConsumerViewList::ClearView() {
    rows_.clear();
    RowsMoved();
}

void TBvDataConsumerViewList::RebuildView() {
    Rebuild(true);
}

void TBvDataConsumerViewList::Rebuild(bool notify) {
    rebuilding_ = true;
    TScopeExit done([this] { rebuilding_ = false; });
    ClearView();
    if (Consumer()->Provider()) {
        TBvConsumerScope scope(Consumer());
        if (auto root = RootItems()) {
            int index = 0;
            AddItems(index, root.Get(), AutoExpandLevel());
        }
    }
    if (notify)
        NotifyViewChanged();
}

void TBvDataConsumerViewList::AddItems(int& index, IBvDataItems* items, int expandLevel) {
    int n = items->Count();
    if (n <= 0)
        return;
    index = std::clamp(index, 0, Count());
    uint32_t level =
        index == 0 ? 0 : (rows_[static_cast<size_t>(index - 1)].RowFlags & LevelMask) + 1;
    if (index > 0)
        rows_[static_cast<size_t>(index - 1)].RowFlags |= Expanded;
    // The slots of hidden items are dropped as they come: a visible item keeps its row even
    // when its ID is empty.
    for (int i = 0; i < n; ++i) {
        auto item = items->GetItem(i);
        if (!item || !ItemIsVisible(item.Get()))
            continue;
        TRow row{item->GetID(), FlagsFor(item.Get(), level), i};
        rows_.insert(rows_.begin() + index, row);
        RowsMoved();
        if ((row.RowFlags & HasChildren) && expandLevel != 0) {
            ++index;
            if (auto sub = Supports<IBvDataItems>(item))
                AddItems(index, sub.Get(), expandLevel - 1);
            --index;
        }
        ++index;
    }
}

void TBvDataConsumerViewList::AddItem(int parentIndex, IBvDataItem* item, int expandLevel) {
    if (!item || !ItemIsVisible(item))
        return;
    if (ValidIndex(parentIndex)) {
        uint32_t f = rows_[static_cast<size_t>(parentIndex)].RowFlags;
        if ((f & HasChildren) && !(f & Expanded)) {
            ToggleItem(parentIndex);
            return;
        }
    } else {
        parentIndex = -1;
    }
    uint32_t level =
        parentIndex < 0 ? 0 : (rows_[static_cast<size_t>(parentIndex)].RowFlags & LevelMask) + 1;
    int at = parentIndex + 1;
    while (at < Count() && (rows_[static_cast<size_t>(at)].RowFlags & LevelMask) >= level)
        ++at;
    TRow row{item->GetID(), FlagsFor(item, level)};
    rows_.insert(rows_.begin() + at, row);
    RowsMoved();
    if (parentIndex >= 0)
        rows_[static_cast<size_t>(parentIndex)].RowFlags |= Expanded | HasItems | HasChildren;
    if (expandLevel != 0 && (row.RowFlags & HasChildren)) {
        int index = at + 1;
        if (auto sub = Supports<IBvDataItems>(item))
            AddItems(index, sub.Get(), expandLevel - 1);
    }
}

void TBvDataConsumerViewList::InsertItem(int insertIndex, int parentIndex, IBvDataItem* item) {
    if (!item || !ItemIsVisible(item))
        return;
    insertIndex = std::clamp(insertIndex, 0, Count());
    uint32_t level = ValidIndex(parentIndex)
                         ? (rows_[static_cast<size_t>(parentIndex)].RowFlags & LevelMask) + 1
                         : 0;
    rows_.insert(rows_.begin() + insertIndex, TRow{item->GetID(), FlagsFor(item, level)});
    RowsMoved();
    if (ValidIndex(parentIndex)) {
        if (parentIndex >= insertIndex)
            ++parentIndex;
        rows_[static_cast<size_t>(parentIndex)].RowFlags |= Expanded | HasItems | HasChildren;
    }
}

int TBvDataConsumerViewList::LastDescendant(int index) const {
    uint32_t level = rows_[static_cast<size_t>(index)].RowFlags & LevelMask;
    int last = index;
    while (last + 1 < static_cast<int>(rows_.size()) &&
           (rows_[static_cast<size_t>(last + 1)].RowFlags & LevelMask) > level)
        ++last;
    return last;
}

void TBvDataConsumerViewList::AddChildItem(int parentIndex, IBvDataItem* item) {
    if (!item || !ItemIsVisible(item))
        return;
    if (ValidIndex(parentIndex) && !(rows_[static_cast<size_t>(parentIndex)].RowFlags & Expanded)) {
        if (!(rows_[static_cast<size_t>(parentIndex)].RowFlags & HasChildren))
            UpdateItemFlags(parentIndex, HasItems | HasChildren, HasItems | HasChildren);
        ToggleItem(parentIndex);
    }
    if (IndexOfID(item->GetID()) >= 0)
        return;
    int at = ValidIndex(parentIndex) ? LastDescendant(parentIndex) + 1 : Count();
    InsertItem(at, ValidIndex(parentIndex) ? parentIndex : -1, item);
}

void TBvDataConsumerViewList::DeleteItems(int index) {
    if (!ValidIndex(index))
        return;
    uint32_t& f = rows_[static_cast<size_t>(index)].RowFlags;
    if (!(f & HasChildren) || !(f & Expanded))
        return;
    int last = LastDescendant(index);
    rows_.erase(rows_.begin() + index + 1, rows_.begin() + last + 1);
    RowsMoved();
    rows_[static_cast<size_t>(index)].RowFlags &= ~Expanded;
}

void TBvDataConsumerViewList::DeleteItem(int index) {
    if (!ValidIndex(index))
        return;
    DeleteItems(index);
    uint32_t level = rows_[static_cast<size_t>(index)].RowFlags & LevelMask;
    rows_.erase(rows_.begin() + index);
    RowsMoved();
    if (index > 0 && level > 0) {
        uint32_t& above = rows_[static_cast<size_t>(index - 1)].RowFlags;
        uint32_t aboveLevel = above & LevelMask;
        if (aboveLevel + 1 == level) {
            bool childFollows = index < Count() && (rows_[static_cast<size_t>(index)].RowFlags &
                                                    LevelMask) == aboveLevel + 1;
            if (!childFollows)
                above &= ~(HasChildren | Expanded);
        }
    }
}

void TBvDataConsumerViewList::UpdateItemFlags(int index, uint32_t value, uint32_t mask) {
    if (!ValidIndex(index))
        return;
    uint32_t& f = rows_[static_cast<size_t>(index)].RowFlags;
    f = (f & ~mask) | (value & mask);
    if (mask & LevelMask)
        RowsMoved();
}

void TBvDataConsumerViewList::ToggleItem(int index) {
    if (!ValidIndex(index) || !(rows_[static_cast<size_t>(index)].RowFlags & HasChildren))
        return;
    if (rows_[static_cast<size_t>(index)].RowFlags & Expanded) {
        DeleteItems(index);
    } else {
        TBvConsumerScope scope(Consumer());
        auto item = Item(index);
        auto sub = Supports<IBvDataItems>(item);
        int at = index + 1;
        if (sub)
            AddItems(at, sub.Get(), 0);
        // Children that are all hidden still leave the row marked open.
        rows_[static_cast<size_t>(index)].RowFlags |= Expanded;
    }
    NotifyViewChanged();
}

void TBvDataConsumerViewList::ExpandTreeTo(IBvDataItem* item) {
    if (!item || !ItemIsVisible(item) || IndexOfItem(item) >= 0)
        return;
    auto items = item->Items();
    auto parent = items ? items->Parent() : nullptr;
    if (!parent)
        return;
    ExpandTreeTo(parent.Get());
    int row = IndexOfItem(parent.Get());
    if (row < 0)
        return;
    if (rows_[static_cast<size_t>(row)].RowFlags & Expanded)
        throw EBvDataConsumer("ViewList out of sync");
    ToggleItem(row);
}

int TBvDataConsumerViewList::IndexOfID(const TBvDataItemID& id) {
    for (int i = Count(); i-- > 0;)
        if (AnsiSameText(rows_[static_cast<size_t>(i)].ItemID, id))
            return i;
    return -1;
}

int TBvDataConsumerViewList::IndexOfItem(IBvDataItem* item) {
    return item ? IndexOfID(item->GetID()) : -1;
}

int TBvDataConsumerViewList::ChildIndexOfID(const TBvDataItemID& id) {
    int row = IndexOfID(id);
    if (row < 0)
        return -1;
    uint32_t level = rows_[static_cast<size_t>(row)].RowFlags & LevelMask;
    int n = 0;
    for (int i = row - 1; i >= 0; --i) {
        uint32_t l = rows_[static_cast<size_t>(i)].RowFlags & LevelMask;
        if (l < level)
            break;
        if (l == level)
            ++n;
    }
    return n;
}

int TBvDataConsumerViewList::ChildIndexOfItem(IBvDataItem* item) {
    return item ? ChildIndexOfID(item->GetID()) : -1;
}

TIntf<IBvDataItem> TBvDataConsumerViewList::Item(int index) {
    if (!ValidIndex(index))
        return nullptr;
    TIntf<IBvDataItems> list;
    int parent = ItemParentIndex(index);
    if (parent >= 0)
        list = Supports<IBvDataItems>(Item(parent));
    else
        list = RootItems();
    auto search = Supports<IBvDataItemsIDSearch>(list);
    if (!search)
        return nullptr;
    // Boxes ask for every row they draw: the place the item was last found, or one beside it
    // after an insert or delete the notices missed, spares a search of the whole list.
    TRow& row = rows_[static_cast<size_t>(index)];
    if (const int hint = row.ListIndex; hint >= 0) {
        const int n = list->Count();
        for (int at : {hint, hint - 1, hint + 1}) {
            if (at < 0 || at >= n)
                continue;
            auto item = list->GetItem(at);
            if (item && AnsiSameText(item->GetID(), row.ItemID)) {
                row.ListIndex = at;
                return item;
            }
        }
    }
    auto found = search->FindByID(row.ItemID, false);
    row.ListIndex = found ? found->GetIndex() : -1;
    return found;
}

int TBvDataConsumerViewList::ItemLevel(int index) {
    return ValidIndex(index)
               ? static_cast<int>(rows_[static_cast<size_t>(index)].RowFlags & LevelMask)
               : -1;
}

bool TBvDataConsumerViewList::ItemIsExpanded(int index) {
    return ValidIndex(index) && (rows_[static_cast<size_t>(index)].RowFlags & Expanded);
}

bool TBvDataConsumerViewList::ItemHasChildren(int index) {
    return ValidIndex(index) && (rows_[static_cast<size_t>(index)].RowFlags & HasChildren);
}

int TBvDataConsumerViewList::ItemParentIndex(int index) {
    if (!ValidIndex(index))
        return -1;
    if (!parentsValid_) {
        // A row's parent is the nearest row above with a smaller level: one pass with the
        // chain of open ancestors answers it for every row.
        parents_.assign(rows_.size(), -1);
        std::vector<int> chain;
        for (size_t i = 0; i < rows_.size(); ++i) {
            uint32_t level = rows_[i].RowFlags & LevelMask;
            while (!chain.empty() &&
                   (rows_[static_cast<size_t>(chain.back())].RowFlags & LevelMask) >= level)
                chain.pop_back();
            parents_[i] = chain.empty() ? -1 : chain.back();
            chain.push_back(static_cast<int>(i));
        }
        parentsValid_ = true;
    }
    return parents_[static_cast<size_t>(index)];
}

TIntf<IBvDataItem> TBvDataConsumerViewList::ItemParent(int index) {
    int p = ItemParentIndex(index);
    return p >= 0 ? Item(p) : nullptr;
}

int TBvDataConsumerViewList::ItemSiblingIndex(int index) {
    if (!ValidIndex(index))
        return -1;
    uint32_t level = rows_[static_cast<size_t>(index)].RowFlags & LevelMask;
    for (int i = index + 1; i < Count(); ++i) {
        uint32_t l = rows_[static_cast<size_t>(i)].RowFlags & LevelMask;
        if (l == level)
            return i;
        if (l < level)
            return -1;
    }
    return -1;
}

TIntf<IBvDataItem> TBvDataConsumerViewList::ItemSibling(int index) {
    int s = ItemSiblingIndex(index);
    return s >= 0 ? Item(s) : nullptr;
}

int TBvDataConsumerViewList::SubItemIndexAt(int parentIndex, int index) {
    if (parentIndex < -1 || parentIndex >= Count() || index < 0)
        return -1;
    int row = parentIndex + 1;
    if (row >= Count())
        return -1;
    // The row after the parent is its first child only when it lies exactly one level deeper.
    uint32_t level =
        parentIndex < 0 ? 0 : (rows_[static_cast<size_t>(parentIndex)].RowFlags & LevelMask) + 1;
    if ((rows_[static_cast<size_t>(row)].RowFlags & LevelMask) != level)
        return -1;
    for (int i = 0; i < index && row >= 0; ++i)
        row = ItemSiblingIndex(row);
    return row;
}

int TBvDataConsumerViewList::SubItemIndex(IBvDataItem* parent, int index) {
    int p = IndexOfItem(parent);
    return p < 0 ? -1 : SubItemIndexAt(p, index);
}

TIntf<IBvDataItem> TBvDataConsumerViewList::SubItemAt(int parentIndex, int index) {
    int r = SubItemIndexAt(parentIndex, index);
    return r >= 0 ? Item(r) : nullptr;
}

TIntf<IBvDataItem> TBvDataConsumerViewList::SubItem(IBvDataItem* parent, int index) {
    int r = SubItemIndex(parent, index);
    return r >= 0 ? Item(r) : nullptr;
}

std::vector<uint32_t> TBvDataConsumerViewList::ItemGroupInfo(int index) {
    std::vector<uint32_t> bits;
    if (!ValidIndex(index))
        return bits;
    uint32_t level = rows_[static_cast<size_t>(index)].RowFlags & LevelMask;
    if (level == 0)
        return bits;
    bits.assign((level + 31) / 32, 0);
    // Walk up the ancestors: bit k tells whether the ancestor at level k has a next sibling.
    int row = index;
    for (uint32_t k = level; k-- > 0;) {
        row = ItemParentIndex(row);
        if (row < 0)
            break;
        if (ItemSiblingIndex(row) >= 0)
            bits[k / 32] |= 1u << (k % 32);
    }
    return bits;
}

void TBvDataConsumerViewList::DataProviderChanging(IBvDataProvider*, TBvProviderChangeReason reason,
                                                   IInterface* source) {
    if (reason != TBvProviderChangeReason::prItemDeleting || !source)
        return;
    auto item = Supports<IBvDataItem>(source);
    if (!item)
        return;
    TBvConsumerScope scope(Consumer());
    int row = IndexOfItem(item.Get());
    if (row >= 0) {
        DeleteItem(row);
        NotifyViewChanged();
    }
    ShiftListIndexes(item.Get(), -1);
}

void TBvDataConsumerViewList::ShiftListIndexes(IBvDataItem* item, int delta) {
    auto items = item->Items();
    if (!items)
        return;
    // Appending moves no other item; most additions do.
    const int at = item->GetIndex();
    if (at < 0 || at == items->Count() - 1)
        return;
    // The item's siblings are the rows one level below its parent's row, between that row and
    // the parent's next sibling; without a parent, the rows of level 0.
    auto parent = items->Parent();
    int first = 0;
    int last = Count() - 1;
    uint32_t level = 0;
    if (parent) {
        int p = IndexOfItem(parent.Get());
        if (p < 0)
            return;
        first = p + 1;
        last = LastDescendant(p);
        level = (rows_[static_cast<size_t>(p)].RowFlags & LevelMask) + 1;
    }
    // A deleted item still stands in its list; the rows behind it move up. An added one stands
    // at its place already; it and the rows behind it moved down.
    for (int i = first; i <= last; ++i) {
        TRow& r = rows_[static_cast<size_t>(i)];
        if ((r.RowFlags & LevelMask) != level || r.ListIndex < 0)
            continue;
        if (delta < 0 ? r.ListIndex > at : r.ListIndex >= at)
            r.ListIndex += delta;
    }
}

void TBvDataConsumerViewList::DataProviderChanged(IBvDataProvider*, TBvProviderChangeReason reason,
                                                  IInterface* source) {
    if (reason != TBvProviderChangeReason::prItemAdded || !source)
        return;
    auto item = Supports<IBvDataItem>(source);
    if (!item)
        return;
    TBvConsumerScope scope(Consumer());
    ShiftListIndexes(item.Get(), 1);
    auto items = item->Items();
    auto parent = items ? items->Parent() : nullptr;
    if (!parent) {
        AddChildItem(-1, item.Get());
        NotifyViewChanged();
        return;
    }
    int row = IndexOfItem(parent.Get());
    if (row < 0 && ExpandOnNewItem()) {
        ExpandTreeTo(parent.Get());
        row = IndexOfItem(parent.Get());
    }
    if (row < 0)
        return;
    if (!(rows_[static_cast<size_t>(row)].RowFlags & Expanded)) {
        if (ExpandOnNewItem()) {
            if (!(rows_[static_cast<size_t>(row)].RowFlags & HasChildren))
                UpdateItemFlags(row, HasItems | HasChildren, HasItems | HasChildren);
            ToggleItem(row);
        }
    } else {
        AddChildItem(row, item.Get());
        NotifyViewChanged();
    }
}

TBvDataConsumer* CreateListConsumer(TComponent* owner) {
    auto* consumer =
        BvCreate<TBvDataConsumer>(owner, std::vector<int>{attrGrayDisabled, attrDisplaysList});
    consumer->OnSubServiceCreated = [](TBvDataConsumer*, TBvDataConsumerAggregatedObject* s) {
        if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(s)) {
            view->SetExpandOnNewItem(true);
            view->SetAutoExpandLevel(-1);
            view->RebuildView();
        }
    };
    return consumer;
}
