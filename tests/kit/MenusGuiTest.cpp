// The drawn menus: owner-draw messages reach the painter of the right item, which menus are
// owner-drawn, the painters' measures and columns as numbers, the XP, office and button looks
// as pixels, and the menus used as a person uses them.
#include "BvMenuItemPainters.h"
#include "GuiTestEnvironment.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// A painter that only records what it was asked.
class TRecordingPainter : public TBvCustomMenuItemPainter {
public:
    using TBvCustomMenuItemPainter::TBvCustomMenuItemPainter;
    std::vector<TMenuItem*> Measured, Painted;
    void Measure(TMenuItem* item, int& width, int& height) override {
        Measured.push_back(item);
        width = 77;
        height = 11;
    }
    void Paint(TMenuItem* item, const TRect&, TMenuOwnerDrawState) override {
        Painted.push_back(item);
    }
};

TMenuItem* AddItem(TMenuItem* parent, const std::string& caption, TShortCut shortCut = 0,
                   int imageIndex = -1) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(caption);
    item->ShortCut = shortCut;
    item->ImageIndex = imageIndex;
    parent->Add(item);
    return item;
}

// A 16 x 16 picture: a red square on a white ground that the mask leaves out.
TImageList* MakeImages(TComponent* owner) {
    auto* images = new TImageList(owner, 16, 16);
    TBitmap picture(16, 16);
    picture.Canvas()->Brush()->SetColor(clWhite);
    picture.Canvas()->FillRect(TRect{0, 0, 16, 16});
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect(TRect{2, 2, 14, 14});
    images->AddMasked(&picture, clWhite);
    return images;
}

TMeasureItemStruct MeasureThrough(HWND window, TMenuItem* item) {
    TMeasureItemStruct mis;
    mis.CtlType = ODT_MENU;
    mis.itemID = item->Command();
    window->Perform(WM_MEASUREITEM, 0, reinterpret_cast<intptr_t>(&mis));
    return mis;
}

intptr_t DrawThrough(HWND window, TMenuItem* item, TCanvas* canvas, const TRect& rect,
                     uint32_t state) {
    TDrawItemStruct dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = item->Command();
    dis.itemState = state;
    dis.hDC = canvas;
    dis.rcItem = rect;
    return window->Perform(WM_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis));
}

// Straight to the menu: a menu that is not owner-drawn gets no such message from its window.
TMeasureItemStruct MeasureWith(TBvMenuCommon* menu, TMenuItem* item) {
    TMeasureItemStruct mis;
    mis.CtlType = ODT_MENU;
    mis.itemID = item->Command();
    TMessage m{};
    m.Msg = WM_MEASUREITEM;
    m.LParam = reinterpret_cast<intptr_t>(&mis);
    menu->RouteMenuMessage(m);
    return mis;
}

TColor PixelAt(TBitmap& b, int x, int y) {
    return b.Canvas()->Pixel(x, y) & 0xFFFFFF;
}

// ---------------------------------------------------------------- routing

TEST(BvMenuRouting, MeasureAndDrawReachThePainterOfTheMenuThatHoldsTheItem) {
    auto* first = new TBvPopupMenu(nullptr);
    auto* second = new TBvPopupMenu(nullptr);
    TRecordingPainter firstPainter(nullptr), secondPainter(nullptr);
    first->SetItemPainter(&firstPainter);
    second->SetItemPainter(&secondPainter);
    TMenuItem* a = AddItem(first->Items(), "A");
    TMenuItem* b = AddItem(second->Items(), "B");

    TMeasureItemStruct mis = MeasureThrough(BvPopupListWindow(), b);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), 77 + OwnerDrawItemRoom());
    EXPECT_EQ(mis.itemHeight, 11u);
    ASSERT_EQ(secondPainter.Measured.size(), 1u);
    EXPECT_EQ(secondPainter.Measured[0], b);
    EXPECT_TRUE(firstPainter.Measured.empty());

    TBitmap picture(100, 30);
    EXPECT_EQ(DrawThrough(BvPopupListWindow(), a, picture.Canvas(), TRect{0, 0, 100, 20}, 0), 1);
    ASSERT_EQ(firstPainter.Painted.size(), 1u);
    EXPECT_EQ(firstPainter.Painted[0], a);
    EXPECT_TRUE(secondPainter.Painted.empty());
    delete first;
    delete second;
}

TEST(BvMenuRouting, StaleOrForeignItemsAreNeverDrawn) {
    auto* menu = new TBvPopupMenu(nullptr);
    TRecordingPainter painter(nullptr);
    menu->SetItemPainter(&painter);
    TMenuItem* kept = AddItem(menu->Items(), "Kept");
    TMenuItem* gone = AddItem(menu->Items(), "Gone");
    const uint32_t goneCommand = gone->Command();
    menu->Items()->Remove(gone);
    delete gone;
    TBitmap picture(100, 30);

    // A command no menu holds any more: nobody handles it.
    TDrawItemStruct dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = goneCommand;
    dis.hDC = picture.Canvas();
    dis.rcItem = TRect{0, 0, 100, 20};
    EXPECT_EQ(BvPopupListWindow()->Perform(WM_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis)), 0);
    EXPECT_TRUE(painter.Painted.empty());

    // A draw message whose item data names another item than its command is not followed.
    TMessage m{};
    m.Msg = WM_DRAWITEM;
    dis.itemID = kept->Command();
    m.LParam = reinterpret_cast<intptr_t>(&dis);
    dis.itemData = 0x1234;
    menu->RouteMenuMessage(m); // routing fills in the item it found...
    EXPECT_EQ(dis.itemData, reinterpret_cast<uintptr_t>(kept));
    EXPECT_EQ(painter.Painted.size(), 1u);
    EXPECT_TRUE(painter.Measured.empty());
    delete menu;
}

TEST(BvMenuRouting, APainterAskedForNoItemLogsAndDrawsNothing) {
    auto* menu = new TBvPopupMenu(nullptr);
    menu->SetStyle(TBvMenuStyle::msXP);
    TBitmap picture(50, 20);
    picture.Canvas()->Brush()->SetColor(clLime);
    picture.Canvas()->FillRect(TRect{0, 0, 50, 20});
    ::testing::internal::CaptureStderr();
    menu->ActiveItemPainter()->Paint(nullptr, TRect{0, 0, 50, 20}, mdSelected);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("asked to draw no item"), std::string::npos);
    EXPECT_EQ(PixelAt(picture, 10, 10), clLime);
    delete menu;
}

// ---------------------------------------------------------------- which menus are owner-drawn

TEST(BvMenuOwnerDraw, PopupMenusAreOwnerDrawnByStyleOrImages) {
    struct Case {
        TBvMenuStyle style;
        int images; // -1 none, 0 an empty list, 1 a list with a picture
        bool ownerDrawn;
    };
    const Case cases[] = {
        {TBvMenuStyle::msStandard, -1, false}, {TBvMenuStyle::msStandard, 0, false},
        {TBvMenuStyle::msStandard, 1, true},   {TBvMenuStyle::msXP, -1, true},
        {TBvMenuStyle::msOffice, 0, true},     {TBvMenuStyle::msOwnerDraw, -1, true},
        {TBvMenuStyle::msBtnRaised, 1, true},  {TBvMenuStyle::msItemPainter, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style) * 10 + c.images);
        TComponent owner(nullptr);
        auto* menu = new TBvPopupMenu(&owner);
        TImageList* images = nullptr;
        if (c.images == 0)
            images = new TImageList(&owner, 16, 16);
        else if (c.images == 1)
            images = MakeImages(&owner);
        menu->SetStyle(c.style);
        menu->SetImages(images);
        EXPECT_EQ(menu->IsOwnerDrawMenu(), c.ownerDrawn);
        EXPECT_EQ(menu->OwnerDraw(), c.ownerDrawn);
    }
}

TEST(BvMenuOwnerDraw, ImagesAddedLaterTurnOwnerDrawingOnAndAGoneListOff) {
    TComponent owner(nullptr);
    auto* menu = new TBvPopupMenu(&owner);
    auto* images = new TImageList(&owner, 16, 16);
    int othersHeard = 0;
    images->OnChange = [&](TCustomImageList&) { ++othersHeard; };
    menu->SetImages(images);
    EXPECT_FALSE(menu->OwnerDraw());
    TBitmap picture(16, 16);
    images->AddMasked(&picture, clWhite);
    EXPECT_TRUE(menu->OwnerDraw());
    EXPECT_EQ(othersHeard, 1); // the list's own handler still runs
    delete images;
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_FALSE(menu->IsOwnerDrawMenu());
}

TEST(BvMenuOwnerDraw, StyleAndExplicitPainterChooseTheActivePainter) {
    TComponent owner(nullptr);
    auto* popup = new TBvPopupMenu(&owner);
    auto* main = new TBvMainMenu(&owner);
    EXPECT_TRUE(main->IsOwnerDrawMenu());
    EXPECT_TRUE(main->OwnerDraw());

    // msItemPainter without a painter: the popup keeps its previous style's painter, the
    // main menu draws with the standard one.
    popup->SetStyle(TBvMenuStyle::msXP);
    main->SetStyle(TBvMenuStyle::msXP);
    popup->SetStyle(TBvMenuStyle::msItemPainter);
    main->SetStyle(TBvMenuStyle::msItemPainter);
    EXPECT_NE(dynamic_cast<TBvXPMenuItemPainter*>(popup->ActiveItemPainter()), nullptr);
    EXPECT_NE(dynamic_cast<TBvStandardMenuItemPainter*>(main->ActiveItemPainter()), nullptr);

    struct Case {
        TBvMenuStyle style;
        const char* painter;
    };
    const Case cases[] = {
        {TBvMenuStyle::msStandard, "TBvStandardMenuItemPainter"},
        {TBvMenuStyle::msOwnerDraw, "TBvOwnerDrawMenuItemPainter"},
        {TBvMenuStyle::msBtnLowered, "TBvBtnMenuItemPainter"},
        {TBvMenuStyle::msBtnRaised, "TBvBtnMenuItemPainter"},
        {TBvMenuStyle::msOffice, "TBvOfficeMenuItemPainter"},
        {TBvMenuStyle::msXP, "TBvXPMenuItemPainter"},
    };
    for (const Case& c : cases) {
        main->SetStyle(c.style);
        EXPECT_STREQ(main->ActiveItemPainter()->ClassInfo().Name(), c.painter);
    }
    main->SetStyle(TBvMenuStyle::msBtnRaised);
    EXPECT_FALSE(dynamic_cast<TBvBtnMenuItemPainter*>(main->ActiveItemPainter())->Lowered);

    // An explicit painter is used until cleared; clearing it sends the main menu back to the
    // standard style while the popup keeps msItemPainter with its style painter.
    TRecordingPainter painter(nullptr);
    main->SetItemPainter(&painter);
    popup->SetItemPainter(&painter);
    EXPECT_EQ(main->Style(), TBvMenuStyle::msItemPainter);
    EXPECT_EQ(main->ActiveItemPainter(), &painter);
    EXPECT_EQ(popup->ActiveItemPainter(), &painter);
    main->SetItemPainter(nullptr);
    popup->SetItemPainter(nullptr);
    EXPECT_EQ(main->Style(), TBvMenuStyle::msStandard);
    EXPECT_EQ(popup->Style(), TBvMenuStyle::msItemPainter);
    EXPECT_NE(dynamic_cast<TBvXPMenuItemPainter*>(popup->ActiveItemPainter()), nullptr);
}

TEST(BvMenuOwnerDraw, AFreedExplicitPainterIsForgotten) {
    TComponent owner(nullptr);
    auto* popup = new TBvPopupMenu(&owner);
    auto* painter = new TRecordingPainter(nullptr);
    popup->SetItemPainter(painter);
    delete painter;
    EXPECT_EQ(popup->ItemPainter(), nullptr);
    EXPECT_NE(popup->ActiveItemPainter(), nullptr);
}

TEST(BvMenuOwnerDraw, TheSharedWindowLivesWhileAPopupMenuDoes) {
    ASSERT_EQ(BvPopupListWindow(), nullptr);
    auto* a = new TBvPopupMenu(nullptr);
    HWND window = BvPopupListWindow();
    EXPECT_NE(window, nullptr);
    auto* b = new TBvPopupMenu(nullptr);
    EXPECT_EQ(BvPopupListWindow(), window);
    delete a;
    EXPECT_EQ(BvPopupListWindow(), window);
    delete b;
    EXPECT_EQ(BvPopupListWindow(), nullptr);
    auto* c = new TBvPopupMenu(nullptr);
    EXPECT_NE(BvPopupListWindow(), nullptr);
    delete c;
}

TEST(BvMenuOwnerDraw, AssignCopiesTheLook) {
    TComponent owner(nullptr);
    auto* from = new TBvMainMenu(&owner);
    auto* to = new TBvPopupMenu(&owner);
    TImageList* images = MakeImages(&owner);
    from->SetStyle(TBvMenuStyle::msOffice);
    from->SetImages(images);
    from->ShowCheckMarks = true;
    from->TextMargin = 5;
    from->ImageMargin()->Left = 3;
    from->Tag = 9;
    to->Assign(*from);
    EXPECT_EQ(to->Style(), TBvMenuStyle::msOffice);
    EXPECT_EQ(to->Images(), images);
    EXPECT_TRUE(to->ShowCheckMarks);
    EXPECT_EQ(to->TextMargin, 5);
    EXPECT_EQ(to->ImageMargin()->Left, 3);
    EXPECT_EQ(to->Tag, 9);
}

// ---------------------------------------------------------------- measures and columns

struct PopupFixture {
    TComponent owner{nullptr};
    TBvPopupMenu* menu = new TBvPopupMenu(&owner);
    TCanvas text;
    PopupFixture() {
        menu->SetStyle(TBvMenuStyle::msXP);
        text.SetFont(*Screen->MenuFont());
    }
    int CaptionWidth(const std::string& caption) {
        TRect r{0, 0, 0, 0};
        text.DrawTextW(caption, r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
        return r.Right;
    }
};

TEST(BvMenuMeasure, DropDownWidthHasTheShortcutColumnOrTheSubmenuGap) {
    struct Case {
        const char* name;
        bool shortCut, submenu;
        int blanks;
    };
    const Case cases[] = {
        {"plain", false, false, 0},
        {"submenu, no shortcuts: 2 blanks", false, true, 2},
        {"shortcuts: 8 blanks and the widest shortcut", true, false, 8},
        {"both: the shortcut column wins", true, true, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PopupFixture f;
        TMenuItem* open = AddItem(f.menu->Items(), "&Open");
        TMenuItem* longest = AddItem(f.menu->Items(), "Save everything as");
        if (c.shortCut)
            open->ShortCut = ShortCut('O', ssCtrl);
        if (c.submenu)
            AddItem(open, "Inside");
        const int widest = f.CaptionWidth("Save everything as");
        const int column = c.shortCut ? f.text.TextWidth(ShortCutToText(open->ShortCut)) : 0;
        const int gap = f.text.TextWidth(std::string(static_cast<size_t>(c.blanks), ' '));
        // XP columns: image margin 6 + 4 around no image, and a text margin of 2; after the
        // painter's width the room the system keeps for the submenu arrow.
        const int expected = 6 + 0 + 4 + 2 + widest + column + gap + OwnerDrawItemRoom();
        for (TMenuItem* item : {open, longest})
            EXPECT_EQ(static_cast<int>(MeasureThrough(BvPopupListWindow(), item).itemWidth),
                      expected);
    }
}

TEST(BvMenuMeasure, HeightsOfItemsAndSeparatorsPerLook) {
    struct Case {
        TBvMenuStyle style;
        bool images;
        int itemHeight, separatorHeight;
    };
    const int menuHeight = GetSystemMetrics(SM_CYMENU);
    TCanvas text;
    text.SetFont(*Screen->MenuFont());
    const int captionHeight = std::max(text.TextHeight("Copy"), menuHeight);
    const int standardSeparator = std::max(text.TextHeight("-") / 2, 9);
    const Case cases[] = {
        {TBvMenuStyle::msStandard, false, captionHeight, standardSeparator},
        {TBvMenuStyle::msStandard, true, std::max(captionHeight, 16), standardSeparator},
        {TBvMenuStyle::msOffice, true, std::max(captionHeight, 16 + 4), standardSeparator},
        {TBvMenuStyle::msBtnLowered, true, std::max(captionHeight, 16 + 2), standardSeparator},
        {TBvMenuStyle::msXP, false, std::max(captionHeight, 8) + 2, 3},
        {TBvMenuStyle::msXP, true, std::max(captionHeight, 16 + 8) + 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.style) * 10 + c.images);
        TComponent owner(nullptr);
        auto* menu = new TBvPopupMenu(&owner);
        menu->SetStyle(c.style);
        if (c.images)
            menu->SetImages(MakeImages(&owner));
        TMenuItem* item = AddItem(menu->Items(), "Copy", 0, 0);
        TMenuItem* line = AddItem(menu->Items(), "-");
        EXPECT_EQ(static_cast<int>(MeasureWith(menu, item).itemHeight), c.itemHeight);
        EXPECT_EQ(static_cast<int>(MeasureWith(menu, line).itemHeight), c.separatorHeight);
    }
}

TEST(BvMenuMeasure, ColumnsOfADropDownItem) {
    struct Case {
        const char* name;
        bool checkMarks;
        unsigned leftMargin;
        bool rightToLeft;
        TRect check, imageAndMargin, text, body, strip;
    };
    const int cw = GetSystemMetrics(SM_CXMENUCHECK);
    // Standard painter, 16-pixel images, margins 1/2/3/4, text margin 5 (+2 of the look).
    const Case cases[] = {
        {"no check column, no strip",
         false,
         0,
         false,
         {10, 0, 9, 20},
         {10, 0, 29, 20},
         {30 + 7, 0, 200, 20},
         {10, 0, 200, 20},
         {10, 0, 10, 50}},
        {"check column",
         true,
         0,
         false,
         {10, 0, 9 + cw, 20},
         {10 + cw, 0, 29 + cw, 20},
         {30 + cw + 7, 0, 200, 20},
         {10, 0, 200, 20},
         {10, 0, 10, 50}},
        {"strip of 12",
         false,
         12,
         false,
         {22, 0, 21, 20},
         {22, 0, 41, 20},
         {42 + 7, 0, 212, 20},
         {22, 0, 200, 20},
         {10, 0, 22, 50}},
        {"right to left",
         false,
         0,
         true,
         {201, 0, 200, 20},
         {180, 0, 200, 20},
         {10, 0, 179, 20},
         {10, 0, 200, 20},
         {200, 0, 200, 50}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TComponent owner(nullptr);
        auto* menu = new TBvPopupMenu(&owner);
        menu->SetImages(MakeImages(&owner));
        menu->ShowCheckMarks = c.checkMarks;
        menu->TextMargin = 5;
        menu->SetBiDiMode(c.rightToLeft ? TBiDiMode::bdRightToLeft : TBiDiMode::bdLeftToRight);
        menu->ImageMargin()->Left = 1;
        menu->ImageMargin()->Top = 2;
        menu->ImageMargin()->Right = 3;
        menu->ImageMargin()->Bottom = 4;
        TBvCustomMenuItemPainter* painter = menu->ActiveItemPainter();
        painter->LeftMargin = c.leftMargin;
        painter->UpdateFieldsFromMenu();
        auto l = painter->LayOut(TRect{10, 0, 200, 20}, 50);
        EXPECT_EQ(l.CheckMark, c.check);
        EXPECT_EQ(l.ImageAndMargin, c.imageAndMargin);
        if (!c.rightToLeft) {
            EXPECT_EQ(l.Text, c.text);
            EXPECT_EQ(l.Image,
                      (TRect{c.imageAndMargin.Left + 1, 2, c.imageAndMargin.Right - 3, 16}));
        }
        EXPECT_EQ(l.Body, c.body);
        EXPECT_EQ(l.LeftStrip, c.strip);
    }
}

// ---------------------------------------------------------------- the XP look as pixels

struct XPDrawing {
    TComponent owner{nullptr};
    TBvPopupMenu* menu = new TBvPopupMenu(&owner);
    TBvXPMenuItemPainter* painter = nullptr;
    TMenuItem* item = nullptr;
    TMenuItem* line = nullptr;
    TBitmap picture{200, 60};
    // Item rectangle as a drop-down window lays it out: 2-pixel border, then the items.
    TRect itemRect{2, 2, 198, 28};
    TRect lineRect{2, 28, 198, 31};
    explicit XPDrawing(bool withImage = true) {
        menu->SetStyle(TBvMenuStyle::msXP);
        if (withImage)
            menu->SetImages(MakeImages(&owner));
        painter = dynamic_cast<TBvXPMenuItemPainter*>(menu->ActiveItemPainter());
        item = AddItem(menu->Items(), "&Copy", ShortCut('C', ssCtrl), withImage ? 0 : -1);
        line = AddItem(menu->Items(), "-");
        picture.Canvas()->Brush()->SetColor(clLime);
        picture.Canvas()->FillRect(TRect{0, 0, 200, 60});
    }
    void Draw(TMenuItem* what, const TRect& r, uint32_t state) {
        DrawThrough(BvPopupListWindow(), what, picture.Canvas(), r, state);
    }
    // Where the image column puts a picture: the item's left, the XP margins (6 left, 4 top),
    // and 3 pixels to the left of that.
    int ImageX() const { return itemRect.Left + 6 - 3; }
    int ImageY() const { return itemRect.Top + 4; }
};

TEST(BvXPMenuPainter, SelectedItemHasAFramedBandIntoTheBorder) {
    XPDrawing d;
    d.Draw(d.item, d.itemRect, ODS_SELECTED);
    const TColor band = d.painter->SelectionFrameBrush()->Color();
    const TColor frame = d.painter->SelectionFramePen()->Color();
    EXPECT_EQ(PixelAt(d.picture, 100, d.itemRect.Top + 5), band);
    EXPECT_EQ(PixelAt(d.picture, 100, d.itemRect.Top), frame);
    EXPECT_EQ(PixelAt(d.picture, 100, d.itemRect.Bottom - 2), frame);
    EXPECT_EQ(PixelAt(d.picture, 197, d.itemRect.Top + 5), band) << "band reaches the right";
    // The window's border beside the selected item.
    EXPECT_EQ(PixelAt(d.picture, 0, 10), RGB(102, 102, 102));
    EXPECT_EQ(PixelAt(d.picture, 1, 10), d.painter->ImageBackgroundColor);
    EXPECT_EQ(PixelAt(d.picture, 198, 10), clWhite);
    EXPECT_EQ(PixelAt(d.picture, 199, 10), RGB(102, 102, 102));

    XPDrawing plain;
    plain.Draw(plain.item, plain.itemRect, 0);
    EXPECT_EQ(PixelAt(plain.picture, 100, plain.itemRect.Top + 5), clWhite);
    EXPECT_EQ(PixelAt(plain.picture, 8, plain.itemRect.Top + 1),
              plain.painter->ImageBackgroundColor);
}

TEST(BvXPMenuPainter, SeparatorIsOneLineWhereCaptionsStart) {
    XPDrawing d;
    d.Draw(d.line, d.lineRect, 0);
    const int captions = d.lineRect.Left + 6 + 16 + 4 + 2;
    const int y = d.lineRect.Top + 1;
    EXPECT_EQ(PixelAt(d.picture, captions, y), d.painter->SeparatorColor);
    EXPECT_EQ(PixelAt(d.picture, 150, y), d.painter->SeparatorColor);
    EXPECT_NE(PixelAt(d.picture, captions - 1, y), d.painter->SeparatorColor);
    EXPECT_NE(PixelAt(d.picture, 150, y - 1), d.painter->SeparatorColor);
    EXPECT_NE(PixelAt(d.picture, 150, y + 1), d.painter->SeparatorColor);
}

TEST(BvXPMenuPainter, ImagesSitThreePixelsLeftAndLiftOverAShadowWhenSelected) {
    XPDrawing plain;
    plain.Draw(plain.item, plain.itemRect, 0);
    const int x = plain.ImageX(), y = plain.ImageY();
    // The red square covers pixels 2..13 of the picture.
    EXPECT_EQ(PixelAt(plain.picture, x + 2, y + 2), clRed);
    EXPECT_NE(PixelAt(plain.picture, x + 1, y + 2), clRed);
    EXPECT_NE(PixelAt(plain.picture, x + 14, y + 14), plain.painter->ShadowColor);

    XPDrawing lifted;
    lifted.Draw(lifted.item, lifted.itemRect, ODS_SELECTED);
    EXPECT_EQ(PixelAt(lifted.picture, x + 1, y + 1), clRed) << "one up and to the left";
    EXPECT_EQ(PixelAt(lifted.picture, x + 12, y + 12), clRed);
    EXPECT_EQ(PixelAt(lifted.picture, x + 13, y + 13), lifted.painter->ShadowColor);
    EXPECT_EQ(PixelAt(lifted.picture, x + 14, y + 14), lifted.painter->ShadowColor);
    EXPECT_EQ(PixelAt(lifted.picture, x + 3, y + 14), lifted.painter->ShadowColor);
    EXPECT_NE(PixelAt(lifted.picture, x + 2, y + 2), lifted.painter->ShadowColor);
}

TEST(BvXPMenuPainter, CheckedItemWithoutImageShowsItsMarkOnAFramedBox) {
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected);
        XPDrawing d(false);
        d.Draw(d.item, d.itemRect, ODS_CHECKED | (selected ? ODS_SELECTED : 0));
        const TColor back =
            selected ? d.painter->CheckedImageBackColorSelected : d.painter->CheckedImageBackColor;
        // The image column is 6 + 0 + 4 wide here: the box runs from its left to right - 3.
        EXPECT_EQ(PixelAt(d.picture, d.itemRect.Left, d.itemRect.Top + 1),
                  d.painter->SelectionFramePen()->Color());
        EXPECT_EQ(PixelAt(d.picture, d.itemRect.Left + 1, d.itemRect.Top + 3), back);
    }
}

// ---------------------------------------------------------------- office and button looks as
// pixels

TColor Rgb(TColor color) {
    return ColorToRGB(color) & 0xFFFFFF;
}

int CountColour(TBitmap& b, const TRect& r, TColor color) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            n += PixelAt(b, x, y) == Rgb(color);
    return n;
}

// A drop-down of one look with a picture item, a separator and a second item, drawn as the
// drop-down's window asks, on a lime ground that shows what was not painted.
struct LookDrawing {
    TComponent owner{nullptr};
    TBvMenuCommon* menu = nullptr;
    TMenuItem* item = nullptr;
    TMenuItem* line = nullptr;
    TMenuItem* other = nullptr;
    TBitmap picture{200, 60};
    TRect itemRect{2, 2, 198, 26};
    explicit LookDrawing(TBvMenuStyle style, bool mainMenu = false) {
        if (mainMenu)
            menu = new TBvMainMenu(&owner);
        else
            menu = new TBvPopupMenu(&owner);
        menu->SetStyle(style);
        menu->SetBvImages(MakeImages(&owner));
        TMenuItem* items = dynamic_cast<TMenu*>(menu)->Items();
        item = AddItem(items, "&Copy", mainMenu ? 0 : ShortCut('C', ssCtrl), 0);
        line = AddItem(items, "-");
        other = AddItem(items, "&Paste");
        picture.Canvas()->Brush()->SetColor(clLime);
        picture.Canvas()->FillRect(TRect{0, 0, 200, 60});
    }
    void Draw(TMenuItem* what, const TRect& r, uint32_t state) {
        TDrawItemStruct dis;
        dis.CtlType = ODT_MENU;
        dis.itemID = what->Command();
        dis.itemState = state;
        dis.hDC = picture.Canvas();
        dis.rcItem = r;
        TMessage m{};
        m.Msg = WM_DRAWITEM;
        m.LParam = reinterpret_cast<intptr_t>(&dis);
        menu->RouteMenuMessage(m);
    }
    TColor At(int x, int y) { return PixelAt(picture, x, y); }
};

TEST(BvMenuLooks, SeparatorIsAGrooveAtMidHeightInBothLooks) {
    for (TBvMenuStyle style :
         {TBvMenuStyle::msOffice, TBvMenuStyle::msBtnLowered, TBvMenuStyle::msBtnRaised}) {
        SCOPED_TRACE(static_cast<int>(style));
        LookDrawing d(style);
        const TRect r{2, 30, 198, 39};
        d.Draw(d.line, r, 0);
        const int y = (r.Top + r.Bottom) / 2;
        for (int x : {r.Left, 100, r.Right - 1}) {
            EXPECT_EQ(d.At(x, y - 1), Rgb(clBtnShadow)) << x;
            EXPECT_EQ(d.At(x, y), Rgb(clBtnHighlight)) << x;
            EXPECT_EQ(d.At(x, y - 2), Rgb(clMenu)) << x;
            EXPECT_EQ(d.At(x, y + 1), Rgb(clMenu)) << x;
        }
    }
}

TEST(BvMenuLooks, ButtonLookFramesTheSelectedItemAndKeepsItsColours) {
    struct Case {
        TBvMenuStyle style;
        TColor topLeft, bottomRight;
    };
    for (const Case& c : {Case{TBvMenuStyle::msBtnLowered, clBtnShadow, clBtnHighlight},
                          Case{TBvMenuStyle::msBtnRaised, clBtnHighlight, clBtnShadow}}) {
        SCOPED_TRACE(static_cast<int>(c.style));
        LookDrawing d(c.style);
        const TRect& r = d.itemRect;
        d.Draw(d.item, r, ODS_SELECTED);
        EXPECT_EQ(d.At(100, r.Top), Rgb(c.topLeft));
        EXPECT_EQ(d.At(r.Left, 12), Rgb(c.topLeft));
        EXPECT_EQ(d.At(100, r.Bottom - 1), Rgb(c.bottomRight));
        EXPECT_EQ(d.At(r.Right - 1, 12), Rgb(c.bottomRight));
        EXPECT_EQ(d.At(r.Right, 12), clLime) << "nothing outside the item";
        // No highlight colours: the menu's ground and text inside the frame.
        EXPECT_EQ(d.At(150, 12), Rgb(clMenu));
        const TRect text{30, r.Top + 1, 190, r.Bottom - 1};
        EXPECT_EQ(CountColour(d.picture, text, clHighlight), 0);
        EXPECT_EQ(CountColour(d.picture, text, clHighlightText), 0);
        EXPECT_GT(CountColour(d.picture, text, clMenuText), 20) << "caption and shortcut";

        LookDrawing plain(c.style);
        plain.Draw(plain.item, r, 0);
        EXPECT_EQ(plain.At(100, r.Top), Rgb(clMenu)) << "no frame unless selected";
        EXPECT_EQ(plain.At(r.Left, 12), Rgb(clMenu));
    }
}

TEST(BvMenuLooks, ButtonLookLowersThePictureByOnePixel) {
    for (TBvMenuStyle style : {TBvMenuStyle::msStandard, TBvMenuStyle::msBtnLowered}) {
        SCOPED_TRACE(static_cast<int>(style));
        LookDrawing d(style);
        d.Draw(d.item, d.itemRect, 0);
        // Without margins the picture's red square starts 2 pixels in; the button look adds
        // one pixel above the picture.
        const int top = d.itemRect.Top + 2 + (style == TBvMenuStyle::msStandard ? 0 : 1);
        const int x = d.itemRect.Left + 2;
        EXPECT_EQ(d.At(x, top), clRed);
        EXPECT_NE(d.At(x, top - 1), clRed);
        EXPECT_NE(d.At(x - 1, top), clRed);
    }
}

TEST(BvMenuLooks, DisabledCaptionsAreEtchedOrFlatAsEachLookSays) {
    struct Case {
        const char* name;
        TBvMenuStyle style;
        uint32_t state;
        bool etched; // a highlight copy one pixel down and to the right
    };
    const Case cases[] = {
        {"button, plain", TBvMenuStyle::msBtnLowered, ODS_DISABLED, true},
        {"button, selected", TBvMenuStyle::msBtnLowered, ODS_DISABLED | ODS_SELECTED, true},
        {"office, plain", TBvMenuStyle::msOffice, ODS_DISABLED, true},
        {"office, selected", TBvMenuStyle::msOffice, ODS_DISABLED | ODS_SELECTED, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LookDrawing d(c.style);
        d.Draw(d.other, d.itemRect, c.state);
        const TRect text{24, d.itemRect.Top + 1, 120, d.itemRect.Bottom - 1};
        EXPECT_GT(CountColour(d.picture, text, clBtnShadow), 10) << "the greyed caption";
        EXPECT_EQ(CountColour(d.picture, text, clMenuText), 0);
        if (c.etched) {
            EXPECT_GT(CountColour(d.picture, text, clBtnHighlight), 10);
        } else {
            EXPECT_EQ(CountColour(d.picture, text, clBtnHighlight), 0);
        }
    }
}

// The office look's picture column: margins of 2 left and top, a raised box on the picture of a
// selected item, a sunken checkerboard box behind a checked one.
TEST(BvMenuLooks, OfficeLookBoxesThePictureOfASelectedOrCheckedItem) {
    struct Case {
        const char* name;
        uint32_t state;
        TColor topLeft, bottomRight; // the box's edges, clNone for no box
        bool checkerboard;
    };
    const Case cases[] = {
        {"plain", 0, clNone, clNone, false},
        {"selected: raised", ODS_SELECTED, clBtnHighlight, clBtnShadow, false},
        {"checked: sunken, checkerboard", ODS_CHECKED, clBtnShadow, clBtnHighlight, true},
        {"checked and selected: sunken, plain", ODS_CHECKED | ODS_SELECTED, clGrayText,
         clBtnHighlight, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LookDrawing d(TBvMenuStyle::msOffice);
        d.Draw(d.item, d.itemRect, c.state);
        const int left = d.itemRect.Left, top = d.itemRect.Top;
        // The picture: its red square 2 pixels into the 16 x 16 cell, the cell at the margins.
        EXPECT_EQ(d.At(left + 2 + 2, top + 2 + 2), clRed);
        EXPECT_NE(d.At(left + 2 + 1, top + 2 + 2), clRed);
        EXPECT_NE(d.At(left + 2 + 2, top + 2 + 1), clRed);
        // The column is 2 + 16 + 3 wide.
        const int right = left + 2 + 16 + 3;
        const bool checked = (c.state & ODS_CHECKED) != 0;
        // A checked box lies one pixel inside the column.
        const int in = checked ? 1 : 0;
        const TColor ground = (c.state & ODS_SELECTED) ? clHighlight : clMenu;
        if (c.topLeft == clNone) {
            EXPECT_EQ(d.At(left, 12), Rgb(ground));
            EXPECT_EQ(d.At(left + 1, top + 20), Rgb(ground));
        } else {
            EXPECT_EQ(d.At(left + in, 12), Rgb(c.topLeft)) << "left edge";
            EXPECT_EQ(d.At(10, top + in), Rgb(c.topLeft)) << "top edge";
            EXPECT_EQ(d.At(right - 2 - in, 12), Rgb(c.bottomRight)) << "right edge";
            EXPECT_EQ(d.At(10, d.itemRect.Bottom - 1 - in), Rgb(c.bottomRight)) << "bottom edge";
            // Inside the box, below the picture.
            const TColor a = d.At(left + in + 1, top + 20), b = d.At(left + in + 2, top + 20),
                         below = d.At(left + in + 1, top + 21);
            if (c.checkerboard) {
                EXPECT_NE(a, b);
                EXPECT_NE(a, below);
                for (TColor seen : {a, b})
                    EXPECT_TRUE(seen == Rgb(clBtnFace) || seen == Rgb(clBtnHighlight));
            } else {
                EXPECT_EQ(a, Rgb(clBtnFace));
                EXPECT_EQ(b, Rgb(clBtnFace));
            }
        }
        // The caption's band is the ground of the item, past the picture column.
        EXPECT_EQ(d.At(190, 12), Rgb(ground));
    }
}

TEST(BvMenuLooks, OfficeBarItemsRiseUnderThePointerAndSinkWhenOpen) {
    struct Case {
        const char* name;
        uint32_t state;
        TColor topLeft, bottomRight;
    };
    const Case cases[] = {
        {"plain", 0, clMenu, clMenu},
        {"hot", ODS_HOTLIGHT, clBtnHighlight, clBtnShadow},
        {"open", ODS_SELECTED, clBtnShadow, clBtnHighlight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LookDrawing d(TBvMenuStyle::msOffice, true);
        const TRect r{4, 2, 60, 22};
        d.Draw(d.item, r, c.state);
        EXPECT_EQ(d.At(30, r.Top), Rgb(c.topLeft));
        EXPECT_EQ(d.At(r.Left, 12), Rgb(c.topLeft));
        EXPECT_EQ(d.At(30, r.Bottom - 1), Rgb(c.bottomRight));
        EXPECT_EQ(d.At(r.Right - 1, 12), Rgb(c.bottomRight));
        // The caption keeps the menu's text colour on the bar's own ground, open or not.
        const TRect inside{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
        EXPECT_GT(CountColour(d.picture, inside, clMenuText), 10);
        EXPECT_EQ(CountColour(d.picture, inside, clHighlight), 0);
    }
}

} // namespace

namespace {

// ---------------------------------------------------------------- the menus' events

TEST(BvMenuEvents, OwnerDrawStyleHandsMeasureAndPaintToTheMenusEvents) {
    TComponent owner(nullptr);
    auto* menu = new TBvPopupMenu(&owner);
    menu->SetStyle(TBvMenuStyle::msOwnerDraw);
    TMenuItem* item = AddItem(menu->Items(), "Mine");
    std::vector<std::string> calls;
    menu->OnMeasureItem = [&](TMenu* sender, TMenuItem* it, int& w, int& h) {
        calls.push_back(sender == menu && it == item ? "measure" : "measure?");
        w = 40;
        h = 12;
    };
    menu->OnDrawItem = [&](TMenu*, TMenuItem* it, const TRect& r, TMenuOwnerDrawState state) {
        calls.push_back(it == item && r.Right == 90 && state == mdSelected ? "draw" : "draw?");
    };
    TMeasureItemStruct mis = MeasureThrough(BvPopupListWindow(), item);
    EXPECT_EQ(static_cast<int>(mis.itemHeight), 12);
    TBitmap picture(100, 20);
    DrawThrough(BvPopupListWindow(), item, picture.Canvas(), TRect{0, 0, 90, 20}, ODS_SELECTED);
    EXPECT_EQ(calls, (std::vector<std::string>{"measure", "draw"}));
}

TEST(BvMenuEvents, ADefaultItemIsMeasuredInBold) {
    PopupFixture f;
    f.menu->SetStyle(TBvMenuStyle::msStandard);
    f.menu->SetImages(MakeImages(&f.owner));
    TMenuItem* item = AddItem(f.menu->Items(), "Properties of everything");
    const int plain = static_cast<int>(MeasureWith(f.menu, item).itemWidth);
    item->Default = true;
    EXPECT_GT(static_cast<int>(MeasureWith(f.menu, item).itemWidth), plain);
}

TEST(BvMenuEvents, ItemParamsGiveAGlyphWhoseSecondCellShowsWhenDisabled) {
    // Two 8 x 8 cells: blue for every state, yellow for disabled.
    TBitmap glyph(16, 8);
    glyph.Canvas()->Brush()->SetColor(clBlue);
    glyph.Canvas()->FillRect(TRect{0, 0, 8, 8});
    glyph.Canvas()->Brush()->SetColor(clYellow);
    glyph.Canvas()->FillRect(TRect{8, 0, 16, 8});
    // The bottom-left pixel of each cell is its transparent colour.
    glyph.Canvas()->SetPixel(0, 7, clWhite);
    glyph.Canvas()->SetPixel(8, 7, clWhite);
    struct Case {
        uint32_t state;
        bool secondCell;
    };
    for (const Case& c : {Case{0, false}, Case{ODS_SELECTED, false}, Case{ODS_CHECKED, false},
                          Case{ODS_DISABLED, true}}) {
        SCOPED_TRACE(c.state);
        TComponent owner(nullptr);
        auto* menu = new TBvPopupMenu(&owner);
        TMenuItem* item = AddItem(menu->Items(), "Glyph");
        menu->OnGetItemParams = [&](TMenu*, TMenuItem*, TMenuOwnerDrawState, TFont*, TColor&,
                                    TGraphic*& graphic, int& numGlyphs) {
            graphic = &glyph;
            numGlyphs = 2;
        };
        TBitmap picture(120, 20);
        picture.Canvas()->Brush()->SetColor(clWhite);
        picture.Canvas()->FillRect(TRect{0, 0, 120, 20});
        TMessage m{};
        TDrawItemStruct dis;
        dis.CtlType = ODT_MENU;
        dis.itemID = item->Command();
        dis.itemState = c.state;
        dis.hDC = picture.Canvas();
        dis.rcItem = TRect{0, 0, 120, 20};
        m.Msg = WM_DRAWITEM;
        m.LParam = reinterpret_cast<intptr_t>(&dis);
        menu->RouteMenuMessage(m);
        // The cell sits at the image rectangle's top left: no margins, no check column.
        const TColor seen = PixelAt(picture, 3, 3);
        if (c.secondCell)
            EXPECT_TRUE(seen != clBlue && seen != clWhite) << std::hex << seen;
        else
            EXPECT_EQ(seen, clBlue);
    }
}

TEST(BvMenuEvents, HighlightingAnItemShowsItsHintAndTheMenusCursor) {
    TComponent owner(nullptr);
    auto* menu = new TBvPopupMenu(&owner);
    menu->SetStyle(TBvMenuStyle::msXP);
    menu->Cursor = crHandPoint;
    TMenuItem* item = AddItem(menu->Items(), "Hinted");
    item->SetHint("Does the hinted thing");
    auto select = [&](uintptr_t id, uint32_t flags, TMenuItem* parent) {
        BvPopupListWindow()->Perform(WM_MENUSELECT,
                                     MakeLParam(static_cast<int>(id), static_cast<int>(flags)),
                                     reinterpret_cast<intptr_t>(parent));
    };
    select(item->Command(), MF_HILITE, menu->Items());
    EXPECT_EQ(Application->Hint(), "Does the hinted thing");
    EXPECT_EQ(Screen->Cursor(), crHandPoint);
    select(0, MF_MENUCLOSED, nullptr);
    EXPECT_EQ(Application->Hint(), "");
    select(item->Command(), 0, menu->Items());
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

} // namespace
