#include "BvStringHolder.h"

void TBvMultiStringHolderCollectionItem::SetName(std::string_view value) {
    std::string trimmed = Trim(value);
    if (!trimmed.empty() && collection_ && collection_->DoesNameExist(trimmed))
        throw EBvException("String list does not allow duplicates");
    name_ = std::move(trimmed);
}

TBvMultiStringHolderCollectionItem& TBvMultiStringHolderCollection::Add() {
    items_.push_back(std::make_unique<TBvMultiStringHolderCollectionItem>(this));
    return *items_.back();
}

bool TBvMultiStringHolderCollection::DoesNameExist(std::string_view name) const {
    for (const auto& item : items_)
        if (CompareText(item->Name(), name) == 0)
            return true;
    return false;
}

void TBvMultiStringHolderCollection::Assign(const TBvMultiStringHolderCollection& other) {
    if (&other == this)
        return;
    items_.clear();
    for (const auto& item : other.items_) {
        auto& copy = Add();
        copy.SetName(item->Name());
        copy.SetStrings(item->Strings());
    }
}

TBvMultiStringHolder::TBvMultiStringHolder(std::initializer_list<std::string_view> names) {
    for (std::string_view n : names)
        MultipleStrings_.Add().SetName(n);
}

TBvMultiStringHolderCollectionItem& TBvMultiStringHolder::ItemByName(std::string_view name) {
    for (int i = 0; i < MultipleStrings_.Count(); ++i)
        if (CompareText(MultipleStrings_.Items(i).Name(), name) == 0)
            return MultipleStrings_.Items(i);
    throw EBvMultiStringHolderException(
        Format("No item found with name \"%s\"", {std::string(name)}));
}

const TBvMultiStringHolderCollectionItem&
TBvMultiStringHolder::ItemByName(std::string_view name) const {
    return const_cast<TBvMultiStringHolder*>(this)->ItemByName(name);
}
