// A virtual list box keeps no strings: it shows a count of items whose texts come from OnData
// when drawn. A variable-height one measures the rows it shows, not the whole list, and
// still places, scrolls, pages and hit-tests exactly as a list of the same stored items does.
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QAbstractItemView>
#include <QTest>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

QAbstractItemView* ViewOf(TListBox* list) {
    return dynamic_cast<QAbstractItemView*>(list->Widget());
}

void ClickRow(TListBox* list, int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QAbstractItemView* v = ViewOf(list);
    QRect r = v->visualRect(v->model()->index(row, 0));
    QTest::mouseClick(v->viewport(), Qt::LeftButton, mods, r.center());
    Pump();
}

int RowHeight(int row) {
    return 12 + row % 5 * 7;
}

class VirtualListBoxTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(480, 300); }
    void TearDown() override {
        delete form;
        Pump();
    }
    // A variable-height list of `count` items "item i" of RowHeight(i), stored or virtual;
    // `measured` collects the rows measured.
    TListBox* MakeList(int left, int count, bool isVirtual, std::set<int>* measured = nullptr) {
        auto* list = new TListBox(form);
        list->SetParent(form);
        list->SetBounds(left, 10, 200, 260);
        list->SetMultiSelect(true);
        list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
        list->OnMeasureItem = [measured](TWinControl*, int index, int& height) {
            if (measured)
                measured->insert(index);
            height = RowHeight(index);
        };
        if (isVirtual) {
            list->OnData = [](TCustomListBox*, int index, std::string& text) {
                text = "item " + std::to_string(index);
            };
            list->SetVirtualCount(count);
        } else {
            for (int i = 0; i < count; ++i)
                list->Items()->Add("item " + std::to_string(i));
        }
        form->Show();
        Pump();
        return list;
    }
    TForm* form = nullptr;
};

} // namespace

TEST_F(VirtualListBoxTest, AHundredThousandItemsOpenWithTheRowsInSightMeasured) {
    std::set<int> measured;
    TListBox* list = MakeList(10, 100000, true, &measured);
    EXPECT_EQ(list->Count(), 100000);
    // The rows in sight and the last page, which sets the scroll range; not the list.
    EXPECT_LT(measured.size(), 100u);
    EXPECT_TRUE(measured.count(0));
    EXPECT_TRUE(measured.count(99999));

    EXPECT_EQ(list->Perform(LB_GETCOUNT, 0, 0), 100000);
    EXPECT_EQ(list->Perform(LB_GETTEXTLEN, 54321, 0), 10);
    EXPECT_EQ(list->ItemText(54321), "item 54321");
    EXPECT_EQ(list->Perform(LB_GETTEXTLEN, 100000, 0), LB_ERR);
    // Read as strings, it gives its texts.
    ASSERT_EQ(list->Items()->Count(), 100000);
    EXPECT_EQ((*list->Items())[99999], "item 99999");

    // The user scrolls to the end and clicks the last row, then Ctrl-clicks one above it.
    list->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    const int client = ViewOf(list)->viewport()->height();
    const TRect last = list->ItemRect(99999);
    EXPECT_LE(last.Bottom, client) << "the last row shows whole";
    EXPECT_GT(last.Bottom + RowHeight(list->TopIndex() - 1), client)
        << "and the row above the top would not have fitted";
    ClickRow(list, 99999);
    ClickRow(list, 99997, Qt::ControlModifier);
    EXPECT_EQ(list->SelectedIndexes(), (std::vector<int>{99997, 99999}));
    EXPECT_EQ(list->ItemIndex(), 99997);
    EXPECT_LT(measured.size(), 200u);
}

// The same keys and clicks into a stored list and a virtual list of the same items leave
// both at the same rows, the same top row and the same places on screen.
TEST_F(VirtualListBoxTest, KeysAndClicksMoveAVirtualListAsAStoredOne) {
    TListBox* stored = MakeList(10, 500, false);
    TListBox* virt = MakeList(240, 500, true);
    struct Step {
        const char* Name;
        int Key;
        Qt::KeyboardModifiers Mods;
    };
    const std::vector<Step> steps = {
        {"Home", Qt::Key_Home, Qt::NoModifier},
        {"Page Down", Qt::Key_PageDown, Qt::NoModifier},
        {"Page Down again", Qt::Key_PageDown, Qt::NoModifier},
        {"Shift+Down", Qt::Key_Down, Qt::ShiftModifier},
        {"Page Up", Qt::Key_PageUp, Qt::NoModifier},
        {"End", Qt::Key_End, Qt::NoModifier},
        {"Page Up from the end", Qt::Key_PageUp, Qt::NoModifier},
        {"Shift+Page Up", Qt::Key_PageUp, Qt::ShiftModifier},
    };
    ClickRow(stored, 2);
    ClickRow(virt, 2);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.Name);
        QTest::keyClick(ViewOf(stored), static_cast<Qt::Key>(step.Key), step.Mods);
        QTest::keyClick(ViewOf(virt), static_cast<Qt::Key>(step.Key), step.Mods);
        Pump();
        EXPECT_EQ(virt->ItemIndex(), stored->ItemIndex());
        EXPECT_EQ(virt->TopIndex(), stored->TopIndex());
        EXPECT_EQ(virt->SelectedIndexes(), stored->SelectedIndexes());
        for (int row = virt->TopIndex(); row < virt->TopIndex() + 8; ++row) {
            EXPECT_EQ(virt->ItemRect(row).Top, stored->ItemRect(row).Top) << row;
            EXPECT_EQ(virt->ItemRect(row).Height(), RowHeight(row)) << row;
        }
    }
    const TRect r = virt->ItemRect(virt->TopIndex() + 3);
    EXPECT_EQ(virt->ItemAtPos({5, r.Top + r.Height() / 2}, true), virt->TopIndex() + 3);
}

// A new count starts the items afresh; -1 returns to the stored items.
TEST_F(VirtualListBoxTest, ANewCountStartsAfreshAndMinusOneReturnsToTheStoredItems) {
    TListBox* list = MakeList(10, 50, true);
    ClickRow(list, 3);
    ClickRow(list, 5, Qt::ControlModifier);
    ASSERT_EQ(list->SelectedIndexes(), (std::vector<int>{3, 5}));
    list->SetVirtualCount(20);
    Pump();
    EXPECT_EQ(list->Count(), 20);
    EXPECT_TRUE(list->SelectedIndexes().empty());
    EXPECT_EQ(list->ItemIndex(), -1);
    ClickRow(list, 19);
    EXPECT_EQ(list->ItemIndex(), 19);

    list->SetVirtualCount(-1);
    Pump();
    EXPECT_FALSE(list->IsVirtual());
    EXPECT_EQ(list->Count(), 0);
    list->Items()->Add("stored");
    Pump();
    EXPECT_EQ(list->Count(), 1);
    EXPECT_EQ(list->ItemText(0), "stored");
    ClickRow(list, 0);
    EXPECT_EQ(list->ItemIndex(), 0);
}
