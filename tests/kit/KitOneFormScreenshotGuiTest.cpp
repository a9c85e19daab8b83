// The kit's list and status controls together on one form, laid out as the main window
// places them, saved as a picture for a person to look at. The probes check that the parts
// the picture is about are there and that no control covers another.
#include "BvListBox.h"
#include "BvPanel.h"
#include "BvPlaylist.h"
#include "BvSpecialProgress.h"
#include "BvgGroupBox.h"
#include "BvgListBox.h"
#include "GuiTestEnvironment.h"
#include "KitPictures.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

TBvgGroupBox* MakeGroup(TForm* form, const char* caption, int top, int height) {
    auto* box = new TBvgGroupBox(form);
    box->SetParent(form);
    UseTestFont(box->Font());
    box->SetCaption(caption);
    box->SetBounds(8, top, 240, height);
    return box;
}

TRect BoundsOnForm(TControl* c, TForm* form) {
    const TPoint o = c->ClientOrigin();
    const TPoint f = form->ClientOrigin();
    return Rect(o.X - f.X, o.Y - f.Y, o.X - f.X + c->Width(), o.Y - f.Y + c->Height());
}

bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TEST(KitOneFormScreenshot, EachControlInItsUsualState) {
    TForm* form = MakeTestForm(720, 430);
    form->SetCaption("Brisvane");
    form->SetColor(clBtnFace);

    // Left column: the playlists, the log with two progress bars, and a collapsed box.
    TBvgGroupBox* playlistsBox = MakeGroup(form, "Playlists", 8, 170);
    TImageList images(nullptr);
    for (const char* path :
         {"places/folder.png", "mimetypes/audio-x-generic.png", "mimetypes/audio-x-generic.png",
          "places/user-home.png", "mimetypes/audio-x-generic.png"})
        AddTangoPicture(&images, path);
    auto* playlists = new TBvgListBox(form);
    playlists->SetParent(playlistsBox);
    playlists->SetBounds(8, 22, 224, 140);
    UsePlaylistBoxLook(playlists, &images, 5);
    for (const char* s : {"All music", "Rock", "Jazz and blues", "Podcasts", "Road trip"})
        playlists->Items()->Add(s);

    TBvgGroupBox* log = MakeGroup(form, "Log", 186, 84);
    auto* solid = MakeBar(form, log, 28, 224, true, "Copying file: %d%%");
    auto* blocks = MakeBar(form, log, 54, 224, false, "Encoding file: %d%%");
    TBvgGroupBox* deleted = MakeGroup(form, "Deleted", 278, 100);
    deleted->SetCollapsed(true);

    // Right: the track view, twelve numbered lines, and the information hint below it.
    auto* tracks = new TBvPlaylist(form);
    tracks->SetParent(form);
    UseTestFont(tracks->Font());
    tracks->SetBounds(260, 8, 450, 250);
    tracks->SetShowNumbers(true);
    std::vector<std::pair<std::string, int>> entries;
    const char* titles[] = {"Blue Morning", "Harbour Lights", "Paper Kites",   "Slow River",
                            "North Road",   "Glass Houses",   "Evening Train", "Salt and Tar",
                            "Quiet Hours",  "Lanterns",       "Wide Awake",    "Last Ferry"};
    for (int i = 0; i < 12; ++i)
        entries.push_back({std::string("The Brisk Vanes - ") + titles[i] + ".mp3", i});
    tracks->SetEntries(entries);

    auto* hint = new TBvPanel(form);
    hint->SetParent(form);
    UseTestFont(hint->Font());
    hint->SetBounds(260, 270, 240, 110);
    hint->SetColor(kHintPanelColor);
    hint->BevelOuter = TPanelBevel::bvLowered;
    hint->SetMultiLine(true);
    hint->Alignment = TAlignment::taLeftJustify;
    hint->SetCaption("Artist: The Brisk Vanes\r\nAlbum: Harbour\r\nTitle: Slow River\r\nTime: "
                     "03:05\r\nMPEG Audio\r\nBitrate: 128 kbps");
    hint->SetSizeable(true);

    form->Show();
    QWidget* window = form->Widget();
    QApplication::setActiveWindow(window);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    PumpEvents();

    // Chosen with the real mouse, as the user does: a playlist, then a track.
    auto viewport = [](TWinControl* c) {
        auto* area = dynamic_cast<QAbstractScrollArea*>(c->Widget());
        return area ? area->viewport() : c->Widget();
    };
    auto center = [](const TRect& r) {
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    QTest::mouseClick(viewport(playlists), Qt::LeftButton, {}, center(playlists->ItemRect(1)));
    QTest::mouseClick(viewport(tracks), Qt::LeftButton, {}, center(tracks->ItemRect(3)));
    PumpEvents();
    EXPECT_EQ(playlists->ItemIndex(), 1);
    EXPECT_EQ(tracks->ItemIndex(), 3);
    EXPECT_EQ(tracks->Lines()->Items()[0], "1. The Brisk Vanes - Blue Morning");
    EXPECT_EQ(tracks->Lines()->Items()[11], "12. The Brisk Vanes - Last Ferry");
    EXPECT_EQ(solid->DisplayText(), "Copying file: 50%");
    EXPECT_EQ(blocks->DisplayText(), "Encoding file: 50%");
    EXPECT_EQ(deleted->Height(), deleted->CaptionRect().Bottom + 1);

    // No control covers another on the form.
    std::vector<TControl*> top = {playlistsBox, log, deleted, tracks, hint};
    for (size_t i = 0; i < top.size(); ++i)
        for (size_t j = i + 1; j < top.size(); ++j)
            EXPECT_FALSE(Overlap(BoundsOnForm(top[i], form), BoundsOnForm(top[j], form)))
                << i << " and " << j;
    // All twelve lines show without scrolling.
    EXPECT_LE(tracks->ItemRect(11).Bottom, tracks->ClientHeight());

    QImage shot = form->ClientWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const std::string path = std::string(BV_BINARY_DIR) + "/kit_one_form.png";
    EXPECT_TRUE(shot.save(QString::fromStdString(path)));
    const TRect h = BoundsOnForm(hint, form);
    const QRgb p = shot.pixel(h.Left + 120, h.Bottom - 4);
    EXPECT_EQ(RGB(qRed(p), qGreen(p), qBlue(p)), kHintPanelColor);
    delete form;
    PumpEvents();
}

} // namespace
