// A long playlist box with a scattered selection (every third line chosen), driven with the
// real mouse and keys: it shows exactly the chosen lines, and a click, Ctrl+click,
// Shift+click, a drag and the keys change the selection as on a short box of stored lines.
// Each case runs on both: a short box of 30 stored lines and a virtual box of 100,000 lines
// scrolled far down, the lines counted from the top line in sight.
#include "BvListBox.h"
#include "BvPlaylist.h"
#include "GuiTestEnvironment.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

QWidget* Viewport(TWinControl* control) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(control->Widget());
    return area ? area->viewport() : control->Widget();
}

std::string Entry(int i) {
    return "Song " + std::to_string(i) + ".mp3";
}

// One user action on a line counted from the top line in sight.
struct TAction {
    enum TKind { Click, Key, Drag } Kind;
    int Line; // the line clicked or pressed on; for a key, the key
    Qt::KeyboardModifiers Modifiers;
    int To = -1; // where a drag lets go
};

TAction Click(int line, Qt::KeyboardModifiers m = {}) {
    return {TAction::Click, line, m};
}
TAction Key(int key, Qt::KeyboardModifiers m = {}) {
    return {TAction::Key, key, m};
}
TAction Drag(int from, int to, Qt::KeyboardModifiers m = {}) {
    return {TAction::Drag, from, m, to};
}

// The expected outcome, from the lines in sight: whether the scattered lines out of sight
// stay chosen, the chosen lines among the first 12 in sight and the focused line.
struct TSelectionCase {
    const char* Name;
    std::vector<TAction> Actions;
    bool ScatteredStays;
    std::set<int> Chosen; // among lines 0..11 from the top
    int Focused;
};

const TSelectionCase kCases[] = {
    {"a click chooses that line alone", {Click(4)}, false, {4}, 4},
    {"a click on a chosen line chooses it alone", {Click(3)}, false, {3}, 3},
    {"ctrl+click adds a line", {Click(4, Qt::ControlModifier)}, true, {0, 3, 4, 6, 9}, 4},
    {"ctrl+click takes a chosen line away", {Click(3, Qt::ControlModifier)}, true, {0, 6, 9}, 3},
    {"shift+click after a click chooses the lines between",
     {Click(2), Click(6, Qt::ShiftModifier)},
     false,
     {2, 3, 4, 5, 6},
     6},
    {"shift+click after a ctrl+click adds the lines between",
     {Click(4, Qt::ControlModifier), Click(7, Qt::ShiftModifier)},
     true,
     {0, 3, 4, 5, 6, 7, 9},
     7},
    // The selection the program set is still the one being made: a Shift+click replaces it
    // by the lines from the focused one.
    {"shift+click before any click chooses the lines from the focused one",
     {Click(1, Qt::ShiftModifier)},
     false,
     {1, 2, 3, 4, 5},
     1},
    {"a drag chooses the lines it passes", {Drag(2, 5)}, false, {2, 3, 4, 5}, 5},
    {"a ctrl+drag from a free line adds the lines it passes",
     {Drag(4, 7, Qt::ControlModifier)},
     true,
     {0, 3, 4, 5, 6, 7, 9},
     7},
    {"a ctrl+drag from a chosen line takes away the lines it passes",
     {Drag(3, 7, Qt::ControlModifier)},
     true,
     {0, 9},
     7},
    {"a shift+drag after a click chooses from the clicked line",
     {Click(2), Drag(4, 6, Qt::ShiftModifier)},
     false,
     {2, 3, 4, 5, 6},
     6},
    {"down chooses the next line alone", {Click(4), Key(Qt::Key_Down)}, false, {5}, 5},
    {"shift+down extends from the clicked line",
     {Click(4), Key(Qt::Key_Down, Qt::ShiftModifier), Key(Qt::Key_Down, Qt::ShiftModifier)},
     false,
     {4, 5, 6},
     6},
    {"ctrl+down moves the focus only",
     {Key(Qt::Key_Down, Qt::ControlModifier), Key(Qt::Key_Down, Qt::ControlModifier)},
     true,
     {0, 3, 6, 9},
     7},
    {"ctrl+space toggles the focused line",
     {Key(Qt::Key_Down, Qt::ControlModifier), Key(Qt::Key_Space, Qt::ControlModifier),
      Key(Qt::Key_Down, Qt::ControlModifier), Key(Qt::Key_Space, Qt::ControlModifier)},
     true,
     {0, 3, 7, 9},
     7},
    {"up chooses the line above alone", {Key(Qt::Key_Up)}, false, {4}, 4},
};

class ScatteredSelectionTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(440, 360); }
    void TearDown() override {
        delete form;
        PumpEvents();
    }
    // Lines 0..lines-1 with every third chosen and the focus on the fifth line in sight,
    // scrolled so that the line `top` is the first in sight.
    TBvPlaylist* MakeBox(int left, int lines, bool virtualEntries, int top) {
        auto* box = new TBvPlaylist(form);
        box->SetParent(form);
        UseTestFont(box->Font());
        box->SetBounds(left, 8, 200, 320);
        box->SetMultiSelect(true);
        box->SetShowNumbers(true);
        if (virtualEntries) {
            box->SetVirtualEntries(lines, Entry, [](int i) { return i; });
        } else {
            std::vector<std::pair<std::string, int>> entries;
            for (int i = 0; i < lines; ++i)
                entries.emplace_back(Entry(i), i);
            box->SetEntries(entries);
        }
        std::vector<int> chosen;
        for (int i = 0; i < lines; i += 3)
            chosen.push_back(i);
        box->SetSelection(chosen, top + 5);
        box->SetTopIndex(top);
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
    static QPoint LinePoint(TBvPlaylist* box, int line) {
        const TRect r = box->ItemRect(box->TopIndex() + line);
        return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    }
    static void Run(TBvPlaylist* box, const TAction& a) {
        QWidget* view = Viewport(box);
        switch (a.Kind) {
        case TAction::Click:
            QTest::mouseClick(view, Qt::LeftButton, a.Modifiers, LinePoint(box, a.Line));
            break;
        case TAction::Key:
            box->Widget()->setFocus();
            QTest::keyClick(box->Widget(), static_cast<Qt::Key>(a.Line), a.Modifiers);
            break;
        case TAction::Drag: {
            const QPoint from = LinePoint(box, a.Line);
            const QPoint to = LinePoint(box, a.To);
            QTest::mousePress(view, Qt::LeftButton, a.Modifiers, from);
            // The keys held stay held while the mouse moves.
            for (const QPoint at : {QPoint(from.x(), (from.y() + to.y()) / 2), to}) {
                QMouseEvent move(QEvent::MouseMove, QPointF(at), view->mapToGlobal(QPointF(at)),
                                 Qt::NoButton, Qt::LeftButton, a.Modifiers);
                QApplication::sendEvent(view, &move);
            }
            QTest::mouseRelease(view, Qt::LeftButton, a.Modifiers, to);
            break;
        }
        }
        PumpEvents(2);
    }
    // The selected lines the box reports, checked against the case.
    static void Check(TBvPlaylist* box, const TSelectionCase& c, const char* which) {
        SCOPED_TRACE(std::string(c.Name) + " on " + which);
        const int top = box->TopIndex();
        const int lines = box->Count();
        std::vector<int> expected;
        for (int i = 0; i < lines; ++i) {
            const int rel = i - top;
            const bool inSight = rel >= 0 && rel < 12;
            if (inSight ? c.Chosen.count(rel) > 0 : c.ScatteredStays && i % 3 == 0)
                expected.push_back(i);
        }
        EXPECT_EQ(box->SelectedLines(), expected);
        EXPECT_EQ(box->SelCount(), static_cast<int>(expected.size()));
        EXPECT_EQ(box->ItemIndex(), top + c.Focused);
        for (int rel = 0; rel < 12; ++rel)
            EXPECT_EQ(box->Selected(top + rel), c.Chosen.count(rel) > 0) << "line " << rel;
    }
    // The lines in sight drawn in the selection colour, read from the screen.
    static std::set<int> ShownChosen(TBvPlaylist* box) {
        const QImage shot = Viewport(box)->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const TColor highlight = ColorToRGB(clHighlight);
        std::set<int> shown;
        for (int rel = 0; rel < 12; ++rel) {
            const TRect r = box->ItemRect(box->TopIndex() + rel);
            const QRgb p = shot.pixel(r.Right - 8, (r.Top + r.Bottom) / 2);
            if (RGB(qRed(p), qGreen(p), qBlue(p)) == highlight)
                shown.insert(rel);
        }
        return shown;
    }

    TForm* form = nullptr;
};

TEST_F(ScatteredSelectionTest, ALongBoxShowsExactlyTheScatteredLinesChosen) {
    TBvPlaylist* box = MakeBox(8, 100000, true, 60000);
    ShowActive();
    ASSERT_EQ(box->TopIndex(), 60000);
    EXPECT_EQ(box->SelCount(), 33334);
    EXPECT_EQ(box->ItemIndex(), 60005);
    EXPECT_EQ(ShownChosen(box), (std::set<int>{0, 3, 6, 9}));
    const std::vector<int> lines = box->SelectedLines();
    ASSERT_EQ(lines.size(), 33334u);
    EXPECT_EQ(lines.front(), 0);
    EXPECT_EQ(lines.back(), 99999);
    QImage shot = form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) +
                                                 "/kit_long_box_scattered_selection.png")));
}

TEST_F(ScatteredSelectionTest, ClicksAndKeysChangeALongBoxAsAShortOne) {
    for (const TSelectionCase& c : kCases) {
        TBvPlaylist* shortBox = MakeBox(8, 30, false, 0);
        TBvPlaylist* longBox = MakeBox(224, 100000, true, 60000);
        ShowActive();
        for (TBvPlaylist* box : {shortBox, longBox}) {
            for (const TAction& a : c.Actions)
                Run(box, a);
            Check(box, c, box == shortBox ? "the short box" : "the long box");
            EXPECT_EQ(ShownChosen(box), c.Chosen) << c.Name;
        }
        delete shortBox;
        delete longBox;
        PumpEvents();
    }
}

// Select all and Invert selection on the scattered lines, then a click: what the box reports
// and what it shows agree.
TEST_F(ScatteredSelectionTest, SelectAllAndInvertOnAScatteredSelection) {
    TBvPlaylist* box = MakeBox(8, 100000, true, 60000);
    ShowActive();
    box->InvertSelection();
    PumpEvents();
    EXPECT_EQ(box->SelCount(), 100000 - 33334);
    EXPECT_EQ(ShownChosen(box), (std::set<int>{1, 2, 4, 5, 7, 8, 10, 11}));
    EXPECT_FALSE(box->Selected(0));
    EXPECT_TRUE(box->Selected(99998));
    box->SelectAll();
    PumpEvents();
    EXPECT_EQ(box->SelCount(), 100000);
    EXPECT_EQ(ShownChosen(box).size(), 12u);
    Run(box, Click(4, Qt::ControlModifier));
    EXPECT_EQ(box->SelCount(), 99999);
    EXPECT_FALSE(box->Selected(60004));
    Run(box, Click(2));
    EXPECT_EQ(box->SelectedLines(), std::vector<int>{60002});
    EXPECT_EQ(ShownChosen(box), (std::set<int>{2}));
}

// Lines that come, go, move or swap under a scattered selection: the chosen lines keep their
// choice and the new ones come unchosen.
TEST_F(ScatteredSelectionTest, ChosenLinesFollowLinesThatComeAndGo) {
    struct TCase {
        const char* Name;
        std::function<void(TStrings&)> Change;
        std::vector<int> Chosen;
    };
    const TCase cases[] = {
        {"a free line goes", [](TStrings& s) { s.Delete(4); }, {0, 3, 5, 8}},
        {"a chosen line goes", [](TStrings& s) { s.Delete(3); }, {0, 5, 8}},
        {"a line comes in front", [](TStrings& s) { s.Insert(0, "new"); }, {1, 4, 7, 10}},
        {"a line comes after a chosen one", [](TStrings& s) { s.Insert(4, "new"); }, {0, 3, 7, 10}},
        {"a line comes at the end", [](TStrings& s) { s.Add("new"); }, {0, 3, 6, 9}},
        {"a chosen line moves down", [](TStrings& s) { s.Move(3, 7); }, {0, 5, 7, 9}},
        {"a free line moves up", [](TStrings& s) { s.Move(8, 1); }, {0, 4, 7, 9}},
        {"two lines swap", [](TStrings& s) { s.Exchange(0, 1); }, {0, 3, 6, 9}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* box = new TBvListBox(form);
        box->SetParent(form);
        UseTestFont(box->Font());
        box->SetBounds(8, 8, 200, 320);
        box->SetMultiSelect(true);
        for (int i = 0; i < 10; ++i)
            box->Items()->Add("Line " + std::to_string(i));
        ShowActive();
        box->SetSelection({0, 3, 6, 9}, 5);
        c.Change(*box->Items());
        PumpEvents(2);
        EXPECT_EQ(box->SelectedLines(), c.Chosen);
        EXPECT_EQ(box->SelCount(), static_cast<int>(c.Chosen.size()));
        std::set<int> shown;
        const QImage shot = Viewport(box)->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (int i = 0; i < box->Count(); ++i) {
            const TRect r = box->ItemRect(i);
            const QRgb p = shot.pixel(r.Right - 8, (r.Top + r.Bottom) / 2);
            if (RGB(qRed(p), qGreen(p), qBlue(p)) == ColorToRGB(clHighlight))
                shown.insert(i);
        }
        EXPECT_EQ(shown, std::set<int>(c.Chosen.begin(), c.Chosen.end()));
        delete box;
        PumpEvents();
    }
}

// The other two kinds of list: one chosen line at most (Ctrl+click on it lets it go), and a
// list where each click toggles a line (a drag toggles as its first line did).
TEST_F(ScatteredSelectionTest, SingleAndToggleListsKeepTheirRules) {
    struct TCase {
        const char* Name;
        bool Multi;
        bool Extended;
        std::vector<TAction> Actions;
        std::vector<int> Chosen;
        int Focused;
    };
    const TCase cases[] = {
        {"single: a click chooses", false, true, {Click(2)}, {2}, 2},
        {"single: ctrl+click on the chosen line lets it go",
         false,
         true,
         {Click(2), Click(2, Qt::ControlModifier)},
         {},
         -1},
        {"single: ctrl+click on another line chooses it",
         false,
         true,
         {Click(2), Click(4, Qt::ControlModifier)},
         {4},
         4},
        {"single: down moves the choice", false, true, {Click(2), Key(Qt::Key_Down)}, {3}, 3},
        {"toggle: clicks add", true, false, {Click(2), Click(4)}, {2, 4}, 4},
        {"toggle: a click on a chosen line lets it go",
         true,
         false,
         {Click(2), Click(4), Click(2)},
         {4},
         2},
        {"toggle: a drag from a free line adds",
         true,
         false,
         {Click(4), Drag(2, 5)},
         {2, 3, 4, 5},
         5},
        {"toggle: a drag from a chosen line takes away",
         true,
         false,
         {Click(3), Click(4), Drag(3, 6)},
         {},
         6},
        {"toggle: space toggles the focused line",
         true,
         false,
         {Click(2), Key(Qt::Key_Down), Key(Qt::Key_Space)},
         {2, 3},
         3},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* box = new TBvPlaylist(form);
        // The kind of list is the window's style, set before the window is made.
        box->ExtendedSelect = c.Extended;
        box->SetMultiSelect(c.Multi);
        box->SetParent(form);
        UseTestFont(box->Font());
        box->SetBounds(8, 8, 200, 320);
        std::vector<std::pair<std::string, int>> entries;
        for (int i = 0; i < 12; ++i)
            entries.emplace_back(Entry(i), i);
        box->SetEntries(entries);
        ShowActive();
        for (const TAction& a : c.Actions)
            Run(box, a);
        EXPECT_EQ(box->SelectedLines(), c.Chosen);
        EXPECT_EQ(box->ItemIndex(), c.Focused);
        EXPECT_EQ(ShownChosen(box), std::set<int>(c.Chosen.begin(), c.Chosen.end()));
        delete box;
        PumpEvents();
    }
}

} // namespace
