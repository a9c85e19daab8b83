#include "Drives.h"
#include "iTunesDB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A card folder mapped to drive K for the test's lifetime.
class FolderSearch : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::path(BV_BINARY_DIR) / "folder_search_card";
        fs::remove_all(root_);
        fs::create_directories(root_ / "music" / "sub");
        fs::create_directories(root_ / "lang");
        for (const char* f :
             {"music/a.MP3", "music/b.m4a", "music/c.wav", "music/sub/d.mp3", "music/sub/e.mp3.txt",
              "lang/English.lng", "lang/Русский.lng", "lang/readme.txt", "top.mp3"})
            std::ofstream(root_ / f) << "x";
        fs::create_directory_symlink(root_ / "music", root_ / "music" / "sub" / "loop");
        setenv("BRISVANE_DRIVES", ("K=" + root_.string() + ":removable").c_str(), 1);
        RefreshDriveTable();
    }
    void TearDown() override {
        unsetenv("BRISVANE_DRIVES");
        RefreshDriveTable();
        fs::remove_all(root_);
    }
    static std::vector<std::string> Sorted(const TStringList& l) {
        auto v = l.Items();
        std::sort(v.begin(), v.end());
        return v;
    }
    fs::path root_;
};

} // namespace

TEST_F(FolderSearch, FilesByExtension) {
    TStringList list;
    list.Add("old");
    EXPECT_TRUE(FindFilesByExt("K:\\lang\\", "lng", list));
    EXPECT_EQ((std::vector<std::string>{"English.lng", "Русский.lng"}), Sorted(list));
    EXPECT_TRUE(FindFilesByExt("K:\\lang", "lng", list));
    EXPECT_EQ(2, list.Count());
    EXPECT_FALSE(FindFilesByExt("K:\\music\\", "lng", list));
    EXPECT_TRUE(list.Empty());
    EXPECT_FALSE(FindFilesByExt("K:\\missing\\", "lng", list));
    EXPECT_TRUE(FindFilesByExt("K:\\", "mp3", list));
    EXPECT_EQ((std::vector<std::string>{"top.mp3"}), Sorted(list));
}

TEST_F(FolderSearch, MusicFilesBelowAFolder) {
    for (const char* start : {"K:\\music", "K:\\music\\"}) {
        TStringList list;
        list.Add("kept");
        FindMusicFilesRecursive(start, list);
        // The link back up the tree is not followed round again.
        EXPECT_EQ((std::vector<std::string>{"K:\\music\\a.MP3", "K:\\music\\b.m4a",
                                            "K:\\music\\sub\\d.mp3", "kept"}),
                  Sorted(list))
            << start;
    }
    TStringList all;
    FindMusicFilesRecursive("K:\\", all);
    EXPECT_EQ(4, all.Count());
    EXPECT_NE(all.IndexOf("K:\\top.mp3"), -1);
    TStringList none;
    FindMusicFilesRecursive("", none);
    FindMusicFilesRecursive("K:\\missing", none);
    FindMusicFilesRecursive("Q:\\unmapped", none);
    EXPECT_TRUE(none.Empty());
}
