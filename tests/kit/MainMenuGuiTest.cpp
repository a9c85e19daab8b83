// The main window's drawn menus as a person uses them: real keys into the form, the
// "Copy to playlist" submenu built as its menu opens, and a screenshot of the XP look.
#include "BvMenuItemPainters.h"
#include "GuiTestEnvironment.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <set>

namespace {

class TFocusPad : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
};

// Small pictures drawn here: a page, an arrow, a box.
TImageList* MakeMenuImages(TComponent* owner) {
    auto* images = new TImageList(owner, 16, 16);
    const TColor back = clFuchsia;
    auto picture = [&](const std::function<void(TCanvas*)>& draw) {
        TBitmap b(16, 16);
        b.Canvas()->Brush()->SetColor(back);
        b.Canvas()->FillRect(TRect{0, 0, 16, 16});
        draw(b.Canvas());
        images->AddMasked(&b, back);
    };
    picture([](TCanvas* c) { // a page with lines
        c->Brush()->SetColor(clWhite);
        c->Pen()->SetColor(clNavy);
        c->Rectangle(3, 1, 13, 15);
        for (int y = 4; y < 13; y += 3) {
            c->MoveTo(5, y);
            c->LineTo(11, y);
        }
    });
    picture([](TCanvas* c) { // a green arrow down
        c->Brush()->SetColor(clGreen);
        c->Pen()->SetColor(clGreen);
        c->Rectangle(6, 1, 10, 9);
        c->Polygon({{2, 8}, {13, 8}, {8, 14}, {7, 14}});
    });
    picture([](TCanvas* c) { // a red box
        c->Brush()->SetColor(clRed);
        c->Pen()->SetColor(clMaroon);
        c->Rectangle(2, 3, 14, 13);
    });
    return images;
}

class MainMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = MakeTestForm(520, 360);
        images = MakeMenuImages(form);
        menu = new TBvMainMenu(form);
        menu->SetStyle(TBvMenuStyle::msXP);
        menu->SetImages(images);
        file = Add(menu->Items(), "&File");
        Add(file, "Options");
        Add(file, "-");
        Add(file, "Exit");
        tracklist = Add(menu->Items(), "&Tracklist");
        addFiles = Add(tracklist, "Add file(s)...", 0, 0);
        Add(tracklist, "Add directory...");
        Add(tracklist, "Check for dead files");
        remove = Add(tracklist, "Remove selected", 0, 2);
        Add(tracklist, "-");
        selectAll = Add(tracklist, "Select all", ShortCut('A', ssCtrl));
        Add(tracklist, "Invert selection");
        Add(tracklist, "Select none");
        Add(tracklist, "-");
        TMenuItem* playlist = Add(tracklist, "Playlist");
        Add(playlist, "New playlist...");
        Add(tracklist, "-");
        sort = Add(tracklist, "Sort", 0, 1);
        for (const char* by :
             {"Sort by Artist", "Sort by Title", "Sort by Album", "Sort by Bitrate", "Sort by Size",
              "Sort by Length", "-", "Sort all playlists"})
            Add(sort, by);
        Add(menu->Items(), "Media Database");
        pad = new TFocusPad(form);
        pad->SetBounds(10, 10, 100, 60);
        pad->TabStop = true;
        pad->SetParent(form);
        form->SetMenu(menu);
        menu->OnGetItemParams = [this](TMenu*, TMenuItem* item, TMenuOwnerDrawState, TFont*,
                                       TColor&, TGraphic*&, int&) { painted.insert(item); };
        form->Show();
        PumpEvents();
        pad->SetFocus();
        PumpEvents();
    }
    void TearDown() override {
        CloseMenus();
        delete form;
        PumpEvents();
    }
    TMenuItem* Add(TMenuItem* parent, const char* caption, TShortCut shortCut = 0, int image = -1) {
        auto* it = new TMenuItem(form);
        it->SetCaption(caption);
        it->ShortCut = shortCut;
        it->ImageIndex = image;
        it->OnClick = [this, it](TObject*) {
            if (it->Count() == 0)
                clicked.push_back(it);
        };
        parent->Add(it);
        return it;
    }
    QWidget* KeyTarget() {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup;
        return pad->Widget();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(), key, mods);
        PumpEvents();
    }

    TForm* form = nullptr;
    TImageList* images = nullptr;
    TBvMainMenu* menu = nullptr;
    TMenuItem *file, *tracklist, *addFiles, *remove, *selectAll, *sort;
    TFocusPad* pad = nullptr;
    std::vector<TMenuItem*> clicked;
    std::set<TMenuItem*> painted;
};

} // namespace

TEST_F(MainMenuTest, AltWithAMnemonicOpensArrowsMoveEnterRunsEscCloses) {
    Key(Qt::Key_T, Qt::AltModifier);
    ASSERT_NE(ActiveMenuWindow(), nullptr) << "Alt+T did not open the Tracklist menu";
    EXPECT_EQ(HighlightedMenuIndex(tracklist), 0);
    EXPECT_TRUE(painted.count(addFiles)) << "the drop-down is drawn by the menu's painter";
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(HighlightedMenuIndex(tracklist), 2);
    Key(Qt::Key_Up);
    Key(Qt::Key_Return);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0]->Caption(), "Add directory...");

    Key(Qt::Key_T, Qt::AltModifier);
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(MainMenuTest, AShortcutRunsItsItemWithoutOpeningTheMenu) {
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    ASSERT_EQ(clicked.size(), 1u);
    EXPECT_EQ(clicked[0], selectAll);
}

TEST_F(MainMenuTest, TheBarIsMeasuredAndDrawnByThePainter) {
    EXPECT_TRUE(painted.count(file));
    EXPECT_TRUE(painted.count(tracklist));
    EXPECT_GE(MeasureMenuBar(form), GetSystemMetrics(SM_CYMENU));
}

TEST(TrackListMenu, CopyToPlaylistIsBuiltAsTheMenuOpens) {
    TForm* form = MakeTestForm(300, 200);
    auto* menu = new TBvPopupMenu(form);
    menu->SetStyle(TBvMenuStyle::msXP);
    auto* copyTo = new TMenuItem(form);
    copyTo->SetCaption("Copy to playlist");
    menu->Items()->Add(copyTo);
    auto* line = new TMenuItem(form);
    line->SetCaption("-");
    menu->Items()->Add(line);
    std::vector<TMenuItem*> chosen;
    std::vector<TMenuItem*> painted;
    menu->OnGetItemParams = [&](TMenu*, TMenuItem* item, TMenuOwnerDrawState, TFont*, TColor&,
                                TGraphic*&, int&) { painted.push_back(item); };
    // As the track view's menu does: the playlists are listed afresh each time it opens.
    int builds = 0;
    menu->OnPopup = [&](TObject*) {
        ++builds;
        copyTo->Clear();
        for (const char* name : {"Road trip", "Workout"}) {
            auto* it = new TMenuItem(form);
            it->SetCaption(name);
            it->OnClick = [&chosen, it](TObject*) { chosen.push_back(it); };
            copyTo->Add(it);
        }
    };
    form->Show();
    PumpEvents();
    menu->Popup(40, 40);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    EXPECT_EQ(builds, 1);
    EXPECT_EQ(menu->PopupPoint(), (TPoint{40, 40}));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
    PumpEvents();
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
    PumpEvents();
    ASSERT_EQ(copyTo->Count(), 2);
    EXPECT_NE(std::find(painted.begin(), painted.end(), copyTo->Items(1)), painted.end())
        << "the built items are drawn by the menu's painter";
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
    PumpEvents();
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);
    PumpEvents();
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0]->Caption(), "Workout");
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    delete form;
    PumpEvents();
}

// The picture of the main window's menu bar with "&Tracklist" and its "Sort" submenu open,
// beside a context menu with a checked, a disabled and a separator item.
TEST_F(MainMenuTest, Screenshot) {
    auto* context = new TBvPopupMenu(form);
    context->SetStyle(TBvMenuStyle::msXP);
    context->SetImages(images);
    TMenuItem* add = Add(context->Items(), "Add file(s)...", 0, 0);
    TMenuItem* checked = Add(context->Items(), "Show only removable devices");
    checked->SetChecked(true);
    TMenuItem* disabled = Add(context->Items(), "Remove file(s)", 0, 2);
    disabled->SetEnabled(false);
    Add(context->Items(), "-");
    Add(context->Items(), "Move &Up", ShortCut(VK_UP, ssCtrl));
    Add(context->Items(), "Move &Down", ShortCut(VK_DOWN, ssCtrl));
    (void)add;

    QImage shot(880, 460, QImage::Format_RGB32);
    shot.fill(QColor(0x3a, 0x6e, 0xa5));
    QPainter p(&shot);
    // Tracklist open, "Sort" highlighted with its submenu beside it.
    Key(Qt::Key_T, Qt::AltModifier);
    ASSERT_NE(ActiveMenuWindow(), nullptr);
    Key(Qt::Key_Up);
    Key(Qt::Key_Right);
    Key(Qt::Key_Down);
    p.drawImage(10, 10, form->Widget()->grab().toImage());
    const QPoint origin = form->Widget()->geometry().topLeft() - QPoint(10, 10);
    std::vector<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::Popup)
            windows.push_back(w);
    ASSERT_EQ(windows.size(), 2u) << "Tracklist and Sort are open";
    std::sort(windows.begin(), windows.end(),
              [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    for (QWidget* w : windows)
        p.drawImage(w->geometry().topLeft() - origin, w->grab().toImage());
    CloseMenus();
    PumpEvents();

    context->Popup(0, 0);
    PumpEvents();
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Down);
    PumpEvents();
    p.drawImage(QPoint(560, 60), popup->grab().toImage());
    CloseMenus();
    PumpEvents();
    p.end();
    const std::string path = std::string(BV_BINARY_DIR) + "/kit_menus.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    std::set<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 3)
        for (int x = 0; x < shot.width(); x += 3)
            colours.insert(shot.pixel(x, y));
    EXPECT_GT(colours.size(), 8u) << "the screenshot looks blank";
}

TEST(BvMainMenuLife, AMenuFreedBeforeItsFormLeavesTheFormsMessagesAlone) {
    TForm* form = MakeTestForm(300, 200);
    TComponent owner(nullptr);
    auto* images = new TImageList(&owner, 16, 16);
    auto* menu = new TBvMainMenu(form);
    menu->SetStyle(TBvMenuStyle::msXP);
    menu->SetImages(images);
    auto* item = new TMenuItem(form);
    item->SetCaption("&File");
    menu->Items()->Add(item);
    form->SetMenu(menu);
    form->Show();
    PumpEvents();
    const uint32_t command = item->Command();
    form->SetMenu(nullptr);
    delete menu;
    // The hook is gone with the menu: a late draw request reaches nobody's painter.
    TBitmap picture(50, 20);
    TDrawItemStruct dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = command;
    dis.hDC = picture.Canvas();
    dis.rcItem = TRect{0, 0, 50, 20};
    form->Perform(WM_DRAWITEM, 0, reinterpret_cast<intptr_t>(&dis));
    // The image list lives on and its changes reach no freed menu.
    TBitmap more(16, 16);
    images->AddMasked(&more, clWhite);
    delete form;
    PumpEvents();
}
