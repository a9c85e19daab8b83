// List and combo boxes follow a change of their items row by row: the selection the user
// made stays on its items, a variable-height list measures only the item that changed,
// and Qt's models are never reset for one item.
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

// Counts the resets and single-row signals of a Qt model.
struct TModelSpy {
    explicit TModelSpy(QAbstractItemModel* model) {
        QObject::connect(model, &QAbstractItemModel::modelReset, [this] { ++Resets; });
        QObject::connect(
            model, &QAbstractItemModel::rowsInserted,
            [this](const QModelIndex&, int first, int last) { Inserted += last - first + 1; });
        QObject::connect(
            model, &QAbstractItemModel::rowsRemoved,
            [this](const QModelIndex&, int first, int last) { Removed += last - first + 1; });
    }
    int Resets = 0;
    int Inserted = 0;
    int Removed = 0;
};

QAbstractItemView* ViewOf(TListBox* list) {
    return dynamic_cast<QAbstractItemView*>(list->Widget());
}

// Clicks the middle of a row as a user would.
void ClickRow(TListBox* list, int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QAbstractItemView* v = ViewOf(list);
    QRect r = v->visualRect(v->model()->index(row, 0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, mods, r.center());
    Pump();
}

class ListItemsTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(320, 300); }
    void TearDown() override {
        delete form;
        Pump();
    }
    TListBox* MakeList(int count, bool multi) {
        auto* list = new TListBox(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 200, 260);
        list->SetMultiSelect(multi);
        for (int i = 0; i < count; ++i)
            list->Items()->Add("item " + std::to_string(i));
        form->Show();
        Pump();
        return list;
    }
    TForm* form = nullptr;
};

} // namespace

// The user clicks rows 2 and 4 (Ctrl for the second in a multi-select box); then the program
// changes the items. The selection stays on the same items, wherever they now are.
TEST_F(ListItemsTest, ASelectionMadeWithTheMouseStaysOnItsItemsAcrossItemChanges) {
    struct Case {
        const char* Name;
        std::function<void(TStrings&)> Change;
        std::set<std::string> SelectedAfter;
    };
    const std::vector<Case> cases = {
        {"add at the end", [](TStrings& s) { s.Add("new"); }, {"item 2", "item 4"}},
        {"insert before the selection",
         [](TStrings& s) { s.Insert(0, "new"); },
         {"item 2", "item 4"}},
        {"delete before the selection", [](TStrings& s) { s.Delete(0); }, {"item 2", "item 4"}},
        {"delete a selected item", [](TStrings& s) { s.Delete(2); }, {"item 4"}},
        {"change an unselected item",
         [](TStrings& s) { s.Put(3, "changed"); },
         {"item 2", "item 4"}},
        {"move a selected item", [](TStrings& s) { s.Move(2, 6); }, {"item 2", "item 4"}},
    };
    for (bool multi : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (multi ? " (multi-select)" : ""));
            TListBox* list = MakeList(8, multi);
            TModelSpy spy(ViewOf(list)->model());
            ClickRow(list, 2);
            if (multi)
                ClickRow(list, 4, Qt::ControlModifier);
            ASSERT_EQ(list->ItemIndex(), multi ? 4 : 2);
            c.Change(*list->Items());
            Pump();
            std::set<std::string> selected;
            for (int i = 0; i < list->Count(); ++i)
                if (list->Selected(i))
                    selected.insert(list->Items()->Get(i));
            std::set<std::string> expected = c.SelectedAfter;
            if (!multi)
                expected.erase("item 4");
            EXPECT_EQ(selected, expected);
            // The current item is still the last one clicked, unless it was deleted.
            std::string current = multi ? "item 4" : "item 2";
            if (expected.count(current)) {
                EXPECT_EQ(list->Items()->Get(list->ItemIndex()), current);
            }
            EXPECT_EQ(spy.Resets, 0);
            delete list;
        }
    }
}

TEST_F(ListItemsTest, AVariableHeightListMeasuresOnlyTheItemThatChanged) {
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 260);
    list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    std::vector<int> measured;
    list->OnMeasureItem = [&](TWinControl*, int index, int& height) {
        measured.push_back(index);
        height = 18;
    };
    for (int i = 0; i < 2000; ++i)
        list->Items()->Add("item " + std::to_string(i));
    form->Show();
    Pump();
    ASSERT_EQ(measured.size(), 2000u) << "each item is measured once when first laid out";
    ClickRow(list, 3);
    ASSERT_EQ(list->ItemIndex(), 3);

    struct Case {
        const char* Name;
        std::function<void(TStrings&)> Change;
        std::vector<int> Measured;
    };
    const std::vector<Case> cases = {
        {"add", [](TStrings& s) { s.Add("added"); }, {2000}},
        {"insert at the top", [](TStrings& s) { s.Insert(0, "first"); }, {0}},
        {"delete", [](TStrings& s) { s.Delete(10); }, {}},
        {"replace", [](TStrings& s) { s.Put(20, "replaced"); }, {20}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        measured.clear();
        c.Change(*list->Items());
        Pump();
        EXPECT_EQ(measured, c.Measured);
    }
    EXPECT_EQ(list->Items()->Get(list->ItemIndex()), "item 3");
    // A changed item height remeasures them all, once each.
    measured.clear();
    list->SetItemHeight(20);
    Pump();
    EXPECT_EQ(static_cast<int>(measured.size()), list->Count());
}

TEST_F(ListItemsTest, LbSetItemHeightSetsTheNamedItemOfAVariableHeightList) {
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 260);
    list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    list->OnMeasureItem = [](TWinControl*, int, int& height) { height = 18; };
    for (const char* s : {"a", "b", "c"})
        list->Items()->Add(s);
    form->Show();
    Pump();
    EXPECT_EQ(list->Perform(LB_SETITEMHEIGHT, 1, 40), 0);
    Pump();
    EXPECT_EQ(list->Perform(LB_GETITEMHEIGHT, 1, 0), 40);
    EXPECT_EQ(list->Perform(LB_GETITEMHEIGHT, 0, 0), 18);
    EXPECT_EQ(list->ItemRect(1).Height(), 40);
    EXPECT_EQ(list->ItemRect(2).Top, 58);
    EXPECT_EQ(list->Perform(LB_SETITEMHEIGHT, 7, 40), LB_ERR);
}

// The rows of a variable-height list lie one under the other at their own heights, wherever
// the list is scrolled; the last row shows whole at the bottom; a row that grows pushes the
// rows below it down; a click finds the row under the mouse.
TEST_F(ListItemsTest, AVariableHeightListPlacesItsRowsByTheirHeights) {
    auto* list = new TListBox(form);
    list->SetParent(form);
    list->SetBounds(10, 10, 200, 260);
    list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
    std::vector<int> heights;
    for (int i = 0; i < 500; ++i)
        heights.push_back(12 + i % 5 * 7);
    list->OnMeasureItem = [&](TWinControl*, int index, int& height) {
        height = heights[static_cast<size_t>(index)];
    };
    for (int i = 0; i < 500; ++i)
        list->Items()->Add("item " + std::to_string(i));
    form->Show();
    Pump();
    auto top = [&](int from, int row) {
        int y = 0;
        for (int i = from; i < row; ++i)
            y += heights[static_cast<size_t>(i)];
        return y;
    };
    for (int first : {0, 7, 250}) {
        SCOPED_TRACE(first);
        list->SetTopIndex(first);
        Pump();
        ASSERT_EQ(list->TopIndex(), first);
        for (int row = first; row < first + 10; ++row) {
            TRect r = list->ItemRect(row);
            EXPECT_EQ(r.Top, top(first, row));
            EXPECT_EQ(r.Height(), heights[static_cast<size_t>(row)]);
            EXPECT_EQ(list->ItemAtPos({5, r.Top + r.Height() / 2}, true), row);
        }
        ClickRow(list, first + 4);
        EXPECT_EQ(list->ItemIndex(), first + 4);
    }
    list->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    const int client = ViewOf(list)->viewport()->height();
    TRect last = list->ItemRect(499);
    EXPECT_LE(last.Bottom, client) << "the last row shows whole";
    EXPECT_GT(last.Bottom + heights[static_cast<size_t>(list->TopIndex() - 1)], client)
        << "and the row above the top would not have fitted";

    list->SetTopIndex(0);
    Pump();
    int below = list->ItemRect(3).Top;
    heights[1] += 30;
    list->Items()->Put(1, "taller");
    Pump();
    EXPECT_EQ(list->ItemRect(1).Height(), heights[1]);
    EXPECT_EQ(list->ItemRect(3).Top, below + 30);
}

// Item data is the item's own: it moves with the item when others come and go.
TEST_F(ListItemsTest, ItemDataFollowsItsItem) {
    TListBox* list = MakeList(4, false);
    list->Perform(LB_SETITEMDATA, 1, 0xB1);
    list->Perform(LB_SETITEMDATA, 3, 0xB3);
    list->Items()->Insert(0, "new");
    EXPECT_EQ(list->Perform(LB_GETITEMDATA, 2, 0), 0xB1);
    EXPECT_EQ(list->Perform(LB_GETITEMDATA, 4, 0), 0xB3);
    list->Items()->Delete(1);
    EXPECT_EQ(list->Perform(LB_GETITEMDATA, 1, 0), 0xB1);
    list->Items()->Exchange(1, 3);
    EXPECT_EQ(list->Perform(LB_GETITEMDATA, 3, 0), 0xB1);
    EXPECT_EQ(list->Perform(LB_GETITEMDATA, 1, 0), 0xB3);
    EXPECT_EQ(list->Perform(LB_GETITEMDATA, 0, 0), 0);
}

TEST_F(ListItemsTest, AComboBoxChangesOneItemPerChangeAndKeepsItsChoice) {
    struct Case {
        const char* Name;
        TComboBoxStyle Style;
    };
    for (const auto& c : {Case{"drop-down", TComboBoxStyle::csDropDown},
                          Case{"drop-down list", TComboBoxStyle::csDropDownList}}) {
        SCOPED_TRACE(c.Name);
        auto* combo = new TComboBox(form);
        combo->SetParent(form);
        combo->SetStyle(c.Style);
        combo->SetBounds(10, 10, 150, 24);
        form->Show();
        Pump();
        auto* box = dynamic_cast<QComboBox*>(combo->Widget());
        ASSERT_NE(box, nullptr);
        TModelSpy spy(box->model());
        // Items added to an empty box choose nothing.
        for (const char* s : {"alpha", "bravo", "charlie"})
            combo->Items()->Add(s);
        EXPECT_EQ(combo->ItemIndex(), -1);
        combo->SetItemIndex(1);
        combo->Items()->Insert(0, "first");
        EXPECT_EQ(combo->ItemIndex(), 2);
        EXPECT_EQ(combo->GetText(), "bravo");
        combo->Items()->Add("delta");
        combo->Items()->Put(4, "echo");
        combo->Items()->Delete(0);
        EXPECT_EQ(combo->ItemIndex(), 1);
        EXPECT_EQ(combo->GetText(), "bravo");
        EXPECT_EQ(box->count(), 4);
        EXPECT_EQ(box->itemText(3), "echo");
        EXPECT_EQ(spy.Resets, 0);
        EXPECT_EQ(spy.Inserted, 5);
        EXPECT_EQ(spy.Removed, 1);
        // Deleting the chosen item leaves nothing chosen.
        combo->Items()->Delete(1);
        EXPECT_EQ(combo->ItemIndex(), -1);
        delete combo;
    }
}
