#include "Collections.h"

const TClassInfo& TCollectionItem::StaticClassInfo() {
    static const TClassInfo info("TCollectionItem", &TPersistent::StaticClassInfo(), {}, "Classes");
    return info;
}

int TCollectionItem::Index() const {
    return collection_ ? collection_->IndexOf(this) : -1;
}

const TClassInfo& TCollection::StaticClassInfo() {
    static const TClassInfo info("TCollection", &TPersistent::StaticClassInfo(), {}, "Classes");
    return info;
}

TCollection::~TCollection() = default;

TCollectionItem* TCollection::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {index}));
    return items_[static_cast<size_t>(index)].get();
}

void TCollection::Delete(int index) {
    Items(index);
    items_.erase(items_.begin() + index);
}

int TCollection::IndexOf(const TCollectionItem* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}
