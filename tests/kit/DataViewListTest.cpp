// The view list's rows against a plain flattening of the same tree, for random trees, expand
// levels and toggles, and its row queries on a small fixed tree.
#include "BvDataViewList.h"
#include "FakeProvider.h"

#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

namespace {

struct Node {
    std::string id;
    bool hidden = false;
    std::vector<Node> children;
};

// A consumer sub-service that hides the items whose caption starts with "-".
class THideDashes : public TBvDataConsumerAggregatedObject, public IBvDataConsumerItemFilter {
    BV_CLASS_INFO()
public:
    using TBvDataConsumerAggregatedObject::TBvDataConsumerAggregatedObject;
    bool SurvivesProviderChange() override { return true; }
    int ItemVisibility(IBvDataItem* item) override {
        auto text = Supports<IBvDataItemText>(item);
        return text && !text->Caption().empty() && text->Caption()[0] == '-' ? 0 : 3;
    }

protected:
    bool GetOwnInterface(const TGUID& iid, void** obj) override {
        return BvOffer<IBvDataConsumerItemFilter>(this, iid, obj) ||
               TBvDataConsumerAggregatedObject::GetOwnInterface(iid, obj);
    }
};

const TClassInfo& THideDashes::StaticClassInfo() {
    static const TClassInfo info("THideDashes",
                                 &TBvDataConsumerAggregatedObject::StaticClassInfo());
    return info;
}

void Build(TFakeProvider* p, TBvDataItemsList* list, const std::vector<Node>& nodes) {
    for (const Node& n : nodes) {
        auto* item = p->AddItem(n.hidden ? "-" + n.id : n.id, list, n.id);
        if (!n.children.empty())
            Build(p, p->SubList(item), n.children);
    }
}

struct Row {
    std::string id;
    int level;
    bool expanded;
    bool children;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << r.id << "@" << r.level << (r.expanded ? "+" : "") << (r.children ? "c" : "");
}

// The plain flattening: a node's children follow it when it is in the open set.
void Flatten(const std::vector<Node>& nodes, int level, const std::set<std::string>& open,
             std::vector<Row>& out) {
    for (const Node& n : nodes) {
        if (n.hidden)
            continue;
        bool isOpen = open.count(n.id) && !n.children.empty();
        out.push_back({n.id, level, isOpen, !n.children.empty()});
        if (isOpen)
            Flatten(n.children, level + 1, open, out);
    }
}

void OpenTo(const std::vector<Node>& nodes, int depth, int expandLevel,
            std::set<std::string>& open) {
    for (const Node& n : nodes) {
        if (n.hidden || n.children.empty())
            continue;
        if (expandLevel < 0 || depth < expandLevel) {
            open.insert(n.id);
            OpenTo(n.children, depth + 1, expandLevel, open);
        }
    }
}

const Node* Find(const std::vector<Node>& nodes, const std::string& id) {
    for (const Node& n : nodes) {
        if (n.id == id)
            return &n;
        if (const Node* c = Find(n.children, id))
            return c;
    }
    return nullptr;
}

void CloseAll(const Node& n, std::set<std::string>& open) {
    open.erase(n.id);
    for (const Node& c : n.children)
        CloseAll(c, open);
}

std::vector<Row> Rows(TBvDataConsumerViewList* view) {
    std::vector<Row> rows;
    for (int i = 0; i < view->Count(); ++i)
        rows.push_back({view->Rows()[static_cast<size_t>(i)].ItemID, view->ItemLevel(i),
                        view->ItemIsExpanded(i), view->ItemHasChildren(i)});
    return rows;
}

std::vector<Node> RandomTree(std::mt19937& rng, int depth, int& serial, bool withHidden) {
    std::vector<Node> nodes;
    int n = std::uniform_int_distribution<int>(0, depth == 0 ? 5 : 3)(rng);
    for (int i = 0; i < n; ++i) {
        Node node;
        node.id = "N";
        node.id.append(std::to_string(serial++));
        node.hidden = withHidden && std::uniform_int_distribution<int>(0, 4)(rng) == 0;
        if (depth < 3)
            node.children = RandomTree(rng, depth + 1, serial, withHidden);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

TEST(DataViewList, RowsMatchAPlainFlatteningForRandomTreesAndToggles) {
    std::mt19937 rng(20261210);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        int serial = 0;
        bool withHidden = round % 3 == 0;
        std::vector<Node> tree = RandomTree(rng, 0, serial, withHidden);
        int expandLevel = std::uniform_int_distribution<int>(-1, 3)(rng);

        auto p = MakeProvider();
        Build(p.Get(), p->Root(), tree);
        if (withHidden)
            p->Classes = {ConsumerClassOf<THideDashes>()};
        TComponent owner(nullptr);
        auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{1, 3});
        consumer->OnSubServiceCreated = [&](TBvDataConsumer*, TBvDataConsumerAggregatedObject* s) {
            if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(s))
                view->SetAutoExpandLevel(expandLevel);
        };
        consumer->SetProvider(p.Get());
        auto* view = consumer->ViewList();
        ASSERT_NE(view, nullptr);

        std::set<std::string> open;
        OpenTo(tree, 0, expandLevel, open);
        std::vector<Row> expected;
        Flatten(tree, 0, open, expected);
        ASSERT_EQ(Rows(view), expected);

        for (int step = 0; step < 15 && view->Count() > 0; ++step) {
            int row = std::uniform_int_distribution<int>(0, view->Count() - 1)(rng);
            std::string id = view->Rows()[static_cast<size_t>(row)].ItemID;
            const Node* node = Find(tree, id);
            ASSERT_NE(node, nullptr);
            view->ToggleItem(row);
            if (!node->children.empty()) {
                // Opening shows the children collapsed; closing forgets what lay below.
                if (open.count(id))
                    CloseAll(*node, open);
                else
                    open.insert(id);
            }
            expected.clear();
            Flatten(tree, 0, open, expected);
            ASSERT_EQ(Rows(view), expected) << "after toggling " << id;
            // Every row finds its item again, through its parent row.
            for (int i = 0; i < view->Count(); ++i) {
                auto item = view->Item(i);
                ASSERT_TRUE(item);
                EXPECT_EQ(item->GetID(), view->Rows()[static_cast<size_t>(i)].ItemID);
            }
        }
        consumer->Destroy();
    }
}

// A fixed tree: A (A1, A2 (A21)), B, C (C1)
struct Fixed {
    TIntf<TFakeProvider> p = MakeProvider();
    TComponent owner{nullptr};
    TBvDataConsumer* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    TBvBaseDataItem *a, *a1, *a2, *a21, *b, *c, *c1;
    Fixed() {
        a = p->AddItem("A", nullptr, "A");
        a1 = p->AddItem("A1", p->SubList(a), "A1");
        a2 = p->AddItem("A2", p->SubList(a), "A2");
        a21 = p->AddItem("A21", p->SubList(a2), "A21");
        b = p->AddItem("B", nullptr, "B");
        c = p->AddItem("C", nullptr, "C");
        c1 = p->AddItem("C1", p->SubList(c), "C1");
        consumer->OnSubServiceCreated = [](TBvDataConsumer*, TBvDataConsumerAggregatedObject* s) {
            if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(s)) {
                view->SetAutoExpandLevel(-1);
                view->SetExpandOnNewItem(true);
            }
        };
        consumer->SetProvider(p.Get());
    }
    ~Fixed() { consumer->Destroy(); }
    TBvDataConsumerViewList* View() { return consumer->ViewList(); }
    std::string Ids() {
        std::string s;
        for (auto& r : View()->Rows())
            s += (s.empty() ? "" : " ") + r.ItemID;
        return s;
    }
};

TEST(DataViewList, RowQueriesOnAFixedTree) {
    Fixed f;
    auto* v = f.View();
    ASSERT_EQ(f.Ids(), "A A1 A2 A21 B C C1");
    struct Case {
        int row;
        int parent, sibling, childIndex;
    } cases[] = {
        {0, -1, 4, 0}, {1, 0, 2, 0},   {2, 0, -1, 1}, {3, 2, -1, 0},
        {4, -1, 5, 1}, {5, -1, -1, 2}, {6, 5, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(v->ItemParentIndex(c.row), c.parent);
        EXPECT_EQ(v->ItemSiblingIndex(c.row), c.sibling);
        EXPECT_EQ(v->ChildIndexOfID(v->Rows()[static_cast<size_t>(c.row)].ItemID), c.childIndex);
    }
    EXPECT_EQ(v->SubItemIndexAt(-1, 2), 5);
    EXPECT_EQ(v->SubItemIndexAt(0, 1), 2);
    EXPECT_EQ(v->SubItemIndexAt(0, 2), -1);
    EXPECT_EQ(v->SubItemIndex(f.a2, 0), 3);
    EXPECT_EQ(v->SubItem(f.c, 0)->GetID(), "C1");
    // B has no children shown below it: the next row is not one level deeper.
    EXPECT_EQ(v->SubItemIndexAt(4, 0), -1);
    EXPECT_EQ(v->SubItemIndexAt(6, 0), -1);
    EXPECT_EQ(v->IndexOfID("a21"), 3);
    EXPECT_EQ(v->IndexOfItem(f.b), 4);
    EXPECT_EQ(v->ItemParent(3)->GetID(), "A2");
    EXPECT_EQ(v->ItemSibling(0)->GetID(), "B");
    EXPECT_EQ(v->Item(7), nullptr);
    EXPECT_EQ(v->ItemParent(9), nullptr);
    EXPECT_EQ(v->ItemSiblingIndex(-1), -1);
    // A21's ancestors: A (level 0) has a next sibling, A2 (level 1) has none.
    EXPECT_EQ(v->ItemGroupInfo(3), std::vector<uint32_t>{0b01});
    EXPECT_TRUE(v->ItemGroupInfo(0).empty());
    EXPECT_EQ(TBvConsumerStrings(f.consumer).Get(3), "A21");
}

TEST(DataViewList, DeepRowsGroupInfoTakesAWordPer32Levels) {
    auto p = MakeProvider();
    TBvDataItemsList* list = p->Root();
    for (int level = 0; level <= 33; ++level) {
        std::string caption = "L";
        auto* item = p->AddItem(caption.append(std::to_string(level)), list);
        if (level < 33)
            list = p->SubList(item);
    }
    TComponent owner(nullptr);
    auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    consumer->OnSubServiceCreated = [](TBvDataConsumer*, TBvDataConsumerAggregatedObject* s) {
        if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(s))
            view->SetAutoExpandLevel(-1);
    };
    consumer->SetProvider(p.Get());
    ASSERT_EQ(consumer->ViewList()->Count(), 34);
    EXPECT_EQ(consumer->ViewList()->ItemGroupInfo(33).size(), 2u);
    consumer->Destroy();
}

TEST(DataViewList, DeletionsAndAdditionsFollowTheProvider) {
    Fixed f;
    auto manage = [](TBvDataItemsList* list) {
        return Supports<IBvDataItemsManagement>(static_cast<IBvDataItems*>(list));
    };
    // Deleting one of two children keeps the parent's bits; deleting the only child clears them.
    manage(f.p->SubList(f.a))->Delete(0);
    EXPECT_EQ(f.Ids(), "A A2 A21 B C C1");
    EXPECT_TRUE(f.View()->ItemHasChildren(0));
    manage(f.p->SubList(f.c))->Delete(0);
    EXPECT_EQ(f.Ids(), "A A2 A21 B C");
    EXPECT_FALSE(f.View()->ItemHasChildren(4));
    EXPECT_FALSE(f.View()->ItemIsExpanded(4));

    // Collapsing and opening again brings the same children back, collapsed.
    f.View()->ToggleItem(0);
    EXPECT_EQ(f.Ids(), "A B C");
    f.View()->ToggleItem(0);
    EXPECT_EQ(f.Ids(), "A A2 B C");
    EXPECT_FALSE(f.View()->ItemIsExpanded(1));

    // A new item under a collapsed parent opens the way to it.
    f.p->AddItem("A22", f.p->SubList(f.a2), "A22");
    EXPECT_EQ(f.Ids(), "A A2 A21 A22 B C");
    f.p->AddItem("D", nullptr, "D");
    EXPECT_EQ(f.Ids(), "A A2 A21 A22 B C D");
    f.p->AddItem("C2", f.p->SubList(f.c), "C2");
    EXPECT_EQ(f.Ids(), "A A2 A21 A22 B C C2 D");
    EXPECT_TRUE(f.View()->ItemIsExpanded(5));
}

TEST(DataViewList, EmptyProviderHiddenItemsAndEmptyIDs) {
    {
        auto p = MakeProvider();
        TComponent owner(nullptr);
        auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
        consumer->SetProvider(p.Get());
        auto* v = consumer->ViewList();
        EXPECT_EQ(v->Count(), 0);
        EXPECT_EQ(v->Item(0), nullptr);
        EXPECT_EQ(v->ItemSibling(0), nullptr);
        EXPECT_EQ(v->SubItemAt(-1, 0), nullptr);
        EXPECT_EQ(v->IndexOfID("x"), -1);
        consumer->Destroy();
    }
    {
        // A shown item whose ID is empty keeps its row, in provider order.
        auto p = MakeProvider();
        p->Classes = {ConsumerClassOf<THideDashes>()};
        p->AddItem("first", nullptr, "F");
        p->AddItem("-hidden", nullptr, "H");
        p->AddItem("nameless")->SetID("");
        p->AddItem("last", nullptr, "L");
        TComponent owner(nullptr);
        auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
        consumer->SetProvider(p.Get());
        TBvConsumerStrings strings(consumer);
        ASSERT_EQ(strings.Count(), 3);
        EXPECT_EQ(strings.Get(0), "first");
        EXPECT_EQ(strings.Get(1), "nameless");
        EXPECT_EQ(strings.Get(2), "last");
        consumer->Destroy();
    }
}

TEST(DataViewList, IndexOfIDIgnoresCaseAndAnswersTheLastOfTwinRows) {
    auto p = MakeProvider();
    p->AddItem("one", nullptr, "twin");
    p->AddItem("two", nullptr, "other");
    p->AddItem("three", nullptr, "TWIN");
    TComponent owner(nullptr);
    auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    consumer->SetProvider(p.Get());
    EXPECT_EQ(consumer->ViewList()->IndexOfID("Twin"), 2);
    consumer->ViewList()->SetLevelIndent(20);
    EXPECT_EQ(consumer->ViewList()->LevelIndent(), 20);
    consumer->Destroy();
}

// A list of sub-items that counts how often its items are read.
class TCountingList : public TBvDataItemsList {
public:
    using TBvDataItemsList::TBvDataItemsList;
    TIntf<IBvDataItem> GetItem(int index) override {
        ++Reads;
        return TBvDataItemsList::GetItem(index);
    }
    long Reads = 0;
};

TEST(DataViewList, ARowsItemIsFoundWithoutSearchingItsListAndFollowsChanges) {
    constexpr int kChildren = 3000;
    auto p = MakeProvider();
    auto* folder = p->AddItem("folder", nullptr, "folder");
    auto* list = BvCreate<TCountingList>(folder);
    BvCreate<TBvBaseDataItemsListManagement>(list);
    for (int i = 0; i < kChildren; ++i)
        p->AddItem("c" + std::to_string(i), list, "c" + std::to_string(i));
    p->AddItem("after", nullptr, "after");
    TComponent owner(nullptr);
    auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    consumer->OnSubServiceCreated = [](TBvDataConsumer*, TBvDataConsumerAggregatedObject* s) {
        if (auto* view = dynamic_cast<TBvDataConsumerViewList*>(s))
            view->SetAutoExpandLevel(-1);
    };
    consumer->SetProvider(p.Get());
    auto* v = consumer->ViewList();
    ASSERT_EQ(v->Count(), kChildren + 2);

    // Every row answers its own item, and reading them all reads each item a few times, not
    // the list's length.
    auto everyRowAnswersItsItem = [&] {
        for (int i = 0; i < v->Count(); ++i) {
            auto item = v->Item(i);
            ASSERT_NE(item, nullptr) << i;
            ASSERT_EQ(item->GetID(), v->Rows()[static_cast<size_t>(i)].ItemID) << i;
        }
    };
    list->Reads = 0;
    everyRowAnswersItsItem();
    EXPECT_LE(list->Reads, 3L * kChildren);

    // Items deleted from the front and the middle move the rest up; each row still answers
    // its own item, cheaply.
    auto manage = Supports<IBvDataItemsManagement>(static_cast<IBvDataItems*>(list));
    manage->Delete(0);
    manage->Delete(kChildren / 2);
    ASSERT_EQ(v->Count(), kChildren);
    list->Reads = 0;
    everyRowAnswersItsItem();
    EXPECT_LE(list->Reads, 3L * kChildren);

    // An item taken out behind the rows' back: its row finds nothing, the others still find
    // their own items.
    list->RemoveItemAt(0);
    EXPECT_EQ(v->Item(1), nullptr);
    for (int i = 2; i < v->Count(); ++i)
        ASSERT_EQ(v->Item(i)->GetID(), v->Rows()[static_cast<size_t>(i)].ItemID) << i;
    consumer->Destroy();
}

TEST(DataViewList, TwinRowsEachAnswerTheItemTheyWereMadeFrom) {
    auto p = MakeProvider();
    p->AddItem("one", nullptr, "twin");
    p->AddItem("two", nullptr, "other");
    p->AddItem("three", nullptr, "TWIN");
    TComponent owner(nullptr);
    auto* consumer = BvCreate<TBvDataConsumer>(&owner, std::vector<int>{3});
    consumer->SetProvider(p.Get());
    TBvConsumerStrings strings(consumer);
    ASSERT_EQ(strings.Count(), 3);
    EXPECT_EQ(strings.Get(0), "one");
    EXPECT_EQ(strings.Get(2), "three");
    consumer->Destroy();
}

} // namespace
