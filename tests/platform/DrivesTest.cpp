#include "Drives.h"
#include "FileTestSupport.h"
#include "MountWatcher.h"
#include "TextCodec.h"

#include <cerrno>
#include <cstring>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(DriveOverrides, ParsesLettersPathsAndTypes) {
    auto t = ParseDriveOverrides("E=/tmp/card:removable; f=/mnt/usb/:fixed;G=/srv;A=/x;H=rel;"
                                 "junk;I=/a/../b:cdrom;E=/tmp/card2:removable");
    ASSERT_EQ(4u, t.size());
    EXPECT_EQ('F', t[0].Letter);
    EXPECT_EQ("/mnt/usb", t[0].Root);
    EXPECT_EQ(DRIVE_FIXED, t[0].Type);
    EXPECT_EQ('G', t[1].Letter);
    EXPECT_EQ(DRIVE_FIXED, t[1].Type);
    EXPECT_EQ('I', t[2].Letter);
    EXPECT_EQ("/b", t[2].Root);
    EXPECT_EQ(DRIVE_CDROM, t[2].Type);
    EXPECT_EQ('E', t[3].Letter);
    EXPECT_EQ("/tmp/card2", t[3].Root);
}

// A made-up /sys: sdb is a USB stick, sda a fixed disk, sr0 a CD drive.
TEST(DriveTable, RemovableMountsGetLettersFromDOnAndOverridesWin) {
    std::string tmpl = (fs::temp_directory_path() / "bvsys-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(tmpl.data()));
    fs::path sys = tmpl;
    auto device = [&](const std::string& majMin, const std::string& rel, const char* removable) {
        fs::create_directories(sys / rel);
        if (removable)
            std::ofstream(sys / fs::path(rel).parent_path() / "removable") << removable;
        fs::create_directories(sys / "dev/block");
        fs::create_symlink(sys / rel, sys / "dev/block" / majMin);
    };
    device("8:17", "devices/pci0/usb1/1-1/block/sdb/sdb1", "0\n");
    device("8:1", "devices/pci0/ata1/block/sda/sda1", "0\n");
    device("8:33", "devices/pci0/mmc0/block/sdc/sdc1", "1\n");
    const char* mountInfo = "28 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                            "40 28 8:1 / /home rw - ext4 /dev/sda1 rw\n"
                            "41 28 8:17 / /media/user/MY\\040STICK rw - vfat /dev/sdb1 rw\n"
                            "42 28 8:33 / /media/user/CARD rw - vfat /dev/sdc1 rw\n"
                            "43 28 8:33 / /mnt/bind rw - vfat /dev/sdc1 rw\n"
                            "44 28 0:40 / /tmp rw - tmpfs tmpfs rw\n"
                            "broken line\n";
    auto t = BuildDriveTable(mountInfo, "", sys.string());
    ASSERT_EQ(3u, t.size());
    EXPECT_EQ('C', t[0].Letter);
    EXPECT_EQ("/", t[0].Root);
    EXPECT_EQ('D', t[1].Letter);
    EXPECT_EQ("/media/user/CARD", t[1].Root);
    EXPECT_EQ(DRIVE_REMOVABLE, t[1].Type);
    EXPECT_EQ('E', t[2].Letter);
    EXPECT_EQ("/media/user/MY STICK", t[2].Root);

    t = BuildDriveTable(mountInfo, "D=/srv/music:fixed;F=/media/user/CARD:removable", sys.string());
    ASSERT_EQ(4u, t.size());
    EXPECT_EQ("/srv/music", t[1].Root);
    EXPECT_EQ(DRIVE_FIXED, t[1].Type);
    EXPECT_EQ('E', t[2].Letter); // the stick moves on; the card keeps its override letter
    EXPECT_EQ("/media/user/MY STICK", t[2].Root);
    EXPECT_EQ('F', t[3].Letter);
    fs::remove_all(sys);
}

using DriveTest = CardFolderTest;

TEST_F(DriveTest, TranslatesWindowsPathsToLinux) {
    struct Case {
        const char* windows;
        std::string linux_;
    } cases[] = {
        {"E:\\iTunes\\iTunesDB", card_ + "/iTunes/iTunesDB"},
        {"e:/iTunes/x.mp3", card_ + "/iTunes/x.mp3"},
        {"E:", card_},
        {"E:\\", card_},
        {"E:\\a\\..\\b\\.\\c\\", card_ + "/b/c/"},
        {"C:\\tmp\\x", "/tmp/x"},
        {"\\etc\\hosts", "/etc/hosts"},
        {"C:\\", "/"},
        {"music\\a.mp3", "music/a.mp3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.linux_, ToLinuxPath(c.windows)) << c.windows;
}

TEST_F(DriveTest, RefusesUnmappedLettersClimbingAndNetworkPaths) {
    struct Case {
        const char* path;
        const char* message;
    } cases[] = {
        {"Q:\\music\\a.mp3", "Drive Q: is not available (path \"Q:\\music\\a.mp3\")"},
        {"A:\\x", "Drive A: is not available (path \"A:\\x\")"},
        {"E:\\..\\secret", "The path \"E:\\..\\secret\" leads out of its drive"},
        {"E:\\a\\..\\..\\b", "The path \"E:\\a\\..\\..\\b\" leads out of its drive"},
        {"E:..", "The path \"E:..\" leads out of its drive"},
        {"\\\\server\\share\\x", "Network paths are not supported: \"\\\\server\\share\\x\""},
    };
    for (const auto& c : cases) {
        try {
            ToLinuxPath(c.path);
            ADD_FAILURE() << c.path;
        } catch (const EInOutError& e) {
            EXPECT_EQ(c.message, e.Message());
        }
    }
}

TEST_F(DriveTest, TranslatesLinuxPathsToTheLongestDriveRoot) {
    struct Case {
        std::string linux_;
        const char* windows;
    } cases[] = {
        {card_ + "/iTunes/iTunesDB", "E:\\iTunes\\iTunesDB"},
        {card_, "E:\\"},
        {card_ + "/", "E:\\"},
        {"/etc/hosts", "C:\\etc\\hosts"},
        {"/", "C:\\"},
        {card_ + "/a/../b/", "E:\\b\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.windows, ToWindowsPath(c.linux_)) << c.linux_;
    // A sibling folder whose name starts like the card's stays on "C:".
    std::string sibling = "C:" + card_ + "x/file";
    std::replace(sibling.begin(), sibling.end(), '/', '\\');
    EXPECT_EQ(sibling, ToWindowsPath(card_ + "x/file"));
    EXPECT_EQ(card_ + "/a b/ü.mp3", ToLinuxPath(ToWindowsPath(card_ + "/a b/ü.mp3")));
}

// Names that are legal on Linux but not in a Windows-form path: a backslash, bytes that are
// not UTF-8, and a name that already holds a character of the escape block. Each travels as
// UTF-8 text and comes back as its own bytes, never as another file's.
TEST_F(DriveTest, EveryLinuxNameRoundTripsThroughItsWindowsForm) {
    struct Case {
        std::string name;
        const char* windows; // the name's Windows form, below "E:\"
    } cases[] = {
        {"a\\b.mp3", "a\xEF\x9D\x9C"
                     "b.mp3"},
        {"caf\xE9.mp3", "caf\xEF\x9F\xA9.mp3"},
        {"\xFF\xFE", "\xEF\x9F\xBF\xEF\x9F\xBE"},
        {"\xEF\x9D\x9C.mp3", "\xEF\x9F\xAF\xEF\x9E\x9D\xEF\x9E\x9C.mp3"},
        {"\xC3\xBC ber.mp3", "\xC3\xBC ber.mp3"},
        {"\xEF\xBF\xBD.mp3", "\xEF\xBF\xBD.mp3"},
        {"\xE2\x82", "\xEF\x9F\xA2\xEF\x9E\x82"},
    };
    for (const auto& c : cases) {
        const std::string linuxPath = card_ + "/dir/" + c.name;
        const std::string windows = ToWindowsPath(linuxPath);
        EXPECT_EQ("E:\\dir\\" + std::string(c.windows), windows) << c.name;
        EXPECT_TRUE(IsValidUtf8(windows)) << c.name;
        EXPECT_EQ(linuxPath, ToLinuxPath(windows)) << c.name;
    }
    // An escape that would make a separator or a dot stays what it is, so no text can
    // climb out of its drive through it.
    EXPECT_EQ(card_ + "/\xEF\x9C\xAE\xEF\x9C\xAE/\xEF\x9C\xAFx",
              ToLinuxPath("E:\\\xEF\x9C\xAE\xEF\x9C\xAE\\\xEF\x9C\xAFx"));
}

TEST_F(DriveTest, ReportsTypesLettersAndSpace) {
    EXPECT_EQ(DRIVE_FIXED, GetDriveType("C:\\"));
    EXPECT_EQ(DRIVE_REMOVABLE, GetDriveType("e:"));
    EXPECT_EQ(DRIVE_NO_ROOT_DIR, GetDriveType("Q:\\"));
    EXPECT_EQ(DRIVE_NO_ROOT_DIR, GetDriveType(""));
    EXPECT_TRUE(GetLogicalDrives() & (1u << ('E' - 'A')));
    EXPECT_FALSE(GetLogicalDrives() & 3u);
    auto roots = GetLogicalDriveStrings();
    EXPECT_NE(roots.end(), std::find(roots.begin(), roots.end(), "E:\\"));

    int64_t freeBytes = -1, total = -1, totalFree = -1;
    ASSERT_TRUE(GetDiskFreeSpaceEx("E:\\", freeBytes, total, &totalFree));
    EXPECT_GT(total, 0);
    EXPECT_GE(totalFree, freeBytes);
    EXPECT_LE(freeBytes, total);
    EXPECT_EQ(total, DiskSize(5));
    EXPECT_EQ(-1, DiskFree(17));
    EXPECT_FALSE(GetDiskFreeSpaceEx("Q:\\", freeBytes, total));
}

TEST_F(DriveTest, DriveMissingFolderHasNoRoot) {
    setenv("BRISVANE_DRIVES", ("E=" + card_ + ":removable;F=" + root_ + "/gone:removable").c_str(),
           1);
    RefreshDriveTable();
    EXPECT_EQ(DRIVE_NO_ROOT_DIR, GetDriveType("F:\\"));
    EXPECT_EQ(root_ + "/gone/x", ToLinuxPath("F:\\x"));
    EXPECT_TRUE(IsDriveRoot("F:\\"));
    EXPECT_TRUE(IsDriveRootFolder(card_ + "/"));
    EXPECT_FALSE(IsDriveRootFolder(card_ + "/sub"));
}

TEST(DriveTable, WhateverBacksAVolumeUnderMediaItIsAUserVolume) {
    const char* mountInfo = "28 1 254:0 / / rw - ext4 /dev/vda rw\n"
                            "50 28 0:41 / /media/bv-x rw - tmpfs bvcard rw\n"
                            "51 28 0:42 / /run/media/u/PHONE rw - fuseblk phone rw\n"
                            "52 28 0:43 / /srv/cache rw - tmpfs tmpfs rw\n";
    auto t = BuildDriveTable(mountInfo, "", "/nonexistent-sys");
    ASSERT_EQ(3u, t.size());
    EXPECT_EQ("/media/bv-x", t[1].Root);
    EXPECT_EQ(DRIVE_REMOVABLE, t[1].Type);
    EXPECT_EQ("/run/media/u/PHONE", t[2].Root);
    EXPECT_EQ(DRIVE_REMOVABLE, t[2].Type);
}

// The table comes from a script: each change handler sees the table already read
// again, and a handler that removes itself during the round is not run again.
TEST(DriveChanges, HandlersSeeTheNewTableAndMayRemoveThemselves) {
    std::vector<TDriveEntry> scripted{{'C', "/", DRIVE_FIXED}};
    SetDriveTableSource([&] { return scripted; });
    RefreshDriveTable();
    std::vector<std::string> seen;
    int selfRemoving = 0;
    const int watcher = AddDriveChangeHandler([&] {
        std::string letters;
        for (const auto& d : GetDriveTable())
            letters += d.Letter;
        seen.push_back(letters);
    });
    selfRemoving = AddDriveChangeHandler([&] {
        seen.push_back("once");
        RemoveDriveChangeHandler(selfRemoving);
    });
    scripted.push_back({'E', "/tmp", DRIVE_REMOVABLE});
    DrivesChanged();
    scripted.pop_back();
    DrivesChanged();
    RemoveDriveChangeHandler(watcher);
    DrivesChanged();
    EXPECT_EQ((std::vector<std::string>{"CE", "once", "C"}), seen);
    SetDriveTableSource({});
    RefreshDriveTable();
}

// Mounting and unmounting a tmpfs marks the open mount table once per change.
TEST(MountWatcher, SeesAMountAndAnUnmountOnce) {
    TMountWatcher watcher;
    ASSERT_TRUE(watcher.Valid());
    EXPECT_FALSE(watcher.CheckChanged(0));
    std::string dir = (fs::temp_directory_path() / "bvmount-XXXXXX").string();
    ASSERT_NE(nullptr, mkdtemp(dir.data()));
    if (mount("bvtest", dir.c_str(), "tmpfs", 0, "size=1m") != 0) {
        const std::string reason = std::strerror(errno);
        fs::remove(dir);
        GTEST_SKIP() << "no tmpfs can be mounted here: " << reason;
    }
    EXPECT_TRUE(watcher.CheckChanged(1000));
    EXPECT_FALSE(watcher.CheckChanged(0));
    EXPECT_EQ(0, umount(dir.c_str()));
    EXPECT_TRUE(watcher.CheckChanged(1000));
    EXPECT_FALSE(watcher.CheckChanged(0));
    fs::remove(dir);
}

TEST(MountWatcher, AMissingTableIsNeverAChange) {
    TMountWatcher watcher("/nonexistent/mountinfo");
    EXPECT_FALSE(watcher.Valid());
    EXPECT_FALSE(watcher.CheckChanged(10));
}
