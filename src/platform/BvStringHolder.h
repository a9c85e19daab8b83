// A component holding named string lists. Every track table is one: eight
// columns (nine for the reader's output) looked up by name without regard
// to ASCII case.
#pragma once

#include "Classes.h"

#include <memory>
#include <string>
#include <vector>

BV_DECLARE_EXCEPTION(EBvMultiStringHolderException, Exception);

class TBvMultiStringHolderCollection;

class TBvMultiStringHolderCollectionItem {
public:
    explicit TBvMultiStringHolderCollectionItem(TBvMultiStringHolderCollection* collection)
        : collection_(collection) {}

    const std::string& Name() const { return name_; }
    // Trims the value; a non-empty name already in the collection (the item's own
    // included, in any ASCII case) raises EBvException and keeps the old name.
    void SetName(std::string_view value);
    std::string GetDisplayName() const { return name_.empty() ? "(unnamed)" : name_; }

    TStringList& Strings() { return strings_; }
    const TStringList& Strings() const { return strings_; }
    // Copies the lines; the owned list object stays the same.
    void SetStrings(const TStrings& value) { strings_.Assign(value); }

private:
    TBvMultiStringHolderCollection* collection_;
    std::string name_;
    TStringList strings_;
};

class TBvMultiStringHolderCollection {
public:
    TBvMultiStringHolderCollection() = default;
    // Items point back at their collection, so a collection is never copied or
    // moved as a whole; Assign copies the items.
    TBvMultiStringHolderCollection(const TBvMultiStringHolderCollection&) = delete;
    TBvMultiStringHolderCollection& operator=(const TBvMultiStringHolderCollection&) = delete;
    int Count() const { return static_cast<int>(items_.size()); }
    TBvMultiStringHolderCollectionItem& Items(int index) {
        return *items_.at(static_cast<size_t>(index));
    }
    const TBvMultiStringHolderCollectionItem& Items(int index) const {
        return *items_.at(static_cast<size_t>(index));
    }
    TBvMultiStringHolderCollectionItem& Add();
    void Clear() { items_.clear(); }
    // True when any item's name equals `name` by CompareText.
    bool DoesNameExist(std::string_view name) const;
    void Assign(const TBvMultiStringHolderCollection& other);

private:
    std::vector<std::unique_ptr<TBvMultiStringHolderCollectionItem>> items_;
};

class TBvMultiStringHolder : public TObject {
public:
    TBvMultiStringHolder() = default;
    // A holder with one item per name, in order.
    explicit TBvMultiStringHolder(std::initializer_list<std::string_view> names);
    TBvMultiStringHolder(const TBvMultiStringHolder& other) {
        MultipleStrings_.Assign(other.MultipleStrings_);
    }
    TBvMultiStringHolder& operator=(const TBvMultiStringHolder& other) {
        MultipleStrings_.Assign(other.MultipleStrings_);
        return *this;
    }

    TBvMultiStringHolderCollection& MultipleStrings() { return MultipleStrings_; }
    const TBvMultiStringHolderCollection& MultipleStrings() const { return MultipleStrings_; }
    void SetMultipleStrings(const TBvMultiStringHolderCollection& value) {
        MultipleStrings_.Assign(value);
    }

    // The first item whose name equals `name` by CompareText (the argument is not
    // trimmed); EBvMultiStringHolderException "No item found with name "%s"" otherwise.
    TBvMultiStringHolderCollectionItem& ItemByName(std::string_view name);
    const TBvMultiStringHolderCollectionItem& ItemByName(std::string_view name) const;
    TStringList& StringsByName(std::string_view name) { return ItemByName(name).Strings(); }
    const TStringList& StringsByName(std::string_view name) const {
        return ItemByName(name).Strings();
    }

private:
    TBvMultiStringHolderCollection MultipleStrings_;
};
