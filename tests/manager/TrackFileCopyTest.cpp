#include "TrackFileCopy.h"
#include "AudioFixtures.h"
#include "Drives.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using BvTest::TAudioFixtureFolder;
using BvTest::WindowsPathOf;

namespace {

std::string Bytes(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(i * 131 + i / 7);
    return s;
}

class TrackFileCopyTest : public ::testing::Test {
protected:
    // A source file with a modification time in the past and no write permission.
    std::string Source(size_t size) {
        std::string path = dir.Path("source.mp3");
        BvTest::WriteWholeFile(path, Bytes(size));
        const struct timespec times[2] = {{1000000000, 0}, {1100000000, 0}};
        utimensat(AT_FDCWD, path.c_str(), times, 0);
        chmod(path.c_str(), 0444);
        return path;
    }
    TFileCopyOptions Recording() {
        TFileCopyOptions o;
        o.Progress = [this](int p) { progress.push_back(p); };
        return o;
    }
    TAudioFixtureFolder dir;
    std::vector<int> progress;
    std::vector<std::string> lines;
    TManagerLog log{[this](const std::string& line) { lines.push_back(line); }};
};

} // namespace

TEST_F(TrackFileCopyTest, CopiesInBlocksWithProgressDateAndLogLine) {
    const std::string source = Source(FileCopyBlockSize * 3);
    const std::string target = dir.Path("card.mp3");
    EXPECT_EQ(TFileCopyResult::Completed,
              CopyTrackFile(WindowsPathOf(source), WindowsPathOf(target), Recording(), log));
    EXPECT_EQ((std::vector<int>{33, 67, 100, 100}), progress);
    EXPECT_EQ(BvTest::ReadWholeFile(source), BvTest::ReadWholeFile(target));
    struct stat s {
    }, t{};
    stat(source.c_str(), &s);
    stat(target.c_str(), &t);
    EXPECT_EQ(1100000000, t.st_mtim.tv_sec);
    EXPECT_EQ(0444u, s.st_mode & 0777); // the source is left as it was
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos,
              lines[0].find(") " + WindowsPathOf(target) + " was successfully copied"));
}

TEST_F(TrackFileCopyTest, SizesAroundTheBlock) {
    for (size_t size : {size_t(0), size_t(1), FileCopyBlockSize - 1, FileCopyBlockSize + 1}) {
        SCOPED_TRACE(size);
        progress.clear();
        const std::string source = Source(size);
        const std::string target = dir.Path("card.mp3");
        EXPECT_EQ(TFileCopyResult::Completed,
                  CopyConvertedFile(WindowsPathOf(source), WindowsPathOf(target), Recording()));
        EXPECT_EQ(BvTest::ReadWholeFile(source), BvTest::ReadWholeFile(target));
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(100, progress.back());
        std::filesystem::remove(source);
    }
    EXPECT_TRUE(lines.empty()); // the converted-file copy never logs
}

TEST_F(TrackFileCopyTest, CancelDeletesThePartialFileAndLogsNothing) {
    const std::string source = Source(FileCopyBlockSize * 5);
    const std::string target = dir.Path("card.mp3");
    std::atomic<uint8_t> cancel{0};
    TFileCopyOptions options = Recording();
    options.Progress = [&](int p) {
        progress.push_back(p);
        cancel = 1;
    };
    options.Cancel = &cancel;
    EXPECT_EQ(TFileCopyResult::Cancelled,
              CopyTrackFile(WindowsPathOf(source), WindowsPathOf(target), options, log));
    EXPECT_EQ((std::vector<int>{20}), progress);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_TRUE(lines.empty());

    // Stop asked during the last block: the file is whole, so the copy counts.
    progress.clear();
    cancel = 0;
    const std::string small = dir.Path("small.mp3");
    BvTest::WriteWholeFile(small, Bytes(100));
    EXPECT_EQ(TFileCopyResult::Completed,
              CopyTrackFile(WindowsPathOf(small), WindowsPathOf(target), options, log));
    EXPECT_EQ(1u, lines.size());
}

TEST_F(TrackFileCopyTest, FileAlreadyThereKeepsItsBytesUntilTheCopyIsComplete) {
    const std::string source = Source(FileCopyBlockSize * 3);
    const std::string target = dir.Path("card.mp3");
    const std::string old = "the track the card's old database lists";
    auto entries = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    struct Case {
        const char* what;
        bool cancel;
    } cases[] = {{"stopped after the first block", true}, {"completed", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BvTest::WriteWholeFile(target, old);
        const std::vector<std::string> before = entries();
        std::atomic<uint8_t> cancel{0};
        std::vector<std::string> seenDuringCopy;
        TFileCopyOptions options;
        options.Cancel = &cancel;
        options.Progress = [&](int) {
            seenDuringCopy.push_back(BvTest::ReadWholeFile(target));
            if (c.cancel)
                cancel = 1;
        };
        const TFileCopyResult result =
            CopyConvertedFile(WindowsPathOf(source), WindowsPathOf(target), options);
        ASSERT_FALSE(seenDuringCopy.empty());
        for (const std::string& seen : seenDuringCopy)
            EXPECT_TRUE(old == seen); // never truncated or half written
        if (c.cancel) {
            EXPECT_EQ(TFileCopyResult::Cancelled, result);
            EXPECT_EQ(old, BvTest::ReadWholeFile(target));
        } else {
            EXPECT_EQ(TFileCopyResult::Completed, result);
            EXPECT_TRUE(BvTest::ReadWholeFile(source) == BvTest::ReadWholeFile(target));
            struct stat t {};
            stat(target.c_str(), &t);
            EXPECT_EQ(1100000000, t.st_mtim.tv_sec);
        }
        EXPECT_EQ(before, entries()); // no temporary file stays behind
        std::filesystem::remove(source);
        Source(FileCopyBlockSize * 3);
    }
}

TEST_F(TrackFileCopyTest, SameFileIsRefusedAndLeftWhole) {
    const std::string source = Source(1000);
    std::filesystem::create_directory(dir.Path("sub"));
    ASSERT_EQ(0, link(source.c_str(), dir.Path("sub/link.mp3").c_str()));
    const std::string dirs[] = {
        WindowsPathOf(source),
        WindowsPathOf(dir.Path("sub/../source.mp3")),
        WindowsPathOf(dir.Path("./source.mp3")),
        WindowsPathOf(dir.Path("sub/link.mp3")),
    };
    for (const std::string& target : dirs) {
        SCOPED_TRACE(target);
        try {
            CopyTrackFile(WindowsPathOf(source), target, Recording(), log);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ("Copy error", e.Message());
        }
        EXPECT_EQ(Bytes(1000), BvTest::ReadWholeFile(source));
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(TrackFileCopyTest, FailuresNameTheFileAndLeaveNoPartialFile) {
    const std::string source = Source(1000);
    struct Case {
        std::string source, target, message;
    } cases[] = {
        {dir.Path("none.mp3"), dir.Path("card.mp3"), "Cannot open"},
        {dir.Path("sub"), dir.Path("card.mp3"), "Cannot read"},
        {source, dir.Path("no/card.mp3"), "Cannot create"},
    };
    std::filesystem::create_directory(dir.Path("sub"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            CopyTrackFile(WindowsPathOf(c.source), WindowsPathOf(c.target), Recording(), log);
            ADD_FAILURE() << "no error";
        } catch (const EInOutError& e) {
            EXPECT_EQ(0u, e.Message().find(c.message)) << e.Message();
        }
        EXPECT_FALSE(std::filesystem::exists(dir.Path("card.mp3")));
    }
    EXPECT_TRUE(lines.empty());
}

TEST_F(TrackFileCopyTest, CopiesOntoAMappedCardDrive) {
    const std::string source = Source(5000);
    std::filesystem::create_directories(dir.Path("card/mobile/audio"));
    setenv("BRISVANE_DRIVES", ("E=" + dir.Path("card") + ":removable").c_str(), 1);
    RefreshDriveTable();
    EXPECT_EQ(
        TFileCopyResult::Completed,
        CopyTrackFile(WindowsPathOf(source), "E:\\mobile\\audio\\Song.mp3", Recording(), log));
    EXPECT_EQ(Bytes(5000), BvTest::ReadWholeFile(dir.Path("card/mobile/audio/Song.mp3")));
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos,
              lines[0].find("E:\\mobile\\audio\\Song.mp3 was successfully copied"));
    // A path may not climb out of the card's folder.
    EXPECT_THROW(CopyTrackFile(WindowsPathOf(source), "E:\\..\\escaped.mp3", Recording(), log),
                 EInOutError);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("escaped.mp3")));
    unsetenv("BRISVANE_DRIVES");
    RefreshDriveTable();
}
