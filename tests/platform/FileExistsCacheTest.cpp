#include "FileExistsCache.h"
#include "FileTestSupport.h"
#include "RtFileUtils.h"

#include <filesystem>

namespace {

class FileExistsCacheTest : public CardFolderTest {};

} // namespace

// The cache answers as FileExists does, for names in any letter case, missing
// names and folders, names the search reads as patterns, and other drives.
TEST_F(FileExistsCacheTest, AnswersAsFileExists) {
    namespace fs = std::filesystem;
    fs::create_directories(OnCard("mobile/audio"));
    Put(OnCard("mobile/audio/Song.mp3"), "x");
    Put(OnCard("mobile/audio/Ёжик.mp3"), "x");
    Put(OnCard("mobile/audio/noext"), "x");
    Put(OnCard("root.mp3"), "x");
    fs::create_directories(OnCard("mobile/audio/folder.mp3"));
    fs::create_symlink(OnCard("nowhere"), OnCard("mobile/audio/dangling.mp3"));
    const char* const names[] = {
        "E:\\mobile\\audio\\Song.mp3",
        "E:\\MOBILE\\AUDIO\\SONG.MP3",
        "e:\\mobile\\audio\\song.mp3",
        "E:\\mobile\\audio\\ёжик.MP3",
        "E:\\mobile\\audio\\Ежик.mp3",
        "E:\\mobile\\audio\\gone.mp3",
        "E:\\mobile\\audio\\S?ng.mp3",
        "E:\\mobile\\audio\\*.mp3",
        "E:\\mobile\\audio\\noext.",
        "E:\\mobile\\audio\\folder.mp3",
        "E:\\mobile\\audio\\dangling.mp3",
        "E:\\mobile\\audio\\",
        "E:\\mobile\\audio",
        "E:\\mobile\\gone\\Song.mp3",
        "E:\\root.mp3",
        "E:\\ROOT.MP3",
        "E:root.mp3",
        "Q:\\mobile\\audio\\Song.mp3",
        "song.mp3",
        "",
    };
    TFileExistsCache cache;
    for (int round = 0; round < 2; ++round) // the second round from the cache
        for (const char* name : names)
            EXPECT_EQ(FileExists(name), cache.Exists(name)) << name;
    EXPECT_TRUE(cache.Exists("E:\\MOBILE\\AUDIO\\SONG.MP3"));
    EXPECT_FALSE(cache.Exists("E:\\mobile\\audio\\gone.mp3"));
}
