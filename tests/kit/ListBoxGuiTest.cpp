// The kit's list box and playlist box on real widgets: the add, insert and delete events and
// the horizontal extent, multi-line heights, the selection operations, the drag reorder with
// the real mouse, the playlist box's display rule and its rebuilds.
#include "BvListBox.h"
#include "BvPlaylist.h"
#include "FakeProvider.h"
#include "GuiTestEnvironment.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

QWidget* Viewport(TWinControl* control) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(control->Widget());
    return area ? area->viewport() : control->Widget();
}

QPoint Center(const TRect& r) {
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

std::vector<std::string> Texts(const TStrings& list) {
    return list.Items();
}

class ListBoxTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(420, 320); }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    template <class T> T* Make(int left, int top, int width = 180, int height = 140) {
        auto* box = new T(form);
        box->SetParent(form);
        UseTestFont(box->Font());
        box->SetBounds(left, top, width, height);
        return box;
    }
    void ShowActive() {
        form->Show();
        QWidget* window = form->Widget();
        QApplication::setActiveWindow(window);
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        PumpEvents();
    }
    // Presses on one line, moves over another and lets go there, as a person drags.
    void DragLine(TBvCustomListBox* box, int from, int onto) {
        QWidget* view = Viewport(box);
        QPoint start = Center(box->ItemRect(from));
        QPoint end = Center(box->ItemRect(onto));
        Mouse->SetCursorPos(box->ClientToScreen({start.x(), start.y()}));
        QTest::mousePress(view, Qt::LeftButton, {}, start);
        QTest::mouseMove(view, QPoint(start.x(), (start.y() + end.y()) / 2));
        QTest::mouseMove(view, end);
        QTest::mouseRelease(view, Qt::LeftButton, {}, end);
        PumpEvents();
    }
    TForm* form = nullptr;
};

} // namespace

TEST_F(ListBoxTest, AddingRaisesAddThenChangeInsertingRaisesNeitherDeletingTellsTheText) {
    auto* box = Make<TBvListBox>(10, 10);
    std::vector<std::string> heard;
    box->OnAddString = [&](TObject*, const std::string& s) { heard.push_back("add " + s); };
    box->OnDeleteString = [&](TObject*, const std::string& s) { heard.push_back("delete " + s); };
    box->OnChange = [&](TObject*) { heard.push_back("change"); };
    box->Items()->Add("one");
    box->Items()->Insert(0, "zero");
    box->Items()->InsertObject(2, "two", nullptr);
    box->Items()->Delete(1);
    EXPECT_EQ(heard, (std::vector<std::string>{"add one", "change", "delete one", "change"}));
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"zero", "two"}));
    EXPECT_EQ(box->Perform(LB_DELETESTRING, 7, 0), LB_ERR) << "no item there, nothing told";
    EXPECT_EQ(heard.size(), 4u);
}

TEST_F(ListBoxTest, TheExtentFollowsTheWidestItemThroughEveryChange) {
    auto* box = Make<TBvListBox>(10, 10);
    auto width = [&](const std::string& s) { return box->MeasureWidth(s); };
    auto extent = [&] { return static_cast<int>(box->Perform(LB_GETHORIZONTALEXTENT, 0, 0)); };
    const std::string shortText = "ab", middle = "a middle sized line",
                      longest = "the longest line of them all, wider than the box itself";
    struct Step {
        const char* what;
        std::function<void()> act;
        std::string widest;
    };
    std::vector<Step> steps = {
        {"add a short one", [&] { box->Items()->Add(shortText); }, shortText},
        {"add the longest", [&] { box->Items()->Add(longest); }, longest},
        {"insert a middle one", [&] { box->Items()->Insert(0, middle); }, longest},
        {"delete the widest", [&] { box->Items()->Delete(2); }, middle},
        {"replace the widest by a short one", [&] { box->Items()->Put(0, "x"); }, shortText},
        {"replace a short one by the longest", [&] { box->Items()->Put(1, longest); }, longest},
        {"delete a narrower one", [&] { box->Items()->Delete(0); }, longest},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(box->MaxItemWidth(), width(step.widest));
        EXPECT_EQ(extent(), width(step.widest));
    }
    box->Items()->Clear();
    EXPECT_EQ(box->MaxItemWidth(), 0);
    EXPECT_EQ(extent(), 0);
}

// A card of ten thousand tracks filled its list line by line, each told to the view and
// measured by the text engine: the window stood still for a quarter of a second. All lines
// now go in at once; the box ends as the same lines added one by one would leave it.
TEST_F(ListBoxTest, SettingAllLinesAtOnceLeavesTheBoxAsAddingThemWould) {
    auto* box = Make<TBvListBox>(10, 10);
    box->SetMultiSelect(true);
    for (const char* s : {"old one", "old two", "an old line wider than any new one, by far"})
        box->Items()->Add(s);
    form->Show();
    PumpEvents();
    box->SetSelected(1, true);
    int changes = 0, added = 0;
    box->OnChange = [&](TObject*) { ++changes; };
    box->OnAddString = [&](TObject*, const std::string&) { ++added; };
    const std::vector<std::string> lines = {"zeta", "alpha, the widest of the new lines", "mu"};
    box->SetLines(lines);
    EXPECT_EQ(Texts(*box->Items()), lines);
    EXPECT_EQ(box->SelCount(), 0) << "the old selection goes with the old lines";
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(added, 3);
    EXPECT_EQ(box->MaxItemWidth(), box->MeasureWidth(lines[1]));
    EXPECT_EQ(box->Perform(LB_GETHORIZONTALEXTENT, 0, 0), box->MeasureWidth(lines[1]));
    // What follows is measured line by line again: the widths stay in step with the lines.
    box->Items()->Delete(1);
    EXPECT_EQ(box->MaxItemWidth(), box->MeasureWidth("zeta"));
    box->SetLines({});
    EXPECT_EQ(box->Count(), 0);
    EXPECT_EQ(box->MaxItemWidth(), 0);

    // A sorted box still places each line; a wrapping one keeps no extent.
    box->SetSorted(true);
    box->SetLines(lines);
    EXPECT_EQ(Texts(*box->Items()),
              (std::vector<std::string>{"alpha, the widest of the new lines", "mu", "zeta"}));
    box->SetSorted(false);
    box->SetMultiLine(true);
    box->SetScrollBars(TScrollStyle::ssVertical);
    box->SetLines(lines);
    EXPECT_EQ(Texts(*box->Items()), lines);
    EXPECT_EQ(box->MaxItemWidth(), 0);
}

TEST_F(ListBoxTest, TenThousandPlaylistLinesKeepTheirRows) {
    auto* box = Make<TBvPlaylist>(10, 10);
    box->SetShowNumbers(true);
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 0; i < 10000; ++i)
        entries.emplace_back("E:\\mobile\\audio\\Track " + std::to_string(i) + ".mp3", 50000 + i);
    box->SetEntries(entries);
    form->Show();
    PumpEvents();
    ASSERT_EQ(box->Lines()->Count(), 10000);
    EXPECT_EQ((*box->Lines())[9999], "10000. E:\\mobile\\audio\\Track 9999");
    EXPECT_EQ(box->RowOfLine(0), 50000);
    EXPECT_EQ(box->RowOfLine(9999), 59999);
    EXPECT_EQ(box->MaxItemWidth(), box->MeasureWidth((*box->Lines())[9999]));
    // The list shows its first lines and scrolls to its last with the keyboard.
    box->SetFocus();
    box->SetItemIndex(0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    PumpEvents();
    EXPECT_EQ(box->ItemIndex(), 9999);
}

// A wrapping list measures every line's height. A line that plainly fits is known to be one
// line high without the text engine laying it out; every size comes out as the engine's, for
// lines that fit, that only just fit, that wrap and that the quick measure leaves alone.
TEST_F(ListBoxTest, AWrappedLineIsMeasuredAsTheTextEngineMeasuresIt) {
    auto* box = Make<TBvListBox>(10, 10, 200, 140);
    box->SetMultiLine(true);
    TBitmap bitmap(10, 10);
    TCanvas* engine = bitmap.Canvas();
    engine->Font()->Assign(*box->Font());
    auto engineSize = [&](const std::string& text, int maxWidth) {
        TRect r{0, 0, maxWidth - 2, 1};
        engine->DrawTextW(text, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return std::make_pair(r.Right + 4, std::max(std::min(r.Bottom, 255), box->ItemHeight()));
    };
    std::vector<std::string> texts = {
        "1. Artist 7 - Song 12",
        "12. Björk - Jóga (Ünïcödé Łódź)",
        "A long line that a box two hundred pixels wide can only show "
        "whole when its words wrap onto further lines",
        "Motörhead – Ace of Spades",
        "音楽 の 曲",
        "co\u00ADop",
        "two\nlines"};
    // Lines that end a pixel or two either side of the edge.
    std::string edge = "W";
    while (box->MeasureWidth(edge + "i") < 196)
        edge += "i";
    for (const char* more : {"", "i", "ii", "iii"})
        texts.push_back(edge + more);
    for (int maxWidth : {200, 120}) {
        for (const std::string& text : texts) {
            SCOPED_TRACE(text + " in " + std::to_string(maxWidth));
            const TBvTextSize size = box->MeasureText(text, maxWidth);
            const auto [cx, cy] = engineSize(text, maxWidth);
            EXPECT_EQ(cy, size.cy);
            EXPECT_EQ(cx, size.cx);
        }
    }
}

TEST_F(ListBoxTest, MultiLineGivesUpTheHorizontalBarAndTheExtent) {
    auto* box = Make<TBvListBox>(10, 10);
    box->Items()->Add("a line much wider than the box that is one hundred and eighty wide");
    ASSERT_GT(box->MaxItemWidth(), 0);
    box->SetMultiLine(true);
    EXPECT_EQ(box->ScrollBars(), TScrollStyle::ssVertical);
    EXPECT_EQ(box->Style(), TListBoxStyle::lbOwnerDrawVariable);
    EXPECT_EQ(box->MaxItemWidth(), 0);
    EXPECT_EQ(box->Perform(LB_GETHORIZONTALEXTENT, 0, 0), 0);
    EXPECT_TRUE(box->WordWrapActive());
    box->SetMultiLine(false);
    EXPECT_EQ(box->ScrollBars(), TScrollStyle::ssVertical) << "ssBoth is not restored";

    auto* horizontal = Make<TBvListBox>(200, 10);
    horizontal->SetScrollBars(TScrollStyle::ssHorizontal);
    horizontal->SetMultiLine(true);
    EXPECT_EQ(horizontal->ScrollBars(), TScrollStyle::ssNone);
}

// The options dialog switches word wrap on a shown list box with the default bars: it
// stays on, the long line wraps and grows, and the wrapped line takes clicks and keys.
TEST_F(ListBoxTest, WordWrapSwitchedOnWhileShownStaysOn) {
    for (bool playlist : {false, true}) {
        SCOPED_TRACE(playlist ? "playlist box" : "list box");
        TBvListBox* box =
            playlist ? Make<TBvPlaylist>(10, 10, 200, 220) : Make<TBvListBox>(210, 10, 200, 220);
        const std::vector<std::string> lines = {
            "Short line",
            "A long line that a box two hundred pixels wide can only show whole when its "
            "words wrap onto further lines",
            "Last line"};
        if (auto* p = dynamic_cast<TBvPlaylist*>(box))
            for (const auto& l : lines)
                p->Items()->Add(l);
        else
            for (const auto& l : lines)
                box->Items()->Add(l);
        ShowActive();
        ASSERT_EQ(box->ScrollBars(), TScrollStyle::ssBoth);
        ASSERT_GT(box->MaxItemWidth(), 0);

        box->SetMultiLine(true);
        PumpEvents();
        EXPECT_TRUE(box->MultiLine()) << "switched off again by the new window";
        EXPECT_TRUE(box->Widget()->isVisible()) << "the new window is shown";
        EXPECT_EQ(box->Style(), TListBoxStyle::lbOwnerDrawVariable);
        EXPECT_EQ(box->ScrollBars(), TScrollStyle::ssVertical);
        EXPECT_TRUE(box->WordWrapActive());
        const int line = box->MeasureText("Wg", 0).cy;
        EXPECT_GE(box->ItemRect(1).Height(), 3 * line) << "the long line wraps";
        auto* area = dynamic_cast<QAbstractScrollArea*>(box->Widget());
        ASSERT_NE(area, nullptr);
        EXPECT_FALSE(area->horizontalScrollBar()->isVisible());

        // A click on the wrapped line's last row chooses it; a key moves on.
        const TRect r = box->ItemRect(1);
        QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, QPoint(30, r.Bottom - 4));
        PumpEvents();
        EXPECT_EQ(box->ItemIndex(), 1);
        QTest::keyClick(box->Widget(), Qt::Key_Down);
        PumpEvents();
        EXPECT_EQ(box->ItemIndex(), 2);
        QTest::keyClick(box->Widget(), Qt::Key_Up);
        PumpEvents();
        if (playlist) {
            // Both boxes, the list box at the right, each with its wrapped line chosen.
            const QImage shot =
                form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
            EXPECT_TRUE(shot.save(QString::fromStdString(
                std::string(BV_BINARY_DIR) + "/kit_list_box_word_wrap_switched_on.png")));
        }
    }
}

TEST_F(ListBoxTest, MultiLineItemsGrowWithTheirWrappedLinesUpTo255Pixels) {
    auto* box = Make<TBvListBox>(10, 10);
    box->SetMultiLine(true);
    form->Show();
    PumpEvents();
    const int line = box->MeasureText("Wg", 0).cy;
    std::string many;
    for (int i = 0; i < 60; ++i)
        many += "word" + std::to_string(i) + " ";
    struct Case {
        std::string text;
        int minHeight, maxHeight;
    };
    std::vector<Case> cases = {
        {"short", line, line},
        {"three or more lines of text once the words wrap at the box's width", 3 * line - 6,
         5 * line},
        {many, 255, 255},
    };
    for (const auto& c : cases)
        box->Items()->Add(c.text);
    PumpEvents();
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].text.substr(0, 20));
        int height = static_cast<int>(box->Perform(LB_GETITEMHEIGHT, static_cast<int>(i), 0));
        EXPECT_GE(height, cases[i].minHeight);
        EXPECT_LE(height, cases[i].maxHeight);
        EXPECT_EQ(box->ItemRect(static_cast<int>(i)).Height(), height) << "as laid out";
    }
}

TEST_F(ListBoxTest, SelectAllAndInvertWorkOnlyWithMultiSelect) {
    auto* box = Make<TBvListBox>(10, 10);
    for (const char* s : {"a", "b", "c", "d"})
        box->Items()->Add(s);
    form->Show();
    PumpEvents();
    box->SelectAll();
    box->InvertSelection();
    EXPECT_EQ(box->SelCount(), 0) << "single selection: nothing happens";
    box->SetMultiSelect(true);
    box->SetSelected(1, true);
    box->InvertSelection();
    EXPECT_EQ(box->SelectedLines(), (std::vector<int>{0, 2, 3}));
    box->SelectAll();
    EXPECT_EQ(box->SelectedLines(), (std::vector<int>{0, 1, 2, 3}));
}

// Selected runs at the ends and in the middle turn over in one step; the current line
// stays, and the box that has no window yet keeps its selection the same way.
TEST_F(ListBoxTest, InvertTurnsRunsOverAndKeepsTheCurrentLine) {
    for (bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "shown" : "before its window");
        auto* box = Make<TBvListBox>(10, 10);
        box->SetMultiSelect(true);
        for (int i = 0; i < 10; ++i)
            box->Items()->Add("Line " + std::to_string(i));
        if (shown)
            ShowActive();
        box->SetItemIndex(5);
        for (int i : {0, 1, 4, 5, 6, 9})
            box->SetSelected(i, true);
        box->InvertSelection();
        EXPECT_EQ(box->SelectedLines(), (std::vector<int>{2, 3, 7, 8}));
        if (shown) {
            EXPECT_EQ(box->ItemIndex(), 5);
        }
        box->InvertSelection();
        EXPECT_EQ(box->SelectedLines(), (std::vector<int>{0, 1, 4, 5, 6, 9}));
        box->SelectAll();
        EXPECT_EQ(box->SelectedLines().size(), 10u);
        box->Perform(LB_SETSEL, 0, -1);
        EXPECT_TRUE(box->SelectedLines().empty());
        box->InvertSelection();
        EXPECT_EQ(box->SelectedLines().size(), 10u);
        delete box;
    }
}

TEST_F(ListBoxTest, DeleteSelectedRules) {
    struct Case {
        const char* what;
        int count;
        bool multi;
        std::vector<int> select;
        std::vector<std::string> left;
        int current;
        std::vector<std::string> told;
    };
    std::vector<Case> cases = {
        {"the first of three", 3, false, {0}, {"1", "2"}, 0, {"0"}},
        {"the middle of three", 3, false, {1}, {"0", "2"}, 0, {"1"}},
        {"the last of three", 3, false, {2}, {"0", "1"}, 1, {"2"}},
        {"the only item", 1, false, {0}, {}, -1, {"0"}},
        {"nothing current", 3, false, {}, {"0", "1", "2"}, -1, {}},
        {"several, last told first", 6, true, {1, 3, 4}, {"0", "2", "5"}, -1, {"4", "3", "1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto* box = Make<TBvListBox>(10, 10);
        box->SetMultiSelect(c.multi);
        for (int i = 0; i < c.count; ++i)
            box->Items()->Add(std::to_string(i));
        form->Show();
        PumpEvents();
        for (int i : c.select) {
            if (c.multi)
                box->SetSelected(i, true);
            else
                box->SetItemIndex(i);
        }
        std::vector<std::string> told;
        int changes = 0;
        box->OnDeleteString = [&](TObject*, const std::string& s) { told.push_back(s); };
        box->OnChange = [&](TObject*) { ++changes; };
        box->DeleteSelected();
        EXPECT_EQ(Texts(*box->Items()), c.left);
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(changes > 0, !c.told.empty());
        if (!c.multi) {
            EXPECT_EQ(box->ItemIndex(), c.current);
        }
        delete box;
    }
}

TEST_F(ListBoxTest, DeletingSelectedLinesKeepsTheExtentOfWhatRemains) {
    auto* box = Make<TBvListBox>(10, 10);
    box->SetMultiSelect(true);
    const std::string wide = "the widest line, to be deleted with the selection";
    for (const std::string& s : {std::string("short"), wide, std::string("middle line")})
        box->Items()->Add(s);
    form->Show();
    PumpEvents();
    box->SetSelected(1, true);
    box->DeleteSelected();
    EXPECT_EQ(box->MaxItemWidth(), box->MeasureWidth("middle line"));
}

TEST_F(ListBoxTest, MovingTheSelectionUpAndDown) {
    auto* box = Make<TBvListBox>(10, 10);
    for (const char* s : {"a", "b", "c", "d"})
        box->Items()->Add(s);
    form->Show();
    PumpEvents();
    box->SetItemIndex(2);
    box->MoveSelectedUp();
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"a", "c", "b", "d"}));
    EXPECT_EQ(box->ItemIndex(), 1);
    box->MoveSelectedDown();
    box->MoveSelectedDown();
    box->MoveSelectedDown();
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"a", "b", "d", "c"}));
    EXPECT_EQ(box->ItemIndex(), 3) << "the last stays last";

    box->SetMultiSelect(true);
    box->SetItemIndex(-1);
    box->SetSelected(1, true);
    box->SetSelected(2, true);
    box->MoveSelectedUp();
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"b", "d", "a", "c"}));
    EXPECT_EQ(box->SelectedLines(), (std::vector<int>{0, 1}));
    box->MoveSelectedUp();
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"b", "d", "a", "c"}))
        << "the first line selected: nothing moves";
}

TEST_F(ListBoxTest, SelectCancelComesFromTheListsNotificationAndWindowMovesPassUntouched) {
    auto* box = Make<TBvListBox>(10, 10);
    int cancels = 0;
    box->OnSelectCancel = [&](TObject*) { ++cancels; };
    form->Show();
    PumpEvents();
    box->Perform(WM_MOVE, 0, MakeLParam(30, 40));
    EXPECT_EQ(cancels, 0);
    box->Perform(CN_COMMAND, static_cast<intptr_t>(LBN_SELCANCEL) << 16,
                 reinterpret_cast<intptr_t>(box));
    EXPECT_EQ(cancels, 1);
    box->SetBounds(20, 20, 180, 140);
    PumpEvents();
    EXPECT_EQ(cancels, 1);
}

TEST_F(ListBoxTest, DraggingALineWithTheMouseDropsItBeforeTheLineUnderThePointer) {
    auto* box = Make<TBvListBox>(10, 10, 200, 200);
    for (int i = 0; i < 6; ++i)
        box->Items()->AddObject("Item " + std::to_string(i),
                                reinterpret_cast<TObject*>(static_cast<intptr_t>(100 + i)));
    box->DragMode = TDragMode::dmAutomatic;
    ShowActive();

    DragLine(box, 1, 4);
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"Item 0", "Item 2", "Item 3",
                                                              "Item 1", "Item 4", "Item 5"}));
    EXPECT_EQ(reinterpret_cast<intptr_t>(box->Items()->GetObject(3)), 101) << "data moves along";
    EXPECT_EQ(box->ItemIndex(), 3);

    DragLine(box, 4, 0);
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"Item 4", "Item 0", "Item 2",
                                                              "Item 3", "Item 1", "Item 5"}));
    EXPECT_FALSE(box->Dragging());
}

// A line clicked and at once dragged: the second press comes as a double click, yet it
// starts the drag once the pointer moves; a double click without moving stays one and
// keeps its line chosen.
TEST_F(ListBoxTest, AQuickClickAndDragStillDragsTheLine) {
    auto* box = Make<TBvListBox>(10, 10, 200, 200);
    for (int i = 0; i < 6; ++i)
        box->Items()->Add("Item " + std::to_string(i));
    box->DragMode = TDragMode::dmAutomatic;
    box->SetMultiSelect(true);
    int dblClicks = 0;
    box->OnDblClick = [&](TObject*) { ++dblClicks; };
    ShowActive();
    QWidget* view = Viewport(box);

    const QPoint start = Center(box->ItemRect(1));
    const QPoint end = Center(box->ItemRect(4));
    Mouse->SetCursorPos(box->ClientToScreen({start.x(), start.y()}));
    QTest::mouseClick(view, Qt::LeftButton, {}, start);
    // What Qt delivers for a second press within the double-click time.
    QTest::mouseDClick(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, QPoint(start.x(), (start.y() + end.y()) / 2));
    QTest::mouseMove(view, end);
    QTest::mouseRelease(view, Qt::LeftButton, {}, end);
    PumpEvents();
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"Item 0", "Item 2", "Item 3",
                                                              "Item 1", "Item 4", "Item 5"}));
    EXPECT_EQ(box->ItemIndex(), 3);
    EXPECT_EQ(box->SelectedLines(), (std::vector<int>{3})) << "the dragged line stays chosen";
    EXPECT_EQ(dblClicks, 0) << "a drag is no double click";
    EXPECT_FALSE(box->Dragging());

    const QPoint still = Center(box->ItemRect(2));
    Mouse->SetCursorPos(box->ClientToScreen({still.x(), still.y()}));
    QTest::mouseClick(view, Qt::LeftButton, {}, still);
    QTest::mouseDClick(view, Qt::LeftButton, {}, still);
    QTest::mouseRelease(view, Qt::LeftButton, {}, still);
    PumpEvents();
    EXPECT_EQ(dblClicks, 1);
    EXPECT_EQ(box->Items()->Get(3), "Item 1") << "nothing moved";
    EXPECT_EQ(box->ItemIndex(), 2);
    EXPECT_EQ(box->SelectedLines(), (std::vector<int>{2}));
    EXPECT_FALSE(box->Dragging());
    EXPECT_EQ(GetCaptureControl(), nullptr);
}

TEST_F(ListBoxTest, ADragWithAHandlerOfTheOwnersIsLeftToTheHandler) {
    auto* box = Make<TBvListBox>(10, 10, 200, 200);
    for (int i = 0; i < 4; ++i)
        box->Items()->Add("Item " + std::to_string(i));
    box->DragMode = TDragMode::dmAutomatic;
    int drops = 0;
    box->OnDragOver = [](TObject*, TObject*, int, int, TDragState, bool& accept) { accept = true; };
    box->OnDragDrop = [&](TObject*, TObject*, int, int) { ++drops; };
    ShowActive();
    DragLine(box, 0, 2);
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(Texts(*box->Items()),
              (std::vector<std::string>{"Item 0", "Item 1", "Item 2", "Item 3"}));
}

// ---------------------------------------------------------------- playlist box

TEST(PlaylistFormat, TheDisplayRule) {
    TForm* form = MakeTestForm();
    auto* box = new TBvPlaylist(form);
    struct Case {
        bool numbers, extension, drive;
        std::string entry;
        int index;
        std::string line;
    };
    std::vector<Case> cases = {
        {true, false, true, "Artist - Title (3:5)", 0, "1. Artist - Title (3:5)"},
        {true, false, true, "C:\\Music\\Song.mp3", 4, "5. C:\\Music\\Song"},
        {true, false, true, "Mr. Big - Song", 0, "1. Mr"},
        {true, false, true, "Track 1.5 (2:10)", 2, "3. Track 1.5 (2:10)"},
        {true, false, true, "No marks at all", 9, "10. No marks at all"},
        {false, false, false, "C:\\a\\b.mp3", 0, "\\a\\b"},
        {false, false, false, "no colon.txt", 0, "no colon"},
        {false, true, false, "E:\\x.m4a", 0, "\\x.m4a"},
        {false, true, true, "E:\\x.m4a", 0, "E:\\x.m4a"},
        {false, false, true, "folder.d\\file", 0, "folder.d\\file"},
        {false, false, true, "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        box->SetShowNumbers(c.numbers);
        box->SetShowExtension(c.extension);
        box->SetShowDrive(c.drive);
        EXPECT_EQ(box->FormatLine(c.entry, c.index), c.line);
    }
    delete form;
}

TEST_F(ListBoxTest, ChangingOneEntryRebuildsInPlaceAddingOrDeletingRefillsTheLines) {
    auto* box = Make<TBvPlaylist>(10, 10);
    box->SetShowNumbers(true);
    box->SetMultiSelect(true);
    int added = 0;
    box->OnAddString = [&](TObject*, const std::string&) { ++added; };
    box->Items()->Add("a.mp3");
    box->Items()->Add("b.mp3");
    box->Items()->Add("c.mp3");
    form->Show();
    PumpEvents();
    EXPECT_EQ(Texts(*box->Lines()), (std::vector<std::string>{"1. a", "2. b", "3. c"}));
    box->SetSelected(2, true);

    added = 0;
    box->Items()->Put(1, "changed.mp3");
    EXPECT_EQ(added, 0) << "in place: no line added";
    EXPECT_EQ(Texts(*box->Lines()), (std::vector<std::string>{"1. a", "2. changed", "3. c"}));
    EXPECT_TRUE(box->Selected(2)) << "a line rebuilt in place keeps its place";

    box->Items()->Delete(0);
    EXPECT_EQ(added, 2) << "the count changed: cleared and refilled";
    EXPECT_EQ(Texts(*box->Lines()), (std::vector<std::string>{"1. changed", "2. c"}));

    added = 0;
    box->Items()->BeginUpdate();
    box->Items()->Add("d");
    box->Items()->Add("e");
    box->Items()->EndUpdate();
    EXPECT_EQ(added, 4) << "one refill for the whole update";

    added = 0;
    box->SetShowNumbers(true);
    EXPECT_EQ(added, 0);
}

TEST_F(ListBoxTest, PlaylistLinesAndEntriesStayTogether) {
    auto* box = Make<TBvPlaylist>(10, 10);
    box->SetShowNumbers(true);
    box->SetMultiSelect(true);
    box->SetEntries({{"zero", 10}, {"one", 11}, {"two", 12}, {"three", 13}});
    form->Show();
    PumpEvents();
    EXPECT_EQ(box->RowOfLine(2), 12);

    // A line deleted directly takes its entry; the numbers wait for the next rebuild.
    box->Lines()->Delete(1);
    EXPECT_EQ(Texts(*box->Lines()), (std::vector<std::string>{"1. zero", "3. two", "4. three"}));
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"zero", "two", "three"}));
    EXPECT_EQ(box->RowOfLine(1), 12);

    box->SetSelected(1, true);
    box->DeleteSelected();
    EXPECT_EQ(Texts(*box->Lines()), (std::vector<std::string>{"1. zero", "2. three"}));
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"zero", "three"}));
    EXPECT_EQ(box->RowOfLine(1), 13);

    // Clearing the box, by either door, leaves nothing to come back.
    static_cast<TCustomListBox*>(box)->Clear();
    EXPECT_EQ(box->Items()->Count(), 0);
    box->Items()->Add("new");
    EXPECT_EQ(Texts(*box->Lines()), (std::vector<std::string>{"1. new"}));
    box->Clear();
    EXPECT_EQ(box->Lines()->Count(), 0);
    EXPECT_EQ(box->Items()->Count(), 0);
    EXPECT_EQ(box->RowOfLine(0), -1);
}

TEST_F(ListBoxTest, DraggingAPlaylistLineMovesItsEntryAndRow) {
    auto* box = Make<TBvPlaylist>(10, 10, 200, 200);
    box->SetShowNumbers(true);
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 0; i < 6; ++i)
        entries.push_back({"Song " + std::to_string(i) + ".mp3", 40 + i});
    box->SetEntries(entries);
    box->DragMode = TDragMode::dmAutomatic;
    ShowActive();

    DragLine(box, 1, 4);
    EXPECT_EQ(Texts(*box->Items()),
              (std::vector<std::string>{"Song 0.mp3", "Song 2.mp3", "Song 3.mp3", "Song 1.mp3",
                                        "Song 4.mp3", "Song 5.mp3"}));
    EXPECT_EQ(Texts(*box->Lines()),
              (std::vector<std::string>{"1. Song 0", "2. Song 2", "3. Song 3", "4. Song 1",
                                        "5. Song 4", "6. Song 5"}));
    std::vector<int> rows;
    for (int i = 0; i < box->Lines()->Count(); ++i)
        rows.push_back(box->RowOfLine(i));
    EXPECT_EQ(rows, (std::vector<int>{40, 42, 43, 41, 44, 45}));
    EXPECT_EQ(box->ItemIndex(), 3);
}

TEST_F(ListBoxTest, ScreenshotOfAPlaylistBoxAndAMultiLineListBox) {
    form->SetColor(clBtnFace);
    auto* playlist = Make<TBvPlaylist>(8, 8, 190, 300);
    playlist->SetShowNumbers(true);
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 0; i < 12; ++i)
        entries.push_back(
            {"Artist " + std::to_string(i + 1) + " - Song (3:" + std::to_string(10 + i) + ").mp3",
             i});
    playlist->SetEntries(entries);
    auto* list = Make<TBvListBox>(210, 8, 200, 300);
    list->SetMultiLine(true);
    list->Items()->Add("One line");
    list->Items()->Add("A long item that wraps over several lines, each of them drawn by the box "
                       "itself, however narrow the box is");
    list->Items()->Add("Last line");
    ShowActive();
    // Chosen with the real mouse, as the user does.
    QTest::mouseClick(Viewport(playlist), Qt::LeftButton, {}, Center(playlist->ItemRect(4)));
    QTest::mouseClick(Viewport(list), Qt::LeftButton, {}, Center(list->ItemRect(1)));
    PumpEvents();
    EXPECT_EQ(playlist->ItemIndex(), 4);
    EXPECT_EQ(list->ItemIndex(), 1);

    QImage shot = form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    std::string path = std::string(BV_BINARY_DIR) + "/kit_list_boxes.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));

    EXPECT_EQ(playlist->Lines()->Get(0), "1. Artist 1 - Song (3:10)");
    EXPECT_EQ(playlist->Lines()->Get(11), "12. Artist 12 - Song (3:21)");
    const int line = list->MeasureText("Wg", 0).cy;
    EXPECT_GE(list->ItemRect(1).Height(), 3 * line) << "the long item wraps";
    // The selected item of the multi-line list is drawn in the selection colour.
    QImage lines = Viewport(list)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    TRect r = list->ItemRect(1);
    // The wrapped item enlarged, to see its focus rectangle.
    QImage zoom = lines.copy(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top)
                      .scaled((r.Right - r.Left) * 3, (r.Bottom - r.Top) * 3);
    EXPECT_TRUE(zoom.save(
        QString::fromStdString(std::string(BV_BINARY_DIR) + "/kit_list_box_multi_line_item.png")));
    QRgb p = lines.pixel(r.Right - 4, r.Bottom - 3);
    EXPECT_EQ(RGB(qRed(p), qGreen(p), qBlue(p)), ColorToRGB(clHighlight));
}

TEST_F(ListBoxTest, AProviderSuppliesTheLinesAndLetsGoWhenTheProgramChangesThem) {
    auto p = MakeProvider();
    auto* music = p->AddItem("Music");
    p->AddItem("Rock", p->SubList(music));
    auto* jazz = p->AddItem("Jazz", p->SubList(music));
    p->AddItem("Podcasts");
    auto* box = Make<TBvListBox>(10, 10, 180, 160);
    box->Items()->AddObject("own line", reinterpret_cast<TObject*>(static_cast<intptr_t>(7)));
    ShowActive();

    box->Provider()->SetProvider(p.Get());
    PumpEvents();
    ASSERT_TRUE(box->ProviderActive());
    EXPECT_EQ(box->Count(), 4);
    EXPECT_EQ(Texts(box->ItemsList()),
              (std::vector<std::string>{"Music", "Rock", "Jazz", "Podcasts"}));
    EXPECT_EQ(Texts(box->SavedItems()), (std::vector<std::string>{"own line"}));
    // The list messages answer from the provider, searching without regard to case.
    char text[64] = {};
    EXPECT_EQ(box->Perform(LB_GETTEXT, 2, reinterpret_cast<intptr_t>(text)), 4);
    EXPECT_STREQ(text, "Jazz");
    EXPECT_EQ(box->Perform(LB_GETTEXTLEN, 9, 0), LB_ERR);
    EXPECT_EQ(box->Perform(LB_FINDSTRING, 0, reinterpret_cast<intptr_t>("pod")), 3);
    EXPECT_EQ(box->Perform(LB_FINDSTRINGEXACT, -1, reinterpret_cast<intptr_t>("ROCK")), 1);

    // A click picks a provider's row.
    QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Center(box->ItemRect(2)));
    PumpEvents();
    EXPECT_EQ(box->ItemIndex(), 2);
    EXPECT_EQ(box->ProviderItem(2).Get(), static_cast<IBvDataItem*>(jazz));
    // The provider's own changes reach the box; its editing operations do nothing.
    p->AddItem("Blues", p->SubList(music));
    EXPECT_EQ(box->Count(), 5);
    box->SetMultiSelect(true);
    box->SetSelected(0, true);
    box->DeleteSelected();
    EXPECT_EQ(box->Count(), 5);

    // The program adds a line: the provider lets go and the box's own lines come back first.
    box->Items()->Add("added");
    EXPECT_FALSE(box->ProviderActive());
    EXPECT_EQ(Texts(*box->Items()), (std::vector<std::string>{"own line", "added"}));
    EXPECT_EQ(reinterpret_cast<intptr_t>(box->Items()->GetObject(0)), 7);
}

#ifndef NDEBUG
TEST(ListBoxDeathTest, AWorkerChangingTheBoxesStopsADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* what;
        std::function<void(TBvPlaylist*)> change;
    };
    std::vector<Case> cases = {
        {"an entry added", [](TBvPlaylist* box) { box->Items()->Add("from a worker"); }},
        {"a line added", [](TBvPlaylist* box) { box->Lines()->Add("from a worker"); }},
        {"the numbers switched", [](TBvPlaylist* box) { box->SetShowNumbers(true); }},
        {"multi-line switched", [](TBvPlaylist* box) { box->SetMultiLine(true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_DEATH(
            {
                TForm* form = MakeTestForm();
                auto* box = new TBvPlaylist(form);
                box->SetParent(form);
                std::thread worker([&] { c.change(box); });
                worker.join();
            },
            "GUI thread");
    }
}
#endif

TEST_F(ListBoxTest, AScrollEventMayRefuseTheScrollTheUserAsksFor) {
    auto* box = Make<TBvListBox>(10, 10, 180, 100);
    for (int i = 0; i < 40; ++i)
        box->Items()->Add("Line " + std::to_string(i));
    bool refuse = true;
    std::vector<int> codes;
    box->OnVerticalScroll = [&](TObject*, const TMessage& m, bool& dontScroll) {
        codes.push_back(static_cast<int>(m.WParam & 0xFFFF));
        dontScroll = refuse;
    };
    ShowActive();
    auto* area = dynamic_cast<QAbstractScrollArea*>(box->Widget());
    ASSERT_NE(area, nullptr);
    QWidget* bar = area->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    // A click on the bar's lower arrow asks for one line down.
    const QPoint arrow(bar->width() / 2, bar->height() - 4);
    QTest::mouseClick(bar, Qt::LeftButton, {}, arrow);
    PumpEvents();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), SB_LINEDOWN);
    EXPECT_EQ(box->TopIndex(), 0) << "refused";
    refuse = false;
    QTest::mouseClick(bar, Qt::LeftButton, {}, arrow);
    PumpEvents();
    EXPECT_EQ(box->TopIndex(), 1);
}

TEST_F(ListBoxTest, TheBackgroundPictureShowsBehindTheItemsAndASelectedItemIsInverted) {
    auto* box = Make<TBvListBox>(10, 10, 180, 120);
    box->SetMultiLine(true);
    box->Items()->Add("a");
    box->Items()->Add("b");
    TBitmap picture(8, 8);
    picture.Canvas()->Brush()->SetColor(RGB(0, 160, 0));
    picture.Canvas()->FillRect({0, 0, 8, 8});
    box->Background()->SetImage(&picture);
    EXPECT_FALSE(box->Background()->DoDraw()) << "not yet visible";
    int changes = 0;
    box->Background()->OnChange = [&](TObject*) { ++changes; };
    box->Background()->SetFillMode(TBvListboxFillMode::bfmStretch);
    box->Background()->SetFillMode(TBvListboxFillMode::bfmStretch);
    box->Background()->SetVisible(true);
    EXPECT_EQ(changes, 2) << "a value it already has changes nothing";
    box->Background()->OnChange = [box](TObject*) { box->Invalidate(); };
    ShowActive();
    QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Center(box->ItemRect(1)));
    PumpEvents();
    ASSERT_EQ(box->ItemIndex(), 1);
    QImage shot = Viewport(box)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto at = [&](int x, int y) {
        QRgb p = shot.pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    };
    TRect first = box->ItemRect(0), second = box->ItemRect(1);
    EXPECT_EQ(at(first.Right - 10, (first.Top + first.Bottom) / 2), RGB(0, 160, 0));
    EXPECT_EQ(at(second.Right - 10, (second.Top + second.Bottom) / 2), RGB(255, 95, 255))
        << "the picture inverted under the selected item";
}

// A playlist of virtual entries draws, wraps, numbers and maps its lines exactly as a playlist
// holding the same entries: the two boxes side by side look the same pixel for pixel, before
// and after the user scrolls both to the end. Items and Lines give copies of what it shows,
// and entries written into that copy become the box's own.
TEST_F(ListBoxTest, VirtualEntriesShowAsStoredEntriesDo) {
    std::vector<std::pair<std::string, int>> entries;
    for (int i = 0; i < 300; ++i)
        entries.emplace_back(
            "C:\\music\\Artist " + std::to_string(i) +
                (i % 4 == 0 ? " - a title long enough to wrap onto a second line" : " - Song") +
                ".mp3",
            1000 + i);
    auto* stored = Make<TBvPlaylist>(10, 10, 190, 220);
    auto* virt = Make<TBvPlaylist>(210, 10, 190, 220);
    for (TBvPlaylist* box : {stored, virt}) {
        box->SetMultiSelect(true);
        box->SetShowNumbers(true);
        box->SetMultiLine(true);
    }
    stored->SetEntries(entries);
    virt->SetVirtualEntries(
        static_cast<int>(entries.size()),
        [&](int i) { return entries[static_cast<size_t>(i)].first; },
        [&](int i) { return entries[static_cast<size_t>(i)].second; });
    ShowActive();
    ASSERT_TRUE(virt->VirtualEntries());
    EXPECT_EQ(virt->Count(), 300);
    EXPECT_EQ(virt->RowOfLine(299), 1299);
    EXPECT_EQ(virt->RowOfLine(300), -1);

    auto looksTheSame = [&] {
        for (int row = stored->TopIndex(); row < stored->TopIndex() + 6; ++row) {
            EXPECT_EQ(virt->ItemRect(row).Top, stored->ItemRect(row).Top) << row;
            EXPECT_EQ(virt->ItemRect(row).Height(), stored->ItemRect(row).Height()) << row;
        }
        // Each drawn while it has the focus, so both show their focused line.
        auto grab = [](TBvPlaylist* box) {
            box->SetFocus();
            PumpEvents();
            return box->Widget()->grab().toImage();
        };
        const QImage a = grab(stored);
        const QImage b = grab(virt);
        EXPECT_TRUE(a == b) << "the two boxes draw alike";
    };
    looksTheSame();
    EXPECT_GT(stored->ItemRect(0).Height(), stored->ItemRect(1).Height()) << "line 1 wraps";
    for (TBvPlaylist* box : {stored, virt}) {
        QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Center(box->ItemRect(2)));
        QTest::keyClick(box->Widget(), Qt::Key_End, Qt::ShiftModifier);
        PumpEvents();
    }
    EXPECT_EQ(virt->ItemIndex(), 299);
    EXPECT_EQ(virt->TopIndex(), stored->TopIndex());
    EXPECT_EQ(virt->SelectedLines(), stored->SelectedLines());
    looksTheSame();

    // Read as strings, the virtual box gives what the stored one holds.
    EXPECT_EQ(Texts(*virt->Lines()), Texts(*stored->Lines()));
    EXPECT_EQ(Texts(*virt->Items()), Texts(*stored->Items()));
    EXPECT_EQ(virt->RowOfLine(5), 1005);
    // An entry added to that copy makes the entries the box's own, the new one with them.
    virt->Items()->Add("C:\\music\\Added.mp3");
    PumpEvents();
    EXPECT_FALSE(virt->VirtualEntries());
    ASSERT_EQ(virt->Lines()->Count(), 301);
    EXPECT_EQ((*virt->Lines())[300], "301. C:\\music\\Added");
    EXPECT_EQ(virt->RowOfLine(5), 1005);
}
