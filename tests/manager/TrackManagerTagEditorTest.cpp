#include "ListsTestSupport.h"

using BvTest::StringVec;
using TagEditor = BvTest::TListsFixture;

TEST_F(TagEditor, ClickShowsTheFocusedRow) {
    AddRow("A0", "T0", "Al0", "3:5", "4000", "C:\\m\\a.mp3", "128");
    AddRow("A1", "T1", "Al1", "bad");
    AddRow("A2", "T2", "Al2", "0:75", "5000", "C:\\m\\c.mp3", "96");
    Show(0);
    M->BvPlaylistGLClick(); // nothing focused
    EXPECT_EQ("lbUIDa", M->TagEditor.lbUID);
    M->BvPlaylist.FocusLine(1); // row 2: row 1 has no line
    M->BvPlaylistGLClick();
    const TTagEditorState& e = M->TagEditor;
    EXPECT_EQ("2", e.lbUID);
    EXPECT_EQ((StringVec{"A2", "T2", "Al2", "01:15", "96", "5000", "C:\\m\\c.mp3"}),
              (StringVec{e.edArtist, e.edTitle, e.edAlbum, e.edTime, e.edBitrate, e.edSize,
                         e.edFileName}));
    // A time that cannot be read is shown as it stands.
    M->ShowTrackTags(1);
    EXPECT_EQ("bad", M->TagEditor.edTime);
    EXPECT_EQ("A1", M->TagEditor.edArtist);
}

TEST_F(TagEditor, EditsChangeTheRowAndKeepTheLineSelected) {
    AddRow("A0", "T0");
    AddRow("A1", "T1");
    Show(0);
    M->edArtistChange("X"); // no row shown yet
    EXPECT_EQ((StringVec{"A0", "A1"}), Column("Artist"));
    M->BvPlaylist.FocusLine(1);
    M->BvPlaylistGLClick();
    M->edArtistChange("Z", false); // set by the program, not typed
    EXPECT_EQ((StringVec{"A0", "A1"}), Column("Artist"));
    M->edArtistChange("B");
    M->edTitleChange("Song");
    M->edAlbumChange("LP");
    EXPECT_EQ((StringVec{"A0", "B"}), Column("Artist"));
    EXPECT_EQ("LP", Column("Album")[1]);
    EXPECT_EQ("B - Song (03:05)", M->BvPlaylist.Lines[1].Text);
    EXPECT_EQ(1, M->BvPlaylist.ItemIndex);
    EXPECT_EQ((std::vector<int>{1}), M->BvPlaylist.SelectedLines());
    // Showing another row leaves the first as it is.
    M->ShowTrackTags(0);
    EXPECT_EQ((StringVec{"A0", "B"}), Column("Artist"));
}

TEST_F(TagEditor, ATimeIsWrittenOnlyWhenBothPartsParse) {
    struct TCase {
        std::string Typed;
        std::string Stored;
    };
    const TCase cases[] = {
        {"04:10", "04:10"}, {"04:  ", "04:10"}, {"ab:cd", "04:10"},
        {"  :05", "04:10"}, {" 7:09", "7:09"},  {"0410", "7:09"},
    };
    AddRow("A", "T");
    Show(0);
    M->BvPlaylist.FocusLine(0);
    M->BvPlaylistGLClick();
    for (const TCase& c : cases) {
        M->edTimeChange(c.Typed);
        EXPECT_EQ(c.Stored, Column("Time")[0]) << c.Typed;
        EXPECT_EQ(1, M->BvPlaylist.Count()) << c.Typed;
    }
}

TEST_F(TagEditor, FollowsItsRowAndClearsItselfWhenTheRowIsGone) {
    for (int i = 0; i < 3; ++i)
        AddRow(std::string("A").append(std::to_string(i)), "T");
    Show(0);
    M->BvPlaylist.FocusLine(2);
    M->BvPlaylistGLClick();
    ASSERT_EQ("2", M->TagEditor.lbUID);
    // Row 0 goes: the edited track is row 1 now.
    SelectLines({0});
    M->btnRemoveClick();
    EXPECT_EQ("1", M->TagEditor.lbUID);
    M->edArtistChange("Edited");
    EXPECT_EQ((StringVec{"A1", "Edited"}), Column("Artist"));
    // Its own row goes: the editor empties and edits nothing.
    SelectLines({1});
    M->btnRemoveClick();
    EXPECT_EQ(0u, M->TagEditor.RowSerial);
    EXPECT_EQ("", M->TagEditor.edArtist);
    M->edArtistChange("Lost");
    EXPECT_EQ((StringVec{"A1"}), Column("Artist"));
    M->bvGroupBoxTagsExpanded();
    EXPECT_TRUE(M->TagEditor.Expanded);
    M->bvGroupBoxTagsCollapsed();
    EXPECT_FALSE(M->TagEditor.Expanded);
}
