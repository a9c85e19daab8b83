// The main window's track view and boxes as a person uses them: real mouse and key events on
// the real widgets, dialogs and questions answered through the gui layer's seam, real MP3
// files and an M4A, and a picture of each box saved beside the build.
#include "AudioFixtures.h"
#include "MainWindowFixture.h"
#include "TrackTableRows.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

QWidget* Viewport(TWinControl* control) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(control->Widget());
    return area ? area->viewport() : control->Widget();
}

QPoint Center(const TRect& r) {
    return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

std::string TagFixture(const std::string& name) {
    return std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
}

class MainBoxes : public MainWindowTest {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder.File("card/mobile/audio"));
        MapCard(folder.File("card"));
        Start();
        form->Manager->Model.PhoneDrive = 'E';
    }

    TTrackManager& M() { return *form->Manager; }
    std::string Copy(const std::string& fixture, const std::string& as) {
        fs::create_directories(fs::path(folder.File(as)).parent_path());
        fs::copy_file(TagFixture(fixture), folder.File(as));
        return folder.File(as);
    }
    // A folder of the real MP3 fixtures and one M4A.
    std::string MusicFolder() {
        for (const char* f : {"v23_latin1_cbr.mp3", "v11_only.mp3", "v24_utf8_vbr.mp3",
                              "v24_multi_artist_mpeg25.mp3", "v23_utf16_cbr_noheader.mp3"})
            Copy(f, std::string("music/") + f);
        fs::create_directories(folder.File("music/sub"));
        BvTest::WriteM4aFixture(folder.File("music/sub/Some Band - Tune.m4a"), 1.0);
        return folder.File("music");
    }
    void ClickLine(TBvPlaylist* box, int line, Qt::KeyboardModifiers mods = {}) {
        box->SetTopIndex(std::min(box->TopIndex(), line));
        QTest::mouseClick(Viewport(box), Qt::LeftButton, mods, Center(box->ItemRect(line)));
        PumpEvents();
    }
    void Key(TWinControl* control, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        control->SetFocus();
        PumpEvents(2);
        QTest::keyClick(control->Widget(), key, mods);
        PumpEvents();
    }
    // An add searches its folder on a worker and lists its files in pieces: the loop turns
    // until the run has ended, however loaded the machine is.
    void PumpUntilIdle() {
        PumpEvents();
        for (int i = 0; i < 30000 && M().IsBusy(); ++i) {
            PumpEvents(1);
            QTest::qWait(1);
        }
        PumpEvents();
    }
    void Expand(TBvgGroupBox* box) {
        box->Collapse(false);
        PumpEvents();
    }
    // Presses on a line of one box and lets go over a point of another control, as a person
    // drags with the mouse.
    void Drag(TBvPlaylist* from, int line, TWinControl* onto, QPoint at) {
        QWidget* view = Viewport(from);
        const QPoint start = Center(from->ItemRect(line));
        Mouse->SetCursorPos(from->ClientToScreen({start.x(), start.y()}));
        QTest::mousePress(view, Qt::LeftButton, {}, start);
        QTest::mouseMove(view, start + QPoint(0, 12));
        QWidget* target = Viewport(onto);
        const TPoint screen = onto->ClientToScreen({at.x(), at.y()});
        Mouse->SetCursorPos(screen);
        QTest::mouseMove(view, view->mapFromGlobal(QPoint(screen.X, screen.Y)));
        // The pressed list keeps the mouse until the button goes up.
        (void)target;
        QTest::mouseRelease(view, Qt::LeftButton, {},
                            view->mapFromGlobal(QPoint(screen.X, screen.Y)));
        PumpEvents();
    }
    std::vector<std::string> Shown(TBvPlaylist* box) { return box->Lines()->Items(); }
    void Screenshot(const std::string& name) {
        PumpEvents();
        const std::string dir = std::string(BV_BINARY_DIR) + "/screenshots";
        fs::create_directories(dir);
        QImage shot = form->Widget()->grab().toImage();
        EXPECT_EQ(1024, shot.width());
        shot.save(QString::fromStdString(dir + "/" + name + ".png"));
    }
    void FillTracks(int n) {
        for (int r = 0; r < n; ++r)
            M().Model.AppendTrack(
                {"Artist " + std::to_string(r % 7), "Song number " + std::to_string(r),
                 "Album " + std::to_string(r % 3),
                 std::to_string(2 + r % 4) + ":" + std::to_string(r % 60),
                 std::to_string(3000000 + 1000 * r),
                 "C:\\music\\Track " + std::to_string(r) + ".mp3", "192", std::to_string(r)});
        M().Model.SyncAllMusic();
        M().ListBoxPlayLists.ItemIndex = 0;
        M().RefreshTrackView();
        PumpEvents();
    }
};

TEST_F(MainBoxes, AFolderAndADropOfRealFilesAreAddedAndShown) {
    const std::string music = MusicFolder();
    TDialogAnswer chosen;
    chosen.Accepted = true;
    chosen.Paths = {music};
    dialogs.Answers.push_back(chosen);
    form->Adddirectory2->Click();
    PumpUntilIdle();
    ASSERT_EQ(6, M().Model.TrackCount());
    ASSERT_EQ(6, form->BvPlaylist->Lines()->Count());
    EXPECT_EQ(TDialogRequest::dkSelectFolder, dialogs.Requests.back().Kind);
    // The M4A's file-name line keeps its name whole, its own extension dropped.
    M().Options.comboShowTracksAs = "<filename>";
    M().RefreshTrackView();
    PumpEvents();
    bool found = false;
    for (const std::string& line : Shown(form->BvPlaylist))
        found = found || line.find("Some Band - Tune") != std::string::npos;
    EXPECT_TRUE(found);
    for (const std::string& line : Shown(form->BvPlaylist))
        EXPECT_EQ(std::string::npos, line.find(".mp3")) << line;
    M().Options.comboShowTracksAs = DisplayTemplateItems[0];

    // Dropped from a file manager: added again, as a drop does.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(music + "/v11_only.mp3")),
                  QUrl::fromLocalFile(QString::fromStdString(music + "/readme.txt"))});
    QDragEnterEvent enter(QPoint(400, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->ClientWidget(), &enter);
    QDropEvent drop(QPointF(400, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->ClientWidget(), &drop);
    PumpUntilIdle();
    EXPECT_EQ(7, M().Model.TrackCount());
    EXPECT_EQ(7, form->BvPlaylist->Lines()->Count());
}

TEST_F(MainBoxes, SelectionKeysAndRemoveWithEachAnswer) {
    FillTracks(6);
    const std::string card = Copy("v11_only.mp3", "card/mobile/audio/on card.mp3");
    M().AddMp3ToTrackList("E:\\mobile\\audio\\on card.mp3");
    M().Model.SyncAllMusic();
    M().RefreshTrackView();
    PumpEvents();
    TBvPlaylist* view = form->BvPlaylist;
    ASSERT_EQ(7, view->Lines()->Count());

    Key(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(7u, view->SelectedLines().size());
    ClickLine(view, 1);
    ClickLine(view, 6, Qt::ControlModifier);
    EXPECT_EQ((std::vector<int>{1, 6}), view->SelectedLines());

    // Cancel changes nothing; No removes the rows and keeps the card file.
    TDialogAnswer cancel;
    cancel.Button = IDCANCEL;
    dialogs.Answers.push_back(cancel);
    Key(view, Qt::Key_Delete);
    EXPECT_EQ(7, M().Model.TrackCount());
    ASSERT_FALSE(dialogs.Requests.empty());
    EXPECT_NE(std::string::npos, dialogs.Requests.back().Text.find("MOBILE"));
    EXPECT_EQ((std::vector<int>{1, 6}), view->SelectedLines());

    TDialogAnswer no;
    no.Accepted = true;
    no.Button = IDNO;
    dialogs.Answers.push_back(no);
    Key(view, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(5, M().Model.TrackCount());
    EXPECT_TRUE(fs::exists(card));
    EXPECT_EQ(2, form->DeletedList->Items()->Count());

    // Restored from "Deleted", then removed for good with Yes.
    Expand(form->BvGroupDeleted);
    ASSERT_EQ(2, form->DeletedList->Lines()->Count());
    ClickLine(form->DeletedList, 0);
    ClickLine(form->DeletedList, 1, Qt::ControlModifier);
    form->MenuItem1->Click();
    PumpEvents();
    EXPECT_EQ(7, M().Model.TrackCount());
    EXPECT_EQ(0, form->DeletedList->Lines()->Count());
    const int last = view->Lines()->Count() - 1;
    int cardLine = -1;
    for (int i = 0; i <= last; ++i)
        if (M().BvPlaylist.Lines[size_t(i)].Row >= 0 &&
            M().Model.IsOnPhone(M().Model.TrackListHolder.StringsByName(
                "FileName")[M().BvPlaylist.Lines[size_t(i)].Row]))
            cardLine = i;
    ASSERT_GE(cardLine, 0);
    ClickLine(view, cardLine);
    TDialogAnswer yes;
    yes.Accepted = true;
    yes.Button = IDYES;
    dialogs.Answers.push_back(yes);
    Key(view, Qt::Key_Delete);
    EXPECT_EQ(6, M().Model.TrackCount());
    EXPECT_FALSE(fs::exists(card));
    EXPECT_EQ(0, form->DeletedList->Lines()->Count());
}

TEST_F(MainBoxes, TrackViewWithFiftyTracksAndASelection) {
    FillTracks(50);
    TBvPlaylist* view = form->BvPlaylist;
    ClickLine(view, 2);
    ClickLine(view, 5, Qt::ShiftModifier);
    ClickLine(view, 9, Qt::ControlModifier);
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 9}), view->SelectedLines());
    // A refresh keeps the selection and the scroll position.
    view->SetTopIndex(3);
    PumpEvents();
    form->ReadSelections();
    M().RefreshTrackView();
    PumpEvents();
    EXPECT_EQ((std::vector<int>{2, 3, 4, 5, 9}), view->SelectedLines());
    EXPECT_EQ(3, view->TopIndex());
    view->SetTopIndex(0);
    Screenshot("main_track_view_50");
}

TEST_F(MainBoxes, PlaylistsByMenuByDraggingAndReordered) {
    FillTracks(8);
    Expand(form->bvGroupPlaylists);
    for (const char* name : {"Rock", "Calm"}) {
        TDialogAnswer a;
        a.Accepted = true;
        a.Text = name;
        dialogs.Answers.push_back(a);
        form->Newplaylist1->Click();
        PumpEvents();
    }
    TBvgListBox* box = form->ListBoxPlayLists;
    ASSERT_EQ(3, box->Items()->Count());
    EXPECT_EQ("Calm", (*box->Items())[2]);

    // "Copy to playlist", its submenu built as the track view's menu opens.
    TBvPlaylist* view = form->BvPlaylist;
    ClickLine(view, 0);
    ClickLine(view, 2, Qt::ControlModifier);
    ClickLine(view, 4, Qt::ControlModifier);
    form->TrackListMenu->OnPopup(form->TrackListMenu);
    ASSERT_EQ(3, form->CopyToPlaylist1->Count()); // the hidden template and two playlists
    form->CopyToPlaylist1->Items(1)->Click();
    PumpEvents();
    EXPECT_EQ((std::vector<std::string>{"0", "2", "4"}), M().Model.PlaylistTracks[1].Items());

    // Dragging a line onto "Calm", and onto "Calm" again: copied once.
    Drag(view, 7, box, Center(box->ItemRect(2)));
    Drag(view, 6, box, Center(box->ItemRect(2)));
    Drag(view, 7, box, Center(box->ItemRect(2)));
    EXPECT_EQ((std::vector<std::string>{"7", "6"}), M().Model.PlaylistTracks[2].Items());

    // Rename by double-click.
    TDialogAnswer renamed;
    renamed.Accepted = true;
    renamed.Text = "Hard Rock";
    dialogs.Answers.push_back(renamed);
    QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Center(box->ItemRect(1)));
    QTest::mouseDClick(Viewport(box), Qt::LeftButton, {}, Center(box->ItemRect(1)));
    PumpEvents();
    EXPECT_EQ("Hard Rock", (*box->Items())[1]);

    // Showing "Hard Rock" and moving its last line up with Ctrl+Up.
    QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Center(box->ItemRect(1)));
    PumpEvents();
    ASSERT_EQ(3, view->Lines()->Count());
    ClickLine(view, 2);
    Key(view, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ((std::vector<std::string>{"0", "4", "2"}), M().Model.PlaylistTracks[1].Items());
    EXPECT_EQ(1, view->ItemIndex());
    // Ctrl+Shift+Up does not move it.
    Key(view, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ((std::vector<std::string>{"0", "4", "2"}), M().Model.PlaylistTracks[1].Items());
    Screenshot("main_playlists");
}

TEST_F(MainBoxes, TagEditorChangesTheLineAsOneTypes) {
    FillTracks(5);
    Expand(form->bvGroupBoxTags);
    TBvPlaylist* view = form->BvPlaylist;
    ClickLine(view, 3);
    EXPECT_EQ("Song number 3", form->edTitle->Caption());
    EXPECT_EQ("05:03", form->edTime->Caption());
    form->edTitle->SetFocus();
    PumpEvents(2);
    QTest::keyClick(form->edTitle->Widget(), Qt::Key_End);
    QTest::keyClicks(form->edTitle->Widget(), " live");
    PumpEvents();
    EXPECT_EQ("Song number 3 live", M().Model.TrackListHolder.StringsByName("Title")[3]);
    EXPECT_NE(std::string::npos, (*view->Lines())[3].find("Song number 3 live"));
    EXPECT_EQ((std::vector<int>{3}), view->SelectedLines());
    // The time edit takes digits and its colon only.
    form->edTime->SetFocus();
    PumpEvents(2);
    QTest::keyClick(form->edTime->Widget(), Qt::Key_End);
    QTest::keyClick(form->edTime->Widget(), Qt::Key_Backspace);
    QTest::keyClicks(form->edTime->Widget(), "x7");
    PumpEvents();
    EXPECT_EQ("05:07", form->edTime->Caption());
    EXPECT_EQ("05:07", M().Model.TrackListHolder.StringsByName("Time")[3]);
    // The read-only fields cannot change.
    const std::string size = form->edSize->Caption();
    form->edSize->SetFocus();
    QTest::keyClicks(form->edSize->Widget(), "99");
    PumpEvents();
    EXPECT_EQ(size, form->edSize->Caption());
    Screenshot("main_tags");
}

// The time is a masked edit: typing over "05:03" overwrites its digits and keeps the colon,
// and the edit's own keys (Ctrl+A selects its text) come before the window's short cuts
// (Ctrl+A selects all tracks only in the track view).
TEST_F(MainBoxes, TagEditorTimeIsAMaskedEditThatKeepsItsKeys) {
    FillTracks(5);
    Expand(form->bvGroupBoxTags);
    TBvPlaylist* view = form->BvPlaylist;
    ClickLine(view, 3);
    ASSERT_EQ("05:03", form->edTime->Caption());
    // A click at the edit's left end, then the digits over the old ones.
    QTest::mouseClick(form->edTime->Widget(), Qt::LeftButton, {},
                      QPoint(3, form->edTime->Height() / 2));
    PumpEvents();
    QTest::keyClick(form->edTime->Widget(), Qt::Key_Home);
    QTest::keyClicks(form->edTime->Widget(), "0412");
    PumpEvents();
    EXPECT_EQ("04:12", form->edTime->Caption());
    EXPECT_EQ("04:12", M().Model.TrackListHolder.StringsByName("Time")[3]);
    EXPECT_EQ((std::vector<int>{3}), view->SelectedLines());

    for (TCustomEdit* edit :
         {static_cast<TCustomEdit*>(form->edTime), static_cast<TCustomEdit*>(form->edArtist)}) {
        SCOPED_TRACE(edit->Name());
        edit->SetFocus();
        PumpEvents(2);
        QTest::keyClick(edit->Widget(), Qt::Key_End);
        QTest::keyClick(edit->Widget(), Qt::Key_A, Qt::ControlModifier);
        PumpEvents();
        EXPECT_EQ(edit->Caption(), edit->SelText());
        EXPECT_EQ((std::vector<int>{3}), view->SelectedLines()) << "the tracks stay as chosen";
    }
    Key(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(5u, view->SelectedLines().size()) << "in the track view Ctrl+A selects all";
}

TEST_F(MainBoxes, SortingByTheMenus) {
    FillTracks(12);
    form->TracklistSortItems[1]->Click(); // by title: "Song number 10" before "Song number 2"
    PumpEvents();
    EXPECT_NE(std::string::npos, (*form->BvPlaylist->Lines())[2].find("Song number 10"));
    for (int r = 0; r < 3; ++r)
        AppendTableRow(M().Model.MediaDB, {std::string(1, char('C' - r)), "T", "Al", "1:0", "1",
                                           "C:\\x.mp3", "1", "0"});
    Expand(form->BvGroupMediaDB);
    form->MediaDBSortItems[0]->Click();
    PumpEvents();
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}),
              M().Model.MediaDB.StringsByName("Artist").Items());
}

TEST_F(MainBoxes, LibraryOfAThousandRowsSearchedByTypingAndNext) {
    for (int r = 0; r < 1000; ++r)
        AppendTableRow(M().Model.MediaDB,
                       {r % 250 == 7 ? "The Beatles" : "Artist " + std::to_string(r),
                        "Title " + std::to_string(r), "Album", "3:" + std::to_string(r % 60),
                        "4000000", "C:\\music\\" + std::to_string(r) + ".mp3", "128",
                        std::to_string(r)});
    Expand(form->BvGroupMediaDB);
    TBvPlaylist* list = form->MediaDBList;
    ASSERT_EQ(1000, list->Lines()->Count());
    list->SetFocus();
    PumpEvents(2);
    QTest::keyClicks(list->Widget(), "beat");
    PumpEvents();
    EXPECT_EQ("beat", form->EditSearchDB->Caption());
    EXPECT_EQ(7, list->ItemIndex());
    QTest::mouseClick(form->btnSearch->Widget(), Qt::LeftButton);
    PumpEvents();
    EXPECT_EQ(257, list->ItemIndex());
    EXPECT_LE(list->TopIndex(), 257) << "the found line is in sight";
    EXPECT_LE(list->ItemRect(257).Bottom, list->ClientHeight());
    EXPECT_GE(list->ItemRect(257).Top, 0);
    Screenshot("main_library_search");
    Key(list, Qt::Key_Escape);
    EXPECT_EQ("", form->EditSearchDB->Caption());

    // Copy to tracklist takes the lines dragged onto the track view.
    M().ListBoxPlayLists.ItemIndex = 0;
    const std::string real = Copy("v23_latin1_cbr.mp3", "lib/real.mp3");
    AppendTableRow(M().Model.MediaDB,
                   {"Real", "T", "Al", "1:0", "1", BvTest::WindowsPathOf(real), "128", "0"});
    M().RefreshMediaDBList();
    PumpEvents();
    ClickLine(list, 1000);
    Drag(list, 1000, form->BvPlaylist, QPoint(100, 100));
    EXPECT_EQ(1, M().Model.TrackCount());
}

TEST_F(MainBoxes, DeletedAndStatisticsBoxesWithContent) {
    FillTracks(10);
    for (int line : {1, 4, 7})
        M().BvPlaylist.Select(line);
    M().btnRemoveClick(); // none on the card: to the deleted list without a question
    PumpEvents();
    Expand(form->BvGroupDeleted);
    EXPECT_EQ(3, form->DeletedList->Lines()->Count());
    Screenshot("main_deleted");

    Expand(form->BvGroupStat);
    QTest::mouseClick(form->btnRefreshStat->Widget(), Qt::LeftButton);
    PumpEvents();
    EXPECT_EQ("7", form->Label14->Caption());
    EXPECT_EQ("E:", form->Label13->Caption());
    EXPECT_FALSE(form->Label15->Caption().empty());
    Screenshot("main_statistics");
}

TEST_F(MainBoxes, TheHintShowsSevenLinesBesideThePointerInsideTheWindow) {
    M().Options.edHintShowAfter = "50";
    M().Options.edHintHide = "4000";
    M().ApplyOptions();
    PumpEvents();
    FillTracks(40);
    TBvPlaylist* view = form->BvPlaylist;
    auto rest = [&](QPoint at) {
        QTest::mouseMove(Viewport(view), at);
        PumpEvents();
        QTest::qWait(150);
        PumpEvents();
    };
    const TRect r = view->ItemRect(2);
    rest(QPoint(r.Left + 40, (r.Top + r.Bottom) / 2));
    ASSERT_TRUE(form->PanelHint->Visible());
    const std::string text = form->LabelPopupText->Caption();
    EXPECT_EQ(6, std::count(text.begin(), text.end(), '\n')) << text;
    EXPECT_NE(std::string::npos, text.find("Song number 2"));
    EXPECT_NE(std::string::npos, text.find("MPEG Audio"));
    const TRect inside = form->ClientRect();
    auto within = [&] {
        EXPECT_GE(form->PanelHint->Left(), 0);
        EXPECT_GE(form->PanelHint->Top(), 0);
        EXPECT_LE(form->PanelHint->Left() + form->PanelHint->Width(), inside.Width());
        EXPECT_LE(form->PanelHint->Top() + form->PanelHint->Height(), inside.Height());
    };
    within();
    EXPECT_GT(form->PanelHint->Left(), view->Left() + r.Left + 40) << "to the right";
    Screenshot("main_hint");

    // Near the right and the bottom edge it opens to the left and above.
    const int right = view->ClientWidth() - 20;
    const int bottom = view->ClientHeight() - 20;
    rest(QPoint(right, bottom));
    ASSERT_TRUE(form->PanelHint->Visible());
    within();
    EXPECT_LT(form->PanelHint->Left(), view->Left() + right);
    EXPECT_LT(form->PanelHint->Top(), view->Top() + bottom);

    // A double-click on the hint opens the tag editor on its track.
    const int hinted = M().Hint.Row;
    QTest::mouseDClick(form->LabelPopupText->Parent()->Widget(), Qt::LeftButton, {},
                       QPoint(10, 10));
    PumpEvents();
    EXPECT_FALSE(form->bvGroupBoxTags->Collapsed());
    EXPECT_EQ(M().Model.TrackListHolder.StringsByName("Title")[hinted], form->edTitle->Caption());
    EXPECT_FALSE(form->PanelHint->Visible());

    // Unticking the panel's box switches the hints off.
    M().cbInfoHintsClick(true);
    rest(QPoint(r.Left + 40, (r.Top + r.Bottom) / 2 + 1));
    ASSERT_TRUE(form->PanelHint->Visible());
    QTest::mouseClick(form->cbInfoHints->Widget(), Qt::LeftButton);
    PumpEvents();
    EXPECT_FALSE(M().Options.cbInfoHints);
    EXPECT_FALSE(form->PanelHint->Visible());
    rest(QPoint(r.Left + 40, (r.Top + r.Bottom) / 2 + 30));
    EXPECT_FALSE(form->PanelHint->Visible());
}

} // namespace
