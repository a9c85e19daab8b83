// Which lines stay selected and which one is focused after each command of the track view, the
// library list and the deleted list, in a table of cases: the selection is made with the real
// mouse, the command given with the keys or the menus as a person gives it, and the view's own
// selection read back and named by track, so a command that moves lines is checked by where
// each track went.
#include "MainWindowFixture.h"

#include "TrackTableRows.h"
#include "iTunesDB.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QImage>

#include <chrono>
#include <functional>
#include <set>

namespace {

QWidget* Viewport(TWinControl* control) {
    auto* area = dynamic_cast<QAbstractScrollArea*>(control->Widget());
    return area ? area->viewport() : control->Widget();
}

constexpr int kTracks = 12;

TTrackRowSnapshot Track(int r) {
    // Artists in another order than the rows, so a sort moves the lines.
    return {"Artist " + std::string(1, static_cast<char>('a' + (r * 5) % kTracks)),
            "Song " + std::to_string(r),
            "Album",
            "3:" + std::to_string(10 + r),
            std::to_string(3000000 + r),
            "C:\\music\\Track " + std::to_string(r) + ".mp3",
            "192",
            std::to_string(r)};
}

// The number of the track a line shows ("Song 7" is track 7), whatever its row is now.
int TrackOf(TBvPlaylist* box, int line) {
    const std::string text = (*box->Lines())[line];
    const size_t at = text.find("Song ");
    return at == std::string::npos ? -1 : std::stoi(text.substr(at + 5));
}

class MainSelection : public MainWindowTest {
public:
    TTrackManager& M() { return *form->Manager; }

    void Fill() {
        for (int r = 0; r < kTracks; ++r)
            M().Model.AppendTrack(Track(r));
        M().Model.SyncAllMusic();
        M().ListBoxPlayLists.Items.Add("Mine");
        M().Model.PlaylistTracks[1].Assign(M().Model.PlaylistTracks[0]);
        M().NotifyView(TViewId::PlaylistBox);
        M().ListBoxPlayLists.ItemIndex = 0;
        M().RefreshTrackView();
        for (int r = 0; r < kTracks; ++r)
            AppendTableRow(M().Model.MediaDB, Track(r));
        PumpEvents();
    }
    void ClickLine(TBvPlaylist* box, int line, Qt::KeyboardModifiers mods = {}) {
        box->SetTopIndex(std::min(box->TopIndex(), line));
        PumpEvents();
        QTest::mouseClick(Viewport(box), Qt::LeftButton, mods, Centre(box->ItemRect(line)));
        PumpEvents();
    }
    void KeyIn(TWinControl* control, Qt::Key key, Qt::KeyboardModifiers mods = {}) {
        control->SetFocus();
        PumpEvents();
        QTest::keyClick(control->Widget(), key, mods);
        PumpEvents();
    }
    // Lines 2 to 4 and 8 selected, line 10 focused but not selected: a click, a Shift+click,
    // a Ctrl+click and a Ctrl+click twice on the same line.
    void SelectSome(TBvPlaylist* box) {
        ClickLine(box, 2);
        ClickLine(box, 4, Qt::ShiftModifier);
        ClickLine(box, 8, Qt::ControlModifier);
        ClickLine(box, 10, Qt::ControlModifier);
        ClickLine(box, 10, Qt::ControlModifier);
        ASSERT_EQ((std::vector<int>{2, 3, 4, 8}), box->SelectedLines());
        ASSERT_EQ(10, box->ItemIndex());
    }
    // A main-menu item as the keys reach it: F10, the arrows to its menu and down to it, Enter.
    // With `pumpAfterChoice` false the events after the final Return are left to the caller,
    // which may want to see the command's first turns.
    void ChooseFromMenuBar(TMenuItem* item, bool pumpAfterChoice = true) {
        std::vector<TMenuItem*> path;
        for (TMenuItem* i = item; i && i != form->BvMainMenu1->Items(); i = i->Parent())
            path.insert(path.begin(), i);
        auto indexOf = [](TMenuItem* i) {
            const std::vector<TMenuItem*> items = VisibleMenuItems(i->Parent());
            return static_cast<int>(std::find(items.begin(), items.end(), i) - items.begin());
        };
        QTest::keyClick(KeyTarget(), Qt::Key_F10);
        PumpEvents();
        for (int i = 0; i < indexOf(path.front()); ++i)
            Key(Qt::Key_Right);
        Key(Qt::Key_Down);
        ASSERT_NE(ActiveMenuWindow(), nullptr);
        for (size_t level = 1; level < path.size(); ++level) {
            for (int i = 0;
                 i < 40 && HighlightedMenuIndex(path[level]->Parent()) != indexOf(path[level]); ++i)
                Key(Qt::Key_Down);
            ASSERT_EQ(indexOf(path[level]), HighlightedMenuIndex(path[level]->Parent()))
                << path[level]->Caption();
            if (level + 1 < path.size())
                Key(Qt::Key_Right);
            else if (pumpAfterChoice)
                Key(Qt::Key_Return);
            else
                QTest::keyClick(KeyTarget(), Qt::Key_Return);
        }
    }
    // What a list shows as selected and focused, named by the track of each line.
    static std::set<int> SelectedTracks(TBvPlaylist* box) {
        std::set<int> tracks;
        for (int line : box->SelectedLines())
            tracks.insert(TrackOf(box, line));
        return tracks;
    }
    static int FocusedTrack(TBvPlaylist* box) {
        return box->ItemIndex() < 0 ? -1 : TrackOf(box, box->ItemIndex());
    }
};

struct TViewCase {
    const char* Name;
    std::function<void(MainSelection&, TForm1&)> Command;
    std::set<int> Selected; // tracks whose lines are selected afterwards
    int Focused;            // the track of the focused line, -1 for none
    int Lines;              // lines shown afterwards
};

class TrackViewSelection : public MainSelection, public ::testing::WithParamInterface<TViewCase> {};

std::string CaseName(const ::testing::TestParamInfo<TViewCase>& info) {
    return info.param.Name;
}

// Before each command lines 2-4 and 8 of the master list (tracks 2, 3, 4 and 8) are selected
// and line 10 (track 10) is focused but not selected.
const TViewCase kTrackViewCases[] = {
    {"CtrlASelectsAllAndKeepsTheFocus",
     [](MainSelection& t, TForm1& f) { t.KeyIn(f.BvPlaylist, Qt::Key_A, Qt::ControlModifier); },
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
     10,
     kTracks},
    {"SelectAllFromTheMenu",
     [](MainSelection& t, TForm1& f) { t.ChooseFromMenuBar(f.Selectall1); },
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
     10,
     kTracks},
    {"InvertSelectionSelectsTheOthers",
     [](MainSelection& t, TForm1& f) { t.ChooseFromMenuBar(f.Inverseselection1); },
     {0, 1, 5, 6, 7, 9, 10, 11},
     10,
     kTracks},
    {"InvertTwiceGivesTheSelectionBack",
     [](MainSelection& t, TForm1& f) {
         t.ChooseFromMenuBar(f.Inverseselection1);
         t.ChooseFromMenuBar(f.Inverseselection1);
     },
     {2, 3, 4, 8},
     10,
     kTracks},
    {"SelectNoneLeavesNothingSelected",
     [](MainSelection& t, TForm1& f) { t.ChooseFromMenuBar(f.Selectnone1); },
     {},
     10,
     kTracks},
    {"SortByArtistKeepsEachTrackSelected",
     [](MainSelection& t, TForm1& f) { t.ChooseFromMenuBar(f.TracklistSortItems[0]); },
     {2, 3, 4, 8},
     10,
     kTracks},
    {"SortAfterSelectAllKeepsEveryLineSelected",
     [](MainSelection& t, TForm1& f) {
         t.KeyIn(f.BvPlaylist, Qt::Key_A, Qt::ControlModifier);
         t.ChooseFromMenuBar(f.TracklistSortItems[0]);
     },
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
     10,
     kTracks},
    {"CtrlDownMovesTheFocusedTrackAndKeepsTheSelection",
     [](MainSelection& t, TForm1& f) { t.KeyIn(f.BvPlaylist, Qt::Key_Down, Qt::ControlModifier); },
     {2, 3, 4, 8, 10},
     10,
     kTracks},
    {"CtrlUpMovesTheFocusedTrackAndKeepsTheSelection",
     [](MainSelection& t, TForm1& f) { t.KeyIn(f.BvPlaylist, Qt::Key_Up, Qt::ControlModifier); },
     {2, 3, 4, 8, 10},
     10,
     kTracks},
    {"DeleteTakesTheSelectedTracksAndKeepsTheFocusedOne",
     [](MainSelection& t, TForm1& f) { t.KeyIn(f.BvPlaylist, Qt::Key_Delete); },
     {},
     10,
     kTracks - 4},
    {"CopyToPlaylistLeavesTheSelection",
     [](MainSelection&, TForm1& f) {
         f.TrackListMenu->OnPopup(f.TrackListMenu);
         f.CopyToPlaylist1->Items(1)->Click();
     },
     {2, 3, 4, 8},
     10,
     kTracks},
};

TEST_P(TrackViewSelection, AfterTheCommand) {
    Start();
    Fill();
    TBvPlaylist* view = form->BvPlaylist;
    SelectSome(view);
    const TViewCase& c = GetParam();
    c.Command(*this, *form);
    PumpEvents();
    EXPECT_EQ(c.Lines, view->Lines()->Count());
    EXPECT_EQ(c.Selected, SelectedTracks(view));
    EXPECT_EQ(c.Focused, FocusedTrack(view));
    // The manager reads the same selection back from the box.
    form->ReadSelections();
    EXPECT_EQ(view->SelectedLines(), M().BvPlaylist.SelectedLines());
    EXPECT_EQ(view->ItemIndex(), M().BvPlaylist.ItemIndex);
}

INSTANTIATE_TEST_SUITE_P(Commands, TrackViewSelection, ::testing::ValuesIn(kTrackViewCases),
                         CaseName);

// A user playlist: Delete drops the selected entries only; the lines after them move up and
// nothing stays selected; the focused entry was not removed and keeps the focus.
TEST_F(MainSelection, DeleteInAUserPlaylistKeepsTheFocusOnTheTrackThatStays) {
    Start();
    Fill();
    TBvgListBox* box = form->ListBoxPlayLists;
    QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Centre(box->ItemRect(1)));
    PumpEvents();
    ASSERT_EQ(1, box->ItemIndex());
    TBvPlaylist* view = form->BvPlaylist;
    SelectSome(view);
    KeyIn(view, Qt::Key_Delete);
    EXPECT_EQ(kTracks - 4, view->Lines()->Count());
    EXPECT_EQ(kTracks, M().Model.TrackCount());
    EXPECT_EQ(std::set<int>{}, SelectedTracks(view));
    EXPECT_EQ(10, FocusedTrack(view));
    // The playlist box keeps its chosen playlist through the refresh.
    EXPECT_EQ(1, box->ItemIndex());
}

// The library list: a sort keeps each selected line selected where its text went, and the
// focus with it.
TEST_F(MainSelection, LibrarySortKeepsTheSelectedLinesByTheirText) {
    Start();
    Fill();
    form->BvGroupMediaDB->Collapse(false);
    PumpEvents();
    TBvPlaylist* list = form->MediaDBList;
    ASSERT_EQ(kTracks, list->Lines()->Count());
    ClickLine(list, 2);
    ClickLine(list, 4, Qt::ShiftModifier);
    ClickLine(list, 8, Qt::ControlModifier);
    ASSERT_EQ((std::vector<int>{2, 3, 4, 8}), list->SelectedLines());
    ChooseFromMenuBar(form->MediaDBSortItems[0]);
    PumpEvents();
    EXPECT_EQ((std::set<int>{2, 3, 4, 8}), SelectedTracks(list));
    EXPECT_EQ(8, FocusedTrack(list));
    EXPECT_NE(8, list->ItemIndex()); // the sort moved it
}

// The deleted list: Delete of its selected rows leaves the others, none selected.
TEST_F(MainSelection, DeletedListDeleteLeavesTheOtherRowsUnselected) {
    Start();
    Fill();
    SelectSome(form->BvPlaylist);
    KeyIn(form->BvPlaylist, Qt::Key_Delete);
    form->BvGroupDeleted->Collapse(false);
    PumpEvents();
    TBvPlaylist* deleted = form->DeletedList;
    ASSERT_EQ(4, deleted->Lines()->Count());
    ClickLine(deleted, 0);
    ClickLine(deleted, 2, Qt::ControlModifier);
    form->Delete1->Click();
    PumpEvents();
    ASSERT_EQ(2, deleted->Lines()->Count());
    EXPECT_TRUE(deleted->SelectedLines().empty());
    std::set<int> left;
    for (int line = 0; line < deleted->Lines()->Count(); ++line)
        left.insert(TrackOf(deleted, line));
    // Removed from the bottom up, the deleted list holds tracks 8, 4, 3, 2; lines 0 and 2 went.
    EXPECT_EQ((std::set<int>{2, 4}), left);
}

} // namespace

namespace {

// A folder of n small tagged MP3 files named "Artist i - Song.mp3", in two subfolders.
std::string SmallMusicFolder(const TTempFolder& in, int n) {
    const std::string folder = in.File("music");
    for (int i = 0; i < n; ++i) {
        const std::filesystem::path sub =
            std::filesystem::path(folder) / ("cd" + std::to_string(i % 2));
        std::filesystem::create_directories(sub);
        std::filesystem::copy_file(std::string(BV_TEST_DATA_DIR) +
                                       "/tags/v24_multi_artist_mpeg25.mp3",
                                   sub / ("Artist " + std::to_string(i) + " - Song.mp3"));
    }
    return folder;
}

// Runs a function before every event the application delivers.
class TBeforeEachEvent : public QObject {
public:
    explicit TBeforeEachEvent(std::function<void()> sample) : sample_(std::move(sample)) {}
    bool eventFilter(QObject*, QEvent*) override {
        sample_();
        return false;
    }

private:
    std::function<void()> sample_;
};

// A long add goes in pieces, one per turn of the event loop; meanwhile it is a run that holds
// the commands that change the track list; at its end the list is what one add gives.
TEST_F(MainSelection, AFolderAddedInPiecesEndsAsOneAddWould) {
    Start();
    const std::string music = SmallMusicFolder(folder, 400);
    dialogs.Folders = {music, music};
    // The same folder added at once, for the rows to compare with.
    M().AddPieceMs = 0;
    form->Adddirectory2->Click();
    PumpEvents();
    ASSERT_EQ(400, M().Model.TrackCount());
    ASSERT_FALSE(M().IsBusy());
    std::vector<std::string> atOnce = M().Model.TrackListHolder.StringsByName("FileName").Items();
    M().Model.ClearTracks();
    M().RefreshTrackView();
    PumpEvents();

    M().AddPieceMs = 1;
    form->Adddirectory2->Click();
    EXPECT_TRUE(M().IsBusy());
    EXPECT_LT(M().Model.TrackCount(), 400);
    EXPECT_FALSE(form->Adddirectory2->Enabled());
    // The counts of tracks seen between turns: one piece a turn shows each piece's count. The
    // count is taken before every event the application delivers, so every piece's count is
    // seen however many turns one processEvents call runs on a loaded machine.
    std::set<int> counts;
    TBeforeEachEvent sampler([this, &counts] { counts.insert(M().Model.TrackCount()); });
    qApp->installEventFilter(&sampler);
    QElapsedTimer waited;
    waited.start();
    while (M().IsBusy() && waited.elapsed() < 30000)
        QApplication::processEvents();
    qApp->removeEventFilter(&sampler);
    PumpEvents();
    EXPECT_GE(counts.size(), 3u);
    EXPECT_FALSE(M().IsBusy());
    EXPECT_TRUE(form->Adddirectory2->Enabled());
    EXPECT_EQ(atOnce, M().Model.TrackListHolder.StringsByName("FileName").Items());
    EXPECT_EQ(400, form->BvPlaylist->Lines()->Count());
    EXPECT_EQ(400, M().Model.PlaylistTracks[0].Count());
}

// Stop ends an add after its current piece, keeping what was added and showing it.
TEST_F(MainSelection, StopEndsAnAddInPiecesWithWhatWasAdded) {
    Start();
    const std::string music = SmallMusicFolder(folder, 400);
    dialogs.Folders = {music};
    M().AddPieceMs = 1;
    form->Adddirectory2->Click();
    ASSERT_TRUE(M().IsBusy());
    TControlEventArgs stop;
    form->BindingsOf(TCommand::btnCancelClick).front()->Run(stop);
    for (int i = 0; i < 3000 && M().IsBusy(); ++i)
        QTest::qWait(1);
    PumpEvents();
    EXPECT_FALSE(M().IsBusy());
    const int added = M().Model.TrackCount();
    EXPECT_GT(added, 0);
    EXPECT_LT(added, 400);
    EXPECT_EQ(added, form->BvPlaylist->Lines()->Count());
}

// ---- The card read's fill of the track view, in pieces ---------------------------------

// A card of n tracks whose files are there, and three playlists: the master list and two
// of every third and every fifth track.
void WriteCard(const std::string& card, int n) {
    std::filesystem::create_directories(card + "/mobile/audio");
    std::filesystem::create_directories(card + "/iTunes/iTunes_Control/iTunes");
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    std::vector<std::string> all, third, fifth;
    for (int i = 0; i < n; ++i) {
        const std::string k = std::to_string(i);
        const std::string file = "Track " + k + ".mp3";
        std::ofstream(card + "/mobile/audio/" + file);
        s.Tracks.push_back({"Artist " + std::to_string(i % 13), "Song " + k, "Album",
                            "3:" + std::to_string(10 + i % 50), std::to_string(3000000 + i),
                            "E:\\mobile\\audio\\" + file, "192", k});
        all.push_back(k);
        if (i % 3 == 0)
            third.push_back(k);
        if (i % 5 == 0)
            fifth.push_back(k);
    }
    s.PlaylistNames = {"All music", "Thirds", "Fifths"};
    s.PlaylistEntries = {all, third, fifth};
    std::ofstream(card + "/iTunes/iTunes_Control/iTunes/iTunesDB", std::ios::binary)
        << BuildDatabase(s);
}

class CardFill : public MainSelection {
public:
    static constexpr int kCardTracks = 3000;
    void SetUp() override {
        WriteCard(folder.File("card"), kCardTracks);
        MapCard(folder.File("card"));
    }
    // Starts the window, reads the card by its menu item in the smallest pieces and waits
    // until every track is read and the view's lines are being made. False when the run
    // ended first.
    bool ReadUntilTheFill() {
        Start();
        M().AddPieceMs = 1;
        ChooseFromMenuBar(form->ReadiTunesDB1, false);
        QElapsedTimer waited;
        waited.start();
        while (!(M().IsBusy() && M().Model.TrackCount() == kCardTracks) && M().IsBusy() &&
               waited.elapsed() < 60000)
            QApplication::processEvents();
        return M().IsBusy();
    }
    // What the window shows and holds after a command, to compare two ways of running it.
    struct TShown {
        std::vector<std::string> Files, Playlists, Lines, Log;
        std::vector<int> Selected;
        int Focused = -2, Top = -2, PlaylistChosen = -2;
        bool operator==(const TShown&) const = default;
    };
    TShown Shown(size_t logFrom) {
        TShown s;
        s.Files = M().Model.TrackListHolder.StringsByName("FileName").Items();
        for (int i = 0; i < form->ListBoxPlayLists->Items()->Count(); ++i)
            s.Playlists.push_back((*form->ListBoxPlayLists->Items())[i]);
        for (int i = 0; i < form->BvPlaylist->Lines()->Count(); ++i)
            s.Lines.push_back((*form->BvPlaylist->Lines())[i]);
        const TStrings& log = *form->MemoLog->Lines();
        // Without the time each line starts with, which may pass a minute between two runs.
        for (int i = static_cast<int>(logFrom); i < log.Count(); ++i) {
            const std::string& line = log[i];
            const size_t stamp = line.rfind(") ", 8);
            s.Log.push_back(line.starts_with('(') && stamp != std::string::npos
                                ? line.substr(stamp + 2)
                                : line);
        }
        s.Selected = form->BvPlaylist->SelectedLines();
        s.Focused = form->BvPlaylist->ItemIndex();
        s.Top = form->BvPlaylist->TopIndex();
        s.PlaylistChosen = form->ListBoxPlayLists->ItemIndex();
        return s;
    }
    // Runs the event loop until the run has ended; true when it did within the time.
    bool WaitIdle() {
        QElapsedTimer waited;
        waited.start();
        while (M().IsBusy() && waited.elapsed() < 60000)
            QApplication::processEvents();
        PumpEvents();
        return !M().IsBusy();
    }
    size_t LogCount() { return static_cast<size_t>(form->MemoLog->Lines()->Count()); }
};

// Read iTunesDB with the keys: the lines come in pieces after the worker's read, and at the
// end the window shows and holds what one fill shows.
TEST_F(CardFill, AReadWhoseViewFillsInPiecesEndsAsOneFillWould) {
    Start();
    ASSERT_EQ('E', M().Model.PhoneDrive);
    M().AddPieceMs = 0;
    size_t from = LogCount();
    ChooseFromMenuBar(form->ReadiTunesDB1);
    ASSERT_TRUE(WaitIdle());
    const TShown atOnce = Shown(from);
    ASSERT_EQ(static_cast<size_t>(kCardTracks), atOnce.Lines.size());
    ASSERT_EQ((std::vector<std::string>{"All music", "Thirds", "Fifths"}), atOnce.Playlists);

    M().AddPieceMs = 1;
    from = LogCount();
    // The events delivered while the read is in and its lines are not shown yet, the run
    // still on and the card commands greyed. They are counted from the menu's choice on: on a
    // loaded machine the read may end while the menu's own events are still being delivered.
    int fillTurns = 0;
    bool heldMeanwhile = true;
    TBeforeEachEvent sampler([&] {
        if (M().IsBusy() && M().Model.TrackCount() == kCardTracks &&
            form->BvPlaylist->Lines()->Count() == 0) {
            ++fillTurns;
            heldMeanwhile =
                heldMeanwhile && !form->ReadiTunesDB1->Enabled() && !form->Adddirectory2->Enabled();
        }
    });
    qApp->installEventFilter(&sampler);
    ChooseFromMenuBar(form->ReadiTunesDB1);
    ASSERT_TRUE(WaitIdle());
    qApp->removeEventFilter(&sampler);
    EXPECT_GE(fillTurns, 2);
    EXPECT_TRUE(heldMeanwhile);
    EXPECT_TRUE(form->ReadiTunesDB1->Enabled());
    const TShown inPieces = Shown(from);
    EXPECT_EQ(atOnce.Files, inPieces.Files);
    EXPECT_EQ(atOnce.Playlists, inPieces.Playlists);
    EXPECT_EQ(atOnce.Lines, inPieces.Lines);
    EXPECT_EQ(atOnce.Log, inPieces.Log);
    EXPECT_EQ(atOnce.Selected, inPieces.Selected);
    EXPECT_EQ(atOnce.Focused, inPieces.Focused);
    EXPECT_EQ(atOnce.Top, inPieces.Top);
    EXPECT_EQ(atOnce.PlaylistChosen, inPieces.PlaylistChosen);
    // The playlists hold the same rows.
    const int counts[] = {kCardTracks, kCardTracks / 3, kCardTracks / 5};
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(counts[p], M().Model.PlaylistTracks[static_cast<size_t>(p)].Count());
    const std::string dir = std::string(BV_BINARY_DIR) + "/screenshots";
    std::filesystem::create_directories(dir);
    EXPECT_TRUE(form->Widget()->grab().toImage().save(
        QString::fromStdString(dir + "/card_read_in_pieces.png")));
}

// A playlist chosen with the mouse while the lines of the master list are still being made:
// the chosen playlist is shown and stays shown when the fill ends, and the run ends.
TEST_F(CardFill, APlaylistChosenDuringTheFillStaysShown) {
    ASSERT_TRUE(ReadUntilTheFill()) << "the fill ended before the playlist could be chosen";
    TBvgListBox* box = form->ListBoxPlayLists;
    ASSERT_EQ(3, box->Items()->Count());
    QTest::mouseClick(Viewport(box), Qt::LeftButton, {}, Centre(box->ItemRect(2)));
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(2, box->ItemIndex());
    ASSERT_EQ(kCardTracks / 5, form->BvPlaylist->Lines()->Count());
    EXPECT_EQ("1. Artist 0 - Song 0", (*form->BvPlaylist->Lines())[0].substr(0, 20));
    EXPECT_TRUE(form->ReadiTunesDB1->Enabled());
}

// Stop, clicked while the lines are being made: the read is in, so every line is shown and
// nothing is said stopped; the next command that checks for a Stop runs whole.
TEST_F(CardFill, StopDuringTheFillShowsEveryLineAndStopsNothingLater) {
    ASSERT_TRUE(ReadUntilTheFill()) << "the fill ended before Stop could be clicked";
    ASSERT_TRUE(form->btnCancel->Visible());
    Click(form->btnCancel);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(kCardTracks, form->BvPlaylist->Lines()->Count());
    EXPECT_EQ(std::string::npos, form->MemoLog->Lines()->Text().find("was stopped"));
    EXPECT_EQ(0, M().Model.CancelRequested.load());
    // Check for bad files: every file is there, so every track stays.
    ChooseFromMenuBar(form->Checkforbadfiles1);
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(std::string::npos, form->MemoLog->Lines()->Text().find("was stopped"));
    EXPECT_EQ(kCardTracks, M().Model.TrackCount());
}

// Closing the window while a folder is added in pieces (chosen with the keys): the close
// asks, stops the add after its current piece, and waits no longer than that; every added
// track is in the master list, as after any add.
TEST_F(MainSelection, ClosingDuringAnAddInPiecesKeepsEveryAddedTrackListed) {
    Start();
    // Enough files that the keys' own turns cannot add them all.
    constexpr int kFiles = 2000;
    const std::string music = SmallMusicFolder(folder, kFiles);
    dialogs.Folders = {music};
    M().AddPieceMs = 1;
    form->BvPlaylist->SetFocus();
    PumpEvents();
    ChooseFromMenuBar(form->Adddirectory2, false);
    QElapsedTimer waited;
    waited.start();
    while (M().IsBusy() && M().Model.TrackCount() == 0 && waited.elapsed() < 30000)
        QApplication::processEvents();
    ASSERT_TRUE(M().IsBusy()) << "the add ended before the window could be closed";
    ASSERT_LT(M().Model.TrackCount(), kFiles);
    dialogs.Buttons.push_back(IDYES);
    QElapsedTimer closing;
    closing.start();
    Close();
    // Without the add's pieces running during the wait, the close waited its whole time.
    EXPECT_LT(closing.elapsed(), 5000);
    ASSERT_FALSE(dialogs.Requests.empty());
    EXPECT_NE(std::string::npos, dialogs.Requests.back().Text.find("Stop it and close"));
    EXPECT_FALSE(M().IsBusy());
    const int added = M().Model.TrackCount();
    EXPECT_GT(added, 0);
    EXPECT_LT(added, kFiles);
    EXPECT_EQ(added, M().Model.PlaylistTracks[0].Count());
}

} // namespace
