#include "DatabaseChecker.h"
#include "ReaderTestSupport.h"
#include "TextCodec.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace ReaderTest;

namespace {

std::string SmallDb() {
    TDatabaseSnapshot s;
    s.Tracks.push_back(
        {"Кино", "Звезда", "Album", "4:07", "3000", "E:\\mobile\\a.mp3", "192", "0"});
    s.Tracks.push_back({"B", "", "", "12:3", "1", "C:\\b.m4a", "64", "1"});
    s.PlaylistNames = {"All music", "Две"};
    s.PlaylistEntries = {{"0", "1"}, {"1"}};
    return BuildDatabase(s);
}

// Scans and checks the outputs stay consistent: equal column lengths, keys
// only in the lists the names allow, and the scan without a report collecting
// the same.
void ScanSafely(TScan& scan, std::string_view bytes) {
    TScan fast;
    fast.Context = scan.Context;
    fast.Run(bytes, false);
    scan.Run(bytes);
    ExpectSameCollecting(scan, fast);
    const int rows = scan.Col("UID").Count();
    for (const char* c : {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate"})
        ASSERT_EQ(rows, scan.Col(c).Count()) << c;
    const int names = scan.Col("Playlists").Count();
    for (int k = names; k < MaxPlaylists; ++k)
        ASSERT_TRUE(scan.Uids[k].Empty()) << k;
    ASSERT_TRUE(IsValidUtf8(scan.Result.Report));
}

} // namespace

TEST(DamagedFile, CutAtEveryRecordBoundary) {
    const std::string db = SmallDb();
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    TScan whole;
    whole.Run(db);
    ASSERT_EQ(2, whole.Col("UID").Count());
    size_t playlistSets = 0; // the offset of the first playlist data set
    for (const auto& rec : check.Records)
        if (rec.Tag == "dshm" && rec.Offset > 104 && playlistSets == 0)
            playlistSets = rec.Offset;
    TScan scan;
    for (const auto& rec : check.Records) {
        for (size_t cut : {rec.Offset, rec.Offset + 2, rec.Offset + 4, rec.Offset + 17}) {
            if (cut > db.size())
                continue;
            SCOPED_TRACE(cut);
            const std::string part = db.substr(0, cut);
            ScanSafely(scan, part);
            EXPECT_FALSE(DatabaseChecker::Check(part).Ok());
            // What lay wholly before the cut is kept: both tracks, field for
            // field, once the cut is past the track data set.
            if (cut >= playlistSets) {
                for (const char* c :
                     {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"})
                    EXPECT_EQ(whole.Col(c).Items(), scan.Col(c).Items()) << c;
            }
        }
    }
}

TEST(DamagedFile, WrongLengthsAndCounts) {
    const std::string db = SmallDb();
    const auto check = DatabaseChecker::Check(db);
    TScan scan;
    for (const auto& rec : check.Records) {
        for (size_t field : {4, 8, 12, 16, 28, 30}) {
            for (uint32_t value : {0u, 1u, 0xFFFFu, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
                std::string bad = db;
                if (rec.Offset + field + 4 > bad.size())
                    continue;
                Put32(bad, rec.Offset + field, value);
                ScanSafely(scan, bad);
            }
        }
    }
    // A string record whose length runs past the end of the file.
    std::string bad = db;
    const size_t lastString = db.rfind("dohm");
    Put32(bad, lastString + 28, 0xFFFF);
    ScanSafely(scan, bad);
}

TEST(DamagedFile, GarbageAndTagSoup) {
    std::mt19937 rng(7);
    TScan scan;
    const std::string tags[] = {"dbhm", "dshm", "tlhm", "tihm", "dohm", "plhm", "pyhm", "pihm"};
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        const size_t n = rng() % 600;
        while (bytes.size() < n) {
            if (rng() % 4 == 0)
                bytes += tags[rng() % 8];
            else
                bytes += static_cast<char>(rng() % 4 == 0 ? rng() % 256 : rng() % 4);
        }
        ScanSafely(scan, bytes);
    }
    // Flipped bytes all over a real database.
    const std::string db = SmallDb();
    for (int round = 0; round < 200; ++round) {
        std::string bad = db;
        for (int k = 0; k < 8; ++k)
            bad[rng() % bad.size()] = static_cast<char>(rng());
        ScanSafely(scan, bad);
    }
}

// The fuzz target starts from these: a few small databases as the writer makes
// them, one with text in UTF-16 as other software writes it.
TEST(DamagedFile, WritesFuzzSeeds) {
    const std::string dir = std::string(BV_BINARY_DIR) + "/inspector_seeds";
    std::filesystem::create_directories(dir);
    TDatabaseSnapshot empty;
    empty.PlaylistNames = {"All music"};
    std::string utf16 =
        BuildDbHeaderRecord(0) + BuildDataSetRecord(0, 1) + BuildTrackListRecord(1) +
        BuildTrackRecord(0, 2, 300, 5, 61000, 0, 1, 0, 0, 0) + Utf16StringRecord(1, u"Ёж") +
        BuildStringRecord(2, "E:\\a.m4a") + BuildDataSetRecord(0, 3) + BuildPlaylistListRecord(1) +
        BuildPlaylistRecord(0, 1, 0) + Utf16StringRecord(1, u"Лист") +
        BuildPlaylistItemRecord(300) + BuildPositionRecord(1);
    const std::pair<const char*, std::string> seeds[] = {{"empty.itdb", BuildDatabase(empty)},
                                                         {"two_tracks.itdb", SmallDb()},
                                                         {"utf16.itdb", utf16}};
    for (const auto& [name, bytes] : seeds) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        TScan scan;
        ScanSafely(scan, bytes);
        EXPECT_TRUE(scan.Result.Completed) << name;
        EXPECT_EQ(name == std::string("empty.itdb")   ? 0
                  : name == std::string("utf16.itdb") ? 1
                                                      : 2,
                  scan.Col("UID").Count());
    }
}

// One length that runs past the end of the file costs its own record only:
// every other track and playlist is read, and the scan says what it skipped.
TEST(DamagedFile, ALengthPastTheEndSkipsOnlyItsRecord) {
    const std::string db = SmallDb();
    TScan clean;
    clean.Run(db);
    ASSERT_EQ(2, clean.Col("UID").Count());
    ASSERT_EQ(2, clean.Col("Playlists").Count());
    struct TCase {
        const char* Text;   // the string record damaged, by its text; empty: an index record
        const char* Column; // the collected value it costs, if any
        std::string Lost;   // what that value becomes
        int LostName;       // the playlist name it costs, -1 for none
    } cases[] = {
        {"Звезда", "Title", "", -1}, {":mobile:a.mp3", "FileName", "E:", -1},
        {"Кино", "Artist", "", -1},  {"Две", nullptr, "", 1},
        {"", nullptr, "", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        std::string bad = db;
        size_t at = 0;
        if (*c.Text) {
            at = db.find(c.Text) - 40;
            Put32(bad, at + 28, 0x7FFFFFFF); // the text length
        } else {
            // The file's last index record: 255 entries, and a length that agrees.
            for (const auto& rec : DatabaseChecker::Check(db).Records)
                if (rec.Tag == "dohm" && db[rec.Offset + 15] == 52)
                    at = rec.Offset;
            bad[at + 28] = static_cast<char>(255);
            Put32(bad, at + 8, 72 + 4 * 255);
        }
        ASSERT_EQ("dohm", bad.substr(at, 4));
        TScan scan;
        ScanSafely(scan, bad);
        EXPECT_TRUE(scan.Result.Completed);
        EXPECT_EQ(1, scan.Result.DamagedRecords);
        const std::string line = std::to_string(at) + "\tdohm";
        const size_t found = scan.Result.Report.find(line);
        ASSERT_NE(std::string::npos, found);
        EXPECT_EQ(scan.Result.Report.find("damaged: its length runs past the end of the file"),
                  scan.Result.Report.find("damaged", found));
        for (const char* col :
             {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID"}) {
            std::vector<std::string> expected = clean.Col(col).Items();
            if (c.Column && std::string(col) == c.Column)
                expected[0] = c.Lost;
            EXPECT_EQ(expected, scan.Col(col).Items()) << col;
        }
        std::vector<std::string> names = clean.Col("Playlists").Items();
        if (c.LostName >= 0)
            names[c.LostName] = "";
        EXPECT_EQ(names, scan.Col("Playlists").Items());
        for (int p = 0; p < 2; ++p)
            EXPECT_EQ(clean.Uids[p].Items(), scan.Uids[p].Items()) << p;
    }
}

// The reader makes room for the tracks and items the lists announce. Counts that
// claim billions are held to what the file could hold, so they cost no memory the
// file's size does not warrant, and change nothing that is read.
TEST(DamagedFile, CountsThatClaimBillionsReadTheSame) {
    TDatabaseSnapshot s;
    for (int i = 0; i < 40; ++i)
        s.Tracks.push_back({"A", "T", "", "1:0", "1", "E:\\t" + std::to_string(i) + ".mp3", "1",
                            std::to_string(i)});
    for (int p = 0; p < 101; ++p) {
        s.PlaylistNames.push_back("P" + std::to_string(p));
        s.PlaylistEntries.push_back({"0", "1"});
    }
    const std::string db = BuildDatabase(s);
    std::string damaged = db;
    for (const auto& rec : DatabaseChecker::Check(db).Records) {
        if (rec.Tag == "tlhm")
            Put32(damaged, rec.Offset + 8, 0x7FFFFFFF);
        if (rec.Tag == "pyhm")
            Put32(damaged, rec.Offset + 16, 0x7FFFFFFF);
    }
    for (bool withReport : {false, true}) {
        TScan whole, scan;
        whole.Run(db, withReport);
        scan.Run(damaged, withReport);
        EXPECT_EQ(40, scan.Col("UID").Count());
        for (const char* c : {"Artist", "Title", "FileName", "UID", "Playlists"})
            EXPECT_EQ(whole.Col(c).Items(), scan.Col(c).Items()) << c;
        for (int p = 0; p < MaxPlaylists; ++p)
            EXPECT_EQ(whole.Uids[p].Items(), scan.Uids[p].Items()) << p;
    }
}
