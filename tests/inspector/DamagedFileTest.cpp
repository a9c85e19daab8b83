#include "DatabaseChecker.h"
#include "ReaderTestSupport.h"
#include "TextCodec.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

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
// only in the lists the names allow.
void ScanSafely(TScan& scan, std::string_view bytes) {
    scan.Run(bytes);
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
    TScan scan;
    for (const auto& rec : check.Records) {
        for (size_t cut : {rec.Offset, rec.Offset + 2, rec.Offset + 4, rec.Offset + 17}) {
            if (cut > db.size())
                continue;
            SCOPED_TRACE(cut);
            const std::string part = db.substr(0, cut);
            ScanSafely(scan, part);
            EXPECT_FALSE(DatabaseChecker::Check(part).Ok());
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
