// Collections: an owned, ordered list of items of one class, each a persistent object with
// published properties of its own (the framework's TCollection and TCollectionItem).
#pragma once

#include "Component.h"

#include <memory>
#include <vector>

class TCollection;

class TCollectionItem : public TPersistent {
    BV_CLASS_INFO()
public:
    explicit TCollectionItem(TCollection* collection) : collection_(collection) {}
    TCollection* Collection() const { return collection_; }
    int Index() const;

private:
    TCollection* collection_;
};

class TCollection : public TPersistent {
    BV_CLASS_INFO()
public:
    TCollection() = default;
    ~TCollection() override;
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError outside 0..Count-1.
    TCollectionItem* Items(int index) const;
    // Appends an item of the collection's item class.
    template <class T> T* Add() {
        auto* item = new T(this);
        items_.emplace_back(item);
        return item;
    }
    void Delete(int index);
    void Clear() { items_.clear(); }
    int IndexOf(const TCollectionItem* item) const;

private:
    std::vector<std::unique_ptr<TCollectionItem>> items_;
};
