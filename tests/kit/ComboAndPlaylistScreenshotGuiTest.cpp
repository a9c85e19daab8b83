// One picture for a person to look at: two kit combo boxes, one empty and showing its
// placeholder, one dropped down, and an owner-drawn playlist box with pictures, one item
// selected and one under the mouse.
#include "BvComboBox.h"
#include "BvgListBox.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(ComboAndPlaylistScreenshot, PlaceholderDroppedDownListAndPlaylistBox) {
    TForm* form = MakeTestForm(440, 300);
    form->SetCaption("Kit combo and list boxes");
    form->SetColor(clBtnFace);

    auto* search = new TBvComboBox(form);
    search->SetParent(form);
    UseTestFont(search->Font());
    search->SetBounds(10, 10, 200, 24);
    search->Items()->Add("Abba");
    search->SetEmptyValue("Search the library");

    auto* encoder = new TBvComboBox(form);
    encoder->SetParent(form);
    UseTestFont(encoder->Font());
    encoder->SetBounds(10, 90, 200, 24);
    encoder->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char* s : {"MP3, 128 kbit/s", "MP3, 192 kbit/s", "AAC (M4A), 128 kbit/s"})
        encoder->Items()->Add(s);
    encoder->SetItemIndex(1);

    TImageList images(nullptr);
    for (const char* path :
         {"places/folder.png", "mimetypes/audio-x-generic.png", "mimetypes/audio-x-generic.png",
          "places/user-home.png", "mimetypes/audio-x-generic.png"})
        AddTangoPicture(&images, path);

    // The main window's playlist box: white items with a shadow line at the bottom, the
    // selected one on a gradient in a bold raised frame, the hot one in the hot colour.
    auto* playlists = new TBvgListBox(form);
    playlists->SetParent(form);
    playlists->SetBounds(230, 10, 190, 200);
    UsePlaylistBoxLook(playlists, &images, 5);
    for (const char* s :
         {"All music", "Rock", "Jazz and blues for a long evening", "Podcasts", "Deleted"})
        playlists->Items()->Add(s);

    form->Show();
    QApplication::setActiveWindow(form->Widget());
    PumpEvents();
    // The playlist box has the focus, so the search box shows its placeholder.
    playlists->SetFocus();
    PumpEvents();
    playlists->SetItemIndex(1);
    auto* view = qobject_cast<QAbstractItemView*>(playlists->Widget());
    ASSERT_NE(nullptr, view);
    const TRect hot = playlists->ItemRect(3);
    QTest::mouseMove(view->viewport(), QPoint(60, (hot.Top + hot.Bottom) / 2));
    PumpEvents();
    ASSERT_EQ(3, playlists->HotIndex());
    ASSERT_TRUE(search->IsEmptyValue());

    // The form as it is now; opening the list takes the mouse from the playlist box.
    QImage formShot = form->Widget()->grab().toImage();
    QComboBox* qc = qobject_cast<QComboBox*>(encoder->Widget());
    ASSERT_NE(nullptr, qc);
    QTest::mouseClick(qc, Qt::LeftButton, Qt::NoModifier, QPoint(100, 12));
    PumpEvents();
    QAbstractItemView* popupView = qc->view();
    ASSERT_TRUE(popupView->isVisible());
    EXPECT_TRUE(search->IsEmptyValue());

    // The form and the open list, composed as they lie on the screen.
    QImage shot = ComposeWithPopup(formShot, form->Widget(), popupView->window());
    const std::string path = std::string(BV_BINARY_DIR) + "/kit_combo_and_playlist_box.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    // The playlist box three times as large, for its bevels and pictures.
    const QImage box =
        formShot.copy(playlists->Left(), playlists->Top() + 20, playlists->Width(), 110);
    EXPECT_TRUE(box.scaled(box.size() * 3)
                    .save(QString::fromStdString(std::string(BV_BINARY_DIR) +
                                                 "/kit_playlist_box_zoomed.png")));
    encoder->SetDroppedDown(false);
    delete form;
}

} // namespace
