// The item models of tree and list views: tree nodes numbered in display order (a node, then
// its children) and list items with a caption and the texts of the further columns.
#pragma once

#include "Classes.h"
#include "Component.h"

#include <memory>
#include <string>
#include <vector>

class TTreeNode {
public:
    std::string Text;
    TTreeNode* Parent() const { return parent_; }
    int Count() const { return static_cast<int>(children_.size()); }
    TTreeNode* Item(int index) const { return children_.at(static_cast<size_t>(index)).get(); }

private:
    friend class TTreeNodes;
    TTreeNode* parent_ = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> children_;
};

class TTreeNodes : public TPersistent {
    BV_CLASS_INFO()
public:
    TTreeNodes();
    ~TTreeNodes() override;
    // Adds a node as the last child of parent (a root node when parent is null).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    // Every node, a node before its children.
    int Count() const;
    // The node at an absolute index in that order; EListError outside 0..Count-1.
    TTreeNode* Item(int index) const;

private:
    std::unique_ptr<TTreeNode> root_;
};

class TListItem {
public:
    std::string Caption;
    TStrings* SubItems() const { return subItems_.get(); }

private:
    std::unique_ptr<TStringList> subItems_ = std::make_unique<TStringList>();
};

class TListItems : public TPersistent {
    BV_CLASS_INFO()
public:
    TListItems();
    ~TListItems() override;
    TListItem* Add();
    int Count() const { return static_cast<int>(items_.size()); }
    // EListError outside 0..Count-1.
    TListItem* Item(int index) const;

private:
    std::vector<std::unique_ptr<TListItem>> items_;
};
