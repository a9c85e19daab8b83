#include "DatabaseChecker.h"
#include "ReaderTestSupport.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace ReaderTest;

namespace {

// A track list such as a user makes: Cyrillic, accented Latin and CJK texts,
// tracks on the card and on the PC, playlists with repeats.
TDatabaseSnapshot GeneratedLibrary(int trackCount, int playlistCount, unsigned seed) {
    // Record tags among the words: text that holds one is still text.
    const std::vector<std::string> words = {"Кино",  "Звезда", "Café", "Ångström", "Niño",
                                            "東京",  "音楽",   "Ёжик", "naïve",    "Rock",
                                            "𝄞clef", "Über",   "tihm", "xdohmx",   "pyhmpihm"};
    std::mt19937 rng(seed);
    auto word = [&] { return words[rng() % words.size()]; };
    TDatabaseSnapshot s;
    s.PhoneDrive = 'G';
    for (int i = 0; i < trackCount; ++i) {
        TTrackRowSnapshot r;
        r.Artist = word() + " " + word();
        r.Title = i % 17 == 0 ? "" : word() + " " + std::to_string(i);
        r.Album = i % 5 == 0 ? "" : word();
        r.Time = std::to_string(rng() % 20) + ":" + std::to_string(rng() % 60);
        r.Size = std::to_string(rng() % 20000000);
        r.BitRate = std::to_string(32 + rng() % 288);
        const std::string name = word() + std::to_string(i) + (i % 3 ? ".mp3" : ".m4a");
        r.FileName = i % 2 ? "C:\\Music\\" + word() + "\\" + name : "G:\\mobile\\audio\\" + name;
        r.UID = std::to_string(1000 + i);
        s.Tracks.push_back(r);
    }
    for (int p = 0; p < playlistCount; ++p) {
        s.PlaylistNames.push_back(p == 0 ? "All music" : word() + " " + std::to_string(p));
        std::vector<std::string> entries;
        const int n = p == 0 ? trackCount : int(rng() % 60);
        for (int j = 0; j < n; ++j)
            entries.push_back(std::to_string(p == 0 ? j : int(rng() % trackCount)));
        s.PlaylistEntries.push_back(entries);
    }
    return s;
}

} // namespace

TEST(RoundTrip, ThousandTracksAndTwentyPlaylists) {
    const TDatabaseSnapshot s = GeneratedLibrary(1000, 20, 4);
    const std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    EXPECT_EQ(1000, check.Tracks);

    TScan scan;
    scan.Context.PhoneDrive = 'G';
    scan.Run(db);
    ASSERT_TRUE(scan.Result.Completed);
    TScan fast;
    fast.Context.PhoneDrive = 'G';
    fast.Run(db, false);
    ExpectSameCollecting(scan, fast);
    ASSERT_EQ(1000, scan.Col("UID").Count());
    for (int i = 0; i < 1000; ++i) {
        const auto& row = s.Tracks[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(row.Artist, scan.Col("Artist")[i]);
        EXPECT_EQ(row.Title, scan.Col("Title")[i]);
        EXPECT_EQ(row.Album, scan.Col("Album")[i]);
        EXPECT_EQ(row.Time, scan.Col("Time")[i]);
        EXPECT_EQ(row.Size, scan.Col("Size")[i]);
        EXPECT_EQ(row.BitRate, scan.Col("BitRate")[i]);
        EXPECT_EQ(std::to_string(92 + i), scan.Col("UID")[i]);
        const std::string name = row.FileName.substr(row.FileName.rfind('\\') + 1);
        EXPECT_EQ("G:\\mobile\\audio\\" + name, scan.Col("FileName")[i]);
    }
    EXPECT_EQ(s.PlaylistNames, scan.Col("Playlists").Items());
    for (size_t p = 0; p < s.PlaylistNames.size(); ++p) {
        std::vector<std::string> keys;
        for (const auto& e : s.PlaylistEntries[p])
            keys.push_back(std::to_string(92 + std::stoi(e)));
        EXPECT_EQ(keys, scan.Uids[p].Items()) << p;
    }

    // The length walk and the tag scan find the same records at the same places.
    // The scan also stops at any two bytes "hm" inside other data: an item's
    // two random bytes may draw them (one item in ~65,000), and the line that
    // gives is only allowed there.
    std::set<size_t> itemRandomBytes;
    for (const auto& rec : check.Records)
        if (rec.Tag == "pihm")
            itemRandomBytes.insert(rec.Offset + 20);
    std::vector<std::pair<size_t, std::string>> scanned;
    for (const auto& line : scan.Lines()) {
        const size_t tab = line.find('\t');
        const size_t offset = std::stoul(line.substr(0, tab));
        if (db.substr(offset, 4) == std::string("\0\0hm", 4) && itemRandomBytes.count(offset))
            continue;
        scanned.emplace_back(offset, line.substr(tab + 1, 4));
    }
    ASSERT_EQ(check.Records.size(), scanned.size());
    for (size_t i = 0; i < scanned.size(); ++i) {
        EXPECT_EQ(check.Records[i].Offset, scanned[i].first);
        EXPECT_EQ(check.Records[i].Tag, scanned[i].second);
    }
}

// The writer's random item bytes that happen to read "hm" give the scan an
// extra line and nothing else: the tracks and playlists read back the same.
TEST(RoundTrip, ItemBytesThatReadAsATagEndAreHarmless) {
    const TDatabaseSnapshot s = GeneratedLibrary(3, 2, 9);
    std::string db = BuildDatabase(s);
    const auto check = DatabaseChecker::Check(db);
    ASSERT_TRUE(check.Ok()) << check.Error;
    TScan clean;
    clean.Run(db);
    size_t items = 0;
    for (const auto& rec : check.Records) {
        if (rec.Tag == "pihm") {
            db[rec.Offset + 22] = 'h';
            db[rec.Offset + 23] = 'm';
            ++items;
        }
    }
    TScan scan;
    scan.Run(db);
    ASSERT_TRUE(scan.Result.Completed);
    EXPECT_EQ(clean.Lines().size() + items, scan.Lines().size());
    for (const char* c :
         {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID", "Playlists"})
        EXPECT_EQ(clean.Col(c).Items(), scan.Col(c).Items()) << c;
    for (int p = 0; p < MaxPlaylists; ++p)
        EXPECT_EQ(clean.Uids[p].Items(), scan.Uids[p].Items()) << p;
}
