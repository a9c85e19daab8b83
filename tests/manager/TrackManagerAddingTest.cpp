#include "TrackManager.h"

#include "AudioFixtures.h"
#include "CodecGate.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using BvTest::TAudioFixtureFolder;
using BvTest::WindowsPathOf;

std::string TagFixture(const std::string& name) {
    return std::string(BV_TEST_DATA_DIR) + "/tags/" + name;
}

struct TAdding {
    TAudioFixtureFolder Folder;
    TScriptedManagerUi Ui;
    TTrackManager Manager{Ui, {WindowsPathOf(Folder.Path()) + "\\", {}}};
    std::vector<std::string> LogLines;

    TAdding() {
        Manager.Log.SetSink([this](const std::string& line) { LogLines.push_back(line); });
        Manager.Start();
    }
    // Copies a tag fixture into the folder (a subfolder when given); its Windows path.
    std::string Copy(const std::string& fixture, const std::string& as) {
        const std::string target = Folder.Path(as);
        fs::create_directories(fs::path(target).parent_path());
        fs::copy_file(TagFixture(fixture), target, fs::copy_options::overwrite_existing);
        return WindowsPathOf(target);
    }
    std::string Write(const std::string& as, const std::string& bytes) {
        const std::string target = Folder.Path(as);
        fs::create_directories(fs::path(target).parent_path());
        BvTest::WriteWholeFile(target, bytes);
        return WindowsPathOf(target);
    }
    std::string Field(int row, const char* column) {
        return Manager.Model.TrackListHolder.StringsByName(column)[row];
    }
    int RowOf(const std::string& path) {
        const TStringList& names = Manager.Model.TrackListHolder.StringsByName("FileName");
        for (int i = 0; i < names.Count(); ++i)
            if (names[i] == path)
                return i;
        return -1;
    }
    void ExpectEvenColumns() {
        const int n = Manager.Model.TrackCount();
        for (const char* c :
             {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
            EXPECT_EQ(n, Manager.Model.TrackListHolder.StringsByName(c).Count()) << c;
    }
};

} // namespace

TEST(ParseTrackFileName, BothVariants) {
    struct TCase {
        const char* Name;
        bool M4a;
        const char* Artist;
        const char* Title;
    };
    const TCase cases[] = {
        {"C:\\m\\Artist - Song_Name.mp3", false, "Artist", "Song Name"},
        {"C:\\m\\Intro.MP3", false, "Unknown Artist", "Intro"},
        {"C:\\m\\A - B - C.mp3", false, "A", "B - C"},
        // Where the underscores are replaced decides whether an edge blank stays.
        {"C:\\m\\X-_Song_.mp3", false, "X", " Song "},
        {"C:\\m\\X-_Song_.m4a", true, "X", "Song"},
        {"C:\\m\\_Band_-Tune.m4a", true, "Band", "Tune"},
        {"C:\\m\\_Band_-Tune.mp3", false, " Band ", "Tune"},
        {"C:\\m\\_Only_.m4a", true, "Unknown Artist", " Only "},
        {"C:\\m\\_Only_.mp3", false, "Unknown Artist", "Only"},
        {"C:\\m\\.mp3", false, "Unknown Artist", ""},
        {"C:\\m\\Кино - Звезда.mp3", false, "Кино", "Звезда"},
    };
    for (const TCase& c : cases) {
        std::string artist, title;
        TTrackManager::ParseTrackFileName(c.Name, c.M4a, artist, title);
        EXPECT_EQ(c.Artist, artist) << c.Name;
        EXPECT_EQ(c.Title, title) << c.Name;
    }
}

TEST(TrackManagerAdding, FolderOfMixedAndDamagedFilesIsAddedWhole) {
    TAdding t;
    const std::string latin = t.Copy("v23_latin1_cbr.mp3", "in/v23_latin1_cbr.mp3");
    const std::string v1 = t.Copy("v11_only.mp3", "in/sub/v11_only.mp3");
    const std::string badFrame = t.Copy("bad_encoding_frame.mp3", "in/sub/bad.mp3");
    const std::string truncated = t.Copy("truncated_tag_size.mp3", "in/Cut - Short_Tag.mp3");
    const std::string noAudio = t.Copy("no_audio_frames.mp3", "in/no_audio.mp3");
    const std::string garbage = t.Write("in/Noise - Only_Bytes.mp3", std::string(5000, '\x55'));
    const std::string emptyMp3 = t.Write("in/Empty.mp3", "");
    BvTest::WriteM4aFixture(t.Folder.Path("in/Band - Good_Song.m4a"), 3.0, 128);
    const std::string m4a = WindowsPathOf(t.Folder.Path("in/Band - Good_Song.m4a"));
    const std::string badM4a = t.Write("in/Broken_Clip.m4a", std::string(300, 'x'));
    t.Write("in/notes.txt", "not music");
    fs::create_directories(t.Folder.Path("in/folder.mp3"));

    t.Ui.FolderChoices.push_back({true, WindowsPathOf(t.Folder.Path("in"))});
    t.Manager.btnAddDIRClick();

    EXPECT_EQ(9, t.Manager.Model.TrackCount());
    t.ExpectEvenColumns();
    EXPECT_TRUE(t.Ui.Warnings.empty());

    int r = t.RowOf(latin);
    ASSERT_GE(r, 0);
    EXPECT_EQ("Björk", t.Field(r, "Artist"));
    EXPECT_EQ("Jóga", t.Field(r, "Title"));
    EXPECT_EQ("Homogenic", t.Field(r, "Album"));
    EXPECT_EQ("0:2", t.Field(r, "Time"));
    EXPECT_EQ("130", t.Field(r, "BitRate"));
    EXPECT_EQ(IntToStr(fs::file_size(TagFixture("v23_latin1_cbr.mp3"))), t.Field(r, "Size"));
    EXPECT_EQ(IntToStr(r), t.Field(r, "UID"));

    r = t.RowOf(v1);
    ASSERT_GE(r, 0);
    EXPECT_EQ("Sigur Rós", t.Field(r, "Artist"));
    EXPECT_EQ("Café", t.Field(r, "Title"));
    EXPECT_EQ("Ágætis byrjun", t.Field(r, "Album"));

    // An ID3v2 title without an artist still wins over the file name.
    r = t.RowOf(badFrame);
    ASSERT_GE(r, 0);
    EXPECT_EQ("Jóga", t.Field(r, "Title"));

    r = t.RowOf(truncated);
    ASSERT_GE(r, 0);
    EXPECT_EQ("0:0", t.Field(r, "Time"));
    EXPECT_EQ("600", t.Field(r, "Size"));

    for (const std::string& p : {garbage, emptyMp3}) {
        r = t.RowOf(p);
        ASSERT_GE(r, 0) << p;
        EXPECT_EQ("0:0", t.Field(r, "Time"));
    }
    r = t.RowOf(garbage);
    EXPECT_EQ("Noise", t.Field(r, "Artist"));
    EXPECT_EQ("Only Bytes", t.Field(r, "Title"));
    EXPECT_EQ("Unknown Album", t.Field(r, "Album"));
    EXPECT_EQ("5000", t.Field(r, "Size"));
    EXPECT_GE(t.RowOf(noAudio), 0);

    r = t.RowOf(m4a);
    ASSERT_GE(r, 0);
    const int64_t bytes =
        static_cast<int64_t>(fs::file_size(t.Folder.Path("in/Band - Good_Song.m4a")));
    const int32_t seconds = CodecGate::gettime(m4a);
    ASSERT_GT(seconds, 0);
    EXPECT_EQ("Band", t.Field(r, "Artist"));
    EXPECT_EQ("Good Song", t.Field(r, "Title"));
    EXPECT_EQ(IntToStr(seconds / 60) + ":" + IntToStr(seconds % 60), t.Field(r, "Time"));
    EXPECT_EQ(IntToStr((bytes / 1024) * 8 / seconds), t.Field(r, "BitRate"));

    // A damaged M4A has no playing time, so no bitrate either.
    r = t.RowOf(badM4a);
    ASSERT_GE(r, 0);
    EXPECT_EQ("0:0", t.Field(r, "Time"));
    EXPECT_EQ("0", t.Field(r, "BitRate"));
    EXPECT_EQ("Unknown Artist", t.Field(r, "Artist"));
    EXPECT_EQ("Broken Clip", t.Field(r, "Title"));

    // Master list and view are complete.
    EXPECT_EQ(9, t.Manager.Model.PlaylistTracks[0].Count());
    EXPECT_EQ(9, t.Manager.BvPlaylist.Count());
}

TEST(TrackManagerAdding, AddFilesSkipsListedFilesAndDropsAddAgain) {
    TAdding t;
    const std::string a = t.Copy("v23_latin1_cbr.mp3", "Artist - Song.mp3");
    const std::string b = t.Copy("v24_utf8_vbr.mp3", "b.mp3");
    const std::string other = t.Write("c.wav", "RIFF");
    t.Ui.FileChoices.push_back({true, {a, b, other}});
    t.Ui.FileChoices.push_back({true, {a}});
    t.Manager.btnAddFileClick();
    t.Manager.btnAddFileClick();
    EXPECT_EQ(2, t.Manager.Model.TrackCount());
    ASSERT_EQ(2u, t.Ui.FileFilters.size());
    EXPECT_EQ("Media files (*.mp3;*.m4a)|*.mp3;*.m4a", t.Ui.FileFilters[0]);

    t.Manager.BvDragDrop1Drop({a, a});
    EXPECT_EQ(4, t.Manager.Model.TrackCount());
    EXPECT_EQ(4, t.Manager.Model.PlaylistTracks[0].Count());
    // A cancelled dialog still completes the master list and refreshes the view.
    t.Manager.Model.PlaylistTracks[0].Clear();
    t.Manager.btnAddFileClick();
    EXPECT_EQ(4, t.Manager.Model.PlaylistTracks[0].Count());
    EXPECT_EQ(4, t.Manager.BvPlaylist.Count());
}

TEST(TrackManagerAdding, SelectedUserPlaylistGetsTheNewRows) {
    TAdding t;
    const std::string a = t.Copy("v23_latin1_cbr.mp3", "a.mp3");
    const std::string b = t.Copy("v24_utf8_vbr.mp3", "b.mp3");
    t.Manager.BvDragDrop1Drop({a});
    t.Manager.ListBoxPlayLists.Items.Add("Mine");
    t.Manager.ListBoxPlayLists.ItemIndex = 1;
    t.Manager.BvDragDrop1Drop({b});
    EXPECT_EQ(std::vector<std::string>{"1"}, t.Manager.Model.PlaylistTracks[1].Items());
    EXPECT_EQ((std::vector<std::string>{"0", "1"}), t.Manager.Model.PlaylistTracks[0].Items());
    EXPECT_EQ(1, t.Manager.BvPlaylist.Count());
}

TEST(TrackManagerAdding, VanishedFileIsSkippedReportedAndTheRestCompleted) {
    TAdding t;
    const std::string a = t.Copy("v23_latin1_cbr.mp3", "a.mp3");
    const std::string gone = WindowsPathOf(t.Folder.Path("gone.mp3"));
    const std::string goneM4a = WindowsPathOf(t.Folder.Path("gone.m4a"));
    const std::string b = t.Copy("v24_utf8_vbr.mp3", "b.mp3");
    t.Ui.FileChoices.push_back({true, {gone, a, goneM4a, b}});
    t.Manager.btnAddFileClick();
    EXPECT_EQ(2, t.Manager.Model.TrackCount());
    t.ExpectEvenColumns();
    EXPECT_EQ((std::vector<std::string>{"0", "1"}), t.Manager.Model.PlaylistTracks[0].Items());
    EXPECT_EQ(2, t.Manager.BvPlaylist.Count());
    ASSERT_EQ(1u, t.Ui.Warnings.size());
    EXPECT_NE(std::string::npos, t.Ui.Warnings[0].find("gone.mp3"));
    EXPECT_NE(std::string::npos, t.Ui.Warnings[0].find("gone.m4a"));
    EXPECT_EQ(2u, t.LogLines.size());
}
