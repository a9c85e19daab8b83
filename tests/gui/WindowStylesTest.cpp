// Window styles and scroll bars: the style bits CreateParams sets take effect when the
// window is made and made again, a list box shows only the scroll bars it needs, scroll
// messages move the bars both ways, and an edit keeps to its formatting rectangle.
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"
#include "WinApi.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

void Pump() {
    for (int i = 0; i < 5; ++i)
        Application->ProcessMessages();
}

// A list box whose owner chooses its scroll bars through the window style, as a list box
// with a ScrollBars property does, and that can refuse to scroll.
class TStyledList : public TListBox {
public:
    using TListBox::TListBox;
    bool HorzBar = true;
    bool VertBar = true;
    bool RefuseScroll = false;
    std::vector<int> VScrollCodes;

protected:
    void CreateParams(TCreateParams& params) override {
        TListBox::CreateParams(params);
        params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
        if (HorzBar)
            params.Style |= WS_HSCROLL;
        if (VertBar)
            params.Style |= WS_VSCROLL;
    }
    void WndProc(TMessage& m) override {
        if (m.Msg == WM_VSCROLL) {
            VScrollCodes.push_back(static_cast<int>(m.WParam & 0xFFFF));
            if (RefuseScroll)
                return;
        }
        TListBox::WndProc(m);
    }
};

QAbstractScrollArea* Area(TWinControl* c) {
    return dynamic_cast<QAbstractScrollArea*>(c->Widget());
}
bool VBar(TWinControl* c) {
    return Area(c)->verticalScrollBar()->isVisible();
}
bool HBar(TWinControl* c) {
    return Area(c)->horizontalScrollBar()->isVisible();
}

class WindowStylesTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(400, 300); }
    void TearDown() override {
        delete form;
        Pump();
    }
    TStyledList* MakeList(int count) {
        auto* list = new TStyledList(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 200, 150);
        for (int i = 0; i < count; ++i)
            list->Items()->Add("item " + std::to_string(i));
        form->Show();
        Pump();
        return list;
    }
    TForm* form = nullptr;
};

} // namespace

TEST_F(WindowStylesTest, AListBoxShowsOnlyTheScrollBarsItNeeds) {
    TStyledList* list = MakeList(50);
    EXPECT_NE(list->WindowStyle() & WS_VSCROLL, 0u);
    EXPECT_NE(list->WindowStyle() & WS_HSCROLL, 0u);
    EXPECT_TRUE(VBar(list));
    EXPECT_FALSE(HBar(list)) << "no horizontal extent, no horizontal bar";
    // A horizontal extent wider than the box brings the bar; its range covers the extent.
    list->Perform(LB_SETHORIZONTALEXTENT, 600, 0);
    Pump();
    EXPECT_TRUE(HBar(list));
    TScrollInfo info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list, SB_HORZ, &info));
    EXPECT_EQ(info.nMax + 1, 600);
    EXPECT_EQ(info.nPage, static_cast<uint32_t>(Area(list)->viewport()->width()));
    EXPECT_EQ(list->Perform(LB_GETHORIZONTALEXTENT, 0, 0), 600);
    list->Perform(LB_SETHORIZONTALEXTENT, 0, 0);
    Pump();
    EXPECT_FALSE(HBar(list));
}

TEST_F(WindowStylesTest, ScrollBarStylesTakeEffectWhenTheWindowIsMadeAgain) {
    TStyledList* list = MakeList(50);
    list->SetMultiSelect(true);
    list->SetSelected(3, true);
    list->SetSelected(7, true);
    list->SetTopIndex(5);
    list->Perform(LB_SETHORIZONTALEXTENT, 600, 0);
    Pump();
    struct Case {
        const char* Name;
        bool Horz, Vert;
    };
    for (const Case& c : {Case{"none", false, false}, Case{"vertical", false, true},
                          Case{"horizontal", true, false}, Case{"both", true, true}}) {
        SCOPED_TRACE(c.Name);
        list->HorzBar = c.Horz;
        list->VertBar = c.Vert;
        list->RecreateWnd();
        Pump();
        EXPECT_EQ((list->WindowStyle() & WS_HSCROLL) != 0, c.Horz);
        EXPECT_EQ((list->WindowStyle() & WS_VSCROLL) != 0, c.Vert);
        EXPECT_EQ(HBar(list), c.Horz);
        EXPECT_EQ(VBar(list), c.Vert);
        // Items, selection and the top item come through.
        EXPECT_EQ(list->Count(), 50);
        EXPECT_EQ(list->Items()->Get(49), "item 49");
        EXPECT_TRUE(list->Selected(3));
        EXPECT_TRUE(list->Selected(7));
        EXPECT_EQ(list->SelCount(), 2);
        EXPECT_EQ(list->TopIndex(), 5);
    }
}

TEST_F(WindowStylesTest, ScrollMessagesMoveTheBarAndTheItems) {
    TStyledList* list = MakeList(100);
    const int page = Area(list)->verticalScrollBar()->pageStep();
    struct Case {
        const char* Name;
        int Code;
        int Pos;
        int Top;
    };
    const Case cases[] = {
        {"line down", SB_LINEDOWN, 0, 1},
        {"line down again", SB_LINEDOWN, 0, 2},
        {"line up", SB_LINEUP, 0, 1},
        {"page down", SB_PAGEDOWN, 0, 1 + page},
        {"page up", SB_PAGEUP, 0, 1},
        {"thumb position", SB_THUMBPOSITION, 40, 40},
        {"thumb track", SB_THUMBTRACK, 30, 30},
        {"end scroll leaves it", SB_ENDSCROLL, 0, 30},
        {"top", SB_TOP, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        list->Perform(WM_VSCROLL, c.Code | (c.Pos << 16), 0);
        Pump();
        EXPECT_EQ(list->TopIndex(), c.Top);
        EXPECT_EQ(GetScrollPos(list, SB_VERT), c.Top);
    }
    list->Perform(WM_VSCROLL, SB_BOTTOM, 0);
    Pump();
    TScrollInfo info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &info));
    EXPECT_EQ(info.nPos, info.nMax - static_cast<int>(info.nPage) + 1);
    EXPECT_EQ(info.nMax + 1, 100);
    EXPECT_EQ(list->TopIndex(), info.nPos);
    // Setting the position through the scroll information scrolls the list.
    TScrollInfo set;
    set.fMask = SIF_POS;
    set.nPos = 12;
    EXPECT_EQ(SetScrollInfo(list, SB_VERT, &set, true), 12);
    Pump();
    EXPECT_EQ(list->TopIndex(), 12);
}

// The user clicks the bar's down arrow: the list hears WM_VSCROLL with the line code and the
// end of the scroll, and a list that takes the message without passing it on stays put.
TEST_F(WindowStylesTest, AClickOnTheScrollArrowArrivesAsWmVScroll) {
    TStyledList* list = MakeList(100);
    QScrollBar* bar = Area(list)->verticalScrollBar();
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = Qt::Vertical;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.subControls = QStyle::SC_All;
    QRect down =
        bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarAddLine, bar);
    ASSERT_FALSE(down.isEmpty());
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, down.center());
    Pump();
    EXPECT_EQ(list->VScrollCodes, (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
    EXPECT_EQ(list->TopIndex(), 1);

    list->RefuseScroll = true;
    list->VScrollCodes.clear();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, down.center());
    Pump();
    EXPECT_FALSE(list->VScrollCodes.empty());
    EXPECT_EQ(list->TopIndex(), 1);
    EXPECT_EQ(bar->value(), 1);
}

TEST_F(WindowStylesTest, AMemoShowsTheScrollBarsItsPropertySays) {
    struct Case {
        const char* Name;
        TScrollStyle Bars;
        bool Horz, Vert, Wraps;
    };
    const Case cases[] = {
        {"none", TScrollStyle::ssNone, false, false, true},
        {"vertical", TScrollStyle::ssVertical, false, true, true},
        {"horizontal", TScrollStyle::ssHorizontal, true, false, false},
        {"both", TScrollStyle::ssBoth, true, true, false},
    };
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 200, 120);
    memo->Lines()->Add("first line");
    memo->Lines()->Add("second line");
    form->Show();
    Pump();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        memo->SetScrollBars(c.Bars);
        Pump();
        auto* edit = dynamic_cast<QPlainTextEdit*>(memo->Widget());
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(HBar(memo), c.Horz);
        EXPECT_EQ(VBar(memo), c.Vert);
        EXPECT_EQ(edit->lineWrapMode() == QPlainTextEdit::WidgetWidth, c.Wraps);
        EXPECT_EQ(memo->Lines()->Count(), 2);
        EXPECT_EQ(edit->toPlainText(), "first line\nsecond line");
    }
    // Typing into the made-again window reaches the lines.
    memo->SetScrollBars(TScrollStyle::ssVertical);
    Pump();
    auto* edit = dynamic_cast<QPlainTextEdit*>(memo->Widget());
    edit->setFocus();
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, " more");
    EXPECT_EQ(memo->Lines()->Get(1), "second line more");
}

TEST_F(WindowStylesTest, EditStylesAndTheFormattingRectangle) {
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 200, 24);
    edit->PasswordChar = '*';
    edit->SetText("secret");
    form->Show();
    Pump();
    EXPECT_NE(edit->WindowStyle() & ES_PASSWORD, 0u);
    auto* line = dynamic_cast<QLineEdit*>(edit->Widget());
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->echoMode(), QLineEdit::Password);
    // The formatting rectangle keeps the text off the right 40 pixels, across re-creation.
    TRect r = Rect(2, 1, 160, 23);
    edit->Perform(EM_SETRECT, 0, reinterpret_cast<intptr_t>(&r));
    TRect got;
    edit->Perform(EM_GETRECT, 0, reinterpret_cast<intptr_t>(&got));
    EXPECT_EQ(got, r);
    EXPECT_EQ(line->textMargins().right(), 40);
    edit->PasswordChar = 0;
    edit->RecreateWnd();
    line = dynamic_cast<QLineEdit*>(edit->Widget());
    EXPECT_EQ(line->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(line->text(), "secret");
    EXPECT_EQ(line->textMargins().left(), 2);
    EXPECT_EQ(line->textMargins().right(), 40);
    edit->Perform(EM_SETRECT, 0, 0);
    edit->Perform(EM_GETRECT, 0, reinterpret_cast<intptr_t>(&got));
    EXPECT_EQ(got, edit->ClientRect());
    EXPECT_EQ(line->textMargins().right(), 0);
}

// A memo's formatting rectangle is the area its lines are laid out in, across re-creation;
// a null rectangle gives it the whole window back.
TEST_F(WindowStylesTest, AMemosFormattingRectangleHoldsItsText) {
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 200, 120);
    memo->SetText("one\r\ntwo");
    form->Show();
    Pump();
    auto viewport = [&] { return Area(memo)->viewport()->geometry(); };
    const QRect whole = viewport();
    TRect r = Rect(20, 10, memo->ClientWidth() - 30, memo->ClientHeight() - 5);
    memo->Perform(EM_SETRECT, 0, reinterpret_cast<intptr_t>(&r));
    Pump();
    TRect got;
    memo->Perform(EM_GETRECT, 0, reinterpret_cast<intptr_t>(&got));
    EXPECT_EQ(got, r);
    EXPECT_EQ(viewport().left(), whole.left() + 20);
    EXPECT_EQ(viewport().top(), whole.top() + 10);
    EXPECT_EQ(viewport().right(), whole.right() - 30);
    EXPECT_EQ(viewport().bottom(), whole.bottom() - 5);
    memo->RecreateWnd();
    Pump();
    EXPECT_EQ(viewport().left(), whole.left() + 20);
    EXPECT_EQ(memo->Lines()->Count(), 2);
    memo->Perform(EM_SETRECT, 0, 0);
    Pump();
    EXPECT_EQ(viewport(), whole);
}

TEST_F(WindowStylesTest, AComboBoxKeepsItsItemsChoiceAndTextAcrossReCreation) {
    struct Case {
        const char* Name;
        TComboBoxStyle Style;
        uint32_t Bits;
        bool Editable;
    };
    const Case cases[] = {
        {"drop-down", TComboBoxStyle::csDropDown, CBS_DROPDOWN, true},
        {"drop-down list", TComboBoxStyle::csDropDownList, CBS_DROPDOWNLIST, false},
        {"owner-drawn", TComboBoxStyle::csOwnerDrawFixed, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* combo = new TComboBox(form);
        combo->SetParent(form);
        combo->SetStyle(c.Style);
        for (const char* s : {"C:", "D:", "E:"})
            combo->Items()->Add(s);
        form->Show();
        combo->SetItemIndex(2);
        Pump();
        EXPECT_EQ(combo->WindowStyle() & (3 | CBS_OWNERDRAWFIXED), c.Bits);
        combo->RecreateWnd();
        Pump();
        auto* box = dynamic_cast<QComboBox*>(combo->Widget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->isEditable(), c.Editable);
        EXPECT_EQ(box->count(), 3);
        EXPECT_EQ(combo->ItemIndex(), 2);
        EXPECT_EQ(combo->GetText(), "E:");
        delete combo;
    }
}

namespace {

// Paints a horizontal stripe of its own colour every 10 pixels, and notes each clip box.
class TStripes : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<TRect> ClipBoxes;

protected:
    void Paint() override {
        TRect box;
        GetClipBox(Canvas(), &box);
        ClipBoxes.push_back(box);
        for (int y = 0; y < Height(); ++y) {
            Canvas()->Pen()->SetColor((y / 10) % 2 ? clBlue : clYellow);
            Canvas()->MoveTo(0, y);
            Canvas()->LineTo(Width(), y);
        }
    }
};

TColor ScreenAt(TWinControl* c, int x, int y) {
    QWidget* w = c->Widget();
    QWidget* top = w->window();
    QPoint at = w->mapTo(top, QPoint(x, y));
    QImage shot = top->screen()->grabWindow(top->winId(), at.x(), at.y(), 1, 1).toImage();
    QRgb p = shot.pixel(0, 0);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

} // namespace

TEST_F(WindowStylesTest, ScrollWindowMovesThePixelsAndPaintsOnlyWhatItUncovered) {
    auto* stripes = new TStripes(form);
    stripes->SetParent(form);
    stripes->SetBounds(10, 10, 100, 100);
    form->Show();
    Pump();
    ASSERT_EQ(ScreenAt(stripes, 50, 5), clYellow);
    ASSERT_EQ(ScreenAt(stripes, 50, 15), clBlue);
    stripes->ClipBoxes.clear();
    TRect update;
    EXPECT_EQ(ScrollWindowEx(stripes, 0, 5, nullptr, nullptr, nullptr, &update, SW_INVALIDATE),
              SIMPLEREGION);
    EXPECT_EQ(update, Rect(0, 0, 100, 5));
    Pump();
    // Only the uncovered strip was painted; the rest moved down by 5.
    ASSERT_FALSE(stripes->ClipBoxes.empty());
    for (const TRect& r : stripes->ClipBoxes)
        EXPECT_EQ(r, Rect(0, 0, 100, 5));
    // A repaint of everything would show blue at 12; the moved stripe shows yellow.
    EXPECT_EQ(ScreenAt(stripes, 50, 12), clYellow);
    EXPECT_EQ(ScreenAt(stripes, 50, 16), clBlue);
    EXPECT_EQ(ScreenAt(stripes, 50, 2), clYellow);
}

// A memo holding a long text gives it up through a fresh document (its old lines freed on a
// worker, its old document a part at a time in the loop's later turns): whichever way the text
// goes, the memo shows what its lines say, keeps its font, tab stops and margin, takes appended
// lines and typed keys, and the form may go at once.
TEST_F(WindowStylesTest, ALongMemoClearedOrReplacedKeepsItsSettingsAndTakesInput) {
    struct Case {
        const char* Name;
        void (*Change)(TMemo*);
        const char* Lines; // what the lines say after the change
    };
    const Case cases[] = {
        {"Clear", [](TMemo* m) { m->Clear(); }, ""},
        {"SetText of nothing", [](TMemo* m) { m->SetText(""); }, ""},
        {"the lines' Clear", [](TMemo* m) { m->Lines()->Clear(); }, ""},
        {"SetText of other text", [](TMemo* m) { m->SetText("other\r\ntext"); },
         "other\r\ntext\r\n"},
    };
    std::string longText;
    for (int i = 0; i < 30000; ++i)
        longText += "line " + std::to_string(i) + "\tafter a tab\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        auto* memo = new TMemo(form);
        memo->SetParent(form);
        memo->SetBounds(10, 10, 300, 200);
        memo->SetScrollBars(TScrollStyle::ssBoth);
        memo->Font()->SetName("DejaVu Sans Mono");
        form->Show();
        Pump();
        auto* edit = dynamic_cast<QPlainTextEdit*>(memo->Widget());
        ASSERT_NE(edit, nullptr);
        edit->setTabStopDistance(56);
        memo->AppendLines(longText);
        Pump();
        const QFont font = edit->document()->defaultFont();
        const qreal margin = edit->document()->documentMargin();
        ASSERT_EQ(30000, edit->document()->blockCount());

        c.Change(memo);
        Pump();
        EXPECT_EQ(c.Lines, memo->Lines()->Text());
        QString shown = QString::fromStdString(c.Lines).replace("\r\n", "\n");
        shown.chop(shown.endsWith('\n') ? 1 : 0);
        EXPECT_EQ(shown, edit->toPlainText());
        EXPECT_EQ(font, edit->document()->defaultFont());
        EXPECT_EQ(56, edit->tabStopDistance());
        EXPECT_EQ(margin, edit->document()->documentMargin());
        EXPECT_EQ(QPlainTextEdit::NoWrap, edit->lineWrapMode());

        memo->AppendLines("added\r\n");
        EXPECT_EQ(std::string(c.Lines) + "added\r\n", memo->Lines()->Text());
        edit->setFocus();
        edit->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit, " typed");
        EXPECT_EQ("added typed", memo->Lines()->Get(memo->Lines()->Count() - 1));
        // Gone while the worker may still be freeing the old text.
        delete memo;
    }
}

// The document a long memo gives up is not freed in the turn that gives it up, where freeing
// a long report would stop the window: each later turn of the loop frees a part of it, and it
// is gone once the loop has had its turns. The memo shows its new text throughout.
TEST_F(WindowStylesTest, ALongMemosOldDocumentIsFreedAPartAtATime) {
    auto* memo = new TMemo(form);
    memo->SetParent(form);
    memo->SetBounds(10, 10, 300, 200);
    memo->SetScrollBars(TScrollStyle::ssBoth);
    form->Show();
    Pump();
    auto* edit = dynamic_cast<QPlainTextEdit*>(memo->Widget());
    ASSERT_NE(edit, nullptr);
    std::string longText;
    for (int i = 0; i < 60000; ++i)
        longText += "record " + std::to_string(i) + "\tdetails of the record\r\n";
    memo->AppendLines(longText);
    Pump();
    QPointer<QTextDocument> old = edit->document();
    const int lines = old->blockCount();
    ASSERT_EQ(60000, lines);

    memo->Clear();
    ASSERT_FALSE(old.isNull());
    EXPECT_NE(old.data(), edit->document());
    EXPECT_EQ("", edit->toPlainText());
    QCoreApplication::processEvents();
    ASSERT_FALSE(old.isNull());
    EXPECT_LT(old->blockCount(), lines);
    EXPECT_GT(old->blockCount(), 0);
    for (int turn = 0; turn < 100000 && !old.isNull(); ++turn) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(old.isNull());
    memo->AppendLines("after\r\n");
    EXPECT_EQ("after", edit->toPlainText());
    delete memo;
}
