// The card read scans the database piece by piece as it reads the file. Wherever the
// pieces happen to end (inside a tag, a record's fixed fields, a long text, a tag inside
// a text), and whatever the bytes, it must collect and report exactly what the scan of
// the whole file does.
#include "DatabaseInspector.h"
#include "Drives.h"
#include "Files.h"
#include "ReaderTestSupport.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace ReaderTest;

namespace {

// Tracks whose texts hold record tags, a few longer than what a tag is decoded with,
// one longer than a whole piece, and playlists of their items.
std::string LongTextDb() {
    TDatabaseSnapshot s;
    s.PhoneDrive = 'E';
    for (int i = 0; i < 300; ++i) {
        const std::string n = std::to_string(i);
        std::string title = "Title " + n + (i % 7 == 0 ? " tihm dohm" : "");
        if (i % 50 == 3)
            title += std::string(5000 + 37 * i, 'x') + "pihm";
        if (i == 101)
            title = std::string(3 * TDatabaseReader::MinFeedBytes + 11, 'y') + "tihm";
        s.Tracks.push_back({"Исполнитель " + std::to_string(i % 13), title, "Album dshm " + n,
                            "3:" + std::to_string(i % 60), std::to_string(3000000 + i),
                            "E:\\mobile\\audio\\Track " + n + ".mp3", "192", n});
    }
    s.PlaylistNames.push_back("All music");
    std::vector<std::string> all;
    for (int i = 0; i < 300; ++i)
        all.push_back(std::to_string(i));
    s.PlaylistEntries.push_back(std::move(all));
    for (int p = 1; p < 12; ++p) {
        s.PlaylistNames.push_back("List plhm " + std::to_string(p));
        std::vector<std::string> entries;
        for (int j = 0; j < 40; ++j)
            entries.push_back(std::to_string((p * 31 + j * 7) % 300));
        s.PlaylistEntries.push_back(std::move(entries));
    }
    return BuildDatabase(s);
}

// Random bytes strewn with record tags.
std::string TagSoup(std::mt19937& rng, size_t n) {
    const std::string tags[] = {"dbhm", "dshm", "tlhm", "tihm", "dohm", "plhm", "pyhm", "pihm"};
    std::string bytes;
    while (bytes.size() < n) {
        if (rng() % 4 == 0)
            bytes += tags[rng() % 8];
        else
            bytes += static_cast<char>(rng() % 4 == 0 ? rng() % 256 : rng() % 4);
    }
    return bytes;
}

void ExpectSameScan(const TScan& whole, const TScan& pieces) {
    for (const char* c :
         {"Artist", "Title", "Album", "Time", "Size", "FileName", "BitRate", "UID", "Playlists"})
        ASSERT_EQ(whole.Col(c).Items(), pieces.Col(c).Items()) << c;
    for (int p = 0; p < MaxPlaylists; ++p)
        ASSERT_EQ(whole.Uids[p].Items(), pieces.Uids[p].Items()) << p;
    const TScanResult &a = whole.Result, &b = pieces.Result;
    EXPECT_EQ(a.Report, b.Report);
    EXPECT_EQ(a.Size, b.Size);
    EXPECT_EQ(a.Completed, b.Completed);
    EXPECT_EQ(a.StopOffset, b.StopOffset);
    EXPECT_EQ(a.DroppedItems, b.DroppedItems);
    EXPECT_EQ(a.DroppedPlaylists, b.DroppedPlaylists);
    EXPECT_EQ(a.RefusedLocations, b.RefusedLocations);
    EXPECT_EQ(a.FirstRefusedLocation, b.FirstRefusedLocation);
    EXPECT_EQ(a.DamagedRecords, b.DamagedRecords);
    EXPECT_EQ(a.MasterPlaylistCut, b.MasterPlaylistCut);
    EXPECT_EQ(a.CutPlaylistDropped, b.CutPlaylistDropped);
    EXPECT_EQ(a.CutPlaylistItems, b.CutPlaylistItems);
}

class TPieceFile {
public:
    TPieceFile() {
        std::filesystem::create_directories(dir_);
    }
    ~TPieceFile() { std::filesystem::remove_all(dir_); }
    TPieceFile(const TPieceFile&) = delete;
    TPieceFile& operator=(const TPieceFile&) = delete;

    // Scans `bytes` whole and as a file read in pieces of each size, with and without
    // the report, and expects the same every time.
    void ExpectSameInPieces(const std::string& bytes) {
        {
            std::ofstream out(path_, std::ios::binary);
            out << bytes;
        }
        for (bool withReport : {true, false}) {
            TScan whole;
            whole.Context.PhoneDrive = 'E';
            whole.Run(bytes, withReport);
            const size_t min = TDatabaseReader::MinFeedBytes;
            for (size_t piece : {min, min + 1, 3 * min + 5, DatabasePieceBytes}) {
                SCOPED_TRACE("piece " + std::to_string(piece) + (withReport ? " report" : ""));
                TScan pieces;
                pieces.Context.PhoneDrive = 'E';
                pieces.Temp.StringsByName("UID").Add("stale");
                pieces.Result = ScanDatabaseFile(path_, pieces.Reader, pieces.Temp, pieces.Uids,
                                                 pieces.Context, withReport, piece);
                ExpectSameScan(whole, pieces);
            }
        }
    }

private:
    std::string dir_ = std::string(BV_BINARY_DIR) + "/inspector_pieces";
    std::string path_ = dir_ + "/iTunesDB";
};

} // namespace

TEST(PieceScan, ReadsTheWholeFilesScan) {
    const std::string db = LongTextDb();
    ASSERT_GT(db.size(), 20 * TDatabaseReader::MinFeedBytes);
    TPieceFile file;
    file.ExpectSameInPieces(db);
    {
        TScan whole;
        whole.Run(db, false);
        ASSERT_EQ(300, whole.Col("UID").Count());
        ASSERT_EQ(12, whole.Col("Playlists").Count());
    }
    // Cut anywhere: inside tags, fixed fields, long texts, playlists.
    std::mt19937 rng(11);
    for (int round = 0; round < 12; ++round) {
        const size_t cut = rng() % db.size();
        SCOPED_TRACE("cut at " + std::to_string(cut));
        file.ExpectSameInPieces(db.substr(0, cut));
    }
    // Damaged: bytes flipped all over, and bytes with no structure at all.
    for (int round = 0; round < 6; ++round) {
        std::string bad = db;
        for (int k = 0; k < 64; ++k)
            bad[rng() % bad.size()] = static_cast<char>(rng());
        SCOPED_TRACE("flipped " + std::to_string(round));
        file.ExpectSameInPieces(bad);
    }
    for (size_t n : {size_t{0}, size_t{3}, 5 * TDatabaseReader::MinFeedBytes + 3}) {
        SCOPED_TRACE("soup of " + std::to_string(n));
        file.ExpectSameInPieces(TagSoup(rng, n));
    }
}

// A file that gives fewer bytes than its size says is not read, however far the scan
// got: the kernel's attribute files claim a page and hold a line.
TEST(PieceScan, AShortReadLeavesNothingCollected) {
    const std::string shortFile = "/sys/devices/system/cpu/online";
    if (!std::filesystem::is_regular_file(shortFile) ||
        std::filesystem::file_size(shortFile) <= 64)
        GTEST_SKIP() << "no attribute file to read";
    TDatabaseInspector inspector;
    TScan scan;
    scan.Temp.StringsByName("UID").Add("stale");
    scan.Uids[0].Add("7");
    try {
        inspector.Open(ToWindowsPath(shortFile), scan.Temp, scan.Uids, scan.Context, false);
        ADD_FAILURE() << "read";
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string::npos, e.Message().find("could be read")) << e.Message();
    }
    EXPECT_TRUE(scan.Col("UID").Empty());
    EXPECT_TRUE(scan.Uids[0].Empty());
}
