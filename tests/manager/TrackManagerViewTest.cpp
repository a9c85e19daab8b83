#include "ListsTestSupport.h"

using BvTest::StringVec;
using TrackView = BvTest::TListsFixture;

TEST_F(TrackView, LinesFollowTheTemplateAndRememberTheirRows) {
    struct TCase {
        std::string Template;
        std::string FirstLine;
        int Lines; // a bad time only hides its row where the time is shown
    };
    const TCase cases[] = {
        {"<artist> - <title> (<time>)", "Abba - Waterloo (03:05)", 2},
        {"<ARTIST> - <Album> - <title> (<time>)", "Abba - Gold - Waterloo (03:05)", 2},
        {"<bitrate>", "128 kbps", 3},
        {"<filename>", "C:\\music\\0", 3}, // without the file's own extension
        {"<title> [<size>]", "Waterloo [4000]", 3},
    };
    AddRow("Abba", "Waterloo", "Gold", "3:5");
    AddRow("Bad", "Time", "Al", "305"); // no ':' - cannot be shown
    AddRow("Cher", "Believe", "Al", "0:75");
    for (const TCase& c : cases) {
        M->Options.comboShowTracksAs = c.Template;
        Show(0);
        ASSERT_EQ(c.Lines, M->BvPlaylist.Count()) << c.Template;
        EXPECT_EQ(c.FirstLine, M->BvPlaylist.Lines[0].Text) << c.Template;
    }
    M->Options.comboShowTracksAs = "<artist> (<time>)";
    Show(0);
    EXPECT_EQ((StringVec{"Abba (03:05)", "Cher (01:15)"}), Texts(M->BvPlaylist));
    // The line after the skipped row still names its own entry and row.
    EXPECT_EQ(2, M->BvPlaylist.Lines[1].Entry);
    EXPECT_EQ(2, M->BvPlaylist.Lines[1].Row);
    // The entry of the row that cannot be shown stays.
    EXPECT_EQ((StringVec{"0", "1", "2"}), Entries(0));
}

TEST_F(TrackView, EmptyPlaylistOrNoneSelectedGivesAnEmptyView) {
    AddRow("A", "T");
    const int p = AddPlaylist("Empty", {});
    Show(p);
    EXPECT_EQ(0, M->BvPlaylist.Count());
    EXPECT_FALSE(M->BvPlaylist.DragEnabled);
    M->ListBoxPlayLists.ItemIndex = -1;
    M->RefreshTrackView();
    EXPECT_EQ(0, M->BvPlaylist.Count());
}

TEST_F(TrackView, SelectionCommands) {
    for (int i = 0; i < 4; ++i)
        AddRow("A" + std::to_string(i), "T");
    Show(0);
    M->Selectall1Click();
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), M->BvPlaylist.SelectedLines());
    SelectLines({1, 2});
    M->Inverseselection1Click();
    EXPECT_EQ((std::vector<int>{0, 3}), M->BvPlaylist.SelectedLines());
    EXPECT_EQ((std::vector<int>{0, 3}), M->SelectedEntries());
    M->Selectnone1Click();
    EXPECT_TRUE(M->BvPlaylist.SelectedLines().empty());
}

TEST_F(TrackView, RemoveOnAUserPlaylistDropsOnlyTheEntriesOfTheSelectedLines) {
    for (int i = 0; i < 4; ++i)
        AddRow("A" + std::to_string(i), "T");
    M->Model.TrackListHolder.StringsByName("Time").Put(1, "bad");
    const int p = AddPlaylist("Mix", {"1", "3", "0", "2"});
    Show(p);
    // Row 1 has no line, so line 1 shows entry 2 (row 0).
    ASSERT_EQ(3, M->BvPlaylist.Count());
    SelectLines({1});
    M->btnRemoveClick();
    EXPECT_EQ((StringVec{"1", "3", "2"}), Entries(p));
    EXPECT_EQ(4, M->Model.TrackCount());
    EXPECT_TRUE(Ui.Questions.empty());
    EXPECT_EQ(0, M->Model.DeletedHolder.StringsByName("FileName").Count());
}

TEST_F(TrackView, RemoveFromTheMasterMovesOffCardRowsToTheDeletedList) {
    for (int i = 0; i < 5; ++i)
        AddRow("A" + std::to_string(i), "T" + std::to_string(i));
    // A row that cannot be shown, and a master order that differs from the rows.
    M->Model.TrackListHolder.StringsByName("Time").Put(2, "bad");
    M->Model.PlaylistTracks[0].Clear();
    for (const char* e : {"4", "2", "0", "3", "1"})
        M->Model.PlaylistTracks[0].Add(e);
    const int p = AddPlaylist("Mix", {"3", "4", "1"});
    Show(0);
    ASSERT_EQ(4, M->BvPlaylist.Count()); // rows 4, 0, 3, 1
    SelectLines({0, 2});                 // rows 4 and 3
    M->btnRemoveClick();
    EXPECT_TRUE(Ui.Questions.empty());
    EXPECT_EQ((StringVec{"A0", "A1", "A2"}), Column("Artist"));
    EXPECT_EQ((StringVec{"A3", "A4"}), M->Model.DeletedHolder.StringsByName("Artist").Items());
    EXPECT_EQ((StringVec{"2", "0", "1"}), Entries(0));
    EXPECT_EQ((StringVec{"1"}), Entries(p));
    EXPECT_EQ(0, M->ListBoxPlayLists.ItemIndex);
    EXPECT_EQ(2, M->BvPlaylist.Count());
    EXPECT_EQ(2, M->DeletedList.Count());
}

TEST_F(TrackView, RemoveWithACardFileAsksAndFollowsTheAnswer) {
    struct TCase {
        TQuestionResult Answer;
        bool CardFileKept;
        StringVec Remaining;
        StringVec Deleted;
    };
    const TCase cases[] = {
        {TQuestionResult::Yes, false, {"Keep"}, {}},
        {TQuestionResult::No, true, {"Keep"}, {"Card", "Pc"}},
        {TQuestionResult::Cancel, true, {"Card", "Pc", "Keep"}, {}},
    };
    for (const TCase& c : cases) {
        M->btnResetProgClick();
        AddRow("Card", "T", "Al", "3:5", "1", CardFile("card.mp3"));
        AddRow("Pc", "T");
        AddRow("Keep", "T");
        Show(0);
        SelectLines({0, 1});
        Ui.Answers = {c.Answer};
        Ui.Questions.clear();
        M->btnRemoveClick();
        ASSERT_EQ(1u, Ui.Questions.size());
        EXPECT_EQ("Do you want to delete files from your MOBILE?\rChoose YES if you want to "
                  "delete files from playlist and from mobile phone.\rChoose NO if you want to "
                  "delete files just from tracklist.",
                  Ui.Questions[0]);
        EXPECT_EQ(c.CardFileKept, CardFileExists("card.mp3"));
        EXPECT_EQ(c.Remaining, Column("Artist"));
        StringVec deleted = M->Model.DeletedHolder.StringsByName("Artist").Items();
        std::sort(deleted.begin(), deleted.end());
        EXPECT_EQ(c.Deleted, deleted);
        EXPECT_TRUE(Ui.Warnings.empty());
    }
}

TEST_F(TrackView, CardFilesThatCannotBeDeletedAreReportedAndKeptInTheDeletedList) {
    CardFile("other.mp3");
    std::filesystem::create_directories(Folder.Path("card/mobile/audio/folder.mp3"));
    // A wildcard name must never delete the files it would match.
    AddRow("Star", "T", "Al", "3:5", "1", "E:\\mobile\\audio\\*.mp3");
    AddRow("Dir", "T", "Al", "3:5", "1", "E:\\mobile\\audio\\folder.mp3");
    AddRow("Gone", "T", "Al", "3:5", "1", "E:\\mobile\\audio\\gone.mp3");
    AddRow("Real", "T", "Al", "3:5", "1", CardFile("real.mp3"));
    Show(0);
    M->Selectall1Click();
    Ui.Answers = {TQuestionResult::Yes};
    M->btnRemoveClick();
    EXPECT_TRUE(CardFileExists("other.mp3"));
    EXPECT_TRUE(CardFileExists("folder.mp3"));
    EXPECT_FALSE(CardFileExists("real.mp3"));
    EXPECT_EQ(0, M->Model.TrackCount());
    StringVec deleted = M->Model.DeletedHolder.StringsByName("Artist").Items();
    std::sort(deleted.begin(), deleted.end());
    EXPECT_EQ((StringVec{"Dir", "Star"}), deleted);
    ASSERT_EQ(1u, Ui.Warnings.size());
    EXPECT_NE(std::string::npos, Ui.Warnings[0].find("E:\\mobile\\audio\\*.mp3"));
    EXPECT_NE(std::string::npos, Ui.Warnings[0].find("folder.mp3"));
    EXPECT_EQ(std::string::npos, Ui.Warnings[0].find("real.mp3"));
}

TEST_F(TrackView, KeysOfTheView) {
    for (int i = 0; i < 3; ++i)
        AddRow("A" + std::to_string(i), "T");
    const int p = AddPlaylist("Mix", {"0", "1", "2"});
    Show(p);
    M->BvPlaylist.FocusLine(1);
    M->BvPlaylistGLKeyDown(KeyUp, {.Shift = true, .Ctrl = true});
    EXPECT_EQ((StringVec{"0", "1", "2"}), Entries(p));
    M->BvPlaylistGLKeyDown(KeyUp, {.Ctrl = true});
    EXPECT_EQ((StringVec{"1", "0", "2"}), Entries(p));
    EXPECT_EQ(0, M->BvPlaylist.ItemIndex);
    M->BvPlaylistGLKeyDown(KeyDown, {.Ctrl = true});
    EXPECT_EQ((StringVec{"0", "1", "2"}), Entries(p));
    EXPECT_EQ(1, M->BvPlaylist.ItemIndex);
    SelectLines({2});
    M->BvPlaylistGLKeyDown(KeyDelete, {.Shift = true});
    EXPECT_EQ((StringVec{"0", "1"}), Entries(p));
}

TEST_F(TrackView, RemoveDeletesTheCardFileOfTheLineShownNotOfItsPosition) {
    AddRow("One", "T", "Al", "3:5", "1", CardFile("one.mp3"));
    AddRow("Hidden", "T", "Al", "bad", "1", CardFile("hidden.mp3"));
    AddRow("Three", "T", "Al", "3:5", "1", CardFile("three.mp3"));
    Show(0);
    ASSERT_EQ(2, M->BvPlaylist.Count());
    SelectLines({1});
    Ui.Answers = {TQuestionResult::Yes};
    M->btnRemoveClick();
    EXPECT_TRUE(CardFileExists("one.mp3"));
    EXPECT_TRUE(CardFileExists("hidden.mp3"));
    EXPECT_FALSE(CardFileExists("three.mp3"));
    EXPECT_EQ((StringVec{"One", "Hidden"}), Column("Artist"));
}

TEST_F(TrackView, HugeTimesAndStaleSelectionsAreHandledSafely) {
    EXPECT_EQ(INT32_MAX, TrackTimeSeconds("35791394:07"));
    EXPECT_THROW(TrackTimeSeconds("35791394:08"), EConvertError);
    EXPECT_THROW(TrackTimeSeconds("999999999999999999:00"), EConvertError);
    AddRow("Huge", "T", "Al", "999999999999999999:00");
    AddRow("Fine", "T");
    Show(0);
    EXPECT_EQ((StringVec{"Fine - T (03:05)"}), Texts(M->BvPlaylist));
    // A selection left over from a longer view names no line.
    M->BvPlaylist.Selected = {0, 7};
    M->btnRemoveClick();
    EXPECT_EQ((StringVec{"Huge"}), Column("Artist"));
}
