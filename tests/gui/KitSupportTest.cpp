#include "BvDrawUtils.h"
#include "BvExExtCtrls.h"
#include "BvExMask.h"
#include "BvExStdCtrls.h"
#include "BvSplitter.h"
#include "BvThemes.h"
#include "GuiTestEnvironment.h"
#include "RtRTTI.h"
#include "WinApi.h"

#include <QCoreApplication>
#include <chrono>

#include <gtest/gtest.h>

namespace {

class KitSupportTest : public ::testing::Test {
protected:
    void SetUp() override { form = MakeTestForm(200, 150); }
    void TearDown() override {
        delete form;
        Application->ProcessMessages();
    }
    TForm* form = nullptr;
};

// A parent whose hint handling picks a colour of its own.
void ParentPicksHintColour(TWinControl* parent, TColor colour, TWndMethod& old) {
    old = parent->WindowProc;
    parent->WindowProc = [&old, colour](TMessage& m) {
        if (m.Msg == CM_HINTSHOW) {
            reinterpret_cast<THintInfo*>(m.LParam)->HintColor = colour;
            return;
        }
        old(m);
    };
}

TEST_F(KitSupportTest, HintColourFollowsParentApplicationOrOwnSetting) {
    auto* list = new TBvExCustomListBox(form);
    list->SetParent(form);
    TWndMethod old;
    ParentPicksHintColour(form, clLime, old);
    Application->HintColor = clAqua;
    struct Case {
        TColor Setting, Expected;
    } cases[] = {{clDefault, clLime}, {clNone, clAqua}, {clRed, clRed}};
    for (const auto& c : cases) {
        list->HintColor = c.Setting;
        THintInfo info;
        info.HintColor = clYellow;
        list->Perform(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&info));
        EXPECT_EQ(info.HintColor, c.Expected);
    }
    form->WindowProc = old;
    // Without a parent the framework's choice stays.
    auto* lone = new TBvExCustomListBox(form);
    THintInfo info;
    info.HintColor = clYellow;
    lone->Perform(CM_HINTSHOW, 0, reinterpret_cast<intptr_t>(&info));
    EXPECT_EQ(info.HintColor, clYellow);
    delete lone;
}

TEST_F(KitSupportTest, HintWindowShowsTheShortHintInTheResolvedColour) {
    auto* list = new TBvExCustomListBox(form);
    list->SetParent(form);
    list->SetHint("Tracks|All tracks of the list");
    list->SetShowHint(true);
    list->HintColor = clRed;
    std::string longHint;
    Application->OnHint = [&](TObject*) { longHint = Application->Hint(); };
    Application->HintMouseMessage(list);
    EXPECT_EQ(longHint, "All tracks of the list");
    Application->ActivateHint(list, {10, 10});
    THintWindow* hint = Application->HintWindow();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(hint->Caption(), "Tracks");
    EXPECT_EQ(hint->Color(), clRed);
    EXPECT_EQ(hint->Top(), 30);
    Application->HintMouseMessage(nullptr);
    EXPECT_EQ(longHint, "");
    Application->OnHint = nullptr;
}

TEST_F(KitSupportTest, MouseEnterAndLeaveEventsSeeTheMouseOverState) {
    auto* panel = new TBvCustomPanel(form);
    panel->SetParent(form);
    std::vector<std::string> log;
    panel->OnMouseEnter = [&](TObject*) {
        log.push_back(panel->MouseOver() ? "enter:over" : "enter");
    };
    panel->OnMouseLeave = [&](TObject*) {
        log.push_back(panel->MouseOver() ? "leave:over" : "leave");
    };
    // The stock leave handling tells the parent before the event fires.
    TWndMethod old = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == CM_MOUSELEAVE)
            log.push_back("parent-leave");
        old(m);
    };
    panel->Perform(CM_MOUSEENTER, 0, 0);
    panel->Perform(CM_MOUSELEAVE, 0, 0);
    form->WindowProc = old;
    EXPECT_EQ(log, (std::vector<std::string>{"enter:over", "parent-leave", "leave"}));
}

TEST_F(KitSupportTest, DialogCodesChangeOnlyWhenNativeIsDropped) {
    struct TCodes : TBvCustomControl {
        using TBvCustomControl::TBvCustomControl;
        bool DropNative = false;
        void WndProc(TMessage& m) override { TBvCustomControl::WndProc(m); }
        void AdjustDialogCodes(TDialogCodes& codes) override {
            codes |= dcWantTab;
            if (DropNative)
                codes &= ~dcNative;
        }
        // The stock answer of this control.
        bool HandleMessage(TMessage& m) override {
            if (m.Msg == WM_GETDLGCODE) {
                m.Result = DLGC_WANTARROWS | 0x100;
                return true;
            }
            return TBvCustomControl::HandleMessage(m);
        }
    };
    auto* c = new TCodes(form);
    EXPECT_EQ(c->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | 0x100);
    c->DropNative = true;
    EXPECT_EQ(c->Perform(WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTTAB);
    EXPECT_EQ(ShiftStateToKeyData(ssAlt | ssShift), 0x28000000);
}

TEST_F(KitSupportTest, EditMemberObeysOnlyItsClipboardCommands) {
    auto* edit = new TBvExCustomMaskEdit(form);
    edit->SetParent(form);
    edit->SetText("keep");
    edit->SetClipboardCommands(caCopy | caCut | caClear | caUndo);
    EXPECT_EQ(edit->Perform(WM_PASTE, 0, 0), 1);
    EXPECT_EQ(edit->GetText(), "keep");
    edit->SelectAll();
    edit->Perform(WM_CLEAR, 0, 0);
    EXPECT_EQ(edit->GetText(), "");
}

TEST_F(KitSupportTest, GraphicMemberLeavesWindowedMessagesToTheStockControl) {
    struct TGraphic : TBvGraphicControl {
        using TBvGraphicControl::TBvGraphicControl;
        int resized = 0;
        void Resized() override { ++resized; }
    };
    auto* g = new TGraphic(form);
    g->SetParent(form);
    g->Perform(WM_SIZE, 0, 0);
    EXPECT_EQ(g->resized, 0);
    EXPECT_EQ(g->Perform(CM_DENYSUBCLASSING, 0, 0), 0);
}

TEST_F(KitSupportTest, SplitterMovesACollapsedNeighbourBeforeItAndResizesIt) {
    form->SetBounds(0, 0, 300, 100);
    auto* splitter = new TBvSplitter(form);
    splitter->SetParent(form);
    auto* collapsed = new TPanel(form);
    collapsed->SetParent(form);
    collapsed->SetLeft(10);
    collapsed->SetWidth(0);
    collapsed->SetAlign(TAlign::alLeft);
    ASSERT_EQ(splitter->Left(), 0);
    ASSERT_EQ(collapsed->Left(), 3);
    // The collapsed panel lies after the splitter: a press moves it before, then it resizes.
    form->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 10));
    EXPECT_EQ(collapsed->Left(), 0);
    EXPECT_EQ(splitter->Left(), 0);
    form->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(41, 10));
    form->Perform(WM_LBUTTONUP, 0, MakeLParam(41, 10));
    EXPECT_EQ(collapsed->Width(), 40);
    EXPECT_EQ(splitter->Left(), 40);
    EXPECT_NE(splitter->ControlStyle & csParentBackground, 0u);

    // A right-aligned splitter is never corrected.
    auto* right = new TBvSplitter(form);
    right->SetAlign(TAlign::alRight);
    right->SetParent(form);
    auto* rc = new TPanel(form);
    rc->SetParent(form);
    rc->SetAlign(TAlign::alRight);
    rc->SetWidth(0);
    int before = rc->Left();
    right->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1));
    right->Perform(WM_LBUTTONUP, 0, MakeLParam(1, 1));
    EXPECT_EQ(rc->Left(), before);
}

TEST_F(KitSupportTest, ThemesOffFillWithTheColourAndParentEraseShiftsEachAxis) {
    EXPECT_FALSE(ThemeServices()->ThemesEnabled());
    TBitmap bmp(6, 6);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetColor(form->Color());
    panel->ControlStyle |= csParentBackground;
    DrawThemedBackground(panel, bmp.Canvas(), Rect(0, 0, 6, 6), true, clRed);
    EXPECT_EQ(bmp.Pixel(5, 5), clRed);

    // The parent paints marks at its logical (3, 10) and (13, 3); a child at (3, 10) must see the
    // first at (0, 0), and never the second (it would sit at (10, -7), only if the axes mixed).
    TWndMethod old = form->WindowProc;
    form->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_ERASEBKGND) {
            auto* dc = reinterpret_cast<TCanvas*>(m.WParam);
            dc->Pen()->SetColor(clBlue);
            dc->SetPixel(3, 10, clBlue);
            dc->SetPixel(13, 3, clGreen);
            dc->SetPixel(10, 3, clGreen);
            m.Result = 1;
            return;
        }
        old(m);
    };
    panel->SetBounds(3, 10, 20, 20);
    TBitmap target(6, 6);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(Rect(0, 0, 6, 6));
    target.Canvas()->Pen()->SetColor(clRed);
    PerformEraseBackground(panel, target.Canvas());
    form->WindowProc = old;
    EXPECT_EQ(target.Pixel(0, 0), clBlue);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            if (x || y) {
                EXPECT_EQ(target.Pixel(x, y), clWhite) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(target.Canvas()->WindowOrg(), (TPoint{0, 0}));
    EXPECT_EQ(target.Canvas()->Pen()->Color(), clRed);
}

TEST_F(KitSupportTest, PrintClientKeepsTheContextState) {
    struct TChanger : TCustomControl {
        using TCustomControl::TCustomControl;
        void Paint() override {}
        void PaintWindow(TCanvas& c) override {
            c.Pen()->SetColor(clLime);
            c.IntersectClip(Rect(0, 0, 1, 1));
        }
    };
    auto* c = new TChanger(form);
    TBitmap bmp(4, 4);
    InitThemeSupport();
    c->Perform(WM_PRINTCLIENT, reinterpret_cast<intptr_t>(bmp.Canvas()), 0);
    DoneThemeSupport();
    EXPECT_EQ(bmp.Canvas()->Pen()->Color(), clBlack);
    EXPECT_FALSE(bmp.Canvas()->HasClip());
}

TEST(DrawUtils, GradientBandsAndOnePixelRects) {
    TBitmap bmp(3, 10);
    GradientFillRect(bmp.Canvas(), Rect(0, 0, 3, 10), clBlack, clWhite, 0, 4);
    std::vector<TColor> column;
    for (int y = 0; y < 10; ++y)
        column.push_back(bmp.Pixel(1, y));
    EXPECT_EQ(column,
              (std::vector<TColor>{RGB(0, 0, 0), RGB(0, 0, 0), RGB(85, 85, 85), RGB(85, 85, 85),
                                   RGB(170, 170, 170), RGB(170, 170, 170), RGB(255, 255, 255),
                                   RGB(255, 255, 255), clWhite, clWhite}));
    GradientFillRect(bmp.Canvas(), Rect(0, 0, 3, 10), clRed, clBlue, 0, 1);
    EXPECT_EQ(bmp.Pixel(2, 9), clRed);
    // One pixel high or wide: no bands fit, the end colour fills it, nothing divides by zero.
    TBitmap line(5, 1);
    GradientFillRect(line.Canvas(), Rect(0, 0, 5, 1), clRed, clBlue, 0, 16);
    EXPECT_EQ(line.Pixel(0, 0), clBlue);
    TBitmap column1(1, 5);
    GradientFillRect(column1.Canvas(), Rect(0, 0, 1, 5), clRed, clBlue, 3, 16);
    EXPECT_EQ(column1.Pixel(0, 4), clRed);
}

TEST(DrawUtils, MinimizeTextAndTransparentBitmaps) {
    TCanvas c;
    UseTestFont(c.Font());
    EXPECT_EQ(MinimizeText("short", &c, 1000), "short");
    std::string cut = MinimizeText("a rather long caption", &c, c.TextWidth("a rather..."));
    EXPECT_EQ(cut, "a rather...");
    EXPECT_EQ(MinimizeText("a rather long caption", &c, 1), "...");
    // The longest start (whole characters, also of several bytes) that fits before "...", as
    // a search from the end finds it: a short text at every width, and a long one (cut from
    // an estimate) at a spread of widths.
    struct TMinimizeCase {
        std::string Text;
        int Step;
    };
    std::string longText;
    while (longText.size() < 200)
        longText += "Artist \xE2\x80\x93 Title (Live) \xC3\xBC ";
    const TMinimizeCase minimizeCases[] = {
        {"\xC3\x9C"
         "ber Gr\xC3\xB6\xC3\x9F"
         "e \xD0\x9F\xD1\x80\xD0\xB8 caption",
         1},
        {longText, 61},
    };
    for (const auto& mc : minimizeCases) {
        const std::string& text = mc.Text;
        std::vector<size_t> starts;
        for (size_t i = 0; i < text.size(); ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                starts.push_back(i);
        for (int width = 0; width < c.TextWidth(text) + 5; width += mc.Step) {
            std::string expected = text;
            if (c.TextWidth(text) > width) {
                expected = "...";
                for (size_t keep = starts.size() - 2; keep > 0; --keep)
                    if (c.TextWidth(text.substr(0, starts[keep]) + "...") <= width) {
                        expected = text.substr(0, starts[keep]) + "...";
                        break;
                    }
            }
            EXPECT_EQ(MinimizeText(text, &c, width), expected) << "width " << width;
        }
    }
    EXPECT_TRUE(PtInRectInclusive(Rect(0, 0, 2, 2), {2, 2}));

    TBitmap pic(2, 2);
    pic.SetPixel(0, 0, clRed);
    pic.SetPixel(1, 0, clBlue);
    pic.SetPixel(0, 1, clLime);
    pic.SetPixel(1, 1, clLime);
    TBitmap dest(2, 2);
    dest.Canvas()->Brush()->SetColor(clWhite);
    dest.Canvas()->FillRect(Rect(0, 0, 2, 2));
    DrawTransparentBitmap(dest.Canvas(), 0, 0, &pic, clDefault);
    EXPECT_EQ(dest.Pixel(0, 0), clRed);
    EXPECT_EQ(dest.Pixel(1, 0), clBlue);
    EXPECT_EQ(dest.Pixel(0, 1), clWhite);

    TBitmap cell;
    AssignBitmapCell(&pic, &cell, 2, 1, 1);
    EXPECT_EQ(cell.Width(), 1);
    EXPECT_EQ(cell.Pixel(0, 0), clBlue);
}

TEST(Rtti, SetTextRoundTripsAndRefusesWhatIsOutside) {
    TTypeInfo colour{TTypeKind::tkEnumeration,
                     "TPart",
                     TOrdType::otUByte,
                     0,
                     3,
                     {"ptHead", "ptBody", "ptTail", "ptFoot"},
                     nullptr,
                     "Test",
                     0};
    TTypeInfo set{TTypeKind::tkSet, "TParts", TOrdType::otUByte, 0, 0, {}, &colour, "Test", 0};
    TSetValue v = 0b1011;
    EXPECT_EQ(SetToText(&set, v, true, false), "[ptHead, ptBody, ptFoot]");
    EXPECT_EQ(SetToText(&set, 0b0111, false, true), "ptHead .. ptTail");
    TSetValue back = 0;
    TextToSet(&set, back, "[ptHead, ptBody, ptFoot]");
    EXPECT_EQ(back, v);
    TextToSet(&set, back, "[]");
    EXPECT_EQ(back, 0u);
    TextToSet(&set, back, "ptBody .. ptFoot");
    EXPECT_EQ(back, 0b1110u);
    TextToSet(&set, back, "[0, 2]");
    EXPECT_EQ(back, 0b0101u);
    EXPECT_THROW(TextToSet(&set, back, "[4]"), ERtRTTIError);
    EXPECT_THROW(TextToSet(&set, back, "[-1]"), ERtRTTIError);
    EXPECT_THROW(TextToSet(&set, back, "[ptNeck]"), ERtRTTIError);
    EXPECT_EQ(GetEnumName(&colour, 7), "Value out of range (ordinal=7).");

    // A set over 0..99 cannot be held in a set value: refused both ways, no shift past 64.
    TTypeInfo small{
        TTypeKind::tkInteger, "TSmall", TOrdType::otUByte, 0, 99, {}, nullptr, "Test", 0};
    TTypeInfo wide{TTypeKind::tkSet, "TSmalls", TOrdType::otUByte, 0, 0, {}, &small, "Test", 0};
    EXPECT_THROW(TextToSet(&wide, back, "[70]"), ERtRTTIError);
    EXPECT_THROW(SetToText(&wide, ~TSetValue{0}, false, true), ERtRTTIError);

    TStringList lines;
    TRtStringsWriter writer(&lines);
    TypeInfoObject(&set)->WriteDeclaration(writer);
    EXPECT_EQ(lines[0], "TParts = set of TPart; // otUByte");
    TypeInfoObject(&colour)->WriteDeclaration(writer);
    EXPECT_EQ(lines[1], "TPart = (ptHead, ptBody, ptTail, ptFoot); // otUByte");
    lines.Clear();
    TypeInfoObject(&colour)->WriteDescription(writer);
    EXPECT_EQ(lines[1], "Type kind: tkEnumeration");
    EXPECT_EQ(lines.Get(lines.Count() - 1), "Names: (ptHead, ptBody, ptTail, ptFoot)");
}

} // namespace

namespace {

TEST(WinApi, WindowTimersPointsAndRectangles) {
    TForm* form = MakeTestForm(200, 100);
    form->SetBounds(30, 40, 200, 100);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 20, 50, 30);
    TRect r;
    ASSERT_TRUE(GetWindowRect(panel, &r));
    EXPECT_EQ(r, Rect(40, 60, 90, 90));
    TPoint p{1, 2};
    MapWindowPoints(panel, nullptr, &p, 1);
    EXPECT_EQ(p, (TPoint{41, 62}));
    MapWindowPoints(nullptr, form, &p, 1);
    EXPECT_EQ(p, (TPoint{11, 22}));

    int ticks = 0;
    TWndMethod old = panel->WindowProc;
    panel->WindowProc = [&](TMessage& m) {
        if (m.Msg == WM_TIMER && m.WParam == 7 && ++ticks == 2)
            KillTimer(panel, 7);
        old(m);
    };
    ASSERT_EQ(SetTimer(panel, 7, 1), 7u);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks < 2 && std::chrono::steady_clock::now() < deadline) {
        Application->ProcessMessages();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(KillTimer(panel, 7));
    SetTimer(panel, 8, 1000);
    delete form;
    // The timer of a window that is gone stops by itself.
    Application->ProcessMessages();
}

} // namespace
