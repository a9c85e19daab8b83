#include "DatabaseInspector.h"
#include "Drives.h"
#include "Files.h"
#include "ReaderTestSupport.h"
#include "RtFileUtils.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace ReaderTest;

namespace {

std::string Track(uint32_t id, std::initializer_list<std::string> strings, uint32_t count = 99,
                  uint32_t ms = 185000) {
    std::string body;
    for (const auto& s : strings)
        body += s;
    std::string r = BuildTrackRecord(244 + body.size(), count == 99 ? strings.size() : count, id,
                                     4321, ms, 2005, 192, 44100, 1, 0x000C0000);
    return r + body;
}

std::string Header() {
    return BuildDbHeaderRecord(0);
}
std::string TrackSet(const std::string& tracks, int count) {
    return BuildDataSetRecord(0, 1) + BuildTrackListRecord(count) + tracks;
}
std::string Playlist(const std::string& name, std::initializer_list<uint32_t> ids) {
    std::string r = BuildPlaylistRecord(0, ids.size(), 0) + name + BuildPlaylistFixedRecords();
    int pos = 1;
    for (uint32_t id : ids)
        r += BuildPlaylistItemRecord(id) + BuildPositionRecord(pos++);
    return r;
}
std::string PlaylistSet(int type, const std::string& playlists, int count) {
    return BuildDataSetRecord(0, type) + BuildPlaylistListRecord(count) + playlists;
}

} // namespace

TEST(Extraction, TrackFieldsInAnyOrder) {
    TScan scan;
    scan.Context.PhoneDrive = 'F';
    const std::string db =
        Header() +
        TrackSet(Track(266, {BuildStringRecord(2, "E:\\mobile\\audio\\a.mp3"),
                             BuildStringRecord(5, "Other"), BuildStringRecord(4, "Кино"),
                             BuildStringRecord(3, "Звезда"), BuildStringRecord(1, "Группа крови")}),
                 1) +
        PlaylistSet(3, Playlist(BuildStringRecord(1, "Mine"), {266, 266}), 1);
    scan.Run(db);
    ASSERT_TRUE(scan.Result.Completed);
    ASSERT_EQ(1, scan.Col("UID").Count());
    EXPECT_EQ("266", scan.Col("UID")[0]);
    EXPECT_EQ("Кино", scan.Col("Artist")[0]);
    EXPECT_EQ("Группа крови", scan.Col("Title")[0]);
    EXPECT_EQ("Звезда", scan.Col("Album")[0]);
    EXPECT_EQ("F:\\mobile\\audio\\a.mp3", scan.Col("FileName")[0]);
    EXPECT_EQ("4321", scan.Col("Size")[0]);
    EXPECT_EQ("3:5", scan.Col("Time")[0]);
    EXPECT_EQ("192", scan.Col("BitRate")[0]);
    EXPECT_EQ((std::vector<std::string>{"Mine"}), scan.Col("Playlists").Items());
    EXPECT_EQ((std::vector<std::string>{"266", "266"}), scan.Uids[0].Items());
}

TEST(Extraction, TrackRules) {
    TScan scan;
    // The count says 2: the third string is not taken.
    scan.Run(Header() + TrackSet(Track(1,
                                       {BuildStringRecord(1, "T"), BuildStringRecord(3, "Al"),
                                        BuildStringRecord(4, "Ar")},
                                       2),
                                 1));
    EXPECT_EQ("Al", scan.Col("Album")[0]);
    EXPECT_EQ("", scan.Col("Artist")[0]);
    // No location: the drive alone; the last track of a file is handed over too.
    EXPECT_EQ("E:", scan.Col("FileName")[0]);
    // No 256-minute wrap.
    scan.Run(Header() + TrackSet(Track(1, {}, 0, 300 * 60000 + 7000), 1));
    EXPECT_EQ("300:7", scan.Col("Time")[0]);
    // A UTF-16 title is taken, converted to UTF-8.
    scan.Run(Header() + TrackSet(Track(1, {Utf16StringRecord(1, u"Привет")}), 1));
    EXPECT_EQ("Привет", scan.Col("Title")[0]);
}

// A location record holds the stored location in UTF-8 or UTF-16, ASCII or not, or bytes
// that are no UTF-8: each becomes the path on the phone's drive, its colons backslashes,
// alike with and without the report.
TEST(Extraction, LocationsInEveryEncodingBecomePaths) {
    const auto utf8 = [](std::string_view text) {
        std::string r = Utf16StringRecord(2, u"");
        Put32(r, 8, static_cast<uint32_t>(40 + text.size()));
        Put32(r, 28, static_cast<uint32_t>(text.size()));
        r[32] = 1;
        return r + std::string(text);
    };
    struct TCase {
        std::string Record;
        std::string Path;
    } cases[] = {
        {utf8(":mobile:audio:a.mp3"), "E:\\mobile\\audio\\a.mp3"},
        {utf8(":mobile:Кино:Звезда.mp3"), "E:\\mobile\\Кино\\Звезда.mp3"},
        {utf8(":mobile:\xFF\xFE.mp3"), "E:\\mobile\\\uFFFD\uFFFD.mp3"},
        {utf8(""), "E:"},
        {Utf16StringRecord(2, u":mobile:audio:b.mp3"), "E:\\mobile\\audio\\b.mp3"},
        {Utf16StringRecord(2, u":mobile:Группа:крови.mp3"), "E:\\mobile\\Группа\\крови.mp3"},
        {Utf16StringRecord(2, u":mobile:𝄞.mp3"), "E:\\mobile\\𝄞.mp3"},
        {Utf16StringRecord(2, u""), "E:"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Path);
        const std::string db = Header() + TrackSet(Track(7, {c.Record}), 1);
        for (bool withReport : {true, false}) {
            TScan scan;
            scan.Run(db, withReport);
            EXPECT_EQ((std::vector<std::string>{c.Path}), scan.Col("FileName").Items());
        }
    }
}

TEST(Extraction, KnownPathsAndClimbingLocationsAreNotTaken) {
    TScan scan;
    scan.Context.IsInTrackList = [](const std::string& p) {
        return SameText(p, "E:\\MOBILE\\A.MP3");
    };
    scan.Run(Header() + TrackSet(Track(1, {BuildStringRecord(2, "E:\\mobile\\a.mp3")}) +
                                     Track(2, {BuildStringRecord(2, "E:\\mobile\\..\\..\\x.mp3")}) +
                                     Track(3, {BuildStringRecord(2, "E:\\mobile\\b..mp3")}),
                                 3));
    EXPECT_EQ((std::vector<std::string>{"3"}), scan.Col("UID").Items());
    EXPECT_EQ(1, scan.Result.RefusedLocations);
}

TEST(Extraction, PlaylistsKeepTheirOwnItems) {
    TScan scan;
    const std::string lists = Playlist(BuildStringRecord(1, "First"), {92}) +
                              Playlist(Utf16StringRecord(1, u"Вторая"), {93, 94}) +
                              Playlist("", {95}) + // no name record at all
                              Playlist(BuildStringRecord(1, "Last"), {});
    // Items before any playlist are dropped and counted.
    const std::string stray = BuildPlaylistItemRecord(1) + BuildPositionRecord(1);
    scan.Run(Header() + TrackSet("", 0) + PlaylistSet(3, stray + lists, 4) +
             PlaylistSet(2, lists, 4));
    EXPECT_EQ((std::vector<std::string>{"First", "Вторая", "", "Last"}),
              scan.Col("Playlists").Items());
    EXPECT_EQ((std::vector<std::string>{"92"}), scan.Uids[0].Items());
    EXPECT_EQ((std::vector<std::string>{"93", "94"}), scan.Uids[1].Items());
    EXPECT_EQ((std::vector<std::string>{"95"}), scan.Uids[2].Items());
    EXPECT_TRUE(scan.Uids[3].Empty());
    EXPECT_EQ(1, scan.Result.DroppedItems);
}

TEST(Extraction, PlaylistsBeyondTheLastListAreDropped) {
    TScan scan;
    std::string lists;
    for (int i = 0; i < 103; ++i)
        lists += Playlist(BuildStringRecord(1, std::string("p").append(std::to_string(i))),
                          {uint32_t(i)});
    scan.Run(Header() + TrackSet("", 0) + PlaylistSet(3, lists, 103));
    EXPECT_EQ(101, scan.Col("Playlists").Count());
    EXPECT_EQ("p100", scan.Col("Playlists")[100]);
    EXPECT_EQ((std::vector<std::string>{"100"}), scan.Uids[100].Items());
    EXPECT_EQ(2, scan.Result.DroppedPlaylists);
    EXPECT_EQ(2, scan.Result.DroppedItems);
}

TEST(Extraction, CutFileKeepsTheCompleteTracks) {
    const std::string first =
        Track(1, {BuildStringRecord(1, "One"), BuildStringRecord(2, "E:\\1.mp3")});
    const std::string second = Track(2, {BuildStringRecord(1, "Two")});
    const std::string db = Header() + TrackSet(first + second, 2);
    const size_t cut = db.size() - second.size() + 100; // inside the second track record
    TScan scan;
    scan.Run(db.substr(0, cut));
    EXPECT_FALSE(scan.Result.Completed);
    EXPECT_EQ(cut - 100, scan.Result.StopOffset);
    EXPECT_EQ((std::vector<std::string>{"One"}), scan.Col("Title").Items());
    // Cut inside the second track's title: the title's length now runs past the
    // end, so that record is damaged and skipped; the track record itself is
    // whole and is kept without its title.
    scan.Run(db.substr(0, db.size() - 2));
    EXPECT_TRUE(scan.Result.Completed);
    EXPECT_EQ(1, scan.Result.DamagedRecords);
    EXPECT_EQ((std::vector<std::string>{"One", ""}), scan.Col("Title").Items());
    EXPECT_EQ((std::vector<std::string>{"1", "2"}), scan.Col("UID").Items());
    EXPECT_TRUE(scan.Result.Report.find(std::to_string(db.size() - 43) + "\tdohm1\t") !=
                std::string::npos);
    EXPECT_TRUE(scan.Result.Report.find(
                    "длинстроки: 3 UTF-8 damaged: its length runs past the end of the file") !=
                std::string::npos);
}

TEST(Extraction, EveryScanStartsAfresh) {
    TDatabaseSnapshot s;
    s.Tracks.push_back({"A", "T", "L", "1:2", "10", "E:\\x.mp3", "64", "0"});
    s.PlaylistNames = {"All music"};
    s.PlaylistEntries = {{"0"}};
    const std::string db = BuildDatabase(s);
    TScan scan;
    scan.Run(db);
    const auto first = scan.Result.Report;
    const auto uids = scan.Col("UID").Items();
    // A damaged file in between leaves nothing behind for the next scan.
    scan.Run(db.substr(0, 300));
    scan.Run(db);
    EXPECT_EQ(first, scan.Result.Report);
    EXPECT_EQ(uids, scan.Col("UID").Items());
    EXPECT_EQ((std::vector<std::string>{"92"}), scan.Uids[0].Items());
    EXPECT_EQ(1, scan.Col("Playlists").Count());
}

TEST(DatabaseInspector, OpensReadOnlyAndKeepsItsCaption) {
    const std::string path = std::string(BV_BINARY_DIR) + "/inspector_open_test.db";
    const std::string db = BuildDatabase({});
    {
        std::ofstream out(path, std::ios::binary);
        out << db;
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    TDatabaseInspector inspector;
    auto temp = MakeTempStringHolder();
    TPlaylistLists uids;
    const auto first = inspector.OpenPhoneDB(path, temp, uids, {});
    EXPECT_TRUE(first.Completed);
    inspector.Open(path, temp, uids, {});
    EXPECT_EQ("BD decoder " + path + " " + path, inspector.Caption);
    EXPECT_EQ(path, inspector.OpenDialogFileName);
    EXPECT_EQ(std::to_string(db.size()), inspector.SizeLabel);
    EXPECT_EQ(first.Report, inspector.Report);

    temp.StringsByName("UID").Add("stale");
    EXPECT_THROW(inspector.Open(path + ".missing", temp, uids, {}), EInOutError);
    EXPECT_THROW(inspector.Open("Q:\\iTunes\\iTunesDB", temp, uids, {}), EInOutError);
    EXPECT_TRUE(temp.StringsByName("UID").Empty());
    EXPECT_EQ(first.Report, inspector.Report);
    std::filesystem::remove(path);
}

// The card read: the writer's bytes land on the card by the drive table and
// the reader finds them under the card path in any letter case.
TEST(DatabaseInspector, ReadsTheCardDatabaseByItsWindowsPath) {
    const std::filesystem::path card = std::filesystem::path(BV_BINARY_DIR) / "inspector_card";
    std::filesystem::remove_all(card);
    setenv("BRISVANE_DRIVES", ("L=" + card.string() + ":removable").c_str(), 1);
    RefreshDriveTable();
    TDatabaseSnapshot s;
    s.PhoneDrive = 'L';
    s.Tracks.push_back({"Ария", "Штиль", "", "5:30", "123", "C:\\x\\Штиль.mp3", "256", "0"});
    s.PlaylistNames = {"All music"};
    s.PlaylistEntries = {{"0"}};
    ASSERT_TRUE(ForceDirectories("L:\\iTunes\\iTunes_Control\\iTunes"));
    AtomicReplaceFile("L:" + std::string(iTunesDBFile), BuildDatabase(s));

    TDatabaseInspector inspector;
    auto temp = MakeTempStringHolder();
    TPlaylistLists uids;
    TReaderContext context;
    context.PhoneDrive = 'L';
    const auto result =
        inspector.OpenPhoneDB("l:\\ITUNES\\itunes_control\\iTunes\\itunesdb", temp, uids, context);
    EXPECT_TRUE(result.Completed);
    EXPECT_EQ((std::vector<std::string>{"L:\\mobile\\audio\\Штиль.mp3"}),
              temp.StringsByName("FileName").Items());
    EXPECT_EQ((std::vector<std::string>{"92"}), uids[0].Items());
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
    std::filesystem::remove_all(card);
}

namespace {

// A URL record (types 15 and 16) as other software writes them: a 24-byte
// header, the text after it.
std::string UrlRecord(uint32_t type, const std::string& text) {
    std::string r(24, '\0');
    r.replace(0, 4, "dohm");
    Put32(r, 4, 24);
    Put32(r, 8, static_cast<uint32_t>(24 + text.size()));
    Put32(r, 12, type);
    return r + text;
}

// Two tracks in one playlist; `text` stands in the field the case names, `plain`
// (the same length, no tag) everywhere else.
std::string TwoTracks(const std::string& field, const std::string& text) {
    auto in = [&](const char* name, const std::string& plain) {
        return field == name ? text : plain;
    };
    const std::string one = Track(
        1, {BuildStringRecord(1, in("title", "Song")),
            BuildStringRecord(2, "E:\\mobile\\" + in("location", "file") + ".mp3"),
            BuildStringRecord(3, in("album", "Disc")), BuildStringRecord(4, "Band"),
            // In UTF-16 the two characters U+6974 U+6D68 are the bytes "tihm".
            field == "utf16" ? Utf16StringRecord(5, u"\u6974\u6D68") : BuildStringRecord(5, "G"),
            UrlRecord(16, "http://x/" + in("url", "page"))});
    const std::string two =
        Track(2, {BuildStringRecord(1, "Other"), BuildStringRecord(2, "E:\\mobile\\two.mp3")});
    return Header() + TrackSet(one + two, 2) +
           PlaylistSet(3, Playlist(BuildStringRecord(1, in("playlist", "List")), {1, 2}), 1);
}

} // namespace

// Text that holds a record tag is text: the scan neither reports nor collects
// the tag, in any string or URL, so no track loses its fields to a phantom.
TEST(Extraction, RecordTagsInsideTextAreText) {
    const std::pair<const char*, const char*> cases[] = {
        {"title", "tihm"},    {"title", "a dohm b"}, {"album", "pyhmpihm"},
        {"location", "dshm"}, {"playlist", "tlhm"},  {"playlist", "dbhm plhm"},
        {"url", "tihm"},      {"utf16", ""},         {"title", "so tihmdohm"},
    };
    for (const auto& [field, text] : cases) {
        SCOPED_TRACE(std::string(field) + ": " + text);
        TScan scan;
        scan.Run(TwoTracks(field, text));
        TScan fast;
        fast.Run(TwoTracks(field, text), false);
        ExpectSameCollecting(scan, fast);
        ASSERT_TRUE(scan.Result.Completed);
        auto in = [&](const char* name, const std::string& plain) {
            return std::string(field) == name ? std::string(text) : plain;
        };
        EXPECT_EQ((std::vector<std::string>{"1", "2"}), scan.Col("UID").Items());
        EXPECT_EQ((std::vector<std::string>{in("title", "Song"), "Other"}),
                  scan.Col("Title").Items());
        EXPECT_EQ((std::vector<std::string>{"E:\\mobile\\" + in("location", "file") + ".mp3",
                                            "E:\\mobile\\two.mp3"}),
                  scan.Col("FileName").Items());
        EXPECT_EQ((std::vector<std::string>{in("album", "Disc"), ""}), scan.Col("Album").Items());
        EXPECT_EQ((std::vector<std::string>{"Band", ""}), scan.Col("Artist").Items());
        EXPECT_EQ((std::vector<std::string>{in("playlist", "List")}),
                  scan.Col("Playlists").Items());
        EXPECT_EQ((std::vector<std::string>{"1", "2"}), scan.Uids[0].Items());
        // As many lines as the same file without the tags: the tags got none.
        TScan plain;
        plain.Run(TwoTracks("", ""));
        EXPECT_EQ(plain.Lines().size(), scan.Lines().size());
    }
}

// Only a regular file of a size a phone's database can have is read; anything
// else is refused with a message, and the outputs stay cleared.
TEST(DatabaseInspector, RefusesWhatIsNoDatabaseFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(BV_BINARY_DIR) / "inspector_refusals";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string db = BuildDatabase({});
    std::ofstream(dir / "real.db", std::ios::binary) << db;
    fs::create_directories(dir / "folder.db");
    ASSERT_EQ(0, mkfifo((dir / "pipe.db").c_str(), 0600));
    {
        // Sparse: the size is there without the bytes on the disk.
        std::ofstream(dir / "huge.db", std::ios::binary) << db;
        fs::resize_file(dir / "huge.db", MaxDatabaseFileSize + 1);
    }
    fs::create_symlink(dir / "real.db", dir / "link.db");
    struct TCase {
        const char* Name;
        const char* Message; // nullptr: read
    } cases[] = {
        {"real.db", nullptr},
        {"link.db", nullptr},
        {"folder.db", "is not a file"},
        {"pipe.db", "is not a file"},
        {"huge.db", "is 268435457 bytes long"},
        {"missing.db", "Cannot open file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TDatabaseInspector inspector;
        auto temp = MakeTempStringHolder();
        TPlaylistLists uids;
        temp.StringsByName("UID").Add("stale");
        const std::string path = (dir / c.Name).string();
        if (!c.Message) {
            EXPECT_EQ(db, ReadDatabaseFile(path));
            EXPECT_TRUE(inspector.Open(path, temp, uids, {}).Completed);
            continue;
        }
        try {
            inspector.Open(path, temp, uids, {});
            ADD_FAILURE() << "read";
        } catch (const EInOutError& e) {
            EXPECT_NE(std::string::npos, e.Message().find(c.Message)) << e.Message();
        }
        EXPECT_TRUE(temp.StringsByName("UID").Empty());
    }
    // A file that gives fewer bytes than its size says is not read: the kernel's
    // attribute files claim a page and hold a line.
    const std::string shortFile = "/sys/devices/system/cpu/online";
    if (fs::is_regular_file(shortFile) && fs::file_size(shortFile) > 64) {
        try {
            ReadDatabaseFile(ToWindowsPath(shortFile));
            ADD_FAILURE() << "read";
        } catch (const EInOutError& e) {
            EXPECT_NE(std::string::npos, e.Message().find("could be read")) << e.Message();
        }
    }
    fs::remove_all(dir);
}
