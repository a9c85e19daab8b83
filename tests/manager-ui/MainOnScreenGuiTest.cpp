// The main window's menus and the About box at the screen's edges and under a language file
// with captions far longer than a screen: every item can be reached, every window lies on the
// screen, and the long texts are cut and named once.
#include "LanguageFiles.h"
#include "MainWindowFixture.h"
#include "UnitAbout.h"

#include <QAbstractScrollArea>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

QRect WorkArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

class MainOnScreen : public MainWindowTest {
protected:
    void SetUp() override {
        setenv("BRISVANE_DRIVES", ("E=" + folder.File("no-card") + ":removable").c_str(), 1);
        RefreshDriveTable();
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
    }
    void AddPlaylists(int n) {
        for (int i = 0; i < n; ++i) {
            TDialogAnswer a;
            a.Accepted = true;
            a.Text = "Playlist " + std::to_string(i + 1);
            dialogs.Answers.push_back(a);
            form->Newplaylist1->Click();
            PumpEvents();
        }
    }
    // A language file beside the program, applied as choosing it in the options does.
    void ApplyLanguage(const std::string& xml) {
        folder.Write("Long.lng", xml);
        ApplyLanguageFile(*form->BvTranslator1, M(), ToWindowsPath(folder.File("Long.lng")));
        PumpEvents();
    }
    static std::string LongText(size_t length) {
        std::string text;
        for (int i = 0; text.size() < length; ++i)
            text += "Options " + std::to_string(i) + " ";
        text.resize(length);
        return text;
    }
};

} // namespace

// "Copy to playlist" opened from the last line of a track view that reaches the screen's
// bottom: the menu and its submenu of playlists stand on the screen, and the last playlist is
// chosen with the mouse.
TEST_F(MainOnScreen, CopyToPlaylistNearTheScreensBottomShowsEveryPlaylist) {
    const QRect area = WorkArea();
    Start(std::min(1024, area.width()), area.height());
    form->SetBounds(area.left(), area.top(), std::min(1024, area.width()), area.height());
    PumpEvents();
    FillTracks(60);
    AddPlaylists(12);
    form->bvGroupPlaylists->Collapse(true);
    PumpEvents();

    // A right click on the track view's last visible line.
    TBvPlaylist* view = form->BvPlaylist;
    auto* scroll = dynamic_cast<QAbstractScrollArea*>(view->Widget());
    QWidget* viewport = scroll ? scroll->viewport() : view->Widget();
    const QPoint at(40, viewport->height() - 8);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    PumpEvents();
    QWidget* top = viewport->window();
    QTest::mouseClick(top->windowHandle(), Qt::RightButton, {}, viewport->mapTo(top, at));
    PumpEvents();
    QWidget* menu = ActiveMenuWindow();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(area.contains(menu->geometry()));

    // Down the menu to "Copy to playlist" and into it.
    const std::vector<TMenuItem*> items = VisibleMenuItems(form->TrackListMenu->Items());
    const int copyAt = static_cast<int>(
        std::find(items.begin(), items.end(), form->CopyToPlaylist1) - items.begin());
    ASSERT_LT(copyAt, static_cast<int>(items.size()));
    for (int i = 0; i < 40 && HighlightedMenuIndex(form->TrackListMenu->Items()) != copyAt; ++i)
        Key(Qt::Key_Down);
    Key(Qt::Key_Right);
    QWidget* submenu = QApplication::activePopupWidget();
    ASSERT_NE(submenu, nullptr);
    ASSERT_NE(submenu, menu);
    EXPECT_TRUE(area.contains(submenu->geometry()))
        << submenu->geometry().y() << "+" << submenu->geometry().height();
    Save("main_window_copy_to_playlist_at_bottom");

    // The last playlist, near the submenu's bottom, takes a real click.
    const QPoint last(submenu->width() / 2, submenu->height() - 8);
    QTest::mouseMove(submenu, last);
    QTest::mouseClick(submenu, Qt::LeftButton, {}, last);
    PumpEvents();
    EXPECT_EQ(ActiveMenuWindow(), nullptr);
    ASSERT_GT(M().Model.PlaylistTracks[12].Count(), 0) << "copied to Playlist 12";
}

// A 1 MB caption on File > "Options": the caption is cut, the menu opens within the screen,
// Options still runs from it, and the file and the caption are named once.
TEST_F(MainOnScreen, AMegabyteCaptionInTheFileMenuIsCutAndTheMenuOpens) {
    Start();
    ApplyLanguage("<?xml version=\"1.0\" encoding=\"utf-8\"?><Language><Form1><Options1 "
                  "Caption=\"" +
                  LongText(1 << 20) + "\"/></Form1></Language>");
    EXPECT_EQ(form->Options1->Caption().size(), TBvTranslator::MaxTextLength);
    ASSERT_FALSE(dialogs.Requests.empty());
    const std::string message = dialogs.Requests.back().Text;
    EXPECT_NE(message.find("Long.lng"), std::string::npos) << message;
    EXPECT_NE(message.find("Form1.Options1.Caption"), std::string::npos) << message;
    const size_t asked = dialogs.Requests.size();
    // Applied again, as the options' OK does: nothing new to say.
    ApplyLanguageFile(*form->BvTranslator1, M(), ToWindowsPath(folder.File("Long.lng")));
    EXPECT_EQ(dialogs.Requests.size(), asked);

    QTest::keyClick(form->Widget(), Qt::Key_F, Qt::AltModifier);
    PumpEvents();
    QWidget* menu = ActiveMenuWindow();
    ASSERT_NE(menu, nullptr);
    const QRect area = WorkArea();
    EXPECT_TRUE(area.contains(menu->geometry()));
    EXPECT_LE(menu->width(), area.width());
    Save("main_window_file_menu_long_caption");
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
}

// A 1 MB text in the About box: the box lies on the screen, its text wraps, OK takes a click.
TEST_F(MainOnScreen, TheAboutBoxWithAMegabyteTextLiesOnTheScreen) {
    Start();
    auto* about = new TAboutBox(Application);
    about->AfterConstruction();
    ApplyLanguage("<?xml version=\"1.0\" encoding=\"utf-8\"?><Language><AboutBox><Credits "
                  "Caption=\"" +
                  LongText(1 << 20) + "\"/><Label1 Caption=\"" + LongText(5000) +
                  "\"/></AboutBox></Language>");
    const QRect area = WorkArea();
    bool shown = false;
    QTimer::singleShot(0, [&] {
        PumpEvents();
        shown = true;
        const QRect frame = about->Widget()->frameGeometry();
        EXPECT_TRUE(area.contains(frame)) << frame.width() << "x" << frame.height();
        EXPECT_LE(about->Credits->Left() + about->Credits->Width(), about->ClientWidth());
        EXPECT_LE(about->Label1->Left() + about->Label1->Width(), about->ClientWidth());
        // The links no longer stand beside the credits' lines, which wrapped: below them.
        for (TLabel* link : {about->Label1, about->Label2, about->Label3, about->Label4}) {
            TRect both;
            EXPECT_FALSE(IntersectRect(both, about->Credits->BoundsRect(), link->BoundsRect()))
                << link->Name();
            EXPECT_LE(link->Top() + link->Height(), about->OKButton->Top());
        }
        const std::string path =
            std::string(BV_BINARY_DIR) + "/screenshots/about_box_long_text.png";
        about->Widget()->grab().save(QString::fromStdString(path));
        QTest::mouseClick(about->OKButton->Widget(), Qt::LeftButton, {},
                          QPoint(about->OKButton->Width() / 2, about->OKButton->Height() / 2));
    });
    about->Execute();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(about->Visible());
    delete about;
    PumpEvents();
}
