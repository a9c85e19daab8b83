// The speed button as a person uses it: real presses and releases on the form, latching in a
// group, repeating while held, and the glyph drawer's rules and layout arithmetic.
#include "BvSpeedButton.h"
#include "GuiTestEnvironment.h"
#include "Menus.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

struct Fixture {
    TForm* form = MakeTestForm(300, 200);
    ~Fixture() { delete form; }
    TBvSpeedButton* Add(int left, int top, int clicks[] = nullptr) {
        auto* b = new TBvSpeedButton(form);
        b->SetParent(form);
        b->SetBounds(left, top, 40, 30);
        if (clicks)
            b->OnClick = [clicks](TObject*) { ++*clicks; };
        return b;
    }
    QWidget* Surface() { return form->ClientWidget(); }
    QPoint At(TControl* c, int x, int y) { return QPoint(c->Left() + x, c->Top() + y); }
    void Press(TControl* c, int x = 5, int y = 5) {
        QTest::mousePress(Surface(), Qt::LeftButton, {}, At(c, x, y));
    }
    void Move(TControl* c, int x, int y) { QTest::mouseMove(Surface(), At(c, x, y)); }
    void Release(TControl* c, int x = 5, int y = 5) {
        QTest::mouseRelease(Surface(), Qt::LeftButton, {}, At(c, x, y));
    }
    void Click(TControl* c) {
        Press(c);
        Release(c);
    }
};

TEST(SpeedButton, GroupLatchesOneButtonDown) {
    Fixture f;
    f.form->Show();
    int clicks = 0;
    TBvSpeedButton* a = f.Add(10, 10, &clicks);
    TBvSpeedButton* b = f.Add(60, 10, &clicks);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    f.Click(a);
    EXPECT_TRUE(a->Down());
    f.Click(b);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(clicks, 2);
    // Clicking the down button again keeps it down unless the group allows all up.
    f.Click(b);
    EXPECT_TRUE(b->Down());
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp()) << "the group shares AllowAllUp";
    f.Click(b);
    EXPECT_FALSE(b->Down());
    EXPECT_FALSE(a->Down());
}

TEST(SpeedButton, DownNeedsAGroup) {
    Fixture f;
    TBvSpeedButton* a = f.Add(10, 10);
    a->SetDown(true);
    EXPECT_FALSE(a->Down());
    a->SetGroupIndex(3);
    a->SetDown(true);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), TBvButtonState::rbsExclusive);
}

TEST(SpeedButton, ReleaseClicksOnlyInside) {
    struct Case {
        const char* name;
        TPoint moveTo; // where the pointer goes while held
        TPoint releaseAt;
        TBvButtonState heldState;
        int clicks;
    };
    // The button is 40 x 30; both edges past the last pixel are outside.
    const Case cases[] = {
        {"inside", {20, 15}, {20, 15}, TBvButtonState::rbsDown, 1},
        {"right of it", {60, 15}, {60, 15}, TBvButtonState::rbsUp, 0},
        {"right edge", {40, 15}, {40, 15}, TBvButtonState::rbsUp, 0},
        {"bottom edge", {20, 30}, {20, 30}, TBvButtonState::rbsUp, 0},
        {"last pixel", {39, 29}, {39, 29}, TBvButtonState::rbsDown, 1},
        {"out and back", {80, 80}, {10, 10}, TBvButtonState::rbsUp, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.form->Show();
        int clicks = 0;
        TBvSpeedButton* b = f.Add(10, 10, &clicks);
        f.Press(b);
        EXPECT_EQ(b->State(), TBvButtonState::rbsDown);
        f.Move(b, c.moveTo.X, c.moveTo.Y);
        EXPECT_EQ(b->State(), c.heldState);
        f.Release(b, c.releaseAt.X, c.releaseAt.Y);
        EXPECT_EQ(clicks, c.clicks);
        EXPECT_EQ(b->State(), TBvButtonState::rbsUp);
    }
}

TEST(SpeedButton, HeldButtonRepeatsOnTheTimer) {
    Fixture f;
    f.form->Show();
    int clicks = 0;
    TBvSpeedButton* b = f.Add(10, 10, &clicks);
    b->SetAllowTimer(true);
    b->InitPause = 400;
    b->RepeatInterval = 50;
    f.Press(b);
    ASSERT_NE(b->RepeatTimer(), nullptr);
    TTimer* timer = b->RepeatTimer();
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 400u);
    // Each tick of the repeat clock is one click while the pointer stays inside.
    timer->OnTimer()(timer);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(timer->Interval(), 50u);
    timer->OnTimer()(timer);
    EXPECT_EQ(clicks, 2);
    f.Move(b, 100, 100);
    timer->OnTimer()(timer);
    EXPECT_EQ(clicks, 2) << "no repeat while the pointer is outside";
    f.Move(b, 5, 5);
    timer->OnTimer()(timer);
    EXPECT_EQ(clicks, 3);
    f.Release(b);
    EXPECT_EQ(clicks, 4) << "the release inside clicks once more";
    EXPECT_FALSE(timer->Enabled());
    b->SetAllowTimer(false);
    EXPECT_EQ(b->RepeatTimer(), nullptr);
}

TEST(SpeedButton, RepeatStopsWhenTheClickFails) {
    Fixture f;
    f.form->Show();
    TBvSpeedButton* b = f.Add(10, 10);
    b->SetAllowTimer(true);
    f.Press(b);
    b->OnClick = [](TObject*) { throw EBvException("command failed"); };
    TTimer* timer = b->RepeatTimer();
    EXPECT_THROW(timer->OnTimer()(timer), EBvException);
    EXPECT_FALSE(timer->Enabled());
    b->OnClick = nullptr;
    f.Release(b);
}

TEST(SpeedButton, ClickHandlerMayFreeOrHideTheButton) {
    for (bool free : {true, false}) {
        SCOPED_TRACE(free ? "freed" : "hidden");
        Fixture f;
        f.form->Show();
        TBvSpeedButton* b = f.Add(10, 10);
        bool ran = false;
        b->OnClick = [&, b](TObject*) {
            ran = true;
            if (free)
                delete b;
            else
                b->Hide();
        };
        f.Click(b);
        EXPECT_TRUE(ran);
        if (!free) {
            EXPECT_FALSE(b->Visible());
            EXPECT_EQ(b->State(), TBvButtonState::rbsUp);
        }
        EXPECT_EQ(f.form->ControlCount(), free ? 0 : 1);
    }
}

// A speed button with a drop-down menu beside a plain one, as on the toolbar.
struct DropDownFixture : Fixture {
    TBvSpeedButton* menuButton = Add(10, 10);
    TBvSpeedButton* other = Add(100, 10);
    TPopupMenu* menu = new TPopupMenu(form);
    int opens = 0, chosen = 0, otherClicks = 0;
    DropDownFixture() {
        for (const char* caption : {"Add files...", "Add folder..."}) {
            auto* item = new TMenuItem(menu);
            item->SetCaption(caption);
            item->OnClick = [this](TObject*) { ++chosen; };
            menu->Items()->Add(item);
        }
        menu->OnPopup = [this](TObject*) { ++opens; };
        menuButton->SetDropDownMenu(menu);
        other->OnClick = [this](TObject*) { ++otherClicks; };
        form->Show();
        PumpEvents();
    }
    // The press opens the menu; the release of the same click follows it.
    QWidget* OpenByClick() {
        Press(menuButton);
        PumpEvents();
        Release(menuButton);
        PumpEvents();
        return QApplication::activePopupWidget();
    }
};

// However the menu closes, the button gives the mouse back: the form takes the next
// clicks, and every click on the button opens the menu once.
TEST(SpeedButtonDropDown, TheMenuGivesTheMouseBackHoweverItCloses) {
    enum class TClose { Escape, ClickOutside, ChooseItem };
    const struct {
        const char* name;
        TClose close;
        int chosen;
    } cases[] = {
        {"escape", TClose::Escape, 0},
        {"a click outside", TClose::ClickOutside, 0},
        {"an item chosen", TClose::ChooseItem, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DropDownFixture f;
        QWidget* popup = f.OpenByClick();
        ASSERT_NE(popup, nullptr) << "the press opens the menu";
        EXPECT_EQ(f.opens, 1);
        switch (c.close) {
        case TClose::Escape:
            QTest::keyClick(popup, Qt::Key_Escape);
            break;
        case TClose::ClickOutside:
            QTest::mouseClick(f.Surface(), Qt::LeftButton, {}, QPoint(250, 150));
            break;
        case TClose::ChooseItem:
            QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(20, 8));
            break;
        }
        PumpEvents();
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "the menu closed";
        EXPECT_EQ(f.chosen, c.chosen);
        EXPECT_EQ(GetCaptureControl(), nullptr) << "the button still holds the mouse";
        EXPECT_EQ(f.menuButton->State(), TBvButtonState::rbsUp);

        f.Click(f.other);
        PumpEvents();
        EXPECT_EQ(f.otherClicks, 1) << "the form takes clicks again";
        EXPECT_EQ(f.opens, 1) << "a click elsewhere opened the menu";

        for (int again = 2; again <= 3; ++again) {
            popup = f.OpenByClick();
            ASSERT_NE(popup, nullptr) << "click " << again << " opens the menu";
            EXPECT_EQ(f.opens, again);
            QTest::keyClick(popup, Qt::Key_Escape);
            PumpEvents();
        }
        EXPECT_EQ(GetCaptureControl(), nullptr);
    }
}

// A left-aligned menu opens under the button's left edge whatever the caption's
// alignment; a right-aligned one ends at its right edge.
TEST(SpeedButtonDropDown, TheMenuOpensAtTheEdgeItsAlignmentNames) {
    const struct {
        const char* name;
        TPopupAlignment menuAlign;
        TAlignment caption;
    } cases[] = {
        {"left menu, centred caption", TPopupAlignment::paLeft, TAlignment::taCenter},
        {"left menu, right caption", TPopupAlignment::paLeft, TAlignment::taRightJustify},
        {"right menu, left caption", TPopupAlignment::paRight, TAlignment::taLeftJustify},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DropDownFixture f;
        // Away from the screen's left edge: a right-aligned menu ending at a button there
        // would be moved to stay on the screen.
        f.form->SetLeft(200);
        PumpEvents();
        f.menu->Alignment = c.menuAlign;
        f.menuButton->SetAlignment(c.caption);
        QWidget* popup = f.OpenByClick();
        ASSERT_NE(popup, nullptr);
        const QPoint buttonTopLeft =
            f.Surface()->mapToGlobal(QPoint(f.menuButton->Left(), f.menuButton->Top()));
        const QRect at = popup->geometry();
        EXPECT_EQ(at.top(), buttonTopLeft.y() + f.menuButton->Height());
        if (c.menuAlign == TPopupAlignment::paLeft)
            EXPECT_EQ(at.left(), buttonTopLeft.x() - 1);
        else
            EXPECT_EQ(at.left() + at.width(), buttonTopLeft.x() + f.menuButton->Width() + 1);
        QTest::keyClick(popup, Qt::Key_Escape);
        PumpEvents();
    }
}

TEST(SpeedButton, ModalResultGoesToTheForm) {
    Fixture f;
    f.form->Show();
    TBvSpeedButton* b = f.Add(10, 10);
    b->ModalResult = mrOk;
    f.Click(b);
    EXPECT_EQ(f.form->ModalResult(), mrOk);
}

TEST(ButtonGlyph, NumGlyphsFollowsTheBitmap) {
    struct Case {
        int width, height;
        int before; // NumGlyphs set before the bitmap
        int after;
    };
    const Case cases[] = {
        {64, 16, 1, 4},  // four parts side by side
        {16, 16, 3, 1},  // square: one
        {80, 16, 1, 5},  // five at most
        {112, 16, 1, 1}, // seven would be more than five: one
        {30, 16, 2, 2},  // not a multiple of the height: unchanged
        {0, 0, 3, 3},    // empty: unchanged, nothing divided
        {0, 16, 2, 2},   {16, 0, 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        TBvxButtonGlyph glyph;
        glyph.SetNumGlyphs(c.before);
        TColor transparent = glyph.TransparentColor();
        TBitmap bmp(c.width, c.height);
        if (c.width > 0 && c.height > 0) {
            bmp.Canvas()->Brush()->SetColor(clLime);
            bmp.Canvas()->FillRect(Rect(0, 0, c.width, c.height));
        }
        glyph.SetGlyph(&bmp);
        EXPECT_EQ(glyph.NumGlyphs(), c.after);
        if (c.width == 0 || c.height == 0) {
            EXPECT_EQ(glyph.TransparentColor(), transparent);
            EXPECT_EQ(glyph.StateImage(TBvButtonState::rbsDisabled), nullptr);
        } else {
            EXPECT_EQ(glyph.TransparentColor(), ColorToRGB(clLime) & 0xFFFFFF);
        }
    }
    TBvxButtonGlyph glyph;
    glyph.SetNumGlyphs(9);
    EXPECT_EQ(glyph.NumGlyphs(), 5);
    glyph.SetNumGlyphs(0);
    EXPECT_EQ(glyph.NumGlyphs(), 5);
}

TEST(ButtonGlyph, EmptyGlyphPaintsWithoutTouchingPixels) {
    Fixture f;
    f.form->Show();
    TBvSpeedButton* b = f.Add(10, 10);
    TBitmap empty;
    b->SetGlyph(&empty);
    b->SetFlat(true);
    b->SetEnabled(false);
    b->SetCaption("Empty");
    f.form->Repaint();
    f.Surface()->grab();
    EXPECT_EQ(b->NumGlyphs(), 1);
}

TEST(ButtonGlyph, InactiveImageIsGreyButKeepsTransparentAndFaceColours) {
    // 3 x 2 is not a multiple of its height: one glyph part.
    TBitmap bmp(3, 2);
    bmp.Canvas()->Brush()->SetColor(RGB(200, 0, 0));
    bmp.Canvas()->FillRect(Rect(0, 0, 3, 2));
    bmp.SetPixel(1, 0, RGB(255, 0, 255));
    bmp.SetPixel(2, 0, clBtnFace);
    TBvxButtonGlyph glyph;
    glyph.SetGlyph(&bmp); // the bottom-left pixel makes red the transparent colour
    ASSERT_EQ(glyph.NumGlyphs(), 1);
    TBitmap* grey = glyph.StateImage(TBvButtonState::rbsInactive);
    ASSERT_NE(grey, nullptr);
    int g = (77 * 255 + 150 * 0 + 29 * 255) >> 8;
    EXPECT_EQ(grey->Pixel(0, 0) & 0xFFFFFF, RGB(200, 0, 0));
    EXPECT_EQ(grey->Pixel(1, 0) & 0xFFFFFF, RGB(g, g, g));
    EXPECT_EQ(grey->Pixel(2, 0) & 0xFFFFFF, ColorToRGB(clBtnFace) & 0xFFFFFF);
}

TEST(ButtonGlyph, LayoutArithmetic) {
    TBitmap surface(200, 200);
    UseTestFont(surface.Canvas()->Font());
    TCanvas* canvas = surface.Canvas();
    int tw = canvas->TextWidth("Ab"), th = canvas->TextHeight("Ab");
    struct Case {
        const char* name;
        TRect client;
        TPoint offset;
        const char* caption;
        TButtonLayout layout;
        int margin, spacing;
        bool mark;
        TPoint glyph;
        TPoint text; // top-left of the caption's rectangle (when there is a caption)
    };
    using L = TButtonLayout;
    const Case cases[] = {
        {"left, centred, no text",
         Rect(0, 0, 40, 30),
         {0, 0},
         "",
         L::blGlyphLeft,
         -1,
         4,
         false,
         {12, 7},
         {}},
        {"right, margin 3",
         Rect(0, 0, 40, 30),
         {0, 0},
         "",
         L::blGlyphRight,
         3,
         4,
         false,
         {21, 7},
         {}},
        {"top, automatic spacing",
         Rect(0, 0, 40, 30),
         {0, 0},
         "",
         L::blGlyphTop,
         -1,
         -1,
         false,
         {12, 7},
         {}},
        {"bottom, margin 2",
         Rect(0, 0, 40, 30),
         {0, 0},
         "",
         L::blGlyphBottom,
         2,
         1,
         false,
         {12, 12},
         {}},
        {"pressed offset",
         Rect(5, 5, 45, 35),
         {1, 1},
         "",
         L::blGlyphLeft,
         0,
         4,
         false,
         {6, 13},
         {}},
        {"left with caption",
         Rect(0, 0, 80, 30),
         {0, 0},
         "Ab",
         L::blGlyphLeft,
         -1,
         4,
         false,
         {40 - (16 + 4 + tw) / 2, 7},
         {40 - (16 + 4 + tw) / 2 + 20, 15 - th / 2}},
        {"top with caption",
         Rect(0, 0, 72, 85),
         {0, 0},
         "Ab",
         L::blGlyphTop,
         -1,
         4,
         false,
         {28, 42 - (16 + 4 + th) / 2},
         {36 - tw / 2, 42 - (16 + 4 + th) / 2 + 20}},
        {"both automatic",
         Rect(0, 0, 72, 85),
         {0, 0},
         "Ab",
         L::blGlyphTop,
         -1,
         -1,
         false,
         {28, (85 - (16 + th)) / 3},
         {36 - tw / 2, 2 * ((85 - (16 + th)) / 3) + 16}},
        {"margin given, spacing automatic",
         Rect(0, 0, 80, 30),
         {0, 0},
         "Ab",
         L::blGlyphLeft,
         2,
         -1,
         false,
         {2, 7},
         {2 + 16 + ((80 - 2 - 16) / 2 - tw / 2), 15 - th / 2}},
        {"mark widens the glyph",
         Rect(0, 0, 40, 30),
         {0, 0},
         "",
         L::blGlyphTop,
         -1,
         4,
         true,
         {9, 7},
         {}},
    };
    TBvxButtonGlyph glyph;
    TBitmap bmp(16, 16);
    glyph.SetGlyph(&bmp);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBvButtonLayoutResult r =
            glyph.CalcButtonLayout(canvas, c.client, c.offset, c.caption, c.layout, c.margin,
                                   c.spacing, c.mark, nullptr, -1);
        EXPECT_EQ(r.GlyphPos.X, c.glyph.X);
        EXPECT_EQ(r.GlyphPos.Y, c.glyph.Y);
        if (*c.caption) {
            EXPECT_EQ(r.TextBounds.Left, c.text.X);
            EXPECT_EQ(r.TextBounds.Top, c.text.Y);
            EXPECT_EQ(r.TextBounds.Width(), tw);
        }
    }
}

TEST(ButtonGlyph, LongCaptionIsShortenedToItsRoom) {
    TBitmap surface(10, 10);
    UseTestFont(surface.Canvas()->Font());
    TBvxButtonGlyph glyph;
    TBvButtonLayoutResult r = glyph.CalcButtonLayout(
        surface.Canvas(), Rect(0, 0, 40, 30), {0, 0}, "A caption far too long  \n",
        TButtonLayout::blGlyphTop, -1, 4, false, nullptr, -1);
    EXPECT_LE(surface.Canvas()->TextWidth(r.Caption), 40);
    EXPECT_NE(r.Caption.find("..."), std::string::npos);
    EXPECT_NE(r.Caption.back(), '\n');
}

} // namespace
