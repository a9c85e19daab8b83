// The drive table: the program keeps Windows-form paths ("E:\iTunes\x"), and
// this table maps each letter to a Linux folder. "C:" is "/"; each mounted
// removable or external volume gets a letter from "D:" on ("A:" and "B:" are
// never used); BRISVANE_DRIVES ("E=/tmp/card:removable;F=/mnt/usb:fixed")
// adds or overrides entries.
#pragma once

#include "SysUtils.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Drive types as GetDriveType reports them.
enum : unsigned {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

struct TDriveEntry {
    char Letter = 'C'; // upper case
    std::string Root;  // Linux folder, absolute, without a trailing "/" except for "/"
    unsigned Type = DRIVE_FIXED;
};

// The current table, ordered by letter. The table is read on first use.
std::vector<TDriveEntry> GetDriveTable();
// Reads the mounts and BRISVANE_DRIVES again (after a card came or went).
void RefreshDriveTable();
// Where the table comes from instead of the mounts (tests script their drives with
// it); an empty source restores the mounts. Takes effect at the next refresh.
void SetDriveTableSource(std::function<std::vector<TDriveEntry>()> source);

// Handlers told, on the GUI thread, that the table was read again because a volume
// came or went. Add and remove them on the GUI thread.
int AddDriveChangeHandler(std::function<void()> handler);
void RemoveDriveChangeHandler(int id);
// Refreshes the table and runs every handler; the event loop calls it when the
// mount table changes. A handler may add or remove handlers.
void DrivesChanged();
// Parses a BRISVANE_DRIVES text; malformed entries are skipped.
std::vector<TDriveEntry> ParseDriveOverrides(std::string_view text);
// The table built from a mountinfo text and overrides; `sysRoot` is where /sys lies.
// Exposed so tests can feed made-up mounts.
std::vector<TDriveEntry> BuildDriveTable(std::string_view mountInfo, std::string_view overrides,
                                         const std::string& sysRoot = "/sys");

// "X:\a\b" (or "X:/a/b") to the Linux path below X's folder. A path that starts
// with "\" lies on "C:"; a relative path stays relative with "/" separators.
// Raises EInOutError for an unmapped letter, a UNC path or a ".." that climbs
// out of the drive's folder.
std::string ToLinuxPath(std::string_view windowsPath);
// A Linux path (relative ones against the current folder) to the Windows form
// under the drive whose folder is the longest match. A backslash and the bytes that
// are not UTF-8 in a name travel as private-use characters (U+F700 + the byte), which
// ToLinuxPath turns back, so every Linux name maps to itself.
std::string ToWindowsPath(std::string_view linuxPath);
// The letter of a Windows-form path ("e:\x" gives 'E'), or 0 when it has none.
char DriveLetterOf(std::string_view windowsPath);
// Whether the Windows-form path names the root folder of a drive ("E:", "E:\").
bool IsDriveRoot(std::string_view windowsPath);
// Whether a Linux path is the folder of some drive (or "/").
bool IsDriveRootFolder(std::string_view linuxPath);

// DRIVE_xxx of a root such as "E:\" or "E:"; DRIVE_NO_ROOT_DIR when the letter
// is unmapped or its folder is missing.
unsigned GetDriveType(std::string_view root);
// Bit n set for each mapped letter ('A' + n).
uint32_t GetLogicalDrives();
// "C:\", "E:\", ... in letter order.
std::vector<std::string> GetLogicalDriveStrings();
// Free space for the caller, total size and total free bytes of the volume that
// holds the path; false (and the last error set) when it cannot be read.
bool GetDiskFreeSpaceEx(std::string_view windowsPath, int64_t& freeForCaller, int64_t& total,
                        int64_t* totalFree = nullptr);
// The framework's DiskFree/DiskSize: drive 0 is "C:", 1 "A:", 3 "C:"; -1 on failure.
int64_t DiskFree(int drive);
int64_t DiskSize(int drive);
