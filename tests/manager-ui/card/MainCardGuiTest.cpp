// The main window runs the card as a person does: clicks on the "Actions" buttons and
// the "Stop" button, keys in the menus, right-clicks for the context menus, the dialogs
// answered through the gui layer's seam. "E:" is a temporary card folder.
#include "AudioFixtures.h"
#include "DatabaseReader.h"
#include "Dispatcher.h"
#include "MainWindowFixture.h"
#include "Menus.h"
#include "RtFileUtils.h"
#include "TrackFileCopy.h"
#include "TrackManagerUpdateState.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace BvTest;
using TRunKind = TTrackManager::TRunKind;

std::string Fixture(const std::string& name) {
    return std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
}

class MainCardTest : public MainWindowTest {
protected:
    std::string Card = folder.File("card");
    std::string Pc = folder.File("pc");

    void SetUp() override {
        fs::create_directories(Pc + "/music");
        MapCard(Card);
    }
    void MakeWindow() { Start(PathsIn(Pc)); }
    TTrackManager& M() { return *form->Manager; }

    void PutMusic() {
        for (const auto& [fixture, as] : std::vector<std::pair<std::string, std::string>>{
                 {"v23_latin1_cbr.mp3", "one.mp3"},
                 {"v11_only.mp3", "two.mp3"},
                 {"v24_utf8_vbr.mp3", "three.mp3"},
                 {"v23_utf16_cbr_noheader.mp3", "four.mp3"}})
            fs::copy_file(Fixture(fixture), Pc + "/music/" + as);
        WriteM4aFixture(Pc + "/music/Band - Five.m4a", 2.0, 96);
    }

    QWidget* KeyTarget() {
        if (QWidget* popup = QApplication::activePopupWidget())
            return popup;
        if (QWidget* menu = ActiveMenuWindow())
            return menu;
        return QApplication::focusWidget() ? QApplication::focusWidget() : form->Widget();
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(KeyTarget(), key, mods);
        PumpEvents();
    }
    // A menu of the bar opened with its mnemonic, then the item `downs` lines down.
    void MenuByKeys(Qt::Key mnemonic, int downs) {
        form->BvPlaylist->SetFocus();
        PumpEvents();
        Key(mnemonic, Qt::AltModifier);
        for (int i = 0; i < downs; ++i)
            Key(Qt::Key_Down);
        Key(Qt::Key_Return);
    }
    QAbstractItemView* ViewOf(TWinControl* list) {
        return dynamic_cast<QAbstractItemView*>(list->Widget());
    }
    void ClickLine(TWinControl* list, int row, Qt::KeyboardModifiers mods = Qt::NoModifier,
                   Qt::MouseButton button = Qt::LeftButton) {
        QAbstractItemView* v = ViewOf(list);
        ASSERT_NE(v, nullptr);
        const QRect r = v->visualRect(v->model()->index(row, 0));
        // The modifier key is held down as a hand does, not only named in the click.
        if (mods & Qt::ControlModifier)
            QTest::keyPress(v->viewport(), Qt::Key_Control);
        QTest::mouseClick(v->viewport(), button, mods, r.center(), 20);
        if (mods & Qt::ControlModifier)
            QTest::keyRelease(v->viewport(), Qt::Key_Control, mods);
        PumpEvents();
    }
    // A right click opens the control's context menu where the mouse is.
    void RightClickLine(TWinControl* list, int row, bool click = true) {
        QAbstractItemView* v = ViewOf(list);
        const QRect r = v->visualRect(v->model()->index(row, 0));
        if (click)
            QTest::mouseClick(v->viewport(), Qt::RightButton, Qt::NoModifier, r.center());
        // The window system follows a right click with a context menu event; a click sent
        // to the widget alone does not make one.
        QContextMenuEvent menu(QContextMenuEvent::Mouse, r.center(),
                               v->viewport()->mapToGlobal(r.center()));
        QApplication::sendEvent(v->viewport(), &menu);
        PumpEvents();
    }
    bool WaitIdle(int seconds = 60) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (M().IsBusy() && std::chrono::steady_clock::now() < end) {
            PumpEvents(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        PumpEvents();
        return !M().IsBusy();
    }
    std::string Log() { return form->MemoLog->Lines()->Text(); }
    bool Logged(const std::string& part) { return Log().find(part) != std::string::npos; }
    std::vector<std::string> Lines(TWinControl* list) {
        QAbstractItemView* v = ViewOf(list);
        std::vector<std::string> lines;
        for (int i = 0; i < v->model()->rowCount(); ++i)
            lines.push_back(v->model()->index(i, 0).data().toString().toStdString());
        return lines;
    }
    std::vector<std::string> PlaylistNames() {
        std::vector<std::string> names;
        for (int i = 0; i < form->ListBoxPlayLists->Items()->Count(); ++i)
            names.push_back((*form->ListBoxPlayLists->Items())[i]);
        return names;
    }
    std::vector<std::string> TrackViewLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < form->BvPlaylist->Items()->Count(); ++i)
            lines.push_back((*form->BvPlaylist->Items())[i]);
        return lines;
    }
    // The window with any message box drawn over it, saved under the build folder.
    void SaveShot(const std::string& name, QWidget* over = nullptr) {
        QImage shot = form->Widget()->grab().toImage();
        if (over) {
            QPainter p(&shot);
            const QImage box = over->grab().toImage();
            p.drawImage(
                QPoint((shot.width() - box.width()) / 2, (shot.height() - box.height()) / 3), box);
        }
        shot.save(QString::fromStdString(std::string(BV_BINARY_DIR) + "/" + name));
    }
    std::string DbPath() const { return Card + "/iTunes/iTunes_Control/iTunes/iTunesDB"; }
    std::vector<std::string> CardFiles() {
        std::vector<std::string> files;
        if (fs::exists(Card + "/mobile/audio"))
            for (const auto& e : fs::directory_iterator(Card + "/mobile/audio"))
                files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        return files;
    }
    // A big PC file that takes many copy blocks.
    std::string BigFile(const std::string& name, int blocks) {
        const std::string path = Pc + "/" + name;
        const std::string bytes = ReadWholeFile(Fixture("v23_latin1_cbr.mp3"));
        std::string data;
        while (data.size() < static_cast<size_t>(blocks) * FileCopyBlockSize)
            data += bytes;
        WriteWholeFile(path, data);
        return WindowsPathOf(path);
    }
};

// ---- The whole road -------------------------------------------------------------------

TEST_F(MainCardTest, AddUpdateResetReadAndRemoveThroughTheWindow) {
    PutMusic();
    MakeWindow();
    EXPECT_EQ('E', M().Model.PhoneDrive) << "the selector's drive";

    // Tracklist > Add directory... with the keyboard; the folder dialog answered.
    dialogs.Folders.push_back(Pc + "/music");
    MenuByKeys(Qt::Key_T, 1);
    ASSERT_EQ(5, form->BvPlaylist->Items()->Count()) << Log();

    // Two playlists from the playlist box's context menu, filled with "Copy to playlist".
    for (const char* name : {"Road", "Quiet"}) {
        dialogs.Inputs.push_back(name);
        ClickLine(form->ListBoxPlayLists, 0);
        RightClickLine(form->ListBoxPlayLists, 0);
        Key(Qt::Key_Down);
        Key(Qt::Key_Return);
    }
    ASSERT_EQ((std::vector<std::string>{"All music", "Road", "Quiet"}), PlaylistNames())
        << ::testing::PrintToString(form->HandlerLog)
        << (ViewOf(form->ListBoxPlayLists) != nullptr);
    // Lines first..first+count-1 chosen with a click and Shift+Down, then the context menu.
    auto copyTo = [&](int first, int count, int target) {
        ClickLine(form->ListBoxPlayLists, 0);
        ClickLine(form->BvPlaylist, first);
        for (int i = 1; i < count; ++i) {
            QTest::keyClick(ViewOf(form->BvPlaylist)->viewport(), Qt::Key_Down, Qt::ShiftModifier);
            PumpEvents();
        }
        EXPECT_EQ(static_cast<size_t>(count), form->BvPlaylist->SelectedLines().size())
            << ::testing::PrintToString(form->BvPlaylist->SelectedLines());
        // The menu key's context menu keeps the lines chosen.
        RightClickLine(form->BvPlaylist, first + count - 1, false);
        ASSERT_NE(ActiveMenuWindow(), nullptr);
        // Add file(s), Remove, Clear, Move up, Move down, Copy to playlist.
        for (int i = 0; i < 6; ++i)
            Key(Qt::Key_Down);
        Key(Qt::Key_Right);
        for (int i = 0; i < target; ++i)
            Key(Qt::Key_Down);
        Key(Qt::Key_Return);
    };
    copyTo(0, 2, 0);
    copyTo(2, 3, 1);
    ASSERT_EQ(2, M().Model.PlaylistTracks[1].Count());
    ASSERT_EQ(3, M().Model.PlaylistTracks[2].Count());
    ClickLine(form->ListBoxPlayLists, 0);
    const std::vector<std::string> shownBefore = TrackViewLines();

    // "Update mobile..." until the log says the mobile is updated.
    // How the window looked as the run began (five small files may be done at once).
    bool stopShown = false, readGreyed = false;
    const auto windowSink = M().RunSink;
    M().RunSink = [&](TRunKind run, bool running) {
        windowSink(run, running);
        if (running) {
            stopShown = form->btnCancel->Visible();
            readGreyed = !form->btnReadDB->Enabled();
        }
    };
    Click(form->btnUpdateMobile);
    ASSERT_TRUE(WaitIdle());
    M().RunSink = windowSink;
    EXPECT_TRUE(stopShown);
    EXPECT_TRUE(readGreyed);
    EXPECT_TRUE(Logged("Mobile updated!")) << Log();
    EXPECT_FALSE(form->btnCancel->Visible());
    EXPECT_TRUE(form->btnReadDB->Enabled());
    EXPECT_FALSE(form->bvGroupLog->Collapsed());
    EXPECT_EQ(form->ProgressAll->Maximum(), form->ProgressAll->Position());
    // Each log line as "(h:nn) text".
    const std::string first = (*form->MemoLog->Lines())[0];
    EXPECT_EQ('(', first[0]);
    EXPECT_NE(std::string::npos, first.find(") "));

    // The card holds the five files; the project's own reader finds them and the playlists.
    ASSERT_EQ(5u, CardFiles().size());
    TBvMultiStringHolder temp = MakeTempStringHolder();
    TPlaylistLists uids;
    TReaderContext context;
    context.IsInTrackList = [](const std::string&) { return false; };
    TDatabaseReader reader;
    const TScanResult scan = reader.Scan(ReadWholeFile(DbPath()), temp, uids, context, false);
    EXPECT_TRUE(scan.Completed);
    ASSERT_EQ(5, temp.StringsByName("FileName").Count());
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(FileExists(temp.StringsByName("FileName")[i]))
            << temp.StringsByName("FileName")[i];
    EXPECT_EQ((std::vector<std::string>{"All music", "Road", "Quiet"}),
              temp.StringsByName("Playlists").Items());
    EXPECT_EQ(2, uids[1].Count());
    EXPECT_EQ(3, uids[2].Count());

    // Reset, then "Read iTunesDB": the same lines and the same playlists.
    Click(form->btnResetProg);
    EXPECT_EQ(0, form->BvPlaylist->Items()->Count());
    Click(form->btnReadDB);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ((std::vector<std::string>{"All music", "Road", "Quiet"}), PlaylistNames());
    ClickLine(form->ListBoxPlayLists, 0);
    EXPECT_EQ(shownBefore, TrackViewLines());
    EXPECT_FALSE(form->bvGroupPlaylists->Collapsed());
    ClickLine(form->ListBoxPlayLists, 1);
    EXPECT_EQ(2, form->BvPlaylist->Items()->Count());
    ClickLine(form->ListBoxPlayLists, 0);
    ClickLine(form->BvPlaylist, 1);
    SaveShot("main_card_after_read.png");

    // Remove with "Yes" on two lines deletes exactly those two card files.
    const std::string gone1 = M().Model.TrackListHolder.StringsByName("FileName")[1];
    const std::string gone2 = M().Model.TrackListHolder.StringsByName("FileName")[2];
    QTest::keyClick(ViewOf(form->BvPlaylist)->viewport(), Qt::Key_Down, Qt::ShiftModifier);
    PumpEvents();
    dialogs.Buttons.push_back(IDYES);
    QTest::keyClick(ViewOf(form->BvPlaylist)->viewport(), Qt::Key_Delete);
    PumpEvents();
    EXPECT_EQ(3, M().Model.TrackCount());
    EXPECT_FALSE(FileExists(gone1));
    EXPECT_FALSE(FileExists(gone2));
    EXPECT_EQ(3u, CardFiles().size());
}

TEST_F(MainCardTest, AutomaticDetectionReadsAPresentCardOnceAndOnlyOnce) {
    // A card with a database, written by an update through the window.
    PutMusic();
    MakeWindow();
    dialogs.Folders.push_back(Pc + "/music");
    MenuByKeys(Qt::Key_T, 1);
    Click(form->btnUpdateMobile);
    ASSERT_TRUE(WaitIdle());
    ASSERT_TRUE(fs::exists(DbPath()));
    form->Close();
    PumpEvents();
    delete form;
    form = nullptr;

    // The second run: detection on, the card present from the start.
    WriteWholeFile(
        Pc + "/brisvane.ini",
        "[SETTINGS]\r\nAutoDetect=1\r\nAutoReadDB=1\r\nTransFlashDetectInterval=250\r\n");
    MakeWindow();
    int reads = 0;
    auto& st = UpdateStateOf(M());
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(2500)) {
        PumpEvents(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    WaitIdle();
    (void)st;
    const std::string log = Log();
    for (size_t at = log.find("Reading iTunes database..."); at != std::string::npos;
         at = log.find("Reading iTunes database...", at + 1))
        ++reads;
    EXPECT_EQ(1, reads) << log;
    EXPECT_EQ(5, M().Model.TrackCount());
    EXPECT_EQ(750, form->TransFlashTimer->Interval());
}

// ---- Stop and close ---------------------------------------------------------------------

TEST_F(MainCardTest, StopInTheMiddleOfACopyKeepsTheOldDatabase) {
    MakeWindow();
    fs::create_directories(fs::path(DbPath()).parent_path());
    WriteWholeFile(DbPath(), "old database");
    M().AddMp3ToTrackList(BigFile("big1.mp3", 3));
    M().AddMp3ToTrackList(BigFile("big2.mp3", 4));
    M().Model.UpdateAllMusic();
    M().RefreshTrackView();
    // The second file's copy waits after its first block until Stop is pressed.
    auto& st = UpdateStateOf(M());
    std::atomic<int> files{0};
    std::atomic<bool> second{false};
    st.AfterFirstCopyBlock = [&] {
        if (++files < 2)
            return;
        second = true;
        for (int i = 0; i < 5000 && !M().Model.CancelRequested; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    Click(form->btnUpdateMobile);
    while (!second)
        PumpEvents(1);
    // The bars have moved: the first file whole, a quarter of the second.
    for (int i = 0; i < 10; ++i) {
        PumpEvents(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(25, form->ProgressBar1->Position());
    EXPECT_GT(form->ProgressAll->Position(), 30);
    SaveShot("main_card_during_update.png");
    EXPECT_TRUE(form->btnCancel->Visible());
    Click(form->btnCancel);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ("old database", ReadWholeFile(DbPath()));
    // The file being copied is not left half-written; the one copied whole stays.
    EXPECT_EQ((std::vector<std::string>{"big1.mp3"}), CardFiles());
    EXPECT_TRUE(Logged("Update stopped.")) << Log();
    EXPECT_FALSE(form->btnCancel->Visible());
    EXPECT_TRUE(form->btnUpdateMobile->Enabled());
    EXPECT_TRUE(form->spUpdate->Enabled());
    EXPECT_TRUE(form->ReadiTunesDB1->Enabled());
}

TEST_F(MainCardTest, StopInTheMiddleOfAReencodeEndsTheEncoder) {
    const std::string wav = folder.File("long.wav");
    WriteSineWav(wav, 120.0);
    const std::string mp3 = Pc + "/long.mp3";
    ASSERT_EQ(0, std::system(("lame --quiet -b 192 '" + wav + "' '" + mp3 + "'").c_str()));
    MakeWindow();
    fs::create_directories(fs::path(DbPath()).parent_path());
    WriteWholeFile(DbPath(), "old database");
    M().Options.cbAutoEncode = true;
    M().Options.cbBitrate = "112";
    M().Options.comboConverters = "lame";
    M().AddMp3ToTrackList(WindowsPathOf(mp3));
    M().Model.UpdateAllMusic();
    auto& st = UpdateStateOf(M());
    std::atomic<int> pid{0};
    st.EncoderStarted = [&] { pid = st.EncoderPid.load(); };
    Click(form->btnUpdateMobile);
    while (!pid)
        PumpEvents(1);
    // The encoder's own progress moves the bar.
    const auto start = std::chrono::steady_clock::now();
    while (form->ProgressBar2->Position() == 0 &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
        PumpEvents(1);
    EXPECT_GT(form->ProgressBar2->Position(), 0);
    Click(form->btnCancel);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ("old database", ReadWholeFile(DbPath()));
    EXPECT_TRUE(CardFiles().empty());
    // The encoder is gone (or only waits to be reaped).
    const std::string stat = "/proc/" + std::to_string(pid.load()) + "/stat";
    EXPECT_TRUE(!fs::exists(stat) || ReadWholeFile(stat).find(") Z") != std::string::npos);
    EXPECT_TRUE(form->btnUpdateMobile->Enabled());
}

TEST_F(MainCardTest, ClosingInTheMiddleOfACopyAsksStopsAndSaves) {
    MakeWindow();
    fs::create_directories(fs::path(DbPath()).parent_path());
    WriteWholeFile(DbPath(), "old database");
    M().AddMp3ToTrackList(BigFile("big.mp3", 40));
    M().Model.UpdateAllMusic();
    // The copy waits after its first block until the run is stopped.
    auto& st = UpdateStateOf(M());
    std::atomic<bool> copying{false};
    st.AfterFirstCopyBlock = [&] {
        copying = true;
        for (int i = 0; i < 5000 && !M().Model.CancelRequested; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    Click(form->btnUpdateMobile);
    while (!copying)
        PumpEvents(1);
    // No: the window and the run stay.
    dialogs.Buttons = {IDNO};
    form->Close();
    PumpEvents();
    EXPECT_TRUE(form->Widget()->isVisible());
    // Yes: stopped, waited for, saved, closed.
    dialogs.Buttons = {IDYES};
    form->Close();
    PumpEvents();
    EXPECT_FALSE(M().IsBusy());
    EXPECT_FALSE(form->Widget()->isVisible());
    EXPECT_EQ("old database", ReadWholeFile(DbPath()));
    EXPECT_TRUE(CardFiles().empty());
    EXPECT_TRUE(fs::exists(Pc + "/brisvane.ini"));
    delete form;
    form = nullptr;
}

// ---- The busy guard ----------------------------------------------------------------------

TEST_F(MainCardTest, DuringAnUpdateTheHeldCommandsDoNothingAndWorkAfter) {
    PutMusic();
    MakeWindow();
    M().AddMp3ToTrackList(BigFile("big.mp3", 300));
    M().Model.UpdateAllMusic();
    M().RefreshTrackView();
    auto& st = UpdateStateOf(M());
    std::atomic<bool> copying{false}, release{false};
    st.AfterFirstCopyBlock = [&] {
        copying = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    Click(form->btnUpdateMobile);
    while (!copying)
        PumpEvents(1);
    const size_t asked = dialogs.Texts().size();
    // Greyed: a click on them does nothing, and nothing is even asked.
    EXPECT_FALSE(form->btnReadDB->Enabled());
    EXPECT_FALSE(form->btnResetProg->Enabled());
    EXPECT_FALSE(form->spAddFiles->Enabled());
    EXPECT_FALSE(form->Addfiles2->Enabled());
    Click(form->btnReadDB);
    Click(form->btnResetProg);
    dialogs.Files.push_back({Pc + "/music/one.mp3"});
    MenuByKeys(Qt::Key_T, 0); // Tracklist > Add file(s)...
    CloseMenus();
    PumpEvents();
    EXPECT_EQ(asked, dialogs.Texts().size());
    EXPECT_EQ(1, M().Model.TrackCount());
    release = true;
    ASSERT_TRUE(WaitIdle());
    // Enabled again, and they work.
    EXPECT_TRUE(form->btnReadDB->Enabled());
    EXPECT_TRUE(form->spAddFiles->Enabled());
    MenuByKeys(Qt::Key_T, 0);
    EXPECT_EQ(2, M().Model.TrackCount());
    Click(form->btnResetProg);
    EXPECT_EQ(0, M().Model.TrackCount());
}

// ---- The space question --------------------------------------------------------------

TEST_F(MainCardTest, NotEnoughSpaceAsksBeforeAnything) {
    MakeWindow();
    fs::create_directories(fs::path(DbPath()).parent_path());
    WriteWholeFile(DbPath(), "old database");
    M().AddMp3ToTrackList(BigFile("big.mp3", 8));
    M().Model.UpdateAllMusic();
    M().RefreshTrackView();
    M().Options.cbCheckSpace = true;
    // The card is made to look nearly full.
    UpdateStateOf(M()).FreeSpace = [](char) { return int64_t{4096}; };
    // The real message box, drawn over the window and answered with the keyboard.
    SetDialogResponder(nullptr);
    std::string text;
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        for (QLabel* label : box->findChildren<QLabel*>())
            text += label->text().toStdString() + "\n";
        SaveShot("main_card_space_question.png", box);
        QTest::keyClick(box, Qt::Key_Return);
    });
    Click(form->btnUpdateMobile);
    PumpEvents();
    dialogs.Install();
    EXPECT_NE(std::string::npos, text.find("Not enough space to store files on mobile.")) << text;
    EXPECT_NE(std::string::npos, text.find("You need to free")) << text;
    EXPECT_FALSE(M().IsBusy());
    EXPECT_EQ("old database", ReadWholeFile(DbPath()));
    EXPECT_TRUE(CardFiles().empty());
}

} // namespace
