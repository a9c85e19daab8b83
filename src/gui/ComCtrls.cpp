#include "ComCtrls.h"

namespace {

void CheckIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw EListError(Format("List index out of bounds (%d)", {index}));
}

int CountBelow(const TTreeNode& node) {
    int n = 0;
    for (int i = 0; i < node.Count(); ++i)
        n += 1 + CountBelow(*node.Item(i));
    return n;
}

} // namespace

const TClassInfo& TTreeNodes::StaticClassInfo() {
    static const TClassInfo info("TTreeNodes", &TPersistent::StaticClassInfo(), {}, "ComCtrls");
    return info;
}

TTreeNodes::TTreeNodes() : root_(std::make_unique<TTreeNode>()) {}
TTreeNodes::~TTreeNodes() = default;

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) {
    TTreeNode* owner = parent ? parent : root_.get();
    auto node = std::make_unique<TTreeNode>();
    node->Text = text;
    node->parent_ = parent;
    owner->children_.push_back(std::move(node));
    return owner->children_.back().get();
}

int TTreeNodes::Count() const {
    return CountBelow(*root_);
}

TTreeNode* TTreeNodes::Item(int index) const {
    CheckIndex(index, Count());
    // Walk in display order: each node, then its children.
    const TTreeNode* level = root_.get();
    for (bool descended = true; descended;) {
        descended = false;
        for (int i = 0; i < level->Count() && !descended; ++i) {
            TTreeNode* child = level->Item(i);
            if (index == 0)
                return child;
            --index;
            int below = CountBelow(*child);
            if (index < below) {
                level = child;
                descended = true;
            } else {
                index -= below;
            }
        }
    }
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

const TClassInfo& TListItems::StaticClassInfo() {
    static const TClassInfo info("TListItems", &TPersistent::StaticClassInfo(), {}, "ComCtrls");
    return info;
}

TListItems::TListItems() = default;
TListItems::~TListItems() = default;

TListItem* TListItems::Add() {
    items_.push_back(std::make_unique<TListItem>());
    return items_.back().get();
}

TListItem* TListItems::Item(int index) const {
    CheckIndex(index, Count());
    return items_[static_cast<size_t>(index)].get();
}
