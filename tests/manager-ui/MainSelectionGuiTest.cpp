// Which lines stay selected and which one is focused after each command of the track view, the
// library list and the deleted list, in a table of cases: the selection is made with the real
// mouse, the command given with the keys or the menus as a person gives it, and the view's own
// selection read back and named by track, so a command that moves lines is checked by where
// each track went.
#include "MainWindowFixture.h"

#include "TrackTableRows.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTimer>

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
    void ChooseFromMenuBar(TMenuItem* item) {
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
            Key(level + 1 < path.size() ? Qt::Key_Right : Qt::Key_Return);
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
    // The counts of tracks seen between turns: one piece a turn shows each piece's count. A
    // sampler that runs on every turn sees them even when one processEvents call runs several
    // turns, as it may on a loaded machine.
    std::set<int> counts;
    QTimer sampler;
    sampler.setInterval(0);
    QObject::connect(&sampler, &QTimer::timeout,
                     [this, &counts] { counts.insert(M().Model.TrackCount()); });
    sampler.start();
    QElapsedTimer waited;
    waited.start();
    while (M().IsBusy() && waited.elapsed() < 30000)
        QApplication::processEvents();
    sampler.stop();
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

} // namespace
