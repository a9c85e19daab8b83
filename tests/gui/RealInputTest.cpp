// The controls driven as a person drives them: real Qt mouse and key events into the real
// widgets (list boxes, memos, edits, buttons, self-drawn controls), modal forms, coordinates
// on the screen and the dialog keyboard.
#include "BvExControls.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "WinApi.h"
#include "qt/QtBridge.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

// Shows the form and makes its window the active one, so that focus and keys reach it.
void ShowActive(TForm* form) {
    form->Show();
    QWidget* window = form->Widget();
    QApplication::setActiveWindow(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    Pump();
}

QWidget* Viewport(TWinControl* control) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(control->Widget());
    return area ? area->viewport() : control->Widget();
}

QPoint Center(const TRect& r) {
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// Where Qt's focus is, as a control.
TWinControl* Focused() {
    Pump();
    return Screen->ActiveControl();
}

// A self-drawn windowed control that can take the focus and records the keys it sees.
class TPad : public TCustomControl {
public:
    explicit TPad(TComponent* owner) : TCustomControl(owner) { TabStop = true; }
    intptr_t DialogCode = 0;
    std::vector<uint32_t> Seen;
    std::vector<std::pair<uint32_t, intptr_t>> KeyData;

protected:
    void WndProc(TMessage& m) override {
        bool key = (m.Msg >= WM_KEYDOWN && m.Msg <= WM_SYSCHAR) ||
                   (m.Msg >= CN_KEYDOWN && m.Msg <= CN_SYSCHAR);
        bool modifier = m.WParam == VK_SHIFT || m.WParam == VK_CONTROL || m.WParam == VK_MENU;
        if (key && !(modifier && m.Msg != WM_CHAR && m.Msg != CN_CHAR)) {
            Seen.push_back(m.Msg);
            KeyData.push_back({m.Msg, m.LParam});
        }
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = DialogCode;
            return;
        }
        TCustomControl::WndProc(m);
    }
};

// Self-drawn buttons on the message layer: each answers its accelerator through
// WantDialogChar, as the kit's speed and image buttons do.
template <class Base> class TDrawnButton : public Base {
public:
    using Base::Base;
    int Clicks = 0;

protected:
    bool WantDialogChar(int key, TShiftState shift, const std::u16string& text) override {
        if (IsAccel(static_cast<uint32_t>(key), this->GetText())) {
            ++Clicks;
            return true;
        }
        return Base::WantDialogChar(key, shift, text);
    }
};

// A self-drawn control that asks for the arrow keys by adjusting its dialog codes.
class TArrowPad : public TBvExCustomControl {
public:
    explicit TArrowPad(TComponent* owner) : TBvExCustomControl(owner) { TabStop = true; }
    bool WantArrows = false;
    int Arrows = 0;

protected:
    void AdjustDialogCodes(TDialogCodes& codes) override {
        if (WantArrows)
            codes = (codes & ~dcNative) | dcWantArrows;
    }
    void KeyDown(uint16_t& key, TShiftState shift) override {
        if (key == VK_RIGHT)
            ++Arrows;
        TBvExCustomControl::KeyDown(key, shift);
    }
};

class RealInput : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(400, 300); }
    void TearDown() override {
        delete form;
        Pump();
    }
    TForm* form = nullptr;
};

// A variable-height list's rows differ in height (it lays its rows out itself).
TListBox* MakeList(TForm* owner, int left, int top, int count, bool variable = false) {
    auto* list = new TListBox(owner);
    list->SetParent(owner);
    list->SetBounds(left, top, 120, 100);
    UseTestFont(list->Font());
    if (variable) {
        list->SetStyle(TListBoxStyle::lbOwnerDrawVariable);
        list->OnMeasureItem = [](TWinControl*, int index, int& height) {
            height = 14 + index % 3 * 6;
        };
    }
    for (int i = 0; i < count; ++i)
        list->Items()->Add("Item " + std::to_string(i));
    return list;
}

// The list tests run on a standard list and on a variable-height one.
class RealInputList : public RealInput, public ::testing::WithParamInterface<bool> {
protected:
    TListBox* MakeList(TForm* owner, int left, int top, int count) {
        return ::MakeList(owner, left, top, count, GetParam());
    }
};

} // namespace

TEST_P(RealInputList, MouseReachesAListBoxOnItsViewport) {
    TListBox* list = MakeList(form, 10, 10, 40);
    std::vector<std::string> events;
    TPoint downAt{-1, -1};
    list->OnMouseDown = [&](TObject*, TMouseButton, TShiftState shift, int x, int y) {
        events.push_back((shift & ssDouble) ? "double down" : "down");
        downAt = {x, y};
    };
    list->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) {
        events.push_back("up");
    };
    int moves = 0;
    list->OnMouseMove = [&](TObject*, TShiftState, int, int) { ++moves; };
    list->OnClick = [&](TObject*) { events.push_back("click"); };
    list->OnDblClick = [&](TObject*) { events.push_back("dblclick"); };
    ShowActive(form);

    QPoint third = Center(list->ItemRect(2));
    QTest::mouseMove(Viewport(list), third);
    EXPECT_GT(moves, 0) << "a move without a button reaches OnMouseMove";
    QTest::mouseClick(Viewport(list), Qt::LeftButton, {}, third);
    Pump();
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(downAt, (TPoint{third.x(), third.y()})) << "client coordinates are the viewport's";
    EXPECT_EQ(list->ItemAtPos(downAt, true), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"down", "click", "up"}));

    events.clear();
    QPoint fifth = Center(list->ItemRect(4));
    QTest::mouseDClick(Viewport(list), Qt::LeftButton, {}, fifth);
    // QTest counts the button as still down after a double click; the next test's moves
    // would drag-select.
    QTest::mouseRelease(Viewport(list), Qt::LeftButton, {}, fifth);
    Pump();
    EXPECT_EQ(list->ItemIndex(), 4);
    EXPECT_EQ(std::count(events.begin(), events.end(), "dblclick"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "click"), 1)
        << "one selection change, one OnClick";

    // The wheel reaches the box as WM_MOUSEWHEEL; left to the default handling it scrolls
    // by the system's lines per notch as clicks on the bar's arrows, then ends the scroll.
    // A wheel turned in parts (a touch pad) scrolls once the parts make whole lines.
    static constexpr int kWheel = -1;
    std::vector<int> seen;
    bool take = false;
    TWndMethod old = list->WindowProc;
    list->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_MOUSEWHEEL) {
            seen.push_back(kWheel);
            if (take) {
                m.Result = 1;
                return;
            }
        }
        if (m.Msg == WM_VSCROLL)
            seen.push_back(static_cast<int>(m.WParam & 0xFFFF));
        old(m);
    };
    unsigned lines = 0;
    ASSERT_TRUE(SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
    ASSERT_GT(lines, 0u);
    const int n = static_cast<int>(lines);
    // What one WM_MOUSEWHEEL brings, appended to what came before.
    auto turn = [](std::vector<int> before, int code, int count) {
        before.push_back(kWheel);
        if (count > 0) {
            before.insert(before.end(), static_cast<size_t>(count), code);
            before.push_back(SB_ENDSCROLL);
        }
        return before;
    };
    struct Case {
        const char* Name;
        std::vector<int> Deltas;
        bool Taken;
        int Moved;
        std::vector<int> Seen;
    };
    const Case cases[] = {
        {"two notches down", {-240}, false, 2 * n, turn({}, SB_LINEDOWN, 2 * n)},
        {"one notch up", {120}, false, -n, turn({}, SB_LINEUP, n)},
        {"a notch in two halves",
         {-60, -60},
         false,
         n,
         turn(turn({}, SB_LINEDOWN, n / 2), SB_LINEDOWN, n - n / 2)},
        {"taken by the control", {-120}, true, 0, {kWheel}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        seen.clear();
        take = c.Taken;
        const int top = list->TopIndex();
        for (int delta : c.Deltas) {
            QPoint local = Center(list->ItemRect(list->TopIndex()));
            QWheelEvent wheel(local, Viewport(list)->mapToGlobal(local), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Viewport(list), &wheel);
            Pump();
        }
        EXPECT_EQ(seen, c.Seen);
        EXPECT_EQ(list->TopIndex(), top + c.Moved);
    }
    list->WindowProc = old;
}

TEST_F(RealInput, MouseReachesAMemo) {
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 200, 120);
    int downs = 0;
    memo->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
        downs += b == TMouseButton::mbLeft;
    };
    ShowActive(form);
    QTest::mouseClick(Viewport(memo), Qt::LeftButton, {}, QPoint(20, 20));
    Pump();
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(Focused(), memo);
}

TEST_P(RealInputList, KeyboardSelectionInAListBoxClicksButCodeDoesNot) {
    TListBox* list = MakeList(form, 10, 10, 10);
    int clicks = 0;
    int seenIndex = -2;
    list->OnClick = [&](TObject*) {
        ++clicks;
        seenIndex = list->ItemIndex();
    };
    ShowActive(form);
    list->SetItemIndex(0);
    Pump();
    EXPECT_EQ(clicks, 0) << "a selection made in code is no click";
    list->SetFocus();
    QTest::keyClick(list->Widget(), Qt::Key_Down);
    Pump();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(seenIndex, 1) << "OnClick sees the new selection";
    QTest::keyClick(list->Widget(), Qt::Key_End);
    Pump();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(seenIndex, 9);
    list->Items()->Add("one more");
    list->SetItemIndex(3);
    Pump();
    EXPECT_EQ(clicks, 2);
}

TEST_P(RealInputList, DragFromOneListBoxOntoAnotherThroughTheDragModel) {
    TListBox* source = MakeList(form, 10, 10, 5);
    TListBox* target = MakeList(form, 200, 10, 3);
    source->DragMode = TDragMode::dmAutomatic;
    source->DragCursor = crMultiDrag;
    std::vector<Qt::CursorShape> shapes;
    auto shape = [] {
        QCursor* c = QGuiApplication::overrideCursor();
        return c ? c->shape() : Qt::ArrowCursor;
    };
    target->OnDragOver = [&](TObject*, TObject* src, int, int, TDragState, bool& accept) {
        accept = src == source;
    };
    TObject* droppedFrom = nullptr;
    int dropIndex = -1;
    target->OnDragDrop = [&](TObject*, TObject* src, int x, int y) {
        droppedFrom = src;
        dropIndex = target->ItemAtPos({x, y}, true);
        auto* from = static_cast<TListBox*>(src);
        target->Items()->Insert(dropIndex, from->Items()->Get(1));
    };
    TObject* endedOn = nullptr;
    int ends = 0;
    source->OnEndDrag = [&](TObject*, TObject* t, int, int) {
        endedOn = t;
        ++ends;
    };
    ShowActive(form);

    QPoint from = Center(source->ItemRect(1));
    QWidget* view = Viewport(source);
    QPoint onto = view->mapFromGlobal(Viewport(target)->mapToGlobal(Center(target->ItemRect(1))));
    QPoint nowhere = view->mapFromGlobal(form->ClientWidget()->mapToGlobal(QPoint(150, 250)));
    TPoint start = source->ClientToScreen({from.x(), from.y()});
    Mouse->SetCursorPos(start);
    QTest::mousePress(Viewport(source), Qt::LeftButton, {}, from);
    EXPECT_TRUE(source->Dragging());
    QTest::mouseMove(Viewport(source), nowhere);
    shapes.push_back(shape());
    QTest::mouseMove(Viewport(source), onto);
    shapes.push_back(shape());
    QTest::mouseRelease(Viewport(source), Qt::LeftButton, {}, onto);
    Pump();
    shapes.push_back(shape());

    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(droppedFrom, source);
    EXPECT_EQ(dropIndex, 1);
    EXPECT_EQ(target->Items()->Get(1), "Item 1");
    EXPECT_EQ(endedOn, target);
    EXPECT_EQ(ends, 1);
    // No drop over the empty form, the source's drag cursor over the target, and the
    // drag's cursor gone once it ends.
    EXPECT_EQ(shapes, (std::vector<Qt::CursorShape>{Qt::ForbiddenCursor, Qt::DragCopyCursor,
                                                    Qt::ArrowCursor}));
    EXPECT_EQ(source->ItemIndex(), -1) << "the press that began the drag selected nothing";
}

INSTANTIATE_TEST_SUITE_P(Heights, RealInputList, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Variable" : "Fixed";
                         });

TEST_F(RealInput, AClickOnTheMainWindowDuringShowModalDoesNothing) {
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 80, 25);
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    ShowActive(form);

    // Clicks through the window system, where Qt keeps a modal window's other windows out.
    auto click = [&] {
        QTest::mouseClick(form->Widget()->windowHandle(), Qt::LeftButton, {},
                          button->Widget()->mapTo(form->Widget(), QPoint(10, 10)));
        Pump();
    };
    TForm* dialog = MakeTestForm(200, 100);
    dialog->SetBounds(300, 300, 200, 100);
    int clicksDuringModal = -1;
    bool blocked = false;
    QTimer::singleShot(0, [&] {
        blocked = form->Widget()->windowHandle() &&
                  QGuiApplication::modalWindow() == dialog->Widget()->windowHandle();
        click();
        clicksDuringModal = clicks;
        dialog->SetModalResult(mrOk);
    });
    EXPECT_EQ(dialog->ShowModal(), mrOk);
    EXPECT_TRUE(blocked) << "the dialog is the application's modal window while it runs";
    EXPECT_EQ(clicksDuringModal, 0);
    delete dialog;
    Pump();

    QApplication::setActiveWindow(form->Widget());
    click();
    EXPECT_EQ(clicks, 1) << "the main window takes clicks again once the dialog is gone";
}

TEST_F(RealInput, ScreenCoordinatesCountTheMenuBarAndFollowAMove) {
    auto* menu = new TMainMenu(form);
    auto* file = new TMenuItem(form);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    form->SetMenu(menu);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(30, 40, 100, 60);
    auto* label = new TLabel(form);
    label->SetParent(panel);
    label->SetBounds(5, 6, 40, 15);
    form->SetBounds(50, 60, 400, 300);
    ShowActive(form);
    ASSERT_GT(form->MenuBarHeight(), 0);

    struct TCase {
        const char* Name;
        QPoint MoveTo;
    };
    const TCase cases[] = {{"as placed", QPoint(50, 60)}, {"after a move", QPoint(140, 95)}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        form->Widget()->move(c.MoveTo);
        Pump();
        EXPECT_EQ(form->Left(), c.MoveTo.x());
        EXPECT_EQ(form->Top(), c.MoveTo.y());
        QPoint client = form->ClientWidget()->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(form->ClientOrigin(), (TPoint{client.x(), client.y()}));
        EXPECT_EQ(form->ClientOrigin().Y, form->Widget()->geometry().y() + form->MenuBarHeight())
            << "the client area starts below the frame and the menu bar";
        QPoint panelAt = panel->Widget()->mapToGlobal(QPoint(0, 0));
        EXPECT_EQ(panel->ClientToScreen({0, 0}), (TPoint{panelAt.x(), panelAt.y()}));
        EXPECT_EQ(label->ClientToScreen({1, 1}), (TPoint{panelAt.x() + 6, panelAt.y() + 7}));
        EXPECT_EQ(label->ScreenToClient({panelAt.x() + 6, panelAt.y() + 7}), (TPoint{1, 1}));
        // The point under the label on the screen finds the label.
        EXPECT_EQ(FindDragTarget({panelAt.x() + 10, panelAt.y() + 10}, false), label);
    }
}

TEST(RealInputPointer, GetCursorPosAnswersWhereThePointerIs) {
    const TPoint places[] = {{12, 34}, {200, 150}, {0, 0}};
    for (TPoint p : places) {
        QCursor::setPos(p.X, p.Y);
        TPoint seen;
        ASSERT_TRUE(GetCursorPos(&seen));
        EXPECT_EQ(seen, p);
        EXPECT_EQ(Mouse->CursorPos(), p);
    }
}

TEST_F(RealInput, TabFollowsTabOrderThroughSelfDrawnControls) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 100, 22);
    edit->TabOrder = 2;
    auto* pad = new TPad(form);
    pad->SetParent(form);
    pad->SetBounds(10, 40, 60, 40);
    pad->TabOrder = 0;
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(150, 10, 200, 100);
    panel->TabOrder = 1;
    auto* inner = new TPad(form);
    inner->SetParent(panel);
    inner->SetBounds(5, 5, 50, 30);
    auto* button = new TButton(form);
    button->SetParent(panel);
    button->SetBounds(5, 50, 75, 25);
    auto* skipped = new TEdit(form);
    skipped->SetParent(form);
    skipped->SetBounds(10, 100, 100, 22);
    skipped->TabStop = false;
    skipped->TabOrder = 3;
    auto* hidden = new TButton(form);
    hidden->SetParent(form);
    hidden->SetVisible(false);
    hidden->TabOrder = 4;
    ShowActive(form);

    pad->SetFocus();
    ASSERT_EQ(Focused(), pad);
    const std::vector<TWinControl*> forward = {inner, button, edit, pad};
    for (TWinControl* expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(Focused(), expected) << "forward to " << expected->Name();
    }
    const std::vector<TWinControl*> backward = {edit, button, inner, pad};
    for (TWinControl* expected : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(Focused(), expected) << "backward to " << expected->Name();
    }
    EXPECT_EQ(std::count(pad->Seen.begin(), pad->Seen.end(), WM_KEYDOWN), 0)
        << "Tab is the dialog's, the control never sees it as a key";
    EXPECT_GT(std::count(pad->Seen.begin(), pad->Seen.end(), CN_KEYDOWN), 0);

    // A control that asks for Tab through its dialog code keeps it.
    pad->DialogCode = DLGC_WANTTAB;
    pad->Seen.clear();
    QTest::keyClick(pad->Widget(), Qt::Key_Tab);
    EXPECT_EQ(Focused(), pad);
    EXPECT_EQ(std::count(pad->Seen.begin(), pad->Seen.end(), WM_KEYDOWN), 1);
}

TEST_F(RealInput, ArrowKeysMoveBetweenButtonsButStayInListsAndEdits) {
    auto* first = new TButton(form);
    first->SetParent(form);
    first->SetBounds(10, 10, 75, 25);
    auto* second = new TButton(form);
    second->SetParent(form);
    second->SetBounds(100, 10, 75, 25);
    TListBox* list = MakeList(form, 10, 50, 5);
    ShowActive(form);
    first->SetFocus();
    QTest::keyClick(first->Widget(), Qt::Key_Right);
    EXPECT_EQ(Focused(), second);
    QTest::keyClick(second->Widget(), Qt::Key_Left);
    EXPECT_EQ(Focused(), first);
    list->SetFocus();
    list->SetItemIndex(0);
    QTest::keyClick(list->Widget(), Qt::Key_Down);
    EXPECT_EQ(Focused(), list);
    EXPECT_EQ(list->ItemIndex(), 1);
}

TEST(RealInputDialog, EnterAndEscAnswerTheDefaultAndCancelButtons) {
    struct TCase {
        const char* Name;
        int FocusOn; // 0 edit, 1 OK, 2 Cancel, 3 memo
        Qt::Key Key;
        TModalResult Expected;
        const char* MemoText;
    };
    const TCase cases[] = {
        {"Enter in an edit presses the default button", 0, Qt::Key_Return, mrOk, ""},
        {"keypad Enter too", 0, Qt::Key_Enter, mrOk, ""},
        {"Esc in an edit presses the cancel button", 0, Qt::Key_Escape, mrCancel, ""},
        {"Enter on a focused button presses that button", 2, Qt::Key_Return, mrCancel, ""},
        {"Esc on the default button still cancels", 1, Qt::Key_Escape, mrCancel, ""},
        {"a memo keeps Enter for a new line", 3, Qt::Key_Return, mrNone, "\n"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TForm* dialog = MakeTestForm(300, 200);
        auto* edit = new TEdit(dialog);
        edit->SetParent(dialog);
        edit->SetBounds(10, 10, 150, 22);
        auto* memo = new TMemo(dialog);
        memo->SetParent(dialog);
        memo->SetBounds(10, 40, 150, 60);
        auto* ok = new TButton(dialog);
        ok->SetParent(dialog);
        ok->SetCaption("OK");
        ok->SetBounds(10, 150, 75, 25);
        ok->Default = true;
        ok->ModalResult = mrOk;
        auto* cancel = new TButton(dialog);
        cancel->SetParent(dialog);
        cancel->SetCaption("Cancel");
        cancel->SetBounds(100, 150, 75, 25);
        cancel->Cancel = true;
        cancel->ModalResult = mrCancel;
        TWinControl* focusOn[] = {edit, ok, cancel, memo};
        std::string memoText;
        QTimer::singleShot(0, [&] {
            QApplication::setActiveWindow(dialog->Widget());
            focusOn[c.FocusOn]->SetFocus();
            Pump();
            QTest::keyClick(QApplication::focusWidget(), c.Key);
            Pump();
            memoText = FromQ(static_cast<QPlainTextEdit*>(memo->Widget())->toPlainText());
            if (dialog->ModalResult() == mrNone)
                dialog->SetModalResult(mrNone + 100);
        });
        TModalResult result = dialog->ShowModal();
        EXPECT_EQ(result, c.Expected == mrNone ? mrNone + 100 : c.Expected);
        EXPECT_EQ(memoText, c.MemoText);
        delete dialog;
        Pump();
    }
}

TEST_F(RealInput, AltWithALabelsAcceleratorMovesTheFocusInsteadOfTyping) {
    auto* first = new TEdit(form);
    first->SetParent(form);
    first->SetBounds(10, 10, 100, 22);
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetCaption("&Name");
    label->SetBounds(10, 40, 60, 15);
    auto* name = new TEdit(form);
    name->SetParent(form);
    name->SetBounds(80, 40, 100, 22);
    label->FocusControl = name;
    auto* save = new TButton(form);
    save->SetParent(form);
    save->SetCaption("&Save");
    save->SetBounds(10, 80, 75, 25);
    int saves = 0;
    save->OnClick = [&](TObject*) { ++saves; };
    auto* check = new TCheckBox(form);
    check->SetParent(form);
    check->SetCaption("&Verbose");
    check->SetBounds(10, 120, 100, 20);
    ShowActive(form);

    first->SetFocus();
    QTest::keyClick(first->Widget(), Qt::Key_N, Qt::AltModifier);
    EXPECT_EQ(Focused(), name);
    EXPECT_EQ(first->GetText(), "") << "Alt+N is no typing";
    EXPECT_EQ(name->GetText(), "");

    // Without Alt an edit types the letter.
    QTest::keyClick(name->Widget(), Qt::Key_S);
    EXPECT_EQ(name->GetText(), "s");
    EXPECT_EQ(saves, 0);

    QTest::keyClick(name->Widget(), Qt::Key_S, Qt::AltModifier);
    QTest::qWait(300); // Qt's own mnemonic would click a second time after its animation
    Pump();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(name->GetText(), "s");

    // On a button, which takes no characters, the letter alone is the accelerator.
    save->SetFocus();
    QTest::keyClick(save->Widget(), Qt::Key_N);
    EXPECT_EQ(Focused(), name);
    QTest::keyClick(name->Widget(), Qt::Key_V, Qt::AltModifier);
    EXPECT_EQ(Focused(), check);
    EXPECT_TRUE(check->Checked());
}

TEST_F(RealInput, SelfDrawnButtonsAnswerTheirAcceleratorsAndDialogCodes) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 100, 22);
    auto* graphic = new TDrawnButton<TBvExGraphicControl>(form);
    graphic->SetParent(form);
    graphic->SetCaption("&Play");
    graphic->SetBounds(10, 40, 60, 25);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(100, 40, 200, 100);
    auto* windowed = new TDrawnButton<TBvExCustomControl>(form);
    windowed->SetParent(panel);
    windowed->SetCaption("S&top");
    windowed->SetBounds(5, 5, 60, 25);
    auto* pad = new TArrowPad(form);
    pad->SetParent(panel);
    pad->SetBounds(5, 40, 60, 25);
    auto* next = new TArrowPad(form);
    next->SetParent(panel);
    next->SetBounds(80, 40, 60, 25);
    ShowActive(form);

    edit->SetFocus();
    QTest::keyClick(edit->Widget(), Qt::Key_P, Qt::AltModifier);
    QTest::keyClick(edit->Widget(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(graphic->Clicks, 1);
    EXPECT_EQ(windowed->Clicks, 1) << "the accelerator reaches a control inside a panel";
    EXPECT_EQ(edit->GetText(), "");
    QTest::keyClick(edit->Widget(), Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(graphic->Clicks + windowed->Clicks, 2) << "no accelerator, no click";

    // The right arrow moves on from a control that keeps its stock dialog code, and stays
    // in one that asks for the arrows.
    pad->SetFocus();
    QTest::keyClick(pad->Widget(), Qt::Key_Right);
    EXPECT_EQ(Focused(), next);
    EXPECT_EQ(pad->Arrows, 0);
    pad->WantArrows = true;
    pad->SetFocus();
    QTest::keyClick(pad->Widget(), Qt::Key_Right);
    EXPECT_EQ(Focused(), pad);
    EXPECT_EQ(pad->Arrows, 1);
}

TEST_F(RealInput, KeysArriveAsNotificationsFirstWithTheShiftStateInTheKeyData) {
    auto* pad = new TPad(form);
    pad->SetParent(form);
    pad->SetBounds(10, 10, 100, 80);
    ShowActive(form);
    pad->SetFocus();

    QTest::keyClick(pad->Widget(), Qt::Key_A);
    EXPECT_EQ(pad->Seen, (std::vector<uint32_t>{CN_KEYDOWN, WM_KEYDOWN, CN_CHAR, WM_CHAR, CN_KEYUP,
                                                WM_KEYUP}));
    pad->Seen.clear();
    pad->KeyData.clear();
    QTest::keyClick(pad->Widget(), Qt::Key_X, Qt::AltModifier | Qt::ShiftModifier);
    ASSERT_FALSE(pad->KeyData.empty());
    EXPECT_EQ(pad->KeyData[0].first, CN_SYSKEYDOWN);
    EXPECT_EQ(KeyDataToShiftState(pad->KeyData[0].second), ssAlt | ssShift);
    EXPECT_NE(std::find(pad->Seen.begin(), pad->Seen.end(), CN_SYSCHAR), pad->Seen.end());
    EXPECT_EQ(std::find(pad->Seen.begin(), pad->Seen.end(), WM_CHAR), pad->Seen.end());

    // A control that takes the notification keeps the key from its key handlers.
    int keyDowns = 0;
    pad->OnKeyDown = [&](TObject*, uint16_t&, TShiftState) { ++keyDowns; };
    TWndMethod old = pad->WindowProc;
    pad->WindowProc = [&](TMessage& m) {
        if (m.Msg == CN_KEYDOWN && m.WParam == 'Q') {
            m.Result = 1;
            return;
        }
        old(m);
    };
    QTest::keyClick(pad->Widget(), Qt::Key_Q);
    QTest::keyClick(pad->Widget(), Qt::Key_W);
    EXPECT_EQ(keyDowns, 1);
    pad->WindowProc = old;
}

TEST_F(RealInput, ButtonMouseEventsKeepTheShiftState) {
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetBounds(10, 10, 80, 25);
    std::vector<TShiftState> seen;
    button->OnMouseDown = [&](TObject*, TMouseButton, TShiftState s, int, int) {
        seen.push_back(s);
    };
    button->OnMouseUp = [&](TObject*, TMouseButton, TShiftState s, int, int) { seen.push_back(s); };
    ShowActive(form);
    QTest::mouseClick(button->Widget(), Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier,
                      QPoint(5, 5));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], ssShift | ssCtrl | ssLeft);
    EXPECT_EQ(seen[1] & (ssShift | ssCtrl), ssShift | ssCtrl);
}

TEST(RealInputScreen, EveryScreenCursorShowsItsOwnShape) {
    const std::pair<TCursor, Qt::CursorShape> cases[] = {
        {crArrow, Qt::ArrowCursor},
        {crCross, Qt::CrossCursor},
        {crIBeam, Qt::IBeamCursor},
        {crSizeNESW, Qt::SizeBDiagCursor},
        {crSizeNS, Qt::SizeVerCursor},
        {crSizeNWSE, Qt::SizeFDiagCursor},
        {crSizeWE, Qt::SizeHorCursor},
        {crUpArrow, Qt::UpArrowCursor},
        {crHourGlass, Qt::WaitCursor},
        {crDrag, Qt::DragCopyCursor},
        {crNoDrop, Qt::ForbiddenCursor},
        {crHSplit, Qt::SizeHorCursor},
        {crVSplit, Qt::SizeVerCursor},
        {crMultiDrag, Qt::DragCopyCursor},
        {crSQLWait, Qt::WaitCursor},
        {crNo, Qt::ForbiddenCursor},
        {crAppStart, Qt::BusyCursor},
        {crHelp, Qt::WhatsThisCursor},
        {crHandPoint, Qt::PointingHandCursor},
        {crSizeAll, Qt::SizeAllCursor},
        {crNone, Qt::BlankCursor},
    };
    for (auto [cursor, shape] : cases) {
        Screen->SetCursor(cursor);
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr) << cursor;
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), shape) << cursor;
    }
    Screen->SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(RealInputScreen, PixelsPerInchIsTheScreens) {
    ASSERT_NE(QGuiApplication::primaryScreen(), nullptr);
    EXPECT_EQ(Screen->PixelsPerInch(),
              qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
    // The second run of these tests sets the screen's resolution through Qt's font setting.
    if (const char* forced = std::getenv("QT_FONT_DPI")) {
        EXPECT_EQ(Screen->PixelsPerInch(), std::atoi(forced));
    }
}
