// The drawn popup menu's track button, its reading order taken from the control under the
// point, automatic accelerators and separator reduction, Assign of those settings, and F1 on
// an item asking the help hook for its topic.
#include "BvMenus.h"
#include "ExtCtrls.h"
#include "GuiTestEnvironment.h"
#include "StdCtrls.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct PopupForm {
    TForm* form = MakeTestForm(400, 300);
    TPanel* panel = new TPanel(form);
    TBvPopupMenu* menu = new TBvPopupMenu(form);
    TMenuItem* first = new TMenuItem(form);
    TMenuItem* second = new TMenuItem(form);
    std::vector<std::string> chosen;
    PopupForm() {
        panel->SetParent(form);
        panel->SetBounds(200, 0, 200, 300);
        menu->SetStyle(TBvMenuStyle::msXP);
        first->SetCaption("&First");
        second->SetCaption("&Second");
        first->OnClick = [this](TObject*) { chosen.push_back("first"); };
        second->OnClick = [this](TObject*) { chosen.push_back("second"); };
        menu->Items()->Add(first);
        menu->Items()->Add(second);
        form->Show();
        PumpEvents();
    }
    ~PopupForm() {
        CloseMenus();
        SysLocale.MiddleEast = false;
        Application->OnHelp = nullptr;
        delete form;
        PumpEvents();
    }
    QWidget* Open(TPoint screen) {
        menu->Popup(screen.X, screen.Y);
        PumpEvents();
        return ActiveMenuWindow();
    }
};

// tbRightButton (the default) lets the right button choose an item; tbLeftButton only the left.
TEST(BvPopupTrackButton, TheRightButtonChoosesOnlyWithTbRightButton) {
    PopupForm f;
    TPoint at = f.form->ClientToScreen({20, 20});
    QWidget* popup = f.Open(at);
    ASSERT_NE(popup, nullptr);
    QTest::mouseClick(popup, Qt::RightButton, {}, QPoint(30, 8));
    PumpEvents();
    EXPECT_EQ(f.chosen, std::vector<std::string>{"first"});

    f.menu->TrackButton = TTrackButton::tbLeftButton;
    popup = f.Open(at);
    ASSERT_NE(popup, nullptr);
    QTest::mouseClick(popup, Qt::RightButton, {}, QPoint(30, 8));
    PumpEvents();
    EXPECT_EQ(f.chosen.size(), 1u) << "the right button chooses nothing";
    ASSERT_EQ(ActiveMenuWindow(), popup) << "and the menu stays open";
    QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(30, 8));
    PumpEvents();
    EXPECT_EQ(f.chosen, (std::vector<std::string>{"first", "first"}));
}

// The alignment flags: mirrored when the popup reads right to left, and the button flag.
TEST(BvPopupTrackButton, TrackFlagsTable) {
    struct Case {
        TPopupAlignment Align;
        TTrackButton Button;
        bool Rtl;
        uint32_t Flags;
    } cases[] = {
        {TPopupAlignment::paLeft, TTrackButton::tbRightButton, false, 0 | 2},
        {TPopupAlignment::paRight, TTrackButton::tbRightButton, false, 8 | 2},
        {TPopupAlignment::paCenter, TTrackButton::tbLeftButton, false, 4},
        {TPopupAlignment::paLeft, TTrackButton::tbLeftButton, true, 8},
        {TPopupAlignment::paRight, TTrackButton::tbLeftButton, true, 0},
        {TPopupAlignment::paCenter, TTrackButton::tbRightButton, true, 4 | 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PopupTrackFlags(c.Align, c.Button, c.Rtl), c.Flags)
            << static_cast<int>(c.Align) << " " << c.Rtl;
}

// On a right-to-left locale a menu that follows its parent takes the mode of the control
// under the point for the popup: it opens to the left of the point and draws mirrored while
// open; its ParentBiDiMode comes back when it closes. Elsewhere the point's control does not count.
TEST(BvPopupReadingOrder, ThePopupReadsAsTheControlUnderThePoint) {
    PopupForm f;
    // Away from the screen's left edge: a popup that opens to the left of a point near it
    // would be flipped to the right to stay on the screen.
    f.form->SetLeft(300);
    PumpEvents();
    f.panel->SetBiDiMode(TBiDiMode::bdRightToLeft);
    EXPECT_EQ(f.menu->BiDiMode(), TBiDiMode::bdLeftToRight);
    TBiDiMode during = TBiDiMode::bdLeftToRight;
    f.menu->OnPopup = [&](TObject*) { during = f.menu->BiDiMode(); };
    TPoint overPanel = f.form->ClientToScreen({300, 40});

    QWidget* popup = f.Open(overPanel);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(during, TBiDiMode::bdLeftToRight) << "no right-to-left locale";
    EXPECT_EQ(popup->geometry().left(), overPanel.X);
    CloseMenus();

    SysLocale.MiddleEast = true;
    popup = f.Open(overPanel);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(during, TBiDiMode::bdRightToLeft);
    EXPECT_EQ(popup->geometry().right() + 1, overPanel.X) << "opens to the left of the point";
    EXPECT_EQ(f.menu->BiDiMode(), TBiDiMode::bdRightToLeft)
        << "the borrowed mode holds while the popup is open, as its items are drawn then";
    CloseMenus();
    PumpEvents();
    EXPECT_TRUE(f.menu->ParentBiDiMode()) << "restored after the popup";
    EXPECT_EQ(f.menu->BiDiMode(), TBiDiMode::bdLeftToRight);

    // Over the form itself (left to right) it opens to the right.
    TPoint overForm = f.form->ClientToScreen({40, 40});
    popup = f.Open(overForm);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(during, TBiDiMode::bdLeftToRight);
    EXPECT_EQ(popup->geometry().left(), overForm.X);
    CloseMenus();

    // A mode of its own holds wherever the popup opens.
    f.menu->SetBiDiMode(TBiDiMode::bdRightToLeft);
    popup = f.Open(overForm);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->geometry().right() + 1, overForm.X);
    EXPECT_TRUE(f.menu->IsRightToLeft());
}

// Automatic accelerators take the first free letter; line reduction hides separators at the
// ends and doubled ones, and shows them again once items lie between; manual leaves both.
TEST(MenuAutoFlags, HotkeysAndLinesAreRethought) {
    TComponent owner(nullptr);
    auto* menu = new TPopupMenu(&owner);
    auto add = [&](const std::string& caption) {
        auto* it = new TMenuItem(&owner);
        it->SetCaption(caption);
        menu->Items()->Add(it);
        return it;
    };
    TMenuItem* lead = add("-");
    TMenuItem* open = add("&Open");
    TMenuItem* other = add("Other");
    TMenuItem* line1 = add("-");
    TMenuItem* line2 = add("-");
    TMenuItem* print = add("Print");
    TMenuItem* tail = add("-");
    EXPECT_TRUE(menu->Items()->RethinkHotkeys());
    EXPECT_EQ(open->Caption(), "&Open");
    EXPECT_EQ(other->Caption(), "O&ther") << "O is taken";
    EXPECT_EQ(print->Caption(), "&Print");
    EXPECT_TRUE(menu->Items()->RethinkLines());
    EXPECT_FALSE(lead->Visible());
    EXPECT_TRUE(line1->Visible());
    EXPECT_FALSE(line2->Visible());
    EXPECT_FALSE(tail->Visible());
    // An item after the last separator brings it back.
    add("Quit");
    menu->Items()->RethinkLines();
    EXPECT_TRUE(tail->Visible());
    // A separator the program hid stays hidden.
    line1->SetVisible(false);
    menu->Items()->RethinkLines();
    EXPECT_FALSE(line1->Visible());
    EXPECT_TRUE(line2->Visible());

    auto* manual = new TPopupMenu(&owner);
    manual->AutoHotkeys = TMenuAutoFlag::maManual;
    manual->AutoLineReduction = TMenuAutoFlag::maManual;
    auto* a = new TMenuItem(&owner);
    a->SetCaption("Alpha");
    auto* sep = new TMenuItem(&owner);
    sep->SetCaption("-");
    manual->Items()->Add(sep);
    manual->Items()->Add(a);
    EXPECT_FALSE(manual->Items()->RethinkHotkeys());
    EXPECT_FALSE(manual->Items()->RethinkLines());
    EXPECT_EQ(a->Caption(), "Alpha");
    EXPECT_TRUE(sep->Visible());
}

// Assign copies the automatic flags and the reading order with the look.
TEST(MenuAutoFlags, AssignCopiesFlagsAndReadingOrder) {
    TComponent owner(nullptr);
    auto* from = new TBvMainMenu(&owner);
    from->AutoHotkeys = TMenuAutoFlag::maManual;
    from->AutoLineReduction = TMenuAutoFlag::maManual;
    from->SetBiDiMode(TBiDiMode::bdRightToLeft);
    auto* to = new TBvPopupMenu(&owner);
    to->Assign(*from);
    EXPECT_EQ(to->AutoHotkeys, TMenuAutoFlag::maManual);
    EXPECT_EQ(to->AutoLineReduction, TMenuAutoFlag::maManual);
    EXPECT_EQ(to->BiDiMode(), TBiDiMode::bdRightToLeft);
    EXPECT_FALSE(to->ParentBiDiMode());
    auto* back = new TBvPopupMenu(&owner);
    back->SetBiDiMode(TBiDiMode::bdRightToLeft);
    back->Assign(*new TBvPopupMenu(&owner));
    EXPECT_TRUE(back->ParentBiDiMode());
}

// F1 on a highlighted item of an open popup hands the item's help context (or its parent's)
// to the help hook: as a pop-up topic when the active form shows a help button.
TEST(BvPopupHelp, F1OnAnItemAsksTheHookForItsTopic) {
    PopupForm f;
    f.first->HelpContext = 0;
    f.second->HelpContext = 77;
    std::vector<std::pair<uint16_t, intptr_t>> asked;
    Application->OnHelp = [&](uint16_t command, intptr_t data, bool& callHelp) {
        asked.emplace_back(command, data);
        callHelp = false;
        return true;
    };
    QWidget* popup = f.Open(f.form->ClientToScreen({20, 20}));
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_F1);
    PumpEvents();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0], (std::pair<uint16_t, intptr_t>{HELP_CONTEXT, 77}));
    EXPECT_TRUE(f.chosen.empty()) << "F1 chooses nothing";
    CloseMenus();

    f.form->BorderIcons |= biHelp;
    popup = f.Open(f.form->ClientToScreen({20, 20}));
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_F1);
    PumpEvents();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1], (std::pair<uint16_t, intptr_t>{HELP_CONTEXTPOPUP, 77}));
}

} // namespace

// The drawn popup with pictures, a shortcut and a submenu, opened by a right click over a
// right-to-left panel and over the left-to-right form, saved side by side for a person to
// look at: the mirrored one holds its picture on the right, the caption beside it, the
// shortcut and the arrow on the left.
TEST(BvPopupReadingOrderScreenshot, TheDrawnPopupMirroredBesideTheUsualOne) {
    PopupForm f;
    f.form->SetLeft(300);
    auto* images = new TImageList(f.form, 16, 16);
    for (TColor colour : {clRed, clGreen}) {
        TBitmap picture(16, 16);
        picture.Canvas()->Brush()->SetColor(clWhite);
        picture.Canvas()->FillRect(TRect{0, 0, 16, 16});
        picture.Canvas()->Brush()->SetColor(colour);
        picture.Canvas()->FillRect(TRect{2, 2, 14, 14});
        images->AddMasked(&picture, clWhite);
    }
    f.menu->SetImages(images);
    f.first->SetCaption("&Copy the tracks");
    f.first->ShortCut = ShortCut('C', ssCtrl);
    f.first->ImageIndex = 0;
    f.second->SetCaption("&Sort by");
    f.second->ImageIndex = 1;
    auto* byTitle = new TMenuItem(f.form);
    byTitle->SetCaption("&Title");
    f.second->Add(byTitle);
    f.panel->SetBiDiMode(TBiDiMode::bdRightToLeft);
    f.panel->SetPopupMenu(f.menu);
    f.form->SetPopupMenu(f.menu);
    SysLocale.MiddleEast = true;
    PumpEvents();

    QWidget* top = f.form->ClientWidget()->window();
    auto openAt = [&](TPoint client) {
        QPoint local = f.form->ClientWidget()->mapTo(top, QPoint(client.X, client.Y));
        QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, local);
        PumpEvents();
        QWidget* popup = ActiveMenuWindow();
        if (popup) {
            QTest::keyClick(popup, Qt::Key_Down); // the first item hot
            PumpEvents();
        }
        return popup;
    };
    QWidget* rtl = openAt({300, 40});
    ASSERT_NE(rtl, nullptr) << "a right click over the panel opens the menu";
    EXPECT_EQ(rtl->geometry().right() + 1, f.form->ClientToScreen({300, 40}).X)
        << "it opens to the left of the point";
    QImage mirrored = rtl->grab().toImage().convertToFormat(QImage::Format_RGB32);
    CloseMenus();
    PumpEvents();
    QWidget* ltr = openAt({40, 40});
    ASSERT_NE(ltr, nullptr) << "a right click over the form opens the menu";
    QImage usual = ltr->grab().toImage().convertToFormat(QImage::Format_RGB32);
    CloseMenus();
    PumpEvents();

    ASSERT_EQ(mirrored.size(), usual.size()) << "both ways measure the same";
    // Dark pixels (the arrow) in a strip of the "Sort by" row, and red ones (the picture) in
    // a strip of the first row: each at its own end of the mirrored popup.
    auto count = [](const QImage& image, int left, int right, int top, int bottom, auto is) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                n += is(image.pixel(x, y)) ? 1 : 0;
        return n;
    };
    auto dark = [](QRgb p) { return qRed(p) < 60 && qGreen(p) < 60 && qBlue(p) < 60; };
    auto red = [](QRgb p) { return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60; };
    const int w = usual.width(), h = usual.height(), room = OwnerDrawItemRoom() + 4;
    EXPECT_GT(count(usual, w - room, w, h / 2, h, dark), 0) << "the arrow at the right";
    EXPECT_EQ(count(usual, 0, room, h / 2, h, dark), 0);
    EXPECT_GT(count(mirrored, 0, room, h / 2, h, dark), 0) << "the arrow at the left";
    EXPECT_EQ(count(mirrored, w - room, w, h / 2, h, dark), 0);
    EXPECT_GT(count(usual, 0, 24, 0, h / 2, red), 0) << "the picture at the left";
    EXPECT_GT(count(mirrored, w - 24, w, 0, h / 2, red), 0) << "the picture at the right";
    QImage both(usual.width() * 2 + 12, usual.height(), QImage::Format_RGB32);
    both.fill(Qt::white);
    {
        QPainter painter(&both);
        painter.drawImage(0, 0, usual);
        painter.drawImage(usual.width() + 12, 0, mirrored);
    }
    std::filesystem::create_directories(std::string(BV_BINARY_DIR) + "/screenshots");
    EXPECT_TRUE(both.save(QString::fromStdString(std::string(BV_BINARY_DIR) +
                                                 "/screenshots/kit_popup_reading_order.png")));
}
