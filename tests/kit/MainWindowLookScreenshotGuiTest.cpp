// One picture of the main window's clickable kit as a person sees it: the menu bar with
// "&Tracklist" and its "Sort" submenu open, the track view's context menu, the speed bar's seven
// buttons and the column of image buttons. Drop-downs are windows of their own, so the form
// and every open drop-down are drawn at their screen places into one image.
#include "BvButton.h"
#include "BvMenuItemPainters.h"
#include "BvSpeedbar.h"
#include "GuiTestEnvironment.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A Tango picture laid on the button face, which the list masks out again; a plain square
// stands in when the icon theme is missing.
void AddTangoPicture(TImageList* images, const std::string& name, int size) {
    TBitmap face(size, size);
    face.Canvas()->Brush()->SetColor(clBtnFace);
    face.Canvas()->FillRect(Rect(0, 0, size, size));
    QImage icon(QString::fromStdString("/usr/share/icons/Tango/" + std::to_string(size) + "x" +
                                       std::to_string(size) + "/actions/" + name + ".png"));
    if (!icon.isNull()) {
        QPainter painter(&face.Image());
        painter.drawImage(0, 0, icon);
    } else {
        face.Canvas()->Brush()->SetColor(clNavy);
        face.Canvas()->FillRect(Rect(size / 8, size / 8, size - size / 8, size - size / 8));
    }
    images->AddMasked(&face, clBtnFace);
}

// Every visible drop-down window, in the order they opened (left to right here).
std::vector<QWidget*> OpenDropDowns() {
    std::vector<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowType() == Qt::Popup)
            windows.push_back(w);
    std::sort(windows.begin(), windows.end(),
              [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    return windows;
}

struct TPiece {
    QRect Place; // on the screen
    QImage Picture;
};

TPiece Piece(QWidget* w) {
    return {w->geometry(), w->grab().toImage().convertToFormat(QImage::Format_RGB32)};
}

// Where a window was put: its frame's corner.
QPoint PlacedAt(QWidget* w) {
    return w->frameGeometry().topLeft();
}

struct MainWindowLook {
    TForm* form = MakeTestForm(880, 680);
    TImageList* menuImages = new TImageList(form, 16, 16);
    TImageList* barImages = new TImageList(form, 32, 32);
    TBvMainMenu* mainMenu = new TBvMainMenu(form);
    TBvPopupMenu* trackListMenu = new TBvPopupMenu(form);
    TMenuItem* tracklist = nullptr;
    TMenuItem* sort = nullptr;
    TBvSpeedBar* bar = new TBvSpeedBar(form);
    std::vector<TBvSpeedItem*> items;
    std::vector<TBvImgBtn*> buttons;

    TMenuItem* Add(TMenuItem* parent, const char* caption, TShortCut shortCut = 0, int image = -1) {
        auto* it = new TMenuItem(form);
        it->SetCaption(caption);
        it->ShortCut = shortCut;
        it->ImageIndex = image;
        parent->Add(it);
        return it;
    }

    MainWindowLook() {
        form->SetColor(clBtnFace);
        for (const char* name : {"document-open", "folder-new", "list-remove", "go-up", "go-down",
                                 "edit-find", "view-refresh"})
            AddTangoPicture(menuImages, name, 16);
        BuildMenus();
        BuildSpeedBar();
        BuildImageButtons();
        form->SetMenu(mainMenu);
        form->Show();
        PumpEvents();
    }
    ~MainWindowLook() {
        CloseMenus();
        delete form;
        PumpEvents();
    }

    void BuildMenus() {
        mainMenu->SetStyle(TBvMenuStyle::msXP);
        mainMenu->SetImages(menuImages);
        TMenuItem* file = Add(mainMenu->Items(), "&File");
        Add(file, "Options");
        Add(file, "-");
        Add(file, "Exit");
        TMenuItem* mobile = Add(mainMenu->Items(), "Mobile phone");
        Add(mobile, "Scan mobile", 0, 5);
        tracklist = Add(mainMenu->Items(), "&Tracklist");
        Add(tracklist, "Add file(s)...", 0, 0);
        Add(tracklist, "Add directory...", 0, 1);
        Add(tracklist, "Check for dead files");
        Add(tracklist, "Remove selected", 0, 2);
        Add(tracklist, "-");
        Add(tracklist, "Select all", ShortCut('A', ssCtrl));
        Add(tracklist, "Invert selection");
        Add(tracklist, "Select none");
        Add(tracklist, "-");
        TMenuItem* playlist = Add(tracklist, "Playlist");
        for (const char* p :
             {"New playlist...", "Rename playlist...", "Delete playlist", "Clear playlists"})
            Add(playlist, p);
        Add(tracklist, "-");
        sort = Add(tracklist, "Sort");
        for (const char* by :
             {"Sort by Artist", "Sort by Title", "Sort by Album", "Sort by Bitrate", "Sort by Size",
              "Sort by Length", "-", "Sort all playlists"})
            Add(sort, by);
        Add(mainMenu->Items(), "Media Database");
        Add(mainMenu->Items(), "Help");

        trackListMenu->SetStyle(TBvMenuStyle::msXP);
        trackListMenu->SetImages(menuImages);
        Add(trackListMenu->Items(), "Add file(s)...", 0, 0);
        Add(trackListMenu->Items(), "Remove file(s)", 0, 2)->SetEnabled(false);
        Add(trackListMenu->Items(), "Show only removable devices")->SetChecked(true);
        Add(trackListMenu->Items(), "-");
        Add(trackListMenu->Items(), "Move &Up", ShortCut(VK_UP, ssCtrl), 3);
        Add(trackListMenu->Items(), "Move &Down", ShortCut(VK_DOWN, ssCtrl), 4);
        Add(trackListMenu->Items(), "-");
        Add(Add(trackListMenu->Items(), "Copy to playlist"), "Road trip");
    }

    void BuildSpeedBar() {
        bar->SetParent(form);
        // Docked at the bottom (the user may drag it there), so that the drop-downs of the menu
        // bar do not hide its buttons in the picture.
        bar->SetAlign(TAlign::alBottom);
        bar->Font()->SetName("DejaVu Sans");
        bar->Font()->SetHeight(-9);
        bar->SetOptions(sbAllowDrag | sbFlatBtns | sbTransparentBtns | sbGrayedBtns);
        bar->SetBtnWidth(72);
        bar->SetBtnHeight(85);
        bar->SetBtnOffsetHorz(4);
        bar->SetBtnOffsetVert(4);
        for (const char* name : {"document-open", "folder-new", "list-remove", "go-up", "go-down",
                                 "system-search", "view-refresh"})
            AddTangoPicture(barImages, name, 32);
        bar->SetImages(barImages);
        bar->AddSectionByCaption("files");
        const char* const captions[] = {"Add file(s)...", "Add Directory...", "Remove",
                                        "Move Up",        "Move Down",        "Scan",
                                        "Update"};
        for (int i = 0; i < 7; ++i) {
            auto* item = new TBvSpeedItem(form);
            item->SetName("item" + std::to_string(i));
            bar->AddItem(0, item);
            item->SetBtnCaption(captions[i]);
            item->SetImageIndex(i);
            item->SetLeft(4 + 72 * i);
            item->SetTop(4);
            item->SetVisible(true);
            items.push_back(item);
        }
        bar->SetHeight(93);
    }

    void BuildImageButtons() {
        auto* pictures = new TImageList(form, 18, 18);
        for (int i = 0; i < ImgBtnDefaultImages()->Count(); ++i) {
            TBitmap picture, mask;
            ImgBtnDefaultImages()->GetBitmap(i, &picture);
            ImgBtnDefaultImages()->GetMask(i, &mask);
            pictures->Add(&picture, &mask);
        }
        struct TColumnButton {
            const char* Caption;
            int Picture;
            bool Enabled;
        };
        const TColumnButton column[] = {
            {"Update mobile...", 3, true},
            {"Reset program", 6, true},
            {"Scan mobile...", 7, true},
            {"Read iTunesDB", 0, true},
            {"Scan mobile for files", 9, true},
            {"Stop", 8, false},
            {"Search", 2, true},
            {"Refresh", 4, true},
        };
        // Below the Tracklist menu's drop-down, which would hide the captions.
        int top = 280;
        for (const TColumnButton& c : column) {
            auto* b = new TBvImgBtn(form);
            UseTestFont(b->Font());
            b->SetParent(form);
            b->SetBounds(8, top, 180, 30);
            b->SetFlat(true);
            b->SetAlignment(TAlignment::taLeftJustify);
            b->SetImages(pictures);
            b->SetImageIndex(c.Picture);
            b->SetCaption(c.Caption);
            b->SetEnabled(c.Enabled);
            buttons.push_back(b);
            top += 34;
        }
    }

    QPoint ButtonCentre(int i) { return QPoint(items[static_cast<size_t>(i)]->Left() + 36, 44); }
};

QImage Compose(const std::vector<TPiece>& pieces) {
    QRect all;
    for (const TPiece& p : pieces)
        all = all.united(p.Place);
    QImage shot(all.size(), QImage::Format_RGB32);
    shot.fill(QColor(0x3a, 0x6e, 0xa5));
    QPainter painter(&shot);
    for (const TPiece& p : pieces)
        painter.drawImage(p.Place.topLeft() - all.topLeft(), p.Picture);
    return shot;
}

TEST(MainWindowLookScreenshot, MenusSpeedBarAndImageButtons) {
    MainWindowLook w;
    std::vector<TPiece> pieces;

    // The track view's context menu, opened over the empty part of the window with "Move Up"
    // chosen by the keys; grabbed first, as opening another menu closes it. The point lies
    // near the screen's right edge, so the menu opens to its left, clear of the Tracklist menu.
    TPoint at = w.form->ClientToScreen({740, 40});
    w.trackListMenu->Popup(at.X, at.Y);
    PumpEvents();
    QWidget* context = QApplication::activePopupWidget();
    ASSERT_NE(context, nullptr);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(context, Qt::Key_Down);
    PumpEvents();
    TPiece contextPiece = Piece(context);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    if (at.X + context->frameGeometry().width() > screen.right() + 1)
        EXPECT_EQ(PlacedAt(context), QPoint(at.X - context->frameGeometry().width(), at.Y))
            << "the context menu ends at its point where the screen ends";
    else
        EXPECT_EQ(PlacedAt(context), QPoint(at.X, at.Y)) << "the context menu opens at its point";
    EXPECT_TRUE(screen.contains(context->frameGeometry())) << "and lies on the screen";
    CloseMenus();
    PumpEvents();

    // The speed bar: "Remove" hot under the pointer, "Scan" held down, "Move Down" disabled.
    w.items[4]->SetEnabled(false);
    QWidget* surface = w.bar->Widget();
    QTest::mouseMove(surface, w.ButtonCentre(2));
    PumpEvents();
    EXPECT_TRUE(w.items[2]->Button()->MouseInControl());
    QTest::mousePress(surface, Qt::LeftButton, {}, w.ButtonCentre(5));
    EXPECT_EQ(w.items[5]->Button()->State(), TBvButtonState::rbsDown);

    // "&Tracklist" open by its mnemonic, "Sort" chosen with its submenu beside it.
    QTest::keyClick(w.form->Widget(), Qt::Key_T, Qt::AltModifier);
    PumpEvents();
    ASSERT_NE(ActiveMenuWindow(), nullptr) << "Alt+T opens the Tracklist menu";
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Down);
    PumpEvents();
    std::vector<QWidget*> dropDowns = OpenDropDowns();
    ASSERT_EQ(dropDowns.size(), 2u) << "Tracklist and Sort are open";

    EXPECT_EQ(w.items[5]->Button()->State(), TBvButtonState::rbsDown) << "still held";
    // The pointer holds "Scan", so "Remove" is given its hot look by the notice the pointer
    // brought it before: the picture shows both looks at once.
    w.items[2]->Button()->Perform(CM_MOUSEENTER, 0, 0);
    PumpEvents();
    EXPECT_TRUE(w.items[2]->Button()->MouseInControl());
    pieces.push_back(Piece(w.form->Widget()));
    for (QWidget* d : dropDowns)
        pieces.push_back(Piece(d));
    pieces.push_back(contextPiece);
    CloseMenus();
    PumpEvents();
    QTest::mouseRelease(surface, Qt::LeftButton, {}, w.ButtonCentre(5));
    PumpEvents();

    QImage shot = Compose(pieces);
    const std::string path = std::string(BV_BINARY_DIR) + "/kit_main_window_look.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    // The speed bar lies wholly inside the window, below the menu bar's room.
    EXPECT_EQ(w.bar->Top() + w.bar->Height(), w.form->ClientHeight());

    // The Sort submenu opens right of the Tracklist menu, level with its "Sort" item.
    const QRect tracklistPlace = pieces[1].Place, sortPlace = pieces[2].Place;
    EXPECT_GE(sortPlace.left(), tracklistPlace.right() - 4);
    EXPECT_GT(sortPlace.top(), tracklistPlace.top() + tracklistPlace.height() / 2);
    // Nothing that should stay visible is covered: the context menu keeps clear of the other
    // drop-downs and of the image buttons' column.
    EXPECT_FALSE(contextPiece.Place.intersects(tracklistPlace));
    EXPECT_FALSE(contextPiece.Place.intersects(sortPlace));
    TPoint column = w.form->ClientToScreen({8 + 180, 280});
    EXPECT_GT(contextPiece.Place.left(), column.X);
    EXPECT_LT(tracklistPlace.bottom(), column.Y);
    EXPECT_GT(sortPlace.left(), column.X);
    TBvImgBtn* last = w.buttons.back();
    EXPECT_LE(last->Top() + last->Height(), w.bar->Top()) << "the column ends above the bar";
    // The menu bar's drop-downs end above the speed bar.
    TPoint bar = w.bar->ClientToScreen({0, 0});
    EXPECT_LT(sortPlace.bottom(), bar.Y);
    EXPECT_LT(tracklistPlace.bottom(), bar.Y);
}

} // namespace
