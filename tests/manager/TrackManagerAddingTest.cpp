#include "TrackManager.h"

#include "AudioFixtures.h"
#include "CodecGate.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

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
    const std::string pastEnd = t.Copy("tag_size_past_end.mp3", "in/past_end.mp3");
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

    EXPECT_EQ(10, t.Manager.Model.TrackCount());
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

    // A cut-off copy holds only 0.03 s of audio, behind a tag whose size runs past its end.
    r = t.RowOf(truncated);
    ASSERT_GE(r, 0);
    EXPECT_EQ("0:0", t.Field(r, "Time"));
    EXPECT_EQ("128", t.Field(r, "BitRate"));
    EXPECT_EQ("600", t.Field(r, "Size"));
    // The whole file behind the same broken size field: its real length and bitrate.
    r = t.RowOf(pastEnd);
    ASSERT_GE(r, 0);
    EXPECT_EQ("Jóga", t.Field(r, "Title"));
    EXPECT_EQ("0:2", t.Field(r, "Time"));
    EXPECT_EQ("130", t.Field(r, "BitRate"));

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
    EXPECT_EQ(10, t.Manager.Model.PlaylistTracks[0].Count());
    EXPECT_EQ(10, t.Manager.BvPlaylist.Count());
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

// A link to /dev/zero was read without end and a named pipe blocked in open: adding
// hung for ever. Only regular files (after following links) are read; the others
// are skipped with a message and the rest of the batch is added.
TEST(TrackManagerAdding, WhatIsNotARegularFileIsSkippedWithoutBlocking) {
    TAdding t;
    const std::string good = t.Copy("v23_latin1_cbr.mp3", "good.mp3");
    const std::string linked = WindowsPathOf(t.Folder.Path("Linked - Song.mp3"));
    fs::create_symlink(t.Folder.Path("good.mp3"), t.Folder.Path("Linked - Song.mp3"));
    struct TCase {
        const char* name;
        std::string path;
    };
    std::vector<TCase> refused;
    auto link = [&](const char* name, const std::string& target) {
        fs::create_symlink(target, t.Folder.Path(name));
        refused.push_back({name, WindowsPathOf(t.Folder.Path(name))});
    };
    auto fifo = [&](const char* name) {
        ASSERT_EQ(0, mkfifo(t.Folder.Path(name).c_str(), 0600));
        refused.push_back({name, WindowsPathOf(t.Folder.Path(name))});
    };
    link("zero.mp3", "/dev/zero");
    link("zero.m4a", "/dev/zero");
    fifo("pipe.mp3");
    fifo("pipe.m4a");
    link("pipe link.mp3", t.Folder.Path("pipe.mp3"));

    std::vector<std::string> paths{good};
    for (const TCase& c : refused)
        paths.push_back(c.path);
    paths.push_back(linked);
    t.Manager.BvDragDrop1Drop(paths);

    EXPECT_EQ(2, t.Manager.Model.TrackCount());
    t.ExpectEvenColumns();
    EXPECT_GE(t.RowOf(good), 0);
    const int r = t.RowOf(linked);
    ASSERT_GE(r, 0);
    EXPECT_EQ("Jóga", t.Field(r, "Title"));
    EXPECT_EQ("0:2", t.Field(r, "Time"));
    ASSERT_EQ(1u, t.Ui.Warnings.size());
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(std::string::npos, t.Ui.Warnings[0].find(c.path));
        bool logged = false;
        for (const std::string& line : t.LogLines)
            logged = logged || line.find(c.path + " is not a file") != std::string::npos;
        EXPECT_TRUE(logged);
    }
}

namespace {

// A count the kernel keeps for this process: "syscr:" read calls, "rchar:" bytes
// read. -1 when the kernel does not tell.
int64_t ProcessIo(const std::string& name) {
    std::ifstream io("/proc/self/io");
    std::string key;
    int64_t value = 0;
    while (io >> key >> value) {
        if (key == name)
            return value;
    }
    return -1;
}

} // namespace

// Adding an MP3 opened and read it twice, once for the tags and once more for the
// playing time. Once is enough: the opens are counted by the kernel's file watch,
// the reads by its per-process count.
TEST(TrackManagerAdding, AnMp3IsOpenedAndItsHeadReadOnce) {
    TAdding t;
    const struct {
        const char* fixture;
        const char* title;
    } cases[] = {
        {"v23_latin1_cbr.mp3", "Jóga"},
        {"v11_only.mp3", "Café"}, // the ID3v1 trailer, read from the same open
        {"no_audio_frames.mp3", "Jóga"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        const std::string path = t.Copy(c.fixture, c.fixture);
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(inotify_add_watch(watch, t.Folder.Path(c.fixture).c_str(), IN_OPEN), 0);
        const int64_t first = ProcessIo("syscr:");
        const int64_t before = ProcessIo("syscr:");
        const int64_t idle = before - first; // what asking costs by itself
        const int row = t.Manager.AddMp3ToTrackList(path);
        const int64_t reads = ProcessIo("syscr:") - before - idle;
        ASSERT_GE(row, 0);
        EXPECT_EQ(c.title, t.Field(row, "Title"));
        int opens = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                opens += (e->mask & IN_OPEN) != 0;
                p += sizeof(inotify_event) + e->len;
            }
        close(watch);
        EXPECT_EQ(1, opens);
        if (before >= 0) { // a kernel without the count leaves the reads unchecked
            EXPECT_LE(reads, 2);
        }
    }
}

// A file without audio is searched to its end for a first frame, since real files can
// hold more padding before their audio than any bound: a 2 GiB file of zeros is read
// once, in pieces that are dropped as the search passes them, and added by its name.
TEST(TrackManagerAdding, LargeFileWithoutAudioIsAddedByItsName) {
    TAdding t;
    const std::string linuxPath = t.Folder.Path("Silence - Two_Gigabytes.mp3");
    {
        const int fd = open(linuxPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ftruncate(fd, off_t(2) << 30)); // sparse: no disk space taken
        close(fd);
    }
    const int64_t before = ProcessIo("rchar:");
    const int row = t.Manager.AddMp3ToTrackList(WindowsPathOf(linuxPath));
    const int64_t read = ProcessIo("rchar:") - before;
    ASSERT_GE(row, 0);
    EXPECT_EQ("Silence", t.Field(row, "Artist"));
    EXPECT_EQ("Two Gigabytes", t.Field(row, "Title"));
    EXPECT_EQ("Unknown Album", t.Field(row, "Album"));
    EXPECT_EQ("0:0", t.Field(row, "Time"));
    EXPECT_EQ("0", t.Field(row, "BitRate"));
    if (before >= 0) {
        EXPECT_LT(read, (int64_t(2) << 30) + (4 << 20));
    }
}
