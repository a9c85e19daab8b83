// The writer's bytes for a set of track lists, compared with files written by an
// earlier version: the card's player reads these bytes, so a change to how the
// records are built must leave them as they were. The two bytes of each playlist
// item that are drawn at random are left out of the comparison.
// BV_RECORD_DATABASE_BYTES=1 writes the files anew, for a change that is meant.
#include "DatabaseChecker.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

namespace {

TTrackRowSnapshot Row(std::string fileName, std::string time = "3:5", std::string album = "Album") {
    return {"Artist", "Title", std::move(album), std::move(time), "1000", std::move(fileName),
            "128",    "7"};
}

struct TCase {
    const char* Name;
    std::function<TDatabaseSnapshot()> Make;
};

const TCase Cases[] = {
    {"empty_master_playlist",
     [] {
         TDatabaseSnapshot s;
         s.PlaylistNames = {"All music"};
         return s;
     }},
    {"locations_and_type_codes",
     [] {
         TDatabaseSnapshot s;
         for (const char* name :
              {"C:\\Music\\Song.mp3", "E:\\mobile\\audio\\x.MP3", "e:\\other\\y.m4a", "D:\\a.wav",
               "\\\\server\\share\\z.mp3", "C:\\dir.mp3\\noext"})
             s.Tracks.push_back(Row(name, "12:3"));
         s.PlaylistNames = {"All music"};
         s.PlaylistEntries = {{"0", "1", "2", "3", "4", "5"}};
         return s;
     }},
    {"upload_path_without_backslash",
     [] {
         TDatabaseSnapshot s;
         s.PhoneDrive = 'F';
         s.UploadPath = "\\music";
         s.Tracks.push_back(Row("C:\\x\\a.mp3"));
         return s;
     }},
    {"empty_texts",
     [] {
         TDatabaseSnapshot s;
         s.Tracks.push_back(Row("E:\\a.mp3", "1:0", ""));
         s.Tracks.push_back({"", "", "", "1:0", "1", "", "1", ""});
         return s;
     }},
    {"playlists_with_repeats_and_cyrillic_name",
     [] {
         TDatabaseSnapshot s;
         for (int i = 0; i < 3; ++i)
             s.Tracks.push_back(Row("E:\\t" + std::to_string(i) + ".mp3"));
         s.Tracks.push_back({"Ärzte", "日本語の歌", "Café", "100:59", "4294967295",
                             "E:\\mobile\\audio\\Ärzte.mp3", "320", "x"});
         s.PlaylistNames = {"All music", "Пятница", "", "Third"};
         s.PlaylistEntries = {{"0", "1", "2", "3"}, {"2", "0", "2"}, {}, {"3"}};
         return s;
     }},
};

// The image with the random bytes of every playlist item set to zero.
std::string WithoutRandomBytes(std::string db) {
    const auto check = DatabaseChecker::Check(db);
    EXPECT_TRUE(check.Ok()) << check.Error;
    for (const auto& record : check.Records)
        if (record.Tag == "pihm")
            db.at(record.Offset + 22) = db.at(record.Offset + 23) = '\0';
    return db;
}

std::string GoldenPath(const char* name) {
    return std::string(BV_TEST_DATA_DIR) + "/itunesdb/" + name + ".itdb";
}

} // namespace

TEST(DatabaseBytes, SameAsRecorded) {
    const bool record = std::getenv("BV_RECORD_DATABASE_BYTES") != nullptr;
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.Name);
        std::string built = BuildDatabase(c.Make());
        if (record) {
            std::ofstream(GoldenPath(c.Name), std::ios::binary) << built;
            continue;
        }
        built = WithoutRandomBytes(built);
        std::ifstream in(GoldenPath(c.Name), std::ios::binary);
        ASSERT_TRUE(in) << GoldenPath(c.Name);
        const std::string recorded = WithoutRandomBytes({std::istreambuf_iterator<char>(in), {}});
        ASSERT_EQ(recorded.size(), built.size());
        size_t first = 0;
        while (first < built.size() && built[first] == recorded[first])
            ++first;
        EXPECT_EQ(built.size(), first) << "first differing byte at offset " << first;
    }
}
