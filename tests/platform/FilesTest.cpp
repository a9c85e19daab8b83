#include "Files.h"
#include "Classes.h"
#include "FileTestSupport.h"
#include "RtFileUtils.h"
#include "RtShell.h"
#include "RtStrings.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using FileTest = CardFolderTest;

namespace {
std::vector<std::string> Found(const std::string& mask, int attr) {
    std::vector<std::string> names;
    TSearchRec rec;
    for (int r = FindFirst(mask, attr, rec); r == 0; r = FindNext(rec))
        names.push_back(rec.Name);
    FindClose(rec);
    return names;
}
} // namespace

TEST_F(FileTest, StreamReadsWritesSeeksAndSizes) {
    {
        TFileStream f("E:\\a.bin", fmCreate);
        f.WriteBuffer("hello world", 11);
        EXPECT_EQ(11, f.Size());
        EXPECT_EQ(6, f.Seek(6, soBeginning));
        f.WriteBuffer("W", 1);
        EXPECT_EQ(7, f.Position());
        EXPECT_EQ(9, f.Seek(-2, soEnd));
    }
    {
        TFileStream f("e:\\A.BIN", fmOpenReadWrite | fmShareExclusive);
        char buf[32] = {};
        EXPECT_EQ(11, f.Read(buf, sizeof buf));
        EXPECT_EQ(std::string("hello World"), buf);
        f.SetSize(5);
        EXPECT_EQ(5, f.Size());
        f.SetPosition(0);
        EXPECT_THROW(f.ReadBuffer(buf, 6), EReadError);
    }
    TFileStream r("E:\\a.bin", fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(0, r.Write("x", 1));
    EXPECT_THROW(r.WriteBuffer("x", 1), EWriteError);
    TFileStream w("E:\\a.bin", fmOpenWrite | fmShareDenyNone);
    w.Seek(0, soEnd);
    w.WriteBuffer("!", 1);
    EXPECT_EQ("hello!", FileToString("E:\\a.bin"));
}

TEST_F(FileTest, StreamFailuresCarryTheFrameworksMessages) {
    Put(OnCard("ro.txt"), "x");
    chmod(OnCard("ro.txt").c_str(), 0444);
    fs::create_directory(OnCard("dir"));
    struct Case {
        const char* name;
        uint16_t mode;
        const char* message;
        bool create;
    } cases[] = {
        {"E:\\missing.txt", fmOpenRead,
         "Cannot open file \"E:\\missing.txt\". The system cannot find the file specified", false},
        {"E:\\nodir\\x.txt", fmOpenRead,
         "Cannot open file \"E:\\nodir\\x.txt\". The system cannot find the path specified", false},
        {"E:\\nodir\\x.txt", fmCreate,
         "Cannot create file \"E:\\nodir\\x.txt\". The system cannot find the path specified",
         true},
        {"E:\\ro.txt", fmOpenWrite, "Cannot open file \"E:\\ro.txt\". Access is denied", false},
        {"E:\\ro.txt", fmCreate, "Cannot create file \"E:\\ro.txt\". Access is denied", true},
        {"E:\\dir", fmOpenRead, "Cannot open file \"E:\\dir\". Access is denied", false},
        {"Q:\\x.txt", fmOpenRead,
         "Cannot open file \"Q:\\x.txt\". The system cannot find the path specified", false},
        {"E:\\..\\x.txt", fmCreate,
         "Cannot create file \"E:\\..\\x.txt\". The system cannot find the path specified", true},
    };
    for (const auto& c : cases) {
        try {
            TFileStream f(c.name, c.mode);
            ADD_FAILURE() << c.name;
        } catch (const EFCreateError& e) {
            EXPECT_TRUE(c.create) << c.name;
            EXPECT_EQ(c.message, e.Message());
        } catch (const EFOpenError& e) {
            EXPECT_FALSE(c.create) << c.name;
            EXPECT_EQ(c.message, e.Message());
        }
    }
    EXPECT_FALSE(fs::exists(root_ + "/x.txt"));
}

TEST_F(FileTest, SparseFileOfFourGibibytesExistsWithItsTrueSize) {
    const int64_t sizes[] = {0xFFFFFFFFLL, 0x100000000LL, 5000000000LL};
    for (int64_t size : sizes) {
        int fd = open(OnCard("big.bin").c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ftruncate(fd, size));
        close(fd);
        EXPECT_TRUE(FileExists("E:\\big.bin")) << size;
        EXPECT_EQ(size, GetSizeOfFile("E:\\big.bin"));
        EXPECT_EQ(static_cast<int32_t>(static_cast<uint32_t>(size)), FileSizeProbe("E:\\big.bin"));
        TSearchRec rec;
        ASSERT_EQ(0, FindFirst("E:\\*.bin", faAnyFile, rec));
        EXPECT_EQ(size, rec.Size);
        TFileStream f("E:\\big.bin", fmOpenRead);
        EXPECT_EQ(size, f.Size());
        EXPECT_EQ(size - 1, f.Seek(-1, soEnd));
        char b = 1;
        f.ReadBuffer(&b, 1);
        EXPECT_EQ(0, b);
    }
}

TEST_F(FileTest, FindFirstMatchesWildcardsAsWindowsDoes) {
    for (const char* n : {"Song.MP3", "song2.mp3", "README", "a.b.c", "track.m4a", ".hidden"})
        Put(OnCard(n), "12345");
    fs::create_directory(OnCard("Music"));
    struct Case {
        const char* mask;
        int attr;
        std::vector<std::string> names;
    } cases[] = {
        {"E:\\*.*", 0, {"README", "Song.MP3", "a.b.c", "song2.mp3", "track.m4a"}},
        {"E:\\*", 0, {"README", "Song.MP3", "a.b.c", "song2.mp3", "track.m4a"}},
        {"E:\\*.mp3", 0, {"Song.MP3", "song2.mp3"}},
        {"E:\\SONG?.MP3", 0, {"song2.mp3"}},
        {"E:\\s*.*", 0, {"Song.MP3", "song2.mp3"}},
        {"E:\\readme.*", 0, {"README"}},
        {"E:\\*.", 0, {"README"}},
        {"E:\\*.c", 0, {"a.b.c"}},
        {"E:\\*.*",
         faDirectory,
         {"Music", "README", "Song.MP3", "a.b.c", "song2.mp3", "track.m4a"}},
        {"E:\\*.*",
         faAnyFile,
         {".hidden", "Music", "README", "Song.MP3", "a.b.c", "song2.mp3", "track.m4a"}},
        {"E:\\music", faDirectory, {"Music"}},
        {"E:\\music", 0, {}},
        {"E:\\SONG.mp3", 0, {"Song.MP3"}},
        {"E:\\*.ogg", faAnyFile, {}},
        {"E:\\Music\\*.*", faDirectory, {".", ".."}},
        {"E:\\", faAnyFile, {}},
        {"E:\\nowhere\\*.*", faAnyFile, {}},
        {"Q:\\*.*", faAnyFile, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.names, Found(c.mask, c.attr)) << c.mask << " " << c.attr;

    TSearchRec rec;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, FindFirst("E:\\*.ogg", faAnyFile, rec));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, FindFirst("E:\\nowhere\\*.*", faAnyFile, rec));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, FindFirst("Q:\\*.*", faAnyFile, rec));
    ASSERT_EQ(0, FindFirst("E:\\song2.mp3", faAnyFile, rec));
    EXPECT_EQ(5, rec.Size);
    EXPECT_EQ(faArchive, rec.Attr);
    EXPECT_GT(rec.TimeStamp, 40000.0);
    EXPECT_NEAR(rec.TimeStamp, FileDateToDateTime(rec.Time), 2.0 / 86400);
    EXPECT_EQ(0, FindNext(rec) == 0 ? 1 : 0);
}

TEST(MatchesMask, FollowsWindowsRules) {
    struct Case {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"abc", "*.*", true},         {"abc", "*", true},
        {"ABC.txt", "abc.TXT", true}, {"abc.txt", "a?c.*", true},
        {"ac.txt", "a?c.*", false},   {"abc", "abc.*", true},
        {"abc.d", "*.", false},       {"Ёлка.mp3", "ёлка.MP3", true},
        {"ёж", "??", true},           {"x.mp3.bak", "*.mp3", false},
        {"aXbXc", "a*b*c", true},     {"abc", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.match, MatchesMask(c.name, c.mask)) << c.name << " " << c.mask;
}

TEST_F(FileTest, ExistenceAndCaseInsensitiveNames) {
    fs::create_directories(OnCard("iTunes/iTunes_Control"));
    Put(OnCard("iTunes/iTunes_Control/iTunesDB"), "db");
    EXPECT_TRUE(FileExists("E:\\iTunes\\iTunes_Control\\iTunesDB"));
    EXPECT_TRUE(FileExists("E:\\ITUNES\\itunes_control\\ITUNESDB"));
    EXPECT_TRUE(FileExists("E:\\iTunes")); // a folder counts
    EXPECT_TRUE(FileExists("E:\\iTunes\\*.*"));
    EXPECT_FALSE(FileExists("E:\\iTunes\\nothing"));
    EXPECT_FALSE(FileExists("Q:\\x"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(DirectoryExists("E:\\itunes\\ITUNES_CONTROL\\"));
    EXPECT_TRUE(DirectoryExists("E:\\"));
    EXPECT_FALSE(DirectoryExists("E:\\iTunes\\iTunes_Control\\iTunesDB"));
    EXPECT_FALSE(DirectoryExists("Q:\\"));
    EXPECT_EQ("db", FileToString("E:\\ITUNES\\ITUNES_CONTROL\\ITUNESDB"));
    EXPECT_EQ(2, GetSizeOfFile("E:\\iTunes\\iTunes_Control\\iTunesDB"));
    EXPECT_EQ(0, GetSizeOfFile("E:\\iTunes"));
    try {
        GetSizeOfFile("E:\\gone.mp3");
        FAIL();
    } catch (const EOSError& e) {
        EXPECT_EQ(2, e.ErrorCode);
        EXPECT_EQ("System Error.  Code: 2.\nThe system cannot find the file specified",
                  e.Message());
    }
}

TEST_F(FileTest, WholeFileReadWriteAndAtomicReplace) {
    StringToFile("E:\\empty.txt", "");
    EXPECT_TRUE(fs::exists(OnCard("empty.txt")));
    EXPECT_EQ(0u, fs::file_size(OnCard("empty.txt")));
    std::string bytes("a\0b\r\n\xff", 6);
    StringToFile("E:\\bytes.bin", bytes);
    EXPECT_EQ(bytes, FileToString("E:\\bytes.bin"));
    EXPECT_THROW(FileToString("E:\\none.bin"), EFOpenError);
    EXPECT_THROW(StringToFile("E:\\no\\none.bin", "x"), EFCreateError);

    AtomicReplaceFile("E:\\settings.ini", "one");
    chmod(OnCard("settings.ini").c_str(), 0640);
    AtomicReplaceFile("E:\\settings.ini", "two");
    EXPECT_EQ("two", FileToString("E:\\settings.ini"));
    struct stat st;
    ASSERT_EQ(0, stat(OnCard("settings.ini").c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
    // A failure leaves the old file and no temporary behind.
    chmod(OnCard("settings.ini").c_str(), 0440);
    EXPECT_THROW(AtomicReplaceFile("E:\\settings.ini", "three"), EFCreateError);
    EXPECT_THROW(AtomicReplaceFile("E:\\no\\settings.ini", "three"), EFCreateError);
    EXPECT_EQ("two", FileToString("E:\\settings.ini"));
    TStringList names;
    ListFolderEntries("E:\\*.*", faAnyFile, names);
    EXPECT_EQ(3, names.Count());
}

namespace {
// Every umask call of this program passes here: the process-wide mask is shared by all
// threads, so code that creates files must never change it, not even for a moment.
std::atomic<int> umaskCalls{0};
} // namespace

extern "C" mode_t umask(mode_t mask) {
    ++umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

TEST_F(FileTest, ReplacingAFileLeavesTheUmaskOfOtherThreadsAlone) {
    const mode_t saved = umask(022);
    umaskCalls = 0;
    // Another thread creates files all the while; each must get the mode that umask
    // 022 gives, 0644, never the 0666 of a moment in which the umask was cleared.
    std::atomic<bool> done{false};
    std::atomic<int> created{0}, wrongMode{0};
    std::thread creator([&] {
        const std::string probe = OnCard("probe");
        while (!done) {
            int fd = ::open(probe.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (fd < 0)
                continue;
            struct stat st;
            if (::fstat(fd, &st) == 0 && (st.st_mode & 0777) != 0644)
                ++wrongMode;
            ++created;
            ::close(fd);
            ::unlink(probe.c_str());
        }
    });
    // Each write makes a new file, the case that has to find the mode for itself.
    for (int i = 0; i < 100; ++i) {
        AtomicReplaceFile("E:\\settings.ini", std::to_string(i));
        ::unlink(OnCard("settings.ini").c_str());
    }
    AtomicReplaceFiles({{"E:\\a.ini", "a"}, {"E:\\b.ini", "b"}});
    done = true;
    creator.join();
    EXPECT_EQ(0, umaskCalls.load());
    EXPECT_GT(created.load(), 0);
    EXPECT_EQ(0, wrongMode.load());

    // A new file gets the mode a plain create gives under the umask of the moment.
    umask(027);
    AtomicReplaceFile("E:\\fresh.ini", "x");
    umask(saved);
    struct stat st;
    ASSERT_EQ(0, stat(OnCard("fresh.ini").c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
}

TEST_F(FileTest, FilesThatBelongTogetherAreReplacedAllOrNone) {
    for (const char* name : {"db0", "db1", "db2"})
        Put(OnCard(name), std::string("old ") + name);
    chmod(OnCard("db1").c_str(), 0640);
    auto names = [] {
        TStringList list;
        ListFolderEntries("E:\\*.*", faAnyFile, list);
        std::vector<std::string> v(list.Items().begin(), list.Items().end());
        std::sort(v.begin(), v.end());
        return v;
    };

    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;
    } failing[] = {
        {"the last target is read-only",
         {{"E:\\db0", "new 0"}, {"E:\\db1", "new 1"}, {"E:\\ro", "new"}}},
        {"the last folder is missing",
         {{"E:\\db0", "new 0"}, {"E:\\db1", "new 1"}, {"E:\\none\\db2", "new"}}},
        {"the first target is a folder", {{"E:\\sub", "x"}, {"E:\\db0", "new 0"}}},
    };
    Put(OnCard("ro"), "read-only");
    chmod(OnCard("ro").c_str(), 0444);
    fs::create_directory(OnCard("sub"));
    const std::vector<std::string> withExtras = names();
    for (const Case& c : failing) {
        SCOPED_TRACE(c.what);
        EXPECT_THROW(AtomicReplaceFiles(c.files), EStreamError);
        EXPECT_EQ("old db0", FileToString("E:\\db0"));
        EXPECT_EQ("old db1", FileToString("E:\\db1"));
        EXPECT_EQ(withExtras, names()); // no temporary file stays behind
    }

    AtomicReplaceFiles({{"E:\\db0", "new 0"}, {"E:\\db1", ""}, {"E:\\db2", "new 2"}});
    EXPECT_EQ("new 0", FileToString("E:\\db0"));
    EXPECT_EQ("", FileToString("E:\\db1"));
    EXPECT_EQ("new 2", FileToString("E:\\db2"));
    struct stat st;
    ASSERT_EQ(0, stat(OnCard("db1").c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
    EXPECT_EQ(withExtras, names());
}

TEST_F(FileTest, FoldersFilesRenamesAndReadOnly) {
    EXPECT_TRUE(CreateDir("E:\\a"));
    EXPECT_FALSE(CreateDir("E:\\a"));
    EXPECT_FALSE(CreateDir("E:\\x\\y"));
    EXPECT_TRUE(ForceDirectories("E:\\x\\y\\z\\"));
    EXPECT_TRUE(ForceDirectories("E:\\x\\y\\z"));
    EXPECT_TRUE(DirectoryExists("E:\\x\\y\\z"));
    EXPECT_THROW(ForceDirectories(""), EInOutError);
    EXPECT_FALSE(ForceDirectories("Q:\\a"));
    EXPECT_FALSE(RemoveDir("E:\\x"));
    EXPECT_TRUE(RemoveDir("E:\\x\\y\\z"));
    EXPECT_FALSE(RemoveDir("E:\\"));
    EXPECT_FALSE(RemoveDir(""));
    EXPECT_TRUE(fs::exists(card_));

    StringToFile("E:\\a\\f.txt", "1");
    StringToFile("E:\\a\\g.txt", "2");
    EXPECT_FALSE(RenameFile("E:\\a\\f.txt", "E:\\a\\g.txt"));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    EXPECT_TRUE(RenameFile("E:\\a\\f.txt", "E:\\a\\F.TXT"));
    EXPECT_TRUE(RenameFile("E:\\a\\F.TXT", "E:\\x\\moved.txt"));
    EXPECT_EQ("1", FileToString("E:\\x\\moved.txt"));
    EXPECT_TRUE(CopyFile("E:\\x\\moved.txt", "E:\\a\\copy.txt", true));
    EXPECT_FALSE(CopyFile("E:\\x\\moved.txt", "E:\\a\\copy.txt", true));
    EXPECT_EQ("1", FileToString("E:\\a\\copy.txt"));

    EXPECT_EQ(0, FileSetAttr("E:\\a\\g.txt", faReadOnly));
    EXPECT_TRUE(FileIsReadOnly("E:\\a\\g.txt"));
    EXPECT_EQ(faReadOnly | faArchive, FileGetAttr("E:\\a\\g.txt"));
    EXPECT_FALSE(DeleteFile("E:\\a\\g.txt"));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(0, FileSetAttr("E:\\a\\g.txt", 0));
    EXPECT_TRUE(DeleteFile("E:\\a\\g.txt"));
    EXPECT_FALSE(DeleteFile("E:\\a\\g.txt"));
    EXPECT_FALSE(DeleteFile("E:\\a"));
    EXPECT_EQ(faDirectory, FileGetAttr("E:\\a"));
    EXPECT_EQ(-1, FileGetAttr("E:\\none"));
    EXPECT_NE(-1, FileAge("E:\\a\\copy.txt"));
}

TEST_F(FileTest, PathHelpers) {
    struct Case {
        std::string actual;
        const char* expected;
    } cases[] = {
        {ExtractFilePath("E:\\a\\b.mp3"), "E:\\a\\"},
        {ExtractFileDir("E:\\a\\b.mp3"), "E:\\a"},
        {ExtractFileDir("E:\\b.mp3"), "E:\\"},
        {ExtractFileName("E:\\a\\b.mp3"), "b.mp3"},
        {ExtractFileName("E:b.mp3"), "b.mp3"},
        {ExtractFileExt("E:\\a.dir\\b"), ""},
        {ExtractFileExt("E:\\a\\b.tar.MP3"), ".MP3"},
        {ExtractFileDrive("e:\\a"), "e:"},
        {ChangeFileExt("E:\\a\\b.wav", ".mp3"), "E:\\a\\b.mp3"},
        {ChangeFileExt("E:\\a.d\\b", ".mp3"), "E:\\a.d\\b.mp3"},
        {IncludeTrailingPathDelimiter("E:"), "E:\\"},
        {ExcludeTrailingPathDelimiter("E:\\a\\"), "E:\\a"},
        {ExpandFileName("E:\\a\\..\\b\\.\\c"), "E:\\b\\c"},
        {ExpandFileName("E:\\..\\.."), "E:\\"},
        {PathWithSeparator("E:"), "E:\\"},
        {PathWithSeparator("E:\\x\\"), "E:\\x\\"},
        {PathWithSeparator(""), "\\"},
        {PathWithoutSeparator("E:\\x\\"), "E:\\x"},
        {PathWithoutSeparator("E:\\x"), "E:\\x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, c.actual);
    ASSERT_TRUE(SetCurrentDir("E:\\"));
    EXPECT_EQ("E:\\", GetCurrentDir());
    EXPECT_EQ("E:\\rel\\x.mp3", ExpandFileName("rel\\x.mp3"));
    chdir("/");
}

TEST_F(FileTest, TemporaryFoldersNamesAndTheProgram) {
    setenv("TMPDIR", root_.c_str(), 1);
    std::string folder = CreateTempFolder("conv");
    std::string temp = TempFolderPath();
    std::string name = FileGetTempName("brisvane");
    unsetenv("TMPDIR");
    EXPECT_TRUE(DirectoryExists(folder));
    EXPECT_EQ(ToWindowsPath(root_) + "\\", temp);
    EXPECT_EQ(0u, folder.find(temp + "conv-"));
    struct stat st;
    ASSERT_EQ(0, stat(ToLinuxPath(folder).c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777);
    EXPECT_EQ(0u, name.find(temp + "bri"));
    EXPECT_EQ(".tmp", ExtractFileExt(name));
    EXPECT_EQ(0, GetSizeOfFile(name));
    EXPECT_TRUE(FileExists(ProgramFileName()));
    EXPECT_EQ(ExtractFilePath(ProgramFileName()), ProgramFolder());
    EXPECT_EQ(ProgramFileName(), ModuleFilePath(0));
    EXPECT_EQ(ProgramFileName(), ParamStr(0));
}

TEST_F(FileTest, ListFolderEntriesAddsNamesOnly) {
    Put(OnCard("a.mp3"), "");
    Put(OnCard("b.mp3"), "");
    TStringList list{"kept"};
    EXPECT_TRUE(ListFolderEntries("E:\\*.mp3", faAnyFile, list));
    EXPECT_EQ("kept\r\na.mp3\r\nb.mp3\r\n", list.Text());
    EXPECT_FALSE(ListFolderEntries("E:\\*.ogg", faAnyFile, list));
    EXPECT_EQ(3, list.Count());
}

TEST_F(FileTest, DeleteTreeRemovesReadOnlyFilesAndNeverFollowsLinks) {
    fs::create_directories(OnCard("db/sub"));
    fs::create_directories(root_ + "/outside/deep");
    Put(root_ + "/outside/keep.txt", "keep");
    Put(root_ + "/outside/deep/keep2.txt", "keep");
    Put(OnCard("db/ro.txt"), "x");
    chmod(OnCard("db/ro.txt").c_str(), 0444);
    Put(OnCard("db/sub/f.txt"), "x");
    fs::create_directory_symlink(root_ + "/outside", OnCard("db/sub/link"));
    fs::create_symlink(root_ + "/outside/keep.txt", OnCard("db/filelink"));
    fs::create_symlink(root_ + "/nowhere", OnCard("db/dangling"));
    chmod(OnCard("db/sub").c_str(), 0555);

    EXPECT_TRUE(DeleteTree("E:\\db\\"));
    EXPECT_FALSE(fs::exists(OnCard("db")));
    EXPECT_TRUE(fs::exists(root_ + "/outside/keep.txt"));
    EXPECT_TRUE(fs::exists(root_ + "/outside/deep/keep2.txt"));

    // A link given as the folder is refused, and so are roots and empty paths.
    fs::create_directory_symlink(root_ + "/outside", OnCard("linkdir"));
    EXPECT_FALSE(DeleteTree("E:\\linkdir"));
    EXPECT_FALSE(DeleteTree("E:\\"));
    EXPECT_FALSE(DeleteTree("E:"));
    EXPECT_FALSE(DeleteTree(""));
    EXPECT_FALSE(DeleteDirectory("C:\\", false));
    EXPECT_TRUE(fs::exists(root_ + "/outside/keep.txt"));
    EXPECT_TRUE(fs::exists(OnCard("linkdir")));

    // A folder holding another drive's folder keeps that drive whole.
    Put(OnCard("song.mp3"), "x");
    EXPECT_FALSE(DeleteTree(ToWindowsPath(root_)));
    EXPECT_TRUE(fs::exists(OnCard("song.mp3")));
}

TEST_F(FileTest, EntryNamesWithBackslashesCannotRedirectADelete) {
    Put(OnCard("keep.txt"), "keep");
    fs::create_directories(OnCard("db"));
    fs::create_directories(OnCard("shell"));
    Put(OnCard("db/..\\keep.txt"), "x");
    Put(OnCard("shell/..\\keep.txt"), "x");
    EXPECT_TRUE(DeleteTree("E:\\db"));
    EXPECT_TRUE(SHDeleteFiles(0, "E:\\shell\\*.*", {doSilent}));
    EXPECT_FALSE(fs::exists(OnCard("shell/..\\keep.txt")));
    EXPECT_TRUE(fs::exists(OnCard("keep.txt")));
}

TEST_F(FileTest, DeleteTreeKeepsWhatItCannotDeleteAndGoesOn) {
    fs::create_directories(OnCard("db"));
    for (const char* n : {"a.txt", "b.txt", "c.txt"})
        Put(OnCard(std::string("db/") + n), "x");
    std::vector<std::string> asked;
    auto refuseB = [&](const std::string& f, int) {
        asked.push_back(ExtractFileName(f));
        return ExtractFileName(f) != "b.txt";
    };
    EXPECT_FALSE(DeleteTreeEx("E:\\db", false, refuseB));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "c.txt"}), asked);
    EXPECT_TRUE(fs::exists(OnCard("db/b.txt")));
    EXPECT_FALSE(fs::exists(OnCard("db/c.txt")));

    Put(OnCard("db/d.txt"), "x");
    asked.clear();
    EXPECT_FALSE(DeleteTreeEx("E:\\db", true, refuseB));
    EXPECT_EQ((std::vector<std::string>{"b.txt"}), asked);
    EXPECT_TRUE(fs::exists(OnCard("db/d.txt")));
    EXPECT_TRUE(DeleteDirectory("E:\\db", false));
    EXPECT_FALSE(fs::exists(OnCard("db")));
}

TEST_F(FileTest, ShellDeleteOfFilesAndFolders) {
    EXPECT_EQ(0x614, DeleteOptionsToFlags({doSilent}));
    EXPECT_EQ(0x6D4, DeleteOptionsToFlags({doSilent, doAllowUndo, doFilesOnly}));
    EXPECT_EQ(0, DeleteOptionsToFlags({}));

    fs::create_directories(OnCard("f/sub"));
    Put(OnCard("f/a.mp3"), "x");
    Put(OnCard("f/b.txt"), "x");
    Put(OnCard("f/sub/c.mp3"), "x");
    EXPECT_TRUE(SHDeleteFiles(0, "E:\\f\\*.mp3", {doSilent}));
    EXPECT_FALSE(fs::exists(OnCard("f/a.mp3")));
    EXPECT_TRUE(fs::exists(OnCard("f/sub/c.mp3")));
    EXPECT_TRUE(SHDeleteFiles(0, "E:\\f\\*.*", {doSilent, doFilesOnly}));
    EXPECT_TRUE(fs::exists(OnCard("f/sub")));
    EXPECT_FALSE(fs::exists(OnCard("f/b.txt")));
    EXPECT_FALSE(SHDeleteFiles(0, "E:\\f\\gone.mp3", {doSilent}));
    EXPECT_TRUE(SHDeleteFiles(0, "E:\\f\\*.ogg", {doSilent}));

    // doFilesOnly is dropped for a folder: sub-folders and the folder go too.
    EXPECT_TRUE(SHDeleteFolder(0, "E:\\f", {doSilent, doFilesOnly}));
    EXPECT_FALSE(fs::exists(OnCard("f")));
    Put(OnCard("top.txt"), "x");
    EXPECT_FALSE(SHDeleteFolder(0, "E:\\", {doSilent}));
    EXPECT_FALSE(SHDeleteFolder(0, "E:", {doSilent}));
    EXPECT_FALSE(SHDeleteFolder(0, "", {doSilent}));
    EXPECT_FALSE(SHDeleteFiles(0, "E:\\", {doSilent}));
    EXPECT_FALSE(SHDeleteFiles(0, "", {doSilent}));
    EXPECT_TRUE(fs::exists(OnCard("top.txt")));

    // A folder whose contents cannot all go is kept.
    fs::create_directories(OnCard("g/locked"));
    Put(OnCard("g/locked/x"), "x");
    fs::create_directory_symlink(root_, OnCard("g/up"));
    ASSERT_EQ(0, chmod(OnCard("g/locked").c_str(), 0555));
    bool canWriteAnyway = access(OnCard("g/locked").c_str(), W_OK) == 0;
    bool ok = SHDeleteFolder(0, "E:\\g", {doSilent});
    EXPECT_TRUE(fs::exists(OnCard("top.txt")));
    if (!canWriteAnyway) {
        EXPECT_FALSE(ok);
        EXPECT_TRUE(fs::exists(OnCard("g/locked/x")));
    }
    chmod(OnCard("g/locked").c_str(), 0755);
}

// A folder listing names each entry so that the name leads back to that very file: a
// backslash in a Linux name, or bytes that are not UTF-8, must not point at another path.
TEST_F(FileTest, ListedNamesWithBackslashOrForeignBytesOpenTheirOwnFiles) {
    const std::vector<std::string> names = {"a\\b.mp3", "caf\xE9.mp3", "plain.mp3"};
    for (const auto& n : names) {
        std::ofstream(OnCard(n), std::ios::binary) << "content of " << n;
    }
    // A decoy where the backslash would lead if it were taken as a separator.
    fs::create_directories(OnCard("a"));
    std::ofstream(OnCard("a/b.mp3"), std::ios::binary) << "decoy";

    const std::vector<std::string> found = Found("E:\\*.mp3", faAnyFile & ~faDirectory);
    ASSERT_EQ(names.size(), found.size());
    for (const auto& windowsName : found) {
        const std::string path = "E:\\" + windowsName;
        ASSERT_TRUE(FileExists(path)) << windowsName;
        TFileStream f(path, fmOpenRead);
        std::string text(static_cast<size_t>(f.Size()), '\0');
        f.ReadBuffer(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(0u, text.rfind("content of ", 0)) << windowsName;
        EXPECT_NE("decoy", text);
        // The exact name, without wildcards, finds the same single file.
        EXPECT_EQ(std::vector<std::string>{windowsName}, Found(path, faAnyFile));
    }
}
