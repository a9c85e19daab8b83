#include "UpdateTestSupport.h"

#include "RtFileUtils.h"

#include <functional>
#include <map>

using namespace BvTest;

namespace {

// A database on the card naming card files, written by the database writer.
struct TCardDb {
    TDatabaseSnapshot Snapshot;
    TCardDb() { Snapshot.PhoneDrive = 'E'; }
    void Track(TCardRun& t, const std::string& fixture, const std::string& cardName,
               const std::string& artist) {
        const std::string linux = t.Card + "/mobile/audio/" + cardName;
        fs::create_directories(fs::path(linux).parent_path());
        fs::copy_file(TagFixture(fixture), linux, fs::copy_options::overwrite_existing);
        TTrackRowSnapshot row;
        row.Artist = artist;
        row.Title = "Title " + artist;
        row.Album = "Album";
        row.Time = "0:2";
        row.Size = IntToStr(static_cast<int64_t>(fs::file_size(linux)));
        row.FileName = "E:\\mobile\\audio\\" + cardName;
        row.BitRate = "128";
        Snapshot.Tracks.push_back(row);
    }
    void Playlist(const std::string& name, std::vector<std::string> entries) {
        Snapshot.PlaylistNames.push_back(name);
        Snapshot.PlaylistEntries.push_back(std::move(entries));
    }
    void Write(TCardRun& t) { t.WriteOldDb(BuildDatabase(Snapshot)); }
};

std::vector<std::string> Entries(TTrackManager& m, int list) {
    return m.Model.PlaylistTracks[static_cast<size_t>(list)].Items();
}

std::vector<std::string> Column(TTrackManager& m, const char* name) {
    return m.Model.TrackListHolder.StringsByName(name).Items();
}

} // namespace

// ---- The whole road, the way a user works ----------------------------------------

TEST(CardEndToEnd, UpdateResetReadAndScanBringEverythingBack) {
    TCardRun t;
    for (const auto& [fixture, as] :
         std::vector<std::pair<std::string, std::string>>{{"v23_latin1_cbr.mp3", "music/one.mp3"},
                                                          {"v11_only.mp3", "music/sub/two.mp3"},
                                                          {"v24_utf8_vbr.mp3", "music/three.mp3"}})
        t.PcFile(fixture, as);
    t.PcM4a("music/Band - Four.m4a", 2.0, 96);
    t.Ui.FolderChoices.push_back({true, WindowsPathOf(t.Folder.Path("pc/music"))});
    t.M().btnAddDIRClick();
    ASSERT_EQ(4, t.M().Model.TrackCount());

    // Two playlists beside the master list, made with the playlist commands.
    TTrackManager& m = t.M();
    t.Ui.Inputs = {{true, "Road"}, {true, "Quiet"}};
    m.mbNewPlstClick();
    m.mbNewPlstClick();
    ASSERT_EQ(3, m.ListBoxPlayLists.Items.Count());
    m.ListBoxPlayListsClick(0);
    m.TrackListMenuPopup();
    ASSERT_EQ(4, m.BvPlaylist.Count());
    m.BvPlaylist.Select(0);
    m.BvPlaylist.Select(2);
    m.CopyToPlayListPopup1Click(0);
    m.BvPlaylist.SelectNone();
    for (int line : {1, 3, 0})
        m.BvPlaylist.Select(line);
    m.CopyToPlayListPopup1Click(1);
    ASSERT_EQ(2, m.Model.PlaylistTracks[1].Count());
    ASSERT_EQ(3, m.Model.PlaylistTracks[2].Count());
    m.Options.cbRNTO = true;
    m.Options.comboRNTO = "<#> <artist> - <title><ext>";

    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    const std::vector<std::string> files = Column(m, "FileName");
    for (const std::string& f : files) {
        EXPECT_EQ(0u, f.rfind("E:\\mobile\\audio\\", 0)) << f;
        EXPECT_TRUE(FileExists(f)) << f;
    }
    // Renamed by the template: the master position, the artist and the title.
    bool renamed = false;
    for (const auto& e : fs::directory_iterator(t.Card + "/mobile/audio"))
        renamed =
            renamed || e.path().filename().string().find(" Björk - Jóga.mp3") != std::string::npos;
    EXPECT_TRUE(renamed) << files[0];
    const auto check = DatabaseChecker::Check(t.Db());
    ASSERT_TRUE(check.Ok()) << check.Error;
    EXPECT_EQ(4, check.Tracks);

    const std::vector<std::string> artists = Column(m, "Artist");
    const std::vector<std::string> titles = Column(m, "Title");
    const std::vector<std::string> names = m.ListBoxPlayLists.Items.Items();
    std::vector<std::vector<std::string>> lists;
    for (int p = 0; p < 3; ++p)
        lists.push_back(Entries(m, p));

    m.btnResetProgClick();
    EXPECT_EQ(0, m.Model.TrackCount());
    EXPECT_EQ(1, m.ListBoxPlayLists.Items.Count());

    m.ReadiTuneDB1Click();
    t.Pump();
    EXPECT_EQ(files, Column(m, "FileName"));
    EXPECT_EQ(artists, Column(m, "Artist"));
    EXPECT_EQ(titles, Column(m, "Title"));
    EXPECT_EQ(names, m.ListBoxPlayLists.Items.Items());
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(lists[static_cast<size_t>(p)], Entries(m, p)) << p;
    EXPECT_TRUE(t.Ui.Warnings.empty());

    // A file the database does not list is found by the scan.
    fs::create_directories(t.Card + "/mobile/extra");
    fs::copy_file(TagFixture("v23_latin1_cbr.mp3"), t.Card + "/mobile/extra/new.mp3");
    m.btnScanMobileClick();
    t.Pump();
    ASSERT_EQ(5, m.Model.TrackCount());
    EXPECT_EQ("E:\\mobile\\extra\\new.mp3", Column(m, "FileName").back());
    EXPECT_EQ("4", Entries(m, 0).back());
    EXPECT_FALSE(m.IsBusy());
}

// ---- Reading the card ------------------------------------------------------------

TEST(CardRead, DeadTracksGoAndPlaylistsFollowWithRepeatedKeys) {
    TCardRun t;
    TCardDb db;
    db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
    db.Track(t, "v11_only.mp3", "b.mp3", "B");
    db.Track(t, "v24_utf8_vbr.mp3", "c.mp3", "C");
    db.Playlist("Master", {"0", "1", "2"});
    db.Playlist("Twice", {"2", "0", "2"});
    db.Write(t);
    fs::remove(t.Card + "/mobile/audio/b.mp3");
    t.M().ReadiTuneDB1Click();
    t.Pump();
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), Column(t.M(), "Artist"));
    EXPECT_EQ((std::vector<std::string>{"0", "1"}), Entries(t.M(), 0));
    // A key standing twice fills both of its positions.
    EXPECT_EQ((std::vector<std::string>{"1", "0", "1"}), Entries(t.M(), 1));
    EXPECT_EQ((std::vector<std::string>{"Master", "Twice"}), t.M().ListBoxPlayLists.Items.Items());
    EXPECT_TRUE(t.Logged("Searching for bad links..."));
}

TEST(CardRead, DamagedOrMissingDatabaseLeavesASoundState) {
    struct TCase {
        const char* Name;
        bool WriteDb;
        std::string Bytes;
        const char* Warning; // the failed read's message, nullptr when there is none
    };
    for (const TCase& c :
         {TCase{"no database", false, "", nullptr},
          TCase{"garbage", true, std::string(3000, '\x7f'), nullptr},
          TCase{"cut short", true, "mhbd\x00\x00\x00\x68", nullptr},
          TCase{"a folder in its place", true, "folder", "is not a file"},
          TCase{"larger than any phone's", true, "huge", "is 268435457 bytes long"}}) {
        TCardRun t;
        t.Add(t.PcFile("v23_latin1_cbr.mp3", "pc.mp3"));
        if (c.WriteDb && c.Bytes == "folder") {
            fs::create_directories(t.DbPath());
        } else if (c.WriteDb && c.Bytes == "huge") {
            t.WriteOldDb(BuildDatabase({}));
            fs::resize_file(t.DbPath(), 256 * 1024 * 1024 + 1); // sparse: no disk taken
        } else if (c.WriteDb) {
            t.WriteOldDb(c.Bytes);
        }
        t.M().ReadiTuneDB1Click();
        t.Pump();
        if (c.Warning) {
            ASSERT_EQ(1u, t.Ui.Warnings.size()) << c.Name;
            EXPECT_EQ(0u, t.Ui.Warnings[0].find("Could not read the database")) << c.Name;
            EXPECT_NE(std::string::npos, t.Ui.Warnings[0].find(c.Warning)) << t.Ui.Warnings[0];
            EXPECT_TRUE(t.Logged(t.Ui.Warnings[0])) << c.Name;
        } else {
            EXPECT_TRUE(t.Ui.Warnings.empty()) << c.Name;
        }
        EXPECT_EQ(0, t.M().Model.TrackCount()) << c.Name;
        EXPECT_EQ((std::vector<std::string>{"All music"}), t.M().ListBoxPlayLists.Items.Items())
            << c.Name;
        EXPECT_EQ(0, t.M().ListBoxPlayLists.ItemIndex) << c.Name;
        for (const auto& list : t.M().Model.PlaylistTracks)
            EXPECT_EQ(0, list.Count()) << c.Name;
    }
}

// Titles, albums and playlist names that hold a record tag read back whole:
// 58 tracks and 10 playlists stay 58 tracks and 10 playlists.
TEST(CardRead, TextHoldingRecordTagsReadsBackWhole) {
    TCardRun t;
    TCardDb db;
    const char* const tags[] = {"tihm", "dohm", "pihm", "pyhm", "dshm", "tlhm", "plhm", "dbhm"};
    for (int i = 0; i < 58; ++i) {
        db.Track(t, "v11_only.mp3", "t" + std::to_string(i) + ".mp3", "A" + std::to_string(i));
        auto& row = db.Snapshot.Tracks.back();
        row.Title.append(" ").append(tags[i % 8]);
        row.Album = std::string(tags[(i + 3) % 8]) + " live";
    }
    for (int p = 0; p < 10; ++p) {
        std::vector<std::string> entries;
        for (int i = p; i < 58; i += 3)
            entries.push_back(std::to_string(i));
        db.Playlist(std::string("List ") + tags[p % 8], entries);
    }
    db.Write(t);
    t.M().ReadiTuneDB1Click();
    t.Pump();
    ASSERT_EQ(58, t.M().Model.TrackCount());
    EXPECT_EQ(10, t.M().ListBoxPlayLists.Items.Count());
    for (int i = 0; i < 58; ++i) {
        EXPECT_EQ(db.Snapshot.Tracks[i].Title, t.Field(i, "Title"));
        EXPECT_EQ(db.Snapshot.Tracks[i].Album, t.Field(i, "Album"));
        EXPECT_EQ(db.Snapshot.Tracks[i].FileName, t.Field(i, "FileName"));
    }
    for (int p = 0; p < 10; ++p)
        EXPECT_EQ(db.Snapshot.PlaylistEntries[p], Entries(t.M(), p)) << p;
}

// A damaged length loses one text, not the card: every track and playlist is
// read and the log says how many records were skipped.
TEST(CardRead, DamagedLengthCostsOnlyItsRecord) {
    TCardRun t;
    TCardDb db;
    db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
    db.Track(t, "v11_only.mp3", "b.mp3", "B");
    db.Playlist("Master", {"0", "1"});
    db.Playlist("Second", {"1"});
    std::string bytes = BuildDatabase(db.Snapshot);
    const size_t title = bytes.find("Title A") - 40;
    ASSERT_EQ("dohm", bytes.substr(title, 4));
    for (int k = 0; k < 4; ++k) // the text length, 0x7FFFFFFF
        bytes[title + 28 + k] = static_cast<char>(k == 0 ? 0x7F : 0xFF);
    t.WriteOldDb(bytes);
    t.M().ReadiTuneDB1Click();
    t.Pump();
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), Column(t.M(), "Artist"));
    EXPECT_EQ((std::vector<std::string>{"", "Title B"}), Column(t.M(), "Title"));
    EXPECT_EQ((std::vector<std::string>{"Master", "Second"}), t.M().ListBoxPlayLists.Items.Items());
    EXPECT_EQ((std::vector<std::string>{"1"}), Entries(t.M(), 1));
    EXPECT_TRUE(t.Logged("1 damaged records of the database were skipped")) << t.AllLog();
    EXPECT_FALSE(t.Logged("The database ends early")) << t.AllLog();
    EXPECT_TRUE(t.Ui.Warnings.empty());
}

// Tracks whose location climbs out with ".." and items outside any playlist
// are left out with one log line that counts them and names the first location.
TEST(CardRead, LeftOutTracksAndItemsAreSaidOnce) {
    TCardRun t;
    TCardDb db;
    db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
    db.Snapshot.Tracks.push_back(db.Snapshot.Tracks[0]);
    db.Snapshot.Tracks.back().FileName = "E:\\mobile\\..\\..\\etc\\x.mp3";
    db.Snapshot.Tracks.push_back(db.Snapshot.Tracks[0]);
    db.Snapshot.Tracks.back().FileName = "E:\\mobile\\..\\..\\y.mp3";
    db.Playlist("Master", {"0", "1", "2"});
    std::string bytes = BuildDatabase(db.Snapshot);
    // Two items before the first playlist of the playlists' data set.
    const size_t list = bytes.find("plhm");
    bytes.insert(list + 92, BuildPlaylistItemRecord(92) + BuildPositionRecord(1) +
                                BuildPlaylistItemRecord(93) + BuildPositionRecord(2));
    t.WriteOldDb(bytes);
    t.M().ReadiTuneDB1Click();
    t.Pump();
    EXPECT_EQ((std::vector<std::string>{"E:\\mobile\\audio\\a.mp3"}), Column(t.M(), "FileName"));
    int lines = 0;
    for (const auto& l : t.LogLines)
        if (l.find("left out") != std::string::npos || l.find("dropped") != std::string::npos)
            ++lines;
    EXPECT_EQ(1, lines) << t.AllLog();
    EXPECT_TRUE(t.Logged("2 tracks were left out: their location climbs out of its folder with "
                         "\"..\" (the first: E:\\mobile\\..\\..\\etc\\x.mp3). 2 playlist "
                         "items that belong to no playlist were dropped."))
        << t.AllLog();
}

// A database cut inside its master playlist: the tracks read are shown, the master list
// is "All music" with every track again, and the next update writes it so.
TEST(CardRead, DatabaseCutInsideItsMasterPlaylistGetsAllMusicBack) {
    TCardRun t;
    t.Add(t.PcFile("v23_latin1_cbr.mp3", "a.mp3"));
    t.Add(t.PcFile("v11_only.mp3", "b.mp3"));
    t.Add(t.PcFile("v24_utf8_vbr.mp3", "c.mp3"));
    t.M().Model.UpdateAllMusic();
    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    std::string bytes = t.Db();
    const size_t master = bytes.find("pyhm");
    ASSERT_NE(std::string::npos, master);
    t.WriteOldDb(bytes.substr(0, master + 60));

    t.M().ReadiTuneDB1Click();
    t.Pump();
    EXPECT_TRUE(t.Logged("The database ends inside its master playlist; it is \"All music\" "
                         "again, with every track."))
        << t.AllLog();
    EXPECT_EQ(3, t.M().Model.TrackCount());
    EXPECT_EQ((std::vector<std::string>{"All music"}), t.M().ListBoxPlayLists.Items.Items());
    EXPECT_EQ(0, t.M().ListBoxPlayLists.ItemIndex);
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), Entries(t.M(), 0));

    t.Update();
    ASSERT_TRUE(t.Logged("Mobile updated!")) << t.AllLog();
    const DatabaseChecker::TResult written = DatabaseChecker::Check(t.Db());
    ASSERT_TRUE(written.Ok()) << written.Error;
    // The same database as the first update wrote: its master list in both playlist sets.
    const DatabaseChecker::TResult first = DatabaseChecker::Check(bytes);
    EXPECT_EQ(3, written.Tracks);
    EXPECT_EQ(first.Playlists, written.Playlists);
    EXPECT_EQ(first.Items, written.Items);
    EXPECT_EQ(bytes.size(), t.Db().size());
    t.M().ReadiTuneDB1Click();
    t.Pump();
    EXPECT_EQ((std::vector<std::string>{"All music"}), t.M().ListBoxPlayLists.Items.Items());
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), Entries(t.M(), 0));
}

// A user playlist that was cut keeps what was read of it under its name; one whose name
// was not read is left out, and the log says so.
TEST(CardRead, CutUserPlaylistKeepsWhatWasReadOrIsLeftOut) {
    struct TCase {
        const char* Name;
        // Where the file ends, from the second playlist record.
        std::function<size_t(const std::string& bytes, size_t playlist)> Cut;
        std::vector<std::string> Names;
        std::vector<std::string> MixEntries;
        bool LeftOutLogged;
    };
    const TCase cases[] = {
        {"inside its second item",
         [](const std::string& b, size_t p) { return b.find("pihm", b.find("pihm", p) + 4) + 10; },
         {"Master", "Mix"},
         {"2"},
         false},
        {"inside its record",
         [](const std::string&, size_t p) { return p + 60; },
         {"Master"},
         {},
         true},
        {"inside its name",
         [](const std::string& b, size_t p) { return b.find("Mix", p) + 1; },
         {"Master"},
         {},
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TCardRun t;
        TCardDb db;
        db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
        db.Track(t, "v11_only.mp3", "b.mp3", "B");
        db.Track(t, "v24_utf8_vbr.mp3", "c.mp3", "C");
        db.Playlist("Master", {"0", "1", "2"});
        db.Playlist("Mix", {"2", "0"});
        const std::string bytes = BuildDatabase(db.Snapshot);
        const size_t mix = bytes.find("pyhm", bytes.find("pyhm") + 4);
        ASSERT_NE(std::string::npos, mix);
        t.WriteOldDb(bytes.substr(0, c.Cut(bytes, mix)));
        t.M().ReadiTuneDB1Click();
        t.Pump();
        EXPECT_EQ(3, t.M().Model.TrackCount());
        EXPECT_EQ(c.Names, t.M().ListBoxPlayLists.Items.Items());
        EXPECT_EQ((std::vector<std::string>{"0", "1", "2"}), Entries(t.M(), 0));
        EXPECT_EQ(c.MixEntries, Entries(t.M(), 1));
        EXPECT_EQ(c.LeftOutLogged, t.Logged("A playlist cut short before its name was left out"))
            << t.AllLog();
    }
}

TEST(CardRead, DatabaseWithoutPlaylistsGetsAllMusicComplete) {
    TCardRun t;
    TCardDb db;
    db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
    db.Track(t, "v11_only.mp3", "b.mp3", "B");
    db.Write(t);
    t.M().ReadiTuneDB1Click();
    t.Pump();
    EXPECT_EQ(2, t.M().Model.TrackCount());
    EXPECT_EQ((std::vector<std::string>{"All music"}), t.M().ListBoxPlayLists.Items.Items());
    EXPECT_EQ((std::vector<std::string>{"0", "1"}), Entries(t.M(), 0));
}

TEST(CardRead, DeadFileCheckWithTheCardAbsentKeepsTheCardRows) {
    TCardRun t;
    TCardDb db;
    db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
    db.Playlist("Master", {"0"});
    db.Write(t);
    t.M().ReadiTuneDB1Click();
    t.Pump();
    const std::string pcGone = t.PcFile("v11_only.mp3", "gone.mp3");
    t.Add(pcGone);
    fs::remove(ToLinuxPath(pcGone));
    fs::remove_all(t.Card);
    t.LogLines.clear();
    t.M().Checkforbadfiles1Click();
    t.Pump();
    EXPECT_EQ((std::vector<std::string>{"E:\\mobile\\audio\\a.mp3"}), Column(t.M(), "FileName"));
    EXPECT_TRUE(t.Logged("The memory card E: is not there.")) << t.AllLog();
}

TEST(CardRead, FloppyDriveIsRefusedAndDeleteRemovesTheDatabaseFolder) {
    TCardRun t;
    t.WriteOldDb("x");
    t.M().Model.PhoneDrive = 'A';
    t.M().ReadiTuneDB1Click();
    t.Pump();
    t.M().btnScanClick();
    t.Pump();
    ASSERT_EQ(2u, t.Ui.Warnings.size());
    EXPECT_EQ("You can't choose floppy drive!", t.Ui.Warnings[0]);
    t.M().Model.PhoneDrive = 'E';
    // Asked first: No keeps the folder, Yes deletes it for good.
    t.Ui.Answers = {TQuestionResult::No, TQuestionResult::Yes};
    t.M().DeletephoneDB1Click();
    EXPECT_TRUE(fs::exists(t.Card + "/iTunes/iTunes_Control/iTunes/iTunesDB"));
    t.M().DeletephoneDB1Click();
    EXPECT_EQ(2u, t.Ui.Questions.size());
    EXPECT_FALSE(fs::exists(t.Card + "/iTunes/iTunes_Control/iTunes"));
    EXPECT_TRUE(fs::exists(t.Card + "/iTunes/iTunes_Control"));
    t.M().DeletephoneDB1Click(); // nothing left to delete: nothing happens, nothing asked
    EXPECT_EQ(2u, t.Ui.Questions.size());
}

// ---- The card file scan ----------------------------------------------------------

TEST(CardScan, FindsMusicInItsFoldersAndTheRootOnly) {
    TCardRun t;
    auto put = [&](const std::string& as) {
        fs::create_directories(fs::path(t.Card + "/" + as).parent_path());
        fs::copy_file(TagFixture("v23_latin1_cbr.mp3"), t.Card + "/" + as);
    };
    put("iTunes/Music/F00/x.mp3");
    put("mobile/sub/LOUD.MP3");
    put("mobile/sub/song.wav");
    put("root.mp3");
    put("other/hidden.mp3");
    fs::create_directories(t.Card + "/folder.mp3");
    fs::create_directories(t.Card + "/mobile/loop");
    fs::create_symlink(t.Card + "/mobile", t.Card + "/mobile/loop/back");
    // Not music at all: the adder takes it by its file name and the scan goes on.
    WriteWholeFile(t.Card + "/mobile/sub/broken.m4a", std::string(100, 'x'));
    t.Add("E:\\ROOT.mp3"); // already listed in another letter case
    ASSERT_EQ(1, t.M().Model.TrackCount());
    t.M().btnScanMobileClick();
    t.Pump();
    auto files = Column(t.M(), "FileName");
    ASSERT_EQ(4u, files.size());
    EXPECT_EQ("E:\\iTunes\\Music\\F00\\x.mp3", files[1]);
    std::sort(files.begin() + 2, files.end());
    EXPECT_EQ(
        (std::vector<std::string>{"E:\\ROOT.mp3", "E:\\iTunes\\Music\\F00\\x.mp3",
                                  "E:\\mobile\\sub\\LOUD.MP3", "E:\\mobile\\sub\\broken.m4a"}),
        files);
    EXPECT_EQ((std::vector<std::string>{"0", "1", "2", "3"}), Entries(t.M(), 0));
    // A second scan adds nothing.
    t.M().btnScanMobileClick();
    t.Pump();
    EXPECT_EQ(4, t.M().Model.TrackCount());
}

// ---- Card detection ----------------------------------------------------------------

TEST(CardDetection, OneReadPerInsertionAndTheSlowerPoll) {
    TCardRun t;
    TCardDb db;
    db.Track(t, "v23_latin1_cbr.mp3", "a.mp3", "A");
    db.Playlist("Master", {"0"});
    db.Write(t);
    TTrackManager& m = t.M();
    m.Options.cbAutoDetect = true;
    m.Options.cbAutoReadDB = true;
    m.Applied.TransFlashDetectInterval = 2000;
    m.Model.PhoneDrive = 'C';
    std::vector<uint8_t> answers;
    int reads = 0;
    m.Log.SetSink([&](const std::string& line) {
        if (line.find("Reading iTunes database...") != std::string::npos)
            ++reads;
    });
    auto& st = t.State();
    st.DetectConnect = [&](uint8_t) {
        const uint8_t a = answers.front();
        answers.erase(answers.begin());
        return a;
    };
    st.DetectDisk = [](char) { return 'e'; };

    answers = {1, 1};
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ('E', m.Model.PhoneDrive);
    EXPECT_EQ(1, reads);
    EXPECT_EQ(6000, m.TransFlashTimer.Interval);
    EXPECT_EQ(1, m.Model.TrackCount());
    answers = {1, 1};
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ(1, reads);
    // Pulled out during the read: the flag clears in the same tick.
    answers = {0, 0};
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ(2000, m.TransFlashTimer.Interval);
    EXPECT_EQ(0, m.Model.TransFlashHandled.load());
    answers = {1, 0};
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ(2, reads);
    EXPECT_EQ(0, m.Model.TransFlashHandled.load());
    EXPECT_EQ(2000, m.TransFlashTimer.Interval);

    // Reading off: the drive and the interval only.
    m.Options.cbAutoReadDB = false;
    answers = {1, 1};
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ(2, reads);
    EXPECT_EQ(6000, m.TransFlashTimer.Interval);

    // A reported letter that is no drive of the table changes nothing and reads nothing.
    m.Options.cbAutoReadDB = true;
    m.Model.TransFlashHandled = 0;
    m.Model.PhoneDrive = 'C';
    st.DetectDisk = [](char) { return 'Q'; };
    answers = {1, 1};
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ('C', m.Model.PhoneDrive);
    EXPECT_EQ(2, reads);

    // A tick inside another does nothing; detection off does nothing.
    int nested = 0;
    st.DetectConnect = [&](uint8_t) {
        ++nested;
        m.TransFlashTimerTimer();
        return uint8_t(2);
    };
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ(2, nested);
    m.Options.cbAutoDetect = false;
    m.TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ(2, nested);
}

TEST(CardDetection, TheLibraryCallsLookAtTheDriveTable) {
    TCardRun t;
    // The only removable drive is taken; one with the phone's folders wins over others.
    t.M().Options.cbAutoDetect = true;
    EXPECT_FALSE(t.State().DetectConnect); // the real calls are in use
    const std::string other = t.Folder.Path("other");
    fs::create_directories(other);
    setenv("BRISVANE_DRIVES", ("E=" + t.Card + ":removable;F=" + other + ":removable").c_str(), 1);
    RefreshDriveTable();
    t.M().Options.cbAutoReadDB = false;
    t.M().Model.PhoneDrive = 'C';
    t.M().TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ('C', t.M().Model.PhoneDrive); // two removable drives, no phone folders
    fs::create_directories(other + "/mobile");
    t.M().TransFlashTimerTimer();
    t.Pump();
    EXPECT_EQ('F', t.M().Model.PhoneDrive);
    EXPECT_EQ(6000, t.M().TransFlashTimer.Interval);
}
