#include "ListsTestSupport.h"
#include "TrackManagerUpdateState.h"

using BvTest::StringVec;
using Playlists = BvTest::TListsFixture;

TEST_F(Playlists, NewPlaylistAsksForANameAndStartsEmpty) {
    AddRow("A", "T");
    // A slot that still holds the entries of an earlier playlist.
    M->Model.PlaylistTracks[1].Add("0");
    M->mbNewPlstClick(); // cancelled: the scripted box has no answer
    EXPECT_EQ(1, M->ListBoxPlayLists.Items.Count());
    EXPECT_EQ((StringVec{"0"}), Entries(1));
    ASSERT_EQ(1u, Ui.InputPrompts.size());
    EXPECT_EQ("Create new playlist|Type name of playlist:|New playlist", Ui.InputPrompts[0]);
    Ui.Inputs = {{true, "Road"}};
    M->mbNewPlstClick();
    ASSERT_EQ(2, M->ListBoxPlayLists.Items.Count());
    EXPECT_EQ("Road", M->ListBoxPlayLists.Items[1]);
    EXPECT_TRUE(Entries(1).empty());
    EXPECT_EQ(0, M->ListBoxPlayLists.ItemIndex);
}

TEST_F(Playlists, A102ndPlaylistIsRefusedWithAMessage) {
    for (int i = 1; i < MaxPlaylists; ++i)
        AddPlaylist(std::string("P").append(std::to_string(i)), {});
    Ui.Inputs = {{true, "One too many"}};
    M->mbNewPlstClick();
    EXPECT_EQ(MaxPlaylists, M->ListBoxPlayLists.Items.Count());
    EXPECT_TRUE(Ui.InputPrompts.empty());
    ASSERT_EQ(1u, Ui.Messages.size());
    EXPECT_EQ("No more than 100 playlists can be created.", Ui.Messages[0]);
    // With one deleted there is room again, and the freed last slot is empty.
    M->Model.PlaylistTracks[MaxPlaylists - 1].Add("7");
    M->ListBoxPlayLists.ItemIndex = 5;
    M->Deleteplaylist1Click();
    EXPECT_TRUE(Entries(MaxPlaylists - 1).empty());
    EXPECT_EQ((StringVec{"7"}), Entries(MaxPlaylists - 2));
    M->mbNewPlstClick();
    EXPECT_EQ(MaxPlaylists, M->ListBoxPlayLists.Items.Count());
    EXPECT_EQ("One too many", M->ListBoxPlayLists.Items[MaxPlaylists - 1]);
}

TEST_F(Playlists, TheListsMessagesCanBeTranslatedBeforeTheirFirstUse) {
    // A language file is applied long before any of these is needed.
    EXPECT_TRUE(M->Messages.SetText("playlist_limit", "Höchstens 100 Wiedergabelisten."));
    EXPECT_TRUE(M->Messages.SetText("files_not_deleted", "Nicht gelöscht:"));
    for (int i = 1; i < MaxPlaylists; ++i)
        AddPlaylist(std::string("P").append(std::to_string(i)), {});
    M->mbNewPlstClick();
    EXPECT_EQ((StringVec{"Höchstens 100 Wiedergabelisten."}), Ui.Messages);
}

TEST_F(Playlists, RenameReplacesTheSelectedName) {
    AddPlaylist("Old", {});
    M->ListBoxPlayLists.ItemIndex = -1;
    Ui.Inputs = {{true, "New"}};
    M->Renameplaylist1Click();
    EXPECT_TRUE(Ui.InputPrompts.empty());
    M->ListBoxPlayLists.ItemIndex = 1;
    M->Renameplaylist1Click();
    EXPECT_EQ("New", M->ListBoxPlayLists.Items[1]);
    EXPECT_EQ("Rename playlist|Type name of playlist:|Old", Ui.InputPrompts[0]);
}

TEST_F(Playlists, DeletingAPlaylistMovesTheLaterOnesUp) {
    for (int i = 0; i < 4; ++i)
        AddRow(std::string("A").append(std::to_string(i)), "T");
    AddPlaylist("One", {"0"});
    AddPlaylist("Two", {"1"});
    AddPlaylist("Three", {"2", "3"});
    M->ListBoxPlayLists.ItemIndex = 2;
    M->Deleteplaylist1Click();
    EXPECT_EQ((StringVec{"All music", "One", "Three"}), M->ListBoxPlayLists.Items.Items());
    EXPECT_EQ((StringVec{"2", "3"}), Entries(2));
    EXPECT_TRUE(Entries(3).empty());
    EXPECT_EQ((StringVec{"0", "1", "2", "3"}), Entries(0));
    EXPECT_EQ(0, M->ListBoxPlayLists.ItemIndex);
    EXPECT_EQ(4, M->BvPlaylist.Count());
    // The master cannot be deleted.
    M->Deleteplaylist1Click();
    EXPECT_EQ(3, M->ListBoxPlayLists.Items.Count());
    EXPECT_EQ(4u, Entries(0).size());
}

TEST_F(Playlists, ClearPlaylistsLeavesOnlyAllMusicAndTheTracks) {
    AddRow("A", "T");
    AddPlaylist("One", {"0"});
    M->Clearplaylists2Click();
    EXPECT_EQ((StringVec{"All Music"}), M->ListBoxPlayLists.Items.Items());
    EXPECT_EQ(0, M->ListBoxPlayLists.ItemIndex);
    EXPECT_EQ(0, M->BvPlaylist.Count());
    EXPECT_TRUE(Entries(0).empty());
    EXPECT_TRUE(Entries(1).empty());
    EXPECT_EQ(1, M->Model.TrackCount());
}

TEST_F(Playlists, CopyToPlaylistTargetsByPositionAndAddsEachRowOnce) {
    for (int i = 0; i < 3; ++i)
        AddRow(std::string("A").append(std::to_string(i)), "T");
    M->Model.TrackListHolder.StringsByName("Time").Put(0, "bad");
    AddPlaylist("Mix", {});
    AddPlaylist("&Mix", {"2"});
    Show(0);
    M->TrackListMenuPopup();
    EXPECT_EQ((StringVec{"Mix", "&Mix"}), M->CopyToPlaylistItems);
    // Line 0 shows row 1, since row 0 cannot be shown.
    M->BvPlaylist.SelectAll();
    M->CopyToPlayListPopup1Click(1);
    M->CopyToPlayListPopup1Click(1);
    EXPECT_TRUE(Entries(1).empty());
    EXPECT_EQ((StringVec{"2", "1"}), Entries(2));
    EXPECT_EQ(2, M->BvPlaylist.Count());
    M->CopyToPlayListPopup1Click(5); // no such item
    EXPECT_TRUE(Entries(1).empty());
    // A menu left from before a rename copies nothing.
    M->ListBoxPlayLists.Items.Put(1, "Renamed");
    M->CopyToPlayListPopup1Click(0);
    EXPECT_TRUE(Entries(1).empty());
    M->TrackListMenuPopup();
    M->CopyToPlayListPopup1Click(0);
    EXPECT_EQ((StringVec{"1", "2"}), Entries(1));
}

TEST_F(Playlists, OnlyTheTrackViewCanBeDroppedOnAPlaylistName) {
    for (int i = 0; i < 2; ++i)
        AddRow(std::string("A").append(std::to_string(i)), "T");
    const int p = AddPlaylist("Mix", {});
    Show(0);
    SelectLines({1});
    EXPECT_FALSE(M->ListBoxPlayListsDragOver(TDragSource::MediaDBList, p));
    EXPECT_FALSE(M->ListBoxPlayListsDragOver(TDragSource::PlaylistBox, p));
    EXPECT_FALSE(M->ListBoxPlayListsDragOver(TDragSource::TrackView, 2));
    EXPECT_TRUE(M->ListBoxPlayListsDragOver(TDragSource::TrackView, p));
    M->ListBoxPlayListsDragDrop(TDragSource::DeletedList, p);
    EXPECT_TRUE(Entries(p).empty());
    M->ListBoxPlayListsDragDrop(TDragSource::TrackView, p);
    EXPECT_EQ((StringVec{"1"}), Entries(p));
    M->ListBoxPlayListsDragDrop(TDragSource::TrackView, 0);
    EXPECT_EQ((StringVec{"0", "1"}), Entries(0));
}

TEST_F(Playlists, MoveUpAndDownMoveTheFocusedEntry) {
    for (int i = 0; i < 3; ++i)
        AddRow(std::string("A").append(std::to_string(i)), "T");
    const int p = AddPlaylist("Mix", {"0", "1", "2"});
    Show(p);
    M->MoveUp2Click(); // nothing focused
    M->BvPlaylist.FocusLine(0);
    M->MoveUp2Click();
    EXPECT_EQ((StringVec{"0", "1", "2"}), Entries(p));
    M->BvPlaylist.FocusLine(0);
    M->MoveDown2Click();
    M->MoveDown2Click();
    EXPECT_EQ((StringVec{"1", "2", "0"}), Entries(p));
    EXPECT_EQ(2, M->BvPlaylist.ItemIndex);
    EXPECT_EQ((std::vector<int>{2}), M->BvPlaylist.SelectedLines());
    M->MoveDown2Click();
    EXPECT_EQ((StringVec{"1", "2", "0"}), Entries(p));
}

TEST_F(Playlists, DroppingOnTheTrackViewReordersTheShownPlaylist) {
    for (int i = 0; i < 4; ++i)
        AddRow(std::string("A").append(std::to_string(i)), "T");
    const int p = AddPlaylist("Mix", {"0", "1", "2", "3"});
    Show(p);
    EXPECT_TRUE(M->BvPlaylistADragOver(TDragSource::Other));
    M->BvPlaylist.FocusLine(0);
    M->BvPlaylistGLDragDrop(TDragSource::TrackView, -1);
    EXPECT_EQ((StringVec{"1", "2", "3", "0"}), Entries(p));
    EXPECT_EQ(3, M->BvPlaylist.ItemIndex);
    M->BvPlaylistGLDragDrop(TDragSource::TrackView, 1);
    EXPECT_EQ((StringVec{"1", "0", "2", "3"}), Entries(p));
    EXPECT_EQ(1, M->BvPlaylist.ItemIndex);
    EXPECT_EQ("A0 - T (03:05)", M->BvPlaylist.Lines[1].Text);
}

TEST_F(Playlists, DroppingDeletedRowsRestoresThemWhole) {
    for (int i = 0; i < 4; ++i)
        AddRow(std::string("A").append(std::to_string(i)),
               std::string("T").append(std::to_string(i)));
    const int p = AddPlaylist("Mix", {});
    Show(0);
    SelectLines({0, 1, 3});
    M->btnRemoveClick();
    ASSERT_EQ(3, M->DeletedList.Count());
    Show(p);
    // Restore the first and the last deleted row, in list order.
    M->DeletedList.Select(0);
    M->DeletedList.Select(2);
    M->BvPlaylistGLDragDrop(TDragSource::DeletedList, -1);
    EXPECT_EQ(1, M->Model.DeletedHolder.StringsByName("UID").Count());
    EXPECT_EQ(3, M->Model.TrackCount());
    EXPECT_TRUE(Entries(p).empty());
    EXPECT_EQ((StringVec{"0", "1", "2"}), Entries(0));
    // Every value comes back with its row, the UID included.
    const StringVec uids = Column("UID");
    const StringVec titles = Column("Title");
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ("T" + uids[static_cast<size_t>(r)], titles[static_cast<size_t>(r)]);
    EXPECT_EQ((StringVec{"A2", "A3", "A0"}), Column("Artist"));
    EXPECT_EQ((StringVec{"A1"}), M->Model.DeletedHolder.StringsByName("Artist").Items());
    EXPECT_EQ(1, M->DeletedList.Count());
}

TEST_F(Playlists, DroppingLibraryRowsAddsOnlyNewMusicFiles) {
    const std::string data = std::string(BV_TEST_DATA_DIR) + "/tags/";
    const std::string listed = BvTest::WindowsPathOf(data + "v23_latin1_cbr.mp3");
    const std::string fresh = BvTest::WindowsPathOf(data + "v11_only.mp3");
    AddRow("Listed", "T", "Al", "3:5", "1", listed);
    const int p = AddPlaylist("Mix", {});
    TPackedTable& db = M->Model.MediaDB;
    std::vector<TViewLine> lines;
    const StringVec files = {listed, "C:\\music\\cover.jpg", fresh};
    for (size_t i = 0; i < files.size(); ++i) {
        for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "BitRate", "UID"})
            db.StringsByName(c).Add("0:0");
        db.StringsByName("FileName").Add(files[i]);
        lines.push_back({files[i], static_cast<int>(i), static_cast<int>(i)});
    }
    M->MediaDBList.SetLines(lines);
    M->MediaDBList.SelectAll();
    Show(p);
    M->BvPlaylistGLDragDrop(TDragSource::MediaDBList, -1);
    EXPECT_EQ((StringVec{listed, fresh}), Column("FileName"));
    EXPECT_EQ((StringVec{"1"}), Entries(p));
    EXPECT_EQ((StringVec{"0", "1"}), Entries(0));
    EXPECT_EQ(1, M->BvPlaylist.Count());
}

TEST_F(Playlists, DroppingLibraryRowsReportsTheFilesThatFailed) {
    const std::string gone = BvTest::WindowsPathOf(Folder.Path("gone.m4a"));
    TPackedTable& db = M->Model.MediaDB;
    for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "BitRate", "UID"})
        db.StringsByName(c).Add("0:0");
    db.StringsByName("FileName").Add(gone);
    M->MediaDBList.SetLines({{gone, 0, 0}});
    M->MediaDBList.SelectAll();
    M->BvPlaylistGLDragDrop(TDragSource::MediaDBList, -1);
    EXPECT_EQ(0, M->Model.TrackCount());
    ASSERT_EQ(1u, Ui.Warnings.size());
    EXPECT_NE(std::string::npos, Ui.Warnings[0].find("gone.m4a"));
}

TEST_F(Playlists, DropsFromTheLibraryOrTheDeletedListAreRefusedWhileBusy) {
    const std::string fresh =
        BvTest::WindowsPathOf(std::string(BV_TEST_DATA_DIR) + "/tags/v11_only.mp3");
    AddRow("A0", "T0");
    Show(0);
    SelectLines({0});
    M->btnRemoveClick();
    ASSERT_EQ(1, M->DeletedList.Count());
    TPackedTable& db = M->Model.MediaDB;
    for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "BitRate", "UID"})
        db.StringsByName(c).Add("0:0");
    db.StringsByName("FileName").Add(fresh);
    M->MediaDBList.SetLines({{fresh, 0, 0}});
    M->MediaDBList.SelectAll();
    M->DeletedList.Select(0);
    Ui.Messages.clear();

    UpdateStateOf(*M).CardBusy = 1;
    M->BvPlaylistGLDragDrop(TDragSource::MediaDBList, -1);
    M->BvPlaylistGLDragDrop(TDragSource::DeletedList, -1);
    EXPECT_EQ(0, M->Model.TrackCount());
    EXPECT_EQ(1, M->DeletedList.Count());
    EXPECT_EQ(2u, Ui.Messages.size());

    UpdateStateOf(*M).CardBusy = 0;
    M->BvPlaylistGLDragDrop(TDragSource::MediaDBList, -1);
    M->DeletedList.Select(0); // the refreshed view dropped its selection
    M->BvPlaylistGLDragDrop(TDragSource::DeletedList, -1);
    EXPECT_EQ((StringVec{fresh, "C:\\music\\0.mp3"}), Column("FileName"));
    EXPECT_EQ(0, M->DeletedList.Count());
}
