// Two different files are never taken for one, whichever command adds them, and
// adding many lines at once gives what adding them one by one gives.
#include "ListsTestSupport.h"

#include "TrackTableRows.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using BvTest::StringVec;
using FileNames = BvTest::TListsFixture;

std::string TagFixture(const std::string& name) {
    return std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
}

class FileNamesWithFiles : public BvTest::TListsFixture {
protected:
    // A real MP3 under the given (Linux) name in the folder; its Windows path.
    std::string Mp3(const std::string& name) {
        fs::create_directories(Folder.Path("music"));
        fs::copy_file(TagFixture("v23_latin1_cbr.mp3"), Folder.Path("music/" + name));
        return BvTest::WindowsPathOf(Folder.Path("music/" + name));
    }
    void LibraryRow(const std::string& file) {
        AppendTableRow(M->Model.MediaDB, {"A", "T", "Al", "1:0", "1", file, "128", "0"});
    }
};

// Names in a single-byte code page differ in bytes that are not UTF-8; each command
// that adds files takes both, and takes a name again only in another letter case.
TEST_F(FileNamesWithFiles, NamesThatDifferInABadByteAreTwoFiles) {
    const std::string e9 = Mp3("x\xe9.mp3");
    const std::string e8 = Mp3("x\xe8.mp3");
    Show(0);

    // The library's copy to the track list.
    LibraryRow(e9);
    LibraryRow(e8);
    LibraryRow(e9); // the same file again: skipped
    M->RefreshMediaDBList();
    M->MediaDBList.SelectAll();
    M->Copytotracklist1Click();
    EXPECT_EQ((StringVec{e9, e8}), Column("FileName"));

    // Add file(s) finds both listed, in another letter case too.
    std::string upper = e9;
    upper.replace(upper.size() - 4, 4, ".MP3");
    Ui.FileChoices.push_back({true, {e8, upper, e9}});
    M->btnAddFileClick();
    EXPECT_EQ(2, M->Model.TrackCount());
    EXPECT_TRUE(M->Model.IsInTrackList(upper));
}

// Removing every selected line in one pass leaves the track list, the playlists and
// the deleted list as removing the rows one by one from the last line up would.
TEST_F(FileNames, RemovingManyLinesMatchesRemovingThemOneByOne) {
    for (int i = 0; i < 8; ++i)
        AddRow("A" + std::to_string(i), "T");
    const int p = AddPlaylist("Mine", {"6", "1", "3", "7", "x"});
    Show(0);
    SelectLines({1, 3, 4, 6});
    M->btnRemoveClick();

    EXPECT_EQ((StringVec{"A0", "A2", "A5", "A7"}), Column("Artist"));
    EXPECT_EQ((StringVec{"0", "1", "2", "3"}), Entries(0));
    // 6 and 7 renumbered, 1 and 3 gone, an entry that is no number stays.
    EXPECT_EQ((StringVec{"3", "x"}), Entries(p));
    EXPECT_EQ((StringVec{"A6", "A4", "A3", "A1"}),
              M->Model.DeletedHolder.StringsByName("Artist").Items());
    EXPECT_TRUE(Ui.Questions.empty());
    EXPECT_TRUE(M->BvPlaylist.SelectedLines().empty());
}

// Remove on a user playlist drops exactly the selected entries, repeated rows included.
TEST_F(FileNames, RemovingFromAPlaylistDropsTheSelectedEntriesOnly) {
    for (int i = 0; i < 4; ++i)
        AddRow("A" + std::to_string(i), "T");
    const int p = AddPlaylist("Mine", {"2", "0", "2", "3", "1"});
    Show(p);
    SelectLines({0, 3});
    M->btnRemoveClick();
    EXPECT_EQ((StringVec{"0", "2", "1"}), Entries(p));
    EXPECT_EQ(4, M->Model.TrackCount());
}

// Copying to a playlist adds each row once, after what the playlist held.
TEST_F(FileNames, CopyToPlaylistAddsEachRowOnce) {
    for (int i = 0; i < 5; ++i)
        AddRow("A" + std::to_string(i), "T");
    const int p = AddPlaylist("Mine", {"3"});
    Show(0);
    M->TrackListMenuPopup();
    SelectLines({0, 3, 4});
    M->CopyToPlayListPopup1Click(p - 1);
    M->Selectall1Click();
    M->CopyToPlayListPopup1Click(p - 1);
    EXPECT_EQ((StringVec{"3", "0", "4", "1", "2"}), Entries(p));
}

// The file-name view drops the file's own extension and nothing else.
TEST(DisplayTemplate, FileNameDropsOnlyItsOwnExtension) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Music\\Song.mp3", "C:\\Music\\Song"},
        {"C:\\Mr. Big\\Song", "C:\\Mr. Big\\Song"},
        {"C:\\Mr. Big\\To Be With You.m4a", "C:\\Mr. Big\\To Be With You"},
        {"E:Track 1.5", "E:Track 1"},
        {"C:\\a.b\\c", "C:\\a.b\\c"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const auto& [file, shown] : cases) {
        EXPECT_EQ(shown, ExpandDisplayTemplate(
                             "<FileName>",
                             [&](TTrackColumn column, std::string& v) {
                                 if (column == TTrackColumn::FileName)
                                     v = file;
                             },
                             ""))
            << file;
    }
}

} // namespace
