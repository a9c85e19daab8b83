// System facts worked out once at start-up. Windows versions have no meaning
// here; the program is told it runs on Windows XP, a desktop NT system, so
// every version test takes its modern path.
#pragma once

#include <cstdint>

enum TWindowsVersion {
    wvUnknown = 0,
    wvWin95 = 1,
    wvWin95OSR2 = 2,
    wvWin98 = 3,
    wvWin98SE = 4,
    wvWinME = 5,
    wvWinNT31 = 6,
    wvWinNT35 = 7,
    wvWinNT351 = 8,
    wvWinNT4 = 9,
    wvWin2000 = 10,
    wvWinXP = 11,
    wvWin2003 = 12,
};

// The version from the platform facts, as the framework's start-up read them.
struct TOSVersionFacts {
    int PlatformId = 2; // 1 Windows 9x, 2 NT
    int Major = 5;
    int Minor = 1;
    const char* ServicePack = "";
    uint32_t KernelProductVersion = 0;
};
TWindowsVersion GetWindowsVersionOf(const TOSVersionFacts& facts);
// wvWinXP on this system.
TWindowsVersion GetWindowsVersion();

extern const int ProcessorCount;
extern const int AllocationGranularity;
extern const int PageSize;
extern const bool IsWinNT;
extern const bool IsWin2000;
extern const bool IsWinXP;
