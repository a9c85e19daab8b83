// What the views keep across a refresh, and what a drag moves or copies.
#include "ListsTestSupport.h"

#include "TrackTableRows.h"

namespace {

using BvTest::StringVec;
using ViewState = BvTest::TListsFixture;

// A refresh keeps the selection, the focus and the top line of the lines that
// remain, wherever they are now; lines that are gone take nothing with them.
TEST_F(ViewState, ARefreshKeepsTheSelectionFocusAndTopOfTheRemainingLines) {
    for (int i = 0; i < 10; ++i)
        AddRow("A" + std::to_string(i), "T");
    Show(0);
    SelectLines({2, 5, 7});
    M->BvPlaylist.ItemIndex = 5;
    M->BvPlaylist.TopIndex = 4;

    // A new track at the end changes nothing of what is shown.
    AddRow("New", "T");
    M->RefreshTrackView();
    EXPECT_EQ((std::vector<int>{2, 5, 7}), M->BvPlaylist.SelectedLines());
    EXPECT_EQ(5, M->BvPlaylist.ItemIndex);
    EXPECT_EQ(4, M->BvPlaylist.TopIndex);

    // A track above them goes: the lines move up with their selection; the top line
    // (row 4) went too, so the next remaining line is the top.
    M->BvPlaylist.ItemIndex = 5;
    std::vector<bool> remove(11, false);
    remove[1] = remove[4] = true;
    M->Model.DeleteTracks(remove);
    M->RefreshTrackView();
    EXPECT_EQ((StringVec{"A0", "A2", "A3", "A5", "A6", "A7", "A8", "A9", "New"}), Column("Artist"));
    EXPECT_EQ((std::vector<int>{1, 3, 5}), M->BvPlaylist.SelectedLines());
    EXPECT_EQ(3, M->BvPlaylist.ItemIndex);
    EXPECT_EQ(3, M->BvPlaylist.TopIndex);

    // A tag edit changes a line's text; the line stays selected.
    M->BvPlaylist.FocusLine(1);
    M->BvPlaylistGLClick();
    M->edArtistChange("Renamed");
    EXPECT_TRUE(M->BvPlaylist.IsSelected(1));
    EXPECT_TRUE(M->BvPlaylist.IsSelected(3));

    // Another playlist starts afresh, and so does "Select none".
    const int p = AddPlaylist("Mine", {"0", "1", "2"});
    Show(p);
    EXPECT_TRUE(M->BvPlaylist.SelectedLines().empty());
    EXPECT_EQ(0, M->BvPlaylist.TopIndex);
    M->Selectall1Click();
    M->Selectnone1Click();
    EXPECT_TRUE(M->BvPlaylist.SelectedLines().empty());
}

// The library keeps the selection of its rows through a sort, by what they show.
TEST_F(ViewState, TheLibraryKeepsItsSelectionThroughASort) {
    for (const char* artist : {"Cher", "Abba", "Blur"})
        AppendTableRow(M->Model.MediaDB, {artist, "T", "Al", "1:0", "1", "C:\\x.mp3", "1", "0"});
    M->RefreshMediaDBList();
    M->MediaDBList.Select(0); // Cher
    M->SortbyArtist3Click();
    EXPECT_EQ((std::vector<int>{2}), M->MediaDBList.SelectedLines());
    M->Clear1Click();
    EXPECT_TRUE(M->MediaDBList.SelectedLines().empty());
}

// Dropping a line on itself, or after the view was rebuilt under the drag, changes
// nothing; a drop moves the line that was dragged, not the one focused since.
TEST_F(ViewState, ADragMovesOnlyTheDraggedLine) {
    for (int i = 0; i < 5; ++i)
        AddRow("A" + std::to_string(i), "T");
    const int p = AddPlaylist("Mine", {"0", "1", "2", "3", "4"});
    Show(p);

    M->BvPlaylist.FocusLine(1);
    M->BeginDrag(TDragSource::TrackView);
    M->BvPlaylistGLDragDrop(TDragSource::TrackView, 1);
    EXPECT_EQ((StringVec{"0", "1", "2", "3", "4"}), Entries(p));

    M->BeginDrag(TDragSource::TrackView);
    M->RefreshTrackView(); // the list changes under the drag
    M->BvPlaylistGLDragDrop(TDragSource::TrackView, 3);
    EXPECT_EQ((StringVec{"0", "1", "2", "3", "4"}), Entries(p));

    M->BvPlaylist.FocusLine(1);
    M->BeginDrag(TDragSource::TrackView);
    M->BvPlaylist.ItemIndex = 4; // focus moved by the program during the drag
    M->BvPlaylistGLDragDrop(TDragSource::TrackView, -1);
    EXPECT_EQ((StringVec{"0", "2", "3", "4", "1"}), Entries(p));
    EXPECT_EQ(4, M->BvPlaylist.ItemIndex);
    EXPECT_EQ((std::vector<int>{4}), M->BvPlaylist.SelectedLines());

    // A drop that does not come from a drag begun in the view keeps the old rule.
    M->BvPlaylist.FocusLine(0);
    M->BvPlaylistGLDragDrop(TDragSource::TrackView, 2);
    EXPECT_EQ((StringVec{"2", "3", "0", "4", "1"}), Entries(p));
}

// A drop on a playlist name copies the lines that were dragged, and nothing when the
// track view was rebuilt meanwhile.
TEST_F(ViewState, ADropOnAPlaylistCopiesTheDraggedLines) {
    for (int i = 0; i < 4; ++i)
        AddRow("A" + std::to_string(i), "T");
    const int p = AddPlaylist("Mine", {});
    Show(0);
    SelectLines({1, 2});
    M->BeginDrag(TDragSource::TrackView);
    SelectLines({0, 1, 2, 3});
    M->ListBoxPlayListsDragDrop(TDragSource::TrackView, p);
    EXPECT_EQ((StringVec{"1", "2"}), Entries(p));
    EXPECT_EQ(TDragSource::None, M->Drag.Source);

    SelectLines({3});
    M->BeginDrag(TDragSource::TrackView);
    AddRow("New", "T");
    M->RefreshTrackView();
    M->ListBoxPlayListsDragDrop(TDragSource::TrackView, p);
    EXPECT_EQ((StringVec{"1", "2"}), Entries(p));
}

// Library lines dropped on the track view are the dragged ones.
TEST_F(ViewState, LibraryLinesDroppedAreTheDraggedOnes) {
    M->ListBoxPlayLists.ItemIndex = 0;
    for (const char* name : {"a", "b", "c"})
        AppendTableRow(M->Model.MediaDB, {name, "T", "Al", "1:0", "1",
                                          std::string("C:\\nowhere\\") + name + ".wav", "1", "0"});
    M->RefreshMediaDBList();
    M->MediaDBList.Select(1);
    M->BeginDrag(TDragSource::MediaDBList);
    M->RefreshMediaDBList();
    M->MediaDBList.SelectAll();
    // Rebuilt under the drag: nothing is copied and no file is even looked at.
    M->BvPlaylistGLDragDrop(TDragSource::MediaDBList, -1);
    EXPECT_EQ(0, M->Model.TrackCount());
    EXPECT_TRUE(Ui.Warnings.empty());
}

} // namespace
