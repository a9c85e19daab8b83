#include "SafeFiles.h"

#include "FileTestSupport.h"
#include "RtFileUtils.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class SafeFilesTest : public CardFolderTest {
protected:
    // A folder beside the card that no card routine may touch.
    std::string Outside(const std::string& rel = "") const {
        return root_ + "/outside" + (rel.empty() ? "" : "/" + rel);
    }
    void SetUp() override {
        CardFolderTest::SetUp();
        fs::create_directories(Outside("sub"));
        Put(Outside("keep.txt"), "keep");
        Put(Outside("sub/keep.txt"), "keep too");
    }
};

} // namespace

TEST_F(SafeFilesTest, LevelsAreOpenedWithoutFollowingLinks) {
    fs::create_directories(OnCard("Real/Deeper"));
    fs::create_directory_symlink(Outside(), OnCard("Linked"));
    fs::create_directory_symlink(OnCard("Real"), OnCard("Real/Deeper/Back"));
    const TContainedRoot root = TContainedRoot::OfDrive("E:\\");

    EXPECT_TRUE(root.OpenFolder("E:\\real\\DEEPER", false).Valid()) << "letter case is ignored";
    EXPECT_EQ("", root.FirstLink("E:\\Real\\Deeper\\missing\\more"));
    EXPECT_EQ("E:\\Linked", root.FirstLink("E:\\Linked\\sub\\x.mp3"));
    EXPECT_EQ("E:\\Real\\Deeper\\Back", root.FirstLink("E:\\Real\\Deeper\\Back"));
    try {
        root.OpenFolder("E:\\Linked\\sub", true);
        FAIL() << "a link was followed";
    } catch (const ELinkRefused& e) {
        EXPECT_EQ("E:\\Linked", e.Link);
        EXPECT_NE(std::string::npos, e.Message().find("E:\\Linked"));
    }
    EXPECT_THROW(root.OpenFolder("E:\\Real\\..\\..\\outside", false), EInOutError);
    EXPECT_THROW(root.OpenFolder("F:\\Real", false), EInOutError);
    EXPECT_THROW(ContainedForceDirectories("E:\\Linked\\new"), ELinkRefused);
    EXPECT_FALSE(fs::exists(Outside("new")));
    EXPECT_FALSE(ContainedDirectoryExists("E:\\Linked\\sub"));
    ContainedForceDirectories("E:\\Made\\Two\\Levels");
    EXPECT_TRUE(fs::is_directory(OnCard("Made/Two/Levels")));
}

TEST_F(SafeFilesTest, DeletingATreeRemovesLinksAsLinksAndRefusesOneOnTheWay) {
    fs::create_directories(OnCard("db/inner"));
    Put(OnCard("db/file"), "x");
    fs::create_directory_symlink(Outside(), OnCard("db/inner/to-outside"));
    fs::create_symlink(Outside("keep.txt"), OnCard("db/file-link"));
    EXPECT_TRUE(ContainedDeleteTree("E:\\db"));
    EXPECT_FALSE(fs::exists(OnCard("db")));
    EXPECT_EQ("keep", Read(Outside("keep.txt")));
    EXPECT_EQ("keep too", Read(Outside("sub/keep.txt")));

    // The folder asked for is a link: only the link goes.
    fs::create_directory_symlink(Outside(), OnCard("db"));
    EXPECT_TRUE(ContainedDeleteTree("E:\\db"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(OnCard("db"))));
    EXPECT_TRUE(fs::exists(Outside("sub/keep.txt")));

    // A link on the way to it is refused.
    fs::create_directory_symlink(Outside(), OnCard("via"));
    EXPECT_THROW(ContainedDeleteTree("E:\\via\\sub"), ELinkRefused);
    EXPECT_TRUE(fs::exists(Outside("sub/keep.txt")));
    EXPECT_TRUE(ContainedDeleteTree("E:\\nothing\\here")) << "nothing there, nothing left";
    EXPECT_FALSE(ContainedDeleteTree("E:\\"));
}

TEST_F(SafeFilesTest, ReplacingAndDeletingAFileNeverWritesThroughALink) {
    fs::create_directories(OnCard("db"));
    fs::create_symlink(Outside("keep.txt"), OnCard("db/iTunesDB"));
    ContainedReplaceFile("E:\\db\\iTunesDB", "new bytes");
    EXPECT_FALSE(fs::is_symlink(OnCard("db/iTunesDB")));
    EXPECT_EQ("new bytes", Read(OnCard("db/iTunesDB")));
    EXPECT_EQ("keep", Read(Outside("keep.txt")));
    // The file's own letter case is kept.
    ContainedReplaceFile("E:\\DB\\ITUNESDB", "again");
    EXPECT_EQ("again", Read(OnCard("db/iTunesDB")));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(OnCard("db")), fs::directory_iterator()));

    fs::create_symlink(Outside("keep.txt"), OnCard("db/song.mp3"));
    EXPECT_TRUE(ContainedDeleteFile("E:\\db\\song.mp3"));
    EXPECT_EQ("keep", Read(Outside("keep.txt")));
    fs::create_directory_symlink(Outside(), OnCard("linked"));
    EXPECT_THROW(ContainedReplaceFile("E:\\linked\\keep.txt", "x"), ELinkRefused);
    EXPECT_THROW(ContainedDeleteFile("E:\\linked\\keep.txt"), ELinkRefused);
    EXPECT_EQ("keep", Read(Outside("keep.txt")));
    EXPECT_FALSE(ContainedDeleteFile("E:\\db")) << "a folder is no file";
}

// The contents made piece by piece land whole; a producer that fails or a piece that
// cannot be written leaves the old file as it was and no temporary file behind.
TEST_F(SafeFilesTest, ReplacingFromPiecesKeepsTheOldFileWhenTheWritingFails) {
    fs::create_directories(OnCard("db"));
    Put(OnCard("db/iTunesDB"), "old bytes");
    const auto pieces = [](std::vector<std::string> parts, bool failAtEnd) {
        return [parts, failAtEnd](const std::function<void(std::string_view)>& write) {
            for (const std::string& part : parts)
                write(part);
            if (failAtEnd)
                throw EConvertError("no number");
        };
    };
    ContainedReplaceFile("E:\\db\\iTunesDB",
                         pieces({"first ", "", std::string(300000, 'x'), " last"}, false));
    EXPECT_EQ("first " + std::string(300000, 'x') + " last", Read(OnCard("db/iTunesDB")));

    Put(OnCard("db/iTunesDB"), "old bytes");
    EXPECT_THROW(ContainedReplaceFile("E:\\db\\iTunesDB", pieces({"half", "written"}, true)),
                 EConvertError);
    EXPECT_EQ("old bytes", Read(OnCard("db/iTunesDB")));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(OnCard("db")), fs::directory_iterator()));

    // A piece the file cannot take: the write fails as a plain one does.
    fs::create_directories(OnCard("small"));
    Put(OnCard("small/iTunesDB"), "old bytes");
    rlimit limit{};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &limit));
    const rlimit before = limit;
    limit.rlim_cur = 4096;
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
    EXPECT_THROW(
        ContainedReplaceFile("E:\\small\\iTunesDB",
                             pieces({std::string(3000, 'a'), std::string(3000, 'b')}, false)),
        EWriteError);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, oldHandler);
    EXPECT_EQ("old bytes", Read(OnCard("small/iTunesDB")));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(OnCard("small")), fs::directory_iterator()));
}

TEST_F(SafeFilesTest, LockIsExclusiveAndDiesWithItsProcess) {
    TFolderLock first, second;
    ASSERT_TRUE(first.TryLock(card_));
    EXPECT_FALSE(second.TryLock(card_));
    first.Unlock();
    EXPECT_TRUE(second.TryLock(card_));
    second.Unlock();

    // A child takes the lock and is killed holding it: the next taker is not blocked.
    int ready[2];
    ASSERT_EQ(0, pipe(ready));
    const pid_t child = fork();
    if (child == 0) {
        TFolderLock held;
        char c = held.TryLock(card_) ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        pause();
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(1, read(ready[0], &c, 1));
    ASSERT_EQ('y', c);
    EXPECT_FALSE(first.TryLock(card_)) << "held by the child";
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(first.TryLock(card_));
    close(ready[0]);
    close(ready[1]);
}

TEST_F(SafeFilesTest, LeftoversGoOnlyWhenNobodyHoldsThem) {
    const std::string dead = ".brisvane.ini.0123456789abcdef";
    const std::string alive = ".brisvane.ini.fedcba9876543210";
    const std::string lookalike = ".brisvane.ini.mine";
    Put(OnCard(dead), "left by a killed run");
    Put(OnCard(alive), "being written");
    Put(OnCard(lookalike), "the user's");
    fs::create_directory(OnCard(".brisvane.ini.00000000ffffffff"));
    const int fd = open(OnCard(alive).c_str(), O_RDONLY);
    ASSERT_EQ(0, flock(fd, LOCK_EX));
    auto isTemp = [](const std::string& name) {
        return name.rfind(".brisvane.ini.", 0) == 0 && IsHexDigits(name.substr(14), 16);
    };
    EXPECT_EQ(1, RemoveUnlockedLeftovers(card_, isTemp));
    EXPECT_FALSE(fs::exists(OnCard(dead)));
    EXPECT_TRUE(fs::exists(OnCard(alive)));
    EXPECT_TRUE(fs::exists(OnCard(lookalike)));
    EXPECT_TRUE(fs::exists(OnCard(".brisvane.ini.00000000ffffffff"))) << "a folder is no temp file";
    close(fd);

    fs::create_directories(OnCard("brisvane-convert-AbC123/inner"));
    Put(OnCard("brisvane-convert-AbC123/inner/temp.wav"), "x");
    fs::create_directory_symlink(Outside(), OnCard("brisvane-convert-link12"));
    auto isFolder = [](const std::string& name) { return name.rfind("brisvane-convert-", 0) == 0; };
    EXPECT_EQ(1, RemoveUnlockedLeftoverFolders(card_, isFolder));
    EXPECT_FALSE(fs::exists(OnCard("brisvane-convert-AbC123")));
    EXPECT_TRUE(fs::exists(Outside("sub/keep.txt")));
}

TEST_F(SafeFilesTest, AtomicReplaceLeavesNoTemporaryFile) {
    AtomicReplaceFiles({{"E:\\a.txt", "one"}, {"E:\\b.txt", "two"}});
    EXPECT_EQ("one", Read(OnCard("a.txt")));
    EXPECT_EQ("two", Read(OnCard("b.txt")));
    EXPECT_EQ(2, std::distance(fs::directory_iterator(card_), fs::directory_iterator()));
    fs::create_directory(OnCard("c.txt"));
    EXPECT_THROW(AtomicReplaceFiles({{"E:\\a.txt", "three"}, {"E:\\c.txt", "x"}}), EStreamError);
    EXPECT_EQ("one", Read(OnCard("a.txt")));
    EXPECT_EQ(3, std::distance(fs::directory_iterator(card_), fs::directory_iterator()));
}
